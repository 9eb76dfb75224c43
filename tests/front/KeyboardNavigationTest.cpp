// The keyboard on the course's own screens: the focus ring changes only the focused button's pixels
// and a click takes it away again, Escape and F1 press a screen's way out and its help (which the
// keyboard closes too), a new screen starts with nothing focused, and the name box keeps its keys.
#include "display/DIBButtonStrip.h"
#include "display/DIBEdit.h"
#include "front/FormMenu.h"
#include "front/FormStart.h"
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

TEST(KeyboardNavigation, MessageAndExportDialogsTakeTheKeys) {
    test::DemoCourse c;
    c.Prepare();
    c.Start();
    // Message dialogs (answered by the script when headless, so driven here directly).
    auto ask = [](std::initializer_list<const char*> keys) {
        TMessageDialog dialog("Keep the changes?", MsgKind::Confirmation,
                              {MsgButton::Yes, MsgButton::No, MsgButton::Cancel}, {});
        InputEvent e;
        e.kind = InputEvent::Kind::KeyDown;
        for (const char* key : keys) {
            e.key = key;
            if (!dialog.finished()) dialog.HandleInput(e);
        }
        return dialog.result();
    };
    EXPECT_EQ(ask({"Return"}), MsgButton::Yes) << "without a ring Return takes the first button";
    EXPECT_EQ(ask({"Space"}), MsgButton::None) << "Space presses only what a ring shows";
    EXPECT_EQ(ask({"Tab", "Right", "Return"}), MsgButton::No);
    EXPECT_EQ(ask({"Shift+Tab", "Left", "Space"}), MsgButton::No);
    EXPECT_EQ(ask({"Tab", "Tab", "Tab", "Tab", "Return"}), MsgButton::Yes) << "Tab goes round";
    EXPECT_EQ(ask({"Right", "Right", "Right", "Right", "Space"}), MsgButton::Cancel) << "Right stops at the end";
    EXPECT_EQ(ask({"Tab", "Escape"}), MsgButton::Cancel);

    // The ring is drawn over the focused button and nowhere else.
    TMessageDialog dialog("Keep the changes?", MsgKind::Confirmation, {MsgButton::Yes, MsgButton::No}, {});
    Surface plain(1024, 768, 0xFF204060u), ringed(1024, 768, 0xFF204060u);
    dialog.Paint(plain);
    InputEvent tab;
    tab.kind = InputEvent::Kind::KeyDown;
    tab.key = "Shift+Tab";
    dialog.HandleInput(tab);
    dialog.Paint(ringed);
    const Rect ring = Difference(plain, ringed);
    ASSERT_FALSE(ring.empty());
    EXPECT_EQ(ringed.pixel(ring.x, ring.y), TDIBContainer::kFocusRingColour);
    EXPECT_EQ(ringed.pixel(ring.x + 2, ring.y + ring.h / 2), 0xFF000000u);
    EXPECT_GT(ring.x, 512) << "the second of two buttons, right of the middle";

    // Escape on the export dialog is its cancel button.
    auto* start = c.ScreenAs<TForm_StartNew>();
    ASSERT_NE(start, nullptr) << c.Screen();
    TCustomDIBControl* button = start->container().FindComponent("DIBBS_iPodLower");
    if (!button->Visible()) button = start->container().FindComponent("DIBBS_iPodUpper");
    const Rect b = button->BoundsRect();
    c.Mouse(InputEvent::Kind::MouseMove, b.x + b.w / 2, b.y + b.h / 2);
    c.Mouse(InputEvent::Kind::MouseDown, b.x + b.w / 2, b.y + b.h / 2);
    c.Mouse(InputEvent::Kind::MouseUp, b.x + b.w / 2, b.y + b.h / 2);
    c.QueueKey("Tab");
    c.QueueKey("Escape");
    c.Idle();
    EXPECT_EQ(c.Screen(), "TForm_StartNew");
    EXPECT_FALSE(start->container().FindComponent("DIBI_BlackMask")->Visible()) << "the dialog has closed";
}

} // namespace
} // namespace parlora
