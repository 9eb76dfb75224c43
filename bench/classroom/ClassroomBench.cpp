// One classroom manager and 40 simulated pupils, each enrolled with its code and repainting ten
// times a second: how long a quiz start takes to reach all of them, and how much CPU the whole room
// uses (the manager and the 40 pupils' links together: an upper bound for the manager's own).
// Then one manager under abuse from a client holding only the class token (and, for two of the
// floods, one pupil's own key): its memory and the teacher's view of the class while it refuses.
// Last, the real manager program serving the teacher's page to headless Chromium while the 40
// pupils repaint: the manager's own CPU and the page's first paint.
#include "network/classroom.grpc.pb.h"
#include "network/manager/AdminClient.h"
#include "network/manager/ClassroomServer.h"
#include "network/manager/SqliteProfileStore.h"

#include <benchmark/benchmark.h>
#include <grpcpp/generic/generic_stub.h>
#include <grpcpp/grpcpp.h>
#include <zlib.h>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <mutex>
#include <random>
#include <csignal>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace parlora::classroom;

namespace {

constexpr int kPupils = 40;
constexpr const char* kToken = "bench";

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// A pupil's computer joining with the code from the teacher's sheet: its key, or empty.
std::string Join(CallTutrix::Stub& stub, const std::string& code) {
    grpc::ClientContext c;
    c.set_deadline(std::chrono::system_clock::now() + std::chrono::seconds(10));
    c.AddMetadata("parlora-token", kToken);
    JoinRequest r;
    r.set_code(code);
    JoinReply reply;
    return stub.Join(&c, r, &reply).ok() ? reply.key() : std::string();
}

std::map<int, TRosterEntry> Roster(int pupils) {
    std::map<int, TRosterEntry> roster;
    for (int n = 1; n <= pupils; ++n)
        roster[n] = {"Pupil " + std::to_string(n), 3};
    return roster;
}

// The records of one benchmark, removed with it.
struct TempDatabase {
    std::string path;
    explicit TempDatabase(const std::string& name)
        : path((std::filesystem::temp_directory_path() / (name + "-" + std::to_string(getpid()))).string()) {}
    ~TempDatabase() {
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            std::filesystem::remove(path + suffix);
    }
};

struct SimulatedPupil {
    int number;
    std::string key;
    std::unique_ptr<CallTutrix::Stub> stub;
    grpc::ClientContext streamContext;
    std::thread reader, painter;
    std::atomic<bool> stop{false};
    std::atomic<int> quizStarts{0};
    std::atomic<int> repaintsRefused{0};

    void Prepare(grpc::ClientContext& c) { c.AddMetadata("parlora-key", key); }
    bool Start(std::shared_ptr<grpc::Channel> channel, const std::string& code, std::mutex& m,
               std::condition_variable& cv) {
        stub = CallTutrix::NewStub(channel);
        key = Join(*stub, code);
        if (key.empty()) return false;
        grpc::ClientContext c;
        Prepare(c);
        Empty reply;
        stub->Connect(&c, Empty(), &reply);
        Prepare(streamContext);
        reader = std::thread([this, &m, &cv] {
            auto r = stub->Commands(&streamContext, Empty());
            Command command;
            while (r->Read(&command))
                if (command.kind() == Command::QUIZ_START) {
                    std::lock_guard<std::mutex> lock(m);
                    ++quizStarts;
                    cv.notify_all();
                }
            r->Finish();
        });
        painter = std::thread([this] {
            // A 64 x 64 area, as an animated strip repaints.
            std::vector<uint32_t> pixels(64 * 64, 0xFF336699u);
            std::string packed(compressBound(uLong(pixels.size() * 4)), '\0');
            uLongf size = uLongf(packed.size());
            compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
                      reinterpret_cast<const Bytef*>(pixels.data()), uLong(pixels.size() * 4), 1);
            packed.resize(size);
            UpdateRect rect;
            rect.set_left(100);
            rect.set_top(100);
            rect.set_right(164);
            rect.set_bottom(164);
            rect.set_pixels(packed);
            auto next = std::chrono::steady_clock::now();
            while (!stop) {
                grpc::ClientContext c;
                Prepare(c);
                Empty reply;
                if (!stub->SendUpdateRect(&c, rect, &reply).ok()) ++repaintsRefused;
                next += std::chrono::milliseconds(100);
                std::this_thread::sleep_until(next);
            }
        });
        return true;
    }
    void Stop() {
        stop = true;
        streamContext.TryCancel();
        if (reader.joinable()) reader.join();
        if (painter.joinable()) painter.join();
    }
};

void QuizStartReachesFortyRepaintingPupils(benchmark::State& state) {
    TempDatabase db("classroom-bench");
    TClassroomOptions o;
    o.listen = "127.0.0.1:0";
    o.admin = "127.0.0.1:0";
    o.token = kToken;
    o.quiet = true;
    o.roster = Roster(kPupils);
    TClassroomServer server(o, std::make_unique<TSqliteProfileStore>(db.path));
    server.Start();
    std::vector<TEnrolCode> codes = server.Enrol({}); // the teacher's sheet: one code a pupil
    auto channel = grpc::CreateChannel(server.pupilAddress(), grpc::InsecureChannelCredentials());
    std::mutex m;
    std::condition_variable cv;
    std::vector<std::unique_ptr<SimulatedPupil>> pupils;
    bool joined = true;
    for (const TEnrolCode& code : codes) {
        pupils.push_back(std::make_unique<SimulatedPupil>());
        pupils.back()->number = code.pupil;
        joined = pupils.back()->Start(channel, code.code, m, cv) && joined;
    }
    if (!joined) {
        for (auto& p : pupils)
            p->Stop();
        state.SkipWithError("a pupil could not join with its code");
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // every stream open, repaints flowing
    TAdminClient admin(server.adminAddress(), kToken);
    double cpu0 = CpuSeconds();
    auto wall0 = std::chrono::steady_clock::now();
    int round = 0;
    for (auto _ : state) {
        ++round;
        auto t0 = std::chrono::steady_clock::now();
        admin.QuizStart(276, round);
        std::unique_lock<std::mutex> lock(m);
        cv.wait_for(lock, std::chrono::seconds(5), [&] {
            for (auto& p : pupils)
                if (p->quizStarts < round) return false;
            return true;
        });
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(200)); // repaints in between
    }
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    state.counters["room_cpu_cores"] = (CpuSeconds() - cpu0) / wall;
    int refused = 0;
    for (auto& p : pupils) {
        p->Stop();
        refused += p->repaintsRefused;
    }
    state.counters["repaints_refused"] = refused;
    server.Shutdown();
}

// Resident memory of this process now and at its peak, in MB (VmRSS and VmHWM).
std::pair<double, double> ResidentMB() {
    std::ifstream status("/proc/self/status");
    double rss = 0, hwm = 0;
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) rss = std::stod(line.substr(6)) / 1024.0;
        if (line.rfind("VmHWM:", 0) == 0) hwm = std::stod(line.substr(6)) / 1024.0;
    }
    return {rss, hwm};
}

// A client of the attacker's own, on the pupils' address: any metadata, any fields.
struct Intruder {
    std::shared_ptr<grpc::Channel> channel;
    std::unique_ptr<CallTutrix::Stub> stub;
    explicit Intruder(const std::string& address)
        : channel(grpc::CreateChannel(address, grpc::InsecureChannelCredentials())),
          stub(CallTutrix::NewStub(channel)) {}
    static void Prepare(grpc::ClientContext& c, const std::map<std::string, std::string>& metadata,
                        int seconds = 10) {
        c.set_deadline(std::chrono::system_clock::now() + std::chrono::seconds(seconds));
        for (const auto& [k, v] : metadata)
            c.AddMetadata(k, v);
    }
    grpc::StatusCode Write(const std::map<std::string, std::string>& metadata, const std::string& value) {
        grpc::ClientContext c;
        Prepare(c, metadata);
        ProfileWrite w;
        w.set_section("Student Pupil 1");
        w.set_key("Score");
        w.set_value(value);
        Empty reply;
        return stub->WriteRemoteProfileString(&c, w, &reply).error_code();
    }
    // A write already packed: every call sends the same bytes, so the attacker's side of this
    // process holds one copy however many calls are in flight, and the memory measured is the
    // manager's.
    grpc::StatusCode Send(const std::map<std::string, std::string>& metadata, const grpc::Slice& packed) {
        grpc::GenericStub raw(channel);
        grpc::ClientContext c;
        Prepare(c, metadata);
        grpc::Slice copy = packed; // a reference, not the bytes
        grpc::ByteBuffer request(&copy, 1), reply;
        std::promise<grpc::Status> done;
        raw.UnaryCall(&c, "/parlora.classroom.CallTutrix/WriteRemoteProfileString", grpc::StubOptions(),
                      &request, &reply, [&done](grpc::Status st) { done.set_value(std::move(st)); });
        return done.get_future().get().error_code();
    }
};

// A pupil's write of a value of `size` bytes, packed once.
grpc::Slice PackedWrite(size_t size) {
    ProfileWrite w;
    w.set_section("Student Pupil 1");
    w.set_key("Score");
    w.mutable_value()->assign(size, 'x');
    std::string bytes = w.SerializeAsString();
    return grpc::Slice(bytes);
}

std::string MadeUpSecret(std::mt19937& random) {
    static const char hex[] = "0123456789abcdef";
    std::string secret(64, '0');
    for (char& ch : secret)
        ch = hex[random() & 15];
    return secret;
}

// The manager (roster of 30) under abuse from a client holding the class token: 300 calls as pupils
// that do not exist or with made-up keys, 100 refused writes of about 4 MB (no key; or a real
// pupil's key and a value far over the 16 KB a record may hold), 400 command streams without a
// key, and 400 streams on one real pupil's key opened one after another and never closed (each
// takes over from the last). Then the teacher's list of pupils, 50 times while the refused calls
// go on. The manager is in this process: its memory is the process's growth since before it
// started. A fresh process gives the cleanest peak: --benchmark_filter=Abuse.
void ManagerUnderAbuse(benchmark::State& state) {
    constexpr int kRoster = 30;
    constexpr int kBigAtOnce = 4;
    LimitHeldMemory(); // as parlora-classroom does at its start
    malloc_trim(0);
    double rssBefore = ResidentMB().first;
    TempDatabase db("classroom-abuse");
    TClassroomOptions o;
    o.listen = "127.0.0.1:0";
    o.admin = "127.0.0.1:0";
    o.token = kToken;
    o.quiet = true;
    o.roster = Roster(kRoster);
    TClassroomServer server(o, std::make_unique<TSqliteProfileStore>(db.path));
    server.Start();
    double rssStarted = ResidentMB().first;
    const std::string address = server.pupilAddress();
    // Two real pupils: one connected (its key for the oversized writes), one whose streams are taken
    // over again and again.
    std::vector<TEnrolCode> codes = server.Enrol({1, 2});
    Intruder honest(address);
    std::string key1 = Join(*honest.stub, codes[0].code), key2 = Join(*honest.stub, codes[1].code);
    if (key1.empty() || key2.empty()) {
        state.SkipWithError("the two pupils could not join");
        return;
    }
    {
        grpc::ClientContext c;
        Intruder::Prepare(c, {{"parlora-key", key1}});
        Empty reply;
        honest.stub->Connect(&c, Empty(), &reply);
    }
    const std::map<std::string, std::string> token{{"parlora-token", kToken}};
    std::mt19937 random(7);
    int unexpected = 0; // calls the manager served, or refused in another way than it should
    std::atomic<int> unexpectedFlood{0};
    std::map<std::string, int> outcomes;
    auto note = [&](const char* what, grpc::StatusCode got,
                    std::initializer_list<grpc::StatusCode> refusals) {
        bool refused = std::find(refusals.begin(), refusals.end(), got) != refusals.end();
        ++outcomes[std::string(what) + (refused ? "_refused" : "_served")];
        if (!refused) ++unexpected;
    };
    // Under the message limit, 256 times what a record may hold.
    const grpc::Slice big = PackedWrite(size_t(kMaxPupilMessage) - 1024);

    std::map<std::string, double> phases; // resident memory after each flood
    auto t0 = std::chrono::steady_clock::now();
    for (auto _ : state) {
        Intruder outsider(address);
        // 300 calls as pupils 31 to 330 (not on the roster) or with made-up keys of real pupils.
        for (int i = 0; i < 300; ++i) {
            std::map<std::string, std::string> md = token;
            int pupil = 1 + i % (kRoster + 300);
            if (i % 2 == 0)
                md["parlora-pupil"] = std::to_string(kRoster + 1 + i);
            else
                md["parlora-key"] = std::to_string(pupil) + "." + MadeUpSecret(random);
            grpc::ClientContext c;
            Intruder::Prepare(c, md);
            Empty reply;
            grpc::StatusCode got;
            switch (i % 3) {
            case 0:
                got = outsider.stub->Connect(&c, Empty(), &reply).error_code();
                break;
            case 1: {
                Score score;
                score.set_score(99999);
                got = outsider.stub->SendScore(&c, score, &reply).error_code();
                break;
            }
            default: {
                ProfileWrite w;
                w.set_section("Student Pupil " + std::to_string(pupil));
                w.set_key("Score");
                w.set_value("0");
                got = outsider.stub->WriteRemoteProfileString(&c, w, &reply).error_code();
            }
            }
            note("unknown", got, {grpc::StatusCode::UNAUTHENTICATED});
        }
        phases["rss_after_unknown_MB"] = ResidentMB().first;
        // 100 writes of 4 MB, kBigAtOnce at a time: half without a key, half with pupil 1's own key.
        {
            std::mutex m;
            std::vector<std::thread> writers;
            for (int w = 0; w < kBigAtOnce; ++w)
                writers.emplace_back([&, w] {
                    Intruder writer(address);
                    for (int i = w; i < 100; i += kBigAtOnce) {
                        bool withKey = i % 2 == 1;
                        grpc::StatusCode got = writer.Send(
                            withKey ? std::map<std::string, std::string>{{"parlora-key", key1}} : token, big);
                        std::lock_guard<std::mutex> lock(m);
                        note(withKey ? "big_with_key" : "big_without_key", got,
                             {withKey ? grpc::StatusCode::INVALID_ARGUMENT
                                      : grpc::StatusCode::UNAUTHENTICATED});
                    }
                });
            for (auto& t : writers)
                t.join();
        }
        phases["rss_after_big_writes_MB"] = ResidentMB().first;
        // 400 command streams without a key, all opened before any is read.
        {
            std::vector<std::unique_ptr<grpc::ClientContext>> contexts;
            std::vector<std::unique_ptr<grpc::ClientReader<Command>>> streams;
            for (int i = 0; i < 400; ++i) {
                contexts.push_back(std::make_unique<grpc::ClientContext>());
                Intruder::Prepare(*contexts.back(), i % 2 ? token : std::map<std::string, std::string>{});
                streams.push_back(outsider.stub->Commands(contexts.back().get(), Empty()));
            }
            for (auto& s : streams) {
                Command command;
                bool read = s->Read(&command);
                grpc::StatusCode got = s->Finish().error_code();
                note("stream_without_key", read ? grpc::StatusCode::OK : got,
                     {grpc::StatusCode::UNAUTHENTICATED, grpc::StatusCode::RESOURCE_EXHAUSTED});
            }
        }
        phases["rss_after_streams_MB"] = ResidentMB().first;
        // 400 streams on pupil 2's key, one after another, none closed by the client: each must
        // begin (READY) and end the one before it.
        {
            std::vector<std::unique_ptr<grpc::ClientContext>> contexts;
            std::vector<std::unique_ptr<grpc::ClientReader<Command>>> streams;
            int ready = 0, endedBefore = 0;
            for (int i = 0; i < 400; ++i) {
                contexts.push_back(std::make_unique<grpc::ClientContext>());
                Intruder::Prepare(*contexts.back(), {{"parlora-key", key2}}, 60);
                streams.push_back(honest.stub->Commands(contexts.back().get(), Empty()));
                Command command;
                if (streams.back()->Read(&command) && command.kind() == Command::READY) ++ready;
            }
            for (size_t i = 0; i + 1 < streams.size(); ++i) {
                Command command;
                if (!streams[i]->Read(&command)) ++endedBefore;
                streams[i]->Finish();
            }
            outcomes["stream_taken_over_ready"] = ready;
            outcomes["stream_taken_over_ended"] = endedBefore;
            if (ready != 400 || endedBefore != 399) ++unexpected;
            contexts.back()->TryCancel();
            streams.back()->Finish();
        }
    }
    double abuseSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    phases["rss_after_takeovers_MB"] = ResidentMB().first;

    // The teacher's list while the refusals go on: made-up keys and 4 MB writes without one.
    std::atomic<bool> stop{false};
    std::thread flood([&] {
        Intruder outsider(address);
        std::mt19937 r(11);
        for (int i = 0; !stop; ++i) {
            grpc::StatusCode got = i % 8 == 0
                                       ? outsider.Send(token, big)
                                       : outsider.Write({{"parlora-key", "3." + MadeUpSecret(r)}}, "0");
            if (got != grpc::StatusCode::UNAUTHENTICATED) ++unexpectedFlood;
        }
    });
    TAdminClient admin(server.adminAddress(), kToken);
    admin.Pupils(); // the teacher's connection made
    std::vector<double> ms;
    int listed = 0;
    for (int i = 0; i < 50; ++i) {
        auto a = std::chrono::steady_clock::now();
        PupilList list = admin.Pupils();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - a).count());
        listed = list.pupils_size();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    stop = true;
    flood.join();
    int replaced = 0;
    PupilList after = admin.Pupils();
    for (const Pupil& p : after.pupils())
        if (p.pupil() == 2) replaced = p.streams_replaced();
    auto [rss, hwm] = ResidentMB();
    // What the allocator keeps of the freed 4 MB buffers, against what is still in use.
    malloc_trim(0);
    double rssTrimmed = ResidentMB().first;
    std::sort(ms.begin(), ms.end());

    state.SetIterationTime(abuseSeconds);
    state.counters["rss_before_manager_MB"] = rssBefore;
    state.counters["rss_manager_started_MB"] = rssStarted;
    state.counters["rss_after_MB"] = rss;
    state.counters["rss_after_trim_MB"] = rssTrimmed;
    state.counters["hwm_MB"] = hwm;
    state.counters["manager_growth_MB"] = rss - rssBefore;
    state.counters["pupils_median_ms"] = (ms[24] + ms[25]) / 2;
    state.counters["pupils_max_ms"] = ms.back();
    state.counters["pupils_listed"] = listed;
    state.counters["streams_replaced"] = replaced;
    state.counters["unexpected"] = unexpected + unexpectedFlood;
    for (const auto& [what, n] : outcomes)
        state.counters[what] = n;
    for (const auto& [what, mb] : phases)
        state.counters[what] = mb;
    server.Shutdown();
}

// The manager program's CPU time so far, in seconds (utime + stime of /proc/PID/stat).
double ProcessCpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string f;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> f; ++i)
        if (i == 14 || i == 15) ticks += std::stod(f);
    return ticks / double(sysconf(_SC_CLK_TCK));
}

// `parlora-classroom serve --web` as its own process, 40 simulated pupils repainting ten times a
// second in this one, and one headless Chromium watching the class grid for 20 seconds
// (bench/classroom/watch_teacher_page.py).
void TeacherPageWatchedWhileFortyPupilsRepaint(benchmark::State& state) {
    std::string dir = (std::filesystem::temp_directory_path() / ("teacher-page-bench-" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(dir);
    {
        std::ofstream roster(dir + "/roster.txt");
        for (int n = 1; n <= kPupils; ++n)
            roster << n << ",Pupil " << n << ",3\n";
    }
    std::string ports = dir + "/ports.txt", binary = PARLORA_BINARY_DIR "/network/manager/parlora-classroom";
    std::string serve = "PARLORA_CLASSROOM_TOKEN=" + std::string(kToken) +
                        " PARLORA_CLASSROOM_TEACHER_TOKEN=bench-teacher exec " + binary +
                        " serve --listen 127.0.0.1:0 --admin 127.0.0.1:0 --web 127.0.0.1:0 --roster " + dir +
                        "/roster.txt --db " + dir + "/class.sqlite --port-file " + ports + " >" + dir +
                        "/serve.log 2>&1";
    pid_t manager = fork();
    if (manager == 0) {
        execl("/bin/sh", "sh", "-c", serve.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::map<std::string, std::string> address;
    for (int i = 0; i < 200 && address.size() < 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::ifstream in(ports);
        address.clear();
        for (std::string line; std::getline(in, line);)
            if (size_t eq = line.find('='); eq != std::string::npos) address[line.substr(0, eq)] = line.substr(eq + 1);
    }
    auto finish = [&] {
        kill(manager, SIGTERM);
        waitpid(manager, nullptr, 0);
        std::filesystem::remove_all(dir);
    };
    if (address.size() < 3) {
        finish();
        state.SkipWithError("the manager did not start");
        return;
    }
    TAdminClient admin(address["admin"], "bench-teacher");
    auto channel = grpc::CreateChannel(address["pupils"], grpc::InsecureChannelCredentials());
    std::mutex m;
    std::condition_variable cv;
    std::vector<std::unique_ptr<SimulatedPupil>> pupils;
    for (const EnrolCode& code : admin.Enrol({})) {
        pupils.push_back(std::make_unique<SimulatedPupil>());
        pupils.back()->number = code.pupil();
        pupils.back()->Start(channel, code.code(), m, cv);
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    double idle0 = ProcessCpuSeconds(manager);
    std::this_thread::sleep_for(std::chrono::seconds(5));
    double unwatched = (ProcessCpuSeconds(manager) - idle0) / 5;

    std::string watch = "/usr/bin/python3 " PARLORA_SOURCE_DIR "/bench/classroom/watch_teacher_page.py --url " +
                        address["web"] + " --token bench-teacher --seconds 20 --pupils " + std::to_string(kPupils);
    FILE* watcher = popen(watch.c_str(), "r");
    std::map<std::string, double> figures;
    double cpu0 = 0, cpu1 = 0;
    std::chrono::steady_clock::time_point t0, t1;
    std::string why;
    for (auto _ : state) {
        char line[512];
        while (watcher && std::fgets(line, sizeof line, watcher)) {
            std::string l = line;
            if (l.rfind("watching", 0) == 0) {
                cpu0 = ProcessCpuSeconds(manager);
                t0 = std::chrono::steady_clock::now();
            } else if (l.rfind("done", 0) == 0) {
                cpu1 = ProcessCpuSeconds(manager);
                t1 = std::chrono::steady_clock::now();
            } else if (size_t eq = l.find('='); eq != std::string::npos && l.rfind("skip", 0) != 0) {
                figures[l.substr(0, eq)] = std::atof(l.c_str() + eq + 1);
            } else {
                why += l;
            }
        }
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
    int rc = watcher ? pclose(watcher) : -1;
    for (auto& p : pupils)
        p->Stop();
    finish();
    if (rc != 0 || t1 == t0) {
        state.SkipWithError(("the browser did not watch the page: " + why).c_str());
        return;
    }
    state.counters["manager_cpu_cores_watched"] = (cpu1 - cpu0) / std::chrono::duration<double>(t1 - t0).count();
    state.counters["manager_cpu_cores_unwatched"] = unwatched;
    for (const auto& [name, value] : figures)
        state.counters[name] = value;
}

} // namespace

BENCHMARK(TeacherPageWatchedWhileFortyPupilsRepaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(QuizStartReachesFortyRepaintingPupils)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK(ManagerUnderAbuse)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
