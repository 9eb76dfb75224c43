#pragma once
// The speaking exercise of a topic: a strip of 4, 8 or 10 of the topic's pictures slides into a
// window; for each picture the native speaker says the word and the learner records it, and the
// strip can then be played back, the native word and the learner's take one after the other.
#include "engine/FormScreen.h"
#include "engine/KaStateList.h"
#include "platform/Dispatcher.h"

#include <array>
#include <memory>
#include <string>

namespace parlora {

class TDIBButtonStrip;
class TDIBImage;
class TDIBImageStrip;
class TDIBShape;
class TDIBWaveView;

class TForm_Speak : public TForm_Screen {
  public:
    static constexpr int kMaxStrip = 10;
    static constexpr int kPictureW = 125, kPictureH = 130;
    static constexpr int kRecBarWidth = 261;
    static constexpr int kHelpPage = 6;
    // A take that receives nothing for this long has lost its microphone.
    static constexpr int kStallMs = 1500;

    explicit TForm_Speak(TForm_Main& main);
    ~TForm_Speak() override;

    void Configure(int topic, const std::string& picturePath, int returnScreen, int itemCount,
                   const std::string& prefix);

    void Start() override;
    void QuizStop() override { Quit(); }
    void Quit();
    void ButtonClick(int tag) { KaStateList1.MouseAction(tag); }

    void PlayEnded() override;
    void RecordEnded() override;
    void RecordProgress(int percent) override;
    void SpeakerClicked(int speaker) override { speaker_ = speaker; }

    // What the learner's take of a strip position is kept as.
    std::string RecordingFile(int position) const;

    // For tests and the debug window.
    TKaStateList& stateList() { return KaStateList1; }
    int stripLength() const { return stripLength_; }
    int stripItem(int position) const { return stripItems_[size_t(position)]; }
    int stripOffset() const { return drawnOffset_; }
    int margin() const { return margin_; }
    int position() const { return position_; }
    int speaker() const { return speaker_; }
    bool stripReady() const { return stripReady_; }
    bool playOffered() const { return playOffered_; }
    bool hasRecorded() const { return hasRecorded_; }
    const std::string& picturePool() const { return pool_; }
    const std::string& prefix() const { return prefix_; }
    TKaRamWav& takePlayer() { return *take_; }
    TDIBWaveView& waveView() { return *wave_; }

  private:
    void DefineStates();
    void KaStateList1Start(bool aborted);
    void WaitButtonEntry();
    void WaitButtonExit(int tag);
    void NewStripEntry();
    void RefillPool();
    void DrawStrip(int offset);
    void SlideTo(int from, int to, int durationMs);
    void HideActions();
    void ListenEntry();
    void ClickEntry();
    void RecordEntry();
    void RecordExit();
    void Play1Entry();
    void Play2Entry();
    void Play2Exit();
    void NextEntry();

    // The take failed (no microphone, or it went away): say so and offer the buttons again.
    void TakeFailed(const std::string& why);
    void Watch();
    void ShowVoices(const TKaRamWav* learner);
    void InstallStopHook(bool recording);
    void RestoreHook();

    TKaStateList KaStateList1;
    TDIBVolatileImageList pics_; // "Canvas", "Mask", "Pic1" ... "Pic10"
    TDIBButtonStrip *strip4_ = nullptr, *strip8_ = nullptr, *strip10_ = nullptr;
    TDIBButtonStrip *listen_ = nullptr, *record_ = nullptr, *play_ = nullptr;
    TDIBImage *mike_ = nullptr, *redLight_ = nullptr, *tape_ = nullptr, *mask_ = nullptr;
    TDIBImageStrip* reels_ = nullptr;
    TDIBShape* recBar_ = nullptr;
    TDIBWaveView* wave_ = nullptr;
    // The learner's takes are read from their files each time: a player cache keyed by file name
    // would play the take a file held before it was recorded again.
    std::unique_ptr<TKaRamWav> take_;

    int topic_ = 0;
    std::string picturePath_;
    int returnScreen_ = 0;
    int itemCount_ = 0;
    std::string prefix_;
    bool firstWordsFiltered_ = false, countriesFiltered_ = false;

    std::string pool_;
    int stripLength_ = 4;
    std::array<int, kMaxStrip + 1> stripItems_{};
    int drawnOffset_ = -1;
    int margin_ = 0;
    int position_ = 1;
    std::string action_ = "Listen";
    bool stripReady_ = false;
    bool playOffered_ = false;
    int speaker_ = kMale;
    bool hasRecorded_ = false;

    bool hookInstalled_ = false;
    bool takeFailed_ = false;
    bool left_ = false;
    TimerId watchTimer_ = 0;
    int64_t watchedBytes_ = 0;
    uint64_t lastProgressMs_ = 0;
};

} // namespace parlora
