// The keyboard focus of a container: which elements take it, the reading order with its rows, Tab
// round the order both ways, the arrows' neighbours, the ring over the focused element (painted
// only where it changed, gone after a mouse click) and a key's press taking the mouse's path.
#include "display/DIBButtonStrip.h"
#include "display/DIBContainer.h"
#include "display/DIBFocusOrder.h"
#include "display/DIBListBox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace parlora;

namespace {

// A rectangle of one colour.
class Patch : public TCustomDIBControl {
  public:
    Patch(TDIBContainer* owner, uint32_t colour) : TCustomDIBControl(owner), colour_(colour) {}

  protected:
    void Draw(Surface& target, const Rect& clip, int, int) override {
        target.fillRect(clip.intersect(BoundsRect()), colour_);
    }

  private:
    uint32_t colour_;
};

Patch& Clickable(TDIBContainer& c, const std::string& name, Rect r, uint32_t colour = 0xFF3060A0u) {
    auto& p = c.Create<Patch>(name, colour);
    p.SetBounds(r.x, r.y, r.w, r.h);
    p.OnClick = [](TCustomDIBControl&) {};
    return p;
}

// A clickable element's name and place.
struct Spot {
    const char* name;
    Rect at;
};

// Clickable elements of one colour, created in the order given.
void AddClickables(TDIBContainer& c, std::initializer_list<Spot> spots) {
    for (const Spot& s : spots)
        Clickable(c, s.name, s.at);
}

std::vector<std::string> Names(const std::vector<TCustomDIBControl*>& elements) {
    std::vector<std::string> out;
    for (TCustomDIBControl* e : elements)
        out.push_back(e ? e->Name : "-");
    return out;
}

std::vector<std::string> TabRound(const TDIBContainer& c, bool backward, int presses) {
    std::vector<std::string> out;
    TCustomDIBControl* at = nullptr;
    for (int i = 0; i < presses; ++i) {
        at = TDIBFocusOrder::Next(c, at, backward);
        out.push_back(at ? at->Name : "-");
    }
    return out;
}

InputEvent Mouse(InputEvent::Kind k, int x, int y) {
    InputEvent e;
    e.kind = k;
    e.x = x;
    e.y = y;
    return e;
}

void ClickAt(TDIBContainer& c, int x, int y) {
    c.handleInput(Mouse(InputEvent::Kind::MouseMove, x, y));
    c.handleInput(Mouse(InputEvent::Kind::MouseDown, x, y));
    c.handleInput(Mouse(InputEvent::Kind::MouseUp, x, y));
}

} // namespace

TEST(FocusOrder, RowsTopToBottomThenLeftToRightWhateverTheCreationOrder) {
    TDIBContainer c(400, 300);
    AddClickables(c, {{"c2", {210, 150, 60, 60}},
                      {"a1", {10, 10, 60, 60}},
                      {"c1", {210, 10, 60, 60}},
                      {"b2", {110, 150, 60, 60}},
                      {"b1", {110, 12, 60, 60}}, // a little lower, still the first row
                      {"a2", {10, 148, 60, 60}}});
    EXPECT_EQ(Names(TDIBFocusOrder::ReadingOrder(c)),
              (std::vector<std::string>{"a1", "b1", "c1", "a2", "b2", "c2"}));
    auto rows = TDIBFocusOrder::Rows(TDIBFocusOrder::ReadingOrder(c));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].size(), 3u);
}

TEST(FocusOrder, OverlappingHeightsShareARowButAGrazingElementDoesNot) {
    TDIBContainer c(600, 400);
    // A tall picture whose top is above a short button to its left: one row, read from the left.
    AddClickables(c, {{"picture", {300, 100, 120, 100}},
                      {"button", {100, 120, 60, 40}},
                      // Overlaps the picture by ten pixels only: the next row.
                      {"below", {20, 190, 60, 40}},
                      // A tall actor beside a column of answers shares a row with the answer at its
                      // middle only.
                      {"answer1", {300, 250, 200, 24}},
                      {"actor", {10, 240, 150, 150}},
                      {"answer2", {300, 300, 200, 24}}});
    EXPECT_EQ(Names(TDIBFocusOrder::ReadingOrder(c)),
              (std::vector<std::string>{"button", "picture", "below", "answer1", "actor", "answer2"}));
}

TEST(FocusOrder, OnlyVisibleEnabledClickableReachableElementsTakeTheFocus) {
    TDIBContainer c(400, 300);
    Clickable(c, "shown", {10, 10, 40, 40});
    Clickable(c, "hidden", {60, 10, 40, 40}).SetVisible(false);
    Clickable(c, "disabled", {110, 10, 40, 40}).SetEnabled(false);
    c.Create<Patch>("picture only", 0xFF00FF00u).SetBounds(160, 10, 40, 40);
    auto& strip = c.Create<TDIBButtonStrip>("button without handler");
    strip.SetBounds(210, 10, 40, 40);
    auto& list = c.Create<TDIBListBox>("list");
    list.SetBounds(260, 10, 100, 100);
    Clickable(c, "covered", {10, 150, 40, 40});
    Clickable(c, "half covered", {110, 150, 40, 40});
    // Created later, so on top: a click at the first one's centre would land on the cover.
    c.Create<Patch>("cover", 0xFF000000u).SetBounds(0, 140, 60, 60);
    c.Create<Patch>("corner", 0xFF000000u).SetBounds(100, 140, 15, 15);
    EXPECT_EQ(Names(TDIBFocusOrder::ReadingOrder(c)),
              (std::vector<std::string>{"shown", "button without handler", "list", "half covered"}));
    // What changes later counts at once.
    c.FindComponent("hidden")->SetVisible(true);
    c.FindComponent("cover")->SetVisible(false);
    EXPECT_EQ(Names(TDIBFocusOrder::ReadingOrder(c)),
              (std::vector<std::string>{"shown", "hidden", "button without handler", "list", "covered",
                                        "half covered"}));
}

TEST(FocusOrder, TabGoesRoundBothWaysAndAHiddenFocusKeepsItsPlace) {
    TDIBContainer c(400, 300);
    AddClickables(c, {{"a", {10, 10, 40, 40}}, {"b", {60, 10, 40, 40}}, {"c", {10, 100, 40, 40}}});
    EXPECT_EQ(TabRound(c, false, 5), (std::vector<std::string>{"a", "b", "c", "a", "b"}));
    EXPECT_EQ(TabRound(c, true, 5), (std::vector<std::string>{"c", "b", "a", "c", "b"}));
    // The focused element hides for a moment (an answer between two questions): Tab goes on from
    // where it was, and never back onto it while it is hidden.
    TCustomDIBControl* b = c.FindComponent("b");
    b->SetVisible(false);
    EXPECT_EQ(TDIBFocusOrder::Next(c, b, false)->Name, "c");
    EXPECT_EQ(TDIBFocusOrder::Next(c, b, true)->Name, "a");
    EXPECT_EQ(TabRound(c, false, 3), (std::vector<std::string>{"a", "c", "a"}));
    // A single element comes round to itself; none at all gives none.
    TDIBContainer lone(100, 100);
    Clickable(lone, "only", {10, 10, 40, 40});
    EXPECT_EQ(TabRound(lone, false, 2), (std::vector<std::string>{"only", "only"}));
    TDIBContainer empty(100, 100);
    EXPECT_EQ(TDIBFocusOrder::Next(empty, nullptr, false), nullptr);
}

TEST(FocusOrder, ArrowsMoveWithinTheRowAndToTheNearestAboveOrBelow) {
    TDIBContainer c(600, 400);
    // One row after another: a wide one alone, three across, and two far apart.
    AddClickables(c, {{"top", {250, 10, 100, 40}}});
    AddClickables(
        c, {{"left", {10, 100, 60, 60}}, {"middle", {200, 100, 60, 60}}, {"right", {400, 100, 60, 60}}});
    AddClickables(c, {{"help", {10, 300, 60, 60}}, {"quit", {500, 300, 60, 60}}});
    auto go = [&](const char* from, FocusMove m) {
        TCustomDIBControl* to = TDIBFocusOrder::Neighbour(c, c.FindComponent(from), m);
        return to ? to->Name : std::string("-");
    };
    EXPECT_EQ(go("left", FocusMove::Right), "middle");
    EXPECT_EQ(go("middle", FocusMove::Right), "right");
    EXPECT_EQ(go("right", FocusMove::Right), "-") << "no wrap at a row's end";
    EXPECT_EQ(go("middle", FocusMove::Left), "left");
    EXPECT_EQ(go("left", FocusMove::Left), "-");
    EXPECT_EQ(go("top", FocusMove::Down), "middle") << "the nearest across";
    EXPECT_EQ(go("right", FocusMove::Up), "top");
    EXPECT_EQ(go("right", FocusMove::Down), "quit");
    EXPECT_EQ(go("left", FocusMove::Down), "help");
    EXPECT_EQ(go("top", FocusMove::Up), "-");
    EXPECT_EQ(go("quit", FocusMove::Down), "-");
    EXPECT_EQ(TDIBFocusOrder::Neighbour(c, nullptr, FocusMove::Down)->Name, "top")
        << "nothing yet: the first";
}

TEST(FocusRing, DrawnOverTheFocusedElementOnlyWhereItChangedAndGoneAfterAClick) {
    const uint32_t back = 0xFFE0E0E0u, red = 0xFFC00000u, blue = 0xFF0000C0u;
    auto make = [&](TDIBContainer& c) {
        c.SetColor(back);
        Clickable(c, "red", {20, 20, 50, 40}, red);
        Clickable(c, "blue", {120, 20, 50, 40}, blue);
        c.takeDirty();
    };
    TDIBContainer plain(200, 100), c(200, 100);
    make(plain);
    make(c);
    TCustomDIBControl* redPatch = c.FindComponent("red");

    c.SetFocus(redPatch, true);
    std::vector<Rect> dirty = c.takeDirty();
    ASSERT_EQ(dirty.size(), 1u);
    EXPECT_EQ(dirty[0], redPatch->BoundsRect()) << "only the element's own area repaints";
    const Surface& s = c.surface();
    // Two outer lines in the ring's colour, then one black, then the element.
    EXPECT_EQ(s.pixel(20, 20), TDIBContainer::kFocusRingColour);
    EXPECT_EQ(s.pixel(21, 40), TDIBContainer::kFocusRingColour);
    EXPECT_EQ(s.pixel(69, 59), TDIBContainer::kFocusRingColour);
    EXPECT_EQ(s.pixel(22, 30), 0xFF000000u);
    EXPECT_EQ(s.pixel(67, 57), 0xFF000000u);
    EXPECT_EQ(s.pixel(23, 23), red);
    EXPECT_EQ(s.pixel(45, 40), red);
    EXPECT_EQ(s.pixel(19, 19), back) << "nothing outside the element";
    EXPECT_EQ(s.pixel(120, 20), blue);

    // The element repaints itself: the ring comes back over it.
    redPatch->Invalidate();
    c.takeDirty();
    EXPECT_EQ(c.surface().pixel(20, 20), TDIBContainer::kFocusRingColour);
    // Hidden, it shows no ring; shown again, the ring returns.
    redPatch->SetVisible(false);
    c.takeDirty();
    EXPECT_EQ(c.surface().pixel(20, 20), back);
    redPatch->SetVisible(true);
    c.takeDirty();
    EXPECT_EQ(c.surface().pixel(20, 20), TDIBContainer::kFocusRingColour);

    // A small picture laid over its centre takes the focus's right to a click: the whole ring
    // goes, not only the part under the picture, and comes back when the picture goes.
    auto& spot = c.Create<Patch>("spot", 0xFF00A000u);
    spot.SetBounds(40, 35, 10, 10);
    c.takeDirty();
    EXPECT_EQ(c.surface().pixel(20, 20), red);
    EXPECT_EQ(c.surface().pixel(69, 59), red);
    c.Destroy(&spot);
    c.takeDirty();
    EXPECT_EQ(c.surface().pixel(69, 59), TDIBContainer::kFocusRingColour);

    // A mouse click moves the focus to what it pressed and hides the ring: the picture is the one
    // a container that never had a focus shows.
    ClickAt(c, 145, 40);
    ClickAt(plain, 145, 40);
    EXPECT_EQ(c.Focused()->Name, "blue");
    EXPECT_FALSE(c.FocusRingShown());
    dirty = c.takeDirty();
    plain.takeDirty();
    ASSERT_EQ(dirty.size(), 1u);
    EXPECT_EQ(dirty[0], redPatch->BoundsRect());
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            ASSERT_EQ(c.surface().pixel(x, y), plain.surface().pixel(x, y)) << x << "," << y;
}

TEST(FocusRing, AKeysPressTakesTheMousesPathAndKeepsTheRing) {
    TDIBContainer c(200, 200);
    auto& target = Clickable(c, "target", {20, 20, 50, 40});
    int clicks = 0, downX = -1, downY = -1;
    target.OnClick = [&](TCustomDIBControl&) { ++clicks; };
    target.OnMouseDown = [&](TCustomDIBControl&, MouseButton, int x, int y) { downX = x, downY = y; };
    std::vector<InputEvent::Kind> path;
    auto route = [&](const InputEvent& e) {
        path.push_back(e.kind);
        c.handleInput(e);
    };
    c.SetFocus(&target, true);
    ASSERT_TRUE(c.Press(c.Focused(), route));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(downX, 25);
    EXPECT_EQ(downY, 20);
    EXPECT_EQ(path, (std::vector<InputEvent::Kind>{InputEvent::Kind::MouseMove, InputEvent::Kind::MouseDown,
                                                   InputEvent::Kind::MouseUp}));
    EXPECT_TRUE(c.FocusRingShown()) << "the key's own click is no mouse click";
    EXPECT_EQ(c.Focused(), &target);

    // Disabled or covered, it takes no press, as it would take no click.
    target.SetEnabled(false);
    EXPECT_FALSE(c.Press(&target, route));
    target.SetEnabled(true);
    auto& cover = c.Create<Patch>("cover", 0xFF000000u);
    cover.SetBounds(0, 0, 100, 100);
    EXPECT_FALSE(c.Press(&target, route));
    EXPECT_EQ(clicks, 1);
    c.Destroy(&cover);

    // A list box is pressed on its selected entry.
    auto& list = c.Create<TDIBListBox>("list");
    list.SetBounds(100, 100, 80, 90);
    list.SetItemHeight(30);
    list.Items = {"one", "two", "three"};
    list.ItemsChanged();
    list.SetItemIndex(2);
    int told = 0;
    list.OnClick = [&](TCustomDIBControl&) { ++told; };
    FocusPoint p = TDIBFocusOrder::PressPoint(list);
    EXPECT_EQ(p.x, 140);
    EXPECT_EQ(p.y, 175);
    ASSERT_TRUE(c.Press(&list, route));
    EXPECT_EQ(told, 1);
    EXPECT_EQ(list.ItemIndex(), 2);

    // An element that goes away takes the focus with it.
    c.SetFocus(&list, true);
    c.Destroy(&list);
    EXPECT_EQ(c.Focused(), nullptr);
}
