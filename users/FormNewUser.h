#pragma once
// The welcome screen for a student's first use: their name, a spoken welcome, and an arrow that
// points at the help button which leads on to the main menu.
#include "media/KaMixer.h"
#include "shell/DIBScreen.h"
#include "shell/ScreenRoute.h"

#include <memory>

namespace parlora {

class TDIBLabel;
class TDIBImageStrip;
class TDIBButtonStrip;

class TForm_NewUser : public TDIBScreen {
  public:
    static constexpr int kNameWidth = 324;

    TForm_NewUser(TForm_Main& main, const TScreenParams& params);
    ~TForm_NewUser() override;

    void Start() override;
    void Timer1Timer();
    void DIBBS_HelpClick();

    TDIBLabel& nameLabel() { return *name_; }
    bool arrowTimerActive() const;

  private:
    std::string HelpSoundBase(int n) const;

    TDIBLabel* name_ = nullptr;
    TDIBImageStrip* arrow_ = nullptr;
    TDIBButtonStrip* help_ = nullptr;
    TimerId timer_ = 0;
    std::unique_ptr<TKaMixer> mixer_;
};

} // namespace parlora
