// Every topic menu's easy and hard game buttons lead to a working game: the walk clicks each of
// them on the demo course and expects the game's own screen, never a placeholder.
#include "front/FrontLayout.h"
#include "shell/Screen.h"
#include "tests/activities/HardGameTestDriver.h"

#include <gtest/gtest.h>

namespace parlora {
namespace {

struct Topic {
    int menu;
    const char* menuClass;
    const char* easyClass;
    const char* hardClass;
};
constexpr Topic kTopics[] = {
    {14, "TForm_WordsMenu", "TForm_WordsEasy", "TForm_WordsHard"},
    {20, "TForm_FoodMenu", "TForm_FoodEasy", "TForm_FoodHard"},
    {25, "TForm_ColoursMenu", "TForm_ColoursEasy", "TForm_ColoursHard"},
    {30, "TForm_PhrasesMenu", "TForm_WordsEasy", "TForm_WordsHard"},
    {35, "TForm_BodyMenu", "TForm_BodyEasy", "TForm_FoodHard"},
    {40, "TForm_NumbersMenu", "TForm_NumbersEasy", "TForm_NumbersHard"},
    {45, "TForm_TimeMenu", "TForm_TimeEasy", "TForm_TimeHard"},
    {50, "TForm_ShoppingMenu", "TForm_ShoppingEasy", "TForm_FoodHard"},
    {55, "TForm_CountriesMenu", "TForm_CountriesEasy", "TForm_CountriesHard"},
};

TEST(TopicMenuWalk, EveryGameButtonOpensItsGame) {
    test::HardGameDriver d;
    d.Open(0);
    for (const Topic& t : kTopics) {
        for (const bool hard : {false, true}) {
            const Rect button = hard ? FrontLayout::kTopicHard : FrontLayout::kTopicEasy;
            d.course.Request(t.menu);
            ASSERT_EQ(d.course.Screen(), t.menuClass);
            d.course.Wait(600);
            d.course.Click(button.x + button.w / 2, button.y + button.h / 2);
            d.course.Wait(100);
            EXPECT_EQ(d.course.Screen(), hard ? t.hardClass : t.easyClass) << "from " << t.menuClass;
            EXPECT_EQ(d.course.ScreenAs<TPlaceholderScreen>(), nullptr)
                << (hard ? t.hardClass : t.easyClass) << " is not built";
        }
    }
}

} // namespace
} // namespace parlora
