// Lists of thousands of students on the name choice and the records screens: the rows in sight
// look as they would in a short list, however far down they are.
#include "tests/support/DemoCourse.h"
#include "users/FormChooseName.h"
#include "users/FormRecords.h"

#include <gtest/gtest.h>

#include <vector>

namespace parlora::test {
namespace {

// The course at the screen of `code`, with records of `names` in this order, their totals falling
// so the list stays as it is, and `current` the current student.
struct ListCourse : DemoCourse {
    ListCourse(const std::vector<std::string>& names, int code, const std::string& current = "") {
        std::string list, sections;
        int score = int(names.size());
        for (const auto& n : names) {
            list += (list.empty() ? "\"" : ",\"") + n + "\"";
            sections += "[Student " + n + "]\r\nScore=" + std::to_string(score--) + "\r\n";
        }
        Prepare();
        Start({"target=3", "source=1"}, 1);
        WriteFile(main->folders().RecordsFile, "[Defaults]\r\nStudents=\"" + list + "\"\r\n" + sections);
        main->records()->LoadStudentList();
        main->records()->SetCurrentStudent(current);
        Request(code);
    }
    // The list as the window shows it.
    template <class Screen> std::vector<uint32_t> ListPixels() {
        const Rect r = ScreenAs<Screen>()->template Element<TCustomDIBControl>("DIBI_List").BoundsRect();
        const Surface& shot = Shot();
        std::vector<uint32_t> pixels;
        for (int y = r.y; y < r.bottom(); ++y)
            pixels.insert(pixels.end(), shot.row(y) + r.x, shot.row(y) + r.right());
        return pixels;
    }
};

TEST(LongStudentList, RowsFarDownLookAsInAShortList) {
    std::vector<std::string> names;
    for (int i = 0; i < 5000; ++i)
        names.push_back("Pupil " + std::to_string(10000 + i));
    // A short list with the same thirteen names: the twelve in sight and the one above them, whose
    // letters reach down into the first row.
    auto thirteen = [&](int first) {
        return std::vector<std::string>(names.begin() + first, names.begin() + first + 13);
    };

    std::vector<uint32_t> far;
    {
        // The records screen opens at the current student, near the end.
        ListCourse c(names, 4, names[4990]);
        ASSERT_EQ(c.ScreenAs<TForm_Records>()->topRow(), 4989);
        far = c.ListPixels<TForm_Records>();
    }
    {
        ListCourse c(thirteen(4987), 4, names[4990]);
        ASSERT_EQ(c.ScreenAs<TForm_Records>()->topRow(), 2);
        EXPECT_TRUE(c.ListPixels<TForm_Records>() == far) << "the records screen";
    }

    int top = 0;
    {
        // The name choice, its arrow held down: a row each 100 ms once it runs fast.
        ListCourse c(names, 2);
        auto* s = c.ScreenAs<TForm_ChooseName>();
        const Rect down = s->Element<TCustomDIBControl>("DIBBS_Down").BoundsRect();
        c.Mouse(InputEvent::Kind::MouseMove, down.x + 20, down.y + 20);
        c.Mouse(InputEvent::Kind::MouseDown, down.x + 20, down.y + 20);
        c.Wait(25000);
        c.Mouse(InputEvent::Kind::MouseUp, down.x + 20, down.y + 20);
        c.Wait(1000);
        top = s->top();
        ASSERT_GT(top, 2 * TListPage::kPageRows) << "not scrolled past several pages";
        far = c.ListPixels<TForm_ChooseName>();
    }
    ListCourse c(thirteen(top - 2), 2);
    c.ClickOn(c.ScreenAs<TForm_ChooseName>()->Element<TCustomDIBControl>("DIBBS_Down"));
    c.Wait(1000);
    ASSERT_EQ(c.ScreenAs<TForm_ChooseName>()->top(), 2);
    EXPECT_TRUE(c.ListPixels<TForm_ChooseName>() == far) << "the name choice";
}

} // namespace
} // namespace parlora::test
