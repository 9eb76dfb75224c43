#pragma once
// The teacher's classroom manager: serves the pupils' courses (their records, their reports, the
// stream of commands to them) and, on the loopback address only, the teacher's own requests.
#include "core/Surface.h"
#include "network/manager/ProfileStore.h"

#include <map>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace grpc {
class Channel;
class Server;
} // namespace grpc

namespace parlora::classroom {

struct TRosterEntry {
    std::string student;
    int target = 0;
};

struct TClassroomOptions {
    std::string listen = "0.0.0.0:50761"; // the pupils' address
    std::string admin;                    // loopback only; empty: 127.0.0.1 and the next port
    std::string token;                    // the class token every pupil presents
    std::string teacherToken;             // the admin token; empty: the class token
    std::string certFile, keyFile;        // TLS for the pupils' address when both are set
    std::string rootPath = "%s";          // handed to pupils: "%s" = their own program folder
    int defaultTarget = 0;                // 0: the pupil's course chooses
    std::map<int, TRosterEntry> roster;   // pupil number -> student, target; nobody else is served
    bool quiet = false;                   // no lines on stderr about refused pupils
    // Command streams beyond one per pupil of the roster: room for a computer taking over its
    // pupil's stream while the old one ends.
    int streamMargin = 8;
    size_t logBytes = 256 * 1024; // each pupil's call log
    std::chrono::seconds codeLifetime{7 * 24 * 3600};
    std::string rosterFile; // rewritten when the teacher adds or removes a pupil; empty: kept in memory only
};

// One pupil as the teacher sees it.
struct TPupilStatus {
    int pupil = 0;
    std::string student;
    int target = 0;
    bool connected = false, lost = false, enrolled = false;
    int activity = 0, quizScore = 0, lastScore = -1, award = 0, streamsReplaced = 0;
    uint64_t screenVersion = 0; // 0: no picture yet; grows with every repaint received
};

// The class's scores as `export-csv` writes them.
std::string ScoresCsv(const std::vector<TPupilStatus>& pupils);

// A one-time code that enrols a computer as this pupil.
struct TEnrolCode {
    int pupil = 0;
    std::string student;
    std::string code;
    long long expires = 0; // seconds since 1970
};

constexpr size_t kMaxRoster = 1000;
// The teacher's page's thumbnails: the pupil's screen reduced this many times each way.
constexpr int kThumbnailDivisor = 4;
// The largest message a pupil may send: a whole screen that did not compress, and a little more.
constexpr int kMaxPupilMessage = 4 * 1024 * 1024;

// "pupil,student[,target]" lines; '#' starts a comment. At most kMaxRoster pupils, numbers 1 to
// 999999, names without control characters.
std::map<int, TRosterEntry> ReadRoster(const std::string& path);

// Keeps the manager's process from holding on to the memory of large refused messages; called once
// at start, before any thread.
void LimitHeldMemory();

class TClassroomServer {
  public:
    TClassroomServer(TClassroomOptions options, std::unique_ptr<IProfileStore> store);
    ~TClassroomServer();
    // Starts both services; throws std::runtime_error when an address cannot be bound.
    void Start();
    void Shutdown();
    void Wait();
    std::string pupilAddress() const { return pupilAddress_; }
    std::string adminAddress() const { return adminAddress_; }
    IProfileStore& store() { return *store_; }
    // Fresh enrolment codes for these roster pupils (none: all of them); throws
    // std::invalid_argument for a pupil who is not on the roster.
    std::vector<TEnrolCode> Enrol(const std::vector<int>& pupils);
    // The teacher's view from inside the process (the web page's way in; the same as the admin calls).
    std::vector<TPupilStatus> Status();
    int Send(int pupil, int kind, int first = 0, int second = 0);
    std::vector<std::string> Log(int pupil);
    // The pupil's screen reduced `divisor` times in each direction (averaged), and its version;
    // an empty surface when there is no picture yet.
    Surface Screen(int pupil, int divisor, uint64_t& version);
    // Turns screen monitoring on for every pupil whose current command stream has not been asked
    // yet: a course that connects later is watched too.
    void WatchScreens();
    // Adds or renames a roster pupil; throws std::invalid_argument for a bad number or name.
    void AddPupil(int pupil, const TRosterEntry& entry);
    // Takes a pupil off the roster: its key and code stop working and its stream ends.
    void RemovePupil(int pupil);

    // A channel to the pupils' service inside this process (the fuzz target's way in).
    std::shared_ptr<grpc::Channel> InProcessPupilChannel();

    struct State; // shared with the services

  private:
    TClassroomOptions options_;
    std::unique_ptr<IProfileStore> store_;
    std::shared_ptr<State> state_;
    std::vector<std::shared_ptr<void>> services_;
    std::unique_ptr<grpc::Server> pupils_, admin_;
    std::string pupilAddress_, adminAddress_;
};

} // namespace parlora::classroom
