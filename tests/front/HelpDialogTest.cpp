// The help dialog every screen opens: a screen change closes it, and it shows text as well.
#include "shell/HelpDialog.h"
#include "tests/support/DemoCourse.h"

#include <gtest/gtest.h>

namespace parlora {
namespace {

TEST(HelpDialog, AScreenRequestClosesItAndThenTakesPlace) {
    test::DemoCourse course;
    course.Prepare();
    course.Start({}, 9);
    ASSERT_EQ(course.Screen(), "TForm_Menu");
    // What the classroom network does while the learner reads a help page.
    course.main->dispatcher().post([&] { course.main->RequestScreen(14, 0); });
    course.main->ShowHelpPicture(4);
    EXPECT_FALSE(course.main->helpShowing());
    course.Idle();
    EXPECT_EQ(course.Screen(), "TForm_WordsMenu");
}

TEST(HelpDialog, ShowsTextAndItsExitButtonClosesIt) {
    test::DemoCourse course;
    course.Prepare();
    course.Start({}, 9);
    const Rect box{(1024 - THelpDlg::kWidth) / 2, (768 - THelpDlg::kHeight) / 2, THelpDlg::kWidth,
                   THelpDlg::kHeight};
    Surface during;
    course.main->dispatcher().post([&] {
        during = course.platform.headlessDisplay().framebuffer();
        course.Mouse(InputEvent::Kind::MouseDown, box.x + 235, box.y + 356);
        course.Mouse(InputEvent::Kind::MouseUp, box.x + 235, box.y + 356);
    });
    course.main->ShowHelpText("Zoë, ¿dónde está el gato?");
    EXPECT_FALSE(course.main->helpShowing());
    course.Idle();
    EXPECT_EQ(course.Screen(), "TForm_Menu");
}

} // namespace
} // namespace parlora
