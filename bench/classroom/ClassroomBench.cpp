// One classroom manager and 40 simulated pupils, each repainting ten times a second: how long a
// quiz start takes to reach all of them, and how much CPU the whole room uses (the manager and
// the 40 pupils' links together: an upper bound for the manager's own).
#include "network/classroom.grpc.pb.h"
#include "network/manager/AdminClient.h"
#include "network/manager/ClassroomServer.h"
#include "network/manager/SqliteProfileStore.h"

#include <benchmark/benchmark.h>
#include <grpcpp/grpcpp.h>
#include <zlib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <sys/resource.h>
#include <thread>
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

struct SimulatedPupil {
    int number;
    std::unique_ptr<CallTutrix::Stub> stub;
    grpc::ClientContext streamContext;
    std::thread reader, painter;
    std::atomic<bool> stop{false};
    std::atomic<int> quizStarts{0};

    void Prepare(grpc::ClientContext& c) {
        c.AddMetadata("parlora-token", kToken);
        c.AddMetadata("parlora-pupil", std::to_string(number));
    }
    void Start(std::shared_ptr<grpc::Channel> channel, std::mutex& m, std::condition_variable& cv) {
        stub = CallTutrix::NewStub(channel);
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
                stub->SendUpdateRect(&c, rect, &reply);
                next += std::chrono::milliseconds(100);
                std::this_thread::sleep_until(next);
            }
        });
    }
    void Stop() {
        stop = true;
        streamContext.TryCancel();
        if (reader.joinable()) reader.join();
        if (painter.joinable()) painter.join();
    }
};

void QuizStartReachesFortyRepaintingPupils(benchmark::State& state) {
    std::string db =
        (std::filesystem::temp_directory_path() / ("classroom-bench-" + std::to_string(getpid()))).string();
    TClassroomOptions o;
    o.listen = "127.0.0.1:0";
    o.admin = "127.0.0.1:0";
    o.token = kToken;
    o.quiet = true;
    TClassroomServer server(o, std::make_unique<TSqliteProfileStore>(db));
    server.Start();
    auto channel = grpc::CreateChannel(server.pupilAddress(), grpc::InsecureChannelCredentials());
    std::mutex m;
    std::condition_variable cv;
    std::vector<std::unique_ptr<SimulatedPupil>> pupils;
    for (int n = 1; n <= kPupils; ++n) {
        pupils.push_back(std::make_unique<SimulatedPupil>());
        pupils.back()->number = n;
        pupils.back()->Start(channel, m, cv);
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
    for (auto& p : pupils)
        p->Stop();
    server.Shutdown();
    std::filesystem::remove(db);
    std::filesystem::remove(db + "-wal");
    std::filesystem::remove(db + "-shm");
}

} // namespace

BENCHMARK(QuizStartReachesFortyRepaintingPupils)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
