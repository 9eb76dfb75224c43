#include "platform/SingleInstance.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace parlora {

SingleInstance::~SingleInstance() {
    release();
}

bool SingleInstance::acquire(const std::string& lockPath) {
    if (fd_ >= 0) return true;
    int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd; // kept open: closing the descriptor would drop the lock
    return true;
}

void SingleInstance::release() {
    if (fd_ < 0) return;
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

} // namespace parlora
