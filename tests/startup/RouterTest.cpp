#include "core/Errors.h"
#include "platform/headless/HeadlessPlatform.h"
#include "shell/FormMain.h"
#include "shell/ScreenFactory.h"
#include "shell/ScreenRoute.h"
#include "tests/support/TestFiles.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <set>

using namespace parlora;
using parlora::test::TempDir;
using parlora::test::WriteFile;

namespace {

TEST(ScreenRoutes, EveryCodeOfTheMapHasItsClassAndTheRestNone) {
    const std::map<int, std::string> expected = {{1, "TForm_Start"},
                                                 {3, "TForm_Language"},
                                                 {4, "TForm_Records"},
                                                 {5, "TForm_Language"},
                                                 {6, "TForm_TypeName"},
                                                 {8, "TForm_Menu"},
                                                 {9, "TForm_Menu"},
                                                 {10, "TForm_Language"},
                                                 {11, "TForm_Actor"},
                                                 {12, "TForm_Award"},
                                                 {14, "TForm_WordsMenu"},
                                                 {15, "TForm_WordsPractice"},
                                                 {16, "TForm_Speak"},
                                                 {17, "TForm_WordsEasy"},
                                                 {18, "TForm_WordsHard"},
                                                 {19, "TForm_WordsHard"},
                                                 {20, "TForm_FoodMenu"},
                                                 {21, "TForm_FoodPractice"},
                                                 {22, "TForm_Speak"},
                                                 {23, "TForm_FoodEasy"},
                                                 {24, "TForm_FoodHard"},
                                                 {25, "TForm_ColoursMenu"},
                                                 {26, "TForm_ColoursPractice"},
                                                 {27, "TForm_Speak"},
                                                 {28, "TForm_ColoursEasy"},
                                                 {29, "TForm_ColoursHard"},
                                                 {30, "TForm_PhrasesMenu"},
                                                 {31, "TForm_WordsPractice"},
                                                 {32, "TForm_Speak"},
                                                 {33, "TForm_WordsEasy"},
                                                 {34, "TForm_WordsHard"},
                                                 {35, "TForm_BodyMenu"},
                                                 {36, "TForm_BodyPractice"},
                                                 {37, "TForm_Speak"},
                                                 {38, "TForm_BodyEasy"},
                                                 {39, "TForm_FoodHard"},
                                                 {40, "TForm_NumbersMenu"},
                                                 {41, "TForm_NumbersPractice"},
                                                 {42, "TForm_Speak"},
                                                 {43, "TForm_NumbersEasy"},
                                                 {44, "TForm_NumbersHard"},
                                                 {45, "TForm_TimeMenu"},
                                                 {46, "TForm_TimePractice"},
                                                 {47, "TForm_Speak"},
                                                 {48, "TForm_TimeEasy"},
                                                 {49, "TForm_TimeHard"},
                                                 {50, "TForm_ShoppingMenu"},
                                                 {51, "TForm_ShoppingPractice"},
                                                 {52, "TForm_Speak"},
                                                 {53, "TForm_ShoppingEasy"},
                                                 {54, "TForm_FoodHard"},
                                                 {55, "TForm_CountriesMenu"},
                                                 {56, "TForm_CountriesPractice"},
                                                 {57, "TForm_Speak"},
                                                 {58, "TForm_CountriesEasy"},
                                                 {59, "TForm_CountriesHard"},
                                                 {60, "TForm_QuizMenu"},
                                                 {61, "TForm_QuizEasy"},
                                                 {62, "TForm_QuizHard"},
                                                 {63, "TForm_QuizHard"},
                                                 {64, "TForm_CustomEnd"}};
    TRouteContext c;
    for (int code = 1; code <= 255; ++code) {
        if (code == 2) continue; // the name choice depends on the records
        auto route = RouteForCode(code, c);
        auto it = expected.find(code);
        if (it == expected.end()) {
            EXPECT_FALSE(route.has_value()) << code;
        } else {
            ASSERT_TRUE(route.has_value()) << code;
            EXPECT_EQ(route->className, it->second) << code;
        }
    }
    // Activity codes follow 210 + 5 x topic + activity.
    EXPECT_EQ(RouteForCode(43, c)->report, 237);
    EXPECT_EQ(RouteForCode(16, c)->report, 211);
    EXPECT_EQ(RouteForCode(12, c)->report, 201);
    EXPECT_EQ(RouteForCode(19, c)->report, 290);
}

TEST(ScreenRoutes, ParametersFollowFiltersTargetAndQuizSizes) {
    TRouteContext c;
    EXPECT_EQ(RouteForCode(17, c)->params.excluded, "0405060711");
    EXPECT_EQ(RouteForCode(33, c)->params.excluded, "");
    c.firstWordsFilter = true;
    c.targetNumber = 20;
    c.iPodFolder = true;
    c.quizCategory = 4;
    c.hardQuizStart = 3;
    c.hardQuizSwitch = 9;
    EXPECT_EQ(RouteForCode(17, c)->params.excluded, "04050607111617");
    EXPECT_EQ(RouteForCode(18, c)->params.excluded, "04050607111617");
    EXPECT_EQ(RouteForCode(19, c)->params.excluded, "0405060711");
    EXPECT_TRUE(RouteForCode(19, c)->params.selfPlay);
    EXPECT_EQ(RouteForCode(15, c)->params.itemCount, 42);
    EXPECT_EQ(RouteForCode(33, c)->params.excluded, "0210");
    EXPECT_EQ(RouteForCode(1, c)->className, "TForm_StartNew");
    auto hard = RouteForCode(62, c);
    EXPECT_EQ(hard->report, 267);
    EXPECT_EQ(hard->params.quizStart, 3);
    EXPECT_EQ(hard->params.quizSwitch, 9);
    EXPECT_EQ(RouteForCode(63, c)->params.quizStart, 7);
    EXPECT_EQ(RouteForCode(61, c)->report, 266);
    auto food = RouteForCode(24, c)->params;
    EXPECT_EQ(food.topic, 1);
    EXPECT_EQ(food.folder, "Food\\Hard");
    EXPECT_EQ(food.returnCode, 20);
    EXPECT_EQ(food.help, 22);
    EXPECT_EQ(food.prefix, "FD");
}

TEST(ScreenRoutes, QuizModeAndNetworkStarts) {
    for (int code : {14, 20, 25, 30, 35, 40, 45, 50, 55, 60})
        EXPECT_EQ(QuizModeCode(code, true), 9);
    EXPECT_EQ(QuizModeCode(21, true), 21);
    EXPECT_EQ(QuizModeCode(20, false), 20);
    int category = -1;
    EXPECT_EQ(ScreenForNetworkActivity(262, category), 61);
    EXPECT_EQ(category, 2);
    EXPECT_EQ(ScreenForNetworkActivity(277, category), 62);
    EXPECT_EQ(category, 0);
    EXPECT_EQ(ScreenForNetworkActivity(286, category), 63);
    EXPECT_EQ(category, 0);
    EXPECT_EQ(ScreenForNetworkActivity(280, category), 63);
    EXPECT_EQ(category, 3);
    EXPECT_EQ(ScreenForNetworkActivity(210, category), 15);
    EXPECT_EQ(ScreenForNetworkActivity(253, category), 59);
    EXPECT_EQ(ScreenForNetworkActivity(290, category), 19);
    EXPECT_EQ(ScreenForNetworkActivity(214, category), 0); // printing is no screen
}

struct RouterFixture : ::testing::Test {
    TempDir tmp;
    HeadlessPlatform platform;
    std::unique_ptr<TForm_Main> main;
    void Start(const std::string& config, std::vector<std::string> args = {}) {
        test::UsePrivateFolders(tmp.path());
        test::MakeMinimalCourse(tmp / "course", true);
        WriteFile(tmp / "course/sconfig.txt", config);
        main = std::make_unique<TForm_Main>(platform, args);
        main->folders().ProgramDir = tmp / "course";
        ASSERT_TRUE(main->InitialiseCourse());
        platform.display().openWindow("test", WindowMode::MaximisedCentred);
    }
    void Request(int code, int kind = 0) {
        main->RequestScreen(code, kind);
        main->dispatcher().runUntilIdle();
    }
    void Click() {
        InputEvent e;
        e.kind = InputEvent::Kind::MouseDown;
        main->dispatcher().queueInput(e);
        e.kind = InputEvent::Kind::MouseUp;
        main->dispatcher().queueInput(e);
    }
};

TEST_F(RouterFixture, UnknownCodeKeepsTheOldScreenCurrentAndWorking) {
    Start("");
    Request(9);
    ASSERT_EQ(main->currentScreenClass(), "TForm_Menu");
    testing::internal::CaptureStderr();
    Request(7);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Unknown state change 7"), std::string::npos);
    EXPECT_EQ(main->currentScreenClass(), "TForm_Menu");
    Click(); // the main menu's placeholder leaves for the start screen
    main->dispatcher().runUntilIdle();
    EXPECT_EQ(main->currentScreenClass(), "TForm_Start");
}

TEST_F(RouterFixture, TheOldScreenGoesBeforeTheNextIsMadeAndOpensAgainWhenTheNextCannotBe) {
    Start("");
    Request(9);
    ASSERT_EQ(main->currentScreenClass(), "TForm_Menu");
    // A screen that cannot be made (a code fault, or content it cannot do without).
    bool oldGoneFirst = false;
    TScreenFactory::Instance().Register("TForm_TimeMenu", [&](TForm_Main& m, const TScreenParams&) {
        oldGoneFirst = m.currentScreen() == nullptr;
        throw DIBException("Can't find DIBBS_Clock");
        return std::unique_ptr<TScreen>();
    });
    main->queueDialogAnswer("Ignore");
    testing::internal::CaptureStderr();
    Request(45);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Can't find DIBBS_Clock"), std::string::npos);
    EXPECT_TRUE(oldGoneFirst) << "the menu was still open while the next screen was made";
    // The learner is where they were, on a menu that works.
    EXPECT_FALSE(main->dispatcher().quitting());
    EXPECT_EQ(main->currentScreenClass(), "TForm_Menu");
    Click();
    main->dispatcher().runUntilIdle();
    EXPECT_EQ(main->currentScreenClass(), "TForm_Start");
}

TEST_F(RouterFixture, CodeZeroEndsTheProgramWithoutANewScreen) {
    Start("");
    Request(9);
    Request(0);
    EXPECT_TRUE(main->dispatcher().quitting());
    EXPECT_EQ(main->currentScreenClass(), "TForm_Menu");
}

TEST_F(RouterFixture, ClicksDuringARadialTransitionNeverReachTheNewScreen) {
    Start("");
    uint64_t before = platform.clock().nowMs();
    main->RequestScreen(20, 6);
    Click(); // queued behind the request: made while the transition runs
    main->dispatcher().runUntilIdle();
    EXPECT_EQ(main->currentScreenClass(), "TForm_FoodMenu");
    EXPECT_EQ(platform.clock().nowMs() - before, 2000u);
    EXPECT_GT(platform.headlessDisplay().presents(), 10);
}

TEST_F(RouterFixture, FastShowsEveryTransitionAtOnce) {
    Start("[Defaults]\nFast=1\n");
    uint64_t before = platform.clock().nowMs();
    Request(20, 6);
    EXPECT_EQ(platform.clock().nowMs(), before);
}

TEST_F(RouterFixture, QuizModeShowsTheMainMenuForTopicMenus) {
    Start("", {"quiz"});
    Request(20);
    EXPECT_EQ(main->currentScreenClass(), "TForm_Menu");
    Request(21);
    EXPECT_EQ(main->currentScreenClass(), "TForm_FoodPractice");
}

TEST_F(RouterFixture, NameChoiceFollowsTheRecords) {
    Start("");
    Request(2);
    EXPECT_EQ(main->currentScreenClass(), "TForm_TypeName");
    ASSERT_TRUE(main->records()->AddStudent("Anna"));
    Request(2);
    EXPECT_EQ(main->currentScreenClass(), "TForm_ChooseName");
}

TEST_F(RouterFixture, RecordsOffUsesTheSingleStudentAndGoesToTheMenu) {
    Start("[Defaults]\nRecords=0\n");
    Request(2);
    EXPECT_EQ(main->currentScreenClass(), "TForm_Menu");
    EXPECT_EQ(main->records()->CurrentStudent(), "Student");
}

TEST_F(RouterFixture, NetworkQuizSizesAreKeptInsideTheCardPlaces) {
    Start("");
    main->SetHardQuizSizes(40, 0);
    EXPECT_EQ(main->hardQuizSizes(), std::make_pair(11, 1));
    main->SetHardQuizSizes(3, 8);
    EXPECT_EQ(main->hardQuizSizes(), std::make_pair(3, 8));
}

TEST_F(RouterFixture, NetworkStartOnlyFromTheMainMenu) {
    Start("");
    main->StartActivityFromNetwork(262, 77);
    main->dispatcher().runUntilIdle();
    EXPECT_EQ(main->currentScreenClass(), "");
    Request(9);
    main->StartActivityFromNetwork(262, 77);
    main->dispatcher().runUntilIdle();
    EXPECT_EQ(main->currentScreenClass(), "TForm_QuizEasy");
    EXPECT_EQ(main->quizCategory(), 2);
    EXPECT_EQ(main->networkStartValue(), 77);
}

} // namespace
