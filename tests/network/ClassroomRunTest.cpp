// Whole classrooms: the real manager and five headless pupils, each a process of its own, on the
// demo course: the same quiz for everyone, the teacher's commands, a wrong token, and a manager
// killed in the middle of a quiz.
#include "core/StringUtil.h"
#include "network/manager/PostgresProfileStore.h"
#include "network/manager/SqliteProfileStore.h"
#include "tests/network/ClassroomHarness.h"
#include "tests/support/GoldenImage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <pwd.h>
#include <regex>
#include <sstream>

using namespace parlora;
using namespace parlora::test;
using parlora::classroom::Command;

namespace {

const char* const kStudents[] = {"Ann", "Bob", "Cleo", "Dev", "Emma Jones"};

std::string PupilScript(const TempDir& tmp, int n) {
    std::string dir = tmp / ("pupil" + std::to_string(n));
    std::ostringstream s;
    s << "expect-screen TForm_Menu\n"
      << "await-screen TForm_QuizEasy 120\n"
      << "wait 2500\n"
      << "shot " << dir << "/quiz.png\n";
    // The same clicks on every computer: with the same cards, the same score.
    const int xs[] = {403, 604, 504, 485, 600, 303, 704};
    const int ys[] = {494, 491, 469, 573, 575, 548, 527};
    for (int round = 0; round < 3; ++round)
        for (int i = 0; i < 7; ++i)
            s << "wait 1500\nclick " << xs[i] << " " << ys[i] << "\n";
    s << "wait 1000\nshot " << dir << "/played.png\n"
      << "await-screen TForm_Menu 120\n"
      << "shot " << dir << "/menu.png\n"
      << "await-end 120\n";
    return s.str();
}

// The course folder every pupil shares, logging each classroom call.
std::string CourseHome(const TempDir& tmp) {
    std::string home = LinkDemoCourse(tmp);
    WriteFile(home + "/sconfig.txt", "[Defaults]\r\nNewUser=0\r\nDebug=1\r\nNetDebug=1\r\n");
    return home;
}

bool LogHas(const std::vector<std::string>& log, const std::string& line) {
    return std::find(log.begin(), log.end(), line) != log.end();
}

// The changes of quiz score among these log lines, added up.
int QuizScoreSum(const std::vector<std::string>& lines) {
    int sum = 0;
    for (const std::string& l : lines)
        if (l.rfind("SendQuizScore ", 0) == 0) sum += std::stoi(l.substr(14));
    return sum;
}

// Every value a pupil wrote, the last one per section and key, as its own debug log tells.
std::map<std::pair<std::string, std::string>, std::string> LastWrites(const std::string& debugLog,
                                                                      const std::string& student) {
    std::map<std::pair<std::string, std::string>, std::string> last;
    std::regex line(R"(^WriteRemoteProfileString \[([^\]]*)\], ([^,]*), (.*)$)");
    std::istringstream in(debugLog);
    for (std::string l; std::getline(in, l);) {
        std::smatch m;
        if (!std::regex_match(l, m, line)) continue;
        std::string section = m[1];
        if (section == "Defaults") section = "Defaults@Student " + student;
        last[{section, m[2]}] = m[3];
    }
    return last;
}

struct ClassroomRun : ::testing::Test {
    TempDir tmp;
    Classroom room{tmp};
    std::string home = CourseHome(tmp);
    std::vector<std::unique_ptr<Process>> pupils;

    void StartPupils(int count) {
        for (int n = 1; n <= count; ++n) {
            pupils.push_back(std::make_unique<Process>());
            room.StartPupil(*pupils.back(), n, home, PupilScript(tmp, n), room.token);
        }
    }
    // All pupils connected, on the main menu and done starting (the window shown).
    bool AllReady(int count) {
        return WaitFor(
            [&] {
                for (int n = 1; n <= count; ++n) {
                    std::vector<std::string> log = room.Admin().Log(n);
                    if (!LogHas(log, "HideTutrix")) return false;
                }
                return true;
            },
            90000);
    }
    // The pupil's script has played its quiz's clicks.
    bool Played(int n) {
        return WaitFor(
            [&] { return std::filesystem::exists(tmp / ("pupil" + std::to_string(n) + "/played.png")); },
            90000);
    }
    // Every pupil has sent the score of the quiz it was stopped in, its last call.
    bool ScoresSent(int count) {
        return WaitFor(
            [&] {
                for (int n = 1; n <= count; ++n) {
                    std::vector<std::string> log = room.Admin().Log(n);
                    if (log.empty() || log.back().rfind("SendScore", 0) != 0) return false;
                }
                return true;
            },
            60000);
    }
    // Every pupil's script is back on the main menu, awaiting the end.
    bool MenusShown(int count) {
        return WaitFor(
            [&] {
                for (int n = 1; n <= count; ++n)
                    if (!std::filesystem::exists(tmp / ("pupil" + std::to_string(n) + "/menu.png")))
                        return false;
                return true;
            },
            60000);
    }
    std::string Outputs() {
        std::string all;
        for (size_t i = 0; i < pupils.size(); ++i)
            all += "--- pupil " + std::to_string(i + 1) + ":\n" + pupils[i]->Output();
        return all + "--- manager:\n" + ReadFile(tmp / "serve.log");
    }

    void KillTheManagerMidQuiz(const std::vector<std::string>& storeArgs,
                               std::unique_ptr<classroom::IProfileStore> (*open)(ClassroomRun&));

    // The whole class: connect, one quiz for everyone, stop, scores, shut down.
    void TakeTheQuizTogether(std::unique_ptr<classroom::IProfileStore> (*open)(ClassroomRun&)) {
        constexpr int kPupils = 5;
        StartPupils(kPupils);
        ASSERT_TRUE(AllReady(kPupils)) << Outputs();
        classroom::PupilList list = room.Admin().Pupils();
        ASSERT_EQ(list.pupils_size(), kPupils);
        for (const auto& p : list.pupils()) {
            EXPECT_TRUE(p.connected());
            EXPECT_TRUE(p.enrolled());
            EXPECT_EQ(p.student(), kStudents[p.pupil() - 1]);
            EXPECT_EQ(p.target(), 3);
        }

        ASSERT_EQ(room.Admin().QuizStart(276, 4242), kPupils);
        for (int n = 1; n <= kPupils; ++n)
            ASSERT_TRUE(Played(n)) << Outputs();
        // Same cards in the same places: the card table looks the same everywhere two and a half
        // seconds in (the rest of the screen has its own decorations).
        const Rect cards{248, 404, 512, 327};
        Surface first = LoadPngRaw(tmp / "pupil1/quiz.png");
        ASSERT_EQ(first.width(), 1024);
        for (int n = 2; n <= kPupils; ++n) {
            Surface other = LoadPngRaw(tmp / ("pupil" + std::to_string(n) + "/quiz.png"));
            ASSERT_EQ(other.width(), 1024);
            int differing = 0;
            for (int y = cards.y; y < cards.bottom(); ++y)
                for (int x = cards.x; x < cards.right(); ++x)
                    differing += first.row(y)[x] != other.row(y)[x];
            EXPECT_EQ(differing, 0) << "pupil " << n;
        }

        ASSERT_EQ(room.Admin().QuizStop(), kPupils);
        ASSERT_TRUE(ScoresSent(kPupils)) << Outputs();
        list = room.Admin().Pupils();
        int score = list.pupils(0).quiz_score();
        for (const auto& p : list.pupils()) {
            EXPECT_EQ(p.activity(), 0);
            EXPECT_EQ(p.quiz_score(), score) << "pupil " << p.pupil();
            EXPECT_EQ(p.last_score(), p.quiz_score()) << "pupil " << p.pupil();
            EXPECT_EQ(QuizScoreSum(room.Admin().Log(p.pupil())), p.quiz_score());
        }

        // ShutDown closes every course, none of them saying goodbye.
        ASSERT_TRUE(MenusShown(kPupils)) << Outputs();
        ASSERT_EQ(room.Admin().ShutDown(), kPupils);
        for (int n = 1; n <= kPupils; ++n) {
            EXPECT_EQ(pupils[size_t(n - 1)]->Wait(60), 0) << Outputs();
            EXPECT_FALSE(LogHas(room.Admin().Log(n), "Disconnect 0"));
            std::string debug = room.DebugLog(n);
            EXPECT_NE(debug.find("Had ShutDown\nDrop\n"), std::string::npos) << debug;
        }
        // The records are the database's, in each student's own section of target 3.
        std::unique_ptr<classroom::IProfileStore> store = open(*this);
        for (int n = 1; n <= kPupils; ++n) {
            auto sessions = store->Get(3, std::string("Student ") + kStudents[n - 1], "Sessions");
            EXPECT_TRUE(sessions.has_value()) << kStudents[n - 1];
        }
        int scoreRows = 0;
        for (const auto& r : store->Results())
            if (r.kind == "score") ++scoreRows;
        EXPECT_EQ(scoreRows, kPupils);
    }
};

std::unique_ptr<classroom::IProfileStore> OpenSqlite(ClassroomRun& run) {
    return std::make_unique<classroom::TSqliteProfileStore>(run.tmp / "class.sqlite");
}

TEST_F(ClassroomRun, FivePupilsTakeTheSameQuizAndTheManagerKeepsTheirScoresInSqlite) {
    ASSERT_TRUE(room.Serve({"--db", tmp / "class.sqlite"})) << ReadFile(tmp / "serve.log");
    TakeTheQuizTogether(OpenSqlite);
}

// A PostgreSQL server of the test's own in a private folder, run as an unprivileged user (the
// server refuses to run as root).
struct PrivatePostgres {
    std::string dir, connection, why;
    Process server;

    static constexpr const char* kBin = "/usr/lib/postgresql/15/bin";

    bool Start() {
        namespace fs = std::filesystem;
        if (!fs::exists(std::string(kBin) + "/initdb") || !fs::exists(std::string(kBin) + "/postgres")) {
            why = std::string("no PostgreSQL server binaries in ") + kBin;
            return false;
        }
        char templ[] = "/tmp/parlora-pg-XXXXXX";
        if (!mkdtemp(templ)) {
            why = "cannot make a folder in /tmp";
            return false;
        }
        dir = templ;
        std::vector<std::string> as;
        std::string user;
        if (geteuid() == 0) {
            // "nobody" owns the cluster; the folder must be reachable for it.
            if (!fs::exists("/usr/bin/setpriv")) {
                why = "running as root without setpriv to drop to an unprivileged user";
                return false;
            }
            passwd* pw = getpwnam("nobody");
            if (!pw || chown(dir.c_str(), pw->pw_uid, pw->pw_gid) != 0) {
                why = "no user \"nobody\" to run the server as";
                return false;
            }
            as = {"/usr/bin/setpriv", "--reuid=" + std::to_string(pw->pw_uid),
                  "--regid=" + std::to_string(pw->pw_gid), "--clear-groups"};
            user = "nobody";
        } else {
            passwd* pw = getpwuid(geteuid());
            user = pw ? pw->pw_name : "postgres";
        }
        std::vector<std::string> initdb = as;
        for (std::string a :
             {std::string(kBin) + "/initdb", std::string("-D"), dir + "/data", std::string("-U"), user,
              std::string("--auth=trust"), std::string("-E"), std::string("UTF8"), std::string("--no-sync")})
            initdb.push_back(a);
        Process init;
        init.Start(initdb, {{"LC_ALL", "C"}},
                   dir + "/../" + fs::path(dir).filename().string() + "-initdb.log");
        if (init.Wait(120) != 0) {
            why = "initdb failed: " + init.Output();
            return false;
        }
        int port = 20000 + int(getpid() % 20000);
        std::vector<std::string> run = as;
        for (std::string a :
             {std::string(kBin) + "/postgres", std::string("-D"), dir + "/data", std::string("-k"), dir,
              std::string("-p"), std::to_string(port), std::string("-c"), std::string("listen_addresses=")})
            run.push_back(a);
        server.Start(run, {{"LC_ALL", "C"}},
                     dir + "/../" + fs::path(dir).filename().string() + "-server.log");
        connection = "host=" + dir + " port=" + std::to_string(port) + " dbname=postgres user=" + user;
        bool up = WaitFor(
            [&] {
                if (server.Ended()) return true;
                try {
                    classroom::TPostgresProfileStore probe(connection);
                    return true;
                } catch (const std::exception&) {
                    return false;
                }
            },
            30000);
        if (!up || server.Ended()) {
            why = "the server did not start: " + server.Output();
            return false;
        }
        return true;
    }
    ~PrivatePostgres() {
        namespace fs = std::filesystem;
        // A fast shutdown: a smart one would wait for the manager, which is still connected.
        server.Kill(SIGINT);
        if (dir.empty()) return;
        std::error_code ec;
        fs::remove_all(dir, ec);
        fs::remove(dir + "-initdb.log", ec);
        fs::remove(dir + "-server.log", ec);
    }
};

PrivatePostgres* gPostgres = nullptr;

std::unique_ptr<classroom::IProfileStore> OpenPostgres(ClassroomRun&) {
    return std::make_unique<classroom::TPostgresProfileStore>(gPostgres->connection);
}

TEST_F(ClassroomRun, FivePupilsTakeTheSameQuizAndTheManagerKeepsTheirScoresInPostgres) {
    PrivatePostgres postgres;
    if (!postgres.Start()) GTEST_SKIP() << "PostgreSQL cannot start here: " << postgres.why;
    gPostgres = &postgres;
    ASSERT_TRUE(room.Serve({"--postgres", postgres.connection})) << ReadFile(tmp / "serve.log");
    TakeTheQuizTogether(OpenPostgres);
    gPostgres = nullptr;
}

TEST_F(ClassroomRun, WrongTokenIsRefusedWithAClearMessageOnBothSides) {
    ASSERT_TRUE(room.Serve({"--db", tmp / "class.sqlite"}));
    Process pupil;
    room.StartPupil(pupil, 1, home, "expect-screen TForm_Menu\n", "guessed-token", {});
    EXPECT_EQ(pupil.Wait(60), 1);
    EXPECT_NE(pupil.Output().find(
                  "Couldn't connect: the classroom manager refused this computer: wrong class token"),
              std::string::npos)
        << pupil.Output();
    EXPECT_NE(ReadFile(tmp / "serve.log").find("refused a computer joining at"), std::string::npos);
    classroom::PupilList list = room.Admin().Pupils();
    for (const auto& p : list.pupils())
        EXPECT_FALSE(p.connected() || p.enrolled()) << p.pupil();
    // The teacher's side too.
    classroom::TAdminClient wrong(room.admin, "guessed-token");
    try {
        wrong.Pupils();
        ADD_FAILURE() << "a wrong teacher token was let in";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find("refused the teacher's token"), std::string::npos) << e.what();
    }
}

// A manager killed in the middle of a quiz and started again on the same address and records.
void ClassroomRun::KillTheManagerMidQuiz(const std::vector<std::string>& storeArgs,
                                         std::unique_ptr<classroom::IProfileStore> (*open)(ClassroomRun&)) {
    constexpr int kPupils = 3;
    ASSERT_TRUE(room.Serve(storeArgs)) << ReadFile(tmp / "serve.log");
    std::string address = room.pupils;
    StartPupils(kPupils);
    ASSERT_TRUE(AllReady(kPupils)) << Outputs();
    ASSERT_EQ(room.Admin().QuizStart(276, 777), kPupils);
    ASSERT_TRUE(WaitFor(
        [&] {
            classroom::PupilList list = room.Admin().Pupils();
            for (const auto& p : list.pupils())
                if (p.pupil() <= kPupils && p.activity() != 276) return false;
            return true;
        },
        30000));
    room.server.Kill(SIGKILL);
    for (int n = 1; n <= kPupils; ++n)
        ASSERT_TRUE(WaitFor(
            [&] {
                return pupils[size_t(n - 1)]->Output().find("The classroom manager does not answer") !=
                       std::string::npos;
            },
            30000))
            << Outputs();
    for (auto& p : pupils)
        EXPECT_TRUE(p->Running()) << Outputs();

    // Back on the same address and database: the pupils find it again by themselves.
    ASSERT_TRUE(room.Serve(storeArgs, address)) << ReadFile(tmp / "serve.log");
    ASSERT_TRUE(WaitFor(
        [&] {
            classroom::PupilList list = room.Admin().Pupils();
            for (const auto& p : list.pupils())
                if (p.pupil() <= kPupils && (!p.connected() || p.lost())) return false;
            return true;
        },
        30000))
        << Outputs();
    for (int n = 1; n <= kPupils; ++n)
        ASSERT_TRUE(Played(n));
    ASSERT_EQ(room.Admin().QuizStop(), kPupils);
    ASSERT_TRUE(ScoresSent(kPupils)) << Outputs();
    // The quiz scores are whole: what was reported before the kill, while it was away and after.
    classroom::PupilList scored = room.Admin().Pupils();
    for (const auto& p : scored.pupils()) {
        if (p.pupil() > kPupils) continue;
        std::string debug = room.DebugLog(p.pupil());
        std::vector<std::string> sinceStart = Split(debug.substr(debug.rfind("SendStartActivity 276")), '\n');
        EXPECT_EQ(p.last_score(), QuizScoreSum(sinceStart)) << "pupil " << p.pupil();
    }
    ASSERT_TRUE(MenusShown(kPupils)) << Outputs();
    ASSERT_EQ(room.Admin().ShutDown(), kPupils);
    for (auto& p : pupils)
        EXPECT_EQ(p->Wait(60), 0) << Outputs();
    room.server.Kill(SIGTERM);

    // Everything each course wrote is in the database as it last wrote it.
    std::unique_ptr<classroom::IProfileStore> store = open(*this);
    for (int n = 1; n <= kPupils; ++n) {
        auto writes = LastWrites(room.DebugLog(n), kStudents[n - 1]);
        EXPECT_FALSE(writes.empty());
        for (const auto& [where, value] : writes) {
            std::optional<std::string> stored = store->Get(3, where.first, where.second);
            if (value.empty())
                EXPECT_FALSE(stored.has_value()) << where.first << "/" << where.second;
            else
                EXPECT_EQ(stored.value_or("(missing)"), value) << where.first << "/" << where.second;
        }
    }
}

TEST_F(ClassroomRun, ManagerKilledMidQuizLeavesEveryPupilUsableAndLosesNothingAcknowledged) {
    KillTheManagerMidQuiz({"--db", tmp / "class.sqlite"}, OpenSqlite);
}

TEST_F(ClassroomRun, ManagerKilledMidQuizOnPostgresLosesNothingAcknowledged) {
    PrivatePostgres postgres;
    if (!postgres.Start()) GTEST_SKIP() << "PostgreSQL cannot start here: " << postgres.why;
    gPostgres = &postgres;
    KillTheManagerMidQuiz({"--postgres", postgres.connection}, OpenPostgres);
    gPostgres = nullptr;
}

// A pupil who goes on while the manager is away and whose computer is then switched off: what it
// did meanwhile waits in its outbox on disk and reaches the manager when the course starts again.
TEST_F(ClassroomRun, PupilKilledWhileTheManagerIsAwayLosesNothingOnceBothAreBack) {
    ASSERT_TRUE(room.Serve({"--db", tmp / "class.sqlite"}));
    std::string address = room.pupils, code = room.codes[1];
    std::string dir = tmp / "pupil1";
    // Into a practice and back while the manager is away, then into it again, where the computer dies.
    const std::string toMenu = "expect-screen TForm_CustomStart\nclick 512 650\nwait 1000\n"
                               "expect-screen TForm_StartNew\nclick 811 719\nwait 1000\nexpect-screen TForm_Menu\n";
    std::string script = toMenu + "pause 4\n" // the manager is killed meanwhile
                                  "click 514 191\nwait 1500\nexpect-screen TForm_WordsMenu\n"
                         "click 439 271\nwait 3000\nexpect-screen TForm_WordsPractice\n"
                         "click 492 392\nwait 3000\nclick 982 729\nwait 1500\nexpect-screen TForm_WordsMenu\n"
                         "click 439 271\nwait 3000\nexpect-screen TForm_WordsPractice\n"
                         "shot " + dir + "/practice.png\n"
                         "await-end 300\n";
    pupils.push_back(std::make_unique<Process>());
    room.StartPupil(*pupils[0], 1, home, script, room.token, {});
    ASSERT_TRUE(AllReady(1)) << Outputs();
    room.server.Kill(SIGKILL);
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(dir + "/practice.png"); }, 60000)) << Outputs();
    pupils[0]->Kill(SIGKILL);
    EXPECT_NE(ReadFile(dir + "/data/Lingwell/ParloraPlus/Classroom/outbox.txt"), "");

    // The manager first, then the course, with the code it was enrolled with.
    ASSERT_TRUE(room.Serve({"--db", tmp / "class.sqlite"}, address)) << ReadFile(tmp / "serve.log");
    room.codes[1] = code;
    Process again;
    room.StartPupil(again, 1, home, "expect-screen TForm_Menu\nawait-end 120\n", room.token, {"quiz"});
    ASSERT_TRUE(WaitFor([&] { return LogHas(room.Admin().Log(1), "HideTutrix"); }, 60000)) << again.Output();
    ASSERT_EQ(room.Admin().ShutDown(), 1);
    EXPECT_EQ(again.Wait(60), 0) << again.Output();
    room.server.Kill(SIGTERM);
    EXPECT_EQ(ReadFile(dir + "/data/Lingwell/ParloraPlus/Classroom/outbox.txt"), "");

    // The practice's end and the score, as the course reported them while the manager was away.
    std::string debug = room.DebugLog(1);
    std::smatch end, score;
    ASSERT_TRUE(std::regex_search(debug, end, std::regex("SendEndActivity ([0-9]+), (-?[0-9]+)"))) << debug;
    ASSERT_TRUE(std::regex_search(debug, score, std::regex("SendScore (-?[0-9]+) ([0-9]+)"))) << debug;
    classroom::TSqliteProfileStore store(tmp / "class.sqlite");
    bool endStored = false, scoreStored = false;
    for (const auto& r : store.Results()) {
        endStored |= r.kind == "end" && r.activity == std::stoi(end[1]) && r.score == std::stoi(end[2]);
        scoreStored |= r.kind == "score" && r.score == std::stoi(score[1]) && r.award == std::stoi(score[2]);
    }
    EXPECT_TRUE(endStored) << debug;
    EXPECT_TRUE(scoreStored) << debug;
    // And every record as the course last wrote it, the practice's too.
    auto writes = LastWrites(debug, "Ann");
    ASSERT_FALSE(writes.empty());
    for (const auto& [where, value] : writes) {
        std::optional<std::string> stored = store.Get(3, where.first, where.second);
        if (value.empty())
            EXPECT_FALSE(stored.has_value()) << where.first << "/" << where.second;
        else
            EXPECT_EQ(stored.value_or("(missing)"), value) << where.first << "/" << where.second;
    }
}

} // namespace
