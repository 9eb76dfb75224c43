// The keyboard on the course's own screens: the focus ring changes only the focused button's pixels
// and a click takes it away again, Escape and F1 press a screen's way out and its help (which the
// keyboard closes too), a new screen starts with nothing focused, and the name box keeps its keys.
#include "display/DIBButtonStrip.h"
#include "display/DIBEdit.h"
#include "front/FormMenu.h"
#include "tests/support/DemoCourse.h"
#include "users/FormTypeName.h"

#include <gtest/gtest.h>

namespace parlora {
namespace {

// The smallest rectangle that holds every pixel in which the two pictures differ.
Rect Difference(const Surface& a, const Surface& b) {
    Rect all;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) all = all.unite({x, y, 1, 1});
    return all;
}

TEST(KeyboardNavigation, TheRingChangesOnlyTheFocusedButtonAndAClickRestoresThePicture) {
    test::DemoCourse c;
    c.Prepare();
    c.Start({}, 9);
    ASSERT_EQ(c.Screen(), "TForm_Menu");
    auto* menu = c.ScreenAs<TForm_Menu>();
    c.Move(1000, 60);
    Surface before = c.Shot();
    EXPECT_EQ(menu->container().Focused(), nullptr) << "nothing is focused until Tab";

    c.Key("Tab");
    const TCustomDIBControl& award = menu->Element<TDIBButtonStrip>("DIBBS_Award");
    ASSERT_EQ(menu->container().Focused(), &award);
    Surface ring = c.Shot();
    EXPECT_EQ(Difference(before, ring), award.BoundsRect());
    EXPECT_EQ(ring.pixel(award.Left(), award.Top()), TDIBContainer::kFocusRingColour);
    EXPECT_EQ(ring.pixel(award.Left() + 2, award.Top() + award.Height() / 2), 0xFF000000u);

    // Shift+Tab goes round to the last button; a click on the background takes the ring away and
    // leaves the very picture the screen had before any key.
    c.Key("Shift+Tab");
    EXPECT_EQ(menu->container().Focused()->Name, "DIBBS_Exit");
    c.Click(1000, 60);
    EXPECT_FALSE(menu->container().FocusRingShown());
    Surface after = c.Shot();
    EXPECT_TRUE(Difference(before, after).empty());
    // Return without a ring in sight presses nothing.
    c.Key("Return");
    EXPECT_EQ(c.Screen(), "TForm_Menu");
}

TEST(KeyboardNavigation, EscapeLeavesF1OpensTheHelpAndTheKeyboardClosesIt) {
    test::DemoCourse c;
    c.Prepare();
    c.Start({}, 9);
    c.Request(14);
    ASSERT_EQ(c.Screen(), "TForm_WordsMenu");
    // F1 opens the help; the Escape after it closes the help and never reaches the screen.
    InputEvent key;
    for (const char* name : {"F1", "Escape"}) {
        key.key = name;
        key.kind = InputEvent::Kind::KeyDown;
        c.main->dispatcher().queueInput(key);
        key.kind = InputEvent::Kind::KeyUp;
        c.main->dispatcher().queueInput(key);
    }
    c.Idle();
    EXPECT_FALSE(c.main->helpShowing());
    EXPECT_EQ(c.Screen(), "TForm_WordsMenu");
    // Now Escape is the screen's: back to the main menu, where nothing is focused yet.
    c.Key("Escape");
    ASSERT_EQ(c.Screen(), "TForm_Menu");
    EXPECT_EQ(c.ScreenAs<TForm_Menu>()->container().Focused(), nullptr);
    // The arrows start from the first button in reading order.
    c.Key("Down");
    EXPECT_EQ(c.ScreenAs<TForm_Menu>()->container().Focused()->Name, "DIBBS_Award");
}

TEST(KeyboardNavigation, TheNameBoxKeepsItsKeysWhileTheRingShows) {
    test::DemoCourse c;
    c.Prepare();
    c.Start({}, 2);
    auto* type = c.ScreenAs<TForm_TypeName>();
    ASSERT_NE(type, nullptr) << c.Screen();
    type->edit().SetText("");
    c.Type("Ann");
    c.Key("Tab");
    ASSERT_TRUE(type->container().FocusRingShown());
    TCustomDIBControl* focused = type->container().Focused();
    ASSERT_NE(focused, nullptr);
    // A space arrives as its key and as text: only the text counts, in the box, and no button is
    // pressed.
    c.Key("Space");
    c.Type(" ");
    c.Type("Lee");
    EXPECT_EQ(type->edit().Text(), "Ann Lee");
    EXPECT_EQ(c.Screen(), "TForm_TypeName");
    // The caret keys and BackSpace still edit, and leave the focus where it was.
    c.Key("Left");
    c.Key("BackSpace");
    EXPECT_EQ(type->edit().Text(), "Ann Le");
    EXPECT_EQ(type->container().Focused(), focused);
    // Escape is the screen's exit.
    c.Key("Escape");
    EXPECT_NE(c.Screen(), "TForm_TypeName");
}

} // namespace
} // namespace parlora
