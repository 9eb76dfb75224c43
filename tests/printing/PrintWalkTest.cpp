// The real program in headless mode, driven by a script: a learner prints a worksheet and saves it.
#include "tests/printing/PrintTestCourse.h"
#include "tests/printing/PrivateCups.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace parlora::test {
namespace {

namespace fs = std::filesystem;

TEST(PrintWalk, AScriptedLearnerSavesTheFirstWordsWorksheet) {
    TempDir tmp;
    std::string demo = DemoHome();
    std::string home = tmp / "course";
    MakeDirs(home + "/data");
    for (const auto& entry : fs::directory_iterator(demo + "/data"))
        fs::create_symlink(entry.path(), home + "/data/" + entry.path().filename().string());
    fs::create_directory_symlink(demo + "/Update", home + "/Update");
    for (const char* doc : {"Licence.rtf", "PCReadMe.rtf"})
        fs::create_symlink(demo + "/" + doc, home + "/" + doc);
    MakeDirs(tmp / "xdg/run");
    fs::permissions(tmp / "xdg/run", fs::perms::owner_all);
    MakeDirs(tmp / "Documents");
    WriteFile(tmp / "xdg/config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n");
    std::string shots = tmp / "shots";
    MakeDirs(shots);
    RunResult run = RunParlora(std::string("--headless --script=") + PARLORA_SOURCE_DIR +
                                   "/tests/printing/print-walk.txt",
                               {{"PARLORA_HOME", home},
                                {"HOME", tmp.path()},
                                {"XDG_DATA_HOME", tmp / "xdg/data"},
                                {"XDG_CONFIG_HOME", tmp / "xdg/config"},
                                {"XDG_RUNTIME_DIR", tmp / "xdg/run"},
                                {"CUPS_SERVER", DeadCupsSocket()}},
                               120, shots);
    ASSERT_EQ(run.exitCode, 0) << run.output;

    std::vector<std::string> saved;
    for (const auto& e : fs::directory_iterator(tmp / "Documents"))
        saved.push_back(e.path().string());
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_NE(saved[0].find("First words worksheet "), std::string::npos) << saved[0];
    EXPECT_EQ(PdfPages(saved[0]), 5);

    // The dialog over the topic menu, and the menu's worksheet tick after printing.
    std::string golden = std::string(PARLORA_SOURCE_DIR) + "/tests/printing/golden";
    // Only the dialog's box: the screen under it is the topic menu's own business.
    Surface shot = LoadPngRaw(shots + "/print-dialog.png");
    ASSERT_EQ(shot.width(), 1024);
    Rect box = TPrintDialog::Box();
    Surface dialog(box.w, box.h);
    dialog.copyFrom(shot, box, 0, 0);
    EXPECT_TRUE(MatchesGolden(dialog, "walk-dialog.png", {}, golden));
    Surface before = LoadPngRaw(shots + "/menu-before.png"), after = LoadPngRaw(shots + "/menu-after.png");
    ASSERT_EQ(before.width(), 1024);
    ASSERT_EQ(after.width(), 1024);
    int changed = 0;
    for (int y = 498; y < 560; ++y)
        for (int x = 526; x < 600; ++x)
            changed += (before.pixel(x, y) & 0xFFFFFF) != (after.pixel(x, y) & 0xFFFFFF);
    EXPECT_GT(changed, 50) << "no worksheet tick";
    std::string records;
    for (const auto& entry : fs::recursive_directory_iterator(tmp / "xdg"))
        if (entry.path().filename().string().rfind("Parlora", 0) == 0)
            records += ReadFile(entry.path().string());
    EXPECT_NE(records.find("[Student Sam]"), std::string::npos) << records;
}

} // namespace
} // namespace parlora::test
