#include "shell/RecordsIndex.h"
#include "core/Errors.h"
#include "core/ProfileFile.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>

namespace parlora {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Dates a file back by an hour, as a file left by an earlier session is.
void Age(const std::string& path) {
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    timespec times[2] = {st.st_atim, st.st_mtim};
    times[0].tv_sec -= 3600;
    times[1].tv_sec -= 3600;
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// Another program's way of writing: a new file renamed over the old one.
void ReplaceByRename(const std::string& path, const std::string& bytes) {
    WriteFile(path + ".new", bytes);
    ASSERT_EQ(std::rename((path + ".new").c_str(), path.c_str()), 0);
}

// Lines that the profile rules treat differently: headers with blanks, letter case, text after the
// bracket or no name, duplicates, comments, keys without names, quotes, CR alone, no line end.
TEST(RecordsIndex, AnswersEveryLookupAsProfileTextDoes) {
    const std::vector<std::string> lines = {
        "[Student Anna]",
        "[student anna]",
        " [ Student Anna ] ",
        "[Student Bob] trailing",
        "[]",
        "[ ]",
        "[Defaults]",
        "[DEFAULTS]",
        "[unclosed",
        "[Zo\xEB]",
        "Score=10",
        "score = 20",
        "  SCORE=30  ",
        "Score=\"40\"",
        "Score=\"",
        "Score=\"\"",
        "Score=a=b",
        "=orphan",
        " = x",
        ";Score=99",
        "  ; Score=98",
        "Students=\"\"Anna Smith\",Bob\"",
        "Game2=1,2,3",
        "no equals here",
        "",
        "   ",
        "Key\r=cr",
        "Sessions=\t5\t",
        "LastUsed=24/12/2026",
        "[Student Anna]x=1",
    };
    const std::vector<std::string> ends = {"\r\n", "\n", "\r\n", "\r"};
    const std::vector<std::string> sections = {
        "Student Anna", "STUDENT ANNA", " Student Anna ", "Student Bob", "",       " ",
        "Defaults",     "defaults",     "[unclosed",      "Zo\xEB",      "ZO\xCB", "Missing"};
    const std::vector<std::string> keys = {"Score", "score",  " Score ", "Students", "Game2",
                                           "",      "Key",    "Key\r",   "Sessions", "LastUsed",
                                           "x",     ";Score", "Missing"};
    std::mt19937 rng(20261224);
    for (int round = 0; round < 400; ++round) {
        std::string text;
        int count = int(rng() % 40);
        for (int i = 0; i < count; ++i)
            text += lines[rng() % lines.size()] + ends[rng() % ends.size()];
        if (rng() % 3 == 0) text += lines[rng() % lines.size()]; // a last line without its end
        const ProfileText expected(text);
        const RecordsIndex index(text);
        for (const auto& section : sections) {
            EXPECT_EQ(index.hasSection(section), expected.hasSection(section)) << text;
            for (const auto& key : keys)
                ASSERT_EQ(index.get(section, key), expected.get(section, key))
                    << "[" << section << "] " << key << " in:\n"
                    << text;
        }
    }
}

struct CacheFixture {
    TempDir dir;
    std::string path = dir / "Parlora5.ini";
    RecordsFileCache cache;
    std::string Score(const std::string& student) {
        return cache.Current(path).get("Student " + student, "Score").value_or("-");
    }
};

TEST(RecordsFileCache, ReadsOnceButNoticesEveryChangeOfAnotherProgram) {
    CacheFixture f;
    EXPECT_EQ(f.Score("Anna"), "-"); // no file yet
    WriteFile(f.path, "[Student Anna]\r\nScore=10\r\n");
    // Just written: a second write within the same tick of a coarse clock would keep every stamp.
    EXPECT_EQ(f.Score("Anna"), "10");
    EXPECT_EQ(f.Score("Anna"), "10");
    EXPECT_EQ(f.cache.loads(), 3);
    Age(f.path);
    EXPECT_EQ(f.Score("Anna"), "10");
    EXPECT_EQ(f.Score("Anna"), "10");
    EXPECT_EQ(f.cache.loads(), 4);

    // A new file of the same size: the inode tells.
    ReplaceByRename(f.path, "[Student Anna]\r\nScore=20\r\n");
    Age(f.path);
    EXPECT_EQ(f.Score("Anna"), "20");
    // Written in place with its old times put back: the size and the change time tell.
    struct stat before {};
    ::stat(f.path.c_str(), &before);
    WriteFile(f.path, "[Student Anna]\r\nScore=300\r\n");
    timespec times[2] = {before.st_atim, before.st_mtim};
    ::utimensat(AT_FDCWD, f.path.c_str(), times, 0);
    EXPECT_EQ(f.Score("Anna"), "300");
    std::remove(f.path.c_str());
    EXPECT_EQ(f.Score("Anna"), "-");
}

TEST(RecordsFileCache, WritesKeepTheIndexInStepWithTheFile) {
    CacheFixture f;
    WriteFile(f.path, "; records\r\n[Student Anna]\r\nScore=10\r\n");
    Age(f.path);
    EXPECT_EQ(f.Score("Anna"), "10");
    f.cache.Edit(f.path, [](ProfileText& t) { t.set("Student Anna", "Score", "55"); });
    // Another program adds a student; our next write keeps it, and the index has both.
    ReplaceByRename(f.path, ReadFile(f.path) + "[Student Cy]\r\nScore=1\r\n");
    f.cache.Edit(f.path, [](ProfileText& t) { t.set("Student Bob", "Score", "7"); });
    EXPECT_EQ(f.Score("Anna"), "55");
    EXPECT_EQ(f.Score("Bob"), "7");
    EXPECT_EQ(f.Score("Cy"), "1");
    EXPECT_EQ(f.cache.loads(), 1); // the writes told the index; the file was not read again
    EXPECT_EQ(f.cache.Current(f.path).bytes(), ReadFile(f.path));

    // A failed write drops the index: the next answer reads the file.
    EXPECT_THROW(f.cache.Edit(f.dir / "Parlora5.ini/x.ini", [](ProfileText& t) { t.set("A", "B", "C"); }),
                 ProfileError);
    EXPECT_EQ(f.Score("Cy"), "1");
    EXPECT_EQ(f.cache.loads(), 2);
}

} // namespace
} // namespace parlora
