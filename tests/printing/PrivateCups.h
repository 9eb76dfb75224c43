#pragma once
// A CUPS server of the test's own: its configuration, spool, cache and logs in a temporary folder,
// listening only on a socket there, with queues that write each job's PDF to a file unchanged.
// CUPS_SERVER points this process at it while it runs.
#include <string>
#include <sys/types.h>

namespace parlora::test {

class PrivateCups {
  public:
    PrivateCups();
    ~PrivateCups();
    PrivateCups(const PrivateCups&) = delete;
    PrivateCups& operator=(const PrivateCups&) = delete;

    bool running() const { return pid_ > 0; }
    // Why the server could not start, for the test's skip message.
    const std::string& whyNot() const { return whyNot_; }
    const std::string& socket() const { return socket_; }

    // A queue whose jobs land in Output(name); true on success.
    bool AddQueue(const std::string& name, bool makeDefault = false);
    std::string Output(const std::string& name) const;
    // cupsreject / cupsdisable through lpadmin's companions.
    bool Run(const std::string& command);
    // Waits until the queue has no unfinished job and its file exists; false after timeoutMs.
    bool WaitForOutput(const std::string& name, int timeoutMs = 15000);
    void Stop();
    // The server's page log: a line per finished job, with the job's title.
    std::string PageLog() const;

  private:
    std::string root_, socket_, whyNot_;
    std::string oldServer_;
    bool hadServer_ = false;
    pid_t pid_ = -1;
};

// A path where no server listens: the service is "not running".
std::string DeadCupsSocket();

} // namespace parlora::test
