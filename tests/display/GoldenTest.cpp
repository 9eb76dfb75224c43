#include "display/DIBButtonStrip.h"
#include "display/DIBContainer.h"
#include "display/DIBImage.h"
#include "display/DIBLabel.h"
#include "display/DIBShape.h"
#include "tests/display/DisplayTestUtil.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

using namespace parlora;
using namespace parlora::test;

namespace {

// Pictures drawn in code, written as PNG and loaded back through the real loader.
struct Scene {
    TempDir dir;
    TDIBVolatileImageList list;
    TDIBImageContainer screen{320, 240};

    Scene() {
        Surface bg(300, 220);
        for (int y = 0; y < 220; ++y)
            for (int x = 0; x < 300; ++x)
                bg.setPixel(x, y, ArgbFromRgb(uint8_t(x * 255 / 300), uint8_t(y), 96));
        Add("Background", bg);
        Add("strip", Bands(60, 20, 3));
        Add("button", Bands(80, 20, 4));
        Surface sprite(24, 24, 0xFFFFFFFFu); // white key from the bottom-left pixel
        for (int y = 4; y < 20; ++y)
            for (int x = 4; x < 20; ++x)
                sprite.setPixel(x, y, (x + y) % 8 < 4 ? 0xFFC00000u : 0xFF0000C0u);
        Add("sprite", sprite, true);
        Surface arrow(40, 20, 0xFF000000u);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 40; ++x)
                if (std::abs(y - 10) <= (40 - x) / 5) arrow.setPixel(x, y, 0xFFFFD000u);
        Add("arrow", arrow, true);
        list.LoadAutoImages(dir.path());
        screen.SetColor(0xFF202020u);
        screen.SetDIBImageList(&list);
        screen.IndexImage.SetDIBIndex(0);
    }
    void Add(const std::string& name, const Surface& s, bool transparent = false) {
        SavePngRaw(s, dir / (name + ".png"));
        list.Add(name, name + ".png", true, transparent);
    }
    template <class T> T& Element(const std::string& picture, int x, int y) {
        auto& e = screen.Create<T>(picture);
        e.SetDIBImageList(&list);
        e.SetBounds(x, y, 32, 32);
        e.SetAutoSize(true);
        e.SetDIBIndex(list.IndexOf(picture));
        return e;
    }
};

} // namespace

TEST(Golden, ElementsOnABackground) {
    Scene s;
    for (int i = 0; i < 3; ++i) {
        auto& strip = s.Element<TDIBImageStrip>("strip", 20 + i * 30, 20);
        strip.SetNumImagesX(3);
        strip.SetImageIndexX(i);
    }
    for (int i = 0; i < 4; ++i) {
        auto& b = s.Element<TDIBButtonStrip>("button", 20 + i * 30, 60);
        if (i == 1) b.SetEnabled(false);
        if (i == 2) b.MouseDown(MouseButton::Left, 1, 1);
        if (i == 3) b.MouseEnter();
        EXPECT_EQ(b.ImageIndexX(), i);
    }
    s.Element<TDIBImage>("sprite", 160, 20);
    s.Element<TDIBImage>("sprite", 200, 20).SetOpacity(128);
    auto& turned = s.Element<TDIBImage>("arrow", 160, 70);
    turned.SetAngle(30);
    EXPECT_EQ(turned.Width(), 45); // |40 cos 30| + |20 sin 30| = 44.6
    EXPECT_EQ(turned.Height(), 37);
    auto& scaled = s.Element<TDIBImage>("arrow", 220, 70);
    scaled.SetScale(150.0);
    EXPECT_EQ(scaled.Width(), 60);
    auto& stretched = s.Element<TDIBImage>("sprite", 20, 110);
    stretched.SetStretch(true);
    stretched.SetBounds(20, 110, 96, 48);
    auto& shape = s.screen.Create<TDIBShape>("Shape_Line1");
    shape.Shape = ShapeKind::Ellipse;
    shape.BrushColor = 0xFF40A040u;
    shape.SetBounds(140, 130, 60, 40);
    s.screen.takeDirty();
    EXPECT_TRUE(MatchesGolden(s.screen.surface(), "elements.png"));
}

TEST(Golden, LabelDrawsInsideItsBox) {
    Scene s;
    auto& label = s.screen.Create<TDIBLabel>("Label_Score");
    label.SetBounds(40, 100, 240, 40);
    label.SetFont({"Arial", 28, true, false});
    label.SetFontColor(0xFFFFFF00u);
    label.SetTransparent(false);
    label.SetColor(0xFF000080u);
    label.SetAlignment(TextAlign::Centre);
    label.SetCaption("Score 120");
    s.screen.takeDirty();
    // Fonts differ between machines: check the box, then compare loosely.
    int yellow = 0;
    for (int y = 100; y < 140; ++y)
        for (int x = 40; x < 280; ++x) {
            uint32_t p = s.screen.surface().pixel(x, y);
            if (((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) > 200 && (p & 0xFF) < 100) ++yellow;
        }
    EXPECT_GT(yellow, 100);
    EXPECT_EQ(s.screen.surface().pixel(41, 101), 0xFF000080u);
    EXPECT_NE(s.screen.surface().pixel(39, 99), 0xFF000080u);
    EXPECT_TRUE(MatchesGolden(s.screen.surface(), "label.png", {24, 0.02}));
}
