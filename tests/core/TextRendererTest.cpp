#include "core/TextRenderer.h"

#include <gtest/gtest.h>

using namespace parlora;

TEST(TextRenderer, MapsWindowsFamilies) {
    EXPECT_EQ(TextRenderer::MapFamily("Arial"), "Liberation Sans");
    EXPECT_EQ(TextRenderer::MapFamily("times new roman"), "Liberation Serif");
    EXPECT_EQ(TextRenderer::MapFamily("Courier New"), "Liberation Mono");
    EXPECT_EQ(TextRenderer::MapFamily("Tahoma"), "Tahoma");
}

TEST(TextRenderer, MeasureGrowsWithTextAndSize) {
    FontSpec font;
    font.pixelHeight = 20;
    TextSize one = TextRenderer::Measure("Hello", font);
    TextSize two = TextRenderer::Measure("Hello Hello", font);
    EXPECT_GT(one.width, 20);
    EXPECT_GT(two.width, one.width * 3 / 2);
    EXPECT_EQ(two.height, one.height);
    EXPECT_GE(one.height, 20);
    EXPECT_LT(one.height, 40);

    FontSpec big = font;
    big.pixelHeight = 40;
    TextSize large = TextRenderer::Measure("Hello", big);
    EXPECT_GT(large.width, one.width * 3 / 2);
    EXPECT_GT(large.height, one.height * 3 / 2);

    FontSpec bold = font;
    bold.bold = true;
    EXPECT_GT(TextRenderer::Measure("Hello", bold).width, one.width);

    TextSize wrapped = TextRenderer::Measure("one two three four five six", font, 80);
    EXPECT_LE(wrapped.width, 80);
    EXPECT_GE(wrapped.height, one.height * 3);
}

TEST(TextRenderer, DrawsInsideTheBoxOnly) {
    Surface surface(200, 100, 0xFFFFFFFFu);
    Rect box{20, 10, 60, 30};
    TextStyle style;
    style.font.pixelHeight = 24;
    style.colour = 0xFF0000FFu;
    // Longer than the box: the clip must hold it.
    TextRenderer::Draw(surface, box, "WWWWWWWWWWWW", style);
    int changedInside = 0;
    for (int y = 0; y < surface.height(); ++y)
        for (int x = 0; x < surface.width(); ++x) {
            uint32_t p = surface.pixel(x, y);
            ASSERT_EQ(p >> 24, 0xFFu) << "pixels stay opaque";
            if (p == 0xFFFFFFFFu) continue;
            ASSERT_TRUE(box.contains(x, y)) << x << "," << y;
            ++changedInside;
            EXPECT_EQ((p >> 16) & 0xFF, (p >> 8) & 0xFF) << "blue text on white keeps red = green";
        }
    EXPECT_GT(changedInside, 100);
}

TEST(TextRenderer, AlignmentAndVerticalCentre) {
    auto inkBounds = [](const Surface& s) {
        Rect r{};
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x)
                if (s.pixel(x, y) != 0xFF000000u) r = r.unite({x, y, 1, 1});
        return r;
    };
    TextStyle style;
    style.font.pixelHeight = 16;
    style.colour = 0xFFFFFFFFu;
    Rect box{0, 0, 300, 100};

    Surface left(300, 100), centre(300, 100), right(300, 100);
    TextRenderer::Draw(left, box, "Score", style);
    style.align = TextAlign::Centre;
    style.verticalCentre = true;
    TextRenderer::Draw(centre, box, "Score", style);
    style.align = TextAlign::Right;
    style.verticalCentre = false;
    TextRenderer::Draw(right, box, "Score", style);

    Rect l = inkBounds(left), c = inkBounds(centre), r = inkBounds(right);
    EXPECT_LT(l.x, 5);
    EXPECT_NEAR(c.x + c.w / 2, 150, 4);
    EXPECT_GT(r.right(), 295);
    EXPECT_LT(l.bottom(), 30);
    EXPECT_NEAR(c.y + c.h / 2, 50, 6);
}

TEST(TextRenderer, WordWrapUsesMoreLines) {
    TextStyle style;
    style.font.pixelHeight = 16;
    style.colour = 0xFFFFFFFFu;
    const std::string text = "Please insert the disc in the drive and wait a moment";
    auto lastInkRow = [](const Surface& s) {
        int last = -1;
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x)
                if (s.pixel(x, y) != 0xFF000000u) last = y;
        return last;
    };
    Surface flat(400, 200), wrapped(400, 200);
    TextRenderer::Draw(flat, {0, 0, 120, 200}, text, style);
    style.wordWrap = true;
    TextRenderer::Draw(wrapped, {0, 0, 120, 200}, text, style);
    EXPECT_GT(lastInkRow(wrapped), lastInkRow(flat) + 40);
}

TEST(TextRenderer, OddInputDoesNotFail) {
    Surface surface(50, 50);
    TextStyle style;
    TextRenderer::Draw(surface, {40, 40, 100, 100}, "Fran\xE7oise",
                       style);                                 // invalid UTF-8, partly off the surface
    TextRenderer::Draw(surface, {-10, -10, 5, 5}, "x", style); // fully off the surface
    TextRenderer::Draw(surface, {0, 0, 50, 50}, "", style);
    EXPECT_GT(TextRenderer::Measure("Fran\xE7oise", style.font).width, 0);
}
