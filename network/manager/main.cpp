// parlora-classroom: the teacher's classroom manager. `serve` runs it; the other subcommands ask
// the running one.
#include "network/manager/AdminClient.h"
#include "network/manager/ClassroomServer.h"
#include "network/manager/PostgresProfileStore.h"
#include "network/manager/PupilCredentials.h"
#include "network/manager/SqliteProfileStore.h"
#include "network/manager/TeacherWeb.h"
#include "core/StringUtil.h"
#include "shell/ProgramVersion.h"

#include <google/protobuf/stubs/logging.h>

#include <csignal>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

using namespace parlora;
using namespace parlora::classroom;

namespace {

const char kUsage[] =
    "usage: parlora-classroom serve [--listen HOST:PORT] [--admin 127.0.0.1:PORT] [--db FILE | --postgres "
    "CONNINFO]\n"
    "                               [--roster FILE] [--target N] [--root PATH] [--cert FILE --key FILE]\n"
    "                               [--port-file FILE] [--token-file FILE] [--teacher-token-file FILE]\n"
    "                               [--web HOST:PORT]\n"
    "       parlora-classroom [--admin 127.0.0.1:PORT] [--token-file FILE] COMMAND\n"
    "COMMAND: pupils | enrol [PUPIL...] | quiz-start VALUE [--activity CODE] | quiz-stop | quiz-opt VALUE\n"
    "         | quiz-quit | quiz-score PUPIL SCORE | monitor PUPIL KIND ON | scores | export-csv FILE\n"
    "         | screen PUPIL FILE | log PUPIL | shutdown\n";

const char kHelp[] =
    "\nRuns a classroom: the pupils' courses (started with remote=N) connect to `serve`, which hands\n"
    "each its student and language, keeps the students' records (in one SQLite file by default, or\n"
    "in PostgreSQL), and passes on the teacher's commands. The other commands talk to the running\n"
    "manager on this computer.\n"
    "\n"
    "  --listen HOST:PORT   where pupils connect (default 0.0.0.0:50761)\n"
    "  --admin ADDRESS      the teacher's address, on this computer only (default: the next port)\n"
    "  --db FILE            the SQLite records file (default classroom.sqlite)\n"
    "  --postgres CONNINFO  keep the records in PostgreSQL instead (a libpq connection string)\n"
    "  --roster FILE        lines of pupil,student[,target]: the pupils served (needed)\n"
    "  --target N           the language for pupils the roster does not give one\n"
    "  --root PATH          the course folder pupils use (default: their own)\n"
    "  --cert, --key        TLS for the pupils' address (PEM files), and HTTPS for --web\n"
    "  --web HOST:PORT      the teacher's page in a browser, signed in with the teacher's token;\n"
    "                       on this computer only (127.0.0.1) unless --cert and --key are given\n"
    "  --port-file FILE     write the addresses once listening (pupils=..., admin=...)\n"
    "  --token-file FILE    the class token, from a file only you can read ($PARLORA_CLASSROOM_TOKEN)\n"
    "  --teacher-token-file FILE  the teacher's token ($PARLORA_CLASSROOM_TEACHER_TOKEN; default: the\n"
    "                       class token); secrets are never taken as arguments, which every user sees\n"
    "  enrol [PUPIL...]     one-time codes that enrol a computer as each pupil (all of the roster when\n"
    "                       none is named): give each pupil's computer its code (PARLORA_CLASSROOM_CODE)\n"
    "  quiz-start VALUE     starts the quiz (activity 276 unless --activity) on every pupil on the main "
    "menu;\n"
    "                       VALUE makes every pupil's quiz ask the same cards in the same order\n"
    "  quiz-opt VALUE       the hard quiz's start and switch counts, as 256 * start + switch\n"
    "  monitor PUPIL KIND ON  KIND 0 screen, 1 sound; ON 1 or 0\n"
    "  screen PUPIL FILE    writes the pupil's latest screen as PNG (monitor it first)\n";

int Usage() {
    std::cerr << kUsage;
    return 2;
}

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

volatile std::sig_atomic_t gStop = 0;
void OnSignal(int) {
    gStop = 1;
}

int ParseInt(const std::string& text, const char* what) {
    try {
        size_t used = 0;
        int v = std::stoi(text, &used, 0);
        if (used == text.size()) return v;
    } catch (...) {
    }
    throw std::invalid_argument(std::string(what) + " must be a whole number, not \"" + text + "\"");
}

int Serve(const std::vector<std::string>& args, const std::string& token, const std::string& teacherToken,
          const std::string& adminAddress) {
    TClassroomOptions o;
    o.admin = adminAddress;
    std::string db = "classroom.sqlite", postgres, portFile, roster, web;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= args.size()) throw std::invalid_argument(a + " needs a value");
            return args[++i];
        };
        if (a == "--listen")
            o.listen = value();
        else if (a == "--admin")
            o.admin = value();
        else if (a == "--db")
            db = value();
        else if (a == "--postgres")
            postgres = value();
        else if (a == "--roster")
            roster = value();
        else if (a == "--target")
            o.defaultTarget = ParseInt(value(), "--target");
        else if (a == "--root")
            o.rootPath = value();
        else if (a == "--cert")
            o.certFile = value();
        else if (a == "--key")
            o.keyFile = value();
        else if (a == "--port-file")
            portFile = value();
        else if (a == "--web")
            web = value();
        else
            throw std::invalid_argument("unknown option " + a);
    }
    if (token.empty())
        throw std::invalid_argument("a class token is needed: PARLORA_CLASSROOM_TOKEN or --token-file FILE");
    if (roster.empty())
        throw std::invalid_argument("a roster is needed (--roster FILE): only its pupils can be enrolled");
    if (o.certFile.empty() != o.keyFile.empty()) throw std::invalid_argument("--cert and --key go together");
    o.token = token;
    o.teacherToken = teacherToken;
    o.roster = ReadRoster(roster);
    o.rosterFile = roster;
    std::unique_ptr<IProfileStore> store;
    if (!postgres.empty())
        store = std::make_unique<TPostgresProfileStore>(postgres);
    else
        store = std::make_unique<TSqliteProfileStore>(db);
    LimitHeldMemory();
    // Protobuf prints a line for every request whose text is not UTF-8: a pupil sending such requests
    // in a loop would flood the teacher's terminal. The request is refused all the same.
    google::protobuf::SetLogHandler(nullptr);
    TClassroomServer server(o, std::move(store));
    server.Start();
    std::unique_ptr<TTeacherWeb> page;
    if (!web.empty()) {
        TTeacherWebOptions w;
        w.address = web;
        w.certFile = o.certFile;
        w.keyFile = o.keyFile;
        w.teacherToken = teacherToken.empty() ? token : teacherToken;
        page = std::make_unique<TTeacherWeb>(server, w);
        try {
            page->Start();
        } catch (...) {
            server.Shutdown();
            throw;
        }
        std::printf("parlora-classroom: the teacher's page is at %s\n", page->url().c_str());
    }
    std::printf("parlora-classroom: pupils connect to %s%s; the teacher's address is %s; records in %s\n",
                server.pupilAddress().c_str(), o.certFile.empty() ? "" : " (TLS)",
                server.adminAddress().c_str(), postgres.empty() ? db.c_str() : "PostgreSQL");
    std::fflush(stdout);
    if (!portFile.empty()) {
        std::string tmp = portFile + ".tmp";
        {
            std::ofstream out(tmp);
            out << "pupils=" << server.pupilAddress() << "\nadmin=" << server.adminAddress() << "\n";
            if (page) out << "web=" << page->url() << "\n";
        }
        std::rename(tmp.c_str(), portFile.c_str());
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    while (!gStop)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (page) page->Stop();
    server.Shutdown();
    return 0;
}

int Admin(const std::string& address, const std::string& token, const std::vector<std::string>& args) {
    TAdminClient admin(address, token);
    const std::string& cmd = args[0];
    auto need = [&](size_t n) {
        if (args.size() != n + 1)
            throw std::invalid_argument(cmd + " needs " + std::to_string(n) + " argument(s)");
    };
    if (cmd == "pupils") {
        need(0);
        PupilList list = admin.Pupils();
        std::printf("pupil\tstudent\ttarget\tstate\tactivity\tenrolled\ttaken over\n");
        for (const Pupil& p : list.pupils())
            std::printf("%d\t%s\t%d\t%s\t%d\t%s\t%d\n", p.pupil(), EscapeControls(p.student()).c_str(), p.target(),
                        p.connected() ? (p.lost() ? "lost" : "connected") : "gone", p.activity(),
                        p.enrolled() ? "yes" : "no", p.streams_replaced());
        return 0;
    }
    if (cmd == "enrol") {
        std::vector<int> pupils;
        for (size_t i = 1; i < args.size(); ++i)
            pupils.push_back(ParseInt(args[i], "PUPIL"));
        std::printf("pupil\tstudent\tenrolment code\tvalid until (UTC)\n");
        for (const EnrolCode& c : admin.Enrol(pupils)) {
            char until[32] = "";
            std::time_t t = std::time_t(c.expires());
            std::tm tm{};
            gmtime_r(&t, &tm);
            std::strftime(until, sizeof until, "%Y-%m-%d %H:%M", &tm);
            std::printf("%d\t%s\t%s\t%s\n", c.pupil(), EscapeControls(c.student()).c_str(), c.code().c_str(), until);
        }
        return 0;
    }
    if (cmd == "scores" || cmd == "export-csv") {
        if (cmd == "scores")
            need(0);
        else
            need(1);
        PupilList list = admin.Pupils();
        std::vector<TPupilStatus> rows;
        for (const Pupil& p : list.pupils()) {
            TPupilStatus r;
            r.pupil = p.pupil();
            r.student = p.student();
            r.target = p.target();
            r.quizScore = p.quiz_score();
            r.lastScore = p.last_score();
            r.award = p.award_level();
            rows.push_back(r);
        }
        // The same text as the teacher's page's download.
        std::string text = ScoresCsv(rows);
        if (cmd == "scores") {
            std::fputs(text.c_str(), stdout);
            return 0;
        }
        std::ofstream out(args[1], std::ios::binary);
        out << text;
        if (!out.flush()) throw std::runtime_error("cannot write " + args[1]);
        return 0;
    }
    if (cmd == "quiz-start") {
        int activity = 276;
        std::vector<std::string> rest;
        for (size_t i = 1; i < args.size(); ++i) {
            if (args[i] == "--activity" && i + 1 < args.size())
                activity = ParseInt(args[++i], "--activity");
            else
                rest.push_back(args[i]);
        }
        if (rest.size() != 1) throw std::invalid_argument("quiz-start needs VALUE");
        int n = admin.QuizStart(activity, ParseInt(rest[0], "VALUE"));
        std::printf("quiz start sent to %d pupil(s)\n", n);
        return 0;
    }
    int sent = -1;
    if (cmd == "quiz-stop") {
        need(0);
        sent = admin.QuizStop();
    } else if (cmd == "quiz-opt") {
        need(1);
        int v = ParseInt(args[1], "VALUE");
        if (v < 0 || v > 0xFFFF)
            throw std::invalid_argument("quiz-opt takes 0 to 65535 (256 * start + switch)");
        sent = admin.QuizOpt(v);
    } else if (cmd == "quiz-quit") {
        need(0);
        sent = admin.Send(0, Command::QUIZ_QUIT);
    } else if (cmd == "quiz-score") {
        need(2);
        sent = admin.Send(ParseInt(args[1], "PUPIL"), Command::QUIZ_SCORE, ParseInt(args[2], "SCORE"));
    } else if (cmd == "monitor") {
        need(3);
        sent = admin.Send(ParseInt(args[1], "PUPIL"), Command::MONITOR, ParseInt(args[2], "KIND"),
                          ParseInt(args[3], "ON"));
    } else if (cmd == "shutdown") {
        need(0);
        sent = admin.ShutDown();
    } else if (cmd == "screen") {
        need(2);
        std::string png = admin.ScreenPng(ParseInt(args[1], "PUPIL"));
        std::ofstream out(args[2], std::ios::binary);
        out << png;
        if (!out.flush()) throw std::runtime_error("cannot write " + args[2]);
        return 0;
    } else if (cmd == "log") {
        need(1);
        for (const std::string& line : admin.Log(ParseInt(args[1], "PUPIL")))
            std::printf("%s\n", EscapeControls(line).c_str());
        return 0;
    } else {
        return Usage();
    }
    std::printf("%s sent to %d pupil(s)\n", cmd.c_str(), sent);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << kUsage << kHelp;
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::cout << "parlora-classroom (Parlora Plus) " << kProgramVersion.major << "."
                  << kProgramVersion.minor << "." << kProgramVersion.release << "\n";
        return 0;
    }
    std::string token = Env("PARLORA_CLASSROOM_TOKEN"), teacher = Env("PARLORA_CLASSROOM_TEACHER_TOKEN");
    std::string admin = Env("PARLORA_CLASSROOM_ADMIN");
    std::vector<std::string> rest;
    try {
        for (size_t i = 0; i < args.size(); ++i) {
            const std::string& a = args[i];
            if (a == "--token" || a == "--teacher-token")
                throw std::invalid_argument(a + " is refused: every user of this computer sees a program's "
                                            "arguments; put the token in PARLORA_CLASSROOM_" +
                                            std::string(a == "--token" ? "" : "TEACHER_") + "TOKEN or in a file only " +
                                            "you can read, named with " + a + "-file FILE");
            if ((a == "--token-file" || a == "--teacher-token-file") && i + 1 < args.size()) {
                (a == "--token-file" ? token : teacher) = ReadSecretFile(args[++i]);
            } else if (a == "--admin" && i + 1 < args.size() && (rest.empty() || rest[0] == "serve")) {
                admin = args[++i];
            } else {
                rest.push_back(a);
            }
        }
        if (rest.empty()) return Usage();
        if (rest[0] == "serve") return Serve({rest.begin() + 1, rest.end()}, token, teacher, admin);
        if (rest[0].size() > 1 && rest[0][0] == '-') {
            std::cerr << "parlora-classroom: unknown option " << rest[0] << "\n";
            return Usage();
        }
        if (admin.empty()) admin = "127.0.0.1:50762";
        if (admin.rfind(':') == std::string::npos || admin.rfind(':') + 1 == admin.size())
            throw std::invalid_argument("--admin needs a port (127.0.0.1:PORT), not " + admin);
        return Admin(admin, teacher.empty() ? token : teacher, rest);
    } catch (const std::invalid_argument& e) {
        std::cerr << "parlora-classroom: " << e.what() << "\n" << kUsage;
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "parlora-classroom: " << e.what() << "\n";
        return 1;
    }
}
