// Countries practice on the demo course: the flag strip and its arrows, the globe and the
// magnifying glass, the countries filter, and a missing globe table.
#include "activities/FormCountriesPractice.h"
#include "core/Errors.h"
#include "core/PathResolver.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "display/DIBImageStrip.h"
#include "tests/support/DemoCourse.h"

#include <gtest/gtest.h>

namespace parlora::test {
namespace {

struct CountriesCourse : DemoCourse {
    void Open(bool filter = false) {
        StartWithStudent(56, filter ? "Filter3=1\r\n" : "");
        ASSERT_NE(ScreenAs<TForm_CountriesPractice>(), nullptr) << Screen();
    }
    TForm_CountriesPractice& cy() { return *ScreenAs<TForm_CountriesPractice>(); }
    TDIBImage& Image(const char* name) { return cy().Element<TDIBImage>(name); }
    TDIBImageStrip& Globe() { return cy().Element<TDIBImageStrip>("DIBIS_Globe"); }
    TDIBButtonStrip& Button(const char* name) { return cy().Element<TDIBButtonStrip>(name); }
    // A click on the flag in display place `column` (0 = leftmost) of the strip.
    void ClickFlag(int column) {
        Rect r = Image("DIBI_Flags").BoundsRect();
        Click(r.x + column * TForm_CountriesPractice::kFlagW + 60, r.y + 40);
    }
    void Press(const char* name) {
        Rect r = Button(name).BoundsRect();
        Mouse(InputEvent::Kind::MouseMove, r.x + 30, r.y + 30);
        Mouse(InputEvent::Kind::MouseDown, r.x + 30, r.y + 30);
        Idle();
    }
    void Release(const char* name) {
        Rect r = Button(name).BoundsRect();
        Mouse(InputEvent::Kind::MouseUp, r.x + 30, r.y + 30);
        Idle();
    }
    std::string LastPlayed() {
        const auto& log = platform.headlessAudioOut().log();
        if (log.empty()) return "";
        std::string l = log.back().label;
        return l.substr(l.find_last_of("/\\") + 1);
    }
};

TEST(CountriesPractice, AClickedFlagTurnsTheGlobeThenShowsTheGlass) {
    CountriesCourse c;
    c.Open();
    // The globe turns by itself from the start.
    EXPECT_TRUE(c.Globe().Visible());
    int frame = c.Globe().FrameIndex();
    c.Wait(300);
    EXPECT_NE(c.Globe().FrameIndex(), frame);
    EXPECT_FALSE(c.Image("DIBI_Cursor").Visible());

    c.ClickFlag(2);
    EXPECT_EQ(c.cy().currentItem(), 3);
    EXPECT_EQ(c.LastPlayed(), "MCY3.aif");
    EXPECT_TRUE(c.Image("DIBI_Cursor").Visible());
    EXPECT_EQ(c.Image("DIBI_Cursor").Left(), 152 + 2 * 135);
    EXPECT_TRUE(c.Globe().Visible());
    EXPECT_FALSE(c.Image("DIBI_Glass").Visible());
    // A whole turn of 24 frames at 12 a second takes at most two seconds.
    c.Wait(2100);
    EXPECT_FALSE(c.Globe().Visible());
    EXPECT_TRUE(c.Image("DIBI_Glass").Visible());
    EXPECT_TRUE(c.Image("DIBI_Image").Visible());
    EXPECT_EQ(c.Globe().FrameIndex(), c.cy().GlobeFrameOf(3));

    // The same flag again: nothing to turn, the glass comes at once; the female actor says it.
    c.ClickFlag(2);
    EXPECT_TRUE(c.Image("DIBI_Glass").Visible());
    EXPECT_EQ(c.LastPlayed(), "FCY3.aif");
    c.Wait(2000);
    // An earlier country turns the globe round the back: on past the last frame to the first.
    c.ClickFlag(0);
    EXPECT_TRUE(c.Globe().Visible());
    bool wrapped = false;
    for (int i = 0; i < 40 && c.Globe().Visible(); ++i) {
        c.Wait(50);
        wrapped = wrapped || c.Globe().FrameIndex() > c.cy().GlobeFrameOf(3);
    }
    EXPECT_TRUE(wrapped);
    EXPECT_TRUE(c.Image("DIBI_Glass").Visible());
    // Clicks past the fifth place are ignored.
    c.ClickFlag(5);
    EXPECT_EQ(c.cy().currentItem(), 1);
}

TEST(CountriesPractice, HeldArrowsScrollFasterAndStopAtTheEnds) {
    CountriesCourse c;
    c.Open();
    EXPECT_FALSE(c.Button("DIBBS_Back").Enabled());
    EXPECT_TRUE(c.Button("DIBBS_Forward").Enabled());
    c.ClickFlag(0); // France, under the cursor
    c.Press("DIBBS_Forward");
    EXPECT_EQ(c.cy().first(), 2);
    EXPECT_TRUE(c.Button("DIBBS_Back").Enabled());
    // One flag per 400, 300, 200, then 100 ms while held.
    std::vector<int> firsts;
    for (int ms : {400, 300, 200, 100, 100})
        (c.Wait(uint64_t(ms) + 5), firsts.push_back(c.cy().first()));
    EXPECT_EQ(firsts, (std::vector<int>{3, 4, 5, 6, 7}));
    c.Release("DIBBS_Forward");
    c.Wait(1000);
    EXPECT_EQ(c.cy().first(), 7);
    EXPECT_EQ(c.Image("DIBI_Flags").OffsetX(), 6 * 135);
    // France has scrolled out of the strip: the cursor went with it.
    EXPECT_FALSE(c.Image("DIBI_Cursor").Visible());

    c.Press("DIBBS_Forward");
    c.Wait(5000);
    c.Release("DIBBS_Forward");
    EXPECT_EQ(c.cy().first(), 20);
    EXPECT_FALSE(c.Button("DIBBS_Forward").Enabled());
    c.ClickFlag(4);
    EXPECT_EQ(c.cy().currentItem(), 24);

    // Back by one: half way the cursor is clipped at the strip's right edge.
    c.Press("DIBBS_Back");
    c.Release("DIBBS_Back");
    c.Wait(200);
    Rect cursor = c.Image("DIBI_Cursor").BoundsRect();
    EXPECT_LE(cursor.x + cursor.w, 152 + 719);
    c.Wait(400);
    EXPECT_EQ(c.cy().first(), 19);
    EXPECT_EQ(c.Image("DIBI_Cursor").Left(), 152 + 5 * 135);
    EXPECT_EQ(c.Image("DIBI_Cursor").Width(), 719 - 5 * 135);
}

TEST(CountriesPractice, TheFilterLeavesOutCountryTwelve) {
    CountriesCourse c;
    c.Open(true);
    EXPECT_TRUE(c.cy().filtered());
    EXPECT_EQ(c.cy().count(), 23);
    // Place 12 now shows the thirteenth flag.
    TVolatileDIB* flags = c.cy().images().FindImage("Flags");
    ASSERT_NE(flags, nullptr);
    ASSERT_EQ(flags->Width(), 24 * 135);
    TMemoryDIB original;
    original.LoadFromFile(
        PathResolver::Resolve(c.main->folders().DataDir + "\\Interface\\Countries\\Practice\\Flagsx24.png"));
    for (int x : {3, 67, 130})
        EXPECT_EQ(flags->Pixels().pixel(11 * 135 + x, 10), original.Pixels().pixel(12 * 135 + x, 10)) << x;
    EXPECT_EQ(flags->Pixels().pixel(10 * 135 + 67, 10), original.Pixels().pixel(10 * 135 + 67, 10));
    c.cy().SetSequence(false);
    c.Press("DIBBS_Forward");
    c.Wait(3000);
    c.Release("DIBBS_Forward");
    c.Wait(500);
    EXPECT_EQ(c.cy().first(), 19); // the last five of 23
    // The 12th place is the fifth one from place 8.
    c.Press("DIBBS_Back");
    c.Wait(2000);
    c.Release("DIBBS_Back");
    c.Wait(500);
    ASSERT_LE(c.cy().first(), 8);
    while (c.cy().first() < 8) {
        c.Press("DIBBS_Forward");
        c.Release("DIBBS_Forward");
        c.Wait(500);
    }
    c.ClickFlag(4);
    EXPECT_EQ(c.cy().currentItem(), 13);
    EXPECT_EQ(c.LastPlayed(), "MCY13.aif");

    // The sequence goes from 11 straight to 13.
    c.ClickFlag(3);
    EXPECT_EQ(c.cy().currentItem(), 11);
    c.cy().SetSequence(true);
    c.cy().SequenceStep();
    EXPECT_EQ(c.cy().currentItem(), 13);
    EXPECT_TRUE(c.Image("DIBI_Glass").Visible());
    EXPECT_FALSE(c.Globe().Visible());
}

TEST(CountriesPractice, SequenceKeepsTheFlagInViewAndWraps) {
    CountriesCourse c;
    c.Open();
    c.ClickOn(c.cy().SeqButton());
    EXPECT_EQ(c.cy().currentItem(), 1);
    EXPECT_TRUE(c.Image("DIBI_Glass").Visible());
    for (int i = 0; i < 6; ++i)
        c.cy().SequenceStep();
    EXPECT_EQ(c.cy().currentItem(), 7);
    EXPECT_EQ(c.cy().first(), 3); // seventh flag in the fifth place
    EXPECT_EQ(c.Image("DIBI_Cursor").Left(), 152 + 4 * 135);
    for (int i = 0; i < 17; ++i)
        c.cy().SequenceStep();
    EXPECT_EQ(c.cy().currentItem(), 24);
    c.cy().SequenceStep();
    EXPECT_EQ(c.cy().currentItem(), 1);
    EXPECT_EQ(c.cy().first(), 1);

    // Quit stops the globe and records the visit.
    c.ClickOn(c.cy().QuitButton());
    c.Wait(3000);
    EXPECT_EQ(c.Screen(), "TForm_CountriesMenu");
    EXPECT_EQ(c.main->records()->GetScore(8, 0), 0);
}

TEST(CountriesPractice, AMissingGlobeTableIsNamed) {
    CountriesCourse c;
    c.Open();
    TempDir empty;
    c.main->folders().UpdateDir = empty.path();
    try {
        TForm_CountriesPractice screen(*c.main, TScreenParams{});
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_NE(std::string(e.what()).find("Can't find"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("Globe.txt"), std::string::npos) << e.what();
    }
}

} // namespace
} // namespace parlora::test
