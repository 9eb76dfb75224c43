#include "core/ProfileFile.h"

#include "TempDir.h"
#include "core/Errors.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace parlora;
using parlora::test::TempDir;

TEST(ProfileText, ReadsWithTheWindowsConventions) {
    ProfileText ini("; a comment=1\r\n"
                    "[Defaults]\r\n"
                    "  Students   =  \"Anna,Ben\"  \r\n"
                    "Quoted=\"\"\"x\"\"\"\r\n"
                    "Half=\"open\r\n"
                    "One=\"\r\n"
                    "noequals\r\n"
                    ";Hidden=1\r\n"
                    "Dup=first\r\n"
                    "DUP=second\r\n"
                    "[defaults]\r\n"
                    "Dup=other section\r\n"
                    "Extra=later section\r\n"
                    "  [ Student Anna ]  trailing\r\n"
                    "Score=120\r\n");
    EXPECT_EQ(ini.get("DEFAULTS", "students").value(), "Anna,Ben");
    EXPECT_EQ(ini.get("Defaults", "Quoted").value(), "\"\"x\"\"") << "only one pair of quotes goes";
    EXPECT_EQ(ini.get("Defaults", "Half").value(), "\"open");
    EXPECT_EQ(ini.get("Defaults", "One").value(), "\"");
    EXPECT_FALSE(ini.get("Defaults", "noequals"));
    EXPECT_FALSE(ini.get("Defaults", "Hidden"));
    EXPECT_FALSE(ini.get("", "; a comment"));
    EXPECT_EQ(ini.get("Defaults", "dup").value(), "first");
    EXPECT_FALSE(ini.get("Defaults", "Extra")) << "the first section of a name wins";
    EXPECT_EQ(ini.get("student anna", "Score").value(), "120");
    EXPECT_EQ(ini.get("Nowhere", "Score", "fallback"), "fallback");
    EXPECT_EQ(ini.keys("Defaults"), (std::vector<std::string>{"Students", "Quoted", "Half", "One", "Dup"}));
    EXPECT_EQ(ini.sections(), (std::vector<std::string>{"Defaults", "Student Anna"}));
}

TEST(ProfileText, WritesKeepUntouchedLinesByteForByte) {
    const std::string original = "; header comment \xE9\r\n"
                                 "[A]\r\n"
                                 "  x = 1  \r\n"
                                 "odd line\r\n"
                                 "\r\n"
                                 "[B]\n"
                                 "y=2";
    ProfileText ini(original);
    EXPECT_EQ(ini.bytes(), original);

    ini.set("a", "X", "10");
    EXPECT_EQ(ini.bytes(), "; header comment \xE9\r\n[A]\r\nx=10\r\nodd line\r\n\r\n[B]\ny=2");

    ini.set("A", "new", "v");
    EXPECT_EQ(ini.bytes(), "; header comment \xE9\r\n[A]\r\nx=10\r\nodd line\r\nnew=v\r\n\r\n[B]\ny=2")
        << "a new key goes before the blank lines that end its section";

    ini.set("B", "z", "3");
    EXPECT_EQ(ini.bytes(),
              "; header comment \xE9\r\n[A]\r\nx=10\r\nodd line\r\nnew=v\r\n\r\n[B]\ny=2\r\nz=3\r\n");

    ini.set("C", "k", "v");
    EXPECT_TRUE(ini.bytes().ends_with("z=3\r\n[C]\r\nk=v\r\n"));
}

TEST(ProfileText, NewFileUsesCrlfAndLfFileKeepsLf) {
    ProfileText fresh;
    fresh.set("Defaults", "Source", "1");
    EXPECT_EQ(fresh.bytes(), "[Defaults]\r\nSource=1\r\n");

    ProfileText unix("[S]\nk=v\n");
    unix.set("S", "k2", "v2");
    unix.set("T", "k", "v");
    EXPECT_EQ(unix.bytes(), "[S]\nk=v\nk2=v2\n[T]\nk=v\n");
}

TEST(ProfileText, EmptyValueDeletesKeyAndEmptyKeyDeletesSection) {
    ProfileText ini("[Student Anna]\r\nScore=5\r\nscore=6\r\nGame0=1\r\n\r\n[Student Ben]\r\nScore=7\r\n"
                    "[student anna]\r\nScore=8\r\n");
    ini.set("Student Anna", "SCORE", "");
    EXPECT_FALSE(ini.get("Student Anna", "Score")) << "a duplicate must not surface after a delete";
    EXPECT_EQ(ini.get("Student Anna", "Game0").value(), "1");

    ini.set("Student Anna", "", "");
    EXPECT_FALSE(ini.hasSection("Student Anna"));
    EXPECT_EQ(ini.bytes(), "[Student Ben]\r\nScore=7\r\n");

    ini.set("Nowhere", "k", ""); // deleting what is absent changes nothing
    EXPECT_EQ(ini.bytes(), "[Student Ben]\r\nScore=7\r\n");
}

TEST(ProfileText, LineBreaksInValuesCannotPlantKeys) {
    ProfileText ini;
    ini.set("Defaults", "Students", "Anna\r\n[Evil]\nScore=999");
    EXPECT_FALSE(ini.hasSection("Evil"));
    EXPECT_EQ(ini.keys("Defaults"), std::vector<std::string>{"Students"});
}

TEST(ProfileFile, ReadsAndWritesFiles) {
    TempDir dir;
    std::string path = dir.file("Parlora20.ini");
    EXPECT_EQ(ProfileFile::Read(path, "Defaults", "Source", "-1"), "-1") << "missing file";

    ProfileFile::Write(path, "Defaults", "Students", "\"Anna,\"\"B\"\"\"");
    ProfileFile::Write(path, "Student Anna", "Score", "42");
    EXPECT_EQ(dir.read("Parlora20.ini"),
              "[Defaults]\r\nStudents=\"Anna,\"\"B\"\"\"\r\n[Student Anna]\r\nScore=42\r\n");
    EXPECT_EQ(ProfileFile::Read(path, "defaults", "STUDENTS", ""), "Anna,\"\"B\"\"");

    ProfileFile::EraseSection(path, "student anna");
    EXPECT_EQ(ProfileFile::Read(path, "Student Anna", "Score", "0"), "0");
    EXPECT_EQ(ProfileFile::Load(path).sections(), std::vector<std::string>{"Defaults"});
}

TEST(ProfileFile, LongValuesAreReadWhole) {
    TempDir dir;
    std::string path = dir.file("long.ini");
    std::string value(10000, 'w');
    value[4094] = 'A';
    value[4095] = 'B';
    value.back() = 'Z';
    ProfileFile::Write(path, "Student Anna", "Weights0", value);
    EXPECT_EQ(ProfileFile::Read(path, "Student Anna", "Weights0", ""), value);
}

TEST(ProfileFile, WindowsBytesRoundTripUnchanged) {
    TempDir dir;
    const std::string original = "[Defaults]\r\nStudents=\"J\xFCrgen,Fran\xE7oise,\x80uro\"\r\n"
                                 "[Student J\xFCrgen]\r\nScore=3\r\n";
    dir.write("cp.ini", original);
    std::string path = dir.file("cp.ini");
    EXPECT_EQ(ProfileFile::Read(path, "Student J\xFCrgen", "Score", ""), "3");
    ProfileFile::Write(path, "Student J\xFCrgen", "Score", "3"); // same value: nothing to rewrite
    ProfileFile::Write(path, "Student J\xFCrgen", "Sessions", "2");
    ProfileFile::Write(path, "Student J\xFCrgen", "Sessions", "");
    EXPECT_EQ(dir.read("cp.ini"), original);
}

TEST(ProfileFile, ErrorsCarryTheMessages) {
    TempDir dir;
    auto message = [](auto&& call) {
        try {
            call();
        } catch (const ProfileError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([] { ProfileFile::Read("", "Defaults", "Source", ""); }),
              "No file specified for GetProfile Defaults, Source");
    EXPECT_EQ(message([] { ProfileFile::Write("", "Defaults", "Source", "1"); }),
              "No file specified for WriteProfile Defaults, Source");
    EXPECT_EQ(message([&] { ProfileFile::Write(dir.file("x.ini"), "", "Source", "1"); }),
              "No section specified for WriteProfile");
    std::string missingFolder = dir.file("no/such/folder/x.ini");
    EXPECT_EQ(message([&] { ProfileFile::Write(missingFolder, "Defaults", "Source", "1"); }),
              "Write to " + missingFolder + " failed - No such file or directory");
}

TEST(ProfileFile, UnreadableFileIsNotReplaced) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("folder.ini"));
    EXPECT_THROW(ProfileFile::Write(dir.file("folder.ini"), "Defaults", "Source", "1"), ProfileError);
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder.ini")));
}

TEST(WriteFileAtomically, FailureLeavesTheOldFileAndNoLitter) {
    TempDir dir;
    dir.write("records.ini", "old");
    // Renaming a file over a non-empty folder fails after the temporary file is complete.
    dir.write("busy/inside", "x");
    errno = 0;
    EXPECT_FALSE(WriteFileAtomically(dir.file("busy"), "new"));
    EXPECT_NE(errno, 0);
    EXPECT_EQ(dir.read("busy/inside"), "x");
    EXPECT_TRUE(WriteFileAtomically(dir.file("records.ini"), "new"));
    EXPECT_EQ(dir.read("records.ini"), "new");
    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 2) << "no temporary files left behind";
}

TEST(WriteFileAtomically, KeepsPermissions) {
    TempDir dir;
    dir.write("r.ini", "a");
    namespace fs = std::filesystem;
    fs::permissions(dir.file("r.ini"),
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(WriteFileAtomically(dir.file("r.ini"), "b"));
    EXPECT_EQ(fs::status(dir.file("r.ini")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(WriteFileAtomically, KilledWriterNeverLeavesAPartialFile) {
    TempDir dir;
    std::string path = dir.file("records.ini");
    const std::string a(64 * 1024, 'a'), b(96 * 1024, 'b');
    ASSERT_TRUE(WriteFileAtomically(path, a));

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        for (int i = 0;; ++i)
            WriteFileAtomically(path, i % 2 ? a : b);
    }
    usleep(30000);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    std::string now = dir.read("records.ini");
    EXPECT_TRUE(now == a || now == b) << "size " << now.size();
}

TEST(RemoveLeftoverWrites, TakesOnlyOldTemporaryCopiesOfOurRecordsFiles) {
    namespace fs = std::filesystem;
    TempDir dir;
    const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(5);
    auto aged = [&](const std::string& name) {
        dir.write(name, "[Defaults]\r\n");
        fs::last_write_time(dir.file(name), old);
    };
    aged(".Parlora3.ini.Ab3xZ9");  // a killed writer's copy
    aged(".parlora12.INI.000000"); // any target, any letter case
    dir.write(".Parlora5.ini.q1w2e3", "young: perhaps another computer's write in flight");
    aged("Parlora3.ini");         // the records themselves
    aged(".Parlora3.ini.abc");    // not a name mkstemp makes
    aged(".Parlora3.ini.abc-12"); // nor this
    aged(".Registry.ini.Ab3xZ9"); // not a records file
    aged(".Parlora3.ini.Ab3xZ9.bak");
    fs::create_directory(dir.file(".Parlora4.ini.qqqqqq"));
    fs::create_symlink(dir.file("Parlora3.ini"), dir.file(".Parlora6.ini.zzzzzz"));

    EXPECT_EQ(RemoveLeftoverWrites(dir.path(), "Parlora", ".ini", 60), 2);
    EXPECT_FALSE(fs::exists(dir.file(".Parlora3.ini.Ab3xZ9")));
    EXPECT_FALSE(fs::exists(dir.file(".parlora12.INI.000000")));
    for (const char* kept :
         {".Parlora5.ini.q1w2e3", "Parlora3.ini", ".Parlora3.ini.abc", ".Parlora3.ini.abc-12",
          ".Registry.ini.Ab3xZ9", ".Parlora3.ini.Ab3xZ9.bak", ".Parlora4.ini.qqqqqq"})
        EXPECT_TRUE(fs::exists(dir.file(kept))) << kept;
    EXPECT_TRUE(fs::is_symlink(dir.file(".Parlora6.ini.zzzzzz")));
    EXPECT_EQ(RemoveLeftoverWrites(dir.file("missing"), "Parlora", ".ini", 0), 0);
}

TEST(RemoveLeftoverWrites, RecognisesTheNamesTheWriterMakes) {
    // A writer killed after mkstemp leaves exactly such a name: make one the same way.
    TempDir dir;
    std::string pattern = dir.file(".Parlora3.ini.XXXXXX");
    int fd = mkstemp(pattern.data());
    ASSERT_GE(fd, 0);
    close(fd);
    EXPECT_TRUE(IsAtomicWriteTempName(std::filesystem::path(pattern).filename().string(), "Parlora3.ini"));
    EXPECT_EQ(RemoveLeftoverWrites(dir.path(), "Parlora", ".ini", 0), 1);
}
