#include "network/PupilKey.h"

#include "core/ProfileFile.h"
#include "platform/XdgFolders.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace parlora {

bool PlausibleKey(const std::string& key) {
    if (key.empty() || key.size() > 512) return false;
    for (char c : key)
        if (c <= ' ' || c > '~') return false;
    return true;
}

int KeyPupil(const std::string& key) {
    int pupil = 0;
    size_t i = 0;
    for (; i < key.size() && i < 9 && key[i] >= '0' && key[i] <= '9'; ++i)
        pupil = pupil * 10 + (key[i] - '0');
    return i > 0 && i < key.size() && key[i] == '.' ? pupil : 0;
}

std::optional<TStoredKey> ReadPupilKey(const std::string& path, std::string& why) {
    why.clear();
    // O_NOFOLLOW: a link put in our place must not hand us someone else's key.
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) why = errno == ELOOP ? "it is a link" : std::strerror(errno);
        return std::nullopt;
    }
    struct stat st {};
    std::string text;
    if (::fstat(fd, &st) != 0) {
        why = std::strerror(errno);
    } else if (!S_ISREG(st.st_mode)) {
        why = "it is not a file";
    } else if (st.st_uid != ::getuid()) {
        why = "it belongs to another user";
    } else if (size_t(st.st_size) > kPupilKeyFileMax) {
        why = "it is larger than " + std::to_string(kPupilKeyFileMax) + " bytes";
    } else {
        char buf[kPupilKeyFileMax + 1];
        ssize_t n;
        while ((n = ::read(fd, buf, sizeof buf)) > 0 && text.size() <= kPupilKeyFileMax)
            text.append(buf, size_t(n));
        if (n < 0)
            why = std::strerror(errno);
        else if (text.size() > kPupilKeyFileMax)
            why = "it is larger than " + std::to_string(kPupilKeyFileMax) + " bytes";
    }
    ::close(fd);
    if (!why.empty()) return std::nullopt;

    TStoredKey stored;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("key=", 0) == 0)
            stored.key = line.substr(4);
        else if (line.rfind("code=", 0) == 0)
            stored.code = line.substr(5);
    }
    if (!PlausibleKey(stored.key)) {
        why = "it holds no key";
        return std::nullopt;
    }
    return stored;
}

bool WritePupilKey(const std::string& path, const TStoredKey& key, std::string& why) {
    if (!PlausibleKey(key.key) || key.code.find_first_of("\r\n") != std::string::npos) {
        why = "the key or the code cannot be written as one line";
        return false;
    }
    // The file is written through a temporary one that keeps the old file's mode, and a link is
    // followed: a link is removed first, and a new file starts out as this user's alone.
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (S_ISLNK(st.st_mode)) {
            if (::unlink(path.c_str()) != 0) {
                why = std::strerror(errno);
                return false;
            }
        } else if (!S_ISREG(st.st_mode)) {
            why = "it is not a file";
            return false;
        } else if ((st.st_mode & 07777) != 0600 && ::chmod(path.c_str(), 0600) != 0) {
            why = std::strerror(errno);
            return false;
        }
    }
    if (::lstat(path.c_str(), &st) != 0) {
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            why = std::strerror(errno);
            return false;
        }
        ::fchmod(fd, 0600);
        ::close(fd);
    }
    if (!WriteFileAtomically(path, "key=" + key.key + "\ncode=" + key.code + "\n")) {
        why = std::strerror(errno);
        return false;
    }
    return true;
}

bool MakeClassroomFolder(const std::string& folder) {
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    std::error_code ec;
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    return MakePrivateFolder(path);
}

} // namespace parlora
