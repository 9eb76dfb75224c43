// The memory quiz's rules that do not need a whole game: the category pools, the same cards for a
// whole class in quiz mode, the speed round's clock, and the way to every quiz.
#include "tests/quiz/QuizTestDriver.h"

#include "activities/FormQuizEasy.h"
#include "shell/ScreenRoute.h"

#include <set>

namespace parlora::test {
namespace {

std::vector<int> Groups(const std::string& pool) {
    std::vector<int> out;
    for (size_t i = 0; i + 3 <= pool.size(); i += 3)
        out.push_back(std::stoi(pool.substr(i, 3)));
    return out;
}

bool Has(const std::string& pool, int item) {
    for (int g : Groups(pool))
        if (g == item) return true;
    return false;
}

TEST(QuizPools, SingleCategoriesLeaveOutOnlyTheirOwnExclusions) {
    const std::string words = TForm_Quiz::CategoryPool(1, false, false, 3);
    for (int v : {4, 5, 6, 7, 11})
        EXPECT_FALSE(Has(words, 100 + v)) << v;
    EXPECT_TRUE(Has(words, 116));
    EXPECT_EQ(Groups(words).size(), 39u);
    const std::string filtered = TForm_Quiz::CategoryPool(1, true, false, 3);
    EXPECT_FALSE(Has(filtered, 116));
    EXPECT_FALSE(Has(filtered, 117));
    EXPECT_FALSE(Has(TForm_Quiz::CategoryPool(8, false, true, 3), 812));
    EXPECT_TRUE(Has(TForm_Quiz::CategoryPool(8, false, false, 3), 812));
    // Target 32's exclusions belong to the mixed quiz only.
    const std::string colours = TForm_Quiz::CategoryPool(3, false, false, 32);
    EXPECT_TRUE(Has(colours, 302));
    EXPECT_TRUE(Has(colours, 312));
    for (int c = 1; c < TForm_Quiz::kCategories; ++c)
        EXPECT_GE(Groups(TForm_Quiz::CategoryPool(c, true, true, 32)).size(), 12u) << c;
}

TEST(QuizPools, TheMixedCategoryJoinsAllWithTheTargetsExclusions) {
    const std::string all32 = TForm_Quiz::CategoryPool(0, false, false, 32);
    for (int item : {302, 303, 312, 204, 208})
        EXPECT_FALSE(Has(all32, item)) << item;
    EXPECT_TRUE(Has(all32, 301));
    const std::string all33 = TForm_Quiz::CategoryPool(0, false, false, 33);
    EXPECT_FALSE(Has(all33, 403));
    EXPECT_FALSE(Has(all33, 406));
    const std::string all20 = TForm_Quiz::CategoryPool(0, false, false, 20);
    EXPECT_FALSE(Has(all20, 405));
    EXPECT_FALSE(Has(all20, 406));
    size_t sum = 0;
    for (int c = 1; c < TForm_Quiz::kCategories; ++c)
        sum += Groups(TForm_Quiz::CategoryPool(c, false, false, 3)).size();
    EXPECT_EQ(Groups(TForm_Quiz::CategoryPool(0, false, false, 3)).size(), sum);
}

// The cards dealt and the order they were asked in, over the first rounds of an easy quiz.
struct Deal {
    std::vector<int> dealt, asked;
};

Deal PlayRounds(QuizDriver& d, int rounds, int thinkMs) {
    Deal deal;
    while (d.WaitForAnswer()) {
        TForm_Quiz* q = d.quiz();
        if (q->count() > rounds + 1) break;
        d.course.Wait(uint64_t(thinkMs)); // the dealer's idle play runs meanwhile
        const int item = d.LastNamedItem();
        deal.asked.push_back(item);
        d.ClickPlace(q->PlaceOf(item));
    }
    if (d.quiz()) deal.dealt = d.quiz()->dealt();
    return deal;
}

Deal QuizModeRun(uint64_t clock, int startValue, int thinkMs) {
    QuizDriver d;
    d.UseSeed(clock);
    d.course.platform.fakeClock().setUtcMsOfDay(uint32_t(clock % 86400000));
    d.Open({"quiz", "target=3", "source=1"});
    EXPECT_EQ(d.course.Screen(), "TForm_Menu");
    d.course.main->StartActivityFromNetwork(EasyQuizActivity(2), startValue);
    d.course.Idle();
    EXPECT_EQ(d.course.Screen(), "TForm_QuizEasy");
    if (!d.quiz()) return {};
    EXPECT_EQ(d.quiz()->category(), 2);
    Deal deal = PlayRounds(d, 3, thinkMs);
    EXPECT_FALSE(d.quiz()->container().FindComponent("DIBButton_Quit")->Visible())
        << "in quiz mode only the manager ends the quiz";
    d.course.main->ForwardQuizStop();
    d.WaitForEnd();
    return deal;
}

TEST(QuizMode, PupilsStartedWithTheSameValueGetTheSameCardsInTheSameOrder) {
    const Deal a = QuizModeRun(111, 4242, 0);
    const Deal b = QuizModeRun(987654321, 4242, 3000);
    ASSERT_GE(a.dealt.size(), 14u);
    EXPECT_EQ(a.dealt, b.dealt);
    EXPECT_EQ(a.asked, b.asked);
    const Deal c = QuizModeRun(111, 4243, 0);
    EXPECT_NE(a.dealt, c.dealt) << "another start value, another quiz";
}

TEST(QuizMode, OutsideQuizModeEachRunDealsOtherCards) {
    auto run = [](uint64_t clock) {
        QuizDriver d;
        d.UseSeed(clock);
        d.Open();
        d.StartQuiz(61, 2);
        Deal deal = PlayRounds(d, 3, 0);
        d.Quit();
        d.WaitForEnd();
        return deal;
    };
    const Deal a = run(123456789), b = run(20261209);
    ASSERT_GE(a.dealt.size(), 14u);
    EXPECT_NE(a.dealt, b.dealt);
}

// Answers every memory round at once, until the first speed round waits for its first answer.
void ToFirstSpeedRound(QuizDriver& d) {
    while (d.WaitForAnswer()) {
        if (d.hard()->speedPhase()) return;
        d.ClickPlace(d.quiz()->PlaceOf(d.LastNamedItem()));
    }
    FAIL() << "no speed round";
}

struct SpeedClock : ::testing::TestWithParam<uint64_t> {
    QuizDriver d;
    void SetUp() override {
        d.UseSeed(GetParam());
        d.Open();
        d.StartQuiz(62, 6);
        ToFirstSpeedRound(d);
    }
    uint64_t Now() { return d.course.platform.fakeClock().nowMs(); }
    // Runs fake time in 5 ms steps until the wait for the learner ends.
    uint64_t WaitOut() {
        uint64_t waited = 0;
        while (d.Waiting() && waited < 60000) {
            d.course.Wait(5);
            waited += 5;
        }
        return waited;
    }
};

TEST_P(SpeedClock, ALearnerWhoDoesNotAnswerLosesTheRoundWhenTheDiscHasClosed) {
    TForm_QuizHard* q = d.hard();
    ASSERT_EQ(q->count(), 7);
    ASSERT_EQ(q->discAngle(), 238);
    const int score = q->score();
    ASSERT_EQ(score, 15);
    const uint64_t limit = uint64_t(TForm_QuizHard::ClockMs(238)); // 7.677 s
    EXPECT_EQ(limit, 7677u);
    // The wait began when the dealer had named the card; the gong sounds when the clock has run out.
    const uint64_t began = d.LastNamedEntry()->endMs;
    WaitOut();
    EXPECT_EQ(d.StateName(), "Timeout");
    const AudioLogEntry* gong = d.LastPlayed("gong");
    ASSERT_NE(gong, nullptr);
    EXPECT_GE(gong->startMs - began, limit);
    EXPECT_LE(gong->startMs - began, limit + 20) << "one tick of the animation list at most";
    EXPECT_EQ(q->discAngle(), 0);
    // The round ends unasked and the next, one card bigger, begins with the score as it was.
    ASSERT_TRUE(d.WaitForState("UndealCard"));
    ASSERT_TRUE(d.WaitForAnswer());
    EXPECT_EQ(q->count(), 8);
    EXPECT_EQ(q->score(), score);
}

TEST_P(SpeedClock, TheClockHaltsWhileTheDealerSpeaksAndGoesOnForTheWholeRound) {
    TForm_QuizHard* q = d.hard();
    uint64_t waited = 0;
    for (int answer = 0; answer < 2; ++answer) {
        ASSERT_TRUE(d.WaitForAnswer());
        d.course.Wait(1000);
        waited += Now() - d.LastNamedEntry()->endMs;
        const int angle = q->discAngle();
        EXPECT_LT(angle, 238);
        d.ClickPlace(q->PlaceOf(d.LastNamedItem()));
        // Nodding, the bing and the next name take time; the disc stands still meanwhile.
        ASSERT_TRUE(d.WaitForAnswer());
        EXPECT_EQ(q->discAngle(), angle);
    }
    const uint64_t began = d.LastNamedEntry()->endMs;
    WaitOut();
    EXPECT_EQ(d.StateName(), "Timeout");
    const AudioLogEntry* gong = d.LastPlayed("gong");
    ASSERT_NE(gong, nullptr);
    waited += gong->startMs - began;
    const uint64_t limit = uint64_t(TForm_QuizHard::ClockMs(238));
    // The disc goes on from whole degrees (a degree is 32 ms) as it stood at the last animation tick
    // (20 ms): each interrupted wait may add up to both, or lose up to a degree.
    EXPECT_GE(waited + 2 * 33, limit);
    EXPECT_LE(waited, limit + 2 * (33 + 20) + 20);
    EXPECT_EQ(q->score(), 17);
}

INSTANTIATE_TEST_SUITE_P(Seeds, SpeedClock, ::testing::ValuesIn(QuizSeeds()), QuizSeedName);

TEST(QuizWay, EveryCategoryOpensFromTheMainMenuThroughTheQuizMenu) {
    QuizDriver d;
    d.Open();
    ASSERT_EQ(d.course.Screen(), "TForm_Menu");
    auto* menu = d.course.ScreenAs<TDIBScreen>();
    auto* memory = menu->container().FindComponent("DIBIS_Sect10");
    ASSERT_NE(memory, nullptr);
    d.course.ClickOn(*memory);
    d.course.Wait(1000);
    ASSERT_EQ(d.course.Screen(), "TForm_QuizMenu");
    for (int side = 0; side < 2; ++side)
        for (int i = 1; i <= TForm_QuizMenu::kButtons; ++i) {
            auto* quizMenu = d.course.ScreenAs<TForm_QuizMenu>();
            ASSERT_NE(quizMenu, nullptr);
            d.course.ClickOn(side == 0 ? quizMenu->EasyButton(i) : quizMenu->HardButton(i));
            d.course.Wait(100);
            EXPECT_EQ(d.course.ScreenAs<TPlaceholderScreen>(), nullptr);
            ASSERT_EQ(d.course.Screen(), side == 0 ? "TForm_QuizEasy" : "TForm_QuizHard");
            EXPECT_EQ(d.quiz()->category(), i < TForm_QuizMenu::kButtons ? i : 0);
            EXPECT_EQ(d.course.main->quizCategory(), d.quiz()->category());
            ASSERT_TRUE(d.WaitForAnswer()) << "the quiz deals and asks";
            d.Quit();
            d.course.Wait(500);
            ASSERT_EQ(d.course.Screen(), "TForm_QuizMenu");
        }
    d.course.ClickOn(d.course.ScreenAs<TForm_QuizMenu>()->QuitButton());
    d.course.Wait(1000);
    EXPECT_EQ(d.course.Screen(), "TForm_Menu");
}

TEST(QuizWay, TheManagersVariantsAndSizesStayOnTheTable) {
    QuizDriver d;
    d.Open({"quiz", "target=3", "source=1"});
    d.course.main->StartActivityFromNetwork(278, 5);
    d.course.Idle();
    ASSERT_NE(d.hard(), nullptr) << d.course.Screen();
    EXPECT_EQ(d.hard()->category(), 1);
    EXPECT_EQ(d.hard()->startCount(), 7);
    EXPECT_EQ(d.hard()->switchCount(), 12);
    d.course.main->ForwardQuizStop();
    d.course.Idle();
    d.course.Request(9);
    d.course.main->SetHardQuizSizes(0x40, 0);
    d.course.main->StartActivityFromNetwork(HardQuizActivity(4), 5);
    d.course.Idle();
    ASSERT_NE(d.hard(), nullptr) << d.course.Screen();
    EXPECT_GE(d.hard()->startCount(), 1);
    EXPECT_LE(d.hard()->startCount(), TForm_Quiz::kPlaces);
    ASSERT_TRUE(d.WaitForAnswer());
    EXPECT_LE(d.hard()->count(), TForm_Quiz::kPlaces);
}

} // namespace
} // namespace parlora::test
