#include "printing/PageTemplate.h"

#include <gtest/gtest.h>

namespace parlora::test {
namespace {

// The fitted layout lies on the page, touches two opposite edges and is centred on the other axis.
void ExpectFitted(int W, int H, int PW, int PH) {
    SCOPED_TRACE(testing::Message() << W << "x" << H << " on " << PW << "x" << PH);
    TPageFit f = FitPage(W, H, PW, PH);
    int w = f.Scale(W), h = f.Scale(H);
    EXPECT_GE(f.xOffset, 0);
    EXPECT_GE(f.yOffset, 0);
    EXPECT_LE(f.X(W), PW);
    EXPECT_LE(f.Y(H), PH);
    EXPECT_TRUE(w == PW || h == PH);
    EXPECT_LE(std::abs((PW - w) - 2 * f.xOffset), 1);
    EXPECT_LE(std::abs((PH - h) - 2 * f.yOffset), 1);
}

TEST(PageFit, LandscapeLimitsByHeightAndCentresAcross) {
    TPageFit f = FitPage(1107, 1570, 3508, 2480);
    EXPECT_EQ(f.numerator, 2480);
    EXPECT_EQ(f.denominator, 1570);
    EXPECT_EQ(f.yOffset, 0);
    EXPECT_EQ(f.xOffset, (3508 - MulDiv(1107, 2480, 1570)) / 2);
    EXPECT_GT(f.xOffset, 800);
    ExpectFitted(1107, 1570, 3508, 2480);
}

TEST(PageFit, NarrowPortraitLimitsByWidthAndCentresDown) {
    // Narrower than 1107/1570 of its height: the width limits.
    TPageFit f = FitPage(1107, 1570, 2000, 3508);
    EXPECT_EQ(f.numerator, 2000);
    EXPECT_EQ(f.denominator, 1107);
    EXPECT_EQ(f.xOffset, 0);
    EXPECT_GT(f.yOffset, 0);
    ExpectFitted(1107, 1570, 2000, 3508);
    // A4 at 300 dpi is wider than that: the height limits there.
    EXPECT_EQ(FitPage(1107, 1570, 2480, 3508).numerator, 3508);
}

TEST(PageFit, RoundingNeverPushesTheLayoutOffThePage) {
    // Pages whose true W x PH / H lies just below PW, so that a rounded comparison would let the width
    // limit and the layout's foot hang over the page's bottom edge.
    int found = 0;
    for (int PH = 500; PH < 5000; ++PH) {
        long long num = 1107LL * PH;
        long long whole = num / 1570, rest = num % 1570;
        if (rest * 2 < 1570) continue;
        int PW = int(whole + 1);
        ++found;
        ExpectFitted(1107, 1570, PW, PH);
        ExpectFitted(1097, 1474, PW, PH);
        ExpectFitted(1177, 1519, PW, PH);
        if (testing::Test::HasFailure()) break;
    }
    EXPECT_GT(found, 100);
}

TEST(PageFit, MapsEdgesAndRefusesPagesWithoutSize) {
    TPageFit f = FitPage(100, 200, 300, 600);
    EXPECT_EQ(f.Map({10, 20, 30, 40}), (Rect{30, 60, 90, 120}));
    EXPECT_EQ(MulDiv(5, 3, 2), 8); // halves round away from zero
    EXPECT_EQ(MulDiv(-5, 3, 2), -8);
    EXPECT_EQ(MulDiv(1107, 2000000, 1570), 1410191); // no overflow on a large page
    EXPECT_THROW(FitPage(1107, 1570, 0, 3508), std::exception);
    EXPECT_THROW(FitPage(1107, 1570, 2480, -1), std::exception);
    EXPECT_THROW(FitPage(0, 1570, 2480, 3508), std::exception);
}

TEST(PageSpan, WholeDocumentsAndChosenRanges) {
    EXPECT_EQ(PageCount(41, 10), 5);
    EXPECT_EQ(PageCount(20, 10), 2);
    EXPECT_EQ(PageCount(28, 28), 1);
    EXPECT_EQ(PageCount(29, 28), 2);
    EXPECT_EQ(PageCount(60, 28), 3);
    EXPECT_EQ(PageCount(0, 28), 1);

    TPageSpan all = PageSpan(41, 10, false, 1, 1);
    EXPECT_EQ(all.firstItem, 1);
    EXPECT_EQ(all.lastItem, 41);
    EXPECT_EQ(all.firstPage, 1);

    // Page 2 of the food worksheet alone: cells 11 to 20, numbered as its second page.
    TPageSpan two = PageSpan(41, 10, true, 2, 2);
    EXPECT_EQ(two.firstItem, 11);
    EXPECT_EQ(two.lastItem, 20);
    EXPECT_EQ(two.firstPage, 2);

    // The last page holds what is left.
    TPageSpan last = PageSpan(41, 10, true, 5, 5);
    EXPECT_EQ(last.firstItem, 41);
    EXPECT_EQ(last.lastItem, 41);

    // A range beyond the document or running backwards is kept within the document.
    TPageSpan beyond = PageSpan(41, 10, true, 7, 9);
    EXPECT_EQ(beyond.firstPage, 5);
    EXPECT_EQ(beyond.firstItem, 41);
    EXPECT_EQ(beyond.lastItem, 41);
    TPageSpan backwards = PageSpan(60, 28, true, 3, 1);
    EXPECT_EQ(backwards.firstItem, 57);
    EXPECT_EQ(backwards.lastItem, 60);
    TPageSpan first = PageSpan(60, 28, true, 0, 1);
    EXPECT_EQ(first.firstItem, 1);
    EXPECT_EQ(first.lastItem, 28);
}

} // namespace
} // namespace parlora::test
