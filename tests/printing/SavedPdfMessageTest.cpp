// After "Save as PDF": a message names the folder as the desktop shows it, and offers to open it
// where there is a desktop.
#include "printing/FormPrint.h"
#include "printing/PrintService.h"
#include "tests/printing/PrintTestCourse.h"
#include "tests/printing/PrivateCups.h"

#include <gtest/gtest.h>

namespace parlora::test {
namespace {

TEST(SavedPdfMessage, NamesTheDocumentsFolderAndOpensItOnlyWhenAsked) {
    PrintCourse c;
    ::setenv("CUPS_SERVER", DeadCupsSocket().c_str(), 1);
    c.Open(25);
    TPrintService service(*c.main);
    auto sheet = MakeWorksheet(*c.main, 2);
    HeadlessShell& shell = c.platform.headlessShell();
    const std::string first = "Colours worksheet " + c.Today() + ".pdf";

    // No desktop (as in any headless run): the message alone, and the dialog's row says where.
    c.QueueDialog(0);
    ASSERT_TRUE(sheet->Print(service));
    EXPECT_EQ(service.savedPdf(), c.documents() + "/" + first);
    EXPECT_EQ(service.savedMessage(), "The pages were saved as \"" + first + "\" in Documents.");
    EXPECT_TRUE(shell.openedFolders().empty());

    // A desktop: the question; No opens nothing, Yes the documents folder.
    shell.setDesktop(true);
    c.main->queueDialogAnswer("No");
    c.QueueDialog(0);
    ASSERT_TRUE(sheet->Print(service));
    EXPECT_EQ(service.savedMessage(), "The pages were saved as \"Colours worksheet " + c.Today() +
                                          " (2).pdf\" in Documents.\n\nOpen the folder now?");
    EXPECT_TRUE(shell.openedFolders().empty());
    c.main->queueDialogAnswer("Yes");
    c.QueueDialog(0);
    ASSERT_TRUE(sheet->Print(service));
    EXPECT_EQ(shell.openedFolders(), std::vector<std::string>{c.documents()});

    // A documents folder deeper in the home is named part by part; the home itself in words.
    MakeDirs(c.tmp / "home/Files/School");
    WriteFile(c.tmp / "config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Files/School\"\n");
    shell.setDesktop(false);
    c.QueueDialog(0);
    ASSERT_TRUE(sheet->Print(service));
    EXPECT_EQ(service.savedMessage(), "The pages were saved as \"" + first + "\" in Files / School.");
    std::filesystem::remove(c.tmp / "config/user-dirs.dirs");
    std::filesystem::remove_all(c.documents());
    c.QueueDialog(0);
    ASSERT_TRUE(sheet->Print(service));
    EXPECT_EQ(service.savedMessage(), "The pages were saved as \"" + first + "\" in your home folder.");
    EXPECT_EQ(service.savedPdf(), c.tmp / ("home/" + first));
    ::unsetenv("CUPS_SERVER");
}

} // namespace
} // namespace parlora::test
