#include "platform/PosixShell.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace parlora {
namespace {

// /proc/self/mounts escapes space, tab, newline and backslash as \ooo octal.
std::string unescapeMountField(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size()) {
            const char a = s[i + 1], b = s[i + 2], c = s[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
                out += char((a - '0') * 64 + (b - '0') * 8 + (c - '0'));
                i += 3;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

bool isDiscFileSystem(const std::string& type) {
    return type == "iso9660" || type == "udf";
}

int exitCodeOf(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status); // the shells' convention
    return -1;
}

struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    SpawnSetup() {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attr);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
    }
};

std::vector<char*> argvOf(std::vector<std::string>& words) {
    std::vector<char*> argv;
    for (auto& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    return argv;
}

} // namespace

PosixShell::~PosixShell() {
    reapOpeners();
}

void PosixShell::reapOpeners() {
    for (auto it = openers_.begin(); it != openers_.end();) {
        int status = 0;
        pid_t r = ::waitpid(*it, &status, WNOHANG);
        if (r == *it || (r < 0 && errno == ECHILD))
            it = openers_.erase(it);
        else
            ++it;
    }
}

bool PosixShell::openUrl(const std::string& url) {
    reapOpeners();
    if (url.empty()) return false;
    SpawnSetup s;
    // Its own session, so the browser it starts outlives us and gets none of our terminal signals.
    short flags = POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK;
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&s.attr, &none);
    posix_spawnattr_setflags(&s.attr, flags);
    posix_spawn_file_actions_addopen(&s.actions, 0, "/dev/null", O_RDONLY, 0);
    std::vector<std::string> words{"xdg-open", url};
    auto argv = argvOf(words);
    pid_t pid = -1;
    if (::posix_spawnp(&pid, "xdg-open", &s.actions, &s.attr, argv.data(), environ) != 0) return false;
    openers_.push_back(pid);
    return true;
}

bool PosixShell::hasDesktop() const {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
        if (const char* v = std::getenv(name); v && *v) return true;
    return false;
}

bool PosixShell::openFolder(const std::string& path) {
    // xdg-open hands a folder to the file manager; only absolute paths, never an option's look.
    if (path.empty() || path[0] != '/' || !hasDesktop()) return false;
    return openUrl(path);
}

int PosixShell::startProgram(const std::string& program, const std::vector<std::string>& args,
                             const std::string& folder) {
    reapOpeners();
    if (program.empty()) return -1;
    SpawnSetup s;
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&s.attr, &none);
    posix_spawnattr_setflags(&s.attr, POSIX_SPAWN_SETSIGMASK);
    if (!folder.empty()) {
        // The child must start in `folder`, and a folder that does not exist means "cannot start".
        if (::access(folder.c_str(), X_OK) != 0) return -1;
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 29))
        posix_spawn_file_actions_addchdir_np(&s.actions, folder.c_str());
#endif
    }
    std::vector<std::string> words{program};
    words.insert(words.end(), args.begin(), args.end());
    auto argv = argvOf(words);
    pid_t pid = -1;
    int rc = program.find('/') != std::string::npos
                 ? ::posix_spawn(&pid, program.c_str(), &s.actions, &s.attr, argv.data(), environ)
                 : ::posix_spawnp(&pid, program.c_str(), &s.actions, &s.attr, argv.data(), environ);
    if (rc != 0) return -1;
    programs_[pid] = std::nullopt;
    return pid;
}

std::optional<int> PosixShell::pollProgram(int handle) {
    auto it = programs_.find(handle);
    if (it == programs_.end()) return std::nullopt;
    if (it->second) return it->second;
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(handle, &status, WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r == handle) {
        it->second = exitCodeOf(status);
    } else if (r < 0) {
        it->second = -1; // reaped elsewhere: the exit code is lost
    }
    return it->second;
}

std::string PosixShell::userFullName() const {
    std::vector<char> buf(16384);
    passwd pw{};
    passwd* result = nullptr;
    if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &result) != 0 || !result) return {};
    if (pw.pw_gecos && *pw.pw_gecos) {
        std::string gecos = pw.pw_gecos;
        std::string first = gecos.substr(0, gecos.find(','));
        if (!first.empty()) return first;
    }
    return pw.pw_name ? std::string(pw.pw_name) : std::string();
}

std::string PosixShell::LocaleFrom(const char* lcAll, const char* lcMessages, const char* lang) {
    for (const char* v : {lcAll, lcMessages, lang})
        if (v && *v) return v;
    return {};
}

std::string PosixShell::localeName() const {
    return LocaleFrom(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

std::vector<std::string> PosixShell::DiscMountsFrom(const std::string& mountsText) {
    std::vector<std::string> out;
    std::istringstream in(mountsText);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint, type;
        if (!(fields >> device >> mountPoint >> type)) continue;
        if (!isDiscFileSystem(type)) continue;
        mountPoint = unescapeMountField(mountPoint);
        bool seen = false;
        for (const auto& m : out)
            seen = seen || m == mountPoint;
        if (!seen) out.push_back(mountPoint);
    }
    return out;
}

std::vector<std::string> PosixShell::discMounts() const {
    std::ifstream f(mountTable_);
    if (!f) return {};
    std::stringstream text;
    text << f.rdbuf();
    return DiscMountsFrom(text.str());
}

} // namespace parlora
