#include "platform/TerminationSignals.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace parlora {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
struct sigaction gPrevious[3];
std::atomic<int> gWriteFd{-1};

// Async-signal-safe: one byte into the pipe, errno kept for the code we interrupted.
extern "C" void OnTerminationSignal(int sig) {
    int saved = errno;
    int fd = gWriteFd.load();
    if (fd >= 0) {
        char c = char(sig);
        ssize_t n = ::write(fd, &c, 1);
        (void)n;
    }
    errno = saved;
}

} // namespace

TerminationSignals::TerminationSignals(Dispatcher& dispatcher, std::function<void(int)> onSignal)
    : dispatcher_(dispatcher), onSignal_(std::move(onSignal)) {
    // One owner at a time: the handlers and the pipe are process-wide.
    if (gWriteFd.load() >= 0) return;
    if (::pipe2(pipe_, O_CLOEXEC) != 0) return;
    // A full pipe must never block the handler; a signal already queued is enough.
    ::fcntl(pipe_[1], F_SETFL, O_NONBLOCK);
    gWriteFd = pipe_[1];
    watcher_ = std::thread([this] { watch(); });
    for (size_t i = 0; i < 3; ++i) {
        struct sigaction sa {};
        sa.sa_handler = &OnTerminationSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART | SA_RESETHAND;
        ::sigaction(kSignals[i], &sa, &gPrevious[i]);
    }
    installed_ = true;
}

TerminationSignals::~TerminationSignals() {
    if (installed_)
        for (size_t i = 0; i < 3; ++i)
            ::sigaction(kSignals[i], &gPrevious[i], nullptr);
    if (pipe_[1] >= 0) {
        gWriteFd = -1;
        // A zero byte asks the watcher to end.
        char stop = 0;
        while (::write(pipe_[1], &stop, 1) < 0 && errno == EINTR) {
        }
    }
    if (watcher_.joinable()) watcher_.join();
    for (int& fd : pipe_)
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
}

void TerminationSignals::watch() {
    for (;;) {
        char c = 0;
        ssize_t n = ::read(pipe_[0], &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || c == 0) return;
        int sig = static_cast<unsigned char>(c);
        dispatcher_.postFromAnyThread(lifetime_.guard(), [this, sig] {
            if (onSignal_) onSignal_(sig);
        });
    }
}

} // namespace parlora
