#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "display/DIBLabel.h"
#include "printing/RecordsPrinter.h"
#include "tests/support/DemoCourse.h"
#include "users/DeleteDlg.h"
#include "users/FormRecords.h"

#include <gtest/gtest.h>

namespace parlora::test {
namespace {

// A records file as the course on another system wrote it: CRLF, names in Windows-1252 (one with
// a space and accents), one score that is not a number. Its students are in score order already,
// so opening the screen leaves it untouched.
const std::string kZoe = "Zo\xE9";
const std::string kJose = "Jos\xE9 N\xFA\xF1"
                          "ez";
const std::string kDefaults = "[Defaults]\r\n"
                              "Students=\"" +
                              kZoe + ",\"Anna Lena\",Bob,\"" + kJose +
                              "\"\"\r\n"
                              "Source=1\r\n"
                              "\r\n";
const std::string kZoeSection = "[Student " + kZoe +
                                "]\r\n"
                                "Score=1600\r\n"
                                "Sessions=12\r\n"
                                "LastUsed=03/11/2026\r\n"
                                "Game2=50,50,50,50,50,50,50,50,50,-1\r\n"
                                "\r\n";
const std::string kAnnaSection = "[Student Anna Lena]\r\n"
                                 "Score=1250\r\n"
                                 "Sessions=4\r\n"
                                 "LastUsed=01/02/2026\r\n"
                                 "Male=Male2\r\n"
                                 "\r\n";
const std::string kBobSection = "[Student Bob]\r\n"
                                "Score=300\r\n"
                                "Sessions=1\r\n"
                                "LastUsed=28/11/2026\r\n"
                                "\r\n";
const std::string kJoseSection = "[Student " + kJose +
                                 "]\r\n"
                                 "Score=abc\r\n"
                                 "Sessions=2\r\n"
                                 "LastUsed=15/10/2026\r\n";

struct CountingRecordsPrinter : TRecordsPrinter {
    static inline int calls = 0;
    static inline bool fail = false;
    void PrintRecords(TForm_Main&) override {
        ++calls;
        if (fail) throw AppError("Printer jammed");
    }
};

constexpr int kListX = 240, kListY = 253;
int RowY(int row) {
    return kListY + row * 18 + 9;
}

struct RecordsCourse : DemoCourse {
    RecordsCourse() {
        CountingRecordsPrinter::calls = 0;
        CountingRecordsPrinter::fail = false;
        TRecordsPrinter::Instance() = [] { return std::make_unique<CountingRecordsPrinter>(); };
    }
    ~RecordsCourse() {
        TRecordsPrinter::Instance() = [] { return std::make_unique<TRecordsPrinter>(); };
    }
    std::string file() { return main->folders().RecordsFile; }
    std::string original() { return kDefaults + kZoeSection + kAnnaSection + kBobSection + kJoseSection; }
    // The course at its start screen with `bytes` as the records, then the records screen with
    // `current` as the current student.
    TForm_Records& Open(const std::string& current, const std::string& bytes = {}) {
        Prepare();
        Start({"target=3", "source=1"}, 1);
        WriteFile(file(), bytes.empty() ? original() : bytes);
        main->records()->LoadStudentList();
        main->records()->SetCurrentStudent(current);
        Request(4);
        auto* screen = ScreenAs<TForm_Records>();
        EXPECT_NE(screen, nullptr) << Screen();
        return *screen;
    }
    TForm_Records& screen() { return *ScreenAs<TForm_Records>(); }
    template <class T> T& E(const std::string& name) { return screen().Element<T>(name); }
    std::string Caption(const std::string& label) { return E<TDIBLabel>(label).Caption(); }
    void ClickElement(const std::string& name) { ClickOn(E<TCustomDIBControl>(name)); }
    // Clicks Delete and answers the dialog with its tick (or its cross).
    void Delete(bool yes) {
        Rect b = E<TCustomDIBControl>("DIBBS_Delete").BoundsRect();
        Mouse(InputEvent::Kind::MouseMove, b.x + 10, b.y + 10);
        Mouse(InputEvent::Kind::MouseDown, b.x + 10, b.y + 10);
        Mouse(InputEvent::Kind::MouseUp, b.x + 10, b.y + 10);
        // The dialog is centred: 244 x 206, the tick at its lower left, the cross at its lower right.
        int x = (1024 - TDeleteDlg::kWidth) / 2 + (yes ? 40 : 204), y = (768 - TDeleteDlg::kHeight) / 2 + 168;
        Mouse(InputEvent::Kind::MouseMove, x, y);
        Mouse(InputEvent::Kind::MouseDown, x, y);
        Mouse(InputEvent::Kind::MouseUp, x, y);
        Idle();
    }
    std::vector<std::string> Students(int n) {
        std::vector<std::string> v;
        for (int i = 1; i <= n; ++i)
            v.push_back("Pupil " + std::to_string(100 + i));
        return v;
    }
    // A records file with `names`, written through the store, and the last one current.
    TForm_Records& OpenMany(const std::vector<std::string>& names, const std::string& current) {
        Prepare();
        Start({"target=3", "source=1"}, 1);
        for (const auto& n : names)
            EXPECT_TRUE(main->records()->AddStudent(n));
        main->records()->SetCurrentStudent(current);
        Request(4);
        return screen();
    }
};

TEST(RecordsScreen, ShowsTheChosenStudentsResultsInTheirPlaces) {
    RecordsCourse c;
    TForm_Records& s = c.Open("anna lena");
    EXPECT_EQ(s.count(), 4);
    EXPECT_EQ(s.selected(), 2);
    EXPECT_EQ(s.topRow(), 1);
    EXPECT_EQ(c.main->records()->CurrentStudent(), "Anna Lena");

    EXPECT_EQ(c.Caption("Label_Name"), "Anna Lena");
    EXPECT_EQ(c.E<TDIBLabel>("Label_Name").BoundsRect(), (Rect{567, 262, 258, 32}));
    const std::pair<const char*, const char*> details[] = {
        {"Label_LastUsed", "01/02/2026"}, {"Label_Sessions", "4"}, {"Label_Score", "1250"}};
    int top = 321;
    for (const auto& [label, text] : details) {
        EXPECT_EQ(c.Caption(label), text) << label;
        EXPECT_EQ(c.E<TDIBLabel>(label).Left(), 706) << label;
        EXPECT_EQ(c.E<TDIBLabel>(label).Top(), top) << label;
        top += 32;
    }
    // 1250: bronze and silver small medals, the large silver one.
    EXPECT_TRUE(c.E<TDIBImage>("DIBI_Bronze").Visible());
    EXPECT_TRUE(c.E<TDIBImage>("DIBI_Silver").Visible());
    EXPECT_FALSE(c.E<TDIBImage>("DIBI_Gold").Visible());
    EXPECT_TRUE(c.E<TDIBImage>("DIBI_BigAward").Visible());
    EXPECT_FALSE(c.E<TDIBImage>("DIBI_Cover").Visible());
    EXPECT_EQ(c.E<TDIBImage>("DIBI_Cover").BoundsRect().x, 523);
    EXPECT_EQ(c.E<TDIBImage>("DIBI_Gold").BoundsRect(), (Rect{747, 417, 20, 20}));

    // The chosen row is red, the others black.
    const Surface& shot = c.Shot();
    int red = 0, black = 0;
    for (int x = 226; x < 414; ++x) {
        for (int y = kListY; y < kListY + 18; ++y)
            black += (shot.pixel(x, y) & 0xFFFFFF) == 0;
        for (int y = kListY + 18; y < kListY + 36; ++y)
            red += (shot.pixel(x, y) & 0xFFFFFF) == 0xFF0000;
    }
    EXPECT_GT(red, 20);
    EXPECT_GT(black, 20);

    // The name written on Windows shows in its accents, with every medal.
    c.Click(kListX, RowY(0));
    EXPECT_EQ(s.selected(), 1);
    EXPECT_EQ(c.Caption("Label_Name"), "Zoé");
    EXPECT_EQ(c.Caption("Label_LastUsed"), "03/11/2026");
    EXPECT_EQ(c.Caption("Label_Sessions"), "12");
    EXPECT_TRUE(c.E<TDIBImage>("DIBI_Gold").Visible());
    EXPECT_EQ(c.main->records()->CurrentStudent(), "Zoé");

    // A score that is not a number is shown as it is and earns no medal.
    c.Click(kListX, RowY(3));
    EXPECT_EQ(c.Caption("Label_Name"), "José Núñez");
    EXPECT_EQ(c.Caption("Label_Score"), "abc");
    EXPECT_FALSE(c.E<TDIBImage>("DIBI_Bronze").Visible());
    EXPECT_FALSE(c.E<TDIBImage>("DIBI_BigAward").Visible());

    // Below the last name nothing is chosen.
    c.Click(kListX, RowY(6));
    EXPECT_EQ(s.selected(), 4);
    // Nothing was written by looking.
    EXPECT_EQ(ReadFile(c.file()), c.original());
    c.Shot().savePng("/tmp/users-records.png");
}

TEST(RecordsScreen, WithoutCurrentStudentTheCoverHidesTheDetails) {
    RecordsCourse c;
    TForm_Records& s = c.Open("");
    EXPECT_EQ(s.selected(), 0);
    EXPECT_TRUE(c.E<TDIBImage>("DIBI_Cover").Visible());
    EXPECT_FALSE(c.E<TDIBButtonStrip>("DIBBS_Delete").Enabled());
    // With four students there is nothing to scroll.
    EXPECT_FALSE(c.E<TDIBButtonStrip>("DIBBS_Up").Enabled());
    EXPECT_FALSE(c.E<TDIBButtonStrip>("DIBBS_Down").Enabled());
    // Delete does nothing before a student is chosen: no dialog, no change.
    c.ClickElement("DIBBS_Delete");
    EXPECT_EQ(s.deleteDialog(), nullptr);
    EXPECT_EQ(ReadFile(c.file()), c.original());
}

TEST(RecordsScreen, DeletingKeepsEveryOtherByte) {
    RecordsCourse c;
    TForm_Records& s = c.Open("Anna Lena");
    // The cross keeps everything.
    c.Delete(false);
    ASSERT_NE(s.deleteDialog(), nullptr);
    EXPECT_FALSE(s.deleteDialog()->confirmed());
    EXPECT_EQ(ReadFile(c.file()), c.original());
    EXPECT_EQ(s.count(), 4);

    uint64_t before = c.platform.fakeClock().nowMs();
    c.Delete(true);
    // The lid stayed open for a moment before the dialog went.
    EXPECT_EQ(s.deleteDialog()->lidFrame(), 1);
    EXPECT_GE(c.platform.fakeClock().nowMs() - before, uint64_t(TDeleteDlg::kLidOpenMs));
    const std::string expected = "[Defaults]\r\n"
                                 "Students=\"" +
                                 kZoe + ",Bob,\"" + kJose +
                                 "\"\"\r\n"
                                 "Source=1\r\n"
                                 "\r\n" +
                                 kZoeSection + kBobSection + kJoseSection;
    EXPECT_EQ(ReadFile(c.file()), expected);
    // No temporary file is left beside the records.
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(c.file()).parent_path()))
        files += e.path().filename().string().find(".Parlora") == 0;
    EXPECT_EQ(files, 0);
    // The next student moves into the row and is shown.
    EXPECT_EQ(s.count(), 3);
    EXPECT_EQ(s.selected(), 2);
    EXPECT_EQ(c.Caption("Label_Name"), "Bob");
    EXPECT_EQ(c.main->records()->CurrentStudent(), "Bob");
    c.main->records()->LoadStudentList();
    EXPECT_EQ(c.main->records()->StudentNames(), (std::vector<std::string>{"Zoé", "Bob", "José Núñez"}));
}

TEST(RecordsScreen, TheDeleteDialogTakesTheKeys) {
    RecordsCourse c;
    TForm_Records& s = c.Open("Anna Lena");
    const Rect b = c.E<TCustomDIBControl>("DIBBS_Delete").BoundsRect();
    auto openWithKeys = [&](std::initializer_list<const char*> keys) {
        c.Mouse(InputEvent::Kind::MouseMove, b.x + 10, b.y + 10);
        c.Mouse(InputEvent::Kind::MouseDown, b.x + 10, b.y + 10);
        c.Mouse(InputEvent::Kind::MouseUp, b.x + 10, b.y + 10);
        for (const char* key : keys)
            c.QueueKey(key);
        c.Idle();
    };
    // Tab shows the ring on the tick, Right moves it to the cross, Return presses the cross.
    openWithKeys({"Tab", "Right", "Return"});
    ASSERT_NE(s.deleteDialog(), nullptr);
    EXPECT_FALSE(s.deleteDialog()->confirmed());
    EXPECT_EQ(ReadFile(c.file()), c.original());
    // Return with no ring in sight presses nothing; Escape is the cross.
    openWithKeys({"Return", "Escape"});
    EXPECT_FALSE(s.deleteDialog()->confirmed());
    EXPECT_EQ(s.count(), 4);
    // Tab and Space: the tick, and the student goes.
    openWithKeys({"Tab", "Space"});
    EXPECT_TRUE(s.deleteDialog()->confirmed());
    EXPECT_EQ(s.count(), 3);
}

TEST(RecordsScreen, DeletingTheLastOfThirteenScrollsBackAndCovers) {
    RecordsCourse c;
    std::vector<std::string> names = c.Students(13);
    TForm_Records& s = c.OpenMany(names, names.back());
    EXPECT_EQ(s.selected(), 13);
    EXPECT_EQ(s.topRow(), 2);
    EXPECT_EQ(c.E<TDIBImage>("DIBI_List").OffsetY(), 18);
    EXPECT_TRUE(c.E<TDIBButtonStrip>("DIBBS_Up").Enabled());
    c.Delete(true);
    EXPECT_EQ(s.count(), 12);
    EXPECT_EQ(s.selected(), 0);
    EXPECT_EQ(s.topRow(), 1);
    EXPECT_EQ(c.E<TDIBImage>("DIBI_List").OffsetY(), 0);
    EXPECT_TRUE(c.E<TDIBImage>("DIBI_Cover").Visible());
    EXPECT_EQ(c.Caption("Label_Name"), "");
    EXPECT_FALSE(c.E<TDIBButtonStrip>("DIBBS_Up").Enabled());
    EXPECT_FALSE(c.E<TDIBButtonStrip>("DIBBS_Down").Enabled());
    EXPECT_FALSE(c.E<TDIBButtonStrip>("DIBBS_Delete").Enabled());
    EXPECT_EQ(c.main->records()->CurrentStudent(), "");
    const std::string bytes = ReadFile(c.file());
    EXPECT_EQ(bytes.find("Pupil 113"), std::string::npos);
    EXPECT_NE(bytes.find("\"Pupil 112\""), std::string::npos);
}

TEST(RecordsScreen, OpensScrolledToTheCurrentStudentAndHeldButtonsSpeedUp) {
    RecordsCourse c;
    std::vector<std::string> names = c.Students(30);
    TForm_Records& s = c.OpenMany(names, names[24]);
    EXPECT_EQ(s.selected(), 25);
    EXPECT_EQ(s.topRow(), 19);
    EXPECT_EQ(c.E<TDIBImage>("DIBI_List").OffsetY(), 18 * 18);
    EXPECT_FALSE(c.E<TDIBButtonStrip>("DIBBS_Down").Enabled());

    // Up held down: 400 ms for the first row, then 300, 200 and 100.
    TDIBImage& list = c.E<TDIBImage>("DIBI_List");
    Rect up = c.E<TCustomDIBControl>("DIBBS_Up").BoundsRect();
    c.Mouse(InputEvent::Kind::MouseMove, up.x + 20, up.y + 20);
    c.Mouse(InputEvent::Kind::MouseDown, up.x + 20, up.y + 20);
    c.Idle();
    struct Step {
        int ms, row;
        bool done;
    };
    const Step steps[] = {{380, 17, false}, {20, 17, true},   {280, 16, false},
                          {20, 16, true},   {180, 15, false}, {20, 15, true},
                          {80, 14, false},  {20, 14, true},   {100, 13, true}};
    int elapsed = 0;
    for (const Step& step : steps) {
        c.Wait(uint64_t(step.ms));
        elapsed += step.ms;
        if (step.done)
            EXPECT_EQ(list.OffsetY(), step.row * 18) << "after " << elapsed << " ms";
        else
            EXPECT_GT(list.OffsetY(), step.row * 18) << "after " << elapsed << " ms";
    }
    c.Mouse(InputEvent::Kind::MouseUp, up.x + 20, up.y + 20);
    c.Wait(1000);
    // The row in progress ends; no more follow.
    EXPECT_EQ(s.topRow(), 13);
    EXPECT_EQ(list.OffsetY(), 12 * 18);
    EXPECT_TRUE(c.E<TDIBButtonStrip>("DIBBS_Down").Enabled());
    // Rows count from the first one shown.
    c.Click(kListX, RowY(0));
    EXPECT_EQ(s.selected(), 13);
    EXPECT_EQ(c.Caption("Label_Name"), names[12]);
}

TEST(RecordsScreen, LongNameIsShownSmallerToFit) {
    RecordsCourse c;
    TForm_Records& s =
        c.OpenMany({"Wolfgang Amadeus Mozart-Wiesenthal"}, "Wolfgang Amadeus Mozart-Wiesenthal");
    ASSERT_EQ(s.selected(), 1);
    const TDIBLabel& name = c.E<TDIBLabel>("Label_Name");
    EXPECT_LT(name.Font().pixelHeight, TForm_Records::kNameFontHeight);
    EXPECT_LE(TextRenderer::Measure(name.Caption(), name.Font()).width, name.Width());
}

TEST(RecordsScreen, ButtonsLeadToTheirScreensAndPrintTheRecords) {
    RecordsCourse c;
    c.Open("Bob");
    c.ClickElement("DIBBS_Print");
    EXPECT_EQ(CountingRecordsPrinter::calls, 1);
    EXPECT_EQ(c.Screen(), "TForm_Records");

    // A failing printer reaches the error handler and leaves the screen usable.
    CountingRecordsPrinter::fail = true;
    c.main->queueDialogAnswer("Ignore");
    c.ClickElement("DIBBS_Print");
    EXPECT_EQ(CountingRecordsPrinter::calls, 2);
    EXPECT_FALSE(c.screen().printing());
    CountingRecordsPrinter::fail = false;
    c.ClickElement("DIBBS_Print");
    EXPECT_EQ(CountingRecordsPrinter::calls, 3);

    c.ClickElement("DIBBS_Create");
    EXPECT_EQ(c.Screen(), "TForm_TypeName");
    c.Request(4);
    c.ClickElement("DIBBS_Flag");
    EXPECT_EQ(c.Screen(), "TForm_Language");
    c.Request(4);
    c.ClickElement("DIBBS_Exit");
    EXPECT_TRUE(c.Screen() == "TForm_Start" || c.Screen() == "TForm_StartNew") << c.Screen();
}

TEST(RecordsScreen, LanguageButtonFollowsTheConfiguration) {
    RecordsCourse c;
    c.Prepare({{"sconfig.txt", "[Defaults]\r\nChangeLanguage=0\r\n"}});
    c.Start({"target=3", "source=1"}, 4);
    ASSERT_NE(c.ScreenAs<TForm_Records>(), nullptr) << c.Screen();
    EXPECT_FALSE(c.E<TDIBButtonStrip>("DIBBS_Flag").Enabled());
    c.ClickElement("DIBBS_Flag");
    EXPECT_EQ(c.Screen(), "TForm_Records");
}

TEST(RecordsScreen, TheLastNameInTheListKeepsItsDescenders) {
    RecordsCourse c;
    c.OpenMany({"Anna", "Jürgen"}, "Anna");
    ASSERT_EQ(c.screen().count(), 2);
    // "Jürgen" is the second and last row: its "g" reaches below the row's 18 pixels.
    const Surface& shot = c.Shot();
    int below = 0;
    for (int y = kListY + 2 * 18; y < kListY + 2 * 18 + 5; ++y)
        for (int x = 226; x < 414; ++x)
            below += (shot.pixel(x, y) & 0xFFFFFF) == 0;
    EXPECT_GT(below, 0);
}

} // namespace
} // namespace parlora::test
