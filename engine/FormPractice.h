#pragma once
// The base of the practice screens: record the learner for 7.5 s and play it back (a click
// anywhere stops either), and the sequence that presents one item after another.
#include "engine/FormScreen.h"
#include "platform/Dispatcher.h"

namespace parlora {

class TDIBImage;

class TForm_Practice : public TForm_Screen {
  public:
    static constexpr int kRecordMs = 7500, kSequencePauseMs = 1000;

    TForm_Practice(TForm_Main& main, std::string className);
    ~TForm_Practice() override;

    // Shows and says the next item; every practice screen has its own order.
    virtual void SequenceStep() = 0;

    void DIBButton_RecordClick();
    void DIBButton_PlayClick();
    void DIBButton_SeqClick();
    void SetSequence(bool on);
    bool sequence() const { return sequence_; }

    void RecordProgress(int percent) override;
    void RecordEnded() override;
    void RecordPlayEnded() override;
    void SpeakerClicked(int speaker) override;
    void PlayEnded() override;

  protected:
    // Call after the screen's own Build(): adds the bottom strip, the actors and the panels.
    void BuildPracticeBase();

  private:
    void InstallStopHook(bool recording);
    void RestoreHook();
    void SeqTimer();

    TDIBVolatileImageList panels_; // "Record", "Bar", "Playback"
    TDIBImage *record_ = nullptr, *bar_ = nullptr, *playback_ = nullptr;
    int fullBarWidth_ = 206;
    bool sequence_ = false;
    bool hookInstalled_ = false;
    TimerId seqTimer_ = 0;
};

} // namespace parlora
