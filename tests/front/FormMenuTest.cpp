#include "front/FormMenu.h"

#include "display/DIBButtonStrip.h"
#include "display/DIBLabel.h"
#include "tests/support/DemoCourse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace parlora::test {
namespace {

struct MenuCourse : DemoCourse {
    // Starts the course, makes `student` current with the given scores (topic, activity, score)
    // and opens the main menu.
    void OpenMenu(const std::vector<std::pair<std::string, std::string>>& files = {},
                  std::vector<std::string> args = {}, const std::string& student = "Anna",
                  const std::vector<std::array<int, 3>>& scores = {}) {
        Prepare(files);
        Start(args, 1);
        TRecordsStore& records = *main->records();
        if (main->settings().recordsMode != RecordsMode::Off) {
            records.AddStudent(student);
            records.SaveStudentList();
            records.SetCurrentStudent(student);
            main->LoadStudent();
        }
        for (const auto& [topic, activity, score] : scores)
            records.StoreScore(topic, activity, score);
        Request(9);
        ASSERT_EQ(Screen(), "TForm_Menu");
    }
    TForm_Menu& menu() { return *ScreenAs<TForm_Menu>(); }
    template <class T> T& E(const std::string& name) { return menu().Element<T>(name); }
    void ClickElement(const std::string& name) {
        Rect r = E<TCustomDIBControl>(name).BoundsRect();
        Click(r.x + r.w / 2, r.y + r.h / 2);
    }
};

TEST(MainMenu, LightsShowExactlyTheActivitiesDone) {
    MenuCourse c;
    c.OpenMenu({}, {}, "Anna", {{0, 0, 0}, {1, 2, 35}, {8, 4, 1}, {2, 3, 0}});
    for (int n = 1; n <= TForm_Menu::kLights; ++n) {
        bool lit = n == 1 || n == 1 * 5 + 2 + 1 || n == 8 * 5 + 4 + 1 || n == 2 * 5 + 3 + 1;
        EXPECT_EQ(c.menu().Light(n).Visible(), lit) << "light " << n;
        EXPECT_EQ(c.menu().Light(n).ImageIndexX(), (n - 1) % 5) << "light " << n;
    }
    EXPECT_EQ(c.E<TDIBLabel>("Label_Name").Caption(), "Anna");
    EXPECT_EQ(c.E<TDIBLabel>("Label_Score").Caption(), std::to_string(c.main->records()->NetworkScore()));
}

TEST(MainMenu, LightRingKeepsEachTopicsLightsTogetherAndApart) {
    std::set<std::pair<int, int>> seen;
    for (int n = 1; n <= TForm_Menu::kLights; ++n) {
        TForm_Menu::Spot p = TForm_Menu::LightCentre(n);
        EXPECT_TRUE(seen.insert({p.x, p.y}).second) << "light " << n << " shares a place";
        double r = std::hypot(p.x - 512.0, p.y - 340.0);
        EXPECT_NEAR(r, 265.0, 1.0);
        if (n % 5 != 0) {
            TForm_Menu::Spot q = TForm_Menu::LightCentre(n + 1);
            // Neighbours within a group do not overlap but stay close.
            double d = std::hypot(q.x - p.x, q.y - p.y);
            EXPECT_GE(d, 13.0);
            EXPECT_LE(d, 35.0);
        }
    }
}

TEST(MainMenu, QuizModeDisablesEverythingAndWaits) {
    MenuCourse c;
    c.OpenMenu({}, {"quiz"});
    for (int n = 1; n <= TForm_Menu::kSections; ++n)
        EXPECT_FALSE(c.menu().Section(n).Enabled()) << n;
    for (const char* b :
         {"DIBBS_WWW", "DIBBS_Language", "DIBBS_Actor", "DIBBS_Award", "DIBBS_Help", "DIBBS_Exit"})
        EXPECT_FALSE(c.E<TDIBButtonStrip>(b).Enabled()) << b;
    auto& centre = c.E<TDIBLabel>("Label_Centre");
    EXPECT_TRUE(centre.Visible());
    EXPECT_EQ(centre.Caption(), "Please wait for the Quiz!");
    c.Click(455 + 60, 132 + 60);
    c.ClickElement("DIBBS_Exit");
    EXPECT_EQ(c.Screen(), "TForm_Menu");
    // The classroom manager's score message still reaches the score label.
    c.menu().QuizScore(37);
    EXPECT_EQ(c.E<TDIBLabel>("Label_Score").Caption(), "37");
}

TEST(MainMenu, StreamFlagsOfferOnlyListedSectionsWhateverTheConfiguration) {
    MenuCourse c;
    c.OpenMenu(
        {{"stream.ini", "[Stream]\r\nFlags= s1 ,S10\r\n"}, {"sconfig.txt", "[Defaults]\nChangeActor=1\n"}});
    for (int n = 1; n <= TForm_Menu::kSections; ++n) {
        bool on = n == 1 || n == 10;
        EXPECT_EQ(c.menu().Section(n).Enabled(), on) << n;
        EXPECT_EQ(c.menu().Section(n).Opacity(), on ? 255 : 64) << n;
    }
    EXPECT_FALSE(c.E<TDIBButtonStrip>("DIBBS_Actor").Enabled());
    EXPECT_FALSE(c.E<TDIBButtonStrip>("DIBBS_Award").Enabled());

    // More content arrives: the menu reads the flags again.
    WriteFile(c.home() + "/stream.ini", "[Stream]\nFlags=S1,S2,S10,Actor,award\n");
    c.menu().ContentChanged();
    EXPECT_TRUE(c.menu().Section(2).Enabled());
    EXPECT_EQ(c.menu().Section(2).Opacity(), 255);
    EXPECT_TRUE(c.E<TDIBButtonStrip>("DIBBS_Actor").Enabled());
    EXPECT_TRUE(c.E<TDIBButtonStrip>("DIBBS_Award").Enabled());
}

TEST(MainMenu, LongNameShrinksUntilItFits) {
    MenuCourse c;
    std::string name = "Maximiliana Wolkenstein-Hohenberg";
    c.OpenMenu({}, {}, name);
    auto& label = c.E<TDIBLabel>("Label_Name");
    EXPECT_EQ(label.Caption(), name);
    EXPECT_LT(label.Font().pixelHeight, 28);
    EXPECT_LE(TextRenderer::Measure(name, label.Font()).width, 183);
    FontSpec bigger = label.Font();
    ++bigger.pixelHeight;
    EXPECT_GT(TextRenderer::Measure(name, bigger).width, 183);
    EXPECT_TRUE(label.Font().bold);
}

TEST(MainMenu, RecordsOffHidesTheNameAndLiftsTheScore) {
    MenuCourse c;
    c.OpenMenu({{"sconfig.txt", "[Defaults]\nRecords=0\n"}});
    EXPECT_FALSE(c.E<TDIBLabel>("Label_Name").Visible());
    EXPECT_EQ(c.E<TDIBLabel>("Label_Score").Top(), 152 - 20);
}

TEST(MainMenu, SectionsFlipAfterFiveQuietSecondsAndAMoveStopsThem) {
    MenuCourse c;
    c.OpenMenu();
    TForm_Menu& m = c.menu();
    c.Wait(10);
    EXPECT_TRUE(m.IdleAnimationRan());
    c.Move(20, 20); // the background
    EXPECT_FALSE(m.IdleAnimationRan());
    for (int n = 1; n <= 10; ++n)
        EXPECT_EQ(m.Section(n).ImageIndexX(), 0);
    c.Wait(4900);
    EXPECT_FALSE(m.IdleAnimationRan());
    EXPECT_EQ(m.animations().Count(), 0);
    c.Wait(200);
    EXPECT_TRUE(m.IdleAnimationRan());
    c.Wait(250);
    EXPECT_GT(m.Section(1).ImageIndexX(), 0);
    c.Wait(300);
    EXPECT_EQ(m.Section(1).ImageIndexX(), 8);
    c.Wait(1000); // flips back
    c.Wait(600);
    EXPECT_EQ(m.Section(1).ImageIndexX(), 0);
    // A move over the section labels stops the flipping as well.
    c.Wait(7000);
    c.Move(512, 360);
    EXPECT_EQ(m.animations().Count(), 0);
    for (int n = 1; n <= 10; ++n)
        EXPECT_EQ(m.Section(n).ImageIndexX(), 0);
}

TEST(MainMenu, SectionHoverHighlightsAndClickOpensTheTopicMenu) {
    MenuCourse c;
    c.OpenMenu();
    c.Move(455 + 60, 132 + 60);
    EXPECT_EQ(c.menu().Section(1).ImageIndexX(), 9);
    c.Move(20, 20);
    EXPECT_EQ(c.menu().Section(1).ImageIndexX(), 0);
    c.Click(455 + 60, 132 + 60);
    EXPECT_EQ(c.Screen(), "TForm_WordsMenu");
    c.Request(9);
    c.Click(799 + 60, 525 + 60);
    EXPECT_EQ(c.Screen(), "TForm_QuizMenu");
    EXPECT_EQ(TForm_Menu::SectionCode(2), 20);
    EXPECT_EQ(TForm_Menu::SectionCode(9), 55);
}

TEST(MainMenu, ButtonsLeadToTheirScreens) {
    MenuCourse c;
    c.OpenMenu({{"sconfig.txt", "[Defaults]\nWeb=www.example.org/[[trg]]\n"}});
    c.ClickElement("DIBBS_WWW");
    ASSERT_EQ(c.platform.headlessShell().openedUrls().size(), 1u);
    c.ClickElement("DIBBS_Language");
    EXPECT_EQ(c.Screen(), "TForm_Language");
    c.Request(9);
    c.ClickElement("DIBBS_Award");
    EXPECT_EQ(c.Screen(), "TForm_Award");
    c.Request(9);
    c.ClickElement("DIBBS_Exit");
    EXPECT_EQ(c.Screen().rfind("TForm_Start", 0), 0u) << c.Screen();
}

TEST(MainMenu, WebButtonNeedsALink) {
    MenuCourse c;
    c.OpenMenu({{"sconfig.txt", "[Defaults]\nWeb=\n"}});
    EXPECT_FALSE(c.E<TDIBButtonStrip>("DIBBS_WWW").Enabled());
}

TEST(MainMenu, SliderSetsTheVolumeAndPlaysASample) {
    MenuCourse c;
    c.OpenMenu({{"sconfig.txt", "[Defaults]\nDebug=1\n"}});
    TDIBImage& knob = c.E<TDIBImage>("DIBI_Slider");
    ASSERT_TRUE(knob.Visible());
    EXPECT_EQ(knob.Left(), TForm_Menu::SliderLeft(c.platform.volume().get()));
    int pressX = knob.Left() + 4, y = knob.Top() + 10;
    c.Mouse(InputEvent::Kind::MouseMove, pressX, y);
    c.Mouse(InputEvent::Kind::MouseDown, pressX, y);
    c.Mouse(InputEvent::Kind::MouseMove, 507 + 4, y); // the knob's left edge to the middle of its travel
    c.Idle();
    EXPECT_EQ(c.platform.volume().get(), 32767);
    EXPECT_EQ(knob.Left(), 506); // the knob shows the volume, rounded down
    size_t played = c.platform.headlessAudioOut().log().size();
    c.Mouse(InputEvent::Kind::MouseUp, 507 + 4, y);
    c.Idle();
    ASSERT_EQ(c.platform.headlessAudioOut().log().size(), played + 1);
    EXPECT_NE(ToLowerAscii(c.platform.headlessAudioOut().log().back().label).find("bing.wav"),
              std::string::npos);

    // A quick drag past either end still reaches the end.
    c.Mouse(InputEvent::Kind::MouseDown, 507 + 4, y);
    c.Mouse(InputEvent::Kind::MouseMove, 700, y);
    c.Idle();
    EXPECT_EQ(c.platform.volume().get(), 65535);
    EXPECT_EQ(knob.Left(), 582);
    c.Mouse(InputEvent::Kind::MouseMove, 100, y);
    c.Mouse(InputEvent::Kind::MouseUp, 100, y);
    c.Idle();
    EXPECT_EQ(c.platform.volume().get(), 0);
    EXPECT_EQ(knob.Left(), 432);
}

TEST(MainMenu, ScriptedDragTakesTheSliderThroughEveryStepAndReleasesAtTheEnd) {
    MenuCourse c;
    c.OpenMenu();
    TDIBImage& knob = c.E<TDIBImage>("DIBI_Slider");
    const uint16_t before = c.platform.volume().get();
    int pressX = knob.Left() + 4, y = knob.Top() + 10;
    // What a timer sees of the volume while the drag goes on.
    std::vector<uint16_t> seen;
    c.main->dispatcher().setTimer(10, true, [&] { seen.push_back(c.platform.volume().get()); });
    size_t played = c.platform.headlessAudioOut().log().size();
    uint64_t start = c.platform.fakeClock().nowMs();
    c.platform.setScriptLines({Format("drag %d %d 300 %d 200", pressX, y, y)});
    c.main->dispatcher().run(); // until the script has ended
    EXPECT_FALSE(c.platform.scriptFailed());
    EXPECT_EQ(c.platform.fakeClock().nowMs() - start, 200u);
    EXPECT_EQ(c.platform.volume().get(), 0);
    EXPECT_EQ(knob.Left(), TForm_Menu::kSliderMin);
    ASSERT_GE(seen.size(), 19u);
    std::set<uint16_t> between;
    for (size_t i = 0; i < seen.size(); ++i) {
        if (i > 0) EXPECT_LE(seen[i], seen[i - 1]) << "the knob only goes down";
        if (seen[i] > 0 && seen[i] < before) between.insert(seen[i]);
    }
    EXPECT_GE(between.size(), 4u) << "the volume passes through the steps of the way";
    // One sample when the button is let go, at the end of the drag.
    const auto& log = c.platform.headlessAudioOut().log();
    ASSERT_EQ(log.size(), played + 1);
    EXPECT_NE(ToLowerAscii(log.back().label).find("bing.wav"), std::string::npos);
    EXPECT_EQ(log.back().startMs, start + 200);
}

TEST(MainMenu, SliderFollowsVolumeChangesFromElsewhere) {
    MenuCourse c;
    c.OpenMenu();
    c.platform.volume().set(65535);
    EXPECT_EQ(c.E<TDIBImage>("DIBI_Slider").Left(), 582);
    EXPECT_EQ(TForm_Menu::SliderVolume(432), 0);
    EXPECT_EQ(TForm_Menu::SliderVolume(502), 30583);
}

TEST(MainMenu, Looks) {
    MenuCourse c;
    c.OpenMenu({}, {}, "Anna", {{0, 0, 0}, {0, 1, 0}, {0, 2, 40}, {3, 3, 20}});
    const Surface& shot = c.Shot();
    if (const char* dir = std::getenv("PARLORA_SHOTS")) shot.savePng(std::string(dir) + "/menus-main.png");
    // The name is drawn in red somewhere in its label.
    bool red = false;
    for (int y = 124; y < 151 && !red; ++y)
        for (int x = 88; x < 271 && !red; ++x) {
            uint32_t p = shot.pixel(x, y);
            red = ((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) < 60 && (p & 0xFF) < 60;
        }
    EXPECT_TRUE(red);
}

} // namespace
} // namespace parlora::test
