#include "platform/FileWatcher.h"

#include <filesystem>
#include <poll.h>
#include <sys/inotify.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <strings.h>

namespace parlora {

FileWatcher::FileWatcher(Dispatcher& dispatcher, const std::string& file, std::function<void()> onChange)
    : dispatcher_(dispatcher), onChange_(std::move(onChange)) {
    std::filesystem::path path(file);
    name_ = path.filename().string();
    std::string folder = path.parent_path().empty() ? "." : path.parent_path().string();
    fd_ = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (fd_ < 0) return;
    if (inotify_add_watch(fd_, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE | IN_MOVED_FROM) <
            0 ||
        pipe2(stopPipe_, O_CLOEXEC) != 0) {
        close(fd_);
        fd_ = -1;
        return;
    }
    thread_ = std::thread([this] { Loop(); });
}

FileWatcher::~FileWatcher() {
    if (thread_.joinable()) {
        char c = 0;
        (void)!write(stopPipe_[1], &c, 1);
        thread_.join();
    }
    for (int fd : {fd_, stopPipe_[0], stopPipe_[1]})
        if (fd >= 0) close(fd);
}

void FileWatcher::Loop() {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        pollfd fds[2] = {{fd_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents) return;
        ssize_t n = read(fd_, buffer, sizeof buffer);
        bool ours = false;
        for (ssize_t at = 0; n > 0 && at < n;) {
            auto* ev = reinterpret_cast<inotify_event*>(buffer + at);
            // Names on disk may differ in case from the name the course asks for.
            if (ev->len > 0 && strcasecmp(ev->name, name_.c_str()) == 0) ours = true;
            at += ssize_t(sizeof(inotify_event) + ev->len);
        }
        if (ours) dispatcher_.postFromAnyThread(lifetime_.guard(), [this] { onChange_(); });
    }
}

} // namespace parlora
