#include "activities/FormShoppingEasy.h"

#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "shell/FormMain.h"
#include "shell/TextUtils.h"

namespace parlora {
namespace {

constexpr Rect kArticles[4] = {
    {345, 326, 125, 130}, {556, 326, 125, 130}, {345, 504, 125, 130}, {556, 504, 125, 130}};
constexpr int kScreenWidth = 1024;

const TKaStateDef kStates[] = {
    {"PauseAtStart", "", katTimer, 500},
    {"StartQuestion"},
    {"ShowItem", "", katEndPlay, 1000, 500},
    {"Shuffle"},
    {"SayWord", "", katMouseAction},
    {"Wrong", "", katEndPlay},
    {"No", "SayWord", katEndPlay, 1000, 500},
    {"Right", "", katEndPlay, 1000, 500},
    {"Belt", "", katEndAnim},
    {"IncScore", "", katEndPlay},
    {"Next"},
    {"Till", "", katEndPlay},
    {"Wizz", "", katTimer, 1200},
    {"ShowScore", "", katEndAnim},
    {"SayScore", "", katEndPlay, 1000, 1000},
    {"WellDone", "", katNext | katEndPlay},
    {"Finished"},
};

} // namespace

TForm_ShoppingEasy::TForm_ShoppingEasy(TForm_Main& main)
    : TForm_EasyGame(main, "TForm_ShoppingEasy",
                     TEasyGameTopic{7, "SH", "Shopping\\SmallImages", 32, 50, 41, ""}) {
    std::vector<ImageItemSpec> items{{"Background", "Interface\\Shopping\\Easy\\ShopEasyBG.png"}};
    for (int i = 1; i <= 4; ++i)
        items.push_back({Format("Item%d", i), "", false, true});
    for (int n = 1; n <= kQuestions; ++n)
        items.push_back({Format("Shelf%d", n), "", false, true});
    items.push_back({"Till", "Interface\\Shopping\\Easy\\JustTill.PNG", true, true});
    items.push_back({"Drawer", "Interface\\Shopping\\Easy\\TillDrawer.png", true, true});
    items.push_back({"Mask", "Interface\\Shopping\\Easy\\Mask.png"});

    std::vector<ElementSpec> elements;
    // The belt runs in front of the till.
    elements.push_back({"DIBI_Till", ElementKind::Image, {27, 100, 300, 250}, "Till", 0, efAutoSize});
    elements.push_back(
        {"DIBI_Drawer", ElementKind::Image, {50, 250, 300, 80}, "Drawer", 0, efHidden | efAutoSize});
    for (int n = 1; n <= kQuestions; ++n)
        elements.push_back({Format("DIBI_Shel%d", n),
                            ElementKind::Image,
                            {PlaceLeft(n), kPlaceTop, 68, 82},
                            Format("Shelf%d", n),
                            0,
                            efHidden | efStretch});
    // The masks hide the articles where they come onto the belt and leave it.
    elements.push_back({"DIBI_LeftMask", ElementKind::Image, {0, 141, 15, 110}, "Mask"});
    elements.push_back({"DIBI_RightMask", ElementKind::Image, {1009, 141, 15, 110}, "Mask"});
    for (int i = 1; i <= 4; ++i)
        elements.push_back({Format("DIBI_Item%d", i), ElementKind::Image, kArticles[i - 1],
                            Format("Item%d", i), i, efHidden | efStretch});
    Build(items, elements);
    BuildGameBase();

    for (int i = 1; i <= 4; ++i) {
        articles_[size_t(i)] = &FindElement<TDIBImage>(container_, "DIBI_Item%d", i);
        articleStart_[size_t(i)] = articles_[size_t(i)]->BoundsRect();
        articles_[size_t(i)]->OnClick = [this](TCustomDIBControl& e) { KaStateList1.MouseAction(e.Tag); };
    }
    for (int n = 1; n <= kQuestions; ++n) {
        auto* place = dynamic_cast<TDIBImage*>(container_.FindComponent(Format("DIBI_Shel%d", n)));
        if (!place) throw DIBException(Format("Can't find DIBI_Shelf%d", n));
        places_[size_t(n)] = place;
    }
    drawer_ = &Element<TDIBImage>("DIBI_Drawer");
    QuitButton().OnClick = [this](TCustomDIBControl&) { DIBButton_QuitClick(); };
    HelpButton().OnClick = [this](TCustomDIBControl&) { DIBButton_HelpClick(); };
    DefineStates();
}

void TForm_ShoppingEasy::DefineStates() {
    KaStateList1.Define(kStates);
    BindCommonStates(kSameSpeaker, kOtherSpeaker);
    Bind(
        "Belt", [this](int) { RideIn(question()); }, [this](int) { StartIncrements(); });
    Bind(
        "Next", [this](int) { RestoreArticles(); }, [this](int) { NextQuestion(); });
    Bind("Till", [this](int) {
        SelectSoundFmt("%s\\Shopping\\Easy\\CashTill.wav", main_.folders().InterfaceDir.c_str());
        drawer_->SetVisible(true);
        PlaySelected();
    });
    Bind(
        "Wizz",
        [this](int) {
            const int by = kScreenWidth - places_[kQuestions]->Left();
            for (int n = 1; n <= kQuestions; ++n) {
                TDIBImage& place = *places_[size_t(n)];
                anim_.AddSpriteAnim(1000, place, place.Left() + by, place.Top());
            }
        },
        [this](int) { drawer_->SetVisible(false); });
}

int TForm_ShoppingEasy::ItemAtTag(int tag) const {
    return tag >= 1 && tag <= 4 ? shown_[size_t(tag)] : 0;
}

int TForm_ShoppingEasy::ArticleOfItem(int item) const {
    for (int i = 1; i <= 4; ++i)
        if (shown_[size_t(i)] == item) return i;
    return 0;
}

TCustomDIBControl& TForm_ShoppingEasy::AnswerElement(int tag) {
    return *articles_[size_t(tag >= 1 && tag <= 4 ? tag : 1)];
}

void TForm_ShoppingEasy::ShowItem() {
    const int s = step_ + 1;
    const int item = PresentedItem();
    shown_[size_t(s)] = item;
    images_.LoadImageNamed(Format("Item%d", s), "%s\\Shopping\\SmallImages\\%d.png",
                           main_.folders().InterfaceDir.c_str(), item);
    articles_[size_t(s)]->SetVisible(true);
    SayWord(topic_.prefix, item, kOtherSpeaker);
}

void TForm_ShoppingEasy::Shuffle() {
    currentWord_ = targetItem_;
    std::string places = "1234";
    for (int i = 1; i <= 4; ++i) {
        const Rect& to = articleStart_[size_t(TakeRandomInt(places, 1, main_.random()))];
        anim_.AddSpriteAnim(250, *articles_[size_t(i)], to.x, to.y);
    }
}

void TForm_ShoppingEasy::RestoreArticles() {
    for (int i = 1; i <= 4; ++i) {
        TDIBImage& article = *articles_[size_t(i)];
        anim_.StopAnims(&article);
        article.SetVisible(false);
        const Rect& r = articleStart_[size_t(i)];
        article.SetBounds(r.x, r.y, r.w, r.h);
    }
}

void TForm_ShoppingEasy::RideIn(int place) {
    images_.LoadImageNamed(Format("Shelf%d", place), "%s\\Shopping\\Easy\\Conveyor\\Small%d.png",
                           main_.folders().InterfaceDir.c_str(), targetItem_);
    TDIBImage& e = *places_[size_t(place)];
    const int left = e.Left(), width = e.Width();
    e.SetLeft(-width);
    e.SetVisible(true);
    // One pixel a millisecond, the belt's own speed.
    anim_.AddSpriteAnim(left + width, e, left, e.Top());
}

} // namespace parlora
