#include "tests/support/TestFiles.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace parlora::test {

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "parlora-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

void MakeDirs(const std::string& path) {
    fs::create_directories(path);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void MakeMinimalCourse(const std::string& home, bool withActors) {
    for (const char* dir : {"data/Interface/FirstWords", "data/targets/target3", "data/sources/1source"})
        fs::create_directories(home + "/" + dir);
    if (!withActors) return;
    for (const char* actor : {"VideoM/Male2", "VideoF/Female2"})
        for (const char* file : {"speaker.txt", "thumb.png", "idle.jpg", "speak.jpg", "yes.jpg", "no.jpg"})
            WriteFile(home + "/Update/" + actor + "/" + file, "");
}

void UsePrivateFolders(const std::string& root) {
    fs::create_directories(root + "/run");
    setenv("XDG_RUNTIME_DIR", (root + "/run").c_str(), 1);
    setenv("XDG_DATA_HOME", (root + "/share").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
}

std::string ParloraBinary() {
    return std::string(PARLORA_BINARY_DIR) + "/shell/parlora";
}

static std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

RunResult RunParlora(const std::string& args, const std::map<std::string, std::string>& env, int timeoutSec,
                     const std::string& workDir) {
    std::string cmd = workDir.empty() ? "env" : "cd " + Quote(workDir) + " && env";
    for (const auto& [k, v] : env)
        cmd += " " + k + "=" + Quote(v);
    cmd += " timeout " + std::to_string(timeoutSec) + " " + Quote(ParloraBinary()) + " " + args + " 2>&1";
    RunResult r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0)
        r.output.append(buf.data(), n);
    int status = pclose(p);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

} // namespace parlora::test
