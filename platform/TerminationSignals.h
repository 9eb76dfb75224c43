#pragma once
// SIGTERM, SIGINT and SIGHUP become a task on the UI thread, so the course closes the orderly way
// (records written, temporary folder removed) and nothing but a write(2) runs in the handler.
#include "platform/Dispatcher.h"

#include <functional>
#include <thread>

namespace parlora {

class TerminationSignals {
  public:
    // Installs the handlers; `onSignal` runs on the dispatcher's thread with the signal's number.
    // A second signal of the same kind takes its default action: an orderly close that hangs can
    // still be ended from the terminal.
    TerminationSignals(Dispatcher& dispatcher, std::function<void(int)> onSignal);
    // Puts the previous handlers back.
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    bool installed() const { return installed_; }

  private:
    void watch();

    Dispatcher& dispatcher_;
    std::function<void(int)> onSignal_;
    int pipe_[2] = {-1, -1};
    bool installed_ = false;
    std::thread watcher_;
    Lifetime lifetime_;
};

} // namespace parlora
