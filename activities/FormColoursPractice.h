#pragma once
// Colours practice: twelve colour buttons, the chosen colour shown and said.
#include "activities/FormItemPractice.h"

namespace parlora {

class TForm_ColoursPractice : public TForm_ItemPractice {
  public:
    static constexpr int kColours = 12;

    explicit TForm_ColoursPractice(TForm_Main& main);
    void SequenceStep() override;

  protected:
    std::string PicturePath(int n) const override;
};

} // namespace parlora
