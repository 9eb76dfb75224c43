#include "activities/FormColoursEasy.h"

#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "shell/FormMain.h"
#include "shell/TextUtils.h"

namespace parlora {
namespace {

constexpr Rect kPots[4] = {
    {526, 448, 128, 91}, {398, 449, 128, 91}, {454, 539, 128, 91}, {326, 539, 128, 91}};

const TKaStateDef kStates[] = {
    {"PauseAtStart", "", katTimer, 500},
    {"StartQuestion"},
    {"ShowItem", "", katEndPlay, 1000, 500},
    {"Shuffle", "", katTimer, 250},
    {"SayWord", "", katMouseAction},
    {"Wrong", "", katEndPlay},
    {"No", "SayWord", katEndPlay, 1000, 500},
    {"Right", "", katEndPlay, 1000, 500},
    {"Paint1", "", katTimer, 200},
    {"Paint2", "", katTimer, 200},
    {"Paint3", "", katEndAnim},
    {"IncScore", "", katEndPlay},
    {"Next"},
    {"ShowScore", "", katEndAnim},
    {"SayScore", "", katEndPlay, 1000, 1000},
    {"WellDone", "", katNext | katEndPlay},
    {"Finished"},
};

struct XY {
    int x, y;
};

XY Centre(const Rect& r) {
    return {r.x + r.w / 2, r.y + r.h / 2};
}

} // namespace

TForm_ColoursEasy::TForm_ColoursEasy(TForm_Main& main)
    : TForm_EasyGame(main, "TForm_ColoursEasy",
                     TEasyGameTopic{2, "CO", "Colours\\SmallImages", 23, 25, 12, ""}) {
    std::vector<ImageItemSpec> items{{"Background", "Interface\\Colours\\Easy\\ColEasyBg.png"}};
    for (int i = 1; i <= 4; ++i)
        items.push_back({Format("Col%d", i), "", false, true});
    items.push_back({"Picture", "", false, true});
    items.push_back({"BrushX", "Interface\\Colours\\Easy\\Brushes\\BrushX.png", true, true});
    items.push_back({"BrushY", "Interface\\Colours\\Easy\\Brushes\\BrushY.png", true, true});
    items.push_back({"BrushZ", "", false, true});

    std::vector<ElementSpec> elements;
    for (int i = 1; i <= 4; ++i)
        elements.push_back(
            {Format("DIBI_Colour%d", i), ElementKind::Image, kPots[i - 1], Format("Col%d", i), i, efHidden});
    elements.push_back({"DIBI_Picture", ElementKind::Image, {473, 87, 224, 229}, "Picture", 0, efHidden});
    elements.push_back({"DIBI_Brush", ElementKind::Image, {130, 254, 198, 147}, "BrushX", 0, efHidden});
    Build(items, elements);
    BuildGameBase();

    for (int i = 1; i <= 4; ++i) {
        pots_[size_t(i)] = &FindElement<TDIBImage>(container_, "DIBI_Colour%d", i);
        potStart_[size_t(i)] = pots_[size_t(i)]->BoundsRect();
        pots_[size_t(i)]->OnClick = [this](TCustomDIBControl& e) { KaStateList1.MouseAction(e.Tag); };
    }
    car_ = &Element<TDIBImage>("DIBI_Picture");
    brush_ = &Element<TDIBImage>("DIBI_Brush");
    QuitButton().OnClick = [this](TCustomDIBControl&) { DIBButton_QuitClick(); };
    HelpButton().OnClick = [this](TCustomDIBControl&) { DIBButton_HelpClick(); };
    DefineStates();
}

void TForm_ColoursEasy::DefineStates() {
    KaStateList1.Define(kStates);
    BindCommonStates(kSameSpeaker, kOtherSpeaker);
    Bind("StartQuestion", [this](int) {
        StartQuestion();
        positionPool_ = "1234";
        step_ = 0;
    });
    Bind("Paint1", [this](int) {
        const char* dir = main_.folders().InterfaceDir.c_str();
        images_.LoadImageNamed("BrushZ", "%s\\Colours\\Easy\\Brushes\\Brush%d.png", dir, targetItem_);
        images_.LoadImageNamed("Picture", "%s\\Colours\\Easy\\Cars\\CO%dX.png", dir, targetItem_);
        brush_->SetDIBIndex(images_.IndexOf("BrushX"));
        XY c = Centre(AnswerElement(clicked_).BoundsRect());
        BrushTo(c.x, c.y, 0);
        brush_->BringToFront();
        brush_->SetVisible(true);
    });
    Bind("Paint2", [this](int) { brush_->SetDIBIndex(images_.IndexOf("BrushY")); });
    Bind(
        "Paint3",
        [this](int) {
            brush_->SetDIBIndex(images_.IndexOf("BrushZ"));
            XY c = Centre(car_->BoundsRect());
            BrushTo(c.x, c.y, 500);
        },
        [this](int) {
            car_->SetVisible(true);
            StartIncrements();
        });
    Bind(
        "Next",
        [this](int) {
            brush_->SetVisible(false);
            RestorePots();
        },
        [this](int) { NextQuestion(); });
}

int TForm_ColoursEasy::ItemAtTag(int tag) const {
    return tag >= 1 && tag <= 4 ? shown_[size_t(tag)] : 0;
}

int TForm_ColoursEasy::PotOfItem(int item) const {
    for (int i = 1; i <= 4; ++i)
        if (shown_[size_t(i)] == item) return i;
    return 0;
}

TCustomDIBControl& TForm_ColoursEasy::AnswerElement(int tag) {
    return *pots_[size_t(tag >= 1 && tag <= 4 ? tag : 1)];
}

void TForm_ColoursEasy::ShowItem() {
    // The pots fill in no fixed order: the place is drawn, and the target waits for its step.
    const int place = TakeRandomInt(positionPool_, 1, main_.random());
    const int item =
        place == targetPosition_ ? targetItem_ : TakeRandomInt(distractorPool_, 2, main_.random());
    shown_[size_t(place)] = item;
    images_.LoadImageNamed(Format("Col%d", place), "%s\\Colours\\Easy\\Colours\\CO%d.png",
                           main_.folders().InterfaceDir.c_str(), item);
    pots_[size_t(place)]->SetVisible(true);
    SayWord(topic_.prefix, item, kOtherSpeaker);
}

void TForm_ColoursEasy::Shuffle() {
    car_->SetVisible(false);
    currentWord_ = targetItem_;
    std::string places = "1234";
    for (int i = 1; i <= 4; ++i) {
        const Rect& to = potStart_[size_t(TakeRandomInt(places, 1, main_.random()))];
        anim_.AddSpriteAnim(250, *pots_[size_t(i)], to.x, to.y);
    }
}

void TForm_ColoursEasy::BrushTo(int x, int y, int moveMs) {
    const int left = x - brush_->Width(), top = y - brush_->Height();
    if (moveMs > 0)
        anim_.AddSpriteAnim(moveMs, *brush_, left, top);
    else
        brush_->SetBounds(left, top, brush_->Width(), brush_->Height());
}

void TForm_ColoursEasy::RestorePots() {
    for (int i = 1; i <= 4; ++i) {
        TDIBImage& pot = *pots_[size_t(i)];
        anim_.StopAnims(&pot);
        pot.SetVisible(false);
        const Rect& r = potStart_[size_t(i)];
        pot.SetBounds(r.x, r.y, r.w, r.h);
    }
}

} // namespace parlora
