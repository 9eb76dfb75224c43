#include "activities/FormQuizMenu.h"

#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "display/DIBImageStrip.h"
#include "display/DIBLabel.h"
#include "shell/FormMain.h"

namespace parlora {
namespace {

constexpr int kTopics[TForm_QuizMenu::kButtons + 1] = {0, 0, 1, 2, 4, 5, 6, 7, 8, 9};
constexpr int kButtonW = 100, kButtonH = 60, kCaptionW = 150, kCaptionH = 24;
constexpr uint32_t kScoreColour = 0xFFFFE45Cu;

Rect ButtonRect(int side, int i) {
    const int col = (i - 1) % 3, row = (i - 1) / 3;
    return {side * 512 + 56 + col * 150, 330 + row * 125, kButtonW, kButtonH};
}

const char* SideName(int side) {
    return side == 0 ? "Easy" : "Hard";
}

} // namespace

int TForm_QuizMenu::ButtonTopic(int button) {
    return button >= 1 && button <= kButtons ? kTopics[button] : 9;
}

TForm_QuizMenu::TForm_QuizMenu(TForm_Main& main)
    : TDIBScreen(main, "TForm_QuizMenu"), anim_(main.dispatcher()) {
    std::vector<ImageItemSpec> items{
        {"Background", "Interface\\Memory\\Menu\\QuizMenuBG.png"},
        {"EasyBtn", "Interface\\Memory\\Menu\\EasyBtn.png"},
        {"HardBtn", "Interface\\Memory\\Menu\\HardBtn.png"},
        {"Deal", "Interface\\Memory\\Menu\\Deal.png", true, true},
        {"DealHead", "Interface\\Memory\\Menu\\DealHead.png", true, true},
        {"LightOff", "Interface\\Memory\\Menu\\LightOff.png"},
        {"Labels", "", false},
        {"helpbtn", "Interface\\MainMenu\\helpbtn.png"},
        {"exitbtn", "Interface\\MainMenu\\exitbtn.png"},
    };
    std::vector<ElementSpec> e;
    for (int side = 0; side < 2; ++side) {
        const int x0 = side * 512;
        ElementSpec head{Format("DIBIS_%sHead", SideName(side)),
                         ElementKind::ImageStrip,
                         {x0 + 196, 30, 120, 120},
                         "DealHead",
                         0,
                         efDisabled};
        head.numImagesX = 3;
        e.push_back(head);
        ElementSpec deal{Format("DIBIS_%sDeal", SideName(side)),
                         ElementKind::ImageStrip,
                         {x0 + 181, 140, 150, 150},
                         "Deal",
                         0,
                         efDisabled};
        deal.numImagesX = 6;
        e.push_back(deal);
        for (int i = 1; i <= kButtons; ++i) {
            Rect r = ButtonRect(side, i);
            // The ninth button is the mixed category 0.
            e.push_back({Format("DIBBS_%s%d", SideName(side), i), ElementKind::ButtonStrip, r,
                         side == 0 ? "EasyBtn" : "HardBtn", i < kButtons ? i : 0});
            ElementSpec caption{Format("DIBIS_%sCaption%d", SideName(side), i),
                                ElementKind::ImageStrip,
                                {r.x + r.w / 2 - kCaptionW / 2, r.y + r.h + 2, kCaptionW, kCaptionH},
                                "Labels",
                                0,
                                efDisabled};
            caption.numImagesX = 1;
            caption.numImagesY = kButtons;
            e.push_back(caption);
            e.push_back({Format("Label_%s%d", SideName(side), i), ElementKind::Label,
                         Rect{r.x, r.y - 26, r.w, 24}, "", 0, efHidden | efDisabled});
        }
    }
    e.push_back({"DIBI_EasyLightOff", ElementKind::Image, {0, 0, 512, 768}, "LightOff", 0, efDisabled});
    e.push_back({"DIBI_HardLightOff", ElementKind::Image, {512, 0, 512, 768}, "LightOff", 0, efDisabled});
    e.push_back({"Label_Total", ElementKind::Label, {412, 700, 200, 40}, "", 0, efDisabled});
    e.push_back({"DIBBS_Help", ElementKind::ButtonStrip, {22, 707, 60, 60}, "helpbtn"});
    e.push_back({"DIBBS_Quit", ElementKind::ButtonStrip, {956, 707, 60, 60}, "exitbtn"});
    Build(items, e);
    try {
        LoadPicture("Labels", main_.folders().SourceDir + "\\General\\MemLabel.png");
    } catch (const std::exception& ex) {
        // The buttons still work without their captions: say what is missing and go on.
        main_.ShowAppMessage(ex.what(), MsgKind::Warning, -1, {MsgButton::OK});
    }

    for (int side = 0; side < 2; ++side) {
        deal_[size_t(side)] = &Element<TDIBImageStrip>(Format("DIBIS_%sDeal", SideName(side)));
        head_[size_t(side)] = &Element<TDIBImageStrip>(Format("DIBIS_%sHead", SideName(side)));
        lightOff_[size_t(side)] = &Element<TDIBImage>(Format("DIBI_%sLightOff", SideName(side)));
        lightOff_[size_t(side)]->SetOpacity(150);
        deal_[size_t(side)]->SetFrameIndex(5);
        for (int i = 1; i <= kButtons; ++i)
            FindElement<TDIBImageStrip>(container_, side == 0 ? "DIBIS_EasyCaption%d" : "DIBIS_HardCaption%d",
                                        i)
                .SetImageIndexY(i < kButtons ? i : 0);
    }
    for (int i = 1; i <= kButtons; ++i) {
        easy_[size_t(i)] = &FindElement<TDIBButtonStrip>(container_, "DIBBS_Easy%d", i);
        hard_[size_t(i)] = &FindElement<TDIBButtonStrip>(container_, "DIBBS_Hard%d", i);
        easy_[size_t(i)]->OnClick = [this](TCustomDIBControl& s) { DIBBS_EasyClick(s); };
        hard_[size_t(i)]->OnClick = [this](TCustomDIBControl& s) { DIBBS_HardClick(s); };
        TDIBLabel* found = dynamic_cast<TDIBLabel*>(container_.FindComponent(Format("Label_Easy%d", i)));
        if (!found) throw DIBException(Format("Can't find Label_Easy%d", i));
        easyLabel_[size_t(i)] = found;
        found = dynamic_cast<TDIBLabel*>(container_.FindComponent(Format("Label_Hard%d", i)));
        if (!found) throw DIBException(Format("Can't find Label_Hard%d", i));
        hardLabel_[size_t(i)] = found;
        for (TDIBLabel* label : {easyLabel_[size_t(i)], hardLabel_[size_t(i)]}) {
            label->SetFont({"Arial", 20, true, false});
            label->SetFontColor(kScoreColour);
            label->SetAlignment(TextAlign::Centre);
            label->SetTransparent(true);
        }
    }
    total_l_ = &Element<TDIBLabel>("Label_Total");
    total_l_->SetFont({"Arial", 30, true, false});
    total_l_->SetFontColor(kScoreColour);
    total_l_->SetAlignment(TextAlign::Centre);
    total_l_->SetTransparent(true);
    quit_ = &Element<TDIBButtonStrip>("DIBBS_Quit");
    help_ = &Element<TDIBButtonStrip>("DIBBS_Help");
    quit_->OnClick = [this](TCustomDIBControl&) { DIBButton_QuitClick(); };
    help_->OnClick = [this](TCustomDIBControl&) { DIBButton_HelpClick(); };

    anim_.SetInterval(20);
    anim_.AnimNotify = [this](TCustomDIBControl&, bool finished) {
        if (finished) StartTimer();
    };
    SelectSide(1);
    FillScores();
}

TForm_QuizMenu::~TForm_QuizMenu() {
    anim_.AnimNotify = nullptr;
    if (timer_ != 0) main_.dispatcher().killTimer(timer_);
}

void TForm_QuizMenu::FillScores() {
    total_ = 0;
    TRecordsStore* records = main_.records();
    for (int i = 1; i <= kButtons; ++i) {
        const int t = ButtonTopic(i);
        const int easy = records ? records->GetScore(t, 5) : -1;
        const int hard = records ? records->GetScore(t, 6) : -1;
        if (easy >= 0) {
            easyLabel_[size_t(i)]->SetCaption(std::to_string(easy));
            easyLabel_[size_t(i)]->SetVisible(true);
            total_ += easy;
        }
        if (hard >= 0) {
            hardLabel_[size_t(i)]->SetCaption(std::to_string(hard));
            hardLabel_[size_t(i)]->SetVisible(true);
            total_ += hard;
        }
    }
    total_l_->SetCaption(std::to_string(total_));
}

void TForm_QuizMenu::Start() {
    // The quiz screens seed the shared stream again when they start; the idle play uses the course's.
    main_.random().SeedSharedFromClock(main_.platform().clock());
    StartTimer();
}

void TForm_QuizMenu::HandleInput(const InputEvent& e) {
    if (e.kind == InputEvent::Kind::MouseMove) SelectSide(e.x < 512 ? 0 : 1);
    TDIBScreen::HandleInput(e);
}

void TForm_QuizMenu::SelectSide(int side) {
    if (side == side_) return;
    side_ = side;
    StopAll();
    for (int s = 0; s < 2; ++s) {
        deal_[size_t(s)]->SetFrameIndex(5);
        head_[size_t(s)]->SetFrameIndex(0);
        lightOff_[size_t(s)]->SetVisible(s != side_);
    }
    StartTimer();
}

void TForm_QuizMenu::StopAll() {
    if (timer_ != 0) main_.dispatcher().killTimer(timer_);
    timer_ = 0;
    anim_.StopAnims();
}

bool TForm_QuizMenu::idleTimerActive() const {
    return timer_ != 0 && main_.dispatcher().timerActive(timer_);
}

void TForm_QuizMenu::StartTimer() {
    if (timer_ != 0) main_.dispatcher().killTimer(timer_);
    const uint32_t ms = uint32_t(std::max(1, main_.random().CourseRandom(2500)));
    timer_ = main_.dispatcher().setTimer(
        ms, false, [this] { Timer1Timer(); }, lifetime_.guard());
}

void TForm_QuizMenu::Timer1Timer() {
    timer_ = 0;
    if (side_ < 0) return;
    TDIBImageStrip& head = *head_[size_t(side_)];
    TDIBImageStrip& deal = *deal_[size_t(side_)];
    const int r = main_.random().CourseRandom(7);
    if (r == 0) {
        // Looks down, shuffles through the six frames and looks up, each time the other way round.
        const bool up = deal.FrameIndex() == 0;
        anim_.AddCallbackAnim(
            2000, deal, up ? 0 : 9, up ? 9 : 0,
            [&head, &deal](int v) {
                if (v == 0 || v == 9)
                    head.SetFrameIndex(0);
                else if (v == 1 || v == 8)
                    head.SetFrameIndex(1);
                else
                    deal.SetFrameIndex(v - 2);
            },
            false);
    } else if (r <= 2) {
        anim_.AddIndexedStripAnim(300, head, {0, 1, 0}, false);
    } else {
        anim_.AddIndexedStripAnim(300, head, {0, 2, 0}, false);
    }
}

void TForm_QuizMenu::DIBBS_EasyClick(TCustomDIBControl& sender) {
    StopAll();
    main_.SetQuizCategoryAndRequest(sender.Tag, kEasyQuizCode, 1);
}

void TForm_QuizMenu::DIBBS_HardClick(TCustomDIBControl& sender) {
    StopAll();
    main_.SetQuizCategoryAndRequest(sender.Tag, kHardQuizCode, 1);
}

void TForm_QuizMenu::DIBButton_QuitClick() {
    StopAll();
    main_.RequestScreen(9, 2);
}

void TForm_QuizMenu::DIBButton_HelpClick() {
    main_.ShowHelpPicture(7);
}

} // namespace parlora
