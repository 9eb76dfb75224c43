#pragma once
// Numbers practice: 21 buttons for the numbers 0 to 20. The choice is said with the score
// recordings ("SC"); the picture has a second recording ("NU").
#include "activities/FormItemPractice.h"

namespace parlora {

class TForm_NumbersPractice : public TForm_ItemPractice {
  public:
    static constexpr int kButtons = 21; // button t is the number t - 1

    explicit TForm_NumbersPractice(TForm_Main& main);
    void SequenceStep() override;
    void PictureClicked() override;
    void TextClicked() override;
    void SpeakerClicked(int speaker) override;

  protected:
    std::string PicturePath(int n) const override;
};

} // namespace parlora
