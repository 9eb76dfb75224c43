#pragma once
// The memory quiz menu: an easy and a hard side, each with a button for every category and the
// learner's last score above it, and a dealer who shuffles cards on the side under the mouse.
#include "display/DIBAnimList.h"
#include "platform/Dispatcher.h"
#include "shell/DIBScreen.h"

#include <array>

namespace parlora {

class TDIBButtonStrip;
class TDIBImage;
class TDIBImageStrip;
class TDIBLabel;

class TForm_QuizMenu : public TDIBScreen {
  public:
    static constexpr int kButtons = 9;
    static constexpr int kEasyQuizCode = 61, kHardQuizCode = 62;

    explicit TForm_QuizMenu(TForm_Main& main);
    ~TForm_QuizMenu() override;

    void Start() override;
    void HandleInput(const InputEvent& e) override;

    // The records slot of menu button i (1 to 9).
    static int ButtonTopic(int button);
    void DIBBS_EasyClick(TCustomDIBControl& sender);
    void DIBBS_HardClick(TCustomDIBControl& sender);
    void DIBButton_QuitClick();
    void DIBButton_HelpClick();
    void SelectSide(int side);

    int side() const { return side_; }
    int total() const { return total_; }
    TDIBButtonStrip& EasyButton(int i) { return *easy_[size_t(i)]; }
    TDIBButtonStrip& HardButton(int i) { return *hard_[size_t(i)]; }
    TDIBLabel& EasyLabel(int i) { return *easyLabel_[size_t(i)]; }
    TDIBLabel& HardLabel(int i) { return *hardLabel_[size_t(i)]; }
    TDIBButtonStrip& QuitButton() { return *quit_; }
    bool idleTimerActive() const;

  private:
    void FillScores();
    void StopAll();
    void StartTimer();
    void Timer1Timer();

    std::array<TDIBButtonStrip*, kButtons + 1> easy_{}, hard_{};
    std::array<TDIBLabel*, kButtons + 1> easyLabel_{}, hardLabel_{};
    std::array<TDIBImageStrip*, 2> deal_{}, head_{};
    std::array<TDIBImage*, 2> lightOff_{};
    TDIBLabel* total_l_ = nullptr;
    TDIBButtonStrip *quit_ = nullptr, *help_ = nullptr;
    TDIBAnimList anim_;
    TimerId timer_ = 0;
    int side_ = -1;
    int total_ = 0;
    Lifetime lifetime_;
};

} // namespace parlora
