#pragma once
// The teacher's classroom manager: serves the pupils' courses (their records, their reports, the
// stream of commands to them) and, on the loopback address only, the teacher's own requests.
#include "network/manager/ProfileStore.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace grpc {
class Server;
}

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
    std::map<int, TRosterEntry> roster;   // pupil number -> student, target
    bool quiet = false;                   // no lines on stderr about refused pupils
};

// "pupil,student[,target]" lines; '#' starts a comment.
std::map<int, TRosterEntry> ReadRoster(const std::string& path);

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
