// The easy and the hard memory quiz played to the end on the demo course, with right and wrong
// answers, for one category and for all of them, on several clocks.
#include "tests/quiz/QuizTestDriver.h"

#include <algorithm>
#include <set>

namespace parlora::test {
namespace {

// Plays until the quiz ends: each asked card is clicked right, after `wrongFirst(n)` wrong clicks
// for the n-th question (counted from 0). Checks what the dealer names on the way.
QuizPlay Play(QuizDriver& d, const std::function<int(int)>& wrongFirst) {
    QuizPlay play;
    int expected = 0;
    while (d.WaitForAnswer()) {
        TForm_Quiz* q = d.quiz();
        EXPECT_EQ(q->score(), expected);
        const int item = d.LastNamedItem();
        EXPECT_EQ(item, q->selectedItem()) << "the dealer names the selected card";
        const int place = q->PlaceOf(item);
        EXPECT_GE(place, 1);
        play.askedItems.push_back(item);
        for (int w = wrongFirst(play.asked); w > 0; --w) {
            const int other = d.WrongPlace(item);
            if (other == 0) break;
            d.ClickPlace(other);
            expected = std::max(0, expected - 1);
            ++play.wrong;
            EXPECT_TRUE(d.WaitForAnswer()) << "after a wrong click the same card is asked again";
            if (!d.quiz()) return play;
            EXPECT_EQ(d.quiz()->selectedItem(), item);
            EXPECT_EQ(d.LastNamedItem(), item);
            EXPECT_EQ(d.quiz()->score(), expected);
        }
        d.ClickPlace(place);
        ++play.asked;
        ++play.right;
        ++expected;
        play.scores.push_back(expected);
    }
    return play;
}

struct EasyQuiz : ::testing::TestWithParam<uint64_t> {
    QuizDriver d;
    void SetUp() override {
        d.UseSeed(GetParam());
        d.Open();
    }
};

TEST_P(EasyQuiz, OneCategoryAllRightScores45AndIsStored) {
    d.StartQuiz(61, 3); // colours
    std::vector<std::vector<int>> rounds;
    int lastCount = 0;
    QuizPlay play;
    {
        // Watch each round: the cards all differ, and one stays unasked.
        while (d.WaitForAnswer()) {
            TForm_Quiz* q = d.quiz();
            if (q->count() != lastCount) {
                lastCount = q->count();
                std::vector<int> dealt;
                for (int p = 1; p <= q->count(); ++p)
                    dealt.push_back(q->ItemAt(p));
                std::set<int> unique(dealt.begin(), dealt.end());
                EXPECT_EQ(unique.size(), dealt.size()) << "no card twice in a round";
                EXPECT_EQ(q->tilesShown(), q->count());
                EXPECT_EQ(q->discAngle(), TForm_Quiz::kDiscAngles[size_t(q->count())]);
                rounds.push_back(dealt);
            }
            const int item = d.LastNamedItem();
            ASSERT_EQ(item / 100, 3);
            d.ClickPlace(q->PlaceOf(item));
            ++play.asked;
        }
    }
    ASSERT_EQ(rounds.size(), 9u) << "rounds of 2 to 10 cards";
    for (size_t r = 0; r < rounds.size(); ++r)
        EXPECT_EQ(rounds[r].size(), r + 2);
    EXPECT_EQ(play.asked, 45) << "each round asks all cards but one";
    EXPECT_EQ(d.course.Screen(), "TForm_QuizMenu");
    EXPECT_EQ(d.StoredScore(2, 5), 45);
    // The well-done message follows the best score, once, after the score is said.
    int scoreSaid = -1, wellDone = -1, praises = 0;
    for (size_t i = 0; i < d.log().size(); ++i) {
        const std::string& label = d.log()[i].label;
        if (label.find("MSC45") != std::string::npos) scoreSaid = int(i);
        if (label.find("wdone") != std::string::npos) {
            wellDone = int(i);
            ++praises;
        }
    }
    EXPECT_EQ(praises, 1);
    EXPECT_GE(scoreSaid, 0) << "the score is said";
    EXPECT_GT(wellDone, scoreSaid) << "the praise comes after the score";
    auto* menu = d.course.ScreenAs<TForm_QuizMenu>();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->EasyLabel(3).Caption(), "45");
    EXPECT_TRUE(menu->EasyLabel(3).Visible());
}

TEST_P(EasyQuiz, AllCategoriesWithWrongClicksLosesAPointEach) {
    d.StartQuiz(61, 0);
    const std::string pool = d.quiz()->categoryPool();
    QuizPlay play = Play(d, [](int n) { return n % 4 == 1 ? 1 : n % 9 == 2 ? 2 : 0; });
    EXPECT_EQ(play.asked, 45);
    EXPECT_GT(play.wrong, 0);
    EXPECT_EQ(d.StoredScore(9, 5), play.scores.back());
    EXPECT_LE(play.scores.back(), 45);
    int praises = 0;
    for (const AudioLogEntry& e : d.log())
        praises += e.label.find("wdone") != std::string::npos;
    if (play.scores.back() < 45) EXPECT_EQ(praises, 0) << "no praise below the best score";
    for (int item : play.askedItems)
        EXPECT_NE(pool.find(Format("%03d", item)), std::string::npos) << item;
    std::set<int> categories;
    for (int item : play.askedItems)
        categories.insert(item / 100);
    EXPECT_GT(categories.size(), 3u) << "the mixed quiz draws from many topics";
}

TEST_P(EasyQuiz, QuitBeforeAnyAnswerStoresNothing) {
    d.StartQuiz(61, 2);
    ASSERT_TRUE(d.WaitForAnswer());
    d.Quit();
    d.course.Idle();
    EXPECT_EQ(d.course.Screen(), "TForm_QuizMenu");
    EXPECT_EQ(d.StoredScore(1, 5), -1);
    EXPECT_FALSE(d.course.ScreenAs<TForm_QuizMenu>()->EasyLabel(2).Visible());
}

TEST_P(EasyQuiz, QuitAfterAnAnswerStoresTheScoreAndTheMenuShowsIt) {
    d.StartQuiz(61, 2);
    ASSERT_TRUE(d.WaitForAnswer());
    d.ClickPlace(d.quiz()->PlaceOf(d.LastNamedItem()));
    ASSERT_TRUE(d.WaitForAnswer());
    d.Quit();
    ASSERT_TRUE(d.WaitForEnd());
    EXPECT_EQ(d.course.Screen(), "TForm_QuizMenu");
    EXPECT_EQ(d.StoredScore(1, 5), 1);
    EXPECT_EQ(d.course.ScreenAs<TForm_QuizMenu>()->EasyLabel(2).Caption(), "1");
}

TEST_P(EasyQuiz, TheFaceRepeatsTheWordAndAFoundCardIsDeaf) {
    d.StartQuiz(61, 1);
    ASSERT_TRUE(d.WaitForAnswer());
    const int item = d.LastNamedItem();
    const size_t said = d.log().size();
    d.course.ClickOn(d.quiz()->Face());
    ASSERT_TRUE(d.WaitForAnswer());
    EXPECT_GT(d.log().size(), said);
    EXPECT_EQ(d.LastNamedItem(), item);
    EXPECT_EQ(d.quiz()->score(), 0);
    // Through round two: the found card of round two cannot answer again.
    d.ClickPlace(d.quiz()->PlaceOf(item));
    ASSERT_TRUE(d.WaitForAnswer());
    const int found = d.quiz()->PlaceOf(d.LastNamedItem());
    d.ClickPlace(found);
    ASSERT_TRUE(d.WaitForAnswer());
    const int score = d.quiz()->score();
    if (d.quiz()->ItemAt(found) != 0 && !d.quiz()->Card(found).Enabled()) {
        d.ClickPlace(found);
        d.course.Wait(200);
        EXPECT_TRUE(d.Waiting());
        EXPECT_EQ(d.quiz()->score(), score);
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, EasyQuiz, ::testing::ValuesIn(QuizSeeds()), QuizSeedName);

struct HardQuiz : ::testing::TestWithParam<uint64_t> {
    QuizDriver d;
    void SetUp() override {
        d.UseSeed(GetParam());
        d.Open();
    }
};

TEST_P(HardQuiz, OneCategoryAllRightScores55WithMemoryThenSpeedRounds) {
    d.StartQuiz(62, 1);
    ASSERT_EQ(d.hard()->startCount(), 2);
    ASSERT_EQ(d.hard()->switchCount(), 7);
    std::vector<int> roundSizes;
    std::vector<bool> roundSpeed;
    int asked = 0;
    while (d.WaitForAnswer()) {
        TForm_QuizHard* q = d.hard();
        if (roundSizes.empty() || roundSizes.back() != q->count()) {
            roundSizes.push_back(q->count());
            roundSpeed.push_back(q->speedPhase());
            if (!q->speedPhase()) {
                // The cards of a memory round lie face down, their pictures hidden.
                for (int p = 1; p <= q->count(); ++p) {
                    EXPECT_EQ(q->Card(p).FrameIndex(), 0);
                    EXPECT_FALSE(q->Picture(p).Visible());
                }
            }
        }
        const int item = d.LastNamedItem();
        ASSERT_EQ(item / 100, 1);
        d.ClickPlace(q->PlaceOf(item));
        ++asked;
    }
    EXPECT_EQ(roundSizes, (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(roundSpeed,
              (std::vector<bool>{false, false, false, false, false, true, true, true, true, true}));
    EXPECT_EQ(asked, 55);
    EXPECT_EQ(d.StoredScore(0, 6), 55);
    bool applause = false, dingding = false;
    for (const AudioLogEntry& e : d.log()) {
        if (e.label.find("Applause") != std::string::npos) applause = true;
        if (e.label.find("dingding") != std::string::npos) dingding = true;
    }
    EXPECT_TRUE(applause) << "above 50 the score is applauded";
    EXPECT_TRUE(dingding);
}

TEST_P(HardQuiz, AllCategoriesWithWrongClicksInBothPhases) {
    d.StartQuiz(62, 0);
    int wrongInMemory = 0, wrongInSpeed = 0;
    QuizPlay play = Play(d, [&](int n) {
        const bool speed = d.hard()->speedPhase();
        if (n % 5 != 3) return 0;
        (speed ? wrongInSpeed : wrongInMemory)++;
        return 1;
    });
    EXPECT_GT(wrongInMemory, 0);
    EXPECT_GT(wrongInSpeed, 0);
    EXPECT_LE(play.scores.back(), 55);
    EXPECT_EQ(d.StoredScore(9, 6), play.scores.back());
    EXPECT_EQ(d.course.Screen(), "TForm_QuizMenu");
}

TEST_P(HardQuiz, AWrongCardInAMemoryRoundIsShownSaidAndTurnedBack) {
    d.StartQuiz(62, 8);
    // Round two has three cards.
    ASSERT_TRUE(d.WaitForAnswer());
    d.ClickPlace(d.quiz()->PlaceOf(d.LastNamedItem()));
    ASSERT_TRUE(d.WaitForAnswer());
    TForm_QuizHard* q = d.hard();
    ASSERT_EQ(q->count(), 3);
    const int item = d.LastNamedItem();
    const int wrong = d.WrongPlace(item);
    ASSERT_GT(wrong, 0);
    d.ClickPlace(wrong);
    ASSERT_TRUE(d.WaitForState("WrongSpeak"));
    EXPECT_EQ(q->Card(wrong).FrameIndex(), 2) << "turned face up";
    EXPECT_TRUE(q->Picture(wrong).Visible());
    EXPECT_EQ(d.LastNamedItem(), q->ItemAt(wrong)) << "its word is said";
    ASSERT_TRUE(d.WaitForAnswer());
    EXPECT_EQ(q->Card(wrong).FrameIndex(), 0) << "and turned back";
    EXPECT_FALSE(q->Picture(wrong).Visible());
    EXPECT_EQ(d.LastNamedItem(), item) << "the same card is asked again";
    // A right card stays face up, and cannot answer again.
    const int right = q->PlaceOf(item);
    d.ClickPlace(right);
    ASSERT_TRUE(d.WaitForAnswer());
    EXPECT_EQ(q->Card(right).FrameIndex(), 2);
    EXPECT_TRUE(q->Picture(right).Visible());
    const int score = q->score();
    d.ClickPlace(right);
    d.course.Wait(100);
    EXPECT_TRUE(d.Waiting()) << "a found card does not answer";
    EXPECT_EQ(q->score(), score);
}

TEST_P(HardQuiz, QuitAfterAnAnswerStoresTheScore) {
    d.StartQuiz(62, 4);
    ASSERT_TRUE(d.WaitForAnswer());
    d.ClickPlace(d.quiz()->PlaceOf(d.LastNamedItem()));
    d.course.Wait(50);
    d.Quit(); // while the dealer nods: the next wait passes through to the score
    ASSERT_TRUE(d.WaitForEnd());
    EXPECT_EQ(d.StoredScore(4, 6), 1);
}

INSTANTIATE_TEST_SUITE_P(Seeds, HardQuiz, ::testing::ValuesIn(QuizSeeds()), QuizSeedName);

// Cards, their pictures and the counter's tiles are drawn over the table and the disc through their
// key colour, and the disc's cut sector is see-through: no key colour and no white block shows.
TEST(QuizLook, NoKeyColourOrWhiteSectorReachesTheScreen) {
    QuizDriver d;
    d.UseSeed(QuizSeeds().front());
    d.Open();
    d.StartQuiz(61, 1);
    ASSERT_TRUE(d.WaitForAnswer());
    ASSERT_GT(d.quiz()->tilesShown(), 0);
    ASSERT_GT(d.quiz()->discAngle(), 0);
    const Surface& shot = d.course.Shot();
    int key = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            key += (shot.pixel(x, y) & 0xFFFFFF) == 0xFF00FF;
    EXPECT_EQ(key, 0);
    const Rect disc = d.quiz()->Element<TDIBImage>("DIBI_Cover").BoundsRect();
    int white = 0;
    for (int y = disc.y; y < disc.bottom(); ++y)
        for (int x = disc.x; x < disc.right(); ++x)
            white += (shot.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
    EXPECT_LT(white, disc.w * disc.h / 100) << "the open sector shows what lies under the disc";
}

} // namespace
} // namespace parlora::test
