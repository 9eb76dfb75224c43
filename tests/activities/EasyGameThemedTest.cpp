// The themed easy games (colours, body, numbers, time, shopping, countries) on the demo course:
// whole games with right and wrong clicks and their records, and the scene each game shows; every
// game is played with several seeds.
#include "activities/FormBodyEasy.h"
#include "activities/FormColoursEasy.h"
#include "activities/FormCountriesEasy.h"
#include "activities/FormNumbersEasy.h"
#include "activities/FormShoppingEasy.h"
#include "activities/FormTimeEasy.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImageStrip.h"
#include "media/KaCuedMCIMedia.h"
#include "tests/activities/EasyGameTestDriver.h"

#include <gtest/gtest.h>

#include <set>

namespace parlora {
namespace {

struct ThemedGame {
    const char* name;
    int code, topic;
    const char* prefix;
    const char* menu;
};

const ThemedGame kGames[] = {
    {"Colours", 28, 2, "CO", "TForm_ColoursMenu"},   {"Body", 38, 4, "FG", "TForm_BodyMenu"},
    {"Numbers", 43, 5, "SC", "TForm_NumbersMenu"},   {"Time", 48, 6, "T", "TForm_TimeMenu"},
    {"Shopping", 53, 7, "SH", "TForm_ShoppingMenu"}, {"Countries", 58, 8, "CY", "TForm_CountriesMenu"},
};

void PrintTo(const ThemedGame& g, std::ostream* os) {
    *os << g.name;
}

struct ThemedEasyTest : ::testing::Test {
    test::EasyGameDriver d;

    void Use(const ThemedGame& g) { d.prefix = g.prefix; }
    // The answer place showing `item`, or 0.
    int TagOf(int item) {
        for (int tag = 1; tag <= 4; ++tag)
            if (d.game()->ItemAtTag(tag) == item) return tag;
        return 0;
    }
    // The element of an answer place, found through the game's own cross placement.
    void ClickTag(int tag) {
        TForm_EasyGame* g = d.game();
        const char* names[] = {"DIBI_Colour%d", "DIBI_Item%d", "DIBIS_Hands%d", "DIBI_Flag%d"};
        for (const char* fmt : names)
            if (auto* e = dynamic_cast<TCustomDIBControl*>(g->container().FindComponent(Format(fmt, tag))))
                return d.ClickCentre(*e);
        ADD_FAILURE() << "no answer element " << tag;
    }
    // Waits for the question and its scene to settle; the asked item.
    int Asked() {
        EXPECT_TRUE(d.WaitForQuestion()) << d.StateName();
        d.course.Wait(300); // the places have changed
        EXPECT_TRUE(d.WaitForQuestion()) << d.StateName();
        return d.game() ? d.game()->targetItem() : 0;
    }
    void ClickWrong(int item) { ClickTag(TagOf(item) == 1 ? 2 : 1); }
    int PlayQuestion(int wrong) {
        int item = Asked();
        EXPECT_EQ(d.LastAskedItem(), item) << "the item asked is the one said";
        for (int i = 0; i < wrong; ++i) {
            ClickWrong(item);
            EXPECT_TRUE(d.WaitForQuestion()) << d.StateName();
            EXPECT_EQ(d.LastAskedItem(), item) << "asked again";
        }
        ClickTag(TagOf(item));
        return item;
    }
};

struct ThemedEasyGame : ThemedEasyTest, ::testing::WithParamInterface<std::tuple<ThemedGame, uint64_t>> {
    ThemedEasyGame() {
        Use(std::get<0>(GetParam()));
        d.UseSeed(std::get<1>(GetParam()));
    }
};

INSTANTIATE_TEST_SUITE_P(Games, ThemedEasyGame,
                         ::testing::Combine(::testing::ValuesIn(kGames),
                                            ::testing::ValuesIn(test::GameSeeds())),
                         [](const ::testing::TestParamInfo<std::tuple<ThemedGame, uint64_t>>& info) {
                             return std::string(std::get<0>(info.param).name) + "_seed" +
                                    std::to_string(std::get<1>(info.param));
                         });

TEST_P(ThemedEasyGame, TenQuestionsScoreAndRecords) {
    const ThemedGame& g = std::get<0>(GetParam());
    d.Open(g.code);
    ASSERT_NE(d.game(), nullptr);
    const std::vector<int> wrong{1, 0, 0, 2, 0, 1, 0, 0, 0, 0};
    const std::vector<int> expected = test::ExpectedScores(wrong);
    TWeightTable weights(d.course.main->weights().params());
    std::set<int> asked;
    for (size_t q = 0; q < wrong.size(); ++q) {
        ASSERT_TRUE(d.WaitForQuestion()) << "question " << q + 1;
        EXPECT_EQ(d.game()->score(), q == 0 ? 0 : expected[q - 1]);
        std::set<int> shown;
        for (int tag = 1; tag <= 4; ++tag)
            shown.insert(d.game()->ItemAtTag(tag));
        EXPECT_EQ(shown.size(), 4u) << "four different items";
        int item = PlayQuestion(wrong[q]);
        EXPECT_TRUE(asked.insert(item).second) << "asked twice: " << item;
        if (wrong[q] > 0)
            weights.IncreaseWeight(g.topic, item);
        else
            weights.DecreaseWeight(g.topic, item);
    }
    ASSERT_TRUE(d.WaitForState("ShowScore", 120000)) << d.StateName();
    EXPECT_EQ(d.game()->score(), 44);
    ASSERT_TRUE(d.WaitForEnd());
    EXPECT_EQ(d.course.Screen(), g.menu);
    EXPECT_EQ(d.course.main->records()->GetScore(g.topic, 2), 44);
    // "Game2" holds the easy game's score of every topic, in topic order; only this one is played.
    std::vector<std::string> game2;
    std::string all = d.RecordsValue("Game2");
    for (size_t at = 0; at <= all.size();) {
        size_t comma = std::min(all.find(',', at), all.size());
        game2.push_back(all.substr(at, comma - at));
        at = comma + 1;
    }
    ASSERT_GT(game2.size(), size_t(g.topic)) << all;
    for (size_t t = 0; t < game2.size(); ++t)
        EXPECT_EQ(game2[t], int(t) == g.topic ? "44" : "-1") << all;
    EXPECT_EQ(d.course.main->records()->Total(), 44);
    std::string savedWeights;
    weights.SaveWeights(g.topic, [&](const std::string&, const std::string& v) { savedWeights = v; });
    EXPECT_EQ(d.RecordsValue(Format("Weights%d", g.topic)), savedWeights);
}

TEST_P(ThemedEasyGame, QuitBeforeAnAnswerLeavesAtOnceAndAfterOneShowsTheScore) {
    const ThemedGame& g = std::get<0>(GetParam());
    d.Open(g.code);
    ASSERT_TRUE(d.WaitForQuestion());
    d.Quit();
    EXPECT_EQ(d.game(), nullptr);
    EXPECT_EQ(d.course.Screen(), g.menu);
    EXPECT_EQ(d.course.main->records()->GetScore(g.topic, 2), -1) << "nothing answered, nothing stored";

    d.course.Request(g.code);
    PlayQuestion(1);
    ASSERT_TRUE(d.WaitForState("IncScore"));
    d.Quit(); // the points still count; the next question passes through to the score
    ASSERT_TRUE(d.WaitForState("ShowScore")) << d.StateName();
    d.course.Wait(500);
    EXPECT_EQ(d.StateName(), "ShowScore") << "the question's moves must not cut the score disc short";
    ASSERT_TRUE(d.WaitForEnd());
    EXPECT_EQ(d.course.main->records()->GetScore(g.topic, 2), 5);
}

// ---- the scenes ----

template <class T> T* As(test::EasyGameDriver& d) {
    return d.course.ScreenAs<T>();
}

using ThemedSeeded = test::SeededGame<ThemedEasyTest>;
INSTANTIATE_TEST_SUITE_P(Seeds, ThemedSeeded, ::testing::ValuesIn(test::GameSeeds()), test::SeedName);

TEST_P(ThemedSeeded, NumbersCoinsAlwaysMatchTheScore) {
    Use(kGames[2]);
    d.Open(43);
    auto* numbers = As<TForm_NumbersEasy>(d);
    ASSERT_NE(numbers, nullptr);
    auto coinsMatch = [&](const char* when) {
        ASSERT_TRUE(d.WaitForQuestion()) << when;
        EXPECT_EQ(numbers->VisibleCoins(), numbers->score()) << when;
    };
    // Q1: wrong at 0 (no coin to lose), then right: 5.
    int item = Asked();
    ClickWrong(item);
    coinsMatch("wrong at 0");
    EXPECT_EQ(numbers->score(), 0);
    ClickTag(TagOf(item));
    // Q2: wrong at 5, 3 and 1 (one coin only), then right.
    item = Asked();
    coinsMatch("after a right answer");
    EXPECT_EQ(numbers->score(), 5);
    for (int expect : {3, 1, 0}) {
        size_t before = d.log().size();
        ClickWrong(item);
        coinsMatch("wrong click");
        EXPECT_EQ(numbers->score(), expect);
        int clicks = 0;
        for (size_t i = before; i < d.log().size(); ++i)
            clicks += d.log()[i].label.find("click.wav") != std::string::npos;
        EXPECT_EQ(clicks, expect == 0 ? 1 : 2) << "one click per coin lost";
    }
    ClickTag(TagOf(item));
    // Q3: right to 10.
    item = Asked();
    ClickTag(TagOf(item));
    // Q4 from 10: the five new coins stand on the card first, then go to the second heap.
    item = Asked();
    EXPECT_EQ(numbers->score(), 10);
    const int tag = TagOf(item);
    const Rect card = numbers->Element<TDIBImage>(Format("DIBI_Item%d", tag)).BoundsRect();
    const Rect heap2 = numbers->Element<TDIBImage>("DIBI_Heap2").BoundsRect();
    const Rect heap1 = numbers->Element<TDIBImage>("DIBI_Heap1").BoundsRect();
    // A coin stands centred on what it is put on, up to 5 pixels aside.
    auto standsOn = [](const Rect& coin, const Rect& on) {
        return std::abs((coin.x + coin.w / 2) - (on.x + on.w / 2)) <= 5;
    };
    ClickTag(tag);
    ASSERT_TRUE(d.WaitForState("Right")) << d.StateName();
    for (int k = 11; k <= 15; ++k) {
        EXPECT_TRUE(numbers->Coin(k).Visible()) << "coin " << k;
        EXPECT_TRUE(standsOn(numbers->Coin(k).BoundsRect(), card)) << "coin " << k << " on the card";
    }
    coinsMatch("after the points");
    EXPECT_EQ(numbers->score(), 15);
    for (int k = 11; k <= 15; ++k) {
        const Rect coin = numbers->Coin(k).BoundsRect();
        EXPECT_TRUE(standsOn(coin, heap2)) << "coin " << k << " on the second heap";
        EXPECT_FALSE(standsOn(coin, heap1)) << "coin " << k;
        // The heap grows upwards: each coin stands higher than the one before.
        if (k > 11) EXPECT_LT(coin.y, numbers->Coin(k - 1).Top()) << "coin " << k;
    }
    for (int k = 1; k <= 10; ++k)
        EXPECT_TRUE(standsOn(numbers->Coin(k).BoundsRect(), heap1)) << "coin " << k << " on the first heap";
    // Q5: wrong from 15 down to 1 and once more from 1, then right.
    item = Asked();
    for (int expect : {13, 11, 9, 7, 5, 3, 1, 0}) {
        ClickWrong(item);
        coinsMatch("wrong click");
        EXPECT_EQ(numbers->score(), expect);
    }
    ClickTag(TagOf(item));
    ASSERT_TRUE(d.WaitForState("IncScore"));
    EXPECT_EQ(numbers->VisibleCoins(), numbers->score() + 4) << "the five coins of the answer are out";
    coinsMatch("after the points");
    EXPECT_EQ(numbers->score(), 5);
}

TEST_P(ThemedSeeded, BodyPartsComeInTheOrderAsked) {
    Use(kGames[1]);
    d.Open(38);
    auto* body = As<TForm_BodyEasy>(d);
    ASSERT_NE(body, nullptr);
    std::vector<int> asked;
    for (int q = 1; q <= 10; ++q) {
        int item = PlayQuestion(q % 3 == 0 ? 1 : 0);
        asked.push_back(item);
        ASSERT_TRUE(d.WaitForState("IncScore")) << q;
        for (int n = 1; n <= 10; ++n)
            EXPECT_EQ(body->Element<TDIBImage>(Format("DIBI_Part%d", n)).Visible(),
                      std::count(asked.begin(), asked.end(), n) > 0)
                << "part " << n << " after question " << q;
        EXPECT_EQ(body->Element<TDIBImage>("DIBI_Trunk").Visible(),
                  std::count(asked.begin(), asked.end(), 2) > 0);
    }
    std::set<int> all(asked.begin(), asked.end());
    EXPECT_EQ(all.size(), 10u) << "every part once";
    // The spark, then the film; its end leads to the score.
    ASSERT_TRUE(d.WaitForState("Frank"));
    EXPECT_TRUE(body->film().MediaIsPlaying());
    EXPECT_TRUE(body->Element<TCustomDIBControl>("KaCM_Frank").Visible());
    test::Shot(d.course, "/tmp/games-body-frank.png");
    ASSERT_TRUE(d.WaitForState("ShowScore", 20000)) << d.StateName();
    EXPECT_FALSE(body->film().MediaIsOpen());
    ASSERT_TRUE(d.WaitForEnd());
    EXPECT_EQ(d.course.main->records()->GetScore(4, 2), 44);
}

TEST_P(ThemedSeeded, BodyActorsTakeTheKeysAsTheirClicks) {
    Use(kGames[1]);
    d.Open(38);
    auto* body = As<TForm_BodyEasy>(d);
    ASSERT_NE(body, nullptr);
    ASSERT_TRUE(d.WaitForQuestion());
    const int item = d.LastAskedItem();
    // The actors are painted in the background; each still takes the focus, and a key press on
    // one has that actor say the word again, as a click there does.
    for (const char* who : {"Female", "Male"}) {
        const std::string name = std::string("DIBI_") + who + "Area";
        for (int i = 0; i < 20 && (!body->container().Focused() || body->container().Focused()->Name != name);
             ++i)
            d.course.Key("Tab");
        ASSERT_NE(body->container().Focused(), nullptr);
        ASSERT_EQ(body->container().Focused()->Name, name);
        d.course.Key("Return");
        std::string speaker;
        EXPECT_EQ(d.LastAskedItem(&speaker), item);
        EXPECT_EQ(speaker, std::string(1, who[0])) << who;
        ASSERT_TRUE(d.WaitForQuestion());
    }
    EXPECT_EQ(body->question(), 1) << "saying the word again answers nothing";
}

TEST_P(ThemedSeeded, BodyWithoutItsFilmShowsTheErrorAndQuitLeaves) {
    Use(kGames[1]);
    d.Open(38, {"target=3", "source=1"},
           [this] { test::RemoveCourseFile(d.course, "data/Interface/body/easy/FrankCP.avi"); });
    ::testing::internal::CaptureStderr();
    for (int q = 1; q <= 10; ++q)
        PlayQuestion(0);
    d.course.main->queueDialogAnswer("Ignore");
    ASSERT_TRUE(d.WaitForState("Frank"));
    d.course.Wait(5000);
    std::string err = ::testing::internal::GetCapturedStderr();
    for (const std::string& m : d.course.platform.headlessDisplay().nativeMessages())
        err += m;
    EXPECT_NE(err.find("MCI Error: "), std::string::npos) << err;
    EXPECT_EQ(d.StateName(), "Frank") << "the game waits for the film";
    d.Quit();
    ASSERT_TRUE(d.WaitForEnd(5000)) << d.StateName();
    EXPECT_EQ(d.course.Screen(), "TForm_BodyMenu");
    EXPECT_EQ(d.course.main->records()->GetScore(4, 2), 50);
}

TEST_P(ThemedSeeded, TimeArmReachesAcrossAndClocksTurnTogether) {
    Use(kGames[3]);
    d.Open(48);
    auto* time = As<TForm_TimeEasy>(d);
    ASSERT_NE(time, nullptr);
    auto& arm = time->Element<TDIBImage>("DIBI_BigArm");
    for (int q = 1; q <= 10; ++q) {
        int item = Asked();
        std::string speaker;
        EXPECT_EQ(d.LastAskedItem(&speaker), item);
        EXPECT_EQ(speaker, "F") << "the female speaker asks";
        for (int tag = 1; tag <= 4; ++tag)
            EXPECT_EQ(time->Element<TDIBImageStrip>(Format("DIBIS_Hands%d", tag)).FrameIndex(),
                      TForm_TimeEasy::FrameOfHour(time->ItemAtTag(tag)));
        ClickTag(TagOf(item));
        ASSERT_TRUE(d.WaitForState("IncScore"));
        EXPECT_EQ(arm.Width(), TForm_TimeEasy::kArmWidths[q - 1]);
        EXPECT_EQ(arm.Left() + arm.Width(), 1009);
    }
    EXPECT_EQ(arm.Left(), 19);
    EXPECT_EQ(arm.Width(), 990);
    test::Shot(d.course, "/tmp/games-time-arm.png");
    ASSERT_TRUE(d.WaitForState("ThumbsUp"));
    EXPECT_TRUE(time->Element<TDIBImage>("DIBI_ThumbUp").Visible());
    ASSERT_TRUE(d.WaitForState("ShowScore"));
    EXPECT_TRUE(time->Element<TDIBImage>("DIBI_ThumbUp").Visible());
}

TEST_P(ThemedSeeded, ShoppingArticleRidesToItsConveyorPlace) {
    Use(kGames[4]);
    d.Open(53);
    auto* shop = As<TForm_ShoppingEasy>(d);
    ASSERT_NE(shop, nullptr);
    for (int q = 1; q <= 10; ++q) {
        PlayQuestion(q == 4 ? 1 : 0);
        ASSERT_TRUE(d.WaitForState("Belt"));
        auto& place = shop->Element<TDIBImage>(Format("DIBI_Shel%d", q));
        EXPECT_TRUE(place.Visible());
        EXPECT_LT(place.Left(), TForm_ShoppingEasy::PlaceLeft(q)) << "it comes in from the left";
        ASSERT_TRUE(d.WaitForState("IncScore"));
        EXPECT_EQ(place.Left(), TForm_ShoppingEasy::PlaceLeft(q)) << q;
        for (int n = q + 1; n <= 10; ++n)
            EXPECT_FALSE(shop->Element<TDIBImage>(Format("DIBI_Shel%d", n)).Visible());
    }
    ASSERT_TRUE(d.WaitForState("Wizz"));
    EXPECT_TRUE(shop->Element<TDIBImage>("DIBI_Drawer").Visible());
    ASSERT_TRUE(d.WaitForState("ShowScore"));
    EXPECT_FALSE(shop->Element<TDIBImage>("DIBI_Drawer").Visible());
    for (int n = 1; n <= 10; ++n)
        EXPECT_GE(shop->Element<TDIBImage>(Format("DIBI_Shel%d", n)).Left(), 1009) << "off the belt";
}

TEST_P(ThemedSeeded, CountriesFilterLeavesOutTwelveAndTwentyFour) {
    Use(kGames[5]);
    d.config = "Filter3=1\r\n";
    d.Open(58);
    auto* countries = As<TForm_CountriesEasy>(d);
    ASSERT_NE(countries, nullptr);
    for (size_t i = 0; i + 1 < countries->fullPool().size(); i += 2) {
        EXPECT_NE(countries->fullPool().substr(i, 2), "12");
        EXPECT_NE(countries->fullPool().substr(i, 2), "24");
    }
    EXPECT_EQ(countries->fullPool().size(), 44u);
    auto& screen = countries->Element<TDIBImage>("DIBI_Screen");
    const int up = screen.OffsetY();
    for (int q = 1; q <= 10; ++q) {
        int item = Asked();
        for (int tag = 1; tag <= 4; ++tag) {
            EXPECT_NE(countries->ItemAtTag(tag), 12);
            EXPECT_NE(countries->ItemAtTag(tag), 24);
        }
        EXPECT_TRUE(countries->Element<TDIBImage>("DIBI_Map").Visible());
        // Answered on the button under the flag.
        for (int place = 1; place <= 4; ++place)
            if (countries->FlagAtPlace(place) == TagOf(item))
                d.ClickCentre(countries->Element<TDIBButtonStrip>(Format("DIBBS_Button%d", place)));
        ASSERT_TRUE(d.WaitForState("IncScore"));
        EXPECT_EQ(screen.OffsetY(), 0) << "the screen is down";
    }
    ASSERT_TRUE(d.WaitForState("ShowScore"));
    EXPECT_EQ(screen.OffsetY(), up) << "rolled up again";
    EXPECT_EQ(countries->score(), 50);
}

TEST_P(ThemedSeeded, ColoursBrushPaintsTheCar) {
    Use(kGames[0]);
    d.Open(28);
    auto* colours = As<TForm_ColoursEasy>(d);
    ASSERT_NE(colours, nullptr);
    int item = PlayQuestion(0);
    const Rect pot = colours->Element<TDIBImage>(Format("DIBI_Colour%d", TagOf(item))).BoundsRect();
    ASSERT_TRUE(d.WaitForState("Paint1"));
    auto& brush = colours->Element<TDIBImage>("DIBI_Brush");
    EXPECT_TRUE(brush.Visible());
    EXPECT_EQ(brush.Left() + brush.Width(), pot.x + pot.w / 2);
    EXPECT_EQ(brush.Top() + brush.Height(), pot.y + pot.h / 2);
    ASSERT_TRUE(d.WaitForState("IncScore"));
    auto& car = colours->Element<TDIBImage>("DIBI_Picture");
    EXPECT_TRUE(car.Visible());
    EXPECT_EQ(brush.Left() + brush.Width(), car.Left() + car.Width() / 2);
    test::Shot(d.course, "/tmp/games-colours-car.png");
}

TEST_P(ThemedSeeded, NumbersCoinsAreLockedInTheSafe) {
    Use(kGames[2]);
    d.Open(43);
    auto* numbers = As<TForm_NumbersEasy>(d);
    ASSERT_NE(numbers, nullptr);
    for (int q = 1; q <= 10; ++q)
        PlayQuestion(0);
    ASSERT_TRUE(d.WaitForState("Safe1"));
    auto& safe = numbers->Element<TDIBImageStrip>("DIBIS_Safe");
    EXPECT_TRUE(safe.Visible());
    EXPECT_EQ(numbers->VisibleCoins(), 50);
    ASSERT_TRUE(d.WaitForState("ShowScore"));
    EXPECT_EQ(safe.FrameIndex(), 6) << "the door shut on the coins";
    EXPECT_FALSE(safe.Visible());
    EXPECT_EQ(numbers->VisibleCoins(), 0);
}

TEST_P(ThemedSeeded, TimeFemaleSpeakerRepeatsTheMaleOneIsSilent) {
    Use(kGames[3]);
    d.Open(48);
    auto* time = As<TForm_TimeEasy>(d);
    ASSERT_NE(time, nullptr);
    int item = Asked();
    d.course.Wait(3000);
    size_t before = d.log().size();
    time->SpeakerClicked(TForm_Screen::kMale);
    d.course.Wait(100);
    EXPECT_EQ(d.log().size(), before) << "the male speaker is not in this game";
    time->SpeakerClicked(TForm_Screen::kFemale);
    ASSERT_TRUE(d.WaitForQuestion());
    ASSERT_GT(d.log().size(), before);
    std::string speaker;
    EXPECT_EQ(d.LastAskedItem(&speaker), item);
    EXPECT_EQ(speaker, "F");
}

} // namespace
} // namespace parlora
