// The start screen on the demo course: language list, optional buttons, stream flags, documents,
// quitting; the custom start and end screens and their files.
#include "front/FormStart.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "display/DIBListBox.h"
#include "display/DIBRichText.h"
#include "front/CustomScreens.h"
#include "front/RichTextDocument.h"
#include "tests/support/DemoCourse.h"

#include <gtest/gtest.h>

namespace parlora {
namespace {

using test::DemoCourse;

bool Shown(TDIBScreen& s, const char* name) {
    return s.container().FindComponent(name)->Visible();
}
bool Enabled(TDIBScreen& s, const char* name) {
    return s.container().FindComponent(name)->Enabled();
}
// The centre of an element, to click it.
std::pair<int, int> Centre(TDIBScreen& s, const char* name) {
    Rect r = s.container().FindComponent(name)->BoundsRect();
    return {r.x + r.w / 2, r.y + r.h / 2};
}
void ClickOn(DemoCourse& c, TDIBScreen& s, const char* name) {
    auto [x, y] = Centre(s, name);
    c.Click(x, y);
}
uint64_t RegionSum(const Surface& s, Rect r) {
    uint64_t sum = 0;
    for (int y = r.y; y < r.bottom(); ++y)
        for (int x = r.x; x < r.right(); ++x)
            sum = sum * 31 + s.pixel(x, y);
    return sum;
}

TEST(FormStart, TwoTargetsShowTheListWithTheCurrentTargetAndAClickChangesTheDisc) {
    DemoCourse c;
    c.Prepare();
    c.Start();
    auto* start = c.ScreenAs<TForm_Start>();
    ASSERT_NE(start, nullptr) << c.Screen();
    TLanguageCatalogue& cat = *c.main->catalogue();
    ASSERT_EQ(cat.targets().size(), 2u);
    EXPECT_TRUE(Shown(*start, "ListBox_Lang"));
    EXPECT_TRUE(Shown(*start, "DIBI_LangFrame"));
    TDIBListBox& list = start->listBox();
    ASSERT_EQ(list.Count(), 2);
    int current = list.ItemIndex();
    ASSERT_GE(current, 0);
    EXPECT_EQ(cat.targets()[size_t(current)].number, cat.targetNumber());
    EXPECT_EQ(list.Items[size_t(current)], cat.targets()[size_t(current)].name);

    Rect disc{364, 201, 295, 295};
    uint64_t before = RegionSum(c.Shot(), disc);
    int other = 1 - current;
    Rect item = list.ItemRect(other);
    c.Click(list.Left() + item.x + 20, list.Top() + item.y + item.h / 2);
    EXPECT_EQ(list.ItemIndex(), other);
    EXPECT_EQ(cat.targetNumber(), cat.targets()[size_t(other)].number);
    EXPECT_NE(RegionSum(c.Shot(), disc), before);
    EXPECT_EQ(c.Screen(), start->ClassName());

    // A click below the last entry changes nothing.
    c.Click(list.Left() + 20, list.Top() + list.Height() - 5);
    EXPECT_EQ(list.ItemIndex(), other);
}

TEST(FormStart, TargetOnTheCommandLineHidesTheList) {
    DemoCourse c;
    c.Prepare();
    c.Start({"target=5"});
    auto* start = c.ScreenAs<TForm_Start>();
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(c.main->catalogue()->targetNumber(), 5);
    EXPECT_FALSE(Shown(*start, "ListBox_Lang"));
    EXPECT_FALSE(Shown(*start, "DIBI_LangFrame"));
}

TEST(FormStart, EnableButtonsAndStreamFlagsDecideTheRecordsButton) {
    {
        DemoCourse c;
        c.Prepare({{"sconfig.txt", "[Defaults]\r\nEnableButtons=0,1,1,0\r\n"}});
        c.Start();
        auto* start = c.ScreenAs<TForm_Start>();
        ASSERT_NE(start, nullptr);
        EXPECT_FALSE(Enabled(*start, "DIBBS_Records"));
        EXPECT_TRUE(Enabled(*start, "DIBBS_Licence"));
        EXPECT_FALSE(Enabled(*start, "DIBBS_ReadMe"));
        // A disabled button ignores clicks.
        std::string name = start->ClassName();
        ClickOn(c, *start, "DIBBS_Records");
        EXPECT_EQ(c.Screen(), name);
    }
    DemoCourse c;
    c.Prepare({{"stream.ini", "[Stream]\r\nFlags=S1,S2,Actor\r\n"}});
    c.Start();
    auto* start = c.ScreenAs<TForm_Start>();
    ASSERT_NE(start, nullptr);
    EXPECT_FALSE(Enabled(*start, "DIBBS_Records"));
    EXPECT_FALSE(Enabled(*start, "DIBBS_iPodLower"));
    test::WriteFile(c.home() + "/stream.ini", "[Stream]\r\nFlags=S1,Records,iPod\r\n");
    start->ContentChanged();
    EXPECT_TRUE(Enabled(*start, "DIBBS_Records"));
    EXPECT_TRUE(Enabled(*start, "DIBBS_iPodLower"));
    ClickOn(c, *start, "DIBBS_Records");
    EXPECT_EQ(c.Screen(), "TForm_Records");
}

TEST(FormStart, LicenceBoxShowsTheDocumentAndBoxExitClosesIt) {
    DemoCourse c;
    c.Prepare();
    c.Start();
    auto* start = c.ScreenAs<TForm_Start>();
    ASSERT_NE(start, nullptr);
    ClickOn(c, *start, "DIBBS_Licence");
    ASSERT_TRUE(start->boxOpen());
    auto& text = start->Element<TDIBRichText>("RichEdit1");
    EXPECT_TRUE(text.Visible());
    EXPECT_NE(text.Document().PlainText().find("Licence"), std::string::npos);
    ASSERT_FALSE(text.Document().paragraphs.empty());
    EXPECT_TRUE(text.Document().paragraphs[0].runs[0].bold);
    EXPECT_FALSE(Shown(*start, "ListBox_Lang"));
    EXPECT_FALSE(Shown(*start, "DIBI_iPodLower"));
    EXPECT_TRUE(Shown(*start, "DIBI_Box"));
    // The box covers the start button: a click there does nothing.
    ClickOn(c, *start, "DIBBS_Start");
    EXPECT_EQ(c.Screen(), start->ClassName());

    ClickOn(c, *start, "DIBBS_BoxExit");
    EXPECT_FALSE(start->boxOpen());
    EXPECT_FALSE(text.Visible());
    EXPECT_FALSE(Shown(*start, "DIBI_Box"));
    EXPECT_FALSE(Shown(*start, "DIBBS_BoxExit"));
    EXPECT_TRUE(Shown(*start, "ListBox_Lang"));
    EXPECT_TRUE(Shown(*start, "DIBI_iPodLower"));

    ClickOn(c, *start, "DIBBS_Information");
    EXPECT_TRUE(Shown(*start, "DIBI_InfoBox"));
    ClickOn(c, *start, "DIBBS_BoxExit");
    EXPECT_FALSE(Shown(*start, "DIBI_InfoBox"));
}

TEST(FormStart, MissingReadMeRaisesTheFileErrorAndLeavesTheStartView) {
    DemoCourse c;
    c.Prepare();
    std::filesystem::remove(c.home() + "/PCReadMe.rtf");
    c.Start();
    auto* start = c.ScreenAs<TForm_Start>();
    ASSERT_NE(start, nullptr);
    // The documents sit beside the data folder; the demo's data folder is a link, so look from
    // a real folder of this course instead.
    test::MakeDirs(c.home() + "/data2");
    c.main->folders().DataDir = c.home() + "/data2";
    EXPECT_THROW(start->DIBBS_ReadMeClick(), RichTextError);
    EXPECT_FALSE(start->boxOpen());
    EXPECT_FALSE(Shown(*start, "DIBI_Box"));
    EXPECT_TRUE(Shown(*start, "ListBox_Lang"));
}

TEST(FormStart, ExportButtonSaysItIsNotAvailableAndReturns) {
    DemoCourse c;
    c.Prepare();
    c.Start();
    auto* start = c.ScreenAs<TForm_StartNew>();
    ASSERT_NE(start, nullptr) << "the demo has an iPod folder";
    // The list is shown, so the lower export button is the one offered.
    EXPECT_TRUE(Shown(*start, "DIBBS_iPodLower"));
    EXPECT_FALSE(Shown(*start, "DIBBS_iPodUpper"));
    ClickOn(c, *start, "DIBBS_iPodLower");
    EXPECT_EQ(c.Screen(), "TForm_StartNew");
    EXPECT_FALSE(Shown(*start, "DIBI_BlackMask"));
    EXPECT_TRUE(Shown(*start, "ListBox_Lang"));
}

TEST(FormStart, QuitGoesToTheCustomEndScreenOrEndsTheProgram) {
    DemoCourse c;
    c.Prepare();
    c.Start();
    ClickOn(c, *c.ScreenAs<TForm_Start>(), "DIBBS_Quit");
    ASSERT_EQ(c.Screen(), "TForm_CustomEnd");
    auto* end = c.ScreenAs<TForm_CustomEnd>();
    EXPECT_EQ(end->file().areas.size(), 1u);
    c.Move(300, 300);
    EXPECT_EQ(c.platform.headlessDisplay().cursor(), CursorKind::Arrow);
    c.Move(500, 650);
    EXPECT_EQ(c.platform.headlessDisplay().cursor(), CursorKind::Hand);
    EXPECT_FALSE(c.main->dispatcher().quitting());
    c.Click(500, 650);
    EXPECT_TRUE(c.main->dispatcher().quitting());

    // Without the end file the program ends at once.
    DemoCourse d;
    d.Prepare();
    d.Start();
    auto* start = d.ScreenAs<TForm_Start>();
    test::MakeDirs(d.home() + "/noend");
    d.main->folders().InterfaceDir = d.home() + "/noend";
    start->DIBBS_QuitClick();
    d.Idle();
    EXPECT_TRUE(d.main->dispatcher().quitting());
}

TEST(FormStart, CustomStartAreasGoToTheStartScreenOrClose) {
    DemoCourse c;
    c.Prepare();
    c.Start();
    c.main->ShowScreen(TScreenFactory::Instance().Create(*c.main, "TForm_CustomStart", {}), 0);
    ASSERT_EQ(c.Screen(), "TForm_CustomStart");
    c.Click(100, 100); // no area
    EXPECT_EQ(c.Screen(), "TForm_CustomStart");
    c.Click(611, 650); // the start area's last column
    EXPECT_NE(c.Screen(), "TForm_CustomStart");
    EXPECT_NE(c.ScreenAs<TForm_Start>(), nullptr);

    c.main->ShowScreen(TScreenFactory::Instance().Create(*c.main, "TForm_CustomStart", {}), 0);
    c.Click(612, 650); // right edge is outside
    EXPECT_EQ(c.Screen(), "TForm_CustomStart");
    EXPECT_FALSE(c.main->dispatcher().quitting());
    c.Click(900, 700);
    EXPECT_TRUE(c.main->dispatcher().quitting());
}

// ---- the custom screens' file ----

const std::vector<std::string> kStartWords{"web", "info", "start", "close"};

TEST(CustomScreenFile, ParsesAreasKeywordsInAnyCaseAndIgnoresOthers) {
    TCustomScreenFile f = TCustomScreenFile::Parse("Back.png\r\n"
                                                   "START|10,20,110,120\r"
                                                   "Web| 1, 2 ,3,4 |http://x/?a=[[trg]]|b\n"
                                                   "end|0,0,50,50\n"
                                                   "bogus|1,1,2,2\n"
                                                   "close|5,x,,\n"
                                                   "Volume|75\n",
                                                   kStartWords);
    EXPECT_EQ(f.background, "Back.png");
    ASSERT_EQ(f.areas.size(), 3u);
    EXPECT_EQ(f.areas[0].keyword, "web");
    EXPECT_EQ(f.areas[0].rect, (THotRect{1, 2, 3, 4}));
    EXPECT_EQ(f.areas[0].link, "http://x/?a=[[trg]]|b");
    EXPECT_EQ(f.areas[1].keyword, "start");
    EXPECT_EQ(f.areas[2].rect, (THotRect{5, 0, 0, 0}));
    EXPECT_EQ(f.volume, 75);

    const THotRect& r = f.areas[1].rect;
    EXPECT_TRUE(r.Contains(10, 20));
    EXPECT_TRUE(r.Contains(109, 119));
    EXPECT_FALSE(r.Contains(110, 50));
    EXPECT_FALSE(r.Contains(50, 120));
    EXPECT_EQ(f.AreaAt(50, 50)->keyword, "start");
    EXPECT_EQ(f.AreaAt(500, 500), nullptr);
}

TEST(CustomScreenFile, MalformedInputNeverFails) {
    EXPECT_EQ(TCustomScreenFile::ParseRect(""), (THotRect{0, 0, 0, 0}));
    EXPECT_EQ(TCustomScreenFile::ParseRect("1,2"), (THotRect{1, 2, 0, 0}));
    EXPECT_EQ(TCustomScreenFile::ParseRect("99999999999,-3,a,4,5"), (THotRect{0, -3, 0, 4}));
    TCustomScreenFile f = TCustomScreenFile::Parse("bg\nvolume|loud\nstart\n|\n\n", kStartWords);
    EXPECT_EQ(f.volume, -1);
    ASSERT_EQ(f.areas.size(), 1u);
    EXPECT_EQ(f.areas[0].rect, (THotRect{}));
    EXPECT_TRUE(TCustomScreenFile::Parse("", kStartWords).areas.empty());
    // The end screen knows only its own words.
    TCustomScreenFile e = TCustomScreenFile::Parse("bg\nstart|0,0,9,9\nend|0,0,9,9\n", {"web", "end"});
    ASSERT_EQ(e.areas.size(), 1u);
    EXPECT_EQ(e.areas[0].keyword, "end");
}

TEST(CustomScreenFile, LinksAreReadAsMacRoman) {
    TCustomScreenFile f = TCustomScreenFile::Parse("bg\ninfo|0,0,1,1|http://x/caf\x8E\n", kStartWords);
    ASSERT_EQ(f.areas.size(), 1u);
    EXPECT_EQ(f.areas[0].link, "http://x/caf\xC3\xA9");
}

} // namespace
} // namespace parlora

namespace parlora {
namespace {

// An edition with an intro film: it plays once a run, and a click ends it as if it had played.
TEST(FormStart, IntroFilmPlaysOnceAndAClickEndsIt) {
    test::DemoCourse c;
    c.Prepare();
    c.Start();
    std::string custom = c.home() + "/custom";
    test::MakeDirs(custom + "/Interface/start");
    std::filesystem::copy_file(test::DemoHome() + "/data/Interface/start/Box.png",
                               custom + "/Interface/start/IntroBG.png");
    std::filesystem::copy_file(test::DemoHome() + "/data/Interface/body/easy/FrankCP.avi",
                               custom + "/Interface/start/Intro.mpg");
    c.main->folders().CustomDir = custom;

    c.Request(1);
    auto* start = c.ScreenAs<TForm_Start>();
    ASSERT_NE(start, nullptr);
    EXPECT_TRUE(start->introMode());
    EXPECT_TRUE(start->container().FindComponent("KaMedia_Intro")->Visible());
    EXPECT_FALSE(start->listBox().Visible());
    c.Wait(60000);
    EXPECT_FALSE(start->introMode());
    EXPECT_TRUE(c.main->introPlayed);
    EXPECT_FALSE(start->container().FindComponent("KaMedia_Intro")->Visible());
    EXPECT_FALSE(start->container().FindComponent("DIBI_Box")->Visible());
    EXPECT_TRUE(start->listBox().Visible());

    c.Request(1);
    EXPECT_FALSE(c.ScreenAs<TForm_Start>()->introMode());

    c.main->introPlayed = false;
    c.Request(1);
    start = c.ScreenAs<TForm_Start>();
    ASSERT_TRUE(start->introMode());
    c.Wait(100);
    c.Click(20, 20);
    EXPECT_FALSE(start->introMode());
    EXPECT_TRUE(start->listBox().Visible());
    // The hook is gone: the next click reaches the screen again.
    auto [x, y] = Centre(*start, "DIBBS_Licence");
    c.Click(x, y);
    EXPECT_TRUE(start->boxOpen());
}

} // namespace
} // namespace parlora
