// Body practice on the demo course: hot spots, highlights, both actors, recording, the sequence
// and the visit record.
#include "activities/FormBodyPractice.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "tests/support/DemoCourse.h"

#include <gtest/gtest.h>

namespace parlora::test {
namespace {

struct BodyCourse : DemoCourse {
    void Open() {
        StartWithStudent(36);
        ASSERT_NE(ScreenAs<TForm_BodyPractice>(), nullptr) << Screen();
    }
    TForm_BodyPractice& body() { return *ScreenAs<TForm_BodyPractice>(); }
    void MoveOnto(const TCustomDIBControl& e) {
        Rect r = e.BoundsRect();
        Move(r.x + r.w / 2, r.y + r.h / 2);
    }
    size_t Mark() { return platform.headlessAudioOut().log().size(); }
    // File names (without folders) played since `mark`.
    std::vector<std::string> PlayedSince(size_t mark) {
        std::vector<std::string> out;
        const auto& log = platform.headlessAudioOut().log();
        for (size_t i = mark; i < log.size(); ++i) {
            std::string l = log[i].label;
            out.push_back(l.substr(l.find_last_of("/\\") + 1));
        }
        return out;
    }
    std::vector<int> LitParts() {
        std::vector<int> lit;
        for (int n = 1; n <= TForm_BodyPractice::kItems; ++n)
            if (body().Highlight(n).Visible()) lit.push_back(n);
        return lit;
    }
};

TEST(BodyPractice, PointingLightsAPartAndClicksSayItByBothActors) {
    BodyCourse c;
    c.Open();
    EXPECT_TRUE(c.LitParts().empty());
    EXPECT_FALSE(c.body().Element<TDIBImage>("DIBI_Target").Visible());

    // Pointing lights the part under the mouse only; moving off puts out every light before a choice.
    c.MoveOnto(c.body().HotSpot(7));
    EXPECT_EQ(c.LitParts(), std::vector<int>{7});
    c.Move(900, 300);
    EXPECT_TRUE(c.LitParts().empty());

    size_t mark = c.Mark();
    c.ClickOn(c.body().HotSpot(9));
    EXPECT_EQ(c.body().currentItem(), 9);
    EXPECT_TRUE(c.body().Element<TDIBImage>("DIBI_Target").Visible());
    EXPECT_TRUE(c.body().Element<TDIBImage>("DIBI_Source").Visible());
    EXPECT_TRUE(c.body().RecordButton().Enabled());
    EXPECT_FALSE(c.body().PlayButton().Enabled());
    c.Wait(3000);
    // The actors take turns: the male speaker first, then the female one for the same part.
    c.ClickOn(c.body().HotSpot(9));
    c.Wait(3000);
    EXPECT_EQ(c.PlayedSince(mark), (std::vector<std::string>{"MFG9.aif", "FFG9.aif"}));

    // Moving off a spot brings back the chosen part's light; pointing at another lights it alone.
    c.MoveOnto(c.body().HotSpot(4));
    EXPECT_EQ(c.LitParts(), std::vector<int>{4});
    c.Move(900, 300);
    EXPECT_EQ(c.LitParts(), std::vector<int>{9});

    // A click on the lit part says it again; so does a click on a written form.
    mark = c.Mark();
    Rect lit = c.body().Highlight(9).BoundsRect();
    c.Click(lit.x + 10, lit.y + 10);
    c.Wait(3000);
    c.ClickOn(c.body().Element<TDIBImage>("DIBI_Target"));
    c.Wait(3000);
    EXPECT_EQ(c.PlayedSince(mark), (std::vector<std::string>{"MFG9.aif", "FFG9.aif"}));

    // A click on an actor: that actor says the part.
    mark = c.Mark();
    c.Click(900, 600);
    c.Wait(3000);
    EXPECT_EQ(c.PlayedSince(mark), std::vector<std::string>{"FFG9.aif"});
}

TEST(BodyPractice, RecordingThenPlayback) {
    BodyCourse c;
    c.Open();
    EXPECT_FALSE(c.body().RecordButton().Enabled());
    c.ClickOn(c.body().HotSpot(1));
    c.Wait(3000);
    ASSERT_TRUE(c.body().RecordButton().Enabled());
    c.ClickOn(c.body().RecordButton());
    EXPECT_TRUE(c.body().Element<TDIBImage>("DIBI_Record").Visible());
    c.Wait(3000);
    EXPECT_FALSE(c.body().PlayButton().Enabled()); // not before the recording has finished
    c.Wait(5000);
    EXPECT_FALSE(c.body().Element<TDIBImage>("DIBI_Record").Visible());
    ASSERT_TRUE(c.body().PlayButton().Enabled());
    size_t mark = c.Mark();
    c.ClickOn(c.body().PlayButton());
    EXPECT_TRUE(c.body().Element<TDIBImage>("DIBI_Playback").Visible());
    c.Wait(8000);
    EXPECT_FALSE(c.body().Element<TDIBImage>("DIBI_Playback").Visible());
    ASSERT_FALSE(c.PlayedSince(mark).empty());
    const auto& log = c.platform.headlessAudioOut().log();
    EXPECT_NEAR(double(log.back().lengthMs), 7500.0, 100.0);
}

TEST(BodyPractice, SequenceFollowsItsOrderAndStopsWhenSwitchedOff) {
    BodyCourse c;
    c.Open();
    size_t mark = c.Mark();
    c.ClickOn(c.body().SeqButton());
    EXPECT_TRUE(c.body().sequence());
    EXPECT_EQ(c.body().currentItem(), 16);
    EXPECT_EQ(c.LitParts(), std::vector<int>{16});
    // Each sound, a second's pause, then the next part.
    std::vector<int> shown{c.body().currentItem()};
    for (int i = 0; i < 3; ++i) {
        int before = c.body().currentItem();
        for (int t = 0; t < 100 && c.body().currentItem() == before; ++t)
            c.Wait(100);
        shown.push_back(c.body().currentItem());
    }
    EXPECT_EQ(shown, (std::vector<int>{16, 1, 4, 12}));
    auto played = c.PlayedSince(mark);
    ASSERT_GE(played.size(), 4u);
    EXPECT_EQ(played[0], "MFG16.aif");
    EXPECT_EQ(played[1], "FFG1.aif");

    // Switched off while a word plays: the word stops and nothing follows.
    c.ClickOn(c.body().SeqButton());
    EXPECT_FALSE(c.body().sequence());
    int last = c.body().currentItem();
    size_t after = c.Mark();
    c.Wait(5000);
    EXPECT_EQ(c.body().currentItem(), last);
    EXPECT_EQ(c.Mark(), after);

    // After the last part of the order the sequence starts again from the first.
    c.ClickOn(c.body().HotSpot(7));
    c.Wait(3000);
    c.body().SetSequence(true);
    c.body().SequenceStep();
    EXPECT_EQ(c.body().currentItem(), 16);
}

TEST(BodyPractice, LeavingRecordsAVisitOnlyAfterAChoice) {
    {
        BodyCourse c;
        c.Open();
        c.ClickOn(c.body().QuitButton());
        c.Wait(3000);
        EXPECT_EQ(c.Screen(), "TForm_BodyMenu");
        EXPECT_EQ(c.main->records()->GetScore(4, 0), -1);
    }
    {
        BodyCourse c;
        c.Open();
        c.ClickOn(c.body().HotSpot(2));
        c.Wait(3000);
        // The network manager's stop acts as Quit.
        c.body().QuizStop();
        c.Wait(3000);
        EXPECT_EQ(c.Screen(), "TForm_BodyMenu");
        EXPECT_EQ(c.main->records()->GetScore(4, 0), 0);
    }
}

TEST(BodyPractice, ElementsAreFoundByTheirNumbers) {
    BodyCourse c;
    c.Open();
    for (int n = 1; n <= TForm_BodyPractice::kItems; ++n) {
        EXPECT_EQ(c.body().HotSpot(n).Name, "DIBButtonStrip" + std::to_string(n));
        EXPECT_EQ(c.body().HotSpot(n).Tag, n);
        EXPECT_EQ(c.body().Highlight(n).Name, "DIBImage" + std::to_string(n));
    }
    // Hot spots never overlap, so each can be pointed at.
    for (int a = 1; a <= TForm_BodyPractice::kItems; ++a)
        for (int b = a + 1; b <= TForm_BodyPractice::kItems; ++b)
            EXPECT_TRUE(c.body().HotSpot(a).BoundsRect().intersect(c.body().HotSpot(b).BoundsRect()).empty())
                << a << " " << b;
}

} // namespace
} // namespace parlora::test
