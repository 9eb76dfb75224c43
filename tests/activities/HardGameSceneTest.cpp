// The hard scene games (food, body, shopping) on the demo course: ten questions on ten scenes with
// right and wrong clicks, the score, the records and the weights, leaving early; and scene files
// with missing, empty or malformed lines. Each game is played with several seeds.
#include "activities/FormFoodHard.h"
#include "core/ProfileFile.h"
#include "display/DIBButtonStrip.h"
#include "tests/activities/HardGameTestDriver.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

namespace parlora {
namespace {

constexpr const char* kFoodScenes = "data/Interface/Food/Hard/game.ini";

struct SceneHardTest : ::testing::Test {
    test::HardGameDriver d;

    SceneHardTest() { d.prefix = "FD"; }
    TForm_FoodHard* scene() { return d.as<TForm_FoodHard>(); }
    void ClickButton(int position) { d.ClickCentre(scene()->Button(position)); }
    int OtherPosition() {
        for (int n = 1; n <= scene()->buttonsInUse(); ++n)
            if (scene()->ItemAtPosition(n) != scene()->targetItem()) return n;
        ADD_FAILURE() << "every button carries the asked item";
        return 1;
    }
    // The placed buttons show, the others do not, and all stand on the screen.
    void CheckButtons() {
        for (int n = 1; n <= TForm_FoodHard::kButtons; ++n) {
            TDIBButtonStrip& b = scene()->Button(n);
            EXPECT_EQ(b.Visible(), n <= scene()->buttonsInUse()) << "button " << n;
            if (!b.Visible()) continue;
            EXPECT_GT(b.Width(), 0);
            EXPECT_GE(b.Left(), 0);
            EXPECT_GE(b.Top(), 0);
            EXPECT_LE(b.Left() + b.Width(), 1024);
            EXPECT_LE(b.Top() + b.Height(), 768);
        }
    }
    int PlayQuestion(int wrong) {
        EXPECT_TRUE(d.WaitForQuestion()) << d.StateName();
        if (!scene()) return 0;
        CheckButtons();
        std::string speaker;
        int item = d.LastAskedItem(&speaker);
        EXPECT_EQ(item, scene()->targetItem());
        EXPECT_EQ(speaker, "F") << "she asks alone";
        EXPECT_EQ(scene()->ItemAtPosition(scene()->targetPosition()), item);
        for (int i = 0; i < wrong; ++i) {
            int other = OtherPosition();
            ClickButton(other);
            EXPECT_EQ(d.StateName(), "Wrong");
            EXPECT_FALSE(scene()->CrossImage().Visible()) << "no cross on a scene";
            EXPECT_TRUE(d.WaitForQuestion()) << d.StateName();
            EXPECT_TRUE(scene()->Button(other).Visible()) << "a wrong button stays";
            EXPECT_EQ(d.LastAskedItem(), item) << "asked again";
        }
        ClickButton(scene()->targetPosition());
        EXPECT_EQ(d.StateName(), "Right");
        return item;
    }

    void PlayGame(int code, int topic, const std::vector<int>& wrong, const std::string& menu) {
        d.Request(code);
        ASSERT_NE(scene(), nullptr) << d.course.Screen();
        EXPECT_FALSE(scene()->ActorStrip(TForm_Screen::kMale, akIdle).Visible()) << "only she is there";
        const std::vector<int> expected = test::ExpectedScores(wrong);
        std::vector<std::pair<int, bool>> moves;
        std::set<int> scenes;
        for (size_t q = 0; q < wrong.size(); ++q) {
            ASSERT_TRUE(d.WaitForQuestion()) << "question " << q + 1 << " " << d.StateName();
            EXPECT_EQ(scene()->question(), int(q) + 1);
            EXPECT_EQ(scene()->score(), q == 0 ? 0 : expected[q - 1]);
            EXPECT_TRUE(scenes.insert(scene()->scene()).second) << "scene " << scene()->scene() << " twice";
            // Nothing asked before is asked again while the scene has something new.
            std::set<int> before, onScene;
            for (size_t p = 1; p <= q; ++p)
                before.insert(scene()->askedItem(int(p)));
            for (int n = 1; n <= scene()->buttonsInUse(); ++n)
                onScene.insert(scene()->ItemAtPosition(n));
            bool somethingNew = false;
            for (int item : onScene)
                somethingNew = somethingNew || before.count(item) == 0;
            int item = PlayQuestion(wrong[q]);
            if (somethingNew) {
                EXPECT_EQ(before.count(item), 0u) << "item " << item << " asked again";
            }
            moves.push_back({item, wrong[q] == 0});
        }
        EXPECT_EQ(scenes.size(), 10u);
        ASSERT_TRUE(d.WaitForState("ShowScore"));
        EXPECT_EQ(scene()->buttonsInUse() > 0 && scene()->Button(1).Visible(), false);
        ASSERT_TRUE(d.WaitForEnd());
        EXPECT_EQ(d.course.Screen(), menu);
        const int final = expected.back();
        EXPECT_EQ(d.course.main->records()->GetScore(topic, 3), final);
        EXPECT_EQ(d.Game3Of(topic), std::to_string(final));
        EXPECT_EQ(d.RecordsValue("Score"), std::to_string(d.course.main->records()->Total()));
        EXPECT_EQ(d.RecordsValue(Format("Weights%d", topic)), d.ExpectedWeights(topic, moves));
        EXPECT_EQ(d.CountPlayed("bing.wav"), 50);
        EXPECT_EQ(d.CountPlayed(Format("FSC%d.", final)), 1) << "she says the score";
        EXPECT_EQ(d.CountPlayed("wdone"), final == 50 ? 1 : 0);
    }

    // Replaces the food scene file of this course by `text`.
    void WriteFoodScenes(const std::string& text) {
        test::RemoveCourseFile(d.course, kFoodScenes);
        std::ofstream(d.course.home() + "/" + kFoodScenes, std::ios::binary) << text;
    }
};

using SceneHardGame = test::SeededGame<SceneHardTest>;
INSTANTIATE_TEST_SUITE_P(Seeds, SceneHardGame, ::testing::ValuesIn(test::GameSeeds()), test::SeedName);

TEST_P(SceneHardGame, FoodTenScenesScoreRecordsAndWeights) {
    d.Open(0);
    PlayGame(24, 1, {1, 0, 0, 2, 0, 1, 0, 0, 0, 0}, "TForm_FoodMenu");
    EXPECT_EQ(d.Game3Of(1), "44");
}

TEST_P(SceneHardGame, BodyTenScenesScoreRecordsAndWeights) {
    d.Open(0);
    d.prefix = "FG";
    PlayGame(39, 4, {0, 0, 3, 0, 0, 0, 0, 1, 0, 0}, "TForm_BodyMenu");
}

TEST_P(SceneHardGame, ShoppingPerfectGameEndsWithPraise) {
    d.Open(0);
    d.prefix = "SH";
    PlayGame(54, 7, std::vector<int>(10, 0), "TForm_ShoppingMenu");
    EXPECT_EQ(d.Game3Of(7), "50");
}

TEST_P(SceneHardGame, QuitBeforeAnyAnswerThenAfterOne) {
    d.Open(24);
    ASSERT_TRUE(d.WaitForQuestion());
    d.Quit();
    EXPECT_EQ(d.game(), nullptr) << "leaves at once";
    EXPECT_EQ(d.course.Screen(), "TForm_FoodMenu");
    EXPECT_EQ(d.RecordsValue("Game3"), "");
    EXPECT_EQ(d.RecordsValue("Weights1"), "");

    d.Request(24);
    int item = PlayQuestion(1);
    ASSERT_TRUE(d.WaitForState("IncScore"));
    d.Quit();
    EXPECT_NE(d.game(), nullptr) << "the points are counted first";
    ASSERT_TRUE(d.WaitForState("ShowScore"));
    EXPECT_EQ(scene()->question(), 2);
    ASSERT_TRUE(d.WaitForEnd());
    EXPECT_EQ(d.Game3Of(1), "5");
    EXPECT_EQ(d.RecordsValue("Weights1"), d.ExpectedWeights(1, {{item, false}}));
}

TEST_P(SceneHardGame, SpeakerClicksRepeatOrDoNothing) {
    d.Open(24);
    ASSERT_TRUE(d.WaitForQuestion());
    const int said = d.CountPlayed("FD");
    scene()->SpeakerClicked(TForm_Screen::kMale);
    d.course.Idle();
    EXPECT_EQ(d.CountPlayed("FD"), said) << "he is not there";
    scene()->SpeakerClicked(TForm_Screen::kFemale);
    d.course.Idle();
    EXPECT_EQ(d.CountPlayed("FD"), said + 1) << "she says it again";
    EXPECT_EQ(d.LastAskedItem(), scene()->targetItem());
}

TEST_P(SceneHardGame, MalformedScenesAreLeftOutAndTheGameStillEnds) {
    d.Open(0, {"target=3", "source=1"}, [this] {
        WriteFoodScenes("[Screen1]\r\nButton1=100,200,5\r\nButton2=300,200,5\r\nButton3=500,200,6\r\n"
                        "Button4=\r\nButton5=700,200,7\r\n"
                        "[Screen2]\r\n"
                        "[Screen3]\r\nButton1=abc\r\nButton2=120,300\r\n"
                        "[Screen4]\r\nButton1=-80,300,9\r\nButton2=400,300,99\r\nButton3=600,300,0\r\n");
    });
    d.Request(24);
    ASSERT_NE(scene(), nullptr);
    bool secondOfTwoFives = false;
    for (int q = 1; q <= 10; ++q) {
        ASSERT_TRUE(d.WaitForQuestion()) << "question " << q << " " << d.StateName();
        CheckButtons();
        const int s = scene()->scene();
        ASSERT_TRUE(s == 1 || s == 4) << "scene " << s;
        if (s == 1) {
            EXPECT_EQ(scene()->buttonsInUse(), 3) << "up to the first empty line";
            EXPECT_EQ(scene()->Button(2).Left(), 300);
        } else {
            EXPECT_EQ(scene()->buttonsInUse(), 1) << "items 99 and 0 are left out";
            EXPECT_EQ(scene()->ItemAtPosition(1), 9);
            EXPECT_EQ(scene()->Button(1).Left(), 0);
        }
        if (scene()->targetItem() == 5 && !secondOfTwoFives) {
            // Either button carrying the asked thing is right.
            ClickButton(2);
            secondOfTwoFives = true;
        } else {
            ClickButton(scene()->targetPosition());
        }
        EXPECT_EQ(d.StateName(), "Right");
    }
    ASSERT_TRUE(d.WaitForEnd());
    EXPECT_EQ(d.Game3Of(1), "50");
}

TEST_P(SceneHardGame, MissingSceneFileIsReportedAndQuitLeaves) {
    d.Open(0, {"target=3", "source=1"}, [this] { test::RemoveCourseFile(d.course, kFoodScenes); });
    d.course.main->queueDialogAnswer("Ignore");
    testing::internal::CaptureStderr();
    d.Request(24);
    ASSERT_NE(scene(), nullptr);
    d.course.Wait(3000);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Bad WeightedChop!"), std::string::npos) << err;
    EXPECT_EQ(d.StateName(), "StartQuestion");
    d.Quit();
    EXPECT_EQ(d.game(), nullptr);
    EXPECT_EQ(d.course.Screen(), "TForm_FoodMenu");
    EXPECT_EQ(d.RecordsValue("Game3"), "");
}

TEST_P(SceneHardGame, EmptySceneFileIsReportedAndQuitLeaves) {
    d.Open(0, {"target=3", "source=1"}, [this] { WriteFoodScenes(""); });
    d.course.main->queueDialogAnswer("Ignore");
    testing::internal::CaptureStderr();
    d.Request(24);
    d.course.Wait(3000);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Bad WeightedChop!"), std::string::npos) << err;
    d.Quit();
    EXPECT_EQ(d.game(), nullptr);
    EXPECT_EQ(d.course.Screen(), "TForm_FoodMenu");
}

TEST(SceneFile, DemoButtonsCanAllBePressed) {
    // Nothing of the game screen may lie over a button: the speaker, the bottom strip, the score.
    const Rect covers[] = {{765, 424, 240, 284}, {0, 683, 1024, 85}, {912, 38, 66, 55}, {37, 45, 325, 35}};
    const std::pair<const char*, int> folders[] = {{"Food", 41}, {"body", 18}, {"Shopping", 49}};
    for (auto [folder, items] : folders) {
        std::string path =
            PathResolver::Resolve(test::DemoHome() + "/data/Interface/" + folder + "/Hard/game.ini");
        ProfileText file = ProfileFile::Load(path);
        for (int s = 1; s <= TForm_FoodHard::kScenes; ++s) {
            auto buttons = TForm_FoodHard::ReadScene(file, s, items);
            EXPECT_GE(buttons.size(), 2u) << folder << " scene " << s;
            for (const auto& b : buttons) {
                Rect r{b.left, b.top, 60, 60};
                EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.w <= 1024 && r.y + r.h <= 768) << folder << s;
                for (const Rect& c : covers)
                    EXPECT_FALSE(r.x < c.x + c.w && c.x < r.x + r.w && r.y < c.y + c.h && c.y < r.y + r.h)
                        << folder << " scene " << s << " button at " << b.left << "," << b.top;
            }
        }
    }
}

TEST(SceneFile, ReadsButtonsUpToTheFirstEmptyLineAndLeavesOutOtherItems) {
    ProfileText file("[Screen2]\r\nButton1= 10 , 20 , 3 \r\nButton2=30,40\r\nButton3=50,60,41\r\n"
                     "Button4=70,80,42\r\nButton5=\"90,100,7\"\r\nButton6=\r\nButton7=1,2,8\r\n");
    auto buttons = TForm_FoodHard::ReadScene(file, 2, 41);
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_EQ(buttons[0].left, 10);
    EXPECT_EQ(buttons[0].top, 20);
    EXPECT_EQ(buttons[0].item, 3);
    EXPECT_EQ(buttons[1].item, 41);
    EXPECT_EQ(buttons[2].item, 7) << "one pair of quotes is taken off";
    EXPECT_TRUE(TForm_FoodHard::ReadScene(file, 1, 41).empty());
}

} // namespace
} // namespace parlora
