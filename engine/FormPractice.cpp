#include "engine/FormPractice.h"

#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "shell/FormMain.h"
#include "shell/RecordsStore.h"

namespace parlora {

TForm_Practice::TForm_Practice(TForm_Main& main, std::string className, TPracticeTopic topic)
    : TForm_Screen(main, std::move(className)), topic_(std::move(topic)) {}

void TForm_Practice::DIBButton_HelpClick() {
    SetSequence(false);
    main_.ShowHelpPicture(topic_.help);
}

void TForm_Practice::Leave(bool visited) {
    SetSequence(false);
    StopAnimations();
    if (visited && main_.records()) main_.records()->StoreScore(topic_.topic, 0, 0);
    main_.RequestScreen(topic_.returnCode, 2);
}

TForm_Practice::~TForm_Practice() {
    // Whatever ends the screen, the main window gets its own hook back.
    RestoreHook();
    if (seqTimer_) main_.dispatcher().killTimer(seqTimer_);
}

void TForm_Practice::BuildPracticeBase() {
    BuildActivityBase();
    panels_.Add("Record", "Interface\\Common\\Record\\Record.png", true);
    panels_.Add("Bar", "Interface\\Common\\Record\\recordBar.png", true);
    panels_.Add("Playback", "Interface\\Common\\Record\\Playback.png", true);
    panels_.LoadAutoImages(main_.folders().DataDir);
    auto panel = [&](const char* name, Rect r, const char* picture) {
        auto& image = container_.Create<TDIBImage>(name);
        image.SetBounds(r.x, r.y, r.w, r.h);
        image.SetDIBImageList(&panels_);
        image.SetDIBIndex(panels_.IndexOf(picture));
        image.SetVisible(false);
        return &image;
    };
    record_ = panel("DIBI_Record", {255, 682, 457, 86}, "Record");
    bar_ = panel("DIBI_Bar", {464, 714, 206, 22}, "Bar");
    playback_ = panel("DIBI_Playback", {311, 677, 398, 91}, "Playback");
    fullBarWidth_ = bar_->Width();
    // The panels cover the record, play and sequence buttons while they show: a click anywhere
    // stops recording or playback, and the learner sees the recording's progress bar whole.
    RecordButton().SetVisible(true);
    RecordButton().SetEnabled(false);
    PlayButton().SetVisible(true);
    PlayButton().SetEnabled(false);
    SeqButton().SetVisible(true);
    RecordButton().OnClick = [this](TCustomDIBControl&) { DIBButton_RecordClick(); };
    PlayButton().OnClick = [this](TCustomDIBControl&) { DIBButton_PlayClick(); };
    SeqButton().OnClick = [this](TCustomDIBControl&) { DIBButton_SeqClick(); };
}

void TForm_Practice::InstallStopHook(bool recording) {
    hookInstalled_ = true;
    main_.dispatcher().setAppHook([this, recording](const InputEvent& e) {
        if (main_.OnAppMessage(e)) return true;
        if (!e.isLeftDown()) return false;
        // The click only stops; it does nothing else on the screen.
        RestoreHook();
        if (recording)
            StopRecording();
        else
            StopRecordingPlay();
        return true;
    });
}

void TForm_Practice::RestoreHook() {
    if (!hookInstalled_) return;
    hookInstalled_ = false;
    TForm_Main* main = &main_;
    main_.dispatcher().setAppHook([main](const InputEvent& e) { return main->OnAppMessage(e); });
}

void TForm_Practice::DIBButton_RecordClick() {
    SetSequence(false);
    bar_->SetWidth(0);
    bar_->SetOffsetX(fullBarWidth_);
    record_->SetVisible(true);
    bar_->SetVisible(true);
    StopAllSounds();
    // Before the start, for the same reason as playback: a take can end inside StartRecording.
    InstallStopHook(true);
    try {
        StartRecording(kRecordMs);
    } catch (...) {
        RestoreHook();
        throw;
    }
}

void TForm_Practice::RecordProgress(int percent) {
    int w = percent * fullBarWidth_ / 100;
    bar_->SetWidth(w);
    bar_->SetOffsetX(fullBarWidth_ - w);
}

void TForm_Practice::RecordEnded() {
    RestoreHook();
    bar_->SetVisible(false);
    record_->SetVisible(false);
    PlayButton().SetEnabled(true);
}

void TForm_Practice::DIBButton_PlayClick() {
    SetSequence(false);
    playback_->SetVisible(true);
    // Before the play: an empty take ends inside PlayRecording and takes the hook away again.
    InstallStopHook(false);
    PlayRecording();
}

void TForm_Practice::RecordPlayEnded() {
    RestoreHook();
    playback_->SetVisible(false);
}

void TForm_Practice::SpeakerClicked(int speaker) {
    SetSequence(false);
    SayAgain(speaker);
}

void TForm_Practice::DIBButton_SeqClick() {
    if (sequence_) {
        SetSequence(false);
        StopAllSounds();
    } else {
        SetSequence(true);
        Step();
    }
}

void TForm_Practice::Step() {
    // The word still sounding is stopped by the step; its end is no reason for the pause.
    stepping_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{stepping_};
    SequenceStep();
}

void TForm_Practice::PlayEnded() {
    if (!sequence_) return;
    // A stop is no end: the pause starts when the word has been heard to its end.
    if (stepping_ && StoppingSounds()) return;
    if (seqTimer_) main_.dispatcher().killTimer(seqTimer_);
    seqTimer_ = main_.dispatcher().setTimer(
        kSequencePauseMs, false, [this] { SeqTimer(); }, guard());
}

void TForm_Practice::SeqTimer() {
    seqTimer_ = 0;
    if (sequence_) Step();
}

void TForm_Practice::SetSequence(bool on) {
    if (on == sequence_) return;
    sequence_ = on;
    SeqButton().SetDIBIndex(buttons_.IndexOf(on ? "SeqStop" : "Seq"));
    if (!on && seqTimer_) {
        main_.dispatcher().killTimer(seqTimer_);
        seqTimer_ = 0;
    }
}

} // namespace parlora
