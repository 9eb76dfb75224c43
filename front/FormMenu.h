#pragma once
// The main menu: one section per topic plus the memory quiz, the student's name and score, a progress
// light for every activity of every topic, the volume slider and the way to awards, languages and
// actors. Sections flip by themselves after five seconds without mouse movement.
#include "display/DIBAnimList.h"
#include "display/DIBImageStrip.h"
#include "front/VolumeSlider.h"
#include "shell/DIBScreen.h"
#include "shell/ScreenRoute.h"

#include <array>
#include <memory>
#include <set>
#include <string>

namespace parlora {

class TDIBButtonStrip;
class TDIBImage;
class TDIBLabel;

class TForm_Menu : public TDIBScreen {
  public:
    static constexpr int kSections = 10;
    static constexpr int kLights = 45;
    // The volume slider's travel.
    static constexpr int kSliderMin = 432, kSliderMax = 582;
    static constexpr uint32_t kIdleDelayMs = 5000;

    TForm_Menu(TForm_Main& main, const TScreenParams& params);
    ~TForm_Menu() override;

    void Start() override;
    void QuizScore(int score) override;
    void ContentChanged() override;
    // Stops the idle flips and every running animation (also when an activity starts from outside).
    void StopMenuAnimations();

    struct Spot {
        int x = 0, y = 0;
    };
    // Centre of light n (1..45) on the ring about the sections.
    static Spot LightCentre(int n);
    // The screen code a section (tag 1..10) leads to.
    static int SectionCode(int tag);
    // The knob's left edge for a volume, and the volume for a knob position.
    static int SliderLeft(uint16_t volume) { return TVolumeSlider::Left(volume, kSliderMin, kSliderMax); }
    static uint16_t SliderVolume(int left) { return TVolumeSlider::Volume(left, kSliderMin, kSliderMax); }

    TDIBImageStrip& Section(int n) const { return *sections_[size_t(n - 1)]; }
    TDIBImageStrip& Light(int n) const { return *lights_[size_t(n - 1)]; }
    bool IdleAnimationRan() const { return idleRan_; }
    bool IdleTimerActive() const;
    TDIBAnimList& animations() { return anims_; }

  private:
    void FormCreate();
    void ShowName();
    void ShowLights();
    void ApplyStreamFlags();
    void WireEvents();

    void SectClick(TCustomDIBControl& sender);
    void SectMouseEnter(TCustomDIBControl& sender);
    void SectMouseLeave(TCustomDIBControl& sender);
    void DIBImageContainer1MouseMove();
    void Timer_IdleTimer();
    void DIBBS_ExitClick();
    void DIBBS_HelpClick();
    void DIBBS_LanguageClick();
    void DIBBS_AwardClick();
    void DIBBS_ActorClick();
    void DIBBS_WWWClick();

    void SetIdleTimer(uint32_t ms);
    void KillIdleTimer();
    void Leave(int code, int kind);

    TDIBAnimList anims_;
    TVolumeSlider volume_;
    std::array<TDIBImageStrip*, kSections> sections_{};
    std::array<TDIBImageStrip*, kLights> lights_{};
    TDIBImage* slider_ = nullptr;
    TimerId idleTimer_ = 0;
    bool idleRan_ = false;
    bool flipForward_ = true; // the phase of the next idle tick
    bool quiz_ = false;
};

} // namespace parlora
