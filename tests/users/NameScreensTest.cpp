#include "display/DIBButtonStrip.h"
#include "display/DIBEdit.h"
#include "display/DIBImage.h"
#include "tests/support/DemoCourse.h"
#include "users/FormChooseName.h"
#include "users/FormTypeName.h"

#include <gtest/gtest.h>

namespace parlora::test {
namespace {

// Points on the name screens.
constexpr int kListX = 420, kListY = 143;
constexpr int kOkX = 795, kOkY = 482;
constexpr int kDownX = 620, kDownY = 330;

int RowY(int row) {
    return kListY + row * 18 + 9;
}

struct NameScreens : ::testing::Test {
    DemoCourse course;
    void SetUp() override {
        course.Prepare();
        course.Start({}, 2);
    }
    TRecordsStore& records() { return *course.main->records(); }
    // The choice screen over `names` (added to whatever the records hold).
    TForm_ChooseName& Choose(const std::vector<std::string>& names) {
        for (const auto& n : names)
            EXPECT_TRUE(records().AddStudent(n));
        course.Request(2);
        auto* screen = course.ScreenAs<TForm_ChooseName>();
        EXPECT_NE(screen, nullptr) << course.Screen();
        return *screen;
    }
    static std::vector<std::string> Students(int n) {
        std::vector<std::string> v;
        for (int i = 1; i <= n; ++i)
            v.push_back("Student" + std::to_string(100 + i));
        return v;
    }
};

TEST_F(NameScreens, FirstStudentIsTypedThenChosenOnTheNextRun) {
    auto* type = course.ScreenAs<TForm_TypeName>();
    ASSERT_NE(type, nullptr) << course.Screen();
    EXPECT_EQ(type->mode(), 1);
    EXPECT_EQ(type->edit().Text(), "Test User");
    EXPECT_TRUE(type->okButton().Enabled());
    course.Key("Return");
    // The first use of a new student shows the welcome screen.
    EXPECT_EQ(course.Screen(), "TForm_NewUser");
    EXPECT_EQ(records().CurrentStudent(), "Test User");
    EXPECT_EQ(records().ReadStudentInt("Sessions", 0), 1);

    course.main.reset();
    course.Start({}, 2);
    auto* choose = course.ScreenAs<TForm_ChooseName>();
    ASSERT_NE(choose, nullptr) << course.Screen();
    // The only student is chosen already.
    EXPECT_EQ(choose->count(), 1);
    EXPECT_EQ(choose->selected(), 1);
    EXPECT_TRUE(choose->okButton().Enabled());
    course.DblClick(kListX, RowY(0));
    EXPECT_EQ(course.Screen(), "TForm_Menu");
    EXPECT_EQ(records().ReadStudentInt("Sessions", 0), 2);
}

TEST_F(NameScreens, WithoutWelcomeScreenTheMenuFollowsAtOnce) {
    course.main->settings().NewUser = false;
    course.Key("Return");
    EXPECT_EQ(course.Screen(), "TForm_Menu");
}

TEST_F(NameScreens, ClickingRowsSelectsAndTypingClearsTheSelection) {
    TForm_ChooseName& s = Choose({"Anna", "Ben", "Carla"});
    EXPECT_EQ(s.selected(), 0);
    EXPECT_FALSE(s.okButton().Enabled());
    course.Click(kListX, RowY(1));
    EXPECT_EQ(s.selected(), 2);
    EXPECT_TRUE(s.okButton().Enabled());
    // Below the last student nothing happens.
    course.Click(kListX, RowY(5));
    EXPECT_EQ(s.selected(), 2);

    course.Type("D");
    EXPECT_EQ(s.selected(), 0);
    EXPECT_TRUE(s.okButton().Enabled());
    course.Key("BackSpace");
    EXPECT_FALSE(s.okButton().Enabled());
    course.Type("Dora");
    course.Click(kOkX, kOkY);
    EXPECT_EQ(records().CurrentStudent(), "Dora");
    EXPECT_EQ(course.Screen(), "TForm_NewUser");
    EXPECT_EQ(records().students().size(), 4u);
}

TEST_F(NameScreens, ChosenRowIsDrawnInRed) {
    TForm_ChooseName& s = Choose({"Anna", "Ben"});
    course.Click(kListX, RowY(1));
    ASSERT_EQ(s.selected(), 2);
    const Surface& shot = course.Shot();
    int red = 0, black = 0;
    for (int x = 398; x < 586; ++x) {
        for (int y = kListY; y < kListY + 18; ++y)
            black += (shot.pixel(x, y) & 0xFFFFFF) == 0;
        for (int y = kListY + 18; y < kListY + 36; ++y)
            red += (shot.pixel(x, y) & 0xFFFFFF) == 0xFF0000;
    }
    EXPECT_GT(red, 20);
    EXPECT_GT(black, 20);
}

TEST_F(NameScreens, ExistingNameInOtherCaseBeepsAndEmptiesTheBox) {
    TForm_ChooseName& s = Choose({"Anna", "Ben"});
    int beeps = course.platform.headlessDisplay().beeps();
    course.Type("aNNA");
    course.Key("Return");
    EXPECT_EQ(course.platform.headlessDisplay().beeps(), beeps + 1);
    EXPECT_EQ(course.Screen(), "TForm_ChooseName");
    EXPECT_EQ(s.edit().Text(), "");
    EXPECT_EQ(records().students().size(), 2u);
    // A name that would break the records file is refused the same way.
    course.Type("Bad]Name");
    course.Click(kOkX, kOkY);
    EXPECT_EQ(course.platform.headlessDisplay().beeps(), beeps + 2);
    EXPECT_EQ(course.Screen(), "TForm_ChooseName");
}

TEST_F(NameScreens, ScrollButtonsFollowTheNumberOfStudents) {
    TForm_ChooseName& twelve = Choose(Students(12));
    EXPECT_FALSE(twelve.Element<TDIBButtonStrip>("DIBBS_Up").Enabled());
    EXPECT_FALSE(twelve.Element<TDIBButtonStrip>("DIBBS_Down").Enabled());

    TForm_ChooseName& s = Choose({"Zed"});
    EXPECT_EQ(s.count(), 13);
    EXPECT_TRUE(s.Element<TDIBButtonStrip>("DIBBS_Down").Enabled());
    course.Click(kDownX, kDownY);
    course.Wait(500);
    EXPECT_EQ(s.top(), 2);
    EXPECT_EQ(s.Element<TDIBImage>("DIBI_List").OffsetY(), 18);
    EXPECT_FALSE(s.Element<TDIBButtonStrip>("DIBBS_Down").Enabled());
    EXPECT_TRUE(s.Element<TDIBButtonStrip>("DIBBS_Up").Enabled());
    // Rows count from the first one shown.
    course.Click(kListX, RowY(11));
    EXPECT_EQ(s.selected(), 13);
}

TEST_F(NameScreens, HoldingDownScrollsFasterAndFaster) {
    TForm_ChooseName& s = Choose(Students(20));
    course.Mouse(InputEvent::Kind::MouseMove, kDownX, kDownY);
    course.Mouse(InputEvent::Kind::MouseDown, kDownX, kDownY);
    course.Idle();
    EXPECT_EQ(s.top(), 2);
    // Rows start at 0, 400, 700, 900, 1000 and 1100 ms.
    const std::pair<uint64_t, int> steps[] = {{390, 2}, {20, 3}, {280, 3}, {20, 4}, {180, 4},
                                              {20, 5},  {80, 5}, {20, 6},  {80, 6}, {20, 7}};
    for (auto [ms, top] : steps) {
        course.Wait(ms);
        EXPECT_EQ(s.top(), top) << course.platform.fakeClock().nowMs();
    }
    course.Mouse(InputEvent::Kind::MouseUp, kDownX, kDownY);
    course.Idle();
    course.Wait(1000);
    EXPECT_EQ(s.top(), 7);
    EXPECT_EQ(s.Element<TDIBImage>("DIBI_List").OffsetY(), 6 * 18);
}

TEST_F(NameScreens, TypeNameForAFurtherStudentStartsEmpty) {
    course.Request(6);
    auto* type = course.ScreenAs<TForm_TypeName>();
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->mode(), 4);
    EXPECT_EQ(type->edit().Text(), "");
    EXPECT_FALSE(type->okButton().Enabled());
    course.Type("  ");
    EXPECT_FALSE(type->okButton().Enabled());
    course.Type("Eve");
    EXPECT_TRUE(type->okButton().Enabled());
    course.Key("Return");
    // Back to the records screen, the new student current but not opened.
    EXPECT_EQ(course.Screen(), "TForm_Records");
    EXPECT_EQ(records().CurrentStudent(), "Eve");
    EXPECT_EQ(records().ReadStudentInt("Sessions", 0), 0);
}

TEST_F(NameScreens, BlankAccountNameLeavesOkDisabled) {
    course.platform.headlessShell().setUserFullName("   ");
    course.Request(6);
    course.Request(2);
    auto* type = course.ScreenAs<TForm_TypeName>();
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->mode(), 1);
    EXPECT_FALSE(type->okButton().Enabled());
    course.Key("Return");
    EXPECT_EQ(course.Screen(), "TForm_TypeName");
}

TEST_F(NameScreens, ScreensLookRight) {
    course.Shot().savePng("/tmp/users-typename.png");
    Choose(Students(14));
    course.Click(kListX, RowY(2));
    course.Shot().savePng("/tmp/users-choosename.png");
}

TEST_F(NameScreens, TheKeysChooseFromTheListScrollingItIntoSight) {
    std::vector<std::string> names = Students(15);
    TForm_ChooseName& choose = Choose(names);
    // Tab reaches the list among the screen's buttons.
    const TCustomDIBControl& list = choose.Element<TDIBImage>("DIBI_List");
    for (int i = 0; i < 12 && choose.container().Focused() != &list; ++i)
        course.Key("Tab");
    ASSERT_EQ(choose.container().Focused(), &list);
    EXPECT_EQ(choose.selected(), 0);
    // The first arrow chooses the top row; each next one the name below, and past the last
    // visible row the list scrolls with it.
    course.Key("Down");
    EXPECT_EQ(choose.selected(), 1);
    for (int i = 0; i < 12; ++i)
        course.Key("Down");
    course.Wait(500);
    EXPECT_EQ(choose.selected(), 13);
    EXPECT_EQ(choose.top(), 2) << "row 13 is the last visible one";
    course.Key("Up");
    EXPECT_EQ(choose.selected(), 12);
    // Scrolled away with the arrow buttons, the next key brings the chosen name back.
    for (int i = 0; i < 2; ++i)
        course.Key("Down");
    choose.ScrollDown();
    course.Wait(2000);
    course.Key("Up");
    course.Wait(500);
    EXPECT_EQ(choose.selected(), 13);
    course.Key("Up");
    course.Wait(500);
    EXPECT_EQ(choose.selected(), 12);
    EXPECT_LE(choose.top(), 12);
    EXPECT_GE(choose.top() + TForm_ChooseName::kRows - 1, 12);
    // The list keeps the focus at its ends; Return takes the chosen name.
    EXPECT_EQ(choose.container().Focused(), &list);
    course.Key("Return");
    EXPECT_EQ(records().CurrentStudent(), names[11]);
    EXPECT_NE(course.Screen(), "TForm_ChooseName");
}

TEST_F(NameScreens, PrefilledNameIsSelectedSoTypingReplacesIt) {
    auto* type = course.ScreenAs<TForm_TypeName>();
    ASSERT_NE(type, nullptr) << course.Screen();
    const TDIBEdit& edit = type->edit();
    EXPECT_EQ(edit.SelectedText(), "Test User");
    course.Type("Mia");
    course.Type(" Jürgen-Rose");
    EXPECT_EQ(edit.Text(), "Mia Jürgen-Rose");
    EXPECT_EQ(edit.SelectedText(), "");

    // A double click on the second word selects it, and only it.
    Rect box = edit.BoundsRect();
    int x = box.x + 2 + TextRenderer::Measure("Mia Jür", edit.Font()).width;
    course.DblClick(x, box.y + box.h / 2);
    EXPECT_EQ(edit.SelectedText(), "Jürgen-Rose");
    course.Type("Lou");
    EXPECT_EQ(edit.Text(), "Mia Lou");

    // Ctrl+A selects everything; BackSpace then empties the box and OK waits for a name.
    course.Key("Ctrl+A");
    EXPECT_EQ(edit.SelectedText(), "Mia Lou");
    course.Key("BackSpace");
    EXPECT_EQ(edit.Text(), "");
    EXPECT_FALSE(type->okButton().Enabled());
}

} // namespace
} // namespace parlora::test
