#pragma once
// The base of every activity screen: bottom buttons, the two actors, a cache of eight wave players,
// the media player and the recorder, and the rules by which a word is said by which speaker.
#include "display/DIBAnimList.h"
#include "display/DIBImageStrip.h"
#include "media/KaRecordWav.h"
#include "shell/DIBScreen.h"

#include <array>
#include <list>
#include <memory>
#include <optional>
#include <string>

namespace parlora {

class TDIBButtonStrip;

enum TActorKind { akIdle = 0, akSpeak = 1, akYes = 2, akNo = 3 };

class TForm_Screen : public TDIBScreen {
  public:
    static constexpr int kMale = 0, kFemale = 1;
    static constexpr int kSameSpeaker = 2, kOtherSpeaker = 3, kAnySpeaker = 4;
    static constexpr int kPlayerCount = 8;

    TForm_Screen(TForm_Main& main, std::string className);
    ~TForm_Screen() override;

    // Saying words. Missing files fail with "Can't find sound file %s.aif or %s.mp3".
    virtual void SayWord(const std::string& topic, int number, int code);
    void SayAndRemember(const std::string& topic, int number, int code);
    void SayAgain(int code);
    int LengthWord(const std::string& topic, int number, int speaker);
    virtual void SayYes(int code);
    virtual void SayNo(int code);
    virtual void SayWellDone();
    // 0 and 1 stay, 2 the last speaker, 3 the other one, 4 either at random; remembered.
    int ResolveSpeaker(int code);
    // -1 until a speaker has been chosen.
    int lastSpeaker() const { return lastSpeaker_; }

    // Sounds.
    void SelectWordSound(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    void SelectSoundFmt(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    void SelectSound(const std::string& file);
    void SelectMedia(const std::string& file);
    int SoundLength();
    void PlaySelected();
    void StopSelected();
    void StopAllSounds();
    // True while StopSelected or StopAllSounds runs: a PlayEnded raised then comes from a stop,
    // not from a sound heard to its end.
    bool StoppingSounds() const { return stopping_ > 0; }
    // The file of the current cached player, or of the media player; empty when none.
    std::string SelectedFile() const;
    // How far the current cached player has played, in bytes (0 before its first samples are
    // mixed; -1 for the media player or none): what a latency measurement watches.
    int64_t SelectedPlayPosition() const;
    // The current cached player (nullptr for the media player or none): what shows a word's voice.
    const TKaRamWav* SelectedPlayer() const { return mediaCurrent_ ? nullptr : current_; }

    // Actors: which = 0 male, 1 female, anything else both.
    void ShowSpeakers(int which, bool visible);
    void PlayActor(int speaker, int kind, bool loop);
    void SpeakActor(int speaker, int lengthMs);
    void StopActor(int speaker);
    void StopAnimations();
    TDIBImageStrip& ActorStrip(int speaker, int kind) { return *strips_[size_t(speaker)][size_t(kind)]; }
    // The strip of each speaker that is on top (the one the learner sees).
    int ShownKind(int speaker) const { return shownKind_[size_t(speaker)]; }

    // Recording.
    void StartRecording(int durationMs);
    void StopRecording();
    void SaveRecording(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    void PlayRecording();
    void StopRecordingPlay();
    TKaRecordWav& recorder() { return *recorder_; }

    // Notices for the screens.
    virtual void PlayEnded() {}
    virtual void RecordEnded() {}
    virtual void RecordProgress(int percent) {}
    virtual void RecordPlayEnded() {}
    virtual void SpeakerClicked(int speaker) {}

    void HandleInput(const InputEvent& e) override;

  protected:
    // Loads the bottom buttons and adds the actors; screens call it after their own Build() so
    // the bottom strip and the actors lie on top of their pictures.
    void BuildActivityBase();
    // Starts the shared stream for a new run of an exercise: in quiz mode from the classroom
    // manager's value, so every pupil gets the same draws; otherwise from the clock.
    void SeedSharedStream();
    TDIBButtonStrip& HelpButton() { return *help_; }
    TDIBButtonStrip& QuitButton() { return *quit_; }
    TDIBButtonStrip& RecordButton() { return *record_; }
    TDIBButtonStrip& PlayButton() { return *play_; }
    TDIBButtonStrip& SeqButton() { return *seq_; }

    TDIBVolatileImageList buttons_; // the bottom strip's pictures
    TDIBAnimList anim_;             // the screen's own animations, 20 ms

  private:
    void ActorNotify(int speaker, bool finished);
    void ContinueSpeak(int speaker);
    void BringStripToFront(int speaker, int kind);
    TKaRamWav& PlayerFor(const std::string& file);

    std::string rememberedTopic_;
    int rememberedNumber_ = 0;
    int lastSpeaker_ = -1;
    std::list<std::unique_ptr<TKaRamWav>> players_; // most recently used first
    TKaRamWav* current_ = nullptr;
    bool mediaCurrent_ = false;
    std::array<std::array<TDIBImageStrip*, 4>, 2> strips_{};
    std::array<int, 2> fps_{1, 1};
    std::array<int, 2> shownKind_{akIdle, akIdle};
    std::array<bool, 2> speakerVisible_{true, true};
    std::array<std::unique_ptr<TDIBAnimList>, 2> actorAnims_;
    int passes_ = 0, finalFrames_ = 0;
    int stopping_ = 0;
    std::unique_ptr<TKaRecordWav> recorder_;
    TDIBButtonStrip *help_ = nullptr, *quit_ = nullptr, *record_ = nullptr, *play_ = nullptr, *seq_ = nullptr;
};

} // namespace parlora
