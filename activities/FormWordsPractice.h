#pragma once
// Practice of first words and of phrases: a scrolling list of the items in the learner's
// language; the chosen one is shown with its picture and said by the actors in turn.
#include "activities/FormItemPractice.h"

#include <string>

namespace parlora {

class TDIBButtonStrip;

class TForm_WordsPractice : public TForm_ItemPractice {
  public:
    static constexpr int kRowHeight = 32, kVisibleRows = 7;
    static constexpr int kFirstStepMs = 400, kFastestStepMs = 100;

    explicit TForm_WordsPractice(TForm_Main& main);

    // Before the screen is shown: which topic, and the list of its items.
    void Configure(int topic, const std::string& imagesFolder, int returnScreen, int helpPage, int itemCount,
                   const std::string& prefix);

    void SequenceStep() override;
    // A click on the list at the last mouse position.
    void ListClick();
    void DIBBS_UpPressed();
    void DIBBS_DownPressed();

    int itemCount() const { return count_; }
    int topRow() const { return topRow_; }
    bool filtered() const { return filter_; }
    int stepMs() const { return stepMs_; }
    // The file number shown at list position k.
    int FileNumber(int k) const override { return filter_ && k > 15 ? k + 2 : k; }

  protected:
    void ShowItem(int n) override;
    // The keys on the list: Up and Down choose the item above or below, scrolling it into sight;
    // Return and Space choose the shown item again.
    bool MoveWithin(TCustomDIBControl& focused, FocusMove move) override;
    bool PressFocused(TCustomDIBControl& focused) override;
    std::string PicturePath(int n) const override;

  private:
    void BuildList();
    void ChooseFromList(int item);
    void ScrollTo(int row, int stepMs);
    void ScrollValue(int previousTop, int v);
    void ScrollRepeat(bool finished);
    void PlaceCursor(int top);
    void UpdateArrows();

    std::string folder_;
    int count_ = 0;
    bool filter_ = false;
    int topRow_ = 1, previousTop_ = 1;
    int lastY_ = 0;
    int stepMs_ = kFirstStepMs;
    bool upPressed_ = false, downPressed_ = false;
    TDIBImage *list_ = nullptr, *cursor_ = nullptr;
    TDIBButtonStrip *up_ = nullptr, *down_ = nullptr;
};

} // namespace parlora
