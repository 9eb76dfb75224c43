#include "front/FormSubMenu.h"

#include "front/FrontLayout.h"

#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBLabel.h"
#include "display/ScreenLayout.h"
#include "shell/FormMain.h"
#include "shell/ScreenFactory.h"

#include <tuple>
#include <utility>

namespace parlora {

namespace {

constexpr std::array<TTopicMenuRow, 9> kTopicMenus{{
    {"TForm_WordsMenu", 0, 15, 16, 17, 18, 214, "TForm_WordsPrint", "Interface\\FirstWords\\SubMenu",
     "FWSubMenu.png", "PracBtn.png", "EasyBtn.png", "HardBtn.png"},
    {"TForm_FoodMenu", 1, 21, 22, 23, 24, 219, "TForm_FoodPrint", "Interface\\Food\\SubMenu",
     "FoodSubMenu.png", "FoodPracBtn.png", "FoodEasyBtn.png", "FoodHardBtn.png"},
    {"TForm_ColoursMenu", 2, 26, 27, 28, 29, 224, "TForm_ColoursPrint", "Interface\\Colours\\SubMenu",
     "ColSMBG.png", "ColPracBtn.png", "ColEasyBtn.png", "ColHardBtn.png"},
    {"TForm_PhrasesMenu", 3, 31, 32, 33, 34, 229, "TForm_PhrasesPrint", "Interface\\Phrases\\SubMenu",
     "PhrasesSubMenu.png", "PracBtn.png", "EasyBtn.png", "HardBtn.png"},
    {"TForm_BodyMenu", 4, 36, 37, 38, 39, 234, "TForm_BodyPrint", "Interface\\Body\\SubMenu", "BodySMBG.png",
     "BodyPracBtn.png", "BodyEasyBtn.png", "BodyHardBtn.png"},
    {"TForm_NumbersMenu", 5, 41, 42, 43, 44, 239, "TForm_NumbersPrint", "Interface\\Numbers\\SubMenu",
     "NumbersSubMenu.png", "NumPracBtn.png", "NumEasyBtn.png", "NumHardBtn.png"},
    {"TForm_TimeMenu", 6, 46, 47, 48, 49, 244, "TForm_TimePrint", "Interface\\Time\\SubMenu",
     "TimeSubMenu.png", "TimePracBtn.png", "TimeEasyBtn.png", "timehardbtn.png"},
    {"TForm_ShoppingMenu", 7, 51, 52, 53, 54, 249, "TForm_ShoppingPrint", "Interface\\Shopping\\SubMenu",
     "ShopSMBG.png", "ShopPracBtn.png", "ShopEasyBtn.png", "ShopHardBtn.png"},
    {"TForm_CountriesMenu", 8, 56, 57, 58, 59, 254, "TForm_CountriesPrint", "Interface\\Countries\\SubMenu",
     "CountriesSMBG.png", "CountriesPracBtn.png", "CountriesEasyBtn.png", "CountriesHardBtn.png"},
}};

constexpr const char* kSharedFolder = "Interface\\Common\\SubMenus";
constexpr std::array<const char*, 8> kSharedPictures{"exit.png",        "greentick.png",   "help.png",
                                                     "PrintBtn.png",    "purpletick.png",  "redtick.png",
                                                     "scorecircle.png", "SpeakPracBtn.png"};
// Ticks and score circles are drawn with their colour key.
bool SharedTransparent(const std::string& name) {
    return name.find("tick") != std::string::npos || name == "scorecircle.png";
}

constexpr int kTick = 30, kCircle = 40;
constexpr int kScoreFontHeight = 21;

ElementSpec Button(std::string name, Rect r, std::string picture) {
    return {std::move(name), ElementKind::ButtonStrip, r, std::move(picture)};
}

// Ticks, circles and score labels sit over the buttons' corners: disabled, so clicks reach the buttons.
ElementSpec Badge(std::string name, Rect r, std::string picture) {
    return {std::move(name), ElementKind::Image, r, std::move(picture), 0, efHidden | efDisabled};
}

std::vector<ElementSpec> TopicLayout() {
    return {
        {"DIBImage_Captions", ElementKind::Image, FrontLayout::kTopicCaptions, "Captions"},
        Button("DIBBS_Practice", FrontLayout::kTopicPractice, "Practice"),
        Button("DIBBS_Easy", FrontLayout::kTopicEasy, "Easy"),
        Button("DIBBS_Hard", FrontLayout::kTopicHard, "Hard"),
    };
}

std::vector<ElementSpec> SharedLayout() {
    // Labels draw from their top: a band across the circle's middle centres the score in it.
    const int band = kScoreFontHeight + 4, bandTop = (kCircle - band) / 2;
    ElementSpec easyLabel{
        "Label_EasyScore",    ElementKind::Label, {361, 344 + bandTop, kCircle, band}, "", 0,
        efHidden | efDisabled};
    ElementSpec hardLabel = easyLabel;
    hardLabel.name = "Label_HardScore";
    hardLabel.rect = {623, 384 + bandTop, kCircle, band};
    return {
        Button("DIBButton_Help", {22, 705, 60, 60}, "help.png"),
        Button("DIBButton_Quit", {959, 705, 60, 60}, "exit.png"),
        Button("DIBBS_Speak", FrontLayout::kTopicSpeak, "SpeakPracBtn.png"),
        Button("DIBBS_Print", FrontLayout::kTopicPrint, "PrintBtn.png"),
        Badge("DIBI_PracticeTick", {390, 277, kTick, kTick}, "redtick.png"),
        Badge("DIBI_SpeakTick", {609, 274, kTick, kTick}, "greentick.png"),
        Badge("DIBI_PrintTick", {526, 498, kTick, kTick}, "purpletick.png"),
        Badge("DIBI_EasyScore", {361, 344, kCircle, kCircle}, "scorecircle.png"),
        Badge("DIBI_HardScore", {623, 384, kCircle, kCircle}, "scorecircle.png"),
        easyLabel,
        hardLabel,
    };
}

} // namespace

const std::array<TTopicMenuRow, 9>& TopicMenus() {
    return kTopicMenus;
}

TForm_SubMenu::PrinterMaker& TForm_SubMenu::Printer() {
    static PrinterMaker maker = [] { return std::make_unique<TWorksheetPrinter>(); };
    return maker;
}

TForm_SubMenu::TForm_SubMenu(TForm_Main& main, const TScreenParams&, const TTopicMenuRow& row)
    : TDIBScreen(main, row.className), row_(row) {
    FormCreate();
}

void TForm_SubMenu::FormCreate() {
    const std::string& data = main_.folders().DataDir;
    for (const char* name : kSharedPictures)
        buttons_.Add(name, Format("%s\\%s", kSharedFolder, name), true, SharedTransparent(name));
    buttons_.LoadAutoImages(data);

    auto topicPicture = [&](const char* file) { return Format("%s\\%s", row_.folder, file); };
    Build({{"Background", topicPicture(row_.background)},
           {"Captions", "", false},
           {"Practice", topicPicture(row_.practiceButton)},
           {"Easy", topicPicture(row_.easyButton)},
           {"Hard", topicPicture(row_.hardButton)}},
          TopicLayout());
    ScreenLayout::Build(container_, &buttons_, SharedLayout());
    LoadPicture("Captions", Format("%s\\General\\Submenu.png", main_.folders().SourceDir.c_str()));

    for (const char* name : {"Label_EasyScore", "Label_HardScore"}) {
        auto& label = Element<TDIBLabel>(name);
        label.SetFont({"Arial", kScoreFontHeight, false, false});
        label.SetFontColor(0xFFFFFFFFu);
        label.SetAlignment(TextAlign::Centre);
    }

    const std::pair<const char*, int> codes[] = {{"DIBBS_Practice", row_.practiceCode},
                                                 {"DIBBS_Speak", row_.speakCode},
                                                 {"DIBBS_Easy", row_.easyCode},
                                                 {"DIBBS_Hard", row_.hardCode}};
    for (auto [name, code] : codes)
        Element<TDIBButtonStrip>(name).OnClick = [this, code = code](TCustomDIBControl&) { Request(code); };
    Element<TDIBButtonStrip>("DIBButton_Quit").OnClick = [this](TCustomDIBControl&) {
        DIBButton_QuitClick();
    };
    Element<TDIBButtonStrip>("DIBButton_Help").OnClick = [this](TCustomDIBControl&) {
        DIBButton_HelpClick();
    };
    Element<TDIBButtonStrip>("DIBBS_Print").OnClick = [this](TCustomDIBControl&) { DIBBS_PrintClick(); };

    ShowTopicProgress(row_.topic);
}

void TForm_SubMenu::ShowTopicProgress(int t) {
    TRecordsStore* records = main_.records();
    auto score = [&](int activity) { return records ? records->GetScore(t, activity) : -1; };
    Element<TDIBImage>("DIBI_PracticeTick").SetVisible(score(0) != -1);
    Element<TDIBImage>("DIBI_SpeakTick").SetVisible(score(1) != -1);
    Element<TDIBImage>("DIBI_PrintTick").SetVisible(score(4) != -1);
    const std::tuple<int, const char*, const char*> circles[] = {{2, "DIBI_EasyScore", "Label_EasyScore"},
                                                                 {3, "DIBI_HardScore", "Label_HardScore"}};
    for (auto [activity, circle, label] : circles) {
        int s = score(activity);
        if (s == -1) continue;
        Element<TDIBLabel>(label).SetCaption(std::to_string(s));
        Element<TDIBLabel>(label).SetVisible(true);
        Element<TDIBImage>(circle).SetVisible(true);
    }
}

void TForm_SubMenu::Request(int code) {
    if (printing_) return;
    main_.RequestScreen(code, 1);
}

void TForm_SubMenu::DIBButton_QuitClick() {
    if (printing_) return;
    main_.RequestScreen(9, 2);
}

void TForm_SubMenu::DIBButton_HelpClick() {
    if (printing_) return;
    main_.ShowHelpPicture(3);
}

void TForm_SubMenu::DIBBS_PrintClick() {
    if (printing_) return;
    printing_ = true;
    main_.ReportActivity(row_.printActivity);
    auto finish = [this] {
        printing_ = false;
        // Clicks made while the worksheet was printing were meant for a busy screen.
        main_.dispatcher().discardInput();
        main_.ReportActivity(0);
    };
    try {
        Printer()()->PrintTopic(main_, row_.topic);
        TRecordsStore* records = main_.records();
        Element<TDIBImage>("DIBI_PrintTick").SetVisible(records && records->GetScore(row_.topic, 4) != -1);
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

namespace {

template <int Topic> void RegisterTopic(TScreenFactory& factory) {
    factory.Register(TopicMenus()[Topic].className, [](TForm_Main& m, const TScreenParams& p) {
        return std::unique_ptr<TScreen>(new TForm_TopicMenu<Topic>(m, p));
    });
}

template <int... Topics> void RegisterTopics(TScreenFactory& factory, std::integer_sequence<int, Topics...>) {
    (RegisterTopic<Topics>(factory), ...);
}

} // namespace

void RegisterTopicMenus(TScreenFactory& factory) {
    RegisterTopics(factory, std::make_integer_sequence<int, 9>{});
}

} // namespace parlora
