#pragma once
// Countries practice: a scrolling strip of flags; a chosen country turns the globe to it, and then
// shows it through the magnifying glass.
#include "activities/FormPicturePractice.h"
#include "display/DIBAnimList.h"

#include <map>
#include <memory>

namespace parlora {

class TDIBButtonStrip;
class TDIBImage;
class TDIBImageStrip;

class TForm_CountriesPractice : public TForm_PicturePractice {
  public:
    static constexpr int kCountries = 24;
    static constexpr int kFlagW = 135, kFlagH = 80;
    static constexpr int kVisiblePlaces = 5; // whole flags in the strip
    static constexpr int kFirstStepMs = 400, kStepDropMs = 100, kFastestStepMs = 100;

    TForm_CountriesPractice(TForm_Main& main, const TScreenParams& params);
    ~TForm_CountriesPractice() override;

    void SequenceStep() override;
    // A click on the strip at x (strip coordinates).
    void DIBI_FlagsClick(int x);
    void DIBBS_BackDown();
    void DIBBS_ForwardDown();
    void ArrowUp() { backPressed_ = forwardPressed_ = false; }

    int count() const { return count_; }
    bool filtered() const { return filter_; }
    // The country leftmost in the strip, as a display place (1 based).
    int first() const { return first_; }
    int stepMs() const { return stepMs_; }
    // Display place of a country and country of a display place (they differ with the filter on).
    int PlaceOf(int country) const;
    int CountryAt(int place) const;
    int GlobeFrameOf(int country) const;
    int globeFrames() const { return globeFrames_; }
    int globeFps() const { return globeFps_; }
    TDIBAnimList& globeAnims() { return *globeAnims_; }

  protected:
    void ShowItem(int n) override;
    void StartExtras() override;
    void BeforeQuit() override;

  private:
    void ReadGlobe();
    void DropFilteredFlag();
    void ScrollTo(int place, int stepMs);
    void ScrollBy(int delta);
    void ScrollStep(int v);
    void ScrollEnded();
    void SetFirst(int place);
    void UpdateArrows();
    // Puts the cursor over the current flag for the strip scrolled v pixels past `from`.
    void PlaceCursor(int from, int v);
    void TurnGlobeTo(int country);
    void ShowGlass();

    TDIBImage *flags_ = nullptr, *cursor_ = nullptr, *glass_ = nullptr, *picture_ = nullptr;
    TDIBButtonStrip *back_ = nullptr, *forward_ = nullptr;
    TDIBImageStrip* globe_ = nullptr;
    std::unique_ptr<TDIBAnimList> globeAnims_;
    std::map<int, int> globeFrame_;
    int globeFrames_ = 1, globeFps_ = 1;
    bool filter_ = false;
    int count_ = kCountries;
    int first_ = 1, previousFirst_ = 1;
    int stepMs_ = kFirstStepMs;
    bool backPressed_ = false, forwardPressed_ = false;
};

} // namespace parlora
