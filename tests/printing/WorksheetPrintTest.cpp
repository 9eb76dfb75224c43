#include "core/PathResolver.h"
#include "platform/CupsPrintQueue.h"
#include "printing/FormPrint.h"
#include "printing/PrintService.h"
#include "tests/printing/PrintTestCourse.h"
#include "tests/printing/PrivateCups.h"
#include "tests/support/GoldenImage.h"

#include <gtest/gtest.h>

#include <cmath>

namespace parlora::test {
namespace {

const int kTopicMenus[9] = {14, 20, 25, 30, 35, 40, 45, 50, 55};
const int kWorksheetPages[9] = {5, 5, 2, 3, 2, 2, 4, 5, 3};

std::string GoldenFolder() {
    return std::string(PARLORA_SOURCE_DIR) + "/tests/printing/golden";
}

// The first page of a PDF as a small picture, rendered by poppler.
Surface RenderFirstPage(const std::string& pdf, const std::string& scratch) {
    std::string out = scratch + "/page";
    Capture("pdftoppm -r 24 -f 1 -l 1 -singlefile -png '" + pdf + "' '" + out + "' 2>&1");
    return LoadPngRaw(out + ".png");
}

#define SKIP_WITHOUT(cups)                                                                                   \
    if (!(cups).running()) GTEST_SKIP() << "no private CUPS server: " << (cups).whyNot()

TEST(Worksheets, CellsFollowTheFiltersAndTheShoppingOrder) {
    PrintCourse c;
    c.Open(14, "Filter1=1\r\nFilter3=1\r\n");
    auto words = MakeWorksheet(*c.main, 0);
    EXPECT_EQ(words->Cells(), 42);
    EXPECT_EQ(words->Pages(), 5);
    EXPECT_EQ(words->ItemForCell(15), 15);
    EXPECT_EQ(words->ItemForCell(16), 18);
    EXPECT_EQ(words->ItemForCell(42), 44);
    auto countries = MakeWorksheet(*c.main, 8);
    EXPECT_EQ(countries->Cells(), 23);
    EXPECT_EQ(countries->ItemForCell(11), 11);
    EXPECT_EQ(countries->ItemForCell(12), 13);
    EXPECT_EQ(countries->ItemForCell(23), 24);
    auto shopping = MakeWorksheet(*c.main, 7);
    EXPECT_EQ(shopping->ItemForCell(1), 2);
    EXPECT_EQ(shopping->ItemForCell(38), 1);
    EXPECT_EQ(shopping->ItemForCell(49), 38);
    std::vector<bool> seen(50, false);
    for (int k = 1; k <= 49; ++k)
        seen[size_t(shopping->ItemForCell(k))] = true;
    EXPECT_EQ(std::count(seen.begin() + 1, seen.end(), true), 49);
    // Without the filters every item is printed in order.
    PrintCourse plain;
    plain.Open(14);
    EXPECT_EQ(MakeWorksheet(*plain.main, 0)->Cells(), 44);
    EXPECT_EQ(MakeWorksheet(*plain.main, 0)->ItemForCell(16), 16);
    EXPECT_EQ(MakeWorksheet(*plain.main, 8)->Cells(), 24);
    EXPECT_EQ(MakeWorksheet(*plain.main, 4)->ItemForCell(18), 18);
}

TEST(Worksheets, EveryTopicPrintsOnARealQueue) {
    PrivateCups cups;
    SKIP_WITHOUT(cups);
    ASSERT_TRUE(cups.AddQueue("worksheets", true));
    PrintCourse c;
    c.Open(14);
    for (int topic = 0; topic < 9; ++topic) {
        SCOPED_TRACE(testing::Message() << "topic " << topic);
        c.Request(kTopicMenus[topic]);
        ASSERT_EQ(c.menu().row().topic, topic);
        EXPECT_EQ(c.main->records()->GetScore(topic, 4), -1);
        std::filesystem::remove(cups.Output("worksheets"));
        c.PrintWorksheet([&] { c.QueueDialog(0); });
        ASSERT_TRUE(cups.WaitForOutput("worksheets"));
        std::string pdf = c.tmp / ("topic" + std::to_string(topic) + ".pdf");
        std::filesystem::copy_file(cups.Output("worksheets"), pdf);
        EXPECT_EQ(PdfPages(pdf), kWorksheetPages[topic]);
        // Page numbers run on through the workbook: food is 6 to 10, numbers 18 and 19.
        std::string numbers = Capture("pdftotext '" + pdf + "' - 2>/dev/null");
        int first = Worksheets()[size_t(topic)].firstPage;
        std::string expected;
        for (int n = first; n < first + kWorksheetPages[topic]; ++n)
            expected += std::to_string(n) + "\n\n\f";
        EXPECT_EQ(numbers, expected);
        Surface page = RenderFirstPage(pdf, c.tmp.path());
        ASSERT_FALSE(page.empty());
        EXPECT_TRUE(
            MatchesGolden(page, "worksheet" + std::to_string(topic) + ".png", {12, 0.01}, GoldenFolder()));
        // Recorded as the topic's worksheet, with the tick on the menu; the menu is free again.
        EXPECT_EQ(c.main->records()->GetScore(topic, 4), 0);
        EXPECT_TRUE(c.menu().Element<TCustomDIBControl>("DIBI_PrintTick").Visible());
        EXPECT_FALSE(c.menu().printing());
        EXPECT_EQ(c.platform.headlessDisplay().cursor(), CursorKind::Arrow);
    }
    EXPECT_TRUE(c.SavedPdfs().empty());
    // Every job carried the workbook's title.
    std::string log = cups.PageLog();
    size_t jobs = 0;
    for (size_t at = log.find("Lingwell Parlora!"); at != std::string::npos;
         at = log.find("Lingwell Parlora!", at + 1))
        ++jobs;
    EXPECT_EQ(jobs, 9u) << log;
}

// A target with a second written form ("TLIT"): its frame and words are printed in every cell, and
// without the folder neither is.
TEST(Worksheets, TheSecondWrittenFormIsPrintedOnlyWhenTheTargetHasIt) {
    std::vector<Surface> pages;
    for (bool tlit : {false, true}) {
        PrintCourse c;
        ::setenv("CUPS_SERVER", DeadCupsSocket().c_str(), 1);
        c.Prepare({{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\n"}});
        if (tlit) {
            // Target 5 of this course only: the demo's folders plus a TLIT copy of its words.
            std::string targets = c.home() + "/data/targets";
            std::filesystem::remove(targets);
            std::filesystem::create_directories(targets + "/target5/TLIT/FD");
            std::filesystem::create_symlink(DemoHome() + "/data/targets/target3", targets + "/target3");
            for (const auto& e : std::filesystem::directory_iterator(DemoHome() + "/data/targets/target5"))
                std::filesystem::create_symlink(e.path(),
                                                targets + "/target5/" + e.path().filename().string());
            for (int i = 1; i <= 41; ++i) {
                std::string name = "FD" + std::to_string(i) + ".PNG";
                std::filesystem::copy_file(DemoHome() + "/data/targets/target5/TEXT/FD/" + name,
                                           targets + "/target5/TLIT/FD/" + name);
            }
        }
        c.Open(20, "", {"target=5", "source=1"});
        c.PrintWorksheet([&] { c.QueueDialog(0); });
        ::unsetenv("CUPS_SERVER");
        ASSERT_EQ(c.SavedPdfs().size(), 1u);
        pages.push_back(RenderFirstPage(c.documents() + "/" + c.SavedPdfs()[0], c.tmp.path()));
        ASSERT_FALSE(pages.back().empty());
    }
    // The frame of the second form lies under the lozenge of every cell (design 81, 360, 466 x 44 for
    // the first): count the pixels that differ there and elsewhere.
    const Surface& without = pages[0];
    const Surface& with = pages[1];
    ASSERT_EQ(without.width(), with.width());
    auto differs = [&](int x, int y) {
        return (without.pixel(x, y) & 0xFFFFFF) != (with.pixel(x, y) & 0xFFFFFF);
    };
    // At 24 dpi an A4 page is 198 x 281 and the 1570-high layout is scaled by 281 / 1570.
    double k = 281.0 / 1570.0;
    int x0 = int((1107 * k - 198) / -2);
    int inFrame = 0, outside = 0;
    for (int y = 0; y < with.height(); ++y)
        for (int x = 0; x < with.width(); ++x) {
            if (!differs(x, y)) continue;
            double dy = std::fmod(y / k - 360, 276.0), dx = std::fmod((x - x0) / k - 81, 489.0);
            // One printed pixel (6 design pixels) of smoothing round the frame.
            bool frame =
                y / k >= 350 && y / k < 360 + 5 * 276 && (dy < 52 || dy > 270) && (dx < 474 || dx > 483);
            (frame ? inFrame : outside)++;
        }
    EXPECT_GT(inFrame, 200);
    EXPECT_LT(outside, 40);
}

TEST(Worksheets, APageRangePrintsOnlyThosePagesNumberedAsInTheWholeWorkbook) {
    PrivateCups cups;
    SKIP_WITHOUT(cups);
    ASSERT_TRUE(cups.AddQueue("range", true));
    PrintCourse c;
    c.Open(20);
    c.PrintWorksheet([&] {
        c.QueueClick(TPrintDialog::FromPlusRect()); // from 2
        c.QueueClick(TPrintDialog::ToMinusRect());  // to 4
        c.QueueClick(TPrintDialog::ToMinusRect());  // to 3
        c.QueueClick(TPrintDialog::ToMinusRect());  // to 2
        c.QueueClick(TPrintDialog::OkRect());
    });
    ASSERT_TRUE(cups.WaitForOutput("range"));
    EXPECT_EQ(PdfPages(cups.Output("range")), 1);
    // Page 7 of the workbook: the food worksheet's second page, cells 11 to 20.
    std::string text = Capture("pdftotext '" + cups.Output("range") + "' - 2>/dev/null");
    EXPECT_NE(text.find("7"), std::string::npos) << text;
    EXPECT_EQ(text.find("6"), std::string::npos) << text;
}

TEST(Worksheets, SaveAsPdfWritesANewFileEachTime) {
    PrintCourse c;
    ::setenv("CUPS_SERVER", DeadCupsSocket().c_str(), 1);
    c.Open(25);
    c.PrintWorksheet([&] { c.QueueDialog(-1, true, 1); });
    c.PrintWorksheet([&] { c.QueueDialog(-1, true, 1); });
    ::unsetenv("CUPS_SERVER");
    std::vector<std::string> files = c.SavedPdfs();
    ASSERT_EQ(files.size(), 2u);
    // Named with today's date; the second print does not overwrite the first.
    EXPECT_EQ(files[0], "Colours worksheet " + c.Today() + " (2).pdf");
    EXPECT_EQ(files[1], "Colours worksheet " + c.Today() + ".pdf");
    for (const auto& f : files)
        EXPECT_EQ(PdfPages(c.documents() + "/" + f), 2) << f;
    EXPECT_EQ(c.main->records()->GetScore(2, 4), 0);
    // The PDF holds the same page as the printer gets.
    Surface page = RenderFirstPage(c.documents() + "/" + files[1], c.tmp.path());
    EXPECT_TRUE(MatchesGolden(page, "worksheet2.png", {12, 0.01}, GoldenFolder()));
}

TEST(Worksheets, SaveAsPdfStillWorksWhenTheDocumentsFolderCannotBeWritten) {
    PrintCourse c;
    ::setenv("CUPS_SERVER", DeadCupsSocket().c_str(), 1);
    c.Open(25);
    // A home that is a file: neither it nor a documents folder in it can take the PDF.
    WriteFile(c.tmp / "homefile", "not a folder");
    ::setenv("HOME", (c.tmp / "homefile").c_str(), 1);
    std::filesystem::remove(c.tmp / "config/user-dirs.dirs");
    TPrintService service(*c.main);
    auto sheet = MakeWorksheet(*c.main, 2);
    c.QueueDialog(0);
    EXPECT_TRUE(sheet->Print(service));
    ::unsetenv("CUPS_SERVER");
    std::string saved = service.savedPdf();
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(std::filesystem::path(saved).parent_path(), std::filesystem::temp_directory_path());
    EXPECT_EQ(PdfPages(saved), 2);
    std::filesystem::remove(saved);
    EXPECT_EQ(c.main->records()->GetScore(2, 4), 0);
}

TEST(Worksheets, CancelPrintsAndRecordsNothing) {
    PrintCourse c;
    ::setenv("CUPS_SERVER", DeadCupsSocket().c_str(), 1);
    c.Open(30);
    c.PrintWorksheet([&] { c.QueueDialog(0, false); });
    ::unsetenv("CUPS_SERVER");
    EXPECT_TRUE(c.SavedPdfs().empty());
    EXPECT_EQ(c.main->records()->GetScore(3, 4), -1);
    EXPECT_FALSE(c.menu().Element<TCustomDIBControl>("DIBI_PrintTick").Visible());
}

// The failures a learner can meet: each one is said in the window, nothing is recorded, and the
// topic menu goes on working.
struct FailureCase {
    const char* what;
    const char* expected; // in the message
};

void ExpectFailureHandled(PrintCourse& c, int topic, const std::string& expected,
                          const std::string& stderrText) {
    EXPECT_NE(stderrText.find("Printer Error: "), std::string::npos) << stderrText;
    EXPECT_NE(stderrText.find(expected), std::string::npos) << stderrText;
    EXPECT_EQ(c.main->records()->GetScore(topic, 4), -1);
    EXPECT_FALSE(c.menu().printing());
    EXPECT_EQ(c.platform.headlessDisplay().cursor(), CursorKind::Arrow);
    // Still usable: the quit button leaves for the main menu.
    c.ClickOn(c.menu().Element<TCustomDIBControl>("DIBButton_Quit"));
    c.Wait(3000);
    EXPECT_EQ(c.Screen(), "TForm_Menu");
}

TEST(PrintFailures, RefusingAndOfflinePrintersAreReported) {
    PrivateCups cups;
    SKIP_WITHOUT(cups);
    ASSERT_TRUE(cups.AddQueue("refusing", true));
    ASSERT_TRUE(cups.AddQueue("offline"));
    ASSERT_TRUE(cups.Run("cupsreject refusing"));
    ASSERT_TRUE(cups.Run("cupsdisable offline"));
    const std::pair<int, const char*> cases[] = {{0, "not accepting jobs"}, {1, "offline"}};
    for (const auto& [queueRow, expected] : cases) {
        SCOPED_TRACE(expected);
        const int row = queueRow; // a copy the lambda can capture (clang 14 cannot capture bindings)
        PrintCourse c;
        c.Open(35);
        testing::internal::CaptureStderr();
        c.PrintWorksheet([&] { c.QueueDialog(row); });
        ExpectFailureHandled(c, 4, expected, testing::internal::GetCapturedStderr());
    }
    EXPECT_FALSE(std::filesystem::exists(cups.Output("refusing")));
    EXPECT_FALSE(std::filesystem::exists(cups.Output("offline")));
}

TEST(PrintFailures, APrinterGoneBetweenTheDialogAndTheJobIsReported) {
    PrivateCups cups;
    SKIP_WITHOUT(cups);
    ASSERT_TRUE(cups.AddQueue("vanishing", true));
    PrintCourse c;
    c.Open(40);
    // The queue is listed in the dialog, then stopped accepting before the job arrives.
    TPrintService::Queue() = [&cups] {
        struct Racing : IPrintQueue {
            PrivateCups& cups;
            std::unique_ptr<IPrintQueue> real = std::make_unique<CupsPrintQueue>();
            explicit Racing(PrivateCups& c) : cups(c) {}
            std::vector<PrintDestination> Destinations(std::string& problem) override {
                return real->Destinations(problem);
            }
            int Submit(const std::string& d, const std::string& pdf, const std::string& title) override {
                cups.Run("cupsreject vanishing");
                return real->Submit(d, pdf, title);
            }
        };
        return std::unique_ptr<IPrintQueue>(new Racing(cups));
    };
    testing::internal::CaptureStderr();
    c.PrintWorksheet([&] { c.QueueDialog(0); });
    std::string err = testing::internal::GetCapturedStderr();
    TPrintService::Queue() = [] { return std::unique_ptr<IPrintQueue>(new CupsPrintQueue); };
    ExpectFailureHandled(c, 5, "vanishing", err);
}

TEST(PrintFailures, WithoutPrintersOrServiceOnlySaveAsPdfIsOffered) {
    PrivateCups empty;
    SKIP_WITHOUT(empty);
    for (bool running : {true, false}) {
        SCOPED_TRACE(running ? "no printer" : "no server");
        if (!running) empty.Stop();
        PrintCourse c;
        c.Open(45);
        std::string problem;
        std::vector<PrintDestination> printers = CupsPrintQueue().Destinations(problem);
        EXPECT_TRUE(printers.empty());
        EXPECT_EQ(problem, running ? "No printer is set up." : "The printing service (CUPS) is not running.");
        // The dialog's one row is "Save as PDF", and it works.
        c.PrintWorksheet([&] { c.QueueDialog(0); });
        ASSERT_EQ(c.SavedPdfs().size(), 1u);
        EXPECT_EQ(PdfPages(c.documents() + "/" + c.SavedPdfs()[0]), 4);
        EXPECT_EQ(c.main->records()->GetScore(6, 4), 0);
    }
}

TEST(PrintFailures, AMissingCellPictureAbortsTheJobAndLeavesNoFile) {
    PrintCourse c;
    ::setenv("CUPS_SERVER", DeadCupsSocket().c_str(), 1);
    c.Open(50);
    // The worksheet's folder of cell pictures, hidden for this course only.
    std::string interface = c.home() + "/data/Interface";
    std::filesystem::remove(interface);
    std::filesystem::create_directories(interface);
    for (const auto& e : std::filesystem::directory_iterator(DemoHome() + "/data/Interface"))
        if (e.path().filename() != "Shopping")
            std::filesystem::create_symlink(e.path(), interface + "/" + e.path().filename().string());
    PathResolver::ClearCache();
    EXPECT_THROW(
        {
            TPrintService service(*c.main);
            auto sheet = MakeWorksheet(*c.main, 7);
            c.QueueDialog(0);
            sheet->Print(service);
        },
        std::exception);
    ::unsetenv("CUPS_SERVER");
    EXPECT_TRUE(c.SavedPdfs().empty());
    EXPECT_EQ(c.main->records()->GetScore(7, 4), -1);
    EXPECT_EQ(c.platform.headlessDisplay().cursor(), CursorKind::Arrow);
}

} // namespace
} // namespace parlora::test
