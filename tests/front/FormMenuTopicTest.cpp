#include "front/FormSubMenu.h"

#include "display/DIBButtonStrip.h"
#include "display/DIBLabel.h"
#include "tests/support/DemoCourse.h"

#include <gtest/gtest.h>

namespace parlora::test {
namespace {

struct CountingPrinter : TWorksheetPrinter {
    static inline int calls = 0;
    static inline bool fail = false;
    static inline bool recordPrint = true;
    void PrintTopic(TForm_Main& main, int topic) override {
        ++calls;
        if (fail) throw AppError("Printer jammed");
        if (recordPrint) main.records()->StoreScore(topic, 4, 1);
    }
};

struct TopicCourse : DemoCourse {
    TopicCourse() {
        CountingPrinter::calls = 0;
        CountingPrinter::fail = false;
        TForm_SubMenu::Printer() = [] { return std::make_unique<CountingPrinter>(); };
    }
    ~TopicCourse() {
        TForm_SubMenu::Printer() = [] { return std::make_unique<TWorksheetPrinter>(); };
    }
    void Open(int code, const std::vector<std::array<int, 3>>& scores = {}) {
        Prepare();
        Start({}, 1);
        TRecordsStore& records = *main->records();
        records.AddStudent("Ben");
        records.SaveStudentList();
        records.SetCurrentStudent("Ben");
        main->LoadStudent();
        for (const auto& [topic, activity, score] : scores)
            records.StoreScore(topic, activity, score);
        Request(code);
    }
    TForm_SubMenu& menu() {
        TForm_SubMenu* m = ScreenAs<TForm_SubMenu>();
        if (!m) throw std::runtime_error("not a topic menu: " + Screen());
        return *m;
    }
    template <class T> T& E(const std::string& name) { return menu().Element<T>(name); }
    Rect At(const std::string& name) { return E<TCustomDIBControl>(name).BoundsRect(); }
    void ClickElement(const std::string& name) {
        Rect r = At(name);
        Click(r.x + r.w / 2, r.y + r.h / 2);
    }
};

TEST(TopicMenu, EveryTopicCodeShowsItsOwnMenu) {
    TopicCourse c;
    c.Open(14);
    const int codes[] = {14, 20, 25, 30, 35, 40, 45, 50, 55};
    for (int t = 0; t < 9; ++t) {
        c.Request(codes[t]);
        EXPECT_EQ(c.Screen(), TopicMenus()[size_t(t)].className);
        EXPECT_EQ(c.menu().row().topic, t);
    }
    EXPECT_NE(c.ScreenAs<TForm_CountriesMenu>(), nullptr);
}

TEST(TopicMenu, TicksAndScoreCirclesFollowTheScores) {
    TopicCourse c;
    // Practice opened and left (score 0), an easy game played, nothing else in topic 1.
    c.Open(20, {{1, 0, 0}, {1, 2, 35}, {0, 1, 0}, {0, 3, 50}});
    EXPECT_TRUE(c.E<TDIBImage>("DIBI_PracticeTick").Visible());
    EXPECT_FALSE(c.E<TDIBImage>("DIBI_SpeakTick").Visible());
    EXPECT_FALSE(c.E<TDIBImage>("DIBI_PrintTick").Visible());
    EXPECT_TRUE(c.E<TDIBImage>("DIBI_EasyScore").Visible());
    EXPECT_TRUE(c.E<TDIBLabel>("Label_EasyScore").Visible());
    EXPECT_EQ(c.E<TDIBLabel>("Label_EasyScore").Caption(), "35");
    EXPECT_FALSE(c.E<TDIBImage>("DIBI_HardScore").Visible());
    EXPECT_FALSE(c.E<TDIBLabel>("Label_HardScore").Visible());

    c.Request(14);
    EXPECT_FALSE(c.E<TDIBImage>("DIBI_PracticeTick").Visible());
    EXPECT_TRUE(c.E<TDIBImage>("DIBI_SpeakTick").Visible());
    EXPECT_FALSE(c.E<TDIBImage>("DIBI_EasyScore").Visible());
    EXPECT_EQ(c.E<TDIBLabel>("Label_HardScore").Caption(), "50");
    if (const char* dir = std::getenv("PARLORA_SHOTS"))
        c.Shot().savePng(std::string(dir) + "/menus-topic.png");
}

TEST(TopicMenu, ButtonsRequestTheTopicsActivities) {
    TopicCourse c;
    c.Open(25, {{2, 2, 10}, {2, 0, 0}});
    const std::pair<const char*, const char*> buttons[] = {{"DIBBS_Practice", "TForm_ColoursPractice"},
                                                           {"DIBBS_Speak", "TForm_Speak"},
                                                           {"DIBBS_Easy", "TForm_ColoursEasy"},
                                                           {"DIBBS_Hard", "TForm_ColoursHard"}};
    for (auto [button, screen] : buttons) {
        c.Request(25);
        // The score circle and tick over the buttons' corners do not take their clicks.
        Rect r = c.At(button);
        c.Click(r.x + 8, r.y + 8);
        EXPECT_EQ(c.Screen(), screen) << button;
    }
    c.Request(25);
    c.ClickElement("DIBButton_Quit");
    EXPECT_EQ(c.Screen(), "TForm_Menu");
}

TEST(TopicMenu, PrintingTwiceQuicklyPrintsOnce) {
    TopicCourse c;
    c.Open(45);
    EXPECT_FALSE(c.E<TDIBImage>("DIBI_PrintTick").Visible());
    Rect r = c.At("DIBBS_Print");
    int x = r.x + r.w / 2, y = r.y + r.h / 2;
    for (int i = 0; i < 2; ++i) {
        c.Mouse(InputEvent::Kind::MouseDown, x, y);
        c.Mouse(InputEvent::Kind::MouseUp, x, y);
    }
    c.Idle();
    EXPECT_EQ(CountingPrinter::calls, 1);
    EXPECT_FALSE(c.menu().printing());
    EXPECT_TRUE(c.E<TDIBImage>("DIBI_PrintTick").Visible());
    EXPECT_EQ(c.main->records()->GetScore(6, 4), 1);
    // A later click prints again.
    c.Click(x, y);
    EXPECT_EQ(CountingPrinter::calls, 2);
}

TEST(TopicMenu, FailedPrintingFreesTheMenu) {
    TopicCourse c;
    c.Open(50);
    CountingPrinter::fail = true;
    c.main->queueDialogAnswer("Ignore");
    c.ClickElement("DIBBS_Print");
    EXPECT_EQ(CountingPrinter::calls, 1);
    EXPECT_FALSE(c.menu().printing());
    EXPECT_FALSE(c.E<TDIBImage>("DIBI_PrintTick").Visible());
    c.ClickElement("DIBBS_Easy");
    EXPECT_EQ(c.Screen(), "TForm_ShoppingEasy");
}

} // namespace
} // namespace parlora::test
