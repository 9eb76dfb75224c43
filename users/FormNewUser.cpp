#include "users/FormNewUser.h"

#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBLabel.h"
#include "shell/FormMain.h"

#include <algorithm>

namespace parlora {

TForm_NewUser::TForm_NewUser(TForm_Main& main, const TScreenParams&) : TDIBScreen(main, "TForm_NewUser") {
    Build(
        {
            {"Background", "Interface\\NewUser\\NewUserBG.png", true, false},
            {"Help", "", false, false},
            {"Arrow", "Interface\\NewUser\\Arrow.png", true, true},
            {"HelpBtn", "Interface\\MainMenu\\helpbtn.png", true, true},
        },
        {
            {"DIBI_Help", ElementKind::Image, {350, 339, 324, 89}, "Help"},
            {"DIBIS_Arrow", ElementKind::ImageStrip, {76, 564, 158, 151}, "Arrow", 0, 0, 2, 1},
            {"DIBBS_Help", ElementKind::ButtonStrip, {22, 702, 0, 0}, "HelpBtn", 0, efAutoSize},
            {"Label_Name", ElementKind::Label, {350, 518, kNameWidth, 27}, "", 0, efHidden},
        });
    LoadPicture("Help", Format("%s\\general\\welcome.png", main_.folders().SourceDir.c_str()));
    arrow_ = &Element<TDIBImageStrip>("DIBIS_Arrow");
    help_ = &Element<TDIBButtonStrip>("DIBBS_Help");
    help_->OnClick = [this](TCustomDIBControl&) { DIBBS_HelpClick(); };

    name_ = &Element<TDIBLabel>("Label_Name");
    FontSpec font;
    font.family = main_.catalogue() ? main_.catalogue()->sourceFontName() : "Arial";
    font.pixelHeight = 28;
    font.bold = true;
    std::string student = main_.records() ? main_.records()->CurrentStudent() : std::string();
    while (font.pixelHeight > 1 && TextRenderer::Measure(student, font).width > name_->Width())
        --font.pixelHeight;
    name_->SetFont(font);
    name_->SetFontColor(0xFFFFFFFFu);
    name_->SetAlignment(TextAlign::Centre);
    name_->SetTransparent(true);
    name_->SetCaption(student);
    name_->SetVisible(true);

    // The configured volume; a course without a mixer still opens.
    if (main_.settings().Volume > 0) {
        try {
            mixer_ = std::make_unique<TKaMixer>(main_.platform().volume());
            // Values above 100 would wrap round to a whisper: take them as full volume.
            int percent = std::min(main_.settings().Volume, 100);
            mixer_->SetVolume(uint16_t(percent * 65535 / 100));
        } catch (const std::exception& e) {
            main_.DebugLog(std::string("Mixer: ") + e.what());
        }
    }
}

TForm_NewUser::~TForm_NewUser() {
    if (timer_) main_.dispatcher().killTimer(timer_);
}

std::string TForm_NewUser::HelpSoundBase(int n) const {
    int source = main_.catalogue() ? main_.catalogue()->sourceNumber() : 0;
    return Format("%s\\general\\aif\\%dhelp%d", main_.folders().SourceDir.c_str(), source, n);
}

void TForm_NewUser::Start() {
    PlayHelpSound(HelpSoundBase(1));
    timer_ = main_.dispatcher().setTimer(
        500, true, [this] { Timer1Timer(); }, guard());
}

bool TForm_NewUser::arrowTimerActive() const {
    return timer_ != 0 && main_.dispatcher().timerActive(timer_);
}

void TForm_NewUser::Timer1Timer() {
    arrow_->SetImageIndexX(arrow_->ImageIndexX() == 0 ? 1 : 0);
}

void TForm_NewUser::DIBBS_HelpClick() {
    help_->SetEnabled(false);
    if (timer_) main_.dispatcher().killTimer(timer_);
    timer_ = 0;
    arrow_->SetVisible(false);
    PlayHelpSound(HelpSoundBase(2));
    main_.ShowHelpPicture(35);
    main_.mainMenuHelpRequested = true;
    main_.RequestScreen(9, main_.settings().Fancy ? 6 : 1);
}

} // namespace parlora
