#include "activities/FormBodyPractice.h"

#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "shell/FormMain.h"

namespace parlora {
namespace {

const TPracticeTopic kBody{4, "FG", "FG", 14, 35};
constexpr int kSpot = 40, kHighlight = 120;

struct Point {
    int x, y;
};

// Centres of the hot spots, item 1 to 18, on the figure in the middle of the picture.
constexpr std::array<Point, TForm_BodyPractice::kItems> kSpots{{
    {555, 215}, // head
    {512, 400}, // body
    {390, 430}, // arm
    {470, 560}, // leg
    {360, 510}, // hand
    {500, 640}, // foot
    {470, 215}, // eye
    {428, 245}, // ear
    {512, 245}, // nose
    {490, 288}, // mouth
    {512, 170}, // hair
    {540, 290}, // teeth
    {330, 575}, // finger
    {560, 560}, // knee
    {430, 360}, // shoulder
    {512, 335}, // neck
    {512, 470}, // tummy
    {605, 420}, // back
}};

std::vector<ImageItemSpec> Items() {
    std::vector<ImageItemSpec> items{{"Background", "Interface\\body\\Practice\\BodyPracBG.png"},
                                     {"Spot", "Interface\\body\\Practice\\Spot.png", true, true}};
    for (int n = 1; n <= TForm_BodyPractice::kItems; ++n)
        items.push_back(
            {Format("HiLite%d", n), Format("Interface\\body\\Practice\\HiLite\\FG%d.png", n), true, true});
    for (ImageItemSpec& item : TForm_PicturePractice::TextItems())
        items.push_back(item);
    return items;
}

// The highlights first: the spots lie above them, so a lit part never hides its own hot spot.
std::vector<ElementSpec> Layout(const std::vector<ElementSpec>& texts) {
    std::vector<ElementSpec> e = texts;
    for (int n = 1; n <= TForm_BodyPractice::kItems; ++n) {
        Point c = kSpots[size_t(n - 1)];
        e.push_back({Format("DIBImage%d", n),
                     ElementKind::Image,
                     {c.x - kHighlight / 2, c.y - kSpot / 2 - kHighlight + 30, kHighlight, kHighlight},
                     Format("HiLite%d", n),
                     n,
                     efHidden});
    }
    for (int n = 1; n <= TForm_BodyPractice::kItems; ++n) {
        Point c = kSpots[size_t(n - 1)];
        ElementSpec spot{Format("DIBButtonStrip%d", n),
                         ElementKind::ButtonStrip,
                         {c.x - kSpot / 2, c.y - kSpot / 2, kSpot, kSpot},
                         "Spot",
                         n};
        e.push_back(spot);
    }
    return e;
}

} // namespace

TForm_BodyPractice::TForm_BodyPractice(TForm_Main& main, const TScreenParams&)
    : TForm_PicturePractice(main, "TForm_BodyPractice", kBody) {
    Build(Items(), Layout(TextElements(640, 80)));
    for (int n = 1; n <= kItems; ++n) {
        TDIBButtonStrip& spot = FindElement<TDIBButtonStrip>(container_, "DIBButtonStrip%d", n);
        TDIBImage& highlight = FindElement<TDIBImage>(container_, "DIBImage%d", n);
        spots_[size_t(n - 1)] = &spot;
        highlights_[size_t(n - 1)] = &highlight;
        int item = spot.Tag;
        spot.OnMouseEnter = [this, item](TCustomDIBControl&) { ShowHighlight(item); };
        spot.OnMouseLeave = [this](TCustomDIBControl&) { ShowHighlight(current_); };
        spot.OnClick = [this, item](TCustomDIBControl&) { ChooseItem(item); };
        highlight.OnClick = [this](TCustomDIBControl&) { SayItemAgain(); };
    }
    FinishBuild();
}

void TForm_BodyPractice::ShowHighlight(int n) {
    for (int i = 1; i <= kItems; ++i)
        Highlight(i).SetVisible(i == n);
}

void TForm_BodyPractice::ShowItem(int n) {
    TForm_PicturePractice::ShowItem(n);
    ShowHighlight(n);
}

void TForm_BodyPractice::SequenceStep() {
    size_t next = 0;
    for (size_t i = 0; i < kSequence.size(); ++i)
        if (kSequence[i] == current_) next = (i + 1) % kSequence.size();
    PresentItem(kSequence[next]);
}

} // namespace parlora
