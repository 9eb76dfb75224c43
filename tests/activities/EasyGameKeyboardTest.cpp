// An easy game played with the keyboard: the answers are pressed with Return and Space exactly when
// a click would count, so a press while the game is not waiting for an answer changes nothing, a
// wrong one costs what a wrong click costs, and the right one moves the game on. Several seeds.
#include "activities/FormWordsEasy.h"
#include "tests/activities/EasyGameTestDriver.h"

#include <gtest/gtest.h>

namespace parlora {
namespace {

struct WordsEasyKeys : ::testing::Test {
    test::EasyGameDriver d;
    WordsEasyKeys() {
        d.prefix = "FW";
        d.gameClass = "TForm_WordsEasy";
    }
    TForm_WordsEasy* words() { return d.course.ScreenAs<TForm_WordsEasy>(); }
    TCustomDIBControl* Focused() { return words()->container().Focused(); }
    // Up to the top answer, then down to the answer with `tag` (5 to 8).
    void FocusAnswer(int tag) {
        for (int i = 0; i < 3; ++i)
            d.course.Key("Up");
        for (int i = 5; i < tag; ++i)
            d.course.Key("Down");
    }
};
using WordsEasyKeysSeeded = test::SeededGame<WordsEasyKeys>;
INSTANTIATE_TEST_SUITE_P(Seeds, WordsEasyKeysSeeded, ::testing::ValuesIn(test::GameSeeds()), test::SeedName);

TEST_P(WordsEasyKeysSeeded, PressesCountOnlyWhenAClickWouldCount) {
    d.Open(17);
    ASSERT_NE(words(), nullptr);
    ASSERT_TRUE(d.WaitForQuestion());
    d.course.Key("Tab");
    ASSERT_NE(Focused(), nullptr);
    EXPECT_EQ(Focused()->Name, "DIBI_Word5") << "the top answer comes first";

    const int right = words()->TagOfItem(d.LastAskedItem());
    const int wrong = right == 5 ? 6 : 5;
    FocusAnswer(wrong);
    EXPECT_EQ(Focused()->Name, Format("DIBI_Word%d", wrong));
    d.course.Key("Return");
    EXPECT_NE(d.StateName(), "SayWord") << "a wrong answer by key";
    // Meanwhile the game waits for nothing: a press is ignored, as a click would be.
    ASSERT_TRUE(d.WaitForState("No"));
    d.course.Key("Space");
    EXPECT_EQ(d.StateName(), "No");

    ASSERT_TRUE(d.WaitForQuestion());
    EXPECT_EQ(words()->question(), 1);
    EXPECT_EQ(words()->score(), 0) << "the wrong press cost its points, not below nothing";
    FocusAnswer(right);
    d.course.Key("Space");
    EXPECT_EQ(d.StateName(), "Right");
    ASSERT_TRUE(d.WaitForQuestion());
    EXPECT_EQ(words()->question(), 2);
    EXPECT_EQ(words()->score(), 5);
    // The ring is still on an answer of the new question; Escape leaves the game as Quit does.
    EXPECT_TRUE(words()->container().FocusRingShown());
    d.course.Key("Escape");
    ASSERT_TRUE(d.WaitForEnd());
    EXPECT_EQ(d.course.Screen(), "TForm_WordsMenu");
    EXPECT_EQ(d.RecordsValue("Game2").substr(0, 2), "5,");
}

} // namespace
} // namespace parlora
