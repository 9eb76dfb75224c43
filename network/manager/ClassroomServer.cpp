#include "network/manager/ClassroomServer.h"

#include "core/StringUtil.h"
#include "core/Surface.h"
#include "network/classroom.grpc.pb.h"
#include "network/manager/PupilCredentials.h"

#include <grpcpp/grpcpp.h>
#include <grpcpp/resource_quota.h>
#include <malloc.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <stdexcept>

namespace parlora::classroom {

namespace {

constexpr size_t kLogLine = 300;      // bytes of one call-log line, after escaping
constexpr size_t kMaxSectionOrKey = 256;
constexpr size_t kMaxValue = 16 * 1024;
constexpr size_t kMaxQueue = 256;     // commands waiting for one pupil
constexpr int kRefusedLines = 10;     // lines about refused calls per window, on stderr
constexpr auto kRefusedWindow = std::chrono::seconds(10);
constexpr double kResultBurst = 600;  // result rows at once
constexpr double kResultsPerSecond = 1;

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("Cannot read " + path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Tokens of any length, compared through their hashes: the time taken tells nothing of either.
bool SameToken(const std::string& a, const std::string& b) {
    return SameSecret(Sha256Hex(a), Sha256Hex(b));
}

std::string Metadata(grpc::ServerContext* context, const char* name) {
    auto range = context->client_metadata().equal_range(name);
    if (range.first == range.second) return "";
    return std::string(range.first->second.data(), range.first->second.size());
}

long long Now() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The pixels of `out` that cover the area x0..x1, y0..y1 of `from`, each the average of the
// divisor x divisor pixels under it: text stays legible at a quarter of the size, where dropping
// pixels breaks it.
void Reduce(const Surface& from, Surface& out, int divisor, int x0, int y0, int x1, int y1) {
    unsigned area = unsigned(divisor * divisor);
    int right = std::min(out.width(), (x1 + divisor - 1) / divisor);
    int bottom = std::min(out.height(), (y1 + divisor - 1) / divisor);
    for (int y = std::max(0, y0 / divisor); y < bottom; ++y) {
        uint32_t* dst = out.row(y);
        for (int x = std::max(0, x0 / divisor); x < right; ++x) {
            unsigned r = 0, g = 0, b = 0;
            for (int dy = 0; dy < divisor; ++dy) {
                const uint32_t* src = from.row(y * divisor + dy) + x * divisor;
                for (int dx = 0; dx < divisor; ++dx) {
                    r += (src[dx] >> 16) & 0xFF;
                    g += (src[dx] >> 8) & 0xFF;
                    b += src[dx] & 0xFF;
                }
            }
            dst[x] = ArgbFromRgb(uint8_t(r / area), uint8_t(g / area), uint8_t(b / area));
        }
    }
}

int Saturated(long long v) {
    return int(std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
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
    int streamsReplaced = 0;
    std::unique_ptr<Surface> screen; // made with the first picture the pupil sends
    uint64_t screenVersion = 0;
    // The screen reduced for the teacher's page, kept up to date area by area once it is asked for.
    std::unique_ptr<Surface> thumbnail;
    uint64_t watchedStream = 0; // the stream last asked for the screen by the web page
    // Off the roster: the entry stays (calls in flight hold it) but serves nobody.
    bool removed = false;
    std::deque<std::string> log;
    size_t logBytes = 0;
    // Result rows a pupil may still add now: a burst (an outbox sent after an outage) and then a
    // steady pace, so no pupil can fill the teacher's disk.
    double resultAllowance = kResultBurst;
    std::chrono::steady_clock::time_point resultChecked = std::chrono::steady_clock::now();
    std::string keyHash;  // the hash of this pupil's key; empty: not enrolled
    std::string codeHash; // an enrolment code not used yet
    long long codeExpires = 0;
};

struct TClassroomServer::State {
    TClassroomOptions options;
    IProfileStore* store = nullptr;
    std::mutex mutex;
    std::condition_variable changed;
    // Made from the roster once: a call can neither add a pupil nor make one grow.
    std::map<int, TPupilState> pupils;
    uint64_t streams = 0;
    int openStreams = 0;
    std::atomic<bool> stopping{false};
    // Refused calls are told on stderr at a bounded rate: a flood of them must not become one.
    std::mutex refusedMutex;
    std::chrono::steady_clock::time_point refusedSince{};
    int refusedShown = 0;
    long long refusedHidden = 0;

    TPupilState* FindLocked(int n) {
        auto it = pupils.find(n);
        return it == pupils.end() || it->second.removed ? nullptr : &it->second;
    }
    bool TakeResultLocked(TPupilState& p) {
        auto now = std::chrono::steady_clock::now();
        p.resultAllowance = std::min(
            kResultBurst,
            p.resultAllowance + kResultsPerSecond * std::chrono::duration<double>(now - p.resultChecked).count());
        p.resultChecked = now;
        if (p.resultAllowance < 1) return false;
        p.resultAllowance -= 1;
        return true;
    }
    void LogLocked(TPupilState& p, const std::string& line) {
        // Pupils' texts are escaped here, once: the log goes to the teacher's terminal.
        std::string safe = EscapeControls(line, kLogLine);
        p.logBytes += safe.size();
        p.log.push_back(std::move(safe));
        while (p.logBytes > options.logBytes && !p.log.empty()) {
            p.logBytes -= p.log.front().size();
            p.log.pop_front();
        }
    }
    int Send(int pupil, const Command& c) {
        std::lock_guard<std::mutex> lock(mutex);
        int sent = 0;
        for (auto& [n, p] : pupils) {
            if ((pupil == 0 || n == pupil) && !p.removed && p.connected && !p.lost && p.queue.size() < kMaxQueue) {
                p.queue.push_back(c);
                ++sent;
            }
        }
        changed.notify_all();
        return sent;
    }
    void Tell(const std::string& line) {
        if (options.quiet) return;
        std::lock_guard<std::mutex> lock(refusedMutex);
        auto now = std::chrono::steady_clock::now();
        if (now - refusedSince >= kRefusedWindow) {
            if (refusedHidden > 0)
                std::fprintf(stderr, "parlora-classroom: %lld more refused calls not shown\n", refusedHidden);
            refusedSince = now;
            refusedShown = 0;
            refusedHidden = 0;
        }
        if (refusedShown >= kRefusedLines) {
            ++refusedHidden;
            return;
        }
        ++refusedShown;
        std::fprintf(stderr, "parlora-classroom: %s\n", EscapeControls(line, 400).c_str());
    }
};

namespace {

using State = TClassroomServer::State;

grpc::Status Refused(State& s, grpc::ServerContext* context, const char* who, const std::string& why,
                     grpc::StatusCode code = grpc::StatusCode::UNAUTHENTICATED) {
    s.Tell(std::string("refused ") + who + " at " + context->peer() + ": " + why);
    return {code, why};
}

class PupilService final : public CallTutrix::Service {
  public:
    explicit PupilService(std::shared_ptr<State> s) : s_(std::move(s)) {}

    // The pupil whose key the call carries; nothing the caller says about itself counts.
    grpc::Status Who(grpc::ServerContext* c, int& pupil) {
        std::optional<TPupilKey> key = ParseKey(Metadata(c, "parlora-key"));
        std::string hash = key ? Sha256Hex(key->secret) : std::string();
        {
            std::lock_guard<std::mutex> lock(s_->mutex);
            TPupilState* p = key ? s_->FindLocked(key->pupil) : nullptr;
            if (p && !p->keyHash.empty() && SameSecret(hash, p->keyHash)) {
                pupil = p->number;
                return grpc::Status::OK;
            }
        }
        return Refused(*s_, c, "a pupil",
                       "unknown pupil key: this computer is not enrolled in the class "
                       "(ask the teacher for an enrolment code)");
    }
    // As Who, for a pupil that has connected; calls the body with the pupil under the lock.
    template <class F> grpc::Status Connected(grpc::ServerContext* c, F body) {
        int n = 0;
        grpc::Status who = Who(c, n);
        if (!who.ok()) return who;
        std::unique_lock<std::mutex> lock(s_->mutex);
        TPupilState& p = s_->pupils.at(n);
        if (!p.connected) return {grpc::StatusCode::FAILED_PRECONDITION, "Not connected to Tutrix"};
        return body(p, lock);
    }

    grpc::Status Join(grpc::ServerContext* c, const JoinRequest* r, JoinReply* reply) override {
        if (!SameToken(Metadata(c, "parlora-token"), s_->options.token))
            return Refused(*s_, c, "a computer joining", "wrong class token");
        std::string code = NormaliseCode(r->code());
        std::string hash = code.empty() ? std::string() : Sha256Hex(code);
        std::lock_guard<std::mutex> lock(s_->mutex);
        TPupilState* found = nullptr;
        long long now = Now();
        for (auto& [n, p] : s_->pupils)
            if (!p.codeHash.empty() && SameSecret(hash, p.codeHash) && (p.codeExpires == 0 || now < p.codeExpires))
                found = &p;
        if (!found)
            return Refused(*s_, c, "a computer joining",
                           "unknown, used or expired enrolment code: ask the teacher for a new one",
                           grpc::StatusCode::PERMISSION_DENIED);
        std::string secret = NewPupilSecret();
        std::string keyHash = Sha256Hex(secret);
        try {
            s_->store->PutCredential({found->number, "key", keyHash, 0});
            s_->store->DropCredential(found->number, "code");
        } catch (const std::exception& e) {
            return {grpc::StatusCode::INTERNAL, e.what()};
        }
        bool had = !found->keyHash.empty();
        found->keyHash = keyHash;
        found->codeHash.clear();
        // The computer that held the old key is no longer this pupil: its stream ends.
        if (found->streaming) {
            found->stream = ++s_->streams;
            found->streaming = false;
        }
        found->connected = false;
        s_->changed.notify_all();
        s_->LogLocked(*found, std::string("Join from ") + c->peer() + (had ? " (the earlier key stops working)" : ""));
        reply->set_pupil(found->number);
        reply->set_key(std::to_string(found->number) + "." + secret);
        reply->set_student(found->student);
        return grpc::Status::OK;
    }
    grpc::Status Connect(grpc::ServerContext* c, const Empty*, Empty*) override {
        int n = 0;
        grpc::Status who = Who(c, n);
        if (!who.ok()) return who;
        std::lock_guard<std::mutex> lock(s_->mutex);
        TPupilState& p = s_->pupils.at(n);
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
        reply->set_state(s_->pupils.at(n).connected ? 1 : 0);
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
    static grpc::Status Sized(const std::string& section, const std::string& key, const std::string& value) {
        if (section.size() > kMaxSectionOrKey || key.size() > kMaxSectionOrKey || value.size() > kMaxValue)
            return {grpc::StatusCode::INVALID_ARGUMENT,
                    "a record's section and key are at most 256 bytes, its value at most 16 KB"};
        return grpc::Status::OK;
    }

    grpc::Status GetRemoteProfileString(grpc::ServerContext* c, const ProfileRead* r,
                                        ProfileValue* reply) override {
        std::string section;
        int target = 0;
        bool defaults = false;
        grpc::Status ok = Connected(c, [&](TPupilState& p, auto&) {
            if (auto st = Sized(r->section(), r->key(), r->default_value()); !st.ok()) return st;
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
            grpc::Status st = Sized(r->section(), r->key(), r->value());
            if (st.ok()) st = Section(p, r->section(), section, defaults);
            if (!st.ok()) {
                s_->LogLocked(p, "WriteRemoteProfileString refused [" + EscapeControls(r->section(), 64) + "]");
                return st;
            }
            target = p.target;
            s_->LogLocked(p, "WriteRemoteProfileString [" + r->section() + "], " + r->key() + ", " + r->value());
            return st;
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
            if (!s_->TakeResultLocked(p)) return TooManyResults();
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
            if (!s_->TakeResultLocked(p)) return TooManyResults();
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
    static grpc::Status TooManyResults() {
        return {grpc::StatusCode::RESOURCE_EXHAUSTED, "too many results at once: at most one a second after a first 600"};
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
            p.quizScore = Saturated((long long)p.quizScore + r->change());
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
        // Only a known pupil's pixels are unpacked.
        int n = 0;
        grpc::Status who = Who(c, n);
        if (!who.ok()) return who;
        long long left = r->left(), top = r->top(), w = (long long)r->right() - left,
                  h = (long long)r->bottom() - top;
        std::vector<uint32_t> pixels;
        bool picture = false;
        if (w > 0 && h > 0 && left >= 0 && top >= 0 && r->right() <= 1024 && r->bottom() <= 768 &&
            !r->pixels().empty() && r->pixels().size() <= compressBound(uLong(w * h * 4))) {
            // Unpacked outside the lock: many pupils repaint at once.
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
                if (!p.screen) p.screen = std::make_unique<Surface>(1024, 768);
                for (long long y = 0; y < h; ++y)
                    std::copy_n(pixels.data() + size_t(y) * size_t(w), size_t(w),
                                p.screen->row(int(top + y)) + left);
                ++p.screenVersion;
                if (p.thumbnail)
                    Reduce(*p.screen, *p.thumbnail, kThumbnailDivisor, int(left), int(top), int(left + w), int(top + h));
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
        bool replaced = false;
        {
            std::lock_guard<std::mutex> lock(s_->mutex);
            // Each stream holds a thread of the server: one per pupil, and a few changing hands.
            if (s_->openStreams >= int(s_->pupils.size()) + s_->options.streamMargin)
                return Refused(*s_, c, "a command stream", "too many command streams",
                               grpc::StatusCode::RESOURCE_EXHAUSTED);
            TPupilState& p = s_->pupils.at(n);
            if (p.streaming) {
                // The same key from somewhere else: the newest holds the stream, and the teacher sees it.
                replaced = true;
                if (p.streamsReplaced < std::numeric_limits<int>::max()) ++p.streamsReplaced;
                s_->LogLocked(p, "Commands stream replaced by one from " + c->peer());
            }
            mine = p.stream = ++s_->streams;
            p.streaming = true;
            ++s_->openStreams;
            s_->changed.notify_all();
        }
        if (replaced) s_->Tell("pupil " + std::to_string(n) + "'s command stream was taken over from " + c->peer());
        Command ready;
        ready.set_kind(Command::READY);
        bool open = writer->Write(ready);
        std::unique_lock<std::mutex> lock(s_->mutex);
        while (open && !s_->stopping && !c->IsCancelled()) {
            TPupilState& p = s_->pupils.at(n);
            if (p.stream != mine) break;
            if (p.queue.empty()) {
                // Woken by a command; the pause bounds how long a gone pupil's stream lingers.
                s_->changed.wait_for(lock, std::chrono::milliseconds(250));
                continue;
            }
            Command next = p.queue.front();
            p.queue.pop_front();
            lock.unlock();
            open = writer->Write(next);
            lock.lock();
        }
        --s_->openStreams;
        TPupilState& p = s_->pupils.at(n);
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
    AdminService(std::shared_ptr<State> s, TClassroomServer& server) : s_(std::move(s)), server_(server) {}

    grpc::Status Check(grpc::ServerContext* c) {
        const std::string& want =
            s_->options.teacherToken.empty() ? s_->options.token : s_->options.teacherToken;
        if (!SameToken(Metadata(c, "parlora-token"), want))
            return Refused(*s_, c, "a teacher's request", "wrong teacher's token");
        return grpc::Status::OK;
    }
    grpc::Status Pupils(grpc::ServerContext* c, const Empty*, PupilList* reply) override {
        if (auto st = Check(c); !st.ok()) return st;
        std::lock_guard<std::mutex> lock(s_->mutex);
        for (const auto& [n, p] : s_->pupils) {
            if (p.removed) continue;
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
            out->set_enrolled(!p.keyHash.empty());
            out->set_streams_replaced(p.streamsReplaced);
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
            TPupilState* p = s_->FindLocked(r->pupil());
            if (!p || !p->screen)
                return {grpc::StatusCode::NOT_FOUND, "no picture of pupil " + std::to_string(r->pupil()) +
                                                         " yet: turn screen monitoring on first"};
            copy = *p->screen;
        }
        try {
            reply->set_png(copy.encodePng());
        } catch (const std::exception& e) {
            return {grpc::StatusCode::INTERNAL, e.what()};
        }
        return grpc::Status::OK;
    }
    grpc::Status Log(grpc::ServerContext* c, const PupilRequest* r, LogLines* reply) override {
        if (auto st = Check(c); !st.ok()) return st;
        std::lock_guard<std::mutex> lock(s_->mutex);
        if (TPupilState* p = s_->FindLocked(r->pupil()))
            for (const std::string& line : p->log)
                reply->add_lines(line);
        return grpc::Status::OK;
    }
    grpc::Status Enrol(grpc::ServerContext* c, const EnrolRequest* r, EnrolCodes* reply) override {
        if (auto st = Check(c); !st.ok()) return st;
        try {
            for (const TEnrolCode& code : server_.Enrol({r->pupils().begin(), r->pupils().end()})) {
                EnrolCode* out = reply->add_codes();
                out->set_pupil(code.pupil);
                out->set_student(code.student);
                out->set_code(code.code);
                out->set_expires(code.expires);
            }
        } catch (const std::invalid_argument& e) {
            return {grpc::StatusCode::INVALID_ARGUMENT, e.what()};
        } catch (const std::exception& e) {
            return {grpc::StatusCode::INTERNAL, e.what()};
        }
        return grpc::Status::OK;
    }

  private:
    std::shared_ptr<State> s_;
    TClassroomServer& server_;
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
        auto bad = [&](const std::string& what) {
            return std::runtime_error(path + " line " + std::to_string(lineNo) + ": " + what);
        };
        std::optional<long long> pupil = fields.empty() ? std::nullopt : ParseInt(fields[0]);
        std::optional<long long> target =
            fields.size() > 2 ? ParseInt(fields[2]) : std::optional<long long>(0);
        if (fields.size() < 2 || fields[1].empty() || !pupil || !target)
            throw bad("expected pupil,student[,target]");
        if (*pupil < 1 || *pupil > 999999) throw bad("a pupil's number is 1 to 999999");
        if (*target < 0 || *target > 99) throw bad("a target language is 0 to 99");
        if (fields[1].size() > 100 || EscapeControls(fields[1]) != fields[1])
            throw bad("a student's name is at most 100 bytes, without control characters");
        if (roster.size() >= kMaxRoster && !roster.count(int(*pupil)))
            throw bad("a roster holds at most " + std::to_string(kMaxRoster) + " pupils");
        roster[int(*pupil)] = {fields[1], int(*target)};
    }
    return roster;
}

TClassroomServer::TClassroomServer(TClassroomOptions options, std::unique_ptr<IProfileStore> store)
    : options_(std::move(options)), store_(std::move(store)), state_(std::make_shared<State>()) {
    state_->options = options_;
    state_->store = store_.get();
    for (const auto& [n, entry] : options_.roster) {
        TPupilState& p = state_->pupils[n];
        p.number = n;
        p.student = entry.student;
        p.target = entry.target ? entry.target : options_.defaultTarget;
    }
    // Keys and codes given out before a restart still hold; those of pupils no longer on the
    // roster are kept in the store but serve nobody.
    for (const TCredential& c : store_->Credentials()) {
        TPupilState* p = state_->FindLocked(c.pupil);
        if (!p) continue;
        if (c.kind == "key") p->keyHash = c.hash;
        if (c.kind == "code") {
            p->codeHash = c.hash;
            p->codeExpires = c.expires;
        }
    }
}

TClassroomServer::~TClassroomServer() {
    Shutdown();
}

std::vector<TEnrolCode> TClassroomServer::Enrol(const std::vector<int>& pupils) {
    std::vector<TEnrolCode> codes;
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        std::vector<int> wanted = pupils;
        if (wanted.empty())
            for (const auto& [n, p] : state_->pupils)
                if (!p.removed) wanted.push_back(n);
        std::sort(wanted.begin(), wanted.end());
        wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
        for (int n : wanted) {
            TPupilState* p = state_->FindLocked(n);
            if (!p) throw std::invalid_argument("pupil " + std::to_string(n) + " is not on the roster");
            codes.push_back({n, p->student, NewEnrolmentCode(), Now() + options_.codeLifetime.count()});
        }
    }
    // Each code is on disk before it is handed out; the pupils' calls go on meanwhile.
    std::vector<std::string> hashes;
    for (const TEnrolCode& c : codes) {
        hashes.push_back(Sha256Hex(NormaliseCode(c.code)));
        store_->PutCredential({c.pupil, "code", hashes.back(), c.expires});
    }
    std::lock_guard<std::mutex> lock(state_->mutex);
    for (size_t i = 0; i < codes.size(); ++i) {
        TPupilState& p = state_->pupils.at(codes[i].pupil);
        p.codeHash = hashes[i];
        p.codeExpires = codes[i].expires;
    }
    return codes;
}

std::string ScoresCsv(const std::vector<TPupilStatus>& pupils) {
    std::string text = "pupil,student,target,quiz_score,last_score,award_level\n";
    for (const TPupilStatus& p : pupils)
        text += std::to_string(p.pupil) + "," + CsvCell(p.student) + "," + std::to_string(p.target) + "," +
                std::to_string(p.quizScore) + "," + std::to_string(p.lastScore) + "," + std::to_string(p.award) +
                "\n";
    return text;
}

std::vector<TPupilStatus> TClassroomServer::Status() {
    std::vector<TPupilStatus> out;
    std::lock_guard<std::mutex> lock(state_->mutex);
    for (const auto& [n, p] : state_->pupils) {
        if (p.removed) continue;
        out.push_back({n, p.student, p.target, p.connected, p.lost, !p.keyHash.empty(), p.activity, p.quizScore,
                       p.lastScore, p.award, p.streamsReplaced, p.screen ? p.screenVersion + 1 : 0});
    }
    return out;
}

int TClassroomServer::Send(int pupil, int kind, int first, int second) {
    Command command;
    command.set_kind(Command::Kind(kind));
    command.set_first(first);
    command.set_second(second);
    return state_->Send(pupil, command);
}

std::vector<std::string> TClassroomServer::Log(int pupil) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    TPupilState* p = state_->FindLocked(pupil);
    return p ? std::vector<std::string>(p->log.begin(), p->log.end()) : std::vector<std::string>();
}

Surface TClassroomServer::Screen(int pupil, int divisor, uint64_t& version) {
    divisor = std::clamp(divisor, 1, 16);
    std::lock_guard<std::mutex> lock(state_->mutex);
    TPupilState* p = state_->FindLocked(pupil);
    version = p && p->screen ? p->screenVersion + 1 : 0;
    if (!version) return {};
    const Surface& from = *p->screen;
    if (divisor == 1) return from;
    if (divisor == kThumbnailDivisor) {
        // Made whole once; each repaint then updates only its own area.
        if (!p->thumbnail) {
            p->thumbnail = std::make_unique<Surface>(from.width() / divisor, from.height() / divisor);
            Reduce(from, *p->thumbnail, divisor, 0, 0, from.width(), from.height());
        }
        return *p->thumbnail;
    }
    Surface out(from.width() / divisor, from.height() / divisor);
    Reduce(from, out, divisor, 0, 0, from.width(), from.height());
    return out;
}

void TClassroomServer::WatchScreens() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    Command on;
    on.set_kind(Command::MONITOR);
    on.set_first(0);
    on.set_second(1);
    for (auto& [n, p] : state_->pupils) {
        if (p.removed || !p.streaming || !p.connected || p.watchedStream == p.stream || p.queue.size() >= kMaxQueue)
            continue;
        p.watchedStream = p.stream;
        p.queue.push_back(on);
    }
    state_->changed.notify_all();
}

namespace {

void WriteRosterFile(const std::string& path, const std::map<int, TPupilState>& pupils) {
    std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::trunc);
        out << "# pupil,student,target\n";
        for (const auto& [n, p] : pupils)
            if (!p.removed) out << n << "," << p.student << "," << p.target << "\n";
        if (!out.flush()) throw std::runtime_error("Cannot write the roster " + tmp);
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) throw std::runtime_error("Cannot replace the roster " + path);
}

} // namespace

void TClassroomServer::AddPupil(int pupil, const TRosterEntry& entry) {
    if (pupil < 1 || pupil > 999999) throw std::invalid_argument("a pupil's number is 1 to 999999");
    if (entry.target < 0 || entry.target > 99) throw std::invalid_argument("a target language is 0 to 99");
    if (entry.student.empty() || entry.student.size() > 100 || EscapeControls(entry.student) != entry.student ||
        entry.student.find(',') != std::string::npos)
        throw std::invalid_argument("a student's name is 1 to 100 bytes, without commas or control characters");
    std::lock_guard<std::mutex> lock(state_->mutex);
    auto it = state_->pupils.find(pupil);
    size_t count = 0;
    for (const auto& [n, p] : state_->pupils)
        count += !p.removed;
    if ((it == state_->pupils.end() || it->second.removed) && count >= kMaxRoster)
        throw std::invalid_argument("a roster holds at most " + std::to_string(kMaxRoster) + " pupils");
    TPupilState& p = state_->pupils[pupil];
    p.number = pupil;
    p.student = entry.student;
    p.target = entry.target ? entry.target : options_.defaultTarget;
    p.removed = false;
    if (!options_.rosterFile.empty()) WriteRosterFile(options_.rosterFile, state_->pupils);
}

void TClassroomServer::RemovePupil(int pupil) {
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        TPupilState* p = state_->FindLocked(pupil);
        if (!p) throw std::invalid_argument("pupil " + std::to_string(pupil) + " is not on the roster");
        p->removed = true;
        p->keyHash.clear();
        p->codeHash.clear();
        p->connected = false;
        p->queue.clear();
        p->screen.reset();
        p->thumbnail.reset();
        if (p->streaming) p->stream = ++state_->streams;
        state_->changed.notify_all();
        if (!options_.rosterFile.empty()) WriteRosterFile(options_.rosterFile, state_->pupils);
    }
    store_->DropCredential(pupil, "key");
    store_->DropCredential(pupil, "code");
}

void LimitHeldMemory() {
    // A refused 4 MB message is read whole before its call is turned down; with glibc's default of
    // a memory pool per thread, each server thread would keep its freed buffers for good.
    ::mallopt(M_ARENA_MAX, 2);
    ::mallopt(M_MMAP_THRESHOLD, 256 * 1024);
}

std::shared_ptr<grpc::Channel> TClassroomServer::InProcessPupilChannel() {
    return pupils_->InProcessChannel(grpc::ChannelArguments());
}

void TClassroomServer::Start() {
    std::shared_ptr<grpc::ServerCredentials> credentials = grpc::InsecureServerCredentials();
    if (!options_.certFile.empty() && !options_.keyFile.empty()) {
        grpc::SslServerCredentialsOptions ssl;
        ssl.pem_key_cert_pairs.push_back({ReadWhole(options_.keyFile), ReadWhole(options_.certFile)});
        credentials = grpc::SslServerCredentials(ssl);
    }
    auto pupilService = std::make_shared<PupilService>(state_);
    auto adminService = std::make_shared<AdminService>(state_, *this);
    int port = 0;
    grpc::ServerBuilder pupils;
    pupils.AddListeningPort(options_.listen, credentials, &port);
    pupils.RegisterService(pupilService.get());
    pupils.SetMaxReceiveMessageSize(kMaxPupilMessage);
    // Every call in flight holds a thread: the pupils' streams, their calls, and room for refusals.
    grpc::ResourceQuota quota("parlora-classroom-pupils");
    quota.SetMaxThreads(2 * (int(options_.roster.size()) + options_.streamMargin) + 32);
    pupils.SetResourceQuota(quota);
    pupils_ = pupils.BuildAndStart();
    if (!pupils_ || port == 0) throw std::runtime_error("Cannot listen on " + options_.listen);
    std::string host = options_.listen.substr(0, options_.listen.rfind(':'));
    pupilAddress_ = host + ":" + std::to_string(port);

    std::string admin = options_.admin.empty() ? "127.0.0.1:" + std::to_string(port + 1) : options_.admin;
    size_t colon = admin.rfind(':');
    std::string adminHost = admin.substr(0, colon);
    if (colon == std::string::npos || colon + 1 == admin.size() ||
        admin.find_first_not_of("0123456789", colon + 1) != std::string::npos) {
        pupils_->Shutdown();
        throw std::runtime_error("The teacher's address needs a port (127.0.0.1:PORT), not " + admin);
    }
    if (adminHost != "127.0.0.1" && adminHost != "localhost" && adminHost != "[::1]") {
        pupils_->Shutdown();
        throw std::runtime_error("The teacher's address must be on this computer (127.0.0.1), not " + admin);
    }
    int adminPort = 0;
    grpc::ServerBuilder adminBuilder;
    adminBuilder.AddListeningPort(admin, grpc::InsecureServerCredentials(), &adminPort);
    adminBuilder.RegisterService(adminService.get());
    adminBuilder.SetMaxReceiveMessageSize(64 * 1024);
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
