#pragma once
// The teacher's page: the classroom manager in a browser, served from the manager's own process.
// Pages are made here on the server; a little script of our own refreshes the live parts.
#include <chrono>
#include <memory>
#include <string>

namespace parlora::classroom {

class TClassroomServer;

struct TTeacherWebOptions {
    std::string address = "127.0.0.1:8080"; // HOST:PORT; port 0 picks a free one
    std::string certFile, keyFile;          // HTTPS with these; without them only loopback is served
    std::string teacherToken;               // what the sign-in page asks for
    std::chrono::seconds idle = std::chrono::minutes(30), lifetime = std::chrono::hours(10);
    int threads = 8; // requests served at once (a browser opens up to six connections)
};

class TTeacherWeb {
  public:
    TTeacherWeb(TClassroomServer& classroom, TTeacherWebOptions options);
    ~TTeacherWeb();
    // Listens (throws std::runtime_error when it cannot, std::invalid_argument for an address
    // off this computer without TLS) and serves on a thread of its own.
    void Start();
    void Stop();
    // "http://127.0.0.1:PORT" or "https://...".
    std::string url() const;

    struct Impl;

  private:
    std::unique_ptr<Impl> impl_;
};

// Whether HOST (of HOST:PORT) is this computer's loopback address.
bool IsLoopbackHost(const std::string& host);

} // namespace parlora::classroom
