#include "network/manager/ClassroomServer.h"

#include "core/Surface.h"
#include "network/classroom.grpc.pb.h"

#include <grpcpp/grpcpp.h>
#include <zlib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace parlora::classroom {

namespace {

constexpr size_t kLogLines = 5000;

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("Cannot read " + path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Equal texts, in a time that does not tell how much of a wrong token was right.
bool SameToken(const std::string& a, const std::string& b) {
    unsigned diff = unsigned(a.size() ^ b.size());
    for (size_t i = 0; i < a.size(); ++i)
        diff |= unsigned(char(a[i] ^ (i < b.size() ? b[i] : 0)));
    return diff == 0;
}

std::string Metadata(grpc::ServerContext* context, const char* name) {
    auto range = context->client_metadata().equal_range(name);
    if (range.first == range.second) return "";
    return std::string(range.first->second.data(), range.first->second.size());
}

} // namespace

struct TPupilState {
    int number = 0;
    std::string student;
    int target = 0;
    bool connected = false;
    bool lost = false;
    int activity = 0;
    int quizScore = 0;
    int lastScore = -1;
    int award = 0;
    std::deque<Command> queue;
    uint64_t stream = 0; // the newest command stream; older ones end
    bool streaming = false;
    Surface screen{1024, 768};
    bool hasScreen = false;
    std::deque<std::string> log;
};

struct TClassroomServer::State {
    TClassroomOptions options;
    IProfileStore* store = nullptr;
    std::mutex mutex;
    std::condition_variable changed;
    std::map<int, TPupilState> pupils;
    uint64_t streams = 0;
    std::atomic<bool> stopping{false};

    TPupilState& PupilLocked(int n) {
        TPupilState& p = pupils[n];
        if (p.number == 0) {
            p.number = n;
            auto it = options.roster.find(n);
            if (it != options.roster.end()) {
                p.student = it->second.student;
                p.target = it->second.target ? it->second.target : options.defaultTarget;
            } else {
                p.student = "Pupil " + std::to_string(n);
                p.target = options.defaultTarget;
            }
        }
        return p;
    }
    void LogLocked(TPupilState& p, std::string line) {
        p.log.push_back(std::move(line));
        while (p.log.size() > kLogLines)
            p.log.pop_front();
    }
    int Send(int pupil, const Command& c) {
        std::lock_guard<std::mutex> lock(mutex);
        int sent = 0;
        for (auto& [n, p] : pupils) {
            if ((pupil == 0 || n == pupil) && p.connected && !p.lost) {
                p.queue.push_back(c);
                ++sent;
            }
        }
        changed.notify_all();
        return sent;
    }
};

namespace {

using State = TClassroomServer::State;

grpc::Status Refused(State& s, grpc::ServerContext* context, const char* who) {
    if (!s.options.quiet)
        std::fprintf(stderr, "parlora-classroom: refused %s at %s: wrong class token\n", who,
                     context->peer().c_str());
    return {grpc::StatusCode::UNAUTHENTICATED, "wrong class token"};
}

class PupilService final : public CallTutrix::Service {
  public:
    explicit PupilService(std::shared_ptr<State> s) : s_(std::move(s)) {}

    // The pupil's number once its token is right.
    grpc::Status Who(grpc::ServerContext* c, int& pupil) {
        if (!SameToken(Metadata(c, "parlora-token"), s_->options.token)) return Refused(*s_, c, "a pupil");
        try {
            pupil = std::stoi(Metadata(c, "parlora-pupil"));
        } catch (...) {
            pupil = 0;
        }
        if (pupil <= 0) return {grpc::StatusCode::INVALID_ARGUMENT, "a pupil's number is 1 or more"};
        return grpc::Status::OK;
    }
    // As Who, for a pupil that has connected; calls the body with the pupil under the lock.
    template <class F> grpc::Status Connected(grpc::ServerContext* c, F body) {
        int n = 0;
        grpc::Status who = Who(c, n);
        if (!who.ok()) return who;
        std::unique_lock<std::mutex> lock(s_->mutex);
        TPupilState& p = s_->PupilLocked(n);
        if (!p.connected) return {grpc::StatusCode::FAILED_PRECONDITION, "Not connected to Tutrix"};
        return body(p, lock);
    }

    grpc::Status Connect(grpc::ServerContext* c, const Empty*, Empty*) override {
        int n = 0;
        grpc::Status who = Who(c, n);
        if (!who.ok()) return who;
        std::lock_guard<std::mutex> lock(s_->mutex);
        TPupilState& p = s_->PupilLocked(n);
        p.connected = true;
        p.lost = false;
        s_->LogLocked(p, "Connect");
        return grpc::Status::OK;
    }
    grpc::Status Disconnect(grpc::ServerContext* c, const DisconnectRequest* r, Empty*) override {
        return Connected(c, [&](TPupilState& p, auto&) {
            p.connected = false;
            p.activity = 0;
            s_->LogLocked(p, "Disconnect " + std::to_string(r->reason()));
            s_->changed.notify_all();
            return grpc::Status::OK;
        });
    }
    grpc::Status Connected(grpc::ServerContext* c, const Empty*, ConnectedReply* reply) override {
        int n = 0;
        grpc::Status who = Who(c, n);
        if (!who.ok()) return who;
        std::lock_guard<std::mutex> lock(s_->mutex);
        reply->set_state(s_->PupilLocked(n).connected ? 1 : 0);
        return grpc::Status::OK;
    }
    grpc::Status GetStudentInfo(grpc::ServerContext* c, const Empty*, StudentInfo* reply) override {
        return Connected(c, [&](TPupilState& p, auto&) {
            reply->set_root_path(s_->options.rootPath);
            reply->set_target(p.target);
            reply->set_student_name(p.student);
            s_->LogLocked(p, "GetStudentInfo");
            return grpc::Status::OK;
        });
    }

    // A pupil reaches its own student's section, and "Defaults" as seen by that student (what it
    // writes there is its own; what it has not written is the class's).
    static grpc::Status Section(const TPupilState& p, const std::string& section, std::string& own,
                                bool& defaults) {
        defaults = StoreKey(section) == "defaults";
        if (defaults) {
            own = "Defaults@Student " + p.student;
            return grpc::Status::OK;
        }
        if (StoreKey(section) == StoreKey("Student " + p.student)) {
            own = section;
            return grpc::Status::OK;
        }
        return {grpc::StatusCode::PERMISSION_DENIED,
                "a pupil reads and writes only its own student's records (" + p.student + ")"};
    }

    grpc::Status GetRemoteProfileString(grpc::ServerContext* c, const ProfileRead* r,
                                        ProfileValue* reply) override {
        std::string student, section;
        int target = 0;
        bool defaults = false;
        grpc::Status ok = Connected(c, [&](TPupilState& p, auto&) {
            target = p.target;
            return Section(p, r->section(), section, defaults);
        });
        if (!ok.ok()) return ok;
        try {
            std::optional<std::string> v = s_->store->Get(target, section, r->key());
            if (!v && defaults) v = s_->store->Get(target, "Defaults", r->key());
            reply->set_value(v ? *v : r->default_value());
        } catch (const std::exception& e) {
            return {grpc::StatusCode::INTERNAL, e.what()};
        }
        return grpc::Status::OK;
    }
    grpc::Status WriteRemoteProfileString(grpc::ServerContext* c, const ProfileWrite* r, Empty*) override {
        std::string section;
        int target = 0;
        bool defaults = false;
        grpc::Status ok = Connected(c, [&](TPupilState& p, auto&) {
            target = p.target;
            s_->LogLocked(p,
                          "WriteRemoteProfileString [" + r->section() + "], " + r->key() + ", " + r->value());
            return Section(p, r->section(), section, defaults);
        });
        if (!ok.ok()) return ok;
        try {
            // Answered only once the store has committed it.
            if (r->key().empty() && r->value().empty())
                s_->store->EraseSection(target, section);
            else if (!r->key().empty())
                s_->store->Put(target, section, r->key(), r->value());
        } catch (const std::exception& e) {
            return {grpc::StatusCode::INTERNAL, e.what()};
        }
        return grpc::Status::OK;
    }
    grpc::Status SendStartActivity(grpc::ServerContext* c, const StartActivity* r, Empty*) override {
        return Connected(c, [&](TPupilState& p, auto&) {
            p.activity = r->activity();
            p.quizScore = 0;
            s_->LogLocked(p, "SendStartActivity " + std::to_string(r->activity()));
            return grpc::Status::OK;
        });
    }
    grpc::Status SendEndActivity(grpc::ServerContext* c, const EndActivity* r, Empty*) override {
        TResultRow row;
        grpc::Status ok = Connected(c, [&](TPupilState& p, auto&) {
            p.activity = 0;
            s_->LogLocked(p, "SendEndActivity " + std::to_string(r->activity()) + ", " +
                                 std::to_string(r->score()));
            row = {0, "", p.number, p.student, p.target, "end", r->activity(), r->score(), 0};
            return grpc::Status::OK;
        });
        if (!ok.ok()) return ok;
        return Record(row);
    }
    grpc::Status SendScore(grpc::ServerContext* c, const Score* r, Empty*) override {
        TResultRow row;
        grpc::Status ok = Connected(c, [&](TPupilState& p, auto&) {
            p.lastScore = r->score();
            p.award = r->award_level();
            s_->LogLocked(p,
                          "SendScore " + std::to_string(r->score()) + " " + std::to_string(r->award_level()));
            row = {0, "", p.number, p.student, p.target, "score", 0, r->score(), r->award_level()};
            return grpc::Status::OK;
        });
        if (!ok.ok()) return ok;
        return Record(row);
    }
    grpc::Status Record(const TResultRow& row) {
        try {
            s_->store->AddResult(row);
        } catch (const std::exception& e) {
            return {grpc::StatusCode::INTERNAL, e.what()};
        }
        return grpc::Status::OK;
    }
    grpc::Status GetQuizScore(grpc::ServerContext* c, const Empty*, QuizScore* reply) override {
        return Connected(c, [&](TPupilState& p, auto&) {
            reply->set_score(p.quizScore);
            s_->LogLocked(p, "GetQuizScore");
            return grpc::Status::OK;
        });
    }
    grpc::Status SendQuizScore(grpc::ServerContext* c, const QuizScoreChange* r, Empty*) override {
        return Connected(c, [&](TPupilState& p, auto&) {
            p.quizScore += r->change();
            s_->LogLocked(p, "SendQuizScore " + std::to_string(r->change()));
            return grpc::Status::OK;
        });
    }
    grpc::Status SetScreenWindow(grpc::ServerContext* c, const ScreenWindow* r, Empty*) override {
        return Connected(c, [&](TPupilState& p, auto&) {
            char line[160];
            std::snprintf(line, sizeof line, "SetScreenWindow %d, %d, %d, %d, %d, %d", r->x(), r->y(),
                          r->left(), r->top(), r->width(), r->height());
            s_->LogLocked(p, line);
            return grpc::Status::OK;
        });
    }
    grpc::Status SendUpdateRect(grpc::ServerContext* c, const UpdateRect* r, Empty*) override {
        // Unpacked outside the lock: many pupils repaint at once.
        int w = r->right() - r->left(), h = r->bottom() - r->top();
        std::vector<uint32_t> pixels;
        bool picture = false;
        if (w > 0 && h > 0 && r->left() >= 0 && r->top() >= 0 && r->right() <= 1024 && r->bottom() <= 768 &&
            !r->pixels().empty()) {
            pixels.resize(size_t(w) * size_t(h));
            uLongf size = uLongf(pixels.size() * 4);
            picture = uncompress(reinterpret_cast<Bytef*>(pixels.data()), &size,
                                 reinterpret_cast<const Bytef*>(r->pixels().data()),
                                 uLong(r->pixels().size())) == Z_OK &&
                      size == pixels.size() * 4;
        }
        return Connected(c, [&](TPupilState& p, auto&) {
            char line[120];
            std::snprintf(line, sizeof line, "SendUpdateRect %d, %d, %d, %d%s", r->left(), r->top(),
                          r->right(), r->bottom(), picture ? "" : " (no picture)");
            s_->LogLocked(p, line);
            if (picture) {
                for (int y = 0; y < h; ++y)
                    std::copy_n(pixels.data() + size_t(y) * size_t(w), w,
                                p.screen.row(r->top() + y) + r->left());
                p.hasScreen = true;
            }
            return grpc::Status::OK;
        });
    }
    grpc::Status SendSound(grpc::ServerContext* c, const Sound* r, Empty*) override {
        return Connected(c, [&](TPupilState& p, auto&) {
            bool whole =
                r->length() >= 0 && size_t(r->length()) == r->data().size() && r->format().size() == 18;
            s_->LogLocked(p, "SendSound " + std::to_string(r->flags()) + " " + std::to_string(r->length()) +
                                 (whole ? "" : " (damaged)"));
            return grpc::Status::OK;
        });
    }
    grpc::Status HideTutrix(grpc::ServerContext* c, const Empty*, Empty*) override {
        return Connected(c, [&](TPupilState& p, auto&) {
            s_->LogLocked(p, "HideTutrix");
            return grpc::Status::OK;
        });
    }
    grpc::Status Commands(grpc::ServerContext* c, const Empty*,
                          grpc::ServerWriter<Command>* writer) override {
        int n = 0;
        grpc::Status who = Who(c, n);
        if (!who.ok()) return who;
        uint64_t mine;
        {
            std::lock_guard<std::mutex> lock(s_->mutex);
            TPupilState& p = s_->PupilLocked(n);
            mine = p.stream = ++s_->streams;
            p.streaming = true;
        }
        Command ready;
        ready.set_kind(Command::READY);
        if (!writer->Write(ready)) return grpc::Status::OK;
        std::unique_lock<std::mutex> lock(s_->mutex);
        while (!s_->stopping && !c->IsCancelled()) {
            TPupilState& p = s_->pupils[n];
            if (p.stream != mine) break;
            if (p.queue.empty()) {
                // Woken by a command; the pause bounds how long a gone pupil's stream lingers.
                s_->changed.wait_for(lock, std::chrono::milliseconds(250));
                continue;
            }
            Command next = p.queue.front();
            p.queue.pop_front();
            lock.unlock();
            bool written = writer->Write(next);
            lock.lock();
            if (!written) break;
        }
        TPupilState& p = s_->pupils[n];
        if (p.stream == mine) {
            p.streaming = false;
            // Gone without saying goodbye: the pupil's computer or its course stopped.
            if (p.connected && !s_->stopping) p.lost = true;
        }
        return grpc::Status::OK;
    }

  private:
    std::shared_ptr<State> s_;
};

class AdminService final : public ClassroomAdmin::Service {
  public:
    explicit AdminService(std::shared_ptr<State> s) : s_(std::move(s)) {}

    grpc::Status Check(grpc::ServerContext* c) {
        const std::string& want =
            s_->options.teacherToken.empty() ? s_->options.token : s_->options.teacherToken;
        if (!SameToken(Metadata(c, "parlora-token"), want)) return Refused(*s_, c, "a teacher's request");
        return grpc::Status::OK;
    }
    grpc::Status Pupils(grpc::ServerContext* c, const Empty*, PupilList* reply) override {
        if (auto st = Check(c); !st.ok()) return st;
        std::lock_guard<std::mutex> lock(s_->mutex);
        for (const auto& [n, p] : s_->pupils) {
            classroom::Pupil* out = reply->add_pupils();
            out->set_pupil(n);
            out->set_student(p.student);
            out->set_target(p.target);
            out->set_connected(p.connected);
            out->set_activity(p.activity);
            out->set_quiz_score(p.quizScore);
            out->set_last_score(p.lastScore);
            out->set_award_level(p.award);
            out->set_lost(p.lost);
        }
        return grpc::Status::OK;
    }
    grpc::Status Sent(grpc::ServerContext* c, int pupil, Command::Kind kind, int first, int second,
                      SentReply* reply) {
        if (auto st = Check(c); !st.ok()) return st;
        Command command;
        command.set_kind(kind);
        command.set_first(first);
        command.set_second(second);
        reply->set_pupils(s_->Send(pupil, command));
        return grpc::Status::OK;
    }
    grpc::Status QuizStart(grpc::ServerContext* c, const QuizStartRequest* r, SentReply* reply) override {
        return Sent(c, 0, Command::QUIZ_START, r->activity(), r->value(), reply);
    }
    grpc::Status QuizStop(grpc::ServerContext* c, const Empty*, SentReply* reply) override {
        return Sent(c, 0, Command::QUIZ_STOP, 0, 0, reply);
    }
    grpc::Status QuizOpt(grpc::ServerContext* c, const QuizOptRequest* r, SentReply* reply) override {
        return Sent(c, 0, Command::QUIZ_OPT, 0, r->value(), reply);
    }
    grpc::Status Send(grpc::ServerContext* c, const PupilCommand* r, SentReply* reply) override {
        const Command& k = r->command();
        return Sent(c, r->pupil(), k.kind(), k.first(), k.second(), reply);
    }
    grpc::Status ShutDown(grpc::ServerContext* c, const Empty*, SentReply* reply) override {
        return Sent(c, 0, Command::SHUT_DOWN, 0, 0, reply);
    }
    grpc::Status Screen(grpc::ServerContext* c, const PupilRequest* r, Picture* reply) override {
        if (auto st = Check(c); !st.ok()) return st;
        Surface copy;
        {
            std::lock_guard<std::mutex> lock(s_->mutex);
            auto it = s_->pupils.find(r->pupil());
            if (it == s_->pupils.end() || !it->second.hasScreen)
                return {grpc::StatusCode::NOT_FOUND, "no picture of pupil " + std::to_string(r->pupil()) +
                                                         " yet: turn screen monitoring on first"};
            copy = it->second.screen;
        }
        // The picture library writes files; a private temporary one is read back.
        std::string path =
            (std::filesystem::temp_directory_path() /
             ("parlora-classroom-" + std::to_string(getpid()) + "-" + std::to_string(r->pupil()) + ".png"))
                .string();
        try {
            copy.savePng(path);
            reply->set_png(ReadWhole(path));
        } catch (const std::exception& e) {
            std::filesystem::remove(path);
            return {grpc::StatusCode::INTERNAL, e.what()};
        }
        std::filesystem::remove(path);
        return grpc::Status::OK;
    }
    grpc::Status Log(grpc::ServerContext* c, const PupilRequest* r, LogLines* reply) override {
        if (auto st = Check(c); !st.ok()) return st;
        std::lock_guard<std::mutex> lock(s_->mutex);
        auto it = s_->pupils.find(r->pupil());
        if (it != s_->pupils.end())
            for (const std::string& line : it->second.log)
                reply->add_lines(line);
        return grpc::Status::OK;
    }

  private:
    std::shared_ptr<State> s_;
};

} // namespace

std::map<int, TRosterEntry> ReadRoster(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("Cannot read the roster " + path);
    std::map<int, TRosterEntry> roster;
    int lineNo = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        std::vector<std::string> fields;
        std::stringstream ss(line);
        for (std::string f; std::getline(ss, f, ',');)
            fields.push_back(f);
        try {
            if (fields.size() < 2 || fields[1].empty()) throw std::invalid_argument("fields");
            int pupil = std::stoi(fields[0]);
            if (pupil <= 0) throw std::invalid_argument("pupil");
            roster[pupil] = {fields[1], fields.size() > 2 ? std::stoi(fields[2]) : 0};
        } catch (const std::exception&) {
            throw std::runtime_error(path + " line " + std::to_string(lineNo) +
                                     ": expected pupil,student[,target]");
        }
    }
    return roster;
}

TClassroomServer::TClassroomServer(TClassroomOptions options, std::unique_ptr<IProfileStore> store)
    : options_(std::move(options)), store_(std::move(store)), state_(std::make_shared<State>()) {
    state_->options = options_;
    state_->store = store_.get();
}

TClassroomServer::~TClassroomServer() {
    Shutdown();
}

void TClassroomServer::Start() {
    std::shared_ptr<grpc::ServerCredentials> credentials = grpc::InsecureServerCredentials();
    if (!options_.certFile.empty() && !options_.keyFile.empty()) {
        grpc::SslServerCredentialsOptions ssl;
        ssl.pem_key_cert_pairs.push_back({ReadWhole(options_.keyFile), ReadWhole(options_.certFile)});
        credentials = grpc::SslServerCredentials(ssl);
    }
    auto pupilService = std::make_shared<PupilService>(state_);
    auto adminService = std::make_shared<AdminService>(state_);
    int port = 0;
    grpc::ServerBuilder pupils;
    pupils.AddListeningPort(options_.listen, credentials, &port);
    pupils.RegisterService(pupilService.get());
    pupils_ = pupils.BuildAndStart();
    if (!pupils_ || port == 0) throw std::runtime_error("Cannot listen on " + options_.listen);
    std::string host = options_.listen.substr(0, options_.listen.rfind(':'));
    pupilAddress_ = host + ":" + std::to_string(port);

    std::string admin = options_.admin.empty() ? "127.0.0.1:" + std::to_string(port + 1) : options_.admin;
    std::string adminHost = admin.substr(0, admin.rfind(':'));
    if (adminHost != "127.0.0.1" && adminHost != "localhost" && adminHost != "[::1]")
        throw std::runtime_error("The teacher's address must be on this computer (127.0.0.1), not " + admin);
    int adminPort = 0;
    grpc::ServerBuilder adminBuilder;
    adminBuilder.AddListeningPort(admin, grpc::InsecureServerCredentials(), &adminPort);
    adminBuilder.RegisterService(adminService.get());
    admin_ = adminBuilder.BuildAndStart();
    if (!admin_ || adminPort == 0) {
        pupils_->Shutdown();
        throw std::runtime_error("Cannot listen on " + admin);
    }
    adminAddress_ = adminHost + ":" + std::to_string(adminPort);
    // The services live as long as the servers.
    services_.push_back(pupilService);
    services_.push_back(adminService);
}

void TClassroomServer::Shutdown() {
    state_->stopping = true;
    state_->changed.notify_all();
    auto deadline = std::chrono::system_clock::now() + std::chrono::milliseconds(500);
    if (pupils_) pupils_->Shutdown(deadline);
    if (admin_) admin_->Shutdown(deadline);
}

void TClassroomServer::Wait() {
    if (pupils_) pupils_->Wait();
}

} // namespace parlora::classroom
