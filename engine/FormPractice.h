#pragma once
// The base of the practice screens: record the learner for 7.5 s and play it back (a click
// anywhere stops either), and the sequence that presents one item after another.
#include "engine/FormScreen.h"
#include "platform/Dispatcher.h"

namespace parlora {

class TDIBImage;

// What a practice screen is about.
struct TPracticeTopic {
    int topic = 0;           // score and weight slot
    std::string prefix;      // written forms (and words' sounds)
    std::string soundPrefix; // the sounds said when an item is chosen
    int help = 0;            // help picture
    int returnCode = 0;      // the topic menu
    int none = 0;            // the current item before any choice
};

class TForm_Practice : public TForm_Screen {
  public:
    static constexpr int kRecordMs = 7500, kSequencePauseMs = 1000;

    TForm_Practice(TForm_Main& main, std::string className, TPracticeTopic topic = {});
    const TPracticeTopic& topic() const { return topic_; }
    void DIBButton_HelpClick();
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
    // Leaves for the topic menu, storing the visit when an item was chosen.
    void Leave(bool visited);

    TPracticeTopic topic_;

  private:
    // SequenceStep, with the ends of the sounds it stops ignored.
    void Step();
    void InstallStopHook(bool recording);
    void RestoreHook();
    void SeqTimer();

    TDIBVolatileImageList panels_; // "Record", "Bar", "Playback"
    TDIBImage *record_ = nullptr, *bar_ = nullptr, *playback_ = nullptr;
    int fullBarWidth_ = 206;
    bool sequence_ = false;
    bool hookInstalled_ = false;
    bool stepping_ = false;
    TimerId seqTimer_ = 0;
};

} // namespace parlora
