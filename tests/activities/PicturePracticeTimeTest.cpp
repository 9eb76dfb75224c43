// Time practice on the demo course: hour then minute buttons, the turning hands, the hint arrows,
// the sequence through the time table.
#include "activities/FormTimePractice.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "tests/support/DemoCourse.h"

#include <gtest/gtest.h>

namespace parlora::test {
namespace {

struct TimeCourse : DemoCourse {
    void Open() {
        StartWithStudent(46);
        ASSERT_NE(ScreenAs<TForm_TimePractice>(), nullptr) << Screen();
    }
    TForm_TimePractice& clock() { return *ScreenAs<TForm_TimePractice>(); }
    TDIBImage& Image(const char* name) { return clock().Element<TDIBImage>(name); }
    std::vector<int> VisibleMinutes() {
        std::vector<int> v;
        for (int m = 0; m < 60; m += 5)
            if (clock().MinuteButton(m).Visible()) v.push_back(m);
        return v;
    }
    std::string LastPlayed() {
        const auto& log = platform.headlessAudioOut().log();
        if (log.empty()) return "";
        std::string l = log.back().label;
        return l.substr(l.find_last_of("/\\") + 1);
    }
};

TEST(TimePractice, HourThenMinuteTurnsTheBigHandAndSaysTheTime) {
    TimeCourse c;
    c.Open();
    EXPECT_TRUE(c.clock().hourHint());
    EXPECT_TRUE(c.VisibleMinutes().empty());

    c.ClickOn(c.clock().HourButton(4));
    EXPECT_EQ(c.clock().shownMinutes(), 4 * 60);
    EXPECT_FALSE(c.Image("DIBI_BigHand").Visible());
    EXPECT_TRUE(c.Image("DIBI_LittleHand").Visible());
    EXPECT_EQ(c.Image("DIBI_LittleHand").Angle(), 120);
    EXPECT_EQ(c.VisibleMinutes(), (std::vector<int>{0, 15, 20}));
    EXPECT_FALSE(c.clock().hourHint());
    EXPECT_TRUE(c.clock().minuteHint());

    // 4:00 to 4:20 is twenty minutes: 200 ms of turning.
    c.ClickOn(c.clock().MinuteButton(20));
    EXPECT_TRUE(c.Image("DIBI_BigHand").Visible());
    EXPECT_EQ(c.clock().currentItem(), 36);
    EXPECT_EQ(c.LastPlayed(), "MT36.aif");
    c.Wait(100);
    EXPECT_GT(c.clock().shownMinutes(), 4 * 60);
    EXPECT_LT(c.clock().shownMinutes(), 4 * 60 + 20);
    c.Wait(120);
    EXPECT_EQ(c.clock().shownMinutes(), 4 * 60 + 20);
    EXPECT_EQ(c.Image("DIBI_BigHand").Angle(), 120);
    EXPECT_EQ(c.Image("DIBI_LittleHand").Angle(), 130);
    // The minute hint is gone for good.
    EXPECT_FALSE(c.clock().minuteHint());
    EXPECT_FALSE(c.clock().hintTimerActive());
    c.Wait(3000);

    // Back to the full hour: the hand turns backwards and the other actor speaks.
    c.ClickOn(c.clock().MinuteButton(0));
    c.Wait(300);
    EXPECT_EQ(c.clock().shownMinutes(), 4 * 60);
    EXPECT_EQ(c.LastPlayed(), "FT4.aif");
}

TEST(TimePractice, HintArrowsFlashEveryHalfSecond) {
    TimeCourse c;
    c.Open();
    std::vector<bool> blue;
    for (int i = 0; i < 4; ++i) {
        c.Wait(500);
        blue.push_back(c.Image("DIBI_LeftBlue").Visible());
        EXPECT_EQ(c.Image("DIBI_LeftBlue").Visible(), c.Image("DIBI_RightBlue").Visible());
        EXPECT_FALSE(c.Image("DIBI_LeftRed").Visible());
    }
    EXPECT_EQ(blue, (std::vector<bool>{true, false, true, false}));
    c.ClickOn(c.clock().HourButton(7));
    EXPECT_FALSE(c.Image("DIBI_LeftBlue").Visible());
    bool redSeen = false;
    for (int i = 0; i < 3; ++i) {
        c.Wait(500);
        redSeen = redSeen || c.Image("DIBI_RightRed").Visible();
        EXPECT_FALSE(c.Image("DIBI_LeftBlue").Visible());
    }
    EXPECT_TRUE(redSeen);
}

TEST(TimePractice, SequenceWalksTheTableHourByHour) {
    TimeCourse c;
    c.Open();
    c.ClickOn(c.clock().SeqButton());
    EXPECT_FALSE(c.clock().hourHint());
    EXPECT_FALSE(c.clock().hintTimerActive());
    EXPECT_EQ(c.clock().currentItem(), 1);
    EXPECT_EQ(c.clock().shownMinutes(), 60);
    std::vector<int> items{1};
    for (int i = 0; i < 3; ++i) {
        int before = c.clock().currentItem();
        for (int t = 0; t < 100 && c.clock().currentItem() == before; ++t)
            c.Wait(100);
        items.push_back(c.clock().currentItem());
    }
    EXPECT_EQ(items, (std::vector<int>{1, 33, 19, 2}));
    EXPECT_EQ(c.clock().shownMinutes(), 2 * 60);
    EXPECT_EQ(c.VisibleMinutes(), (std::vector<int>{0, 20, 30}));
    EXPECT_TRUE(c.Image("DIBI_BigHand").Visible());

    // After 12:50 comes 1:00.
    c.ClickOn(c.clock().HourButton(12));
    c.ClickOn(c.clock().MinuteButton(50));
    EXPECT_EQ(c.clock().currentItem(), 31);
    c.clock().SequenceStep();
    EXPECT_EQ(c.clock().currentItem(), 1);
    EXPECT_EQ(c.clock().shownMinutes(), 60);
}

TEST(TimePractice, EveryTableTimeIsReachableAndTheItemsAreDistinct) {
    std::vector<int> seen;
    for (int h = 1; h <= 12; ++h)
        for (const TClockTime& t : TForm_TimePractice::Times()[size_t(h - 1)]) {
            EXPECT_EQ(t.hour, h);
            EXPECT_EQ(t.minute % 5, 0);
            seen.push_back(t.item);
        }
    std::sort(seen.begin(), seen.end());
    for (int i = 0; i < 36; ++i)
        EXPECT_EQ(seen[size_t(i)], i + 1);
    EXPECT_EQ(TForm_TimePractice::LittleHandAngle(12 * 60 + 50), 25);
    EXPECT_EQ(TForm_TimePractice::BigHandAngle(12 * 60 + 50), 300);
}

TEST(TimePractice, RecordPlayAndLeave) {
    TimeCourse c;
    c.Open();
    c.ClickOn(c.clock().QuitButton());
    c.Wait(3000);
    EXPECT_EQ(c.Screen(), "TForm_TimeMenu");
    EXPECT_EQ(c.main->records()->GetScore(6, 0), -1);

    c.Request(46);
    ASSERT_NE(c.ScreenAs<TForm_TimePractice>(), nullptr);
    c.ClickOn(c.clock().HourButton(9));
    c.ClickOn(c.clock().MinuteButton(45));
    c.Wait(3000);
    c.ClickOn(c.clock().RecordButton());
    c.Wait(8000);
    ASSERT_TRUE(c.clock().PlayButton().Enabled());
    c.ClickOn(c.clock().PlayButton());
    EXPECT_TRUE(c.Image("DIBI_Playback").Visible());
    c.Wait(8000);
    EXPECT_FALSE(c.Image("DIBI_Playback").Visible());
    c.ClickOn(c.clock().QuitButton());
    c.Wait(3000);
    EXPECT_EQ(c.Screen(), "TForm_TimeMenu");
    EXPECT_EQ(c.main->records()->GetScore(6, 0), 0);
}

} // namespace
} // namespace parlora::test
