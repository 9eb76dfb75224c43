#include "tests/support/TestFiles.h"

#include "core/Surface.h"

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
    // Tiny pictures for what the first screens load, so that they open without warnings.
    const char* pictures[] = {
        "data/Interface/start/StartBG.png",
        "data/Interface/start/DiskMask.png",
        "data/Interface/start/Box.png",
        "data/Interface/start/LangFrame.png",
        "data/Interface/start/ArrowBtn.png",
        "data/Interface/start/QuitBtn.png",
        "data/Interface/start/HelpBtn.png",
        "data/Interface/start/ChangeLangBtn.png",
        "data/Interface/start/StdRecBtn.png",
        "data/Interface/start/LicenceBtn.png",
        "data/Interface/start/InformationBtn.png",
        "data/Interface/start/ReadMeBtn.png",
        "data/Interface/start/BoxExit.png",
        "data/Interface/MainMenu/MenuBg.png",
        "data/Interface/MainMenu/memflip.PNG",
        "data/Interface/MainMenu/Lights.png",
        "data/Interface/MainMenu/AwardStrip.png",
        "data/Interface/MainMenu/ChangeLangStrip.png",
        "data/Interface/MainMenu/ChooseActorStrip.png",
        "data/Interface/MainMenu/wwwStrip.png",
        "data/Interface/MainMenu/helpbtn.png",
        "data/Interface/MainMenu/exitbtn.png",
        "data/Interface/MainMenu/Slider.png",
        "data/sources/1source/general/labels.png",
        "data/sources/1source/general/menu1.png",
        "data/sources/1source/general/learn3.png",
        "data/sources/1source/Help/Help5.png",
        "data/targets/target3/TEXT/general/cdfront.png",
    };
    Surface tiny(4, 4, 0xFF808080u);
    for (const char* picture : pictures) {
        fs::create_directories(fs::path(home + "/" + picture).parent_path());
        tiny.savePng(home + "/" + picture);
    }
    for (int n = 1; n <= 9; ++n)
        tiny.savePng(home + "/data/Interface/MainMenu/flip" + std::to_string(n) + ".PNG");
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

std::string LinkDemoCourse(const TempDir& tmp) {
    namespace fs = std::filesystem;
    std::string demo = PARLORA_BINARY_DIR "/demo/parlora";
    std::string home = tmp / "course";
    MakeDirs(home + "/data");
    for (const auto& entry : fs::directory_iterator(demo + "/data"))
        fs::create_symlink(entry.path(), home + "/data/" + entry.path().filename().string());
    fs::create_directory_symlink(demo + "/Update", home + "/Update");
    for (const char* doc : {"Licence.rtf", "PCReadMe.rtf"})
        fs::create_symlink(demo + "/" + doc, home + "/" + doc);
    return home;
}

std::map<std::string, std::string> PrivateEnvironment(const TempDir& tmp, const std::string& home) {
    MakeDirs(tmp / "xdg/run");
    std::filesystem::permissions(tmp / "xdg/run", std::filesystem::perms::owner_all);
    return {{"PARLORA_HOME", home},
            {"HOME", tmp.path()},
            {"XDG_DATA_HOME", tmp / "xdg/data"},
            {"XDG_CONFIG_HOME", tmp / "xdg/config"},
            {"XDG_RUNTIME_DIR", tmp / "xdg/run"}};
}

} // namespace parlora::test
