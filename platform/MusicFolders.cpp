#include "platform/MusicFolders.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace parlora {
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// mountinfo escapes space, tab, newline and backslash as \ooo.
std::string Unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size()) {
            std::string oct = s.substr(i + 1, 3);
            if (oct.size() == 3 && oct.find_first_not_of("01234567") == std::string::npos) {
                out += char(std::stoi(oct, nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

bool RemovableFlag(const std::string& sysBlock, std::string dev) {
    if (dev.rfind("/dev/", 0) != 0) return false;
    dev = dev.substr(5);
    // A partition's flag lives with its whole drive: sdb1 -> sdb, mmcblk0p1 -> mmcblk0.
    for (int attempt = 0; attempt < 3 && !dev.empty(); ++attempt) {
        std::string flag = ReadAll(sysBlock + "/" + dev + "/removable");
        if (!flag.empty()) return flag[0] == '1';
        if (attempt == 0) {
            while (!dev.empty() && std::isdigit(static_cast<unsigned char>(dev.back())))
                dev.pop_back();
        } else if (!dev.empty() && dev.back() == 'p') {
            dev.pop_back();
        } else {
            break;
        }
    }
    return false;
}

std::string MusicFolderIn(const std::string& mountPoint) {
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(mountPoint, ec)) {
        std::string name = e.path().filename().string();
        if (name.size() != 5) continue;
        std::string lower;
        for (char c : name)
            lower += char(std::tolower(static_cast<unsigned char>(c)));
        std::error_code ec2;
        if (lower == "music" && e.is_directory(ec2)) return e.path().string();
    }
    return {};
}

} // namespace

std::string MusicDirFromUserDirs(const std::string& text, const std::string& home) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string key = "XDG_MUSIC_DIR=";
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, key.size(), key) != 0) continue;
        std::string value = line.substr(start + key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
        // A folder that is the home folder itself means "no music folder" to the desktop.
        while (value.size() > 1 && value.back() == '/')
            value.pop_back();
        if (value.empty() || value == home || value[0] != '/') return {};
        return value;
    }
    return {};
}

std::string UserMusicDir() {
    std::string home = Env("HOME");
    std::string config = Env("XDG_CONFIG_HOME");
    if (config.empty() && !home.empty()) config = home + "/.config";
    if (!config.empty()) {
        std::string dir = MusicDirFromUserDirs(ReadAll(config + "/user-dirs.dirs"), home);
        if (!dir.empty()) return dir;
    }
    return home.empty() ? std::string() : home + "/Music";
}

std::vector<PortablePlayer> PortablePlayersFrom(const std::string& mountInfo, const std::string& sysBlock) {
    std::vector<PortablePlayer> players;
    std::istringstream in(mountInfo);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::vector<std::string> f;
        std::string w;
        while (fields >> w)
            f.push_back(w);
        size_t dash = 0;
        for (size_t i = 6; i < f.size(); ++i)
            if (f[i] == "-") {
                dash = i;
                break;
            }
        if (f.size() < 5 || dash == 0 || dash + 2 >= f.size()) continue;
        std::string mountPoint = Unescape(f[4]);
        std::string source = Unescape(f[dash + 2]);
        bool desktopMount = mountPoint.rfind("/media/", 0) == 0 || mountPoint.rfind("/run/media/", 0) == 0;
        if (!desktopMount && !RemovableFlag(sysBlock, source)) continue;
        std::string music = MusicFolderIn(mountPoint);
        if (music.empty()) continue;
        players.push_back({mountPoint, music, fs::path(mountPoint).filename().string()});
    }
    return players;
}

std::vector<PortablePlayer> PortablePlayers() {
    return PortablePlayersFrom(ReadAll("/proc/self/mountinfo"), "/sys/block");
}

} // namespace parlora
