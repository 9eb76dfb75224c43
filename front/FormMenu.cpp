#include "front/FormMenu.h"

#include "front/FrontLayout.h"

#include "core/PathResolver.h"
#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBLabel.h"
#include "front/FormSubMenu.h"
#include "front/FrontScreens.h"
#include "shell/FormMain.h"
#include "shell/ScreenFactory.h"

#include <cmath>

namespace parlora {

namespace {

constexpr std::array<int, 10> kSectionCodes{14, 20, 25, 30, 35, 40, 45, 50, 55, 60};

constexpr int kLightSize = FrontLayout::kMenuLightSize;

constexpr uint32_t kFlipMs = 500;
constexpr uint32_t kFlipPauseMs = 1000;
constexpr int kRestFrame = 0, kLastFlipFrame = 8, kHighlightFrame = 9;
constexpr uint8_t kUnavailableOpacity = 64;

constexpr uint32_t kNameRed = 0xFFFF0000u, kWhite = 0xFFFFFFFFu;
constexpr int kNameFontHeight = 28;

std::vector<ImageItemSpec> MenuImages() {
    std::vector<ImageItemSpec> items{
        {"Background", "Interface\\MainMenu\\MenuBg.png"},
        {"Menu1", "", false},
        {"Label", "", false},
    };
    for (int n = 1; n <= 9; ++n)
        items.push_back({Format("Flip%d", n), Format("Interface\\MainMenu\\flip%d.PNG", n), true, true});
    const ImageItemSpec rest[] = {
        {"MemFlip", "Interface\\MainMenu\\memflip.PNG", true, true},
        {"Lights", "Interface\\MainMenu\\Lights.png"},
        {"AwardStrip", "Interface\\MainMenu\\AwardStrip.png"},
        {"ChangeLangStrip", "Interface\\MainMenu\\ChangeLangStrip.png"},
        {"ChooseActorStrip", "Interface\\MainMenu\\ChooseActorStrip.png"},
        {"wwwStrip", "Interface\\MainMenu\\wwwStrip.png"},
        {"helpbtn", "Interface\\MainMenu\\helpbtn.png"},
        {"exitbtn", "Interface\\MainMenu\\exitbtn.png"},
        {"Slider", "Interface\\MainMenu\\Slider.png", true, true},
    };
    items.insert(items.end(), std::begin(rest), std::end(rest));
    return items;
}

ElementSpec Strip(std::string name, Rect r, std::string picture, int frames, int tag = 0,
                  unsigned flags = 0) {
    ElementSpec e{std::move(name), ElementKind::ImageStrip, r, std::move(picture), tag, flags};
    e.numImagesX = frames;
    return e;
}

ElementSpec Button(std::string name, Rect r, std::string picture) {
    return {std::move(name), ElementKind::ButtonStrip, r, std::move(picture)};
}

// Labels are only text: they let the mouse through to what lies beneath.
ElementSpec Text(std::string name, Rect r, unsigned flags = 0) {
    return {std::move(name), ElementKind::Label, r, "", 0, flags | efDisabled};
}

std::vector<ElementSpec> MenuLayout() {
    std::vector<ElementSpec> e{{"DIBI_Menu1", ElementKind::Image, FrontLayout::kMenuPicture, "Menu1"}};
    for (int n = 1; n <= 9; ++n)
        e.push_back(Strip(Format("DIBIS_Sect%d", n),
                          {FrontLayout::kMenuSectionAt[n - 1][0], FrontLayout::kMenuSectionAt[n - 1][1],
                           FrontLayout::kMenuSectionW, FrontLayout::kMenuSectionH},
                          Format("Flip%d", n), 10, n));
    e.push_back(Strip("DIBIS_Sect10", {799, 525, 120, 120}, "MemFlip", 10, 10));
    // Lights only show progress: disabled, so the mouse passes to the sections and labels beneath.
    for (int n = 1; n <= TForm_Menu::kLights; ++n) {
        TForm_Menu::Spot c = TForm_Menu::LightCentre(n);
        e.push_back(Strip(Format("DIBIS_Light%d", n),
                          {c.x - kLightSize / 2, c.y - kLightSize / 2, kLightSize, kLightSize}, "Lights", 5,
                          0, efHidden | efDisabled));
    }
    e.push_back({"DIBI_Label", ElementKind::Image, {107, 70, 143, 47}, "Label"});
    e.push_back(Text("Label_Name", {88, 124, 183, 27}));
    e.push_back(Text("Label_Score", {138, 152, 80, 27}));
    e.push_back(Text("Label_Centre", {444, 328, 137, 85}, efHidden));
    e.push_back(Button("DIBBS_Award", {162, 183, 100, 100}, "AwardStrip"));
    e.push_back(Button("DIBBS_Language", {485, 664, 75, 58}, "ChangeLangStrip"));
    e.push_back(Button("DIBBS_Actor", {562, 674, 65, 48}, "ChooseActorStrip"));
    e.push_back(Button("DIBBS_WWW", {417, 674, 65, 48}, "wwwStrip"));
    e.push_back(Button("DIBBS_Help", {22, 707, 60, 60}, "helpbtn"));
    e.push_back(Button("DIBBS_Exit", {956, 707, 60, 60}, "exitbtn"));
    e.push_back({"DIBI_Slider", ElementKind::Image, {TForm_Menu::kSliderMin, 723, 9, 23}, "Slider"});
    return e;
}

void StyleLabel(TDIBLabel& label, const std::string& family, int height, uint32_t colour) {
    label.SetFont({family, height, true, false});
    label.SetFontColor(colour);
    label.SetAlignment(TextAlign::Centre);
}

} // namespace

TForm_Menu::Spot TForm_Menu::LightCentre(int n) {
    using namespace FrontLayout;
    const double rad = MenuLightDegrees(n) * M_PI / 180.0;
    return {int(std::lround(kMenuLightRingX + kMenuLightRingRadius * std::cos(rad))),
            int(std::lround(kMenuLightRingY + kMenuLightRingRadius * std::sin(rad)))};
}

int TForm_Menu::SectionCode(int tag) {
    return tag >= 1 && tag <= kSections ? kSectionCodes[size_t(tag - 1)] : 0;
}

TForm_Menu::TForm_Menu(TForm_Main& main, const TScreenParams&)
    : TDIBScreen(main, "TForm_Menu"), anims_(main.dispatcher()),
      volume_(main.platform().volume(), kSliderMin, kSliderMax) {
    anims_.SetInterval(20);
    FormCreate();
}

TForm_Menu::~TForm_Menu() {
    KillIdleTimer();
    anims_.StopAnims();
}

void TForm_Menu::FormCreate() {
    TForm_Main& m = main_;
    quiz_ = m.options().quiz;
    if (m.mainMenuHelpRequested) {
        m.mainMenuHelpRequested = false;
        int source = m.catalogue() ? m.catalogue()->sourceNumber() : 0;
        PlayHelpSound(Format("%s\\general\\aif\\%dhelp3", m.folders().SourceDir.c_str(), source));
    }

    Build(MenuImages(), MenuLayout());
    for (int n = 1; n <= kSections; ++n) {
        auto* s = dynamic_cast<TDIBImageStrip*>(container_.FindComponent(Format("DIBIS_Sect%d", n)));
        if (!s) throw DIBException(Format("Can't find DIBIS_Section%d", n));
        sections_[size_t(n - 1)] = s;
    }
    for (int n = 1; n <= kLights; ++n) {
        auto* l = dynamic_cast<TDIBImageStrip*>(container_.FindComponent(Format("DIBIS_Light%d", n)));
        if (!l) throw DIBException(Format("Can't find DIBIS_Light%d", n));
        l->SetImageIndexX((n - 1) % 5);
        lights_[size_t(n - 1)] = l;
    }
    slider_ = &Element<TDIBImage>("DIBI_Slider");

    if (TLanguageCatalogue* cat = m.catalogue()) {
        auto& title = Element<TDIBImage>("DIBI_Label");
        title.SetVisible(cat->TitleVisible());
        if (cat->TitleVisible()) LoadPicture("Label", cat->TitlePicturePath());
    }
    LoadPicture("Menu1", Format("%s\\general\\menu1.png", m.folders().SourceDir.c_str()));

    ShowName();
    auto& score = Element<TDIBLabel>("Label_Score");
    StyleLabel(score, "Arial", kNameFontHeight, kNameRed);
    score.SetCaption(std::to_string(m.records() ? m.records()->NetworkScore() : 0));
    StyleLabel(Element<TDIBLabel>("Label_Centre"), "Arial", kNameFontHeight, kWhite);
    Element<TDIBLabel>("Label_Centre").SetWordWrap(true);

    ShowLights();

    Element<TDIBButtonStrip>("DIBBS_WWW").SetEnabled(!m.settings().Web.empty());
    Element<TDIBButtonStrip>("DIBBS_Language").SetEnabled(m.settings().ChangeLanguage);
    Element<TDIBButtonStrip>("DIBBS_Actor").SetEnabled(m.settings().ChangeActor);

    if (quiz_) {
        // The classroom manager starts the quiz; until then the learner can go nowhere.
        for (const char* name :
             {"DIBBS_WWW", "DIBBS_Language", "DIBBS_Actor", "DIBBS_Award", "DIBBS_Help", "DIBBS_Exit"})
            Element<TDIBButtonStrip>(name).SetEnabled(false);
        for (TDIBImageStrip* s : sections_)
            s->SetEnabled(false);
        auto& centre = Element<TDIBLabel>("Label_Centre");
        centre.SetCaption("Please wait for the Quiz!");
        centre.SetVisible(true);
    }

    ApplyStreamFlags();
    WireEvents();

    volume_.Open(false);
}

void TForm_Menu::ShowName() {
    TForm_Main& m = main_;
    auto& name = Element<TDIBLabel>("Label_Name");
    if (m.settings().recordsMode == RecordsMode::Off) {
        name.SetVisible(false);
        auto& score = Element<TDIBLabel>("Label_Score");
        score.SetTop(score.Top() - 20);
        return;
    }
    std::string family = m.catalogue() ? m.catalogue()->sourceFontName() : "Arial";
    std::string text = m.records() ? m.records()->CurrentStudent() : "";
    FontSpec font{family, kNameFontHeight, true, false};
    // Height 1 is as small as text goes; a name wider even then is clipped rather than looping on.
    while (font.pixelHeight > 1 && TextRenderer::Measure(text, font).width > name.Width())
        --font.pixelHeight;
    StyleLabel(name, family, font.pixelHeight, kNameRed);
    name.SetCaption(text);
}

void TForm_Menu::ShowLights() {
    TRecordsStore* records = main_.records();
    for (int n = 1; n <= kLights; ++n) {
        int topic = (n - 1) / 5, activity = (n - 1) % 5;
        Light(n).SetVisible(records && records->GetScore(topic, activity) != -1);
    }
}

void TForm_Menu::ApplyStreamFlags() {
    std::optional<std::string> flags = main_.ReadStreamFlags();
    if (!flags) return;
    std::set<std::string> set;
    for (const std::string& word : Split(*flags, ','))
        set.insert(ToLowerAscii(Trim(word)));
    auto has = [&](const std::string& w) { return set.count(ToLowerAscii(w)) != 0; };
    for (int n = 1; n <= kSections; ++n) {
        bool on = has(Format("S%d", n));
        if (!quiz_) Section(n).SetEnabled(on);
        Section(n).SetOpacity(on ? 255 : kUnavailableOpacity);
    }
    if (!quiz_) {
        Element<TDIBButtonStrip>("DIBBS_Actor").SetEnabled(has("Actor"));
        Element<TDIBButtonStrip>("DIBBS_Award").SetEnabled(has("Award"));
    }
}

void TForm_Menu::WireEvents() {
    for (TDIBImageStrip* s : sections_) {
        s->OnClick = [this](TCustomDIBControl& c) { SectClick(c); };
        s->OnMouseEnter = [this](TCustomDIBControl& c) { SectMouseEnter(c); };
        s->OnMouseLeave = [this](TCustomDIBControl& c) { SectMouseLeave(c); };
    }
    container_.OnMouseMove = [this](TDIBContainer&, int, int) { DIBImageContainer1MouseMove(); };
    Element<TDIBImage>("DIBI_Menu1").OnMouseMove = [this](TCustomDIBControl&, int, int) {
        DIBImageContainer1MouseMove();
    };
    auto onClick = [this](const char* name, void (TForm_Menu::*handler)()) {
        Element<TDIBButtonStrip>(name).OnClick = [this, handler](TCustomDIBControl&) { (this->*handler)(); };
    };
    onClick("DIBBS_Exit", &TForm_Menu::DIBBS_ExitClick);
    onClick("DIBBS_Help", &TForm_Menu::DIBBS_HelpClick);
    onClick("DIBBS_Language", &TForm_Menu::DIBBS_LanguageClick);
    onClick("DIBBS_Award", &TForm_Menu::DIBBS_AwardClick);
    onClick("DIBBS_Actor", &TForm_Menu::DIBBS_ActorClick);
    onClick("DIBBS_WWW", &TForm_Menu::DIBBS_WWWClick);
    volume_.Attach(
        *slider_, [this](const std::string& line) { main_.DebugLog(line); },
        [this] {
            PlayEffect(PathResolver::Resolve(
                Format("%s\\common\\sounds\\bing.wav", main_.folders().InterfaceDir.c_str())));
        });
}

void TForm_Menu::Start() {
    SetIdleTimer(5);
}

void TForm_Menu::QuizScore(int score) {
    Element<TDIBLabel>("Label_Score").SetCaption(std::to_string(score));
}

void TForm_Menu::ContentChanged() {
    ApplyStreamFlags();
}

bool TForm_Menu::IdleTimerActive() const {
    return idleTimer_ != 0 && main_.dispatcher().timerActive(idleTimer_);
}

void TForm_Menu::SetIdleTimer(uint32_t ms) {
    KillIdleTimer();
    idleTimer_ = main_.dispatcher().setTimer(
        ms, false,
        [this] {
            idleTimer_ = 0;
            Timer_IdleTimer();
        },
        guard());
}

void TForm_Menu::KillIdleTimer() {
    if (idleTimer_) main_.dispatcher().killTimer(idleTimer_);
    idleTimer_ = 0;
}

void TForm_Menu::Timer_IdleTimer() {
    idleRan_ = true;
    bool forward = flipForward_;
    flipForward_ = !flipForward_;
    for (TDIBImageStrip* s : sections_)
        if (s->Enabled())
            anims_.AddStripAnim(kFlipMs, *s, forward ? kRestFrame : kLastFlipFrame,
                                forward ? kLastFlipFrame : kRestFrame, false);
    uint32_t next = kFlipPauseMs;
    if (!forward) next += uint32_t(main_.random().CourseRandom(5000));
    SetIdleTimer(next);
}

void TForm_Menu::DIBImageContainer1MouseMove() {
    KillIdleTimer();
    if (idleRan_) {
        anims_.StopAnims();
        for (TDIBImageStrip* s : sections_)
            if (s->Enabled()) s->SetImageIndexX(kRestFrame);
        idleRan_ = false;
        flipForward_ = true;
    }
    SetIdleTimer(kIdleDelayMs);
}

void TForm_Menu::StopMenuAnimations() {
    KillIdleTimer();
    anims_.StopAnims();
}

void TForm_Menu::Leave(int code, int kind) {
    StopMenuAnimations();
    main_.RequestScreen(code, kind);
}

void TForm_Menu::SectClick(TCustomDIBControl& sender) {
    if (quiz_) return;
    StopMenuAnimations();
    auto& strip = static_cast<TDIBImageStrip&>(sender);
    strip.SetImageIndexX(kHighlightFrame);
    main_.dispatcher().invalidate();
    main_.RequestScreen(SectionCode(sender.Tag), 1);
}

void TForm_Menu::SectMouseEnter(TCustomDIBControl& sender) {
    if (quiz_) return;
    DIBImageContainer1MouseMove();
    static_cast<TDIBImageStrip&>(sender).SetImageIndexX(kHighlightFrame);
}

void TForm_Menu::SectMouseLeave(TCustomDIBControl& sender) {
    if (quiz_) return;
    static_cast<TDIBImageStrip&>(sender).SetImageIndexX(kRestFrame);
}

void TForm_Menu::DIBBS_ExitClick() {
    if (quiz_)
        Leave(0, 0);
    else
        Leave(1, 2);
}

void TForm_Menu::DIBBS_HelpClick() {
    StopMenuAnimations();
    main_.ShowHelpPicture(4);
}

void TForm_Menu::DIBBS_LanguageClick() {
    Leave(10, 5);
}

void TForm_Menu::DIBBS_AwardClick() {
    Leave(12, 3);
}

void TForm_Menu::DIBBS_ActorClick() {
    Leave(11, 5);
}

void TForm_Menu::DIBBS_WWWClick() {
    StopMenuAnimations();
    main_.OpenHelpLink(main_.settings().Web);
}

void RegisterMenuScreens(TScreenFactory& factory) {
    factory.Register("TForm_Menu", [](TForm_Main& m, const TScreenParams& p) {
        return std::unique_ptr<TScreen>(new TForm_Menu(m, p));
    });
    RegisterTopicMenus(factory);
}

} // namespace parlora
