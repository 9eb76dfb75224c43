#pragma once
// One running copy per user: an advisory lock on a file, released by the system when the
// process ends (also after a crash), unlike a named semaphore.
#include <string>

namespace parlora {

class SingleInstance {
  public:
    SingleInstance() = default;
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this process now holds the lock (or already did); false when another process
    // holds it or the lock file cannot be opened.
    bool acquire(const std::string& lockPath);
    bool held() const { return fd_ >= 0; }
    void release();

  private:
    int fd_ = -1;
};

} // namespace parlora
