// The export dialog on the start screen: its buttons open and close it over the darkened screen,
// and pictures of it, idle and part-way, for a person to look at.
#include "export/FormIPod.h"

#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "front/FormStart.h"
#include "tests/support/DemoCourse.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace parlora {
namespace {

using test::DemoCourse;

void Press(DemoCourse& c, int x, int y) {
    c.Mouse(InputEvent::Kind::MouseMove, x, y);
    c.Mouse(InputEvent::Kind::MouseDown, x, y);
    c.Mouse(InputEvent::Kind::MouseUp, x, y);
}

TEST(ExportDialog, TheStartScreensButtonOpensItAndCancelClosesItAgain) {
    DemoCourse c;
    c.Prepare();
    c.Start();
    auto* start = c.ScreenAs<TForm_StartNew>();
    ASSERT_NE(start, nullptr) << c.Screen();
    TCustomDIBControl* button = start->container().FindComponent("DIBBS_iPodLower");
    if (!button->Visible()) button = start->container().FindComponent("DIBBS_iPodUpper");
    ASSERT_TRUE(button->Visible());
    Rect b = button->BoundsRect();
    // Both clicks wait in the queue: the second lands on the dialog's cancel button, which closes
    // it at once when no export runs.
    Press(c, b.x + b.w / 2, b.y + b.h / 2);
    Press(c, 282 + 30, 514 + 12 + 30);
    c.Idle();
    EXPECT_EQ(c.Screen(), "TForm_StartNew");
    EXPECT_FALSE(start->container().FindComponent("DIBI_BlackMask")->Visible());
    EXPECT_TRUE(start->container().FindComponent("ListBox_Lang")->Visible());
}

TEST(ExportDialog, PicturesOfTheDialogIdleAndPartWay) {
    DemoCourse c;
    c.Prepare();
    c.Start({"target=3", "source=1"});
    auto* start = c.ScreenAs<TForm_StartNew>();
    ASSERT_NE(start, nullptr);
    start->container().FindComponent("DIBI_BlackMask")->SetVisible(true);
    Surface screen = c.Shot();
    std::string out = std::string(PARLORA_BINARY_DIR) + "/export-shots";
    std::filesystem::create_directories(out);
    PortablePlayer player{c.tmp / "player", c.tmp / "player/Music", "WALKMAN"};
    test::MakeDirs(player.musicDir);
    TForm_iPod dialog(*c.main, 282, 514, {c.tmp / "Music", {player}});
    Surface idle = screen;
    dialog.Paint(idle);
    idle.savePng(out + "/export-idle.png");
    // Red is see-through: the screen shows in the dialog's corners.
    EXPECT_EQ(idle.pixel(282 + 2, 514 + 2), screen.pixel(282 + 2, 514 + 2));
    EXPECT_NE(idle.pixel(282 + 200, 514 + 20), screen.pixel(282 + 200, 514 + 20));
    dialog.DIBBS_iTunesClick();
    while (dialog.exporting() &&
           (dialog.job()->Maximum() == 0 || dialog.job()->Position() * 3 < dialog.job()->Maximum()))
        c.Wait(5);
    ASSERT_TRUE(dialog.exporting());
    ASSERT_GT(dialog.job()->Maximum(), 0) << dialog.job()->Position();
    Surface partWay = screen;
    dialog.Paint(partWay);
    partWay.savePng(out + "/export-part-way.png");
    // The bar is filled about a third of the way.
    Rect bar = TForm_iPod::kProgress;
    int y = 514 + bar.y + bar.h / 2;
    EXPECT_NE(partWay.pixel(282 + bar.x + 5, y), idle.pixel(282 + bar.x + 5, y));
    EXPECT_EQ(partWay.pixel(282 + bar.x + bar.w - 5, y), idle.pixel(282 + bar.x + bar.w - 5, y));
    c.main->queueDialogAnswer("Yes");
    dialog.DIBBS_CancelClick();
    EXPECT_EQ(dialog.result(), TForm_iPod::Result::Cancelled);
}

} // namespace
} // namespace parlora
