// First words and phrases practice on the demo course: the list, its scrolling, the actors taking
// turns, recording and playback, the sequence and the visit.
#include "activities/FormWordsPractice.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "tests/support/DemoCourse.h"

#include <gtest/gtest.h>

namespace parlora {
namespace {

constexpr int kRecordX = 386, kRecordY = 717, kPlayX = 514, kPlayY = 717, kSeqX = 640, kSeqY = 716;
constexpr int kQuitX = 982, kQuitY = 729;

struct WordsPracticeTest : ::testing::Test {
    test::DemoCourse course;

    void Open(int code, const std::string& config = "") {
        course.Prepare({{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\n" + config}});
        course.Start({"target=3", "source=1"});
        ASSERT_TRUE(course.main->records()->AddStudent("Kim"));
        course.main->records()->SetCurrentStudent("Kim");
        course.main->LoadStudent();
        course.Request(code);
        ASSERT_NE(screen(), nullptr) << course.Screen();
    }
    TForm_WordsPractice* screen() { return course.ScreenAs<TForm_WordsPractice>(); }
    const std::vector<AudioLogEntry>& log() { return course.platform.headlessAudioOut().log(); }
    std::string LastPlayed() { return log().empty() ? "" : log().back().label; }
    bool Played(const std::string& name) { return LastPlayed().find(name) != std::string::npos; }
    // Row 1 to 7 of the visible list.
    void ClickRow(int row) { course.Click(480, 376 + (row - 1) * 32 + 12); }
    template <class T> T& El(const std::string& name) { return screen()->Element<T>(name); }
};

TEST_F(WordsPracticeTest, ChoosingRowsShowsItemsAndTheActorsTakeTurns) {
    Open(15);
    EXPECT_EQ(screen()->itemCount(), 44);
    EXPECT_FALSE(El<TDIBButtonStrip>("DIBButton_Record").Enabled());
    EXPECT_FALSE(El<TDIBButtonStrip>("DIBButton_Play").Enabled());
    EXPECT_FALSE(El<TDIBImage>("DIBI_Image").Visible());
    ClickRow(3);
    EXPECT_EQ(screen()->current(), 3);
    EXPECT_TRUE(Played("MFW3.aif")) << LastPlayed();
    EXPECT_TRUE(El<TDIBImage>("DIBI_Image").Visible());
    EXPECT_TRUE(El<TDIBImage>("DIBI_Target").Visible());
    EXPECT_TRUE(El<TDIBImage>("DIBI_Cursor").Visible());
    EXPECT_EQ(El<TDIBImage>("DIBI_Cursor").Top(), 376 + 64);
    EXPECT_TRUE(El<TDIBButtonStrip>("DIBButton_Record").Enabled());
    // The same row again: the other actor.
    ClickRow(3);
    EXPECT_TRUE(Played("FFW3.aif")) << LastPlayed();
    // The written form and the picture say it again, still in turns.
    course.Click(600, 224);
    EXPECT_TRUE(Played("MFW3.aif")) << LastPlayed();
    course.Click(300, 220);
    EXPECT_TRUE(Played("FFW3.aif")) << LastPlayed();
    // An actor says it himself.
    course.Click(885, 560);
    EXPECT_TRUE(Played("FFW3.aif")) << LastPlayed();
    course.Click(135, 560);
    EXPECT_TRUE(Played("MFW3.aif")) << LastPlayed();
}

TEST_F(WordsPracticeTest, RecordingThenPlaybackThenLeavingStoresTheVisit) {
    Open(15);
    ClickRow(1);
    course.Wait(2000);
    course.Click(kRecordX, kRecordY);
    EXPECT_TRUE(El<TDIBImage>("DIBI_Record").Visible());
    EXPECT_FALSE(El<TDIBButtonStrip>("DIBButton_Play").Enabled());
    course.Wait(7600);
    EXPECT_FALSE(El<TDIBImage>("DIBI_Record").Visible());
    ASSERT_TRUE(El<TDIBButtonStrip>("DIBButton_Play").Enabled());
    course.Click(kPlayX, kPlayY);
    EXPECT_TRUE(El<TDIBImage>("DIBI_Playback").Visible());
    course.Wait(8000);
    EXPECT_FALSE(El<TDIBImage>("DIBI_Playback").Visible());
    // A new item wants a new recording.
    ClickRow(2);
    EXPECT_FALSE(El<TDIBButtonStrip>("DIBButton_Play").Enabled());
    EXPECT_EQ(course.main->records()->GetScore(0, 0), -1);
    course.Click(kQuitX, kQuitY);
    EXPECT_EQ(course.main->records()->GetScore(0, 0), 0);
    EXPECT_EQ(screen(), nullptr);
}

TEST_F(WordsPracticeTest, AClickDuringRecordingOnlyStopsIt) {
    Open(31);
    EXPECT_EQ(screen()->itemCount(), 30);
    ClickRow(1);
    EXPECT_TRUE(Played("MUSE1.aif")) << LastPlayed();
    course.Click(kRecordX, kRecordY);
    course.Wait(1000);
    ClickRow(5);
    EXPECT_EQ(screen()->current(), 1) << "the click must not choose a row";
    EXPECT_TRUE(El<TDIBButtonStrip>("DIBButton_Play").Enabled());
    EXPECT_FALSE(El<TDIBImage>("DIBI_Record").Visible());
    // Afterwards clicks work again.
    ClickRow(5);
    EXPECT_EQ(screen()->current(), 5);
}

TEST_F(WordsPracticeTest, LeavingWithoutChoosingRecordsNothing) {
    Open(31);
    course.Click(kQuitX, kQuitY);
    EXPECT_EQ(screen(), nullptr);
    EXPECT_EQ(course.main->records()->GetScore(3, 0), -1);
}

TEST_F(WordsPracticeTest, HoldingDownScrollsFasterUntilTheLastPage) {
    Open(15);
    auto& up = El<TDIBButtonStrip>("DIBBS_Up");
    auto& down = El<TDIBButtonStrip>("DIBBS_Down");
    EXPECT_FALSE(up.Enabled());
    EXPECT_TRUE(down.Enabled());
    course.Mouse(InputEvent::Kind::MouseMove, 702, 591);
    course.Mouse(InputEvent::Kind::MouseDown, 702, 591);
    course.Idle();
    // Each step starts at once, the next when it has run: 400, 300, 200, then 100 ms apart.
    EXPECT_EQ(screen()->topRow(), 2);
    EXPECT_TRUE(up.Enabled());
    std::vector<int> changes;
    int row = 2;
    for (int t = 10; t <= 1100; t += 10) {
        course.Wait(10);
        if (screen()->topRow() != row) {
            row = screen()->topRow();
            changes.push_back(t);
        }
    }
    ASSERT_GE(changes.size(), 4u);
    const int steps[] = {400, 300, 200, 100};
    int last = 0;
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(changes[i] - last, steps[i], 25) << "step " << i;
        last = changes[i];
    }
    EXPECT_EQ(screen()->stepMs(), 100);
    course.Wait(5000);
    EXPECT_EQ(screen()->topRow(), 38) << "rows 38 to 44 are the last seven";
    EXPECT_FALSE(down.Enabled());
    EXPECT_EQ(El<TDIBImage>("DIBI_List").OffsetY(), 37 * 32);
    course.Mouse(InputEvent::Kind::MouseUp, 702, 591);
    course.Idle();
    ClickRow(7);
    EXPECT_EQ(screen()->current(), 44);
    EXPECT_TRUE(Played("MFW44.aif")) << LastPlayed();
    // One click on Up: one row back, the cursor follows its row.
    course.Click(702, 399);
    course.Wait(500);
    EXPECT_EQ(screen()->topRow(), 37);
    EXPECT_TRUE(down.Enabled());
    auto& cursor = El<TDIBImage>("DIBI_Cursor");
    EXPECT_EQ(cursor.Top(), 376 + 7 * 32);
    EXPECT_EQ(cursor.Height(), 0) << "the chosen row is below the list now";
}

TEST_F(WordsPracticeTest, TheFilterTakesOutTwoWords) {
    Open(15, "Filter1=1\r\n");
    ASSERT_TRUE(screen()->filtered());
    EXPECT_EQ(screen()->itemCount(), 42);
    EXPECT_EQ(El<TDIBImage>("DIBI_List").IndexMain.Picture()->Height(), 42 * 32);
    // Rows 10 to 16: the 16th row is item 18.
    for (int i = 0; i < 9; ++i) {
        course.Click(702, 591);
        course.Wait(500);
    }
    ASSERT_EQ(screen()->topRow(), 10);
    ClickRow(7);
    EXPECT_EQ(screen()->current(), 16);
    EXPECT_TRUE(Played("MFW18.aif")) << LastPlayed();
    for (int i = 0; i < 30; ++i) {
        course.Click(702, 591);
        course.Wait(500);
    }
    EXPECT_EQ(screen()->topRow(), 36);
    ClickRow(7);
    EXPECT_TRUE(Played("FFW44.aif")) << LastPlayed();
}

TEST_F(WordsPracticeTest, TheSequenceWalksTheListAndWrapsAround) {
    Open(15);
    course.Click(kSeqX, kSeqY);
    EXPECT_TRUE(screen()->sequence());
    EXPECT_EQ(screen()->current(), 1);
    EXPECT_TRUE(Played("MFW1.aif")) << LastPlayed();
    uint64_t length = log().back().lengthMs;
    course.Wait(length + 1050);
    EXPECT_EQ(screen()->current(), 2);
    EXPECT_TRUE(Played("FFW2.aif")) << LastPlayed();
    // Further steps, as the pause timer would make them.
    for (int item = 3; item <= 7; ++item)
        screen()->SequenceStep();
    EXPECT_EQ(screen()->current(), 7);
    EXPECT_EQ(screen()->topRow(), 2) << "an item more than five rows below the top scrolls the list";
    while (screen()->current() < 44)
        screen()->SequenceStep();
    EXPECT_EQ(screen()->topRow(), 38);
    EXPECT_FALSE(El<TDIBButtonStrip>("DIBBS_Down").Enabled());
    screen()->SequenceStep();
    EXPECT_EQ(screen()->current(), 1);
    EXPECT_EQ(screen()->topRow(), 1);
    EXPECT_EQ(El<TDIBImage>("DIBI_List").OffsetY(), 0);
    EXPECT_FALSE(El<TDIBButtonStrip>("DIBBS_Up").Enabled());
    // Switching off while a word plays stops it, and nothing follows.
    size_t before = log().size();
    course.Click(kSeqX, kSeqY);
    EXPECT_FALSE(screen()->sequence());
    EXPECT_TRUE(log().back().stopped);
    course.Wait(5000);
    EXPECT_EQ(log().size(), before);
    EXPECT_EQ(screen()->current(), 1);
}

TEST_F(WordsPracticeTest, TheKeysChooseItemsAlongTheList) {
    Open(15);
    const TCustomDIBControl& list = El<TDIBImage>("DIBI_List");
    for (int i = 0; i < 20 && course.main->currentScreen() && screen()->container().Focused() != &list; ++i)
        course.Key("Tab");
    ASSERT_EQ(screen()->container().Focused(), &list);
    // Down chooses the first item and then each next one, which is said as a click would say it.
    course.Key("Down");
    EXPECT_EQ(screen()->current(), 1);
    EXPECT_TRUE(Played("MFW1.aif")) << LastPlayed();
    for (int i = 0; i < 8; ++i) {
        course.Key("Down");
        course.Wait(300);
    }
    EXPECT_EQ(screen()->current(), 9);
    EXPECT_EQ(screen()->topRow(), 3) << "item 9 is scrolled into the last visible row";
    EXPECT_TRUE(El<TDIBImage>("DIBI_Cursor").Visible());
    // Return says the shown item again, and Up goes back; the list does not run past its top.
    const size_t said = log().size();
    course.Key("Return");
    EXPECT_EQ(screen()->current(), 9);
    EXPECT_GT(log().size(), said);
    for (int i = 0; i < 12; ++i) {
        course.Key("Up");
        course.Wait(300);
    }
    EXPECT_EQ(screen()->current(), 1);
    EXPECT_EQ(screen()->topRow(), 1);
    EXPECT_EQ(screen()->container().Focused(), &list);
}

} // namespace
} // namespace parlora
