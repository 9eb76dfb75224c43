#include "platform/XdgFolders.h"

#include <cstdlib>
#include <filesystem>
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
    std::error_code ec;
    if (!v.empty() && std::filesystem::is_directory(v, ec)) return v;
    return "/tmp";
}

std::string ProgramTempDir() {
    std::string v = absoluteEnv("XDG_RUNTIME_DIR");
    std::error_code ec;
    if (!v.empty() && std::filesystem::is_directory(v, ec)) return join(v, "ParloraPlus");
    // /tmp is shared by every user, so the uid keeps our folders apart.
    return "/tmp/ParloraPlus-" + std::to_string(::getuid());
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
