#pragma once
// Tells the UI thread when a file is written, created, replaced or removed: another program that
// adds content rewrites a flags file, and the screens read it again.
#include "platform/Dispatcher.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace parlora {

class FileWatcher {
  public:
    // Watches `file`'s folder for changes to `file`; `onChange` runs on the UI thread through
    // `dispatcher`. A folder that cannot be watched leaves the watcher idle.
    FileWatcher(Dispatcher& dispatcher, const std::string& file, std::function<void()> onChange);
    ~FileWatcher();
    FileWatcher(const FileWatcher&) = delete;
    FileWatcher& operator=(const FileWatcher&) = delete;
    bool active() const { return fd_ >= 0; }

  private:
    void Loop();
    Dispatcher& dispatcher_;
    std::function<void()> onChange_;
    std::string name_;
    int fd_ = -1, stopPipe_[2] = {-1, -1};
    std::thread thread_;
    Lifetime lifetime_;
};

} // namespace parlora
