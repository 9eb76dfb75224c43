// The themed hard games (colours, numbers, time, countries) on the demo course: whole games with
// right and wrong clicks, the score, the records and the weights, leaving early, and what each
// scene must show on the way. Each game is played with several seeds.
#include "activities/FormColoursHard.h"
#include "activities/FormCountriesHard.h"
#include "activities/FormNumbersHard.h"
#include "activities/FormTimeHard.h"
#include "activities/ThemedHardLayout.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImageStrip.h"
#include "display/PictureDecoder.h"
#include "tests/activities/HardGameTestDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>

namespace parlora {
namespace {

struct ThemedHardTest : ::testing::Test {
    test::HardGameDriver d;
    std::string question = "SayWord"; // the state that waits for the answer

    uint64_t Now() { return d.course.main->dispatcher().clock().nowMs(); }
    bool Waiting() {
        TForm_HardGame* g = d.game();
        return g && d.StateName() == question && KaHas(g->stateList().Armed(), katMouseAction);
    }
    bool WaitForQuestion() {
        return d.WaitFor([this] { return Waiting(); });
    }

    // Plays a whole game on screen `code`: per question `wrong[q]` wrong clicks, then the right one.
    // `click(position)` clicks an answer; `wrongPosition()` names a wrong one; `perQuestion` looks at
    // the question before its answers. Checks the score, the records and the weights at the end.
    void PlayGame(int code, int topic, const std::vector<int>& wrong, const std::string& menu,
                  const std::function<void(int)>& click, const std::function<int()>& wrongPosition,
                  const std::function<void(int q)>& perQuestion = {}) {
        d.Request(code);
        ASSERT_NE(d.game(), nullptr) << d.course.Screen();
        const std::vector<int> expected = test::ExpectedScores(wrong);
        std::vector<std::pair<int, bool>> moves;
        std::set<int> asked;
        for (size_t q = 0; q < wrong.size(); ++q) {
            ASSERT_TRUE(WaitForQuestion()) << "question " << q + 1 << " " << d.StateName();
            TForm_HardGame* g = d.game();
            EXPECT_EQ(g->question(), int(q) + 1);
            EXPECT_EQ(g->score(), q == 0 ? 0 : expected[q - 1]);
            const int item = d.LastAskedItem();
            EXPECT_EQ(item, g->targetItem());
            EXPECT_EQ(g->ItemAtPosition(g->targetPosition()), item);
            EXPECT_TRUE(asked.insert(item).second) << "item " << item << " asked twice";
            if (perQuestion) perQuestion(int(q) + 1);
            for (int i = 0; i < wrong[q]; ++i) {
                click(wrongPosition());
                ASSERT_TRUE(WaitForQuestion()) << d.StateName();
                EXPECT_EQ(d.LastAskedItem(), item) << "asked again";
            }
            click(d.game()->targetPosition());
            moves.push_back({item, wrong[q] == 0});
        }
        ASSERT_TRUE(d.WaitForState("ShowScore"));
        ASSERT_TRUE(d.WaitForEnd());
        EXPECT_EQ(d.course.Screen(), menu);
        const int final = expected.back();
        EXPECT_EQ(d.course.main->records()->GetScore(topic, 3), final);
        EXPECT_EQ(d.Game3Of(topic), std::to_string(final));
        EXPECT_EQ(d.RecordsValue("Score"), std::to_string(d.course.main->records()->Total()));
        EXPECT_EQ(d.RecordsValue(Format("Weights%d", topic)), d.ExpectedWeights(topic, moves));
        EXPECT_EQ(d.CountPlayed("bing.wav"), 50);
        EXPECT_EQ(d.CountPlayed("wdone"), final == 50 ? 1 : 0);
    }

    // Quit before any answer leaves at once with nothing stored; after one answer, the score is
    // shown and said at the next question and stored.
    void QuitEarly(int code, int topic, const std::string& menu, const std::function<void(int)>& click) {
        const std::string weights = d.RecordsValue(Format("Weights%d", topic));
        const int before = d.course.main->records()->GetScore(topic, 3);
        d.Request(code);
        ASSERT_TRUE(WaitForQuestion());
        d.Quit();
        d.course.Idle();
        EXPECT_EQ(d.course.Screen(), menu);
        EXPECT_EQ(d.course.main->records()->GetScore(topic, 3), before) << "nothing stored";
        EXPECT_EQ(d.RecordsValue(Format("Weights%d", topic)), weights);

        d.Request(code);
        ASSERT_TRUE(WaitForQuestion());
        click(d.game()->targetPosition());
        d.Quit(); // during the yes: nothing at once
        EXPECT_NE(d.StateName(), "ShowScore");
        ASSERT_TRUE(d.WaitForState("ShowScore"));
        EXPECT_EQ(d.game()->question(), 2);
        ASSERT_TRUE(d.WaitForEnd());
        EXPECT_EQ(d.course.Screen(), menu);
        EXPECT_EQ(d.Game3Of(topic), "5");
        d.prefix = "SC";
        EXPECT_EQ(d.LastAskedItem(), 5) << "the score is said";
    }
};

// ---- Colours ----

struct ColoursHardTest : ThemedHardTest {
    ColoursHardTest() {
        d.prefix = "CO";
        question = "Speak";
    }
    TForm_ColoursHard* g() { return d.as<TForm_ColoursHard>(); }
    void Click(int colour) { d.ClickCentre(g()->ColourButton(colour)); }
    int Wrong() { return g()->targetItem() % 12 + 1; }
};
using ColoursHardGame = test::SeededGame<ColoursHardTest>;
INSTANTIATE_TEST_SUITE_P(Seeds, ColoursHardGame, ::testing::ValuesIn(test::GameSeeds()), test::SeedName);

TEST_P(ColoursHardGame, WholeGameScoreRecordsWeightsAndCarPark) {
    d.Open(0);
    std::set<int> parked;
    PlayGame(
        29, 2, {0, 1, 0, 0, 2, 0, 0, 0, 1, 0}, "TForm_ColoursMenu", [this](int c) { Click(c); },
        [this] { return Wrong(); },
        [&](int q) {
            if (q == 1) {
                // The two colours not asked are parked from the first moment, and only they.
                for (int c = 1; c <= 12; ++c)
                    EXPECT_EQ(g()->SmallCar(c).Visible(), c == g()->parked()[0] || c == g()->parked()[1])
                        << "car " << c;
                std::set<int> targets{g()->parked()[0], g()->parked()[1]};
                for (int k = 1; k <= 10; ++k)
                    targets.insert(g()->targetOf(k));
                EXPECT_EQ(targets.size(), 12u) << "ten asked once each, two parked";
            }
            EXPECT_EQ(g()->targetItem(), g()->targetOf(q));
            EXPECT_TRUE(g()->BigCar().Visible());
            EXPECT_NE(g()->bigPicture().find(Format("Car%dB.png", g()->targetItem())), std::string::npos);
            std::string speaker;
            d.LastAskedItem(&speaker);
            EXPECT_EQ(speaker, "F") << "she asks alone";
        });
}

TEST_P(ColoursHardGame, AllCarsParkedAfterTheGame) {
    d.Open(29);
    for (int q = 1; q <= 10; ++q) {
        ASSERT_TRUE(WaitForQuestion());
        Click(g()->targetPosition());
    }
    ASSERT_TRUE(d.WaitForState("ShowScore"));
    for (int c = 1; c <= 12; ++c)
        EXPECT_TRUE(g()->SmallCar(c).Visible()) << "car " << c;
    EXPECT_FALSE(g()->BigCar().Visible());
    ASSERT_TRUE(d.WaitForEnd());
    EXPECT_EQ(d.Game3Of(2), "50");
}

TEST_P(ColoursHardGame, OnlyTheRightColourBringsTheCamera) {
    d.Open(29);
    ASSERT_TRUE(WaitForQuestion());
    const int target = g()->targetItem();
    Click(Wrong());
    EXPECT_EQ(d.StateName(), "Wrong");
    EXPECT_TRUE(g()->CrossImage().Visible());
    ASSERT_TRUE(WaitForQuestion());
    EXPECT_FALSE(g()->Camera().Visible());
    EXPECT_NE(g()->bigPicture().find(Format("Car%dB.png", target)), std::string::npos);
    Click(target);
    EXPECT_EQ(d.StateName(), "Right");
    EXPECT_TRUE(g()->Camera().Visible());
    ASSERT_TRUE(d.WaitForState("Yes"));
    EXPECT_NE(g()->bigPicture().find(Format("Car%d.png", target)), std::string::npos);
    EXPECT_EQ(d.CountPlayed("camera.wav"), 1);
    ASSERT_TRUE(d.WaitForState("Fly"));
    EXPECT_FALSE(g()->Camera().Visible());
}

TEST_P(ColoursHardGame, QuitEarly) {
    d.Open(0);
    QuitEarly(29, 2, "TForm_ColoursMenu", [this](int c) { Click(c); });
}

// ---- Numbers ----

struct NumbersHardTest : ThemedHardTest {
    NumbersHardTest() { d.prefix = "SC"; }
    TForm_NumbersHard* g() { return d.as<TForm_NumbersHard>(); }
    void Click(int n) { d.ClickCentre(g()->NumberArea(n)); }
    int Wrong() { return g()->targetItem() % 20 + 1; }
};
using NumbersHardGame = test::SeededGame<NumbersHardTest>;
INSTANTIATE_TEST_SUITE_P(Seeds, NumbersHardGame, ::testing::ValuesIn(test::GameSeeds()), test::SeedName);

TEST_P(NumbersHardGame, WholeGameScoreRecordsWeightsAndBottle) {
    d.Open(0);
    PlayGame(
        44, 5, {2, 0, 0, 1, 0, 0, 0, 0, 0, 1}, "TForm_NumbersMenu", [this](int n) { Click(n); },
        [this] { return Wrong(); });
}

TEST_P(NumbersHardGame, PrizeLandsOnTheNumberAndGoesHome) {
    d.Open(44);
    for (int q = 1; q <= 10; ++q) {
        ASSERT_TRUE(WaitForQuestion()) << q;
        TDIBImage& prize = g()->Prize(q);
        EXPECT_FALSE(prize.Visible());
        const int wrong = Wrong();
        Click(wrong);
        EXPECT_EQ(d.StateName(), "ShowPrize");
        // It stands on the number clicked, centred, its bottom on the area's bottom.
        const Rect area = g()->NumberArea(wrong).BoundsRect();
        EXPECT_TRUE(prize.Visible());
        EXPECT_EQ(prize.Left() + prize.Width() / 2, area.x + area.w / 2);
        EXPECT_EQ(prize.Top() + prize.Height(), area.y + area.h);
        ASSERT_TRUE(d.WaitForState("No"));
        EXPECT_TRUE(prize.Visible()) << "until the no has been said";
        ASSERT_TRUE(WaitForQuestion());
        EXPECT_FALSE(prize.Visible());
        Click(g()->targetItem());
        ASSERT_TRUE(d.WaitForState("IncScore"));
        d.course.Wait(600);
        EXPECT_TRUE(prize.Visible());
        EXPECT_EQ(prize.BoundsRect().x, g()->PrizeHome(q).x);
        EXPECT_EQ(prize.BoundsRect().y, g()->PrizeHome(q).y);
    }
    ASSERT_TRUE(d.WaitForState("ShowScore"));
    const uint64_t shown = Now();
    EXPECT_TRUE(g()->Bottle().Visible());
    EXPECT_FALSE(g()->Prize(10).Visible()) << "the bottle takes the tenth prize's place";
    for (int q = 1; q < 10; ++q)
        EXPECT_TRUE(g()->Prize(q).Visible());
    // The cork has flown off the top, and its flight did not cut the score disc short.
    ASSERT_TRUE(d.WaitForState("SayScore"));
    EXPECT_EQ(g()->Cork().Top(), -g()->Cork().Height());
    EXPECT_GE(Now() - shown, uint64_t(TForm_Game::kEndScoreMs) - 25);
    ASSERT_TRUE(d.WaitForEnd());
    EXPECT_EQ(d.Game3Of(5), std::to_string(test::ExpectedScores(std::vector<int>(10, 1)).back()));
}

TEST_P(NumbersHardGame, QuitEarly) {
    d.Open(0);
    QuitEarly(44, 5, "TForm_NumbersMenu", [this](int n) { Click(n); });
}

// ---- Time ----

struct TimeHardTest : ThemedHardTest {
    TimeHardTest() { d.prefix = "T"; }
    TForm_TimeHard* g() { return d.as<TForm_TimeHard>(); }
    void Click(int p) { d.ClickCentre(g()->Hands(p)); }
    int Wrong() { return g()->targetPosition() % 4 + 1; }
};
using TimeHardGame = test::SeededGame<TimeHardTest>;
INSTANTIATE_TEST_SUITE_P(Seeds, TimeHardGame, ::testing::ValuesIn(test::GameSeeds()), test::SeedName);

TEST_P(TimeHardGame, WholeGameScoreRecordsWeightsAndShelf) {
    d.Open(0);
    PlayGame(
        49, 6, {0, 0, 1, 0, 0, 0, 3, 0, 0, 0}, "TForm_TimeMenu", [this](int p) { Click(p); },
        [this] { return Wrong(); },
        [this](int q) {
            // Four different times, each clock showing its own.
            std::set<int> shown;
            for (int p = 1; p <= 4; ++p) {
                shown.insert(g()->ItemAtPosition(p));
                EXPECT_EQ(g()->Hands(p).FrameIndex(), ThemedHardLayout::ClockFrameOf(g()->ItemAtPosition(p)));
            }
            EXPECT_EQ(shown.size(), 4u);
            EXPECT_EQ(int(g()->Shelf().size()), q - 1);
        });
}

TEST_P(TimeHardGame, ClocksTurnThenTheTimeIsSaid) {
    d.Open(49);
    for (int q = 1; q <= 10; ++q) {
        // Fine steps: a question whose clocks barely move starts within a few ticks.
        for (int t = 0; t < 4000 && d.game() && d.StateName() != "StartQuestion"; t += 5)
            d.course.Wait(5);
        ASSERT_EQ(d.StateName(), "StartQuestion") << q;
        const uint64_t started = Now();
        std::array<int, 5> from{};
        for (int p = 1; p <= 4; ++p)
            from[size_t(p)] = g()->Hands(p).FrameIndex();
        int slowest = 0;
        for (int p = 1; p <= 4; ++p)
            slowest = std::max(
                slowest, std::abs(ThemedHardLayout::ClockFrameOf(g()->ItemAtPosition(p)) - from[size_t(p)]));
        // A clock already at its time stays there all the while.
        std::vector<int> still;
        for (int p = 1; p <= 4; ++p)
            if (ThemedHardLayout::ClockFrameOf(g()->ItemAtPosition(p)) == from[size_t(p)]) still.push_back(p);
        while (d.StateName() == "StartQuestion") {
            for (int p : still)
                EXPECT_EQ(g()->Hands(p).FrameIndex(), from[size_t(p)]);
            d.course.Wait(10);
        }
        const uint64_t took = Now() - started;
        EXPECT_GE(took + 20, uint64_t(TForm_TimeHard::kMsPerFrame * slowest));
        EXPECT_LE(took, uint64_t(TForm_TimeHard::kMsPerFrame * slowest + 60)) << "waits for the slowest only";
        ASSERT_TRUE(WaitForQuestion());
        EXPECT_EQ(g()->turning(), 0);
        Click(g()->targetPosition());
        ASSERT_TRUE(d.WaitForState("IncScore"));
        if (q == 4) {
            const std::vector<int> shelf = g()->Shelf();
            ASSERT_EQ(shelf.size(), 4u);
            EXPECT_EQ(shelf[2], 4) << "the latest in the middle";
            d.course.Wait(200);
            for (size_t k = 0; k < 4; ++k) {
                TDIBImage& c = g()->SmallClock(shelf[k]);
                EXPECT_TRUE(c.Visible());
                EXPECT_EQ(c.Top() + c.Height(), ThemedHardLayout::kShelfY);
                EXPECT_EQ(c.Left(), int(k + 1) * 531 / 5 - c.Width() / 2 + 240);
            }
        }
    }
    ASSERT_TRUE(d.WaitForEnd());
    EXPECT_EQ(d.Game3Of(6), "50");
}

TEST_P(TimeHardGame, QuitEarly) {
    d.Open(0);
    QuitEarly(49, 6, "TForm_TimeMenu", [this](int p) { Click(p); });
}

// ---- Countries ----

struct CountriesHardTest : ThemedHardTest {
    CountriesHardTest() { d.prefix = "CY"; }
    TForm_CountriesHard* g() { return d.as<TForm_CountriesHard>(); }
    // Flags and the buttons under them answer alike: use both.
    void Click(int p) {
        if (++clicks % 2)
            d.ClickCentre(g()->Flag(p));
        else
            d.ClickCentre(g()->FlagButton(p));
    }
    int Wrong() { return g()->targetPosition() % 4 + 1; }
    int clicks = 0;
};
using CountriesHardGame = test::SeededGame<CountriesHardTest>;
INSTANTIATE_TEST_SUITE_P(Seeds, CountriesHardGame, ::testing::ValuesIn(test::GameSeeds()), test::SeedName);

TEST_P(CountriesHardGame, WholeGameScoreRecordsWeightsAndPins) {
    d.Open(0);
    std::vector<int> targets;
    PlayGame(
        59, 8, {1, 0, 0, 0, 0, 2, 0, 0, 0, 0}, "TForm_CountriesMenu", [this](int p) { Click(p); },
        [this] { return Wrong(); },
        [&](int q) {
            targets.push_back(g()->targetItem());
            // Pins of earlier questions stand at their countries; the others wait in the tray.
            for (int k = 1; k <= 10; ++k) {
                TDIBImage& pin = g()->Pin(k);
                EXPECT_TRUE(pin.Visible()) << "pin " << k;
                const Rect at = k < q ? TForm_CountriesHard::PinPlace(targets[size_t(k - 1)])
                                      : ThemedHardLayout::TrayPin(k);
                EXPECT_EQ(pin.Left(), at.x) << "pin " << k;
                EXPECT_EQ(pin.Top(), at.y) << "pin " << k;
            }
        });
}

TEST_P(CountriesHardGame, TrayEmptyAfterTenPinsOnTheMap) {
    d.Open(59);
    std::vector<int> targets;
    for (int q = 1; q <= 10; ++q) {
        ASSERT_TRUE(WaitForQuestion());
        targets.push_back(g()->targetItem());
        Click(g()->targetPosition());
    }
    ASSERT_TRUE(d.WaitForState("ShowScore"));
    for (int k = 1; k <= 10; ++k) {
        const Rect at = TForm_CountriesHard::PinPlace(targets[size_t(k - 1)]);
        EXPECT_EQ(g()->Pin(k).Left(), at.x);
        EXPECT_EQ(g()->Pin(k).Top(), at.y);
        EXPECT_LT(g()->Pin(k).Top(), ThemedHardLayout::TrayPin(1).y) << "out of the tray";
    }
    EXPECT_FALSE(g()->Arm().Visible());
    ASSERT_TRUE(d.WaitForEnd());
}

TEST_P(CountriesHardGame, ThirdFilterLeavesOutTwelveAndTwentyFour) {
    d.config = "Filter3=1\r\n";
    d.Open(59);
    ASSERT_EQ(g()->itemCount(), 23);
    std::set<int> seen;
    for (int q = 1; q <= 10; ++q) {
        ASSERT_TRUE(WaitForQuestion());
        for (int p = 1; p <= 4; ++p)
            seen.insert(g()->ItemAtPosition(p));
        Click(g()->targetPosition());
    }
    EXPECT_EQ(seen.count(12), 0u);
    EXPECT_EQ(seen.count(24), 0u);
    EXPECT_EQ(seen.count(0), 0u);
    ASSERT_TRUE(d.WaitForEnd());
}

TEST_P(CountriesHardGame, QuitEarly) {
    d.Open(0);
    QuitEarly(59, 8, "TForm_CountriesMenu", [this](int p) { Click(p); });
}

// ---- The demo's scenes agree with where the games put things ----

Surface DemoPicture(const std::string& relative) {
    const std::string path = PathResolver::Resolve(test::DemoHome() + "\\data\\Interface\\" + relative);
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_FALSE(bytes.empty()) << path;
    return PictureDecoder::Decode(path, bytes.data(), bytes.size()).pixels;
}
uint32_t Rgb(const Surface& s, int x, int y) {
    return s.pixel(x, y) & 0xFFFFFF;
}

TEST(ThemedHardScenes, MapShowsEveryCountryWhereItsPinPoints) {
    Surface map = DemoPicture("Countries\\Hard\\CountriesHardBG.png");
    ASSERT_EQ(map.width(), 1024);
    for (int item = 1; item <= 24; ++item) {
        const Rect pin = TForm_CountriesHard::PinPlace(item);
        EXPECT_EQ(Rgb(map, pin.x + pin.w / 2, pin.y + pin.h), 0x3A2A1Au) << "country " << item;
    }
    EXPECT_EQ(Rgb(map, 100, 100), 0x4A90C8u) << "sea far from every country";
}

TEST(ThemedHardScenes, CarParkStallAndShelfStandWhereTheGamesUseThem) {
    namespace L = ThemedHardLayout;
    Surface park = DemoPicture("Colours\\Hard\\ColHardBG.png");
    for (const auto& [x, y] : L::kCarPlaces)
        EXPECT_EQ(Rgb(park, x + L::kSmallCarW / 2, y + L::kSmallCarH / 2), 0x5A5A60u) << x << "," << y;
    Surface stall = DemoPicture("Numbers\\Hard\\NumHardBG.png");
    for (int n = 1; n <= 20; ++n) {
        const Rect a = L::NumberArea(n);
        // Each area is a card of its own on the red stall.
        EXPECT_EQ(Rgb(stall, a.x + 1, a.y + 1), 0xFFF6E0u) << n;
        EXPECT_EQ(Rgb(stall, a.x - 2, a.y + a.h / 2), 0xC8503Cu) << n;
    }
    Surface shelf = DemoPicture("Time\\Hard\\TimeHardBG.png");
    for (int x = L::kShelfLeft; x <= L::kShelfRight; x += 53)
        EXPECT_EQ(Rgb(shelf, x, L::kShelfY + 4), 0x8A5A30u) << x;
}

} // namespace
} // namespace parlora
