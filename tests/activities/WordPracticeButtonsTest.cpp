// Food, shopping, colours and numbers practice on the demo course: buttons and pages, the lines,
// the actors taking turns, recording and playback, the sequence, and the visit.
#include "activities/FormColoursPractice.h"
#include "activities/FormNumbersPractice.h"
#include "activities/FormPagedPractice.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "display/DIBShape.h"
#include "tests/support/DemoCourse.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace parlora {
namespace {

struct ButtonPracticeTest : ::testing::Test {
    test::DemoCourse course;
    virtual void Arrange() {}

    void SetUp() override {
        course.Prepare({{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\n"}});
        Arrange();
        course.Start({"target=3", "source=1"});
        ASSERT_TRUE(course.main->records()->AddStudent("Kim"));
        course.main->records()->SetCurrentStudent("Kim");
        course.main->LoadStudent();
    }
    template <class T> T* Open(int code) {
        course.Request(code);
        T* s = course.ScreenAs<T>();
        EXPECT_NE(s, nullptr) << course.Screen();
        return s;
    }
    TForm_ItemPractice* screen() { return course.ScreenAs<TForm_ItemPractice>(); }
    template <class T> T& El(const std::string& name) { return screen()->Element<T>(name); }
    void ClickElement(const std::string& name) {
        Rect r = El<TCustomDIBControl>(name).BoundsRect();
        course.Click(r.x + r.w / 2, r.y + r.h / 2);
    }
    const std::vector<AudioLogEntry>& log() { return course.platform.headlessAudioOut().log(); }
    std::string LastPlayed() { return log().empty() ? "" : log().back().label; }
    bool Played(const std::string& name) { return LastPlayed().find(name) != std::string::npos; }

    // Choose, hear both actors, record and play back, leave: the visit is stored.
    void RunThrough(const std::string& button, const std::string& male, const std::string& female, int topic,
                    int returnCode) {
        ASSERT_NE(screen(), nullptr);
        ClickElement(button);
        EXPECT_TRUE(Played(male)) << LastPlayed();
        ClickElement(button);
        EXPECT_TRUE(Played(female)) << LastPlayed();
        EXPECT_TRUE(El<TDIBImage>("DIBI_Pic").Visible());
        EXPECT_TRUE(El<TDIBImage>("DIBI_Source").Visible());
        EXPECT_TRUE(El<TDIBImage>("DIBI_Target").Visible());
        course.Wait(2000);
        ClickElement("DIBButton_Record");
        course.Wait(7600);
        ASSERT_TRUE(El<TDIBButtonStrip>("DIBButton_Play").Enabled());
        ClickElement("DIBButton_Play");
        EXPECT_TRUE(El<TDIBImage>("DIBI_Playback").Visible());
        course.Wait(8000);
        EXPECT_FALSE(El<TDIBImage>("DIBI_Playback").Visible());
        EXPECT_EQ(course.main->records()->GetScore(topic, 0), -1);
        ClickElement("DIBButton_Quit");
        EXPECT_EQ(screen(), nullptr);
        EXPECT_EQ(course.main->records()->GetScore(topic, 0), 0);
        (void)returnCode;
    }
    // Left, top, right of a line.
    std::tuple<int, int, int> LineSpan(int row) {
        auto& line = El<TDIBShape>(row == 1 ? "Shape_Line1" : "Shape_Line2");
        return {line.Left(), line.Top() + line.Height() / 2, line.Left() + line.Width()};
    }
    std::pair<int, int> Centre(const std::string& name) {
        return TForm_PagedPractice::Centre(El<TCustomDIBControl>(name));
    }
};

TEST_F(ButtonPracticeTest, EachScreenChoosesRecordsPlaysAndStoresItsVisit) {
    Open<TForm_FoodPractice>(21);
    RunThrough("DIBButton4", "MFD4.aif", "FFD4.aif", 1, 20);
    Open<TForm_ShoppingPractice>(51);
    RunThrough("DIBButton1", "MSH2.aif", "FSH2.aif", 7, 50);
    Open<TForm_ColoursPractice>(26);
    RunThrough("DIBButton5", "MCO5.aif", "FCO5.aif", 2, 25);
    Open<TForm_NumbersPractice>(41);
    RunThrough("DIBButton1", "MSC0.aif", "FSC0.aif", 5, 40);
}

TEST_F(ButtonPracticeTest, LeavingWithoutChoosingRecordsNothing) {
    for (int code : {21, 26, 41, 51}) {
        Open<TForm_ItemPractice>(code);
        ClickElement("DIBButton_Quit");
        EXPECT_EQ(screen(), nullptr);
    }
    for (int topic : {1, 2, 5, 7})
        EXPECT_EQ(course.main->records()->GetScore(topic, 0), -1) << topic;
}

TEST_F(ButtonPracticeTest, FoodPagesAndTheirLines) {
    auto* food = Open<TForm_FoodPractice>(21);
    ASSERT_NE(food, nullptr);
    EXPECT_FALSE(El<TDIBButtonStrip>("DIBButton_Left").Visible());
    EXPECT_TRUE(El<TDIBButtonStrip>("DIBButton_Right").Visible());
    // Page 1: the upper line joins buttons 1 and 9, the lower one button 10 and Right.
    auto [l1, y1, r1] = LineSpan(1);
    EXPECT_EQ(l1, Centre("DIBButton1").first);
    EXPECT_EQ(r1, Centre("DIBButton9").first);
    EXPECT_EQ(y1, Centre("DIBButton1").second);
    auto [l2, y2, r2] = LineSpan(2);
    EXPECT_EQ(l2, Centre("DIBButton10").first);
    EXPECT_EQ(r2, Centre("DIBButton_Right").first);
    EXPECT_EQ(y2, Centre("DIBButton10").second);

    ClickElement("DIBButton_Right");
    EXPECT_EQ(food->page(), 19);
    EXPECT_TRUE(El<TDIBButtonStrip>("DIBButton_Left").Visible());
    EXPECT_EQ(std::get<0>(LineSpan(1)), Centre("DIBButton_Left").first);
    ClickElement("DIBButton1");
    EXPECT_TRUE(Played("MFD19.aif")) << LastPlayed();

    // Page 3 holds 37 to 41: one row, so the lower line has nothing to join.
    ClickElement("DIBButton_Right");
    EXPECT_EQ(food->page(), 37);
    EXPECT_FALSE(El<TDIBButtonStrip>("DIBButton_Right").Visible());
    EXPECT_TRUE(El<TDIBButtonStrip>("DIBButton5").Visible());
    EXPECT_FALSE(El<TDIBButtonStrip>("DIBButton6").Visible());
    EXPECT_FALSE(El<TDIBButtonStrip>("DIBButton18").Visible());
    EXPECT_EQ(std::get<2>(LineSpan(1)), Centre("DIBButton5").first);
    EXPECT_FALSE(El<TDIBShape>("Shape_Line2").Visible());
    ClickElement("DIBButton5");
    EXPECT_TRUE(Played("FFD41.aif")) << LastPlayed();

    // The sequence goes on from 41 to 1 and turns back to the first page.
    food->SetSequence(true);
    food->SequenceStep();
    EXPECT_EQ(food->current(), 1);
    EXPECT_EQ(food->page(), 1);
    EXPECT_TRUE(Played("MFD1.aif")) << LastPlayed();
    for (int i = 0; i < 18; ++i)
        food->SequenceStep();
    EXPECT_EQ(food->current(), 19);
    EXPECT_EQ(food->page(), 19);
}

TEST_F(ButtonPracticeTest, ShoppingFollowsItsDisplayOrder) {
    auto* shop = Open<TForm_ShoppingPractice>(51);
    ASSERT_NE(shop, nullptr);
    ClickElement("DIBButton12");
    EXPECT_TRUE(Played("MSH32.aif")) << LastPlayed();
    ClickElement("DIBButton_Right");
    ClickElement("DIBButton_Right");
    EXPECT_EQ(shop->page(), 37);
    // 13 articles on the last page: the lower line ends at the last shown button.
    EXPECT_TRUE(El<TDIBButtonStrip>("DIBButton13").Visible());
    EXPECT_FALSE(El<TDIBButtonStrip>("DIBButton14").Visible());
    EXPECT_EQ(std::get<0>(LineSpan(1)), Centre("DIBButton_Left").first);
    EXPECT_EQ(std::get<2>(LineSpan(1)), Centre("DIBButton9").first);
    EXPECT_EQ(std::get<2>(LineSpan(2)), Centre("DIBButton13").first);
    ClickElement("DIBButton13");
    EXPECT_EQ(shop->current(), 49);
    EXPECT_TRUE(Played("FSH38.aif")) << LastPlayed();
    // The picture says it again; the next in the sequence is position 1, article 2.
    ClickElement("DIBI_Pic");
    EXPECT_TRUE(Played("MSH38.aif")) << LastPlayed();
    shop->SequenceStep();
    EXPECT_EQ(shop->page(), 1);
    EXPECT_TRUE(Played("FSH2.aif")) << LastPlayed();
    EXPECT_TRUE(El<TDIBButtonStrip>("DIBButton_Record").Enabled());
}

TEST_F(ButtonPracticeTest, ColoursSequenceWrapsAfterTwelve) {
    auto* colours = Open<TForm_ColoursPractice>(26);
    ASSERT_NE(colours, nullptr);
    ClickElement("DIBButton12");
    ClickElement("DIBButton_Seq");
    EXPECT_TRUE(colours->sequence());
    EXPECT_EQ(colours->current(), 1);
    EXPECT_TRUE(Played("FCO1.aif")) << LastPlayed();
    course.Wait(log().back().lengthMs + 1050);
    EXPECT_EQ(colours->current(), 2);
    // Choosing a colour ends the sequence.
    ClickElement("DIBButton7");
    EXPECT_FALSE(colours->sequence());
    course.Wait(5000);
    EXPECT_EQ(colours->current(), 7);
}

TEST_F(ButtonPracticeTest, NumbersSayScoresAndTheirPictureRecordings) {
    auto* numbers = Open<TForm_NumbersPractice>(41);
    ASSERT_NE(numbers, nullptr);
    EXPECT_EQ(numbers->current(), -1);
    size_t before = log().size();
    course.Click(135, 560); // an actor before any number: nothing
    course.Click(885, 560);
    EXPECT_EQ(log().size(), before);
    ClickElement("DIBButton1");
    EXPECT_EQ(numbers->current(), 0);
    EXPECT_TRUE(Played("MSC0.aif")) << LastPlayed();
    course.Click(885, 560);
    EXPECT_TRUE(Played("FSC0.aif")) << LastPlayed();
    ClickElement("DIBI_Pic");
    EXPECT_TRUE(Played("MNU0.aif")) << LastPlayed();
    ClickElement("DIBI_Target");
    EXPECT_TRUE(Played("FSC0.aif")) << LastPlayed();
    ClickElement("DIBButton21");
    EXPECT_TRUE(Played("MSC20.aif")) << LastPlayed();
    numbers->SequenceStep();
    EXPECT_EQ(numbers->current(), 0);
    EXPECT_TRUE(Played("FSC0.aif")) << LastPlayed();
    numbers->SequenceStep();
    EXPECT_EQ(numbers->current(), 1);
    ClickElement("DIBButton_Quit");
    EXPECT_EQ(course.main->records()->GetScore(5, 0), 0);
}

TEST_F(ButtonPracticeTest, TheNetworkStopActsAsQuit) {
    Open<TForm_ColoursPractice>(26);
    ClickElement("DIBButton3");
    screen()->QuizStop();
    course.Idle();
    EXPECT_EQ(screen(), nullptr);
    EXPECT_EQ(course.main->records()->GetScore(2, 0), 0);
}

// A target language with a second written form: its own folder of links to the demo's, plus TLIT.
struct SecondFormTest : ButtonPracticeTest {
    void Arrange() override {
        namespace fs = std::filesystem;
        std::string targets = course.home() + "/data/targets";
        std::string demo = test::DemoHome() + "/data/targets/target3";
        fs::remove(targets);
        fs::create_directories(targets + "/target3/TLIT/FD");
        for (const auto& entry : fs::directory_iterator(demo))
            fs::create_symlink(entry.path(), targets + "/target3/" + entry.path().filename().string());
        for (int n = 1; n <= 41; ++n)
            fs::copy_file(test::DemoHome() + "/data/sources/3source/FD/FD" + std::to_string(n) + ".PNG",
                          targets + "/target3/TLIT/FD/FD" + std::to_string(n) + ".PNG");
    }
};

TEST_F(SecondFormTest, TheLozengeShowsTheSecondWrittenForm) {
    auto* food = Open<TForm_FoodPractice>(21);
    ASSERT_NE(food, nullptr);
    EXPECT_TRUE(food->secondForm());
    EXPECT_TRUE(El<TDIBImage>("DIBI_Lozenge").Visible());
    EXPECT_FALSE(El<TDIBImage>("DIBI_TLIT").Visible());
    ClickElement("DIBButton4");
    EXPECT_TRUE(El<TDIBImage>("DIBI_TLIT").Visible());
    EXPECT_EQ(El<TDIBImage>("DIBI_TLIT").IndexMain.Picture()->Width(), 300);
    ClickElement("DIBI_TLIT");
    EXPECT_TRUE(Played("FFD4.aif")) << LastPlayed();
}

TEST_F(ButtonPracticeTest, WithoutASecondFormThereIsNoLozenge) {
    Open<TForm_FoodPractice>(21);
    ClickElement("DIBButton4");
    EXPECT_FALSE(El<TDIBImage>("DIBI_Lozenge").Visible());
    EXPECT_FALSE(El<TDIBImage>("DIBI_TLIT").Visible());
}

} // namespace
} // namespace parlora
