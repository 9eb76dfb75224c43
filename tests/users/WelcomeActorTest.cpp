#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "display/DIBLabel.h"
#include "shell/HelpDialog.h"
#include "tests/support/DemoCourse.h"
#include "users/FormActor.h"
#include "users/FormNewUser.h"

#include <gtest/gtest.h>

namespace parlora::test {
namespace {

struct UserCourse : ::testing::Test {
    DemoCourse course;
    void StartAs(const std::string& student,
                 const std::vector<std::pair<std::string, std::string>>& files = {}) {
        course.Prepare(files);
        course.Start({}, 2);
        TRecordsStore& r = *course.main->records();
        r.AddStudent(student);
        r.SetCurrentStudent(student);
        course.main->LoadStudent();
    }
    bool Played(const std::string& fragment) {
        for (const auto& e : course.platform.headlessAudioOut().log())
            if (e.label.find(fragment) != std::string::npos) return true;
        return false;
    }
    // Queues a click on the help dialog's close button, for a dialog the next input opens.
    void QueueCloseHelp() {
        Rect b = THelpDlg(course.main->folders().DataDir).bounds();
        course.Mouse(InputEvent::Kind::MouseDown, b.x + 215, b.y + 336);
        course.Mouse(InputEvent::Kind::MouseUp, b.x + 215, b.y + 336);
    }
};

TEST_F(UserCourse, WelcomeShowsTheNameSpeaksAndLeadsToTheMenu) {
    StartAs("Mo");
    course.Request(8);
    auto* s = course.ScreenAs<TForm_NewUser>();
    ASSERT_NE(s, nullptr) << course.Screen();
    EXPECT_EQ(s->nameLabel().Caption(), "Mo");
    EXPECT_EQ(s->nameLabel().Font().pixelHeight, 28);
    EXPECT_TRUE(s->nameLabel().Visible());
    EXPECT_TRUE(Played("help1"));
    auto& arrow = s->Element<TDIBImageStrip>("DIBIS_Arrow");
    int frame = arrow.ImageIndexX();
    course.Wait(500);
    EXPECT_NE(arrow.ImageIndexX(), frame);
    course.Shot().savePng("/tmp/users-welcome.png");

    course.Mouse(InputEvent::Kind::MouseMove, 40, 720);
    course.Mouse(InputEvent::Kind::MouseDown, 40, 720);
    course.Mouse(InputEvent::Kind::MouseUp, 40, 720);
    QueueCloseHelp();
    course.Idle();
    EXPECT_TRUE(Played("help2"));
    // The menu speaks its help once and lowers the flag again.
    EXPECT_TRUE(course.main->mainMenuHelpRequested || Played("help3"));
    EXPECT_EQ(course.Screen(), "TForm_Menu");
}

TEST_F(UserCourse, LongNameShrinksToFit) {
    StartAs("Wolfgang Amadeus Mozart-Wiesenthal");
    course.Request(8);
    auto* s = course.ScreenAs<TForm_NewUser>();
    ASSERT_NE(s, nullptr);
    const FontSpec& f = s->nameLabel().Font();
    EXPECT_LT(f.pixelHeight, 28);
    EXPECT_LE(TextRenderer::Measure(s->nameLabel().Caption(), f).width, 324);
    FontSpec bigger = f;
    ++bigger.pixelHeight;
    EXPECT_GT(TextRenderer::Measure(s->nameLabel().Caption(), bigger).width, 324);
}

TEST_F(UserCourse, WelcomeSetsTheConfiguredVolume) {
    StartAs("Mo", {{"sconfig.txt", "[Defaults]\nVolume=50\n"}});
    course.Request(8);
    ASSERT_NE(course.ScreenAs<TForm_NewUser>(), nullptr);
    EXPECT_EQ(course.platform.volume().get(), 50 * 65535 / 100);
}

TEST_F(UserCourse, ActorScreenSwapsTheMaleActor) {
    StartAs("Mo");
    course.Request(11);
    auto* s = course.ScreenAs<TForm_Actor>();
    ASSERT_NE(s, nullptr) << course.Screen();
    ASSERT_EQ(s->pairs(), 2);
    TLanguageCatalogue& cat = *course.main->catalogue();
    std::string before = cat.currentMaleActor();
    int current = s->selected(0);
    EXPECT_TRUE(IEquals(cat.maleActors()[size_t(current - 1)], before));
    // Two thumbnails in one row on each side.
    EXPECT_EQ(s->thumb(0, 1).BoundsRect(), (Rect{181, 475, 75, 90}));
    EXPECT_EQ(s->thumb(0, 2).BoundsRect(), (Rect{290, 475, 75, 90}));
    EXPECT_EQ(s->thumb(1, 1).BoundsRect(), (Rect{652, 475, 75, 90}));
    EXPECT_FALSE(s->thumb(0, 3).Visible());
    course.Wait(300);
    EXPECT_EQ(s->bigPicture(0, 1).BoundsRect(), (Rect{165, 101, 213, 255}));
    EXPECT_TRUE(s->bigPicture(0, 1).Visible());
    course.Shot().savePng("/tmp/users-actor.png");

    // The chosen thumbnail does nothing.
    Rect t = s->thumb(0, current).BoundsRect();
    course.Click(t.x + 30, t.y + 30);
    EXPECT_EQ(s->shown(0), 1);
    EXPECT_EQ(s->anims().Count(), 0);

    int other = 3 - current;
    t = s->thumb(0, other).BoundsRect();
    course.Click(t.x + 30, t.y + 30);
    EXPECT_EQ(s->selected(0), other);
    EXPECT_EQ(s->shown(0), 2);
    course.Wait(300);
    EXPECT_FALSE(s->bigPicture(0, 1).Visible());
    EXPECT_TRUE(s->bigPicture(0, 2).Visible());
    auto& hilite = s->Element<TDIBImage>("DIBI_LHiLite");
    EXPECT_EQ(hilite.Left(), t.x - 6);
    EXPECT_EQ(hilite.Top(), t.y - 7);

    course.Click(970, 720);
    EXPECT_TRUE(IEquals(cat.currentMaleActor(), cat.maleActors()[size_t(other - 1)]));
    EXPECT_FALSE(IEquals(cat.currentMaleActor(), before));
    EXPECT_EQ(course.main->records()->ReadStudentValue("Male", ""), cat.currentMaleActor());
    EXPECT_EQ(course.Screen(), "TForm_Menu");
}

TEST(ActorLayout, FivePairsMakeRowsOfThreeAndTwo) {
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(TForm_Actor::ThumbRect(0, 5, i), (Rect{125 + (i - 1) * 109, 419, 75, 90}));
        EXPECT_EQ(TForm_Actor::ThumbRect(1, 5, i), (Rect{596 + (i - 1) * 109, 419, 75, 90}));
    }
    EXPECT_EQ(TForm_Actor::ThumbRect(0, 5, 4), (Rect{181, 536, 75, 90}));
    EXPECT_EQ(TForm_Actor::ThumbRect(0, 5, 5), (Rect{290, 536, 75, 90}));
    EXPECT_EQ(TForm_Actor::ThumbRect(1, 8, 8), (Rect{543 + 3 * 109, 536, 75, 90}));
    EXPECT_EQ(TForm_Actor::ThumbRect(0, 4, 1), (Rect{72, 475, 75, 90}));
}

TEST_F(UserCourse, TwoQuickClicksLeaveOneBigPicture) {
    StartAs("Mo");
    course.Request(11);
    auto* s = course.ScreenAs<TForm_Actor>();
    ASSERT_NE(s, nullptr);
    course.Wait(300);
    int current = s->selected(1);
    Rect other = s->thumb(1, 3 - current).BoundsRect(), back = s->thumb(1, current).BoundsRect();
    course.Click(other.x + 10, other.y + 10);
    course.Wait(40);
    course.Click(back.x + 10, back.y + 10);
    course.Wait(300);
    int visible = int(s->bigPicture(1, 1).Visible()) + int(s->bigPicture(1, 2).Visible());
    EXPECT_EQ(visible, 1);
    EXPECT_EQ(s->selected(1), current);
}

TEST_F(UserCourse, VolumeKnobFollowsTheMixerAndSetsIt) {
    StartAs("Mo");
    course.Request(11);
    auto* s = course.ScreenAs<TForm_Actor>();
    ASSERT_NE(s, nullptr);
    TDIBImage& knob = s->slider();
    EXPECT_EQ(knob.Left(), course.platform.volume().get() * 150 / 65535 + 427);
    int pressX = knob.Left() + 5;
    course.Mouse(InputEvent::Kind::MouseMove, pressX, 710);
    course.Mouse(InputEvent::Kind::MouseDown, pressX, 710);
    course.Mouse(InputEvent::Kind::MouseMove, 502 + 5, 710);
    course.Idle();
    EXPECT_EQ(course.platform.volume().get(), 32767);
    EXPECT_EQ(knob.Left(), 501);
    // Beyond the track nothing changes.
    course.Mouse(InputEvent::Kind::MouseMove, 700, 710);
    course.Idle();
    EXPECT_EQ(course.platform.volume().get(), 32767);
    course.Mouse(InputEvent::Kind::MouseUp, 700, 710);
    course.Idle();
    EXPECT_TRUE(Played("bing"));
}

} // namespace
} // namespace parlora::test
