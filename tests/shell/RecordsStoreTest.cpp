#include "shell/RecordsStore.h"
#include "core/ProfileFile.h"
#include "platform/Clock.h"
#include "shell/CommaText.h"
#include "shell/RemoteProfile.h"
#include "shell/WeightTable.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace parlora {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

struct StoreFixture {
    TempDir dir;
    CourseFolders folders;
    StartOptions options;
    FakeClock clock;
    TRecordsStore store{folders, options, clock};
    StoreFixture() {
        folders.RecordsDir = dir.path();
        folders.RecordsFile = dir / "Parlora1.ini";
        clock.setShortDate("24/12/2026");
    }
};

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t nl = bytes.find("\r\n", pos);
        if (nl == std::string::npos) nl = bytes.size();
        out.push_back(bytes.substr(pos, nl - pos));
        pos = nl + 2;
    }
    return out;
}

TEST(CommaText, RoundTripsAwkwardNames) {
    std::vector<std::vector<std::string>> lists = {
        {"Anna Smith", "Bob"},
        {"O\"Neil", "a,b", "x"},
        {"\"quoted\"", " lead", "tab\there"},
        {""},
        {"a", "", "b"},
        {"a", ""},
        {"Zo\xC3\xAB", "\xD0\x90\xD0\xBD\xD1\x8F"},
        {},
    };
    for (const auto& list : lists)
        EXPECT_EQ(DecodeCommaText(EncodeCommaText(list)), list) << EncodeCommaText(list);

    EXPECT_EQ(EncodeCommaText({"Anna Smith", "O\"Neil", "x,y", "Bob"}),
              "\"Anna Smith\",\"O\"\"Neil\",\"x,y\",Bob");
    EXPECT_EQ(EncodeCommaText({""}), "\"\"");
    EXPECT_EQ(DecodeCommaText("  a b ,c"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(DecodeCommaText("a,,b,"), (std::vector<std::string>{"a", "", "b", ""}));
    EXPECT_EQ(DecodeCommaText("\"unterminated"), (std::vector<std::string>{"unterminated"}));
    EXPECT_EQ(DecodeCommaText(""), (std::vector<std::string>{}));
}

TEST(RecordsStore, StudentListThroughTheFile) {
    StoreFixture f;
    auto& s = f.store;
    s.LoadStudentList();
    EXPECT_TRUE(s.students().empty());
    EXPECT_TRUE(s.AddStudent("Anna Smith"));
    EXPECT_TRUE(s.AddStudent("O\"Neil"));
    EXPECT_TRUE(s.AddStudent("x,y"));
    EXPECT_FALSE(s.AddStudent("anna smith"));
    EXPECT_TRUE(s.AddStudent("\xC3\x89lise")); // Élise
    EXPECT_FALSE(s.AddStudent("\xC3\xA9LISE"));
    EXPECT_EQ(ProfileFile::Read(f.folders.RecordsFile, "Defaults", "Students", "?"),
              "\"Anna Smith\",\"O\"\"Neil\",\"x,y\",\xC3\x89lise");

    TRecordsStore other(f.folders, f.options, f.clock);
    other.LoadStudentList();
    EXPECT_EQ(other.StudentNames(),
              (std::vector<std::string>{"Anna Smith", "O\"Neil", "x,y", "\xC3\x89lise"}));

    other.SetCurrentStudent("x,y");
    other.WriteStudentInt("Score", 3);
    EXPECT_EQ(ProfileFile::Read(f.folders.RecordsFile, "Student x,y", "Score", ""), "3");
    other.EraseStudentSection();
    EXPECT_TRUE(other.DeleteCurrentStudent());
    EXPECT_EQ(other.CurrentStudent(), "");
    EXPECT_FALSE(other.DeleteCurrentStudent());
    EXPECT_FALSE(ProfileFile::Load(f.folders.RecordsFile).hasSection("Student x,y"));
    s.LoadStudentList();
    EXPECT_EQ(s.students().size(), 3u);
}

TEST(RecordsStore, RefusesNamesThatWouldBreakTheFile) {
    StoreFixture f;
    for (const std::string& bad :
         std::vector<std::string>{"", "   ", "Ann]a", "[x]", ";Anna", "An\nna", "An\rna", "Tab\t", "Del\x7F",
                                  " Anna", "Anna ", std::string("\xEB\xFF", 2)})
        EXPECT_FALSE(f.store.AddStudent(bad)) << bad;
    EXPECT_TRUE(f.store.students().empty());
    EXPECT_FALSE(std::filesystem::exists(f.folders.RecordsFile));
    EXPECT_TRUE(f.store.AddStudent("An;na [1]") == false); // "]" anywhere
    EXPECT_TRUE(f.store.AddStudent("An;na (1)"));
}

TEST(RecordsStore, ScoresAndTotals) {
    StoreFixture f;
    WriteFile(f.folders.RecordsFile, "[Student Kim]\r\nGame2=10,-1,5\r\nSessions=x\r\n");
    auto& s = f.store;
    s.SetCurrentStudent("Kim");
    int hookCalls = 0;
    s.LoadStudent([&] { ++hookCalls; });
    EXPECT_EQ(hookCalls, 1);
    EXPECT_EQ(s.GetScore(0, 2), 10);
    EXPECT_EQ(s.GetScore(1, 2), -1);
    EXPECT_EQ(s.GetScore(2, 2), 5);
    for (int slot = 3; slot < 10; ++slot)
        EXPECT_EQ(s.GetScore(slot, 2), -1);
    EXPECT_EQ(s.GetScore(0, 0), -1);
    EXPECT_EQ(s.GetScore(10, 0), -1);
    EXPECT_EQ(s.Total(), 15);
    auto read = [&](const char* key) {
        return ProfileFile::Read(f.folders.RecordsFile, "Student Kim", key, "");
    };
    EXPECT_EQ(read("Score"), "15");
    EXPECT_EQ(read("Sessions"), "1"); // not a number: counted from 0
    EXPECT_EQ(read("LastUsed"), "24/12/2026");

    s.StoreScore(4, 0, 0); // practice: recorded, not counted
    EXPECT_EQ(read("Game0"), "-1,-1,-1,-1,0,-1,-1,-1,-1,-1");
    EXPECT_EQ(s.Total(), 15);
    EXPECT_EQ(s.ActivityScore(), 0);

    s.StoreScore(3, 2, 50);
    EXPECT_EQ(s.Total(), 65);
    s.StoreScore(3, 2, 40); // the last result stays, even when lower
    EXPECT_EQ(s.Total(), 55);
    EXPECT_EQ(read("Game2"), "10,-1,5,40,-1,-1,-1,-1,-1,-1");
    EXPECT_EQ(read("Score"), "55");
    s.StoreScore(9, 6, 55);
    EXPECT_EQ(s.Total(), 110);
    EXPECT_EQ(s.ActivityScore(), 55);
    EXPECT_EQ(s.NetworkScore(), 110);

    s.LoadStudent();
    EXPECT_EQ(read("Sessions"), "2");
    EXPECT_EQ(s.GetScore(9, 6), 55);

    std::vector<int> levels;
    for (int t : {899, 900, 1199, 1200, 1499, 1500})
        levels.push_back(TRecordsStore::AwardLevel(t));
    EXPECT_EQ(levels, (std::vector<int>{0, 1, 1, 2, 2, 3}));
}

TEST(RecordsStore, QuizModeIgnoresStoredScores) {
    StoreFixture f;
    f.options.quiz = true;
    WriteFile(f.folders.RecordsFile, "[Student Kim]\r\nGame2=10,-1,5\r\n");
    f.store.SetCurrentStudent("Kim");
    f.store.LoadStudent();
    EXPECT_EQ(f.store.GetScore(0, 2), -1);
    EXPECT_EQ(f.store.Total(), 0);
    f.store.SetQuizScore(33);
    EXPECT_EQ(f.store.NetworkScore(), 33);
}

TEST(RecordsStore, RecordsOffReadsDefaultsAndWritesNothing) {
    StoreFixture f;
    f.folders.RecordsFile.clear();
    auto& s = f.store;
    EXPECT_EQ(s.backend(), TRecordsStore::Backend::Off);
    s.SetCurrentStudent("Student");
    s.LoadStudent();
    s.StoreScore(0, 2, 30);
    EXPECT_EQ(s.Total(), 30);
    EXPECT_EQ(s.ReadStudentValue("Male", "Male2"), "Male2");
    EXPECT_EQ(s.ReadRecordInt("Defaults", "Source", 7), 7);
    EXPECT_TRUE(s.AddStudent("Anna"));
    EXPECT_TRUE(std::filesystem::is_empty(f.dir.path()));
}

TEST(RecordsStore, LongValuesAndIntegers) {
    StoreFixture f;
    std::string big(10000, 'x');
    f.store.WriteRecordValue("Defaults", "Big", big);
    EXPECT_EQ(f.store.ReadRecordValue("Defaults", "Big", ""), big);
    f.store.WriteRecordValue("Defaults", "N", "12z");
    EXPECT_EQ(f.store.ReadRecordInt("Defaults", "N", -4), -4);
    f.store.WriteRecordInt("Defaults", "N", -12);
    EXPECT_EQ(f.store.ReadRecordInt("Defaults", "N", 0), -12);
    // No current student: nothing is written under a nameless section.
    f.store.WriteStudentValue("Male", "Male1");
    EXPECT_FALSE(ProfileFile::Load(f.folders.RecordsFile).hasSection("Student"));
}

TEST(RecordsStore, SortsByScoreAndRewritesOnlyWhenNeeded) {
    StoreFixture f;
    std::string file =
        "[Defaults]\nStudents = \"Bob,Anna,Cy\"\n[Student Anna]\nScore=50\n[Student Bob]\nScore=90\n";
    WriteFile(f.folders.RecordsFile, file);
    f.store.LoadStudentList();
    f.store.SortStudentsByScore(); // 90, 50, 0: already in order
    EXPECT_EQ(ReadFile(f.folders.RecordsFile), file);
    EXPECT_EQ(f.store.students()[2].tag, 0);

    WriteFile(f.dir / "Parlora2.ini",
              "[Defaults]\nStudents=Anna,Cy,Bob\n[Student Anna]\nScore=50\n[Student Bob]\nScore=90\n");
    f.folders.RecordsFile = f.dir / "Parlora2.ini";
    f.store.LoadStudentList();
    f.store.SortStudentsByScore();
    EXPECT_EQ(f.store.StudentNames(), (std::vector<std::string>{"Bob", "Anna", "Cy"}));
    EXPECT_EQ(ProfileFile::Read(f.folders.RecordsFile, "Defaults", "Students", ""), "Bob,Anna,Cy");
}

// The manager keeps the same sections and keys as the file.
class FakeRemote : public IRemoteProfile {
  public:
    std::map<std::pair<std::string, std::string>, std::string> values;
    std::string GetRemoteProfileString(const std::string& s, const std::string& k,
                                       const std::string& d) override {
        auto it = values.find({s, k});
        return it == values.end() ? d : it->second;
    }
    void WriteRemoteProfileString(const std::string& s, const std::string& k, const std::string& v) override {
        values[{s, k}] = v;
    }
};

TEST(RecordsStore, NetworkModeGoesToTheManager) {
    StoreFixture f;
    FakeRemote remote;
    f.options.network = true;
    f.store.SetRemote(&remote);
    EXPECT_EQ(f.store.backend(), TRecordsStore::Backend::Network);
    remote.values[{"Student Kim", "Game3"}] = "7";
    f.store.SetCurrentStudent("Kim");
    f.store.LoadStudent();
    f.store.StoreScore(1, 3, 45);
    EXPECT_EQ((remote.values[{"Student Kim", "Game3"}]), "7,45,-1,-1,-1,-1,-1,-1,-1,-1");
    EXPECT_EQ((remote.values[{"Student Kim", "Score"}]), "52");
    EXPECT_EQ((remote.values[{"Student Kim", "Sessions"}]), "1");
    EXPECT_FALSE(std::filesystem::exists(f.folders.RecordsFile));
}

// A records file as the Windows program leaves it: CRLF, Windows-1252 names, unknown keys and
// sections, odd spacing. Loading a student and storing a score must change only the lines written.
TEST(RecordsStore, WindowsFileKeepsEveryUntouchedLine) {
    StoreFixture f;
    const std::string original = "[Defaults]\r\n"
                                 "Students=\"\"Anna Smith\",Zo\xEB,Bob\"\r\n"
                                 "Source=3\r\n"
                                 "; kept comment\r\n"
                                 "Unknown = thing  \r\n"
                                 "\r\n"
                                 "[Student Anna Smith]\r\n"
                                 "Score=15\r\n"
                                 "Game2=10,-1,5,-1,-1,-1,-1,-1,-1,-1\r\n"
                                 "\r\n"
                                 "[Other]\r\n"
                                 "Foo=Bar\r\n"
                                 "\r\n"
                                 "[Student Zo\xEB]\r\n"
                                 "Game3=20,-1,-1,-1,-1,-1,-1,-1,-1,-1\r\n"
                                 "Weights1 = 50,50\r\n"
                                 "Male=Male1\r\n"
                                 "Sessions=4\r\n"
                                 "LastUsed=01/02/2008\r\n"
                                 "Score=20\r\n"
                                 "Note=\xE9t\xE9\r\n"
                                 "\r\n"
                                 "[Student Bob]\r\n"
                                 "Score=0\r\n";
    WriteFile(f.folders.RecordsFile, original);
    auto& s = f.store;
    s.LoadStudentList();
    ASSERT_EQ(s.StudentNames(), (std::vector<std::string>{"Anna Smith", "Zo\xC3\xAB", "Bob"}));

    s.SetCurrentStudent("Zo\xC3\xAB");
    EXPECT_EQ(s.StudentSection(), "Student Zo\xEB");
    TWeightTable weights;
    s.LoadStudent([&] {
        weights.LoadWeights(TWeightTable::kAllTopics, [&](const std::string& k, const std::string& d) {
            return s.ReadStudentValue(k, d);
        });
    });
    EXPECT_EQ(weights.GetWeight(1, 2), 50);
    EXPECT_EQ(weights.GetWeight(1, 3), 100);
    EXPECT_EQ(s.GetScore(0, 3), 20);
    EXPECT_EQ(s.ReadStudentValue("Male", ""), "Male1");
    EXPECT_EQ(s.ReadStudentValue("Note", ""), "\xE9t\xE9"); // values stay bytes
    s.StoreScore(1, 2, 35);

    std::vector<std::string> expected = Lines(original);
    auto at = [&](const std::string& line) { return std::find(expected.begin(), expected.end(), line); };
    *at("Sessions=4") = "Sessions=5";
    *at("LastUsed=01/02/2008") = "LastUsed=24/12/2026";
    *at("Score=20") = "Score=55";
    expected.insert(at("Note=\xE9t\xE9") + 1, "Game2=-1,35,-1,-1,-1,-1,-1,-1,-1,-1");
    std::string after = ReadFile(f.folders.RecordsFile);
    EXPECT_EQ(Lines(after), expected);
    EXPECT_EQ(after.find("\n\n"), std::string::npos); // no bare LF crept in
    EXPECT_EQ(std::count(after.begin(), after.end(), '\n'), std::count(after.begin(), after.end(), '\r'));

    // Adding a student keeps the others' spelling, so their sections stay reachable.
    EXPECT_FALSE(s.AddStudent("ZO\xC3\x8B"));
    EXPECT_TRUE(s.AddStudent("Chlo\xC3\xA9"));
    EXPECT_EQ(ProfileFile::Read(f.folders.RecordsFile, "Defaults", "Students", ""),
              "\"Anna Smith\",Zo\xEB,Bob,Chlo\xC3\xA9");
    TRecordsStore again(f.folders, f.options, f.clock);
    again.LoadStudentList();
    EXPECT_EQ(again.StudentNames(),
              (std::vector<std::string>{"Anna Smith", "Zo\xC3\xAB", "Bob", "Chlo\xC3\xA9"}));
    again.SetCurrentStudent("Zo\xC3\xAB");
    EXPECT_EQ(again.ReadStudentInt("Score", -1), 55);
}

// "" when equal, else where the bytes first differ, with a little of each around it (a whole
// large file would drown the report).
std::string FirstDifference(const std::string& actual, const std::string& expected) {
    if (actual == expected) return "";
    size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    size_t from = at < 40 ? 0 : at - 40;
    return "at byte " + std::to_string(at) + " of " + std::to_string(actual.size()) + ": \"" +
           actual.substr(from, 80) + "\" where \"" + expected.substr(from, 80) + "\" was expected";
}

// A large class's file as years of use leave it: sections in another order than the list, odd
// spacing, comments, LF among CRLF, Windows-1252 and quoted names, students without a section, a
// later duplicate of a section in other letter case. Sorting it (already in order) must not touch
// it, and adding a student must change the list line and nothing else.
TEST(RecordsStore, TenThousandStudentsKeepTheirFileByteForByteWhenOneIsAdded) {
    StoreFixture f;
    std::vector<std::string> list;
    std::string sections;
    for (int i = 0; i < 10000; ++i) {
        std::string name = "Student" + std::to_string(10000 + i);
        if (i % 1000 == 7) name = "Zo\xEB " + std::to_string(i);
        if (i % 500 == 3) name = "Anna \"Smith\" " + std::to_string(i);
        list.push_back(name);
        if (i >= 9990) continue; // never chosen: no section, a total of 0
        const int score = 30000 - 3 * (i / 2);
        const std::string eol = i % 7 == 0 ? "\n" : "\r\n";
        std::string section =
            "[Student " + name + "]" + eol + (i % 5 == 0 ? " Score = " : "Score=") + std::to_string(score) +
            (i % 5 == 0 ? "  " : "") + eol + (i % 11 == 0 ? "; kept comment" + eol : "") +
            "Sessions=" + std::to_string(i % 9) + eol + "LastUsed=01/02/2025" + eol + (i % 3 == 0 ? eol : "");
        sections = section + sections;
    }
    // Names with a blank are quoted, their quotes doubled.
    std::string listValue;
    for (const auto& name : list) {
        std::string entry = name;
        if (name.find(' ') != std::string::npos) {
            entry = "\"";
            for (char c : name)
                entry += c == '"' ? "\"\"" : std::string(1, c);
            entry += "\"";
        }
        listValue += (listValue.empty() ? "\"" : ",") + entry;
    }
    listValue += "\"";
    const std::string original = "; Parlora records\r\n[Defaults]\r\nStudents=" + listValue +
                                 "\r\nSource=3\r\n\r\n[Other]\r\nFoo = Bar\r\n\r\n" + sections +
                                 "[student student10005]\r\nScore=999999\r\n";
    WriteFile(f.folders.RecordsFile, original);
    auto& s = f.store;
    s.LoadStudentList();
    ASSERT_EQ(s.StudentNames().size(), 10000u);
    EXPECT_EQ(s.students()[3].name, "Anna \"Smith\" 3");
    EXPECT_EQ(s.students()[7].name, "Zo\xC3\xAB 7");
    s.SortStudentsByScore();
    EXPECT_EQ(s.students()[5].tag, 30000 - 6); // the first section of a name counts
    EXPECT_EQ(s.students()[9999].tag, 0);
    ASSERT_EQ(FirstDifference(ReadFile(f.folders.RecordsFile), original), "");

    EXPECT_FALSE(s.AddStudent("zo\xC3\x8B 7"));
    EXPECT_TRUE(s.AddStudent("Zo\xC3\xAB New"));
    std::string expected = original;
    const size_t listEnd = expected.find("\"\r\nSource=3");
    expected.insert(listEnd, ",\"Zo\xC3\xAB New\"");
    EXPECT_EQ(FirstDifference(ReadFile(f.folders.RecordsFile), expected), "");

    // The new student's first choice only adds a section at the end.
    s.SetCurrentStudent("Zo\xC3\xAB New");
    s.LoadStudent();
    expected += "[Student Zo\xC3\xAB New]\r\nScore=0\r\nLastUsed=24/12/2026\r\nSessions=1\r\n";
    EXPECT_EQ(FirstDifference(ReadFile(f.folders.RecordsFile), expected), "");

    TRecordsStore again(f.folders, f.options, f.clock);
    again.LoadStudentList();
    ASSERT_EQ(again.students().size(), 10001u);
    again.SetCurrentStudent("Zo\xC3\xAB 2007");
    EXPECT_EQ(again.ReadStudentInt("Score", -1), 30000 - 3 * 1003);
    EXPECT_EQ(again.ReadStudentInt("Sessions", -1), 2007 % 9);
}

// Killing the program in the middle of writing scores must never leave a truncated or empty file.
TEST(RecordsStore, KilledWriterNeverLeavesABrokenFile) {
    StoreFixture f;
    {
        TRecordsStore setup(f.folders, f.options, f.clock);
        setup.AddStudent("Anna");
        setup.AddStudent("Bob");
        // Both sections exist before the writer starts: a writer killed before its first write
        // must leave them as they were.
        setup.SetCurrentStudent("Anna");
        setup.LoadStudent();
        setup.SetCurrentStudent("Bob");
        setup.LoadStudent();
    }
    std::mt19937 rng(std::random_device{}());
    bool sawWrites = false;
    for (int round = 0; round < 5; ++round) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            TRecordsStore s(f.folders, f.options, f.clock);
            s.LoadStudentList();
            s.SetCurrentStudent("Anna");
            s.LoadStudent();
            for (int i = 0;; ++i) {
                try {
                    s.StoreScore(i % 10, 2 + i % 2, i % 51);
                } catch (...) {
                    ::_exit(3);
                }
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + rng() % 40));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "writer stopped on its own: " << status;

        ProfileText text = ProfileFile::Load(f.folders.RecordsFile);
        ASSERT_TRUE(text.hasSection("Defaults")) << round;
        ASSERT_TRUE(text.hasSection("Student Anna")) << round;
        ASSERT_TRUE(text.hasSection("Student Bob")) << round;
        EXPECT_EQ(text.get("Defaults", "Students", ""), "Anna,Bob");
        EXPECT_EQ(text.get("Student Bob", "Sessions", ""), "1");
        std::string game = text.get("Student Anna", "Game2", "-1,-1,-1,-1,-1,-1,-1,-1,-1,-1");
        EXPECT_EQ(std::count(game.begin(), game.end(), ','), 9) << game;
        sawWrites = sawWrites || text.get("Student Anna", "Game2").has_value();
    }
    EXPECT_TRUE(sawWrites) << "the writer was always killed before its first score";
}

} // namespace
} // namespace parlora
