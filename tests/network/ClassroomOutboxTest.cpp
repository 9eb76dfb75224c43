// What a pupil's computer keeps on disk for the classroom: the outbox of what the manager missed
// (damaged lines, merging, bounds; its round trip is the classroom link's test) and the key file
// (private, never read through a link or when it is not what it should be).
#include "network/ClassroomOutbox.h"
#include "network/PupilKey.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using namespace parlora;
using namespace parlora::test;

namespace {

using Kind = TClassroomOutbox::Kind;
using Entry = TClassroomOutbox::Entry;

Entry Write(const std::string& section, const std::string& key, const std::string& value) {
    return {Kind::Write, section, key, value};
}
Entry Report(Kind kind, int first, int second) {
    return {kind, {}, {}, {}, first, second};
}
// "W|section|key|value", "E|1|2", "S|1|2" lines, to compare the entries in one go.
std::string Text(const TClassroomOutbox& box) {
    std::string out;
    for (const Entry& e : box.entries())
        out += e.kind == Kind::Write ? "W|" + e.section + "|" + e.key + "|" + e.value + "\n"
                                     : (e.kind == Kind::End ? "E|" : "S|") + std::to_string(e.first) + "|" +
                                           std::to_string(e.second) + "\n";
    return out;
}

struct ClassroomOutbox : ::testing::Test {
    TempDir tmp;
    std::string path = tmp / "outbox.txt";
    std::vector<std::string> logged;
    TClassroomOutbox::LogLine log = [this](const std::string& line) { logged.push_back(line); };
};

TEST_F(ClassroomOutbox, DamagedLinesAreSkippedAndLoggedAndTheRestIsRead) {
    WriteFile(path, "P\t3\nW\tStudent Ann\tGame1\t1\n"
                    "W\tStudent Ann\tbad\\q\t2\nW\tAnn\tno value\nX\t1\t2\nE\t12\nE\t1\tforty\n"
                    "S\t99999999999\t1\n\x01\xff garbage\n\n"
                    "S\t5\t1\nW\tStudent Ann\tGame2\t2");
    TClassroomOutbox box(path, log);
    box.Load();
    EXPECT_EQ(box.pupil(), 3);
    EXPECT_EQ(Text(box), "W|Student Ann|Game1|1\nS|5|1\nW|Student Ann|Game2|2\n");
    ASSERT_EQ(logged.size(), 7u);
    EXPECT_NE(logged[0].find("line 3 skipped"), std::string::npos) << logged[0];
}

TEST_F(ClassroomOutbox, ANewerWriteOfAKeyReplacesTheOlderAndAnEraseItsWholeSection) {
    TClassroomOutbox box(path, log);
    box.Add(Write("Student Ann", "Score", "1"));
    box.Add(Write("Student Bob", "Score", "2"));
    box.Add(Report(Kind::End, 1, 2));
    box.Add(Write("student ann", "SCORE", "3"));
    EXPECT_EQ(Text(box), "W|Student Bob|Score|2\nE|1|2\nW|student ann|SCORE|3\n");
    EXPECT_EQ(box.Written("Student Ann", "score").value_or("?"), "3");
    EXPECT_EQ(box.Written("Student Ann", "Game1"), std::nullopt);

    box.Add(Write("Student Ann", "Game1", "4"));
    box.Add(Write("Student Ann", "", ""));
    box.Add(Write("Student Ann", "Game1", "5"));
    EXPECT_EQ(Text(box), "W|Student Bob|Score|2\nE|1|2\nW|Student Ann||\nW|Student Ann|Game1|5\n");
    EXPECT_EQ(box.Written("Student Ann", "Game1").value_or("?"), "5");
    EXPECT_EQ(box.Written("Student Ann", "Score").value_or("?"), "") << "erased";
    EXPECT_EQ(box.Written("Student Bob", "Score").value_or("?"), "2");
}

TEST_F(ClassroomOutbox, AFullBoxRefusesNewEntriesAndSaysSoOnce) {
    TClassroomOutbox box(path, log, 3, 200);
    box.Add(Report(Kind::End, 1, 1));
    box.Add(Write("Student Ann", "Game1", "1"));
    ASSERT_TRUE(box.Add(Report(Kind::End, 2, 2)));
    EXPECT_FALSE(box.Add(Report(Kind::Score, 3, 3)));
    EXPECT_FALSE(box.Add(Write("Student Ann", "Game2", "1")));
    EXPECT_EQ(logged.size(), 1u);
    // A write that replaces one still fits; one too large does not, and leaves the older one.
    EXPECT_TRUE(box.Add(Write("Student Ann", "Game1", "2")));
    EXPECT_FALSE(box.Add(Write("Student Ann", "Game1", std::string(300, 'x'))));
    EXPECT_EQ(Text(box), "E|1|1\nE|2|2\nW|Student Ann|Game1|2\n");
}

TEST_F(ClassroomOutbox, KeyFileIsWrittenPrivatelyAndReadOnlyFromAPlainFileOfItsOwn) {
    std::string folder = tmp / "data/Lingwell/Classroom";
    ASSERT_TRUE(MakeClassroomFolder(folder));
    path = folder + "/pupil.key";
    std::string why;
    EXPECT_EQ(ReadPupilKey(path, why), std::nullopt);
    EXPECT_EQ(why, "") << "no file is no fault";
    ASSERT_TRUE(WritePupilKey(path, {"12.00ff", "ABCD-EFGH-JK"}, why)) << why;
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    std::optional<TStoredKey> key = ReadPupilKey(path, why);
    ASSERT_TRUE(key.has_value()) << why;
    EXPECT_EQ(key->key + " " + key->code, "12.00ff ABCD-EFGH-JK");
    EXPECT_EQ(KeyPupil(key->key), 12);
    EXPECT_FALSE(WritePupilKey(path, {"12.00ff", "A\nkey=13.1"}, why)) << "a code cannot add a line";

    // Never through a link; a write replaces the link, not what it points at.
    std::string elsewhere = tmp / "elsewhere.key";
    WriteFile(elsewhere, "key=13.aa\n");
    std::filesystem::remove(path);
    std::filesystem::create_symlink(elsewhere, path);
    EXPECT_EQ(ReadPupilKey(path, why), std::nullopt);
    EXPECT_NE(why.find("link"), std::string::npos) << why;
    ASSERT_TRUE(WritePupilKey(path, {"12.00ff", "C"}, why)) << why;
    EXPECT_FALSE(std::filesystem::is_symlink(path));
    EXPECT_EQ(ReadFile(elsewhere), "key=13.aa\n");

    WriteFile(path, "key=12.00ff\n" + std::string(kPupilKeyFileMax, '#'));
    EXPECT_EQ(ReadPupilKey(path, why), std::nullopt) << "too large";
}

} // namespace
