// The course's classroom link against a real manager in this process: how a computer joins the
// class and keeps its key, what it sends, in which order, what each command does, and what happens
// when the manager goes away (also with the course closed meanwhile).
#include "core/Errors.h"
#include "core/StringUtil.h"
#include "display/DIBLabel.h"
#include "front/FormMenu.h"
#include "media/KaRecordWav.h"
#include "network/TutrixControlWindow.h"
#include "network/manager/AdminClient.h"
#include "network/manager/ClassroomServer.h"
#include "network/manager/SqliteProfileStore.h"
#include "tests/network/ClassroomHarness.h"
#include "tests/support/DemoCourse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <regex>
#include <thread>

using namespace parlora;
using namespace parlora::test;
using parlora::classroom::Command;

namespace {

constexpr const char* kToken = "class-7b";

struct ClassroomLink : ::testing::Test {
    TempDir tmp;
    std::unique_ptr<classroom::TClassroomServer> server;
    std::string pupilAddress = "127.0.0.1:0";
    DemoCourse course;
    TTutrixControlWindow* client = nullptr;
    std::string code;                    // pupil 1's enrolment code, made by the first StartServer
    std::string folder = tmp / "pupil1"; // where the course keeps its key and outbox
    std::string config = "[Defaults]\r\nNewUser=0\r\n";
    bool prepared = false;

    void StartServer() {
        bool first = !server;
        classroom::TClassroomOptions o;
        o.listen = pupilAddress;
        o.admin = "127.0.0.1:0";
        o.token = kToken;
        o.quiet = true;
        o.roster = {{1, {"Ann", 3}}, {2, {"Bob", 3}}};
        server = std::make_unique<classroom::TClassroomServer>(
            o, std::make_unique<classroom::TSqliteProfileStore>(tmp / "class.sqlite"));
        server->Start();
        pupilAddress = server->pupilAddress(); // a restart comes back on the same port
        if (first && code.empty()) code = server->Enrol({1}).at(0).code;
    }
    classroom::TAdminClient Admin() { return {server->adminAddress(), kToken}; }
    std::vector<std::string> Log() { return Admin().Log(1); }

    // The course as pupil 1, in quiz mode unless told, up to the main menu; a course started
    // before is closed first.
    bool StartCourse(std::vector<std::string> args = {"remote=1", "quiz"}, std::string token = kToken) {
        if (!prepared) course.Prepare({{"sconfig.txt", config}});
        prepared = true;
        client = nullptr;
        course.main.reset();
        RegisterFrontScreens(TScreenFactory::Instance());
        RegisterUserScreens(TScreenFactory::Instance());
        RegisterActivityScreens(TScreenFactory::Instance());
        course.main = std::make_unique<TForm_Main>(course.platform, args);
        course.main->folders().ProgramDir = course.home();
        TClassroomLink link{pupilAddress, token, "", 1};
        link.code = code;
        link.folder = folder;
        auto c = std::make_unique<TTutrixControlWindow>(*course.main, link);
        client = c.get();
        course.main->SetNetworkClient(std::move(c));
        if (!course.main->InitialiseCourse()) return false;
        course.platform.display().openWindow("test", WindowMode::MaximisedCentred);
        course.Request(9);
        return course.Screen() == "TForm_Menu";
    }

    // Runs the course's messages until `done`, in real time (the manager answers from its threads).
    bool Until(const std::function<bool()>& done, int ms = 5000) {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            course.Idle();
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }
    // The manager's result rows: "kind activity score award student" lines.
    std::string Results() {
        std::string rows;
        for (const classroom::TResultRow& r : server->store().Results())
            rows +=
                Format("%s %d %d %d %s\n", r.kind.c_str(), r.activity, r.score, r.award, r.student.c_str());
        return rows;
    }
    bool Logged(const std::string& line) {
        for (const std::string& l : Log())
            if (l == line) return true;
        return false;
    }
    size_t Count(const std::vector<std::string>& log, const std::string& prefix, size_t from = 0) {
        size_t n = 0;
        for (size_t i = from; i < log.size(); ++i)
            if (log[i].rfind(prefix, 0) == 0) ++n;
        return n;
    }
    // Sends a command and waits until the course has handled it (the manager logs nothing for
    // commands, so a marker call follows: the pupil's reply to Connected).
    void Command(Command::Kind kind, int first = 0, int second = 0) {
        ASSERT_EQ(Admin().Send(1, kind, first, second), 1);
        // The stream delivers in order; a QuizScore to ourselves is a cheap marker when needed.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        Until([] { return false; }, 100);
    }
};

TEST_F(ClassroomLink, PupilGetsItsStudentAndLanguageAndReachesOnlyItsOwnRecords) {
    StartServer();
    ASSERT_TRUE(StartCourse({"remote=1"}));
    EXPECT_EQ(course.main->records()->CurrentStudent(), "Ann");
    EXPECT_EQ(course.main->catalogue()->targetNumber(), 3);
    // The course's own writes went to Ann's section, committed before they were acknowledged.
    EXPECT_TRUE(server->store().Get(3, "Student Ann", "Sessions").has_value());
    std::vector<std::string> log = Log();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0].rfind("Join from ", 0), 0u) << log[0];
    EXPECT_EQ(log[1], "Connect");
    EXPECT_EQ(log[2], "GetStudentInfo");

    client->WriteRemoteProfileString("Student Ann", "Game2", "5,5,-1,-1,-1,-1,-1,-1,-1,-1");
    EXPECT_EQ(server->store().Get(3, "student ann", "game2").value_or(""), "5,5,-1,-1,-1,-1,-1,-1,-1,-1");
    EXPECT_EQ(client->GetRemoteProfileString("Student Ann", "Game2", "x"), "5,5,-1,-1,-1,-1,-1,-1,-1,-1");
    // Another student's records are refused both ways, and nothing of them changes.
    server->store().Put(3, "Student Bob", "Score", "900");
    EXPECT_THROW(client->WriteRemoteProfileString("Student Bob", "Score", "0"), AppError);
    EXPECT_THROW(client->GetRemoteProfileString("Student Bob", "Score", "0"), AppError);
    EXPECT_EQ(server->store().Get(3, "Student Bob", "Score").value_or(""), "900");
    // "Defaults" reads the class's value until the pupil writes its own, which stays its own.
    server->store().Put(3, "Defaults", "Source", "2");
    client->WriteRemoteProfileString("Defaults", "Weights", "1");
    EXPECT_EQ(server->store().Get(3, "Defaults", "Weights"), std::nullopt);
    EXPECT_EQ(client->GetRemoteProfileString("Defaults", "Weights", ""), "1");
    // Erasing the section removes Ann's keys only.
    client->WriteRemoteProfileString("Student Ann", "", "");
    EXPECT_EQ(server->store().Get(3, "Student Ann", "Game2"), std::nullopt);
    EXPECT_EQ(server->store().Get(3, "Student Bob", "Score").value_or(""), "900");
}

TEST_F(ClassroomLink, WrongTokenIsRefusedWithAClearMessage) {
    StartServer();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(StartCourse({"remote=1"}, "not-the-class"));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Couldn't connect: the classroom manager refused this computer: wrong class token"),
              std::string::npos)
        << err;
    EXPECT_FALSE(client->connected());
    EXPECT_FALSE(std::filesystem::exists(folder + "/pupil.key"));
    classroom::PupilList pupils = Admin().Pupils();
    for (const auto& p : pupils.pupils()) {
        EXPECT_FALSE(p.connected()) << p.pupil();
        EXPECT_FALSE(p.enrolled()) << p.pupil();
    }
}

TEST_F(ClassroomLink, MonitorSendsTheScreenAtOnceThenEachRepaintAndOneAreaPerScreenChange) {
    StartServer();
    ASSERT_TRUE(StartCourse());
    size_t before = Log().size();
    ASSERT_EQ(Admin().Send(1, Command::MONITOR, 0, 1), 1);
    ASSERT_TRUE(Until([&] { return client->screenMonitoring() && Log().size() >= before + 2; }));
    std::vector<std::string> log = Log();
    EXPECT_EQ(log[before], "SetScreenWindow 0, 0, 0, 0, 1024, 768");
    EXPECT_EQ(log[before + 1], "SendUpdateRect 0, 0, 1024, 768");
    // The manager's picture is the course's screen, pixel for pixel.
    const Surface& shown = course.Shot();
    shown.savePng(tmp / "course.png");
    before = Log().size();
    EXPECT_EQ(Admin().ScreenPng(1), ReadFile(tmp / "course.png"));

    // A screen change drawn in many steps is one area, the whole screen.
    before = Log().size();
    course.main->RequestScreen(21, 1);
    course.Idle();
    log = Log();
    EXPECT_EQ(Count(log, "SendUpdateRect", before), 1u);
    EXPECT_EQ(log.back(), "SendUpdateRect 0, 0, 1024, 768");

    // Areas repainted during a change add up to one.
    before = Log().size();
    client->BeginTransition();
    client->PaintTrap({10, 10, 20, 20}, course.Shot());
    client->PaintTrap({100, 50, 10, 10}, course.Shot());
    EXPECT_EQ(Count(Log(), "SendUpdateRect", before), 0u);
    client->EndTransition(course.Shot());
    log = Log();
    EXPECT_EQ(Count(log, "SendUpdateRect", before), 1u);
    EXPECT_EQ(log.back(), "SendUpdateRect 10, 10, 110, 60");

    // Later repaints send their own areas, smaller than the screen.
    before = Log().size();
    course.Wait(3000);
    log = Log();
    bool partial = false;
    for (size_t i = before; i < log.size(); ++i)
        if (log[i].rfind("SendUpdateRect", 0) == 0 && log[i] != "SendUpdateRect 0, 0, 1024, 768")
            partial = true;
    EXPECT_TRUE(partial) << "no partial repaint among " << log.size() - before << " calls";

    // Off: nothing more is sent, but the screen is reported once more as it is.
    ASSERT_EQ(Admin().Send(1, Command::MONITOR, 0, 0), 1);
    ASSERT_TRUE(Until([&] { return !client->screenMonitoring(); }));
    before = Log().size();
    course.Wait(2000);
    EXPECT_EQ(Count(Log(), "SendUpdateRect", before), 0u);
}

TEST_F(ClassroomLink, RecordingOfAHundredBlocksIsSentBlockByBlockWhileSoundIsForwarded) {
    StartServer();
    ASSERT_TRUE(StartCourse());
    ASSERT_EQ(Admin().Send(1, Command::MONITOR, 1, 0x101), 1); // only the low byte counts: on
    ASSERT_TRUE(Until([&] { return client->soundForwarding(); }));
    TKaRecordWav recorder(course.platform.audioOut(), course.platform.audioIn(), course.main->dispatcher());
    recorder.SetSamplesPerSec(44100);
    recorder.OnRecordHook = course.main->SoundHook();
    recorder.OnPlayHook = course.main->SoundHook();
    // 100 blocks of 50 ms.
    recorder.SetDuration(5000);
    size_t before = Log().size();
    recorder.Record();
    course.Wait(6000);
    std::vector<std::string> log = Log();
    std::vector<std::string> sounds;
    for (size_t i = before; i < log.size(); ++i)
        if (log[i].rfind("SendSound", 0) == 0) sounds.push_back(log[i]);
    ASSERT_EQ(sounds.size(), 100u);
    EXPECT_EQ(sounds.front(), "SendSound 1 4410");
    EXPECT_EQ(sounds.back(), "SendSound 2 4410");
    for (size_t i = 1; i + 1 < sounds.size(); ++i)
        ASSERT_EQ(sounds[i], "SendSound 0 4410") << i;

    // A played sound goes whole, with both flags; turned off, playing goes on and nothing is sent.
    before = Log().size();
    recorder.Play();
    course.Idle();
    log = Log();
    ASSERT_EQ(Count(log, "SendSound", before), 1u);
    EXPECT_EQ(log.back(), "SendSound 3 441000");
    recorder.Stop();
    ASSERT_EQ(Admin().Send(1, Command::MONITOR, 1, 0), 1);
    ASSERT_TRUE(Until([&] { return !client->soundForwarding(); }));
    before = Log().size();
    recorder.Play();
    course.Idle();
    EXPECT_TRUE(recorder.IsPlaying());
    EXPECT_EQ(Count(Log(), "SendSound", before), 0u);
}

TEST_F(ClassroomLink, QuizCommandsOptionsScoreStartStopAndShutDown) {
    StartServer();
    ASSERT_TRUE(StartCourse());
    // QuizOpt: 0x0305 gives 3 and 5; sizes the quiz has no places for are held to its eleven.
    ASSERT_EQ(Admin().QuizOpt(0x0305), 1);
    ASSERT_TRUE(Until([&] { return course.main->hardQuizSizes() == std::make_pair(3, 5); }));
    ASSERT_EQ(Admin().QuizOpt(0x0C00), 1);
    ASSERT_TRUE(Until([&] { return course.main->hardQuizSizes() == std::make_pair(11, 1); }));

    // QuizScore 1250: the manager hears the score with award level 2, the main menu shows it.
    ASSERT_EQ(Admin().Send(1, Command::QUIZ_SCORE, 1250), 1);
    ASSERT_TRUE(Until([&] { return Logged("SendScore 1250 2"); }));
    auto* menu = course.ScreenAs<TForm_Menu>();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->Element<TDIBLabel>("Label_Score").Caption(), "1250");

    // QuizStart on the main menu opens the quiz, started from the manager's value.
    ASSERT_EQ(Admin().QuizStart(276, 4242), 1);
    ASSERT_TRUE(Until([&] { return course.Screen() == "TForm_QuizEasy"; }));
    EXPECT_EQ(course.main->networkStartValue(), 4242);
    EXPECT_TRUE(Logged("SendStartActivity 276"));
    // ...and is ignored while an activity is shown.
    ASSERT_EQ(Admin().QuizStart(277, 99), 1);
    Until([] { return false; }, 300);
    EXPECT_EQ(course.Screen(), "TForm_QuizEasy");
    EXPECT_EQ(course.main->networkStartValue(), 4242);

    // QuizStop acts as the quit button: back on the menu, the activity ends with its score.
    course.Wait(2000);
    ASSERT_EQ(Admin().QuizStop(), 1);
    ASSERT_TRUE(Until([&] { return course.Screen() == "TForm_Menu"; }));
    std::vector<std::string> log = Log();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[log.size() - 3].rfind("SendEndActivity 276, ", 0), 0u) << log[log.size() - 3];
    EXPECT_EQ(log[log.size() - 2], "GetQuizScore");
    EXPECT_EQ(log.back().rfind("SendScore ", 0), 0u);

    // ShutDown closes the course without a Disconnect.
    ASSERT_EQ(Admin().ShutDown(), 1);
    ASSERT_TRUE(Until([&] { return course.main->dispatcher().quitting(); }));
    EXPECT_FALSE(client->connected());
    EXPECT_EQ(Count(Log(), "Disconnect"), 0u);
}

TEST_F(ClassroomLink, ManagerGoneKeepsTheCourseGoingAndItsRecordsForTheManagersReturn) {
    StartServer();
    ASSERT_TRUE(StartCourse({"remote=1"}));
    std::string address = pupilAddress;
    server.reset();
    // Each call waits at most its deadline; once the manager is known gone, none waits at all.
    auto t0 = std::chrono::steady_clock::now();
    testing::internal::CaptureStderr();
    EXPECT_NO_THROW(client->SendScore(100, 0)); // the call that finds out: kept too
    EXPECT_LT(std::chrono::steady_clock::now() - t0,
              TTutrixControlWindow::kCallDeadline + std::chrono::milliseconds(1500));
    EXPECT_TRUE(client->lost());
    course.Idle();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("The classroom manager does not answer"), std::string::npos) << err;
    t0 = std::chrono::steady_clock::now();
    client->WriteRemoteProfileString("Student Ann", "Game3", "7,-1,-1,-1,-1,-1,-1,-1,-1,-1");
    client->WriteRemoteProfileString("Student Ann", "Score", "7");
    EXPECT_EQ(client->GetRemoteProfileString("Student Ann", "Score", "0"), "7");
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(100));
    EXPECT_EQ(client->outbox().size(), 3u);
    // The course stays usable.
    course.main->RequestScreen(20, 0);
    course.Idle();
    EXPECT_EQ(course.Screen(), "TForm_FoodMenu");

    // The manager comes back on the same address and database: what waited is stored.
    pupilAddress = address;
    StartServer();
    ASSERT_TRUE(Until([&] { return !client->lost(); }, 8000));
    EXPECT_EQ(client->outbox().size(), 0u);
    EXPECT_EQ(server->store().Get(3, "Student Ann", "Score").value_or(""), "7");
    EXPECT_EQ(server->store().Get(3, "Student Ann", "Game3").value_or(""), "7,-1,-1,-1,-1,-1,-1,-1,-1,-1");
    EXPECT_EQ(Results(), "score 0 100 0 Ann\n");
}

TEST_F(ClassroomLink, AComputerJoinsOnceWithACodeAndComesBackWithItsKey) {
    StartServer();
    ASSERT_TRUE(StartCourse({"remote=1"}));
    std::string keyFile = folder + "/pupil.key";
    std::string kept = ReadFile(keyFile);
    EXPECT_EQ(kept.rfind("key=1.", 0), 0u) << kept;
    EXPECT_NE(kept.find("\ncode=" + code + "\n"), std::string::npos) << kept;

    // Started again without the code: the kept key is enough, and nothing joins again.
    std::string spent = code;
    code.clear();
    ASSERT_TRUE(StartCourse({"remote=1"}));
    EXPECT_EQ(course.main->records()->CurrentStudent(), "Ann");
    EXPECT_EQ(ReadFile(keyFile), kept);

    // The code is spent: another computer cannot join with it.
    folder = tmp / "other";
    code = spent;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(StartCourse({"remote=1"}));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Couldn't connect: the classroom manager refused this computer: "), std::string::npos)
        << err;
    EXPECT_FALSE(std::filesystem::exists(folder + "/pupil.key"));

    // Neither a key nor a code: the course says what to do.
    folder = tmp / "new";
    code.clear();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(StartCourse({"remote=1"}));
    err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Couldn't connect: this computer has not joined the class yet: ask the teacher for an "
                       "enrolment code"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("PARLORA_CLASSROOM_CODE"), std::string::npos) << err;

    // A new code where a key is kept joins again: the key is replaced.
    folder = tmp / "pupil1";
    code = "  " + server->Enrol({1}).at(0).code + "\n";
    ASSERT_TRUE(StartCourse({"remote=1"}));
    std::string rejoined = ReadFile(keyFile);
    EXPECT_EQ(rejoined.rfind("key=1.", 0), 0u) << rejoined;
    EXPECT_NE(rejoined.substr(0, rejoined.find('\n')), kept.substr(0, kept.find('\n')));
    EXPECT_NE(rejoined.find("\ncode=" + Trim(code) + "\n"), std::string::npos) << rejoined;
}

TEST_F(ClassroomLink, WhatTheManagerMissedOutlivesTheCourseAndArrivesInOrderOnTheNextStart) {
    config += "Debug=1\r\n";
    StartServer();
    ASSERT_TRUE(StartCourse({"remote=1"}));
    std::string address = pupilAddress;
    server.reset();
    testing::internal::CaptureStderr();
    // Fields with the outbox's own separators in them.
    const std::string awkward = "7\t-1\n\\n,x\r";
    client->WriteRemoteProfileString("Student Ann", "Game3", awkward); // finds the manager gone
    EXPECT_TRUE(client->lost());
    client->SendEndActivity(276, 40);
    client->WriteRemoteProfileString("Student Bob", "Game4", "9"); // not Ann's: refused on delivery
    client->SendScore(1250, 2);
    client->WriteRemoteProfileString("Student Ann", "Game4", "1,2");
    EXPECT_EQ(client->GetRemoteProfileString("Student Ann", "Game3", ""), awkward);
    EXPECT_EQ(client->outbox().size(), 5u);
    // Closed while the manager is away: what waits is on disk, in its order.
    course.main.reset();
    client = nullptr;
    testing::internal::GetCapturedStderr();
    std::string box = ReadFile(folder + "/outbox.txt");
    size_t write = box.find("W\tStudent Ann\tGame3\t"), end = box.find("E\t276\t40\n"),
           refused = box.find("W\tStudent Bob\tGame4\t9\n"), score = box.find("S\t1250\t2\n"),
           last = box.find("W\tStudent Ann\tGame4\t1,2\n");
    ASSERT_NE(last, std::string::npos) << box;
    EXPECT_TRUE(write < end && end < refused && refused < score && score < last) << box;

    // The manager back on its address and database; a new course on the same computer sends it all
    // before anything else, the refused write aside.
    pupilAddress = address;
    StartServer();
    server->store().Put(3, "Student Bob", "Game4", "5");
    testing::internal::CaptureStderr();
    ASSERT_TRUE(StartCourse({"remote=1"}));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(client->outbox().size(), 0u);
    EXPECT_FALSE(std::filesystem::exists(folder + "/outbox.txt"));
    EXPECT_EQ(server->store().Get(3, "Student Ann", "Game3").value_or(""), awkward);
    EXPECT_EQ(server->store().Get(3, "Student Ann", "Game4").value_or(""), "1,2");
    EXPECT_EQ(server->store().Get(3, "Student Bob", "Game4").value_or(""), "5");
    EXPECT_NE(err.find("[debug] The classroom manager refused a kept record [Student Bob] Game4 = 9: "),
              std::string::npos)
        << err;
    EXPECT_EQ(Results(), "end 276 40 0 Ann\nscore 0 1250 2 Ann\n");
    std::vector<std::string> log = Log();
    auto connect = std::find(log.begin(), log.end(), "Connect");
    ASSERT_NE(connect, log.end());
    EXPECT_EQ(connect[1].rfind("WriteRemoteProfileString", 0), 0u) << connect[1];
}

// The real program in classroom mode without a quiz: through its start screen to the main menu.
TEST_F(ClassroomLink, ProgramWithoutQuizModeReachesTheMainMenu) {
    Classroom room{tmp};
    ASSERT_TRUE(room.Serve({"--db", tmp / "run.sqlite"})) << ReadFile(tmp / "serve.log");
    std::string home = LinkDemoCourse(tmp);
    WriteFile(home + "/sconfig.txt", "[Defaults]\r\nNewUser=0\r\n");
    Process pupil;
    room.StartPupil(pupil, 1, home,
                    "expect-screen TForm_CustomStart\nclick 512 650\nwait 1000\n"
                    "expect-screen TForm_StartNew\nclick 811 719\nwait 1000\n"
                    "expect-screen TForm_Menu\n",
                    room.token, {});
    EXPECT_EQ(pupil.Wait(60), 0) << pupil.Output();
}

} // namespace
