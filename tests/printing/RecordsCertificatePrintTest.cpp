#include "core/StringUtil.h"
#include "printing/CertificatePrinter.h"
#include "printing/FormCertificate.h"
#include "printing/RecordsPrinter.h"
#include "tests/printing/PrintTestCourse.h"
#include "tests/printing/PrivateCups.h"
#include "tests/support/GoldenImage.h"

#include <gtest/gtest.h>

namespace parlora::test {
namespace {

// A course whose printers cannot be reached: the dialog offers "Save as PDF" alone, in row 0.
struct OfflineCourse : PrintCourse {
    OfflineCourse() { ::setenv("CUPS_SERVER", DeadCupsSocket().c_str(), 1); }
    ~OfflineCourse() { ::unsetenv("CUPS_SERVER"); }
};

void AddStudents(TRecordsStore& records, int n) {
    for (int i = 1; i <= n; ++i) {
        std::string name = Format("Student %02d", i);
        ASSERT_TRUE(records.AddStudent(name));
        records.WriteRecordValue("Student " + name, "Score", std::to_string(i * 30));
        records.WriteRecordValue("Student " + name, "LastUsed", "01/02/2003");
    }
    records.SaveStudentList();
}

TEST(RecordsPrint, SixtyStudentsFillThreePagesAndARangeOnlyItsPages) {
    OfflineCourse c;
    c.Open(9);
    AddStudents(*c.main->records(), 59); // with Kim, 60
    ASSERT_EQ(c.main->records()->students().size(), 60u);
    c.QueueDialog(0);
    TRecordsPrinter::Instance()()->PrintRecords(*c.main);
    ASSERT_EQ(c.SavedPdfs().size(), 1u);
    EXPECT_EQ(c.SavedPdfs()[0], "Student records " + c.Today() + ".pdf");
    std::string pdf = c.documents() + "/" + c.SavedPdfs()[0];
    EXPECT_EQ(PdfPages(pdf), 3);
    std::string text = Capture("pdftotext -layout '" + pdf + "' - 2>/dev/null");
    // Every student once, the rows of a page in order, the medals' scores among them.
    for (int i = 1; i <= 59; ++i)
        EXPECT_NE(text.find(Format("Student %02d", i)), std::string::npos) << i;
    EXPECT_NE(text.find("1770"), std::string::npos);
    std::string out = c.tmp / "records";
    Capture("pdftoppm -r 24 -f 1 -l 1 -singlefile -png '" + pdf + "' '" + out + "'");
    EXPECT_TRUE(MatchesGolden(LoadPngRaw(out + ".png"), "records.png", {12, 0.01},
                              std::string(PARLORA_SOURCE_DIR) + "/tests/printing/golden"));
    // Only page 3: the last four students.
    c.QueueClick(TPrintDialog::FromPlusRect());
    c.QueueClick(TPrintDialog::FromPlusRect());
    c.QueueClick(TPrintDialog::OkRect());
    TRecordsPrinter::Instance()()->PrintRecords(*c.main);
    ASSERT_EQ(c.SavedPdfs().size(), 2u);
    std::string second = c.documents() + "/" + c.SavedPdfs()[0];
    EXPECT_EQ(PdfPages(second), 1);
    std::string last = Capture("pdftotext -layout '" + second + "' - 2>/dev/null");
    EXPECT_EQ(last.find("Student 01"), std::string::npos);
    EXPECT_NE(last.find("Student 59"), std::string::npos);
    // Nothing is recorded for the records printout.
    EXPECT_EQ(c.main->records()->GetScore(0, 4), -1);
}

TEST(RecordsPrint, TwentyEightStudentsFitOnePageAndTwentyNineNeedTwo) {
    for (int n : {28, 29}) {
        OfflineCourse c;
        c.Open(9);
        AddStudents(*c.main->records(), n - 1);
        c.QueueDialog(0);
        TRecordsPrinter::Instance()()->PrintRecords(*c.main);
        ASSERT_EQ(c.SavedPdfs().size(), 1u);
        EXPECT_EQ(PdfPages(c.documents() + "/" + c.SavedPdfs()[0]), n == 28 ? 1 : 2);
    }
}

TEST(CertificatePrint, SavesOneValidPageAndRefusesWithoutAnAward) {
    OfflineCourse c;
    c.Open(9);
    c.QueueDialog(0);
    TCertificatePrinter::Instance()()->PrintCertificate(*c.main, 3, 1650, "Kim");
    ASSERT_EQ(c.SavedPdfs().size(), 1u);
    EXPECT_EQ(c.SavedPdfs()[0], "Certificate Kim " + c.Today() + ".pdf");
    std::string pdf = c.documents() + "/" + c.SavedPdfs()[0];
    EXPECT_EQ(PdfPages(pdf), 1);
    std::string text = Capture("pdftotext '" + pdf + "' - 2>/dev/null");
    EXPECT_NE(text.find("1650"), std::string::npos);
    EXPECT_NE(text.find("Kim"), std::string::npos);
    std::string title = Capture("pdfinfo '" + pdf + "' 2>/dev/null");
    EXPECT_NE(title.find("Parlora! Certificate"), std::string::npos) << title;
    std::string out = c.tmp / "cert";
    Capture("pdftoppm -r 24 -singlefile -png '" + pdf + "' '" + out + "'");
    EXPECT_TRUE(MatchesGolden(LoadPngRaw(out + ".png"), "certificate-gold.png", {12, 0.01},
                              std::string(PARLORA_SOURCE_DIR) + "/tests/printing/golden"));
    // No dialog and no file below the bronze level.
    try {
        TCertificatePrinter::Instance()()->PrintCertificate(*c.main, 0, 899, "Kim");
        ADD_FAILURE() << "printed without an award";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Insufficient score for award!");
    }
    EXPECT_EQ(c.SavedPdfs().size(), 1u);
}

TEST(CertificatePrint, ANameWithASlashMakesAFileNameAndPrintsWhole) {
    OfflineCourse c;
    c.Open(9);
    c.QueueDialog(0);
    TCertificatePrinter::Instance()()->PrintCertificate(*c.main, 1, 950, "Ana/Luis");
    ASSERT_EQ(c.SavedPdfs().size(), 1u);
    EXPECT_EQ(c.SavedPdfs()[0], "Certificate Ana-Luis " + c.Today() + ".pdf");
    std::string text = Capture("pdftotext '" + c.documents() + "/" + c.SavedPdfs()[0] + "' - 2>/dev/null");
    EXPECT_NE(text.find("Ana/Luis"), std::string::npos);
}

} // namespace
} // namespace parlora::test
