#include "activities/FormCountriesEasy.h"

#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "shell/FormMain.h"
#include "shell/TextUtils.h"

namespace parlora {
namespace {

constexpr int kButtonLefts[4] = {290, 421, 554, 682};
constexpr Rect kScreen{331, 404, 364, 245};
// The screen's picture is twice its window: the lower half shows while it is rolled up.
constexpr int kScreenUpOffset = 245;

const TKaStateDef kStates[] = {
    {"PauseAtStart", "", katTimer, 500},
    {"StartQuestion"},
    {"ShowItem", "", katEndPlay, 1000, 500},
    {"ScreenDown", "", katEndAnim},
    {"SayWord", "", katMouseAction},
    {"Wrong", "", katEndPlay},
    {"No", "SayWord", katEndPlay, 1000, 500},
    {"Right", "", katEndPlay, 1000, 500},
    {"IncScore", "", katEndPlay},
    {"Next", "", katEndAnim},
    {"ShowScore", "", katEndAnim},
    {"SayScore", "", katEndPlay, 1000, 1000},
    {"WellDone", "", katNext | katEndPlay},
    {"Finished"},
};

// With the countries filter on, country 24 is past the count and 12 is left out.
TEasyGameTopic CountriesTopic(bool filtered) {
    return TEasyGameTopic{
        8, "CY", "Countries\\SmallImages", 33, 55, filtered ? 23 : 24, filtered ? "12" : ""};
}

} // namespace

TForm_CountriesEasy::TForm_CountriesEasy(TForm_Main& main)
    : TForm_EasyGame(main, "TForm_CountriesEasy", CountriesTopic(main.settings().Filter3)) {
    std::vector<ImageItemSpec> items{{"Background", "Interface\\Countries\\Easy\\EasyBG.png"}};
    for (int i = 1; i <= 4; ++i)
        items.push_back({Format("Flag%d", i), "", false});
    items.push_back({"Button", "Interface\\Countries\\Easy\\button.png"});
    items.push_back({"Screen", "Interface\\Countries\\Easy\\screen.png"});
    items.push_back({"Map", "", false});

    std::vector<ElementSpec> elements;
    for (int i = 1; i <= 4; ++i)
        elements.push_back({Format("DIBI_Flag%d", i),
                            ElementKind::Image,
                            {kFlagLefts[i - 1], kFlagTop, 135, 80},
                            Format("Flag%d", i),
                            i,
                            efHidden | efStretch});
    for (int i = 1; i <= 4; ++i)
        elements.push_back({Format("DIBBS_Button%d", i),
                            ElementKind::ButtonStrip,
                            {kButtonLefts[i - 1], 301, 53, 55},
                            "Button",
                            i});
    elements.push_back({"DIBI_Screen", ElementKind::Image, kScreen, "Screen"});
    elements.push_back(
        {"DIBI_Map", ElementKind::Image, {364, 411, 299, 224}, "Map", 0, efHidden | efStretch});
    Build(items, elements);
    BuildGameBase();

    for (int i = 1; i <= 4; ++i) {
        flags_[size_t(i)] = &FindElement<TDIBImage>(container_, "DIBI_Flag%d", i);
        flagStart_[size_t(i)] = flags_[size_t(i)]->BoundsRect();
        flags_[size_t(i)]->OnClick = [this](TCustomDIBControl& e) { KaStateList1.MouseAction(e.Tag); };
    }
    for (int i = 1; i <= 4; ++i) {
        buttons_[size_t(i)] = &FindElement<TDIBButtonStrip>(container_, "DIBBS_Button%d", i);
        buttons_[size_t(i)]->OnClick = [this](TCustomDIBControl& e) { KaStateList1.MouseAction(e.Tag); };
    }
    screen_ = &Element<TDIBImage>("DIBI_Screen");
    screen_->SetOffsetY(kScreenUpOffset);
    map_ = &Element<TDIBImage>("DIBI_Map");
    QuitButton().OnClick = [this](TCustomDIBControl&) { DIBButton_QuitClick(); };
    HelpButton().OnClick = [this](TCustomDIBControl&) { DIBButton_HelpClick(); };
    DefineStates();
}

void TForm_CountriesEasy::DefineStates() {
    KaStateList1.Define(kStates);
    BindCommonStates(kSameSpeaker, kOtherSpeaker);
    Bind("StartQuestion", [this](int) {
        if (question() == 1 && !answered_) screenOffset_ = screen_->OffsetY();
        StartQuestion();
    });
    Bind(
        "ScreenDown", [this](int) { ScreenDown(); },
        [this](int) {
            map_->BringToFront();
            map_->SetVisible(true);
            PlayButton().SetEnabled(true);
        });
    Bind("Right", nullptr, [this](int) {
        TickImage().SetVisible(false);
        StartIncrements();
    });
    Bind(
        "Next", [this](int) { ScreenUp(); }, [this](int) { NextQuestion(); });
}

int TForm_CountriesEasy::ItemAtTag(int tag) const {
    return tag >= 1 && tag <= 4 ? shown_[size_t(tag)] : 0;
}

int TForm_CountriesEasy::FlagOfItem(int item) const {
    for (int i = 1; i <= 4; ++i)
        if (shown_[size_t(i)] == item) return i;
    return 0;
}

int TForm_CountriesEasy::FlagAtPlace(int place) const {
    return place >= 1 && place <= 4 ? buttons_[size_t(place)]->Tag : 0;
}

TCustomDIBControl& TForm_CountriesEasy::AnswerElement(int tag) {
    return *flags_[size_t(tag >= 1 && tag <= 4 ? tag : 1)];
}

void TForm_CountriesEasy::ShowItem() {
    const int s = step_ + 1;
    const int item = PresentedItem();
    shown_[size_t(s)] = item;
    images_.LoadImageNamed(Format("Flag%d", s), "%s\\Countries\\Images\\CY%d.png",
                           main_.folders().InterfaceDir.c_str(), item);
    flags_[size_t(s)]->SetVisible(true);
    SayWord(topic_.prefix, item, kOtherSpeaker);
}

void TForm_CountriesEasy::ScreenDown() {
    currentWord_ = targetItem_;
    images_.LoadImageNamed("Map", "%s\\Countries\\Easy\\Maps\\Map%d.png",
                           main_.folders().InterfaceDir.c_str(), targetItem_);
    std::string places = "1234";
    for (int i = 1; i <= 4; ++i) {
        int place = TakeRandomInt(places, 1, main_.random());
        anim_.AddSpriteAnim(250, *flags_[size_t(i)], kFlagLefts[place - 1], kFlagTop);
        buttons_[size_t(place)]->Tag = i;
    }
    anim_.AddSlideAnim(500, *screen_, 0, 0);
}

void TForm_CountriesEasy::ScreenUp() {
    // A slide still running from the question must not end this state early.
    anim_.StopAnims(screen_);
    for (int i = 1; i <= 4; ++i) {
        TDIBImage& flag = *flags_[size_t(i)];
        anim_.StopAnims(&flag);
        flag.SetVisible(false);
        const Rect& r = flagStart_[size_t(i)];
        flag.SetBounds(r.x, r.y, r.w, r.h);
    }
    map_->SetVisible(false);
    anim_.AddSlideAnim(500, *screen_, 0, screenOffset_);
}

} // namespace parlora
