#include "core/Errors.h"
#include "display/DIBAnimList.h"
#include "display/DIBContainer.h"
#include "display/DIBImage.h"
#include "display/DIBImageStrip.h"

#include <gtest/gtest.h>

using namespace parlora;

namespace {

struct AnimFixture : ::testing::Test {
    FakeClock clock;
    Dispatcher dispatcher{clock, nullptr};
    TDIBContainer container{200, 200};
    TDIBAnimList anims{dispatcher};
    std::vector<std::pair<TCustomDIBControl*, bool>> notices;
    void SetUp() override {
        anims.AnimNotify = [this](TCustomDIBControl& s, bool finished) { notices.push_back({&s, finished}); };
    }
    TDIBImageStrip& Strip(int frames) {
        auto& s = container.Create<TDIBImageStrip>("strip");
        s.SetNumImagesX(frames);
        return s;
    }
};

} // namespace

TEST_F(AnimFixture, TenFrameStripOverHalfASecond) {
    auto& s = Strip(10);
    anims.AddStripAnim(500, s, 0, 9, false);
    EXPECT_EQ(s.ImageIndexX(), 0);
    dispatcher.advance(clock, 250);
    // 9 * 240 / 500 at the last tick before 250 ms: the fifth frame.
    EXPECT_EQ(s.ImageIndexX(), 4);
    EXPECT_TRUE(notices.empty());
    dispatcher.advance(clock, 300);
    EXPECT_EQ(s.ImageIndexX(), 9);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], std::make_pair(static_cast<TCustomDIBControl*>(&s), true));
    EXPECT_FALSE(anims.TimerActive());
    dispatcher.advance(clock, 1000);
    EXPECT_EQ(notices.size(), 1u);
}

TEST_F(AnimFixture, FiveFramesLoopingEachTwoHundredMs) {
    auto& s = Strip(5);
    anims.SetInterval(10);
    anims.AddStripAnim(1000, s, 0, 4, true);
    std::vector<int> seen;
    for (int t = 0; t < 2000; t += 100) {
        dispatcher.advance(clock, 100);
        seen.push_back(s.ImageIndexX());
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 1, 2, 2, 3, 3, 4, 4, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 0}));
    EXPECT_TRUE(notices.empty());
    // A stall of several runs keeps the phase and stays within the frames.
    clock.advance(3550);
    anims.Tick();
    EXPECT_EQ(s.ImageIndexX(), 2);
    anims.StopAnims(&s);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_FALSE(notices[0].second);
    dispatcher.advance(clock, 2000);
    EXPECT_EQ(notices.size(), 1u); // never again after a stop
}

TEST_F(AnimFixture, NewAnimationStopsTheOldOneFirst) {
    auto& img = container.Create<TDIBImage>("img");
    anims.AddSpriteAnim(100, img, 100, 0);
    dispatcher.advance(clock, 50);
    EXPECT_GT(img.Left(), 0);
    anims.AddSpriteAnim(100, img, 0, 100);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_FALSE(notices[0].second);
    dispatcher.advance(clock, 200);
    EXPECT_EQ(img.Top(), 100);
    EXPECT_EQ(notices.back().second, true);
    EXPECT_EQ(anims.Count(), 0);
}

TEST_F(AnimFixture, StopAllIsNewestFirstAndZeroDurationFinishesAtOnce) {
    auto& a = container.Create<TDIBImage>("a");
    auto& b = container.Create<TDIBImage>("b");
    anims.AddSpriteAnim(1000, a, 10, 10);
    anims.AddSpriteAnim(1000, b, 10, 10);
    anims.StopAnims();
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0].first, &b);
    EXPECT_EQ(notices[1].first, &a);
    EXPECT_FALSE(anims.TimerActive());
    notices.clear();
    anims.AddSpriteAnim(0, a, 7, 8);
    dispatcher.advance(clock, 20);
    EXPECT_EQ(a.Left(), 7);
    EXPECT_EQ(notices.size(), 1u);
}

TEST_F(AnimFixture, IndexedStripCallbackAndAlongY) {
    auto& s = Strip(1);
    s.SetNumImagesY(6);
    EXPECT_THROW(anims.AddIndexedStripAnim(100, s, {3}, false), DIBException);
    anims.AddIndexedStripAnim(300, s, {5, 2, 4}, false);
    EXPECT_EQ(s.ImageIndexY(), 5); // along Y: only one frame across
    dispatcher.advance(clock, 160);
    EXPECT_EQ(s.ImageIndexY(), 2);
    dispatcher.advance(clock, 200);
    EXPECT_EQ(s.ImageIndexY(), 4);

    std::vector<int> values;
    auto& img = container.Create<TDIBImage>("counter");
    anims.AddCallbackAnim(
        100, img, 0, 3, [&](int v) { values.push_back(v); }, false);
    dispatcher.advance(clock, 200);
    EXPECT_EQ(values, (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(AnimFixture, HandlerRestartingItsLoopKeepsTheTickValid) {
    auto& s = Strip(4);
    auto& other = container.Create<TDIBImage>("other");
    int restarts = 0;
    anims.AnimNotify = [&](TCustomDIBControl& e, bool finished) {
        if (finished && &e == &s && restarts++ < 3) {
            anims.StopAnims(&other);
            anims.AddStripAnim(100, s, 0, 3, false);
        }
    };
    anims.AddSpriteAnim(10000, other, 5, 5);
    anims.AddStripAnim(100, s, 0, 3, false);
    dispatcher.advance(clock, 1000);
    EXPECT_EQ(restarts, 4);
    EXPECT_EQ(anims.Count(), 0);
    EXPECT_FALSE(anims.TimerActive());
}

TEST(AnimList, DestroyingTheListSendsNoNotices) {
    FakeClock clock;
    Dispatcher dispatcher{clock, nullptr};
    TDIBContainer container{50, 50};
    auto& img = container.Create<TDIBImage>("img");
    int notices = 0;
    {
        TDIBAnimList anims(dispatcher);
        anims.AnimNotify = [&](auto&, bool) { ++notices; };
        anims.AddSpriteAnim(100, img, 10, 10);
    }
    dispatcher.advance(clock, 500);
    EXPECT_EQ(notices, 0);
    EXPECT_EQ(dispatcher.msToNextTimer(), -1);
}
