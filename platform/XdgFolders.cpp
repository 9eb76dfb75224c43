#include "platform/XdgFolders.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace parlora {
namespace {

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

// The base-directory rules ignore relative paths in the variables.
std::string absoluteEnv(const char* name) {
    std::string v = env(name);
    return (!v.empty() && v[0] == '/') ? v : std::string();
}

std::string homeDir() {
    return absoluteEnv("HOME");
}

std::string join(const std::string& base, const char* rest) {
    if (base.empty()) return {};
    if (base.back() == '/') return base + rest;
    return base + "/" + rest;
}

} // namespace

std::string XdgConfigHome() {
    std::string v = absoluteEnv("XDG_CONFIG_HOME");
    return v.empty() ? join(homeDir(), ".config") : v;
}

std::string XdgDataHome() {
    std::string v = absoluteEnv("XDG_DATA_HOME");
    return v.empty() ? join(homeDir(), ".local/share") : v;
}

std::string RuntimeDir() {
    std::string v = absoluteEnv("XDG_RUNTIME_DIR");
    // Only a real folder of ours that nobody else can write into: in a shared one, anyone could
    // plant links under the names we use there.
    struct stat st {};
    if (!v.empty() && ::lstat(v.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
        (st.st_mode & 022) == 0)
        return v;
    // /tmp is shared by every user: a fixed name there would belong to whoever came first.
    std::string own = "/tmp/ParloraPlus-" + std::to_string(::getuid());
    return MakePrivateFolder(own) ? own : std::string();
}

std::string ProgramTempDir() {
    std::string runtime = RuntimeDir();
    if (runtime.empty()) return {};
    std::string dir = join(runtime, "ParloraPlus");
    return MakePrivateFolder(dir) ? dir : std::string();
}

bool MakePrivateFolder(const std::string& path) {
    if (path.empty()) return false;
    if (::mkdir(path.c_str(), 0700) == 0) return true;
    if (errno != EEXIST) return false;
    // lstat: a link planted under our name must not lead us into someone else's folder.
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return false;
    if ((st.st_mode & 077) != 0 && ::chmod(path.c_str(), 0700) != 0) return false;
    return true;
}

std::string UserDocumentsFolder() {
    std::string home = homeDir();
    std::string chosen;
    // The file holds shell assignments such as XDG_DOCUMENTS_DIR="$HOME/Documents"; the last wins.
    if (std::FILE* f = std::fopen(join(XdgConfigHome(), "user-dirs.dirs").c_str(), "r")) {
        char buf[4096];
        while (std::fgets(buf, sizeof buf, f)) {
            std::string line(buf);
            const std::string key = "XDG_DOCUMENTS_DIR=\"";
            size_t at = line.find(key);
            if (at != 0) continue;
            size_t end = line.find('"', key.size());
            if (end == std::string::npos) continue;
            std::string v = line.substr(key.size(), end - key.size());
            if (v.rfind("$HOME", 0) == 0) {
                if (home.empty()) continue;
                v = home + v.substr(5);
            } else if (v.empty() || v[0] != '/') {
                continue;
            }
            chosen = v;
        }
        std::fclose(f);
    }
    std::error_code ec;
    // The tool itself answers the home folder when the documents folder is not set up.
    if (!chosen.empty() && std::filesystem::is_directory(chosen, ec)) return chosen;
    // Without a user-dirs file the usual folder still beats a file dropped among the home's.
    std::string usual = join(home, "Documents");
    if (!usual.empty() && std::filesystem::is_directory(usual, ec)) return usual;
    return home;
}

std::string DesktopFolderName(const std::string& folder, const std::string& home) {
    std::filesystem::path f = std::filesystem::path(folder).lexically_normal();
    std::filesystem::path h = std::filesystem::path(home).lexically_normal();
    std::string fs = f.string(), hs = h.string();
    while (fs.size() > 1 && fs.back() == '/')
        fs.pop_back();
    while (hs.size() > 1 && hs.back() == '/')
        hs.pop_back();
    if (hs.size() <= 1 || fs.rfind(hs, 0) != 0) return fs;
    if (fs.size() == hs.size()) return {};
    if (fs[hs.size()] != '/') return fs; // "/home/kimberley" is not inside "/home/kim"
    std::string name;
    for (const auto& part : std::filesystem::path(fs.substr(hs.size() + 1))) {
        if (part.empty()) continue;
        if (!name.empty()) name += " / ";
        name += part.string();
    }
    return name;
}

std::string ExecutableDir() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) return {};
    return exe.parent_path().string();
}

void DeleteFolderTree(const std::string& path) {
    if (path.empty() || path == "/") return; // never the root, whatever a caller computed
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
}

} // namespace parlora
