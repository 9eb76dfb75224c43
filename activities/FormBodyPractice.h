#pragma once
// Body practice: eighteen hot spots on the body picture; pointing at one lights up its part, a
// click says it.
#include "activities/FormPicturePractice.h"

#include <array>

namespace parlora {

class TDIBButtonStrip;
class TDIBImage;

class TForm_BodyPractice : public TForm_PicturePractice {
  public:
    static constexpr int kItems = 18;
    // The order the sequence presents the parts in.
    static constexpr std::array<int, kItems> kSequence{16, 1,  4,  12, 9,  15, 6, 18, 14,
                                                       5,  17, 13, 3,  11, 2,  8, 10, 7};

    TForm_BodyPractice(TForm_Main& main, const TScreenParams& params);

    void SequenceStep() override;
    // Shows the highlight of item n alone; 0 hides them all.
    void ShowHighlight(int n);
    TDIBButtonStrip& HotSpot(int n) const { return *spots_[size_t(n - 1)]; }
    TDIBImage& Highlight(int n) const { return *highlights_[size_t(n - 1)]; }

  protected:
    void ShowItem(int n) override;

  private:
    std::array<TDIBButtonStrip*, kItems> spots_{};
    std::array<TDIBImage*, kItems> highlights_{};
};

} // namespace parlora
