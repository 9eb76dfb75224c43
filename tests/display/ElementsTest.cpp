#include "core/Errors.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBContainer.h"
#include "display/DIBImage.h"
#include "display/DIBLabel.h"
#include "display/ScreenLayout.h"
#include "tests/display/DisplayTestUtil.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

using namespace parlora;
using namespace parlora::test;

namespace {

// A list whose items are pictures drawn in code and loaded through the real loader.
struct Pictures {
    TempDir dir;
    TDIBVolatileImageList list;
    int Add(const std::string& name, const Surface& s, bool transparent = false) {
        SavePngRaw(s, dir / (name + ".png"));
        list.Add(name, name + ".png", true, transparent);
        list.LoadAutoImages(dir.path());
        return list.IndexOf(name);
    }
};

InputEvent Mouse(InputEvent::Kind k, int x, int y, int clicks = 1) {
    InputEvent e;
    e.kind = k;
    e.x = x;
    e.y = y;
    e.clicks = clicks;
    return e;
}
constexpr auto Down = InputEvent::Kind::MouseDown;
constexpr auto Up = InputEvent::Kind::MouseUp;
constexpr auto Move = InputEvent::Kind::MouseMove;

} // namespace

TEST(Elements, CreationNeedsAnOwner) {
    try {
        TDIBImage img(nullptr);
        FAIL();
    } catch (const DIBException& e) {
        EXPECT_STREQ(e.what(), "Owner cannot be nil");
    }
    TDIBContainer c(64, 64);
    auto& img = c.Create<TDIBImage>("DIBI_A");
    EXPECT_EQ(img.Width(), 32);
    EXPECT_EQ(img.Opacity(), 255);
    EXPECT_EQ(img.Scale(), 100.0);
}

TEST(Elements, ZOrderHitTestingAndBringToFront) {
    TDIBContainer c(100, 100);
    auto& a = c.Create<TDIBImage>("a");
    auto& b = c.Create<TDIBImage>("b");
    a.SetBounds(0, 0, 50, 50);
    b.SetBounds(25, 25, 50, 50);
    EXPECT_EQ(c.ElementAt(30, 30), &b);
    a.BringToFront();
    EXPECT_EQ(c.ElementAt(30, 30), &a);
    a.SetVisible(false);
    EXPECT_EQ(c.ElementAt(30, 30), &b);
    b.SetEnabled(false);
    EXPECT_EQ(c.ElementAt(30, 30), nullptr);
}

TEST(Elements, ClickCaptureEnterLeave) {
    TDIBContainer c(100, 100);
    auto& a = c.Create<TDIBImage>("a");
    a.SetBounds(10, 10, 20, 20);
    std::vector<std::string> log;
    a.OnMouseEnter = [&](auto&) { log.push_back("enter"); };
    a.OnMouseLeave = [&](auto&) { log.push_back("leave"); };
    a.OnClick = [&](auto&) { log.push_back("click"); };
    a.OnDblClick = [&](auto&) { log.push_back("dbl"); };
    a.OnMouseDown = [&](auto&, MouseButton, int x, int y) {
        log.push_back("down " + std::to_string(x) + "," + std::to_string(y));
    };
    int bgClicks = 0;
    c.OnClick = [&](auto&) { ++bgClicks; };

    c.handleInput(Mouse(Move, 15, 15));
    c.handleInput(Mouse(Down, 15, 16));
    c.handleInput(Mouse(Move, 80, 80)); // captured: no leave yet
    EXPECT_EQ(log, (std::vector<std::string>{"enter", "down 5,6"}));
    c.handleInput(Mouse(Up, 80, 80)); // released outside: leave, no click
    EXPECT_EQ(log.back(), "leave");
    log.clear();
    c.handleInput(Mouse(Down, 12, 12));
    c.handleInput(Mouse(Up, 12, 12));
    c.handleInput(Mouse(Down, 12, 12, 2));
    c.handleInput(Mouse(Up, 12, 12));
    EXPECT_EQ(log, (std::vector<std::string>{"enter", "down 2,2", "click", "down 2,2", "dbl", "click"}));
    c.handleInput(Mouse(Down, 90, 90));
    c.handleInput(Mouse(Up, 90, 90));
    EXPECT_EQ(bgClicks, 1);
}

TEST(Elements, ElementDestroyedInItsClickHandlerIsSafe) {
    TDIBContainer c(100, 100);
    auto& a = c.Create<TDIBImage>("a");
    a.OnMouseUp = [&](TCustomDIBControl& s, MouseButton, int, int) { c.Destroy(&s); };
    c.handleInput(Mouse(Down, 5, 5));
    c.handleInput(Mouse(Up, 5, 5));
    EXPECT_TRUE(c.Elements().empty());
}

TEST(Elements, ButtonStripFramesFollowTheMouse) {
    Pictures p;
    int idx = p.Add("button", Bands(40, 10, 4));
    TDIBContainer c(100, 100);
    auto& b = c.Create<TDIBButtonStrip>("DIBBS_1");
    b.SetDIBImageList(&p.list);
    b.SetDIBIndex(idx);
    b.SetAutoSize(true);
    EXPECT_EQ(b.Width(), 10);
    EXPECT_EQ(b.ImageIndexX(), 0);
    c.handleInput(Mouse(Move, 5, 5));
    EXPECT_EQ(b.ImageIndexX(), 3);
    c.handleInput(Mouse(Down, 5, 5));
    EXPECT_EQ(b.ImageIndexX(), 2);
    c.handleInput(Mouse(Up, 5, 5));
    EXPECT_EQ(b.ImageIndexX(), 3);
    c.handleInput(Mouse(Move, 50, 50));
    EXPECT_EQ(b.ImageIndexX(), 0);
    b.SetEnabled(false);
    EXPECT_EQ(b.ImageIndexX(), 1);
    c.handleInput(Mouse(Move, 5, 5)); // disabled: no hover
    EXPECT_EQ(b.ImageIndexX(), 1);
    c.takeDirty();
    EXPECT_EQ(c.surface().pixel(5, 5), 0xFF00FF00u); // the second band is the disabled frame
}

TEST(Elements, DirtyPaintingOnlyRepaintsWhatChanged) {
    Pictures p;
    int idx = p.Add("red", Surface(10, 10, 0xFFFF0000u));
    TDIBContainer c(100, 100);
    int invalidations = 0;
    c.OnInvalidate = [&] { ++invalidations; };
    auto& img = c.Create<TDIBImage>("a");
    img.SetDIBImageList(&p.list);
    img.SetDIBIndex(idx);
    img.SetBounds(0, 0, 10, 10);
    auto first = c.takeDirty();
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0], c.surface().bounds());
    EXPECT_EQ(c.surface().pixel(5, 5), 0xFFFF0000u);
    invalidations = 0;
    img.SetLeft(50);
    EXPECT_EQ(invalidations, 1); // one notice until the next paint
    auto dirty = c.takeDirty();
    Rect all;
    for (auto& r : dirty)
        all = all.unite(r);
    EXPECT_EQ(all, (Rect{0, 0, 60, 10}));
    EXPECT_EQ(c.surface().pixel(5, 5), c.Color());
    EXPECT_EQ(c.surface().pixel(55, 5), 0xFFFF0000u);
    EXPECT_TRUE(c.takeDirty().empty());
}

TEST(Elements, CentredBackgroundIsCutEvenly) {
    Pictures p;
    Surface bg(1024, 768, 0xFF0000FFu);
    for (int x = 0; x < 1024; ++x)
        bg.setPixel(x, 33, 0xFFFFFF00u);
    int idx = p.Add("Background", bg);
    TDIBImageContainer c(1024, 702);
    c.SetDIBImageList(&p.list);
    c.IndexImage.SetDIBIndex(idx);
    c.takeDirty();
    EXPECT_EQ(c.surface().pixel(0, 0), 0xFFFFFF00u); // row 33 of the picture lands on row 0
    EXPECT_EQ(c.surface().pixel(0, 701), 0xFF0000FFu);
}

TEST(Elements, StripWithMoreFramesThanPixelsDrawsNothing) {
    Pictures p;
    int idx = p.Add("thin", Surface(3, 3, 0xFFFF0000u));
    TDIBContainer c(20, 20);
    c.SetColor(0xFF000000u);
    auto& s = c.Create<TDIBImageStrip>("s");
    s.SetDIBImageList(&p.list);
    s.SetNumImagesX(10);
    s.SetDIBIndex(idx);
    s.SetAutoSize(true);
    s.SetImageIndexX(9);
    s.SetImageIndexX(-1); // ignored
    s.SetNumImagesX(0);   // ignored
    EXPECT_EQ(s.NumImagesX(), 10);
    c.takeDirty();
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(c.surface().pixel(x, y), 0xFF000000u);
}

TEST(Elements, TransparentWhiteKeyDropsEveryWhitePixel) {
    Pictures p;
    Surface s(4, 4, 0xFFFFFFFFu);
    s.setPixel(1, 1, 0xFF00FF00u);
    int idx = p.Add("sprite", s, true);
    TDIBContainer c(4, 4);
    c.SetColor(0xFF000000u);
    auto& img = c.Create<TDIBImage>("a");
    img.SetDIBImageList(&p.list);
    img.SetDIBIndex(idx);
    img.SetBounds(0, 0, 4, 4);
    c.takeDirty();
    EXPECT_EQ(c.surface().pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(c.surface().pixel(1, 1), 0xFF00FF00u);
}

TEST(ImageList, NamesLinksAndPreloadWarnings) {
    Pictures p;
    p.Add("Background", Surface(2, 2));
    p.list.Add("Missing", "nowhere.png", true);
    std::vector<std::string> warnings;
    TDIBVolatileImageList::WarningHandler() = [&](const std::string& m) { warnings.push_back(m); };
    p.list.LoadAutoImages(p.dir.path());
    TDIBVolatileImageList::WarningHandler() = nullptr;
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].rfind("Preload failed: Import of ", 0), 0u) << warnings[0];
    EXPECT_NE(p.list.FindImage("background"), nullptr);
    EXPECT_EQ(p.list.FindImage("nothing"), nullptr);
    try {
        p.list.LoadImageNamed("Nope", "%s/x.png", p.dir.path().c_str());
        FAIL();
    } catch (const DIBException& e) {
        EXPECT_STREQ(e.what(), "Can't find image called Nope");
    }

    p.list.Add("Third", "");
    TDIBImageLink toMissing, toThird;
    toMissing.SetDIBImageList(&p.list);
    toMissing.SetDIBIndex(1);
    toThird.SetDIBImageList(&p.list);
    toThird.SetDIBIndex(2);
    EXPECT_FALSE(toMissing.Valid()); // the failed item stays empty
    p.list.Delete(1);
    EXPECT_EQ(toMissing.DIBIndex(), -1);
    EXPECT_EQ(toThird.DIBIndex(), 1);
}

TEST(Layout, BuildsElementsAndFindsFamilies) {
    Pictures p;
    p.Add("btn", Bands(40, 10, 4));
    TDIBImageContainer c(200, 100);
    std::vector<ElementSpec> specs = {
        {"DIBBS_Button1", ElementKind::ButtonStrip, {0, 0, 10, 10}, "btn", 1, efAutoSize},
        {"DIBBS_Button2", ElementKind::ButtonStrip, {20, 0, 10, 10}, "btn", 2, efAutoSize | efDisabled},
        {"Label_Score", ElementKind::Label, {0, 50, 80, 20}, "", 0, 0, 4, 1, "Score"},
    };
    ScreenLayout::Build(c, &p.list, specs);
    auto& b2 = FindElement<TDIBButtonStrip>(c, "DIBBS_Button%d", 2);
    EXPECT_EQ(b2.Tag, 2);
    EXPECT_EQ(b2.ImageIndexX(), 1);
    EXPECT_EQ(dynamic_cast<TDIBLabel*>(c.FindComponent("label_score"))->Caption(), "Score");
    try {
        FindElement<TDIBImage>(c, "DIBI_Item%d", 3);
        FAIL();
    } catch (const DIBException& e) {
        EXPECT_STREQ(e.what(), "Can't find DIBI_Item3");
    }
    std::vector<ElementSpec> bad = {{"x", ElementKind::Image, {0, 0, 1, 1}, "nope"}};
    EXPECT_THROW(ScreenLayout::Build(c, &p.list, bad), DIBException);
}

TEST(Elements, OpacityAndMaskUseTheByteFormulas) {
    TDIBContainer c(2, 1);
    c.SetColor(0xFF204060u);
    TDIBVolatileImageList list;
    auto& item = list.Add("m");
    Surface px(2, 1);
    px.setPixel(0, 0, 0xFFC08000u);
    px.setPixel(1, 0, 0x40FFFFFFu);
    item.DIB.Assign(std::make_shared<const Surface>(px), false);
    auto& img = c.Create<TDIBImage>("a");
    img.SetDIBImageList(&list);
    img.SetDIBIndex(0);
    img.SetBounds(0, 0, 2, 1);
    img.SetOpacity(153);
    c.takeDirty();
    auto mix = [](int s, int d, int o) { return uint32_t((s * o + d * (255 - o)) / 256 + 1); };
    uint32_t p = c.surface().pixel(0, 0);
    EXPECT_EQ((p >> 16) & 0xFF, mix(0xC0, 0x20, 153));
    EXPECT_EQ((p >> 8) & 0xFF, mix(0x80, 0x40, 153));
    EXPECT_EQ(p & 0xFF, mix(0x00, 0x60, 153));
    item.DIB.Masked = true;
    img.SetOpacity(255);
    c.InvalidateAll();
    c.takeDirty();
    EXPECT_EQ((c.surface().pixel(1, 0) >> 16) & 0xFF, mix(0xFF, 0x20, 0x40));
}
