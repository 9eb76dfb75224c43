#include "activities/FormFoodEasy.h"

#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "display/DIBImageStrip.h"
#include "shell/FormMain.h"
#include "shell/TextUtils.h"

#include <cmath>

namespace parlora {
namespace {

constexpr int kButtonLefts[4] = {287, 423, 557, 691};
constexpr int kShelfLefts[5] = {352, 414, 477, 539, 601};
constexpr int kShelfTops[2] = {478, 566};
constexpr int kFinaleSteps = 10;

const TKaStateDef kStates[] = {
    {"PauseAtStart", "", katTimer, 500},
    {"StartQuestion"},
    {"ShowItem", "", katEndPlay, 1000, 500},
    {"Shuffle"},
    {"SayWord", "", katMouseAction},
    {"Wrong", "", katEndPlay},
    {"No", "SayWord", katEndPlay, 1000, 500},
    {"Right", "", katEndPlay, 1000, 500},
    {"OpenDoors", "", katEndAnim},
    {"Fly", "", katEndAnim},
    {"CloseDoors", "", katEndAnim},
    {"IncScore", "", katEndPlay},
    {"Next"},
    {"ShowPot"},
    {"ShowItem2", "", katEndPlay},
    {"Drop", "", katEndAnim},
    {"Smash", "", katEndPlay},
    {"ShowScore", "", katEndAnim},
    {"SayScore", "", katEndPlay, 1000, 1000},
    {"WellDone", "", katNext | katEndPlay},
    {"Finished"},
};

// Where the ten foods wait above the cauldron.
Rect DropRect(int n) {
    return {60 + ((n - 1) % 5) * 190, n <= 5 ? 100 : 250, 125, 130};
}

} // namespace

TForm_FoodEasy::TForm_FoodEasy(TForm_Main& main)
    : TForm_EasyGame(main, "TForm_FoodEasy", TEasyGameTopic{1, "FD", "Food\\SmallImages", 21, 20, 41, ""}) {
    std::vector<ImageItemSpec> items{{"Background", "Interface\\Food\\Easy\\FoodEasyBG.png"}};
    for (int i = 1; i <= 4; ++i)
        items.push_back({Format("Item%d", i), "", false});
    items.push_back({"Button", "Interface\\Food\\Easy\\Button.png"});
    items.push_back({"Doors", "Interface\\Food\\Easy\\Doors.png"});
    for (int n = 1; n <= kQuestions; ++n)
        items.push_back({Format("Shelf%d", n), "", false, true});
    for (int n = 1; n <= kFinaleSteps; ++n)
        items.push_back({Format("Drop%d", n), "", false});
    items.push_back({"Pot", "Interface\\Food\\Easy\\Cauldron.png"});

    std::vector<ElementSpec> elements;
    ElementSpec doors{"DIBIS_Doors", ElementKind::ImageStrip, {256, 424, 508, 239}, "Doors"};
    doors.numImagesX = 5;
    elements.push_back(doors);
    for (int n = 1; n <= kQuestions; ++n)
        elements.push_back({Format("DIBI_Shelf%d", n),
                            ElementKind::Image,
                            {kShelfLefts[(n - 1) % 5], kShelfTops[(n - 1) / 5], 66, 69},
                            Format("Shelf%d", n),
                            0,
                            efHidden | efStretch});
    for (int i = 1; i <= 4; ++i)
        elements.push_back({Format("DIBI_Item%d", i),
                            ElementKind::Image,
                            {kPlaceLefts[i - 1], kPlaceTop, 125, 130},
                            Format("Item%d", i),
                            i,
                            efHidden | efStretch});
    for (int i = 1; i <= 4; ++i)
        elements.push_back({Format("DIBBS_Button%d", i),
                            ElementKind::ButtonStrip,
                            {kButtonLefts[i - 1], 356, 50, 53},
                            "Button"});
    for (int n = 1; n <= kFinaleSteps; ++n) {
        Rect r = DropRect(n);
        elements.push_back(
            {Format("DIBI_Drop%d", n), ElementKind::Image, r, Format("Drop%d", n), 0, efHidden | efAutoSize});
    }
    elements.push_back({"DIBI_Pot", ElementKind::Image, {323, 531, 403, 237}, "Pot", 0, efHidden});
    Build(items, elements);
    BuildGameBase();

    for (int i = 1; i <= 4; ++i) {
        items_[size_t(i)] = &FindElement<TDIBImage>(container_, "DIBI_Item%d", i);
        itemStart_[size_t(i)] = items_[size_t(i)]->BoundsRect();
        items_[size_t(i)]->OnClick = [this](TCustomDIBControl& e) { KaStateList1.MouseAction(e.Tag); };
    }
    for (int i = 1; i <= 4; ++i) {
        buttons_[size_t(i)] = &FindElement<TDIBButtonStrip>(container_, "DIBBS_Button%d", i);
        buttons_[size_t(i)]->OnClick = [this](TCustomDIBControl& e) { KaStateList1.MouseAction(e.Tag); };
    }
    for (int n = 1; n <= kQuestions; ++n)
        shelves_[size_t(n)] = &FindElement<TDIBImage>(container_, "DIBI_Shelf%d", n);
    for (int n = 1; n <= kFinaleSteps; ++n)
        drops_[size_t(n)] = &FindElement<TDIBImage>(container_, "DIBI_Drop%d", n);
    doors_ = &Element<TDIBImageStrip>("DIBIS_Doors");
    pot_ = &Element<TDIBImage>("DIBI_Pot");
    QuitButton().OnClick = [this](TCustomDIBControl&) { DIBButton_QuitClick(); };
    HelpButton().OnClick = [this](TCustomDIBControl&) { DIBButton_HelpClick(); };
    DefineStates();
}

void TForm_FoodEasy::DefineStates() {
    KaStateList1.Define(kStates);
    BindCommonStates(kSameSpeaker, kOtherSpeaker);
    Bind("OpenDoors", [this](int) {
        images_.LoadImageNamed(Format("Shelf%d", question()), "%s\\Food\\Easy\\Shelf\\FD%dshel.png",
                               main_.folders().InterfaceDir.c_str(), targetItem_);
        anim_.AddStripAnim(500, *doors_, 0, 4, false);
    });
    Bind(
        "Fly",
        [this](int) {
            anim_.AddAnimToImage(500, AnswerElement(clicked_), *shelves_[size_t(question())], true);
        },
        [this](int) {
            AnswerElement(clicked_).SetVisible(false);
            shelves_[size_t(question())]->SetVisible(true);
        });
    Bind(
        "CloseDoors", [this](int) { anim_.AddStripAnim(500, *doors_, 4, 0, false); },
        [this](int) { StartIncrements(); });
    Bind(
        "Next", [this](int) { RestoreItems(); }, [this](int) { NextQuestion(); });
    Bind(
        "ShowPot", [this](int) { ShowPot(); },
        [this](int) {
            ShowSpeakers(6, true);
            step_ = 1;
        });
    Bind("ShowItem2", [this](int) { SayWord(topic_.prefix, askedItem(step_), kOtherSpeaker); });
    Bind(
        "Drop", [this](int) { DropItem(step_); }, [this](int) { drops_[size_t(step_)]->SetVisible(false); });
    Bind(
        "Smash", [this](int) { PlaySelected(); },
        [this](int) {
            if (++step_ <= kFinaleSteps) KaStateList1.SetNextState("ShowItem2");
        });
}

int TForm_FoodEasy::ItemAtTag(int tag) const {
    return tag >= 1 && tag <= 4 ? shown_[size_t(tag)] : 0;
}

int TForm_FoodEasy::ElementOfItem(int item) const {
    for (int i = 1; i <= 4; ++i)
        if (shown_[size_t(i)] == item) return i;
    return 0;
}

int TForm_FoodEasy::ElementAtPlace(int place) const {
    return place >= 1 && place <= 4 ? buttons_[size_t(place)]->Tag : 0;
}

TCustomDIBControl& TForm_FoodEasy::AnswerElement(int tag) {
    return *items_[size_t(tag >= 1 && tag <= 4 ? tag : 1)];
}

void TForm_FoodEasy::ShowItem() {
    const int s = step_ + 1;
    const int item = PresentedItem();
    shown_[size_t(s)] = item;
    images_.LoadImageNamed(Format("Item%d", s), "%s\\Food\\SmallImages\\FD%d.png",
                           main_.folders().InterfaceDir.c_str(), item);
    items_[size_t(s)]->SetVisible(true);
    SayWord(topic_.prefix, item, kOtherSpeaker);
}

void TForm_FoodEasy::Shuffle() {
    currentWord_ = targetItem_;
    positionPool_ = "1234";
    for (int i = 1; i <= 4; ++i) {
        int place = TakeRandomInt(positionPool_, 1, main_.random());
        anim_.AddSpriteAnim(250, *items_[size_t(i)], kPlaceLefts[place - 1], kPlaceTop);
        buttons_[size_t(place)]->Tag = i;
    }
}

void TForm_FoodEasy::RestoreItems() {
    for (int i = 1; i <= 4; ++i) {
        TDIBImage& item = *items_[size_t(i)];
        anim_.StopAnims(&item);
        item.SetVisible(false);
        const Rect& r = itemStart_[size_t(i)];
        item.SetBounds(r.x, r.y, r.w, r.h);
    }
}

void TForm_FoodEasy::ShowPot() {
    ShowSpeakers(6, false);
    StopActor(kMale);
    StopActor(kFemale);
    container_.InvalidateAll();
    const CourseFolders& f = main_.folders();
    BlendWithin([this, &f] {
        for (int i = 1; i <= 4; ++i) {
            items_[size_t(i)]->SetVisible(false);
            buttons_[size_t(i)]->SetVisible(false);
        }
        doors_->SetVisible(false);
        for (int n = 1; n <= kFinaleSteps; ++n) {
            shelves_[size_t(n)]->SetVisible(false);
            images_.LoadImageNamed(Format("Drop%d", n), "%s\\Food\\SmallImages\\FD%d.png",
                                   f.InterfaceDir.c_str(), askedItem(n));
            drops_[size_t(n)]->SetVisible(true);
        }
        images_.LoadImageNamed("Background", "%s\\Food\\Easy\\CauldronBG.png", f.InterfaceDir.c_str());
        pot_->SetVisible(true);
    });
}

void TForm_FoodEasy::DropItem(int n) {
    SelectSoundFmt("%s\\Food\\Easy\\Sounds\\pot%d.wav", main_.folders().InterfaceDir.c_str(),
                   main_.random().CourseRandom(6) + 1);
    TDIBImage& e = *drops_[size_t(n)];
    const int x0 = e.Left(), y0 = e.Top();
    const int w = itemStart_[1].w, h = itemStart_[1].h;
    const int cw = container_.Width(), ch = container_.Height();
    const int fall = ch - (h + y0);
    // At least one step, so that a food already at the bottom still lands.
    const int steps = std::max(1, int(std::lround(std::sqrt(double(std::max(0, fall))))));
    const int dx = cw / 2 - x0 - w / 2;
    const int spin = dx * 15 / 300;
    anim_.AddCallbackAnim(
        500, e, 0, steps,
        [&e, x0, y0, w, h, dx, spin, steps](int a) {
            int angle = (a * spin) % 360;
            if (angle < 0) angle += 360;
            e.SetAngle(angle);
            e.SetLeft(a * dx / steps + x0 + w - e.Width());
            e.SetTop(y0 + h + a * a - e.Height());
        },
        false);
}

} // namespace parlora
