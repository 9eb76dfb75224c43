#include "core/ProfileFile.h"

#include "core/Errors.h"
#include "core/StringUtil.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace parlora {

namespace {

// A header is any line whose trimmed text starts with "[" and has a "]" later on.
std::optional<std::string> HeaderName(std::string_view text) {
    std::string t = Trim(text);
    if (t.empty() || t[0] != '[') return std::nullopt;
    size_t close = t.find(']');
    if (close == std::string::npos) return std::nullopt;
    return Trim(std::string_view(t).substr(1, close - 1));
}

bool IsComment(std::string_view text) {
    std::string t = Trim(text);
    return !t.empty() && t[0] == ';';
}

// The key of a "key=value" line; nullopt for comments, headers and lines without "=".
std::optional<std::string> KeyName(std::string_view text) {
    if (IsComment(text)) return std::nullopt;
    size_t eq = text.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    std::string key = Trim(text.substr(0, eq));
    if (key.empty()) return std::nullopt;
    return key;
}

std::string ValueOf(std::string_view text) {
    std::string value = Trim(text.substr(text.find('=') + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return value;
}

// A line break inside a name or value would split the line and plant keys or sections of its own.
std::string OneLine(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

bool IsBlankLine(std::string_view text) {
    return Trim(text).empty();
}

} // namespace

ProfileText::ProfileText(std::string bytes) {
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t nl = bytes.find('\n', pos);
        Line line;
        if (nl == std::string::npos) {
            line.text = bytes.substr(pos);
            pos = bytes.size();
        } else {
            size_t end = nl;
            if (end > pos && bytes[end - 1] == '\r') {
                --end;
                line.eol = "\r\n";
            } else {
                line.eol = "\n";
            }
            line.text = bytes.substr(pos, end - pos);
            pos = nl + 1;
        }
        lines_.push_back(std::move(line));
    }
}

int ProfileText::findSection(std::string_view section) const {
    std::string wanted = Trim(section);
    for (size_t i = 0; i < lines_.size(); ++i) {
        auto name = HeaderName(lines_[i].text);
        if (name && IEquals(*name, wanted)) return static_cast<int>(i);
    }
    return -1;
}

int ProfileText::sectionEnd(int header) const {
    size_t i = static_cast<size_t>(header) + 1;
    while (i < lines_.size() && !HeaderName(lines_[i].text))
        ++i;
    return static_cast<int>(i);
}

int ProfileText::findKey(int header, std::string_view key) const {
    std::string wanted = Trim(key);
    int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        auto name = KeyName(lines_[i].text);
        if (name && IEquals(*name, wanted)) return i;
    }
    return -1;
}

std::string ProfileText::newEol() const {
    for (const Line& line : lines_)
        if (!line.eol.empty()) return line.eol;
    return "\r\n";
}

std::optional<std::string> ProfileText::get(std::string_view section, std::string_view key) const {
    int header = findSection(section);
    if (header < 0) return std::nullopt;
    int line = findKey(header, key);
    if (line < 0) return std::nullopt;
    return ValueOf(lines_[line].text);
}

std::string ProfileText::get(std::string_view section, std::string_view key,
                             std::string_view fallback) const {
    auto value = get(section, key);
    return value ? *value : std::string(fallback);
}

bool ProfileText::hasSection(std::string_view section) const {
    return findSection(section) >= 0;
}

std::vector<std::string> ProfileText::sections() const {
    std::vector<std::string> out;
    for (const Line& line : lines_) {
        auto name = HeaderName(line.text);
        if (!name) continue;
        bool seen = false;
        for (const auto& s : out)
            seen = seen || IEquals(s, *name);
        if (!seen) out.push_back(*name);
    }
    return out;
}

std::vector<std::string> ProfileText::keys(std::string_view section) const {
    std::vector<std::string> out;
    int header = findSection(section);
    if (header < 0) return out;
    int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        auto name = KeyName(lines_[i].text);
        if (!name) continue;
        bool seen = false;
        for (const auto& k : out)
            seen = seen || IEquals(k, *name);
        if (!seen) out.push_back(*name);
    }
    return out;
}

void ProfileText::set(std::string_view section, std::string_view key, std::string_view value) {
    if (Trim(section).empty()) return;
    if (Trim(key).empty()) {
        eraseSection(section);
        return;
    }
    std::string cleanKey = Trim(OneLine(key));
    std::string cleanValue = OneLine(value);
    int header = findSection(section);

    if (cleanValue.empty()) {
        // Every copy goes, so a later duplicate cannot surface as the key's value.
        if (header < 0) return;
        for (int line = findKey(header, cleanKey); line >= 0; line = findKey(header, cleanKey))
            lines_.erase(lines_.begin() + line);
        return;
    }

    std::string text = cleanKey + "=" + cleanValue;
    if (header < 0) {
        std::string eol = newEol();
        if (!lines_.empty() && lines_.back().eol.empty()) lines_.back().eol = eol;
        lines_.push_back({"[" + Trim(OneLine(section)) + "]", eol});
        lines_.push_back({text, eol});
        return;
    }
    int line = findKey(header, cleanKey);
    if (line >= 0) {
        // The key keeps the spelling it has in the file.
        lines_[line].text = *KeyName(lines_[line].text) + "=" + cleanValue;
        return;
    }
    // New keys go after the section's last non-blank line, so the blank line that separates
    // it from the next section stays where it was.
    int insertAt = sectionEnd(header);
    while (insertAt > header + 1 && IsBlankLine(lines_[insertAt - 1].text))
        --insertAt;
    std::string eol = newEol();
    if (lines_[insertAt - 1].eol.empty()) lines_[insertAt - 1].eol = eol;
    lines_.insert(lines_.begin() + insertAt, Line{text, eol});
}

void ProfileText::eraseSection(std::string_view section) {
    // Every copy goes: a deleted student must not come back from a duplicate section.
    for (int header = findSection(section); header >= 0; header = findSection(section))
        lines_.erase(lines_.begin() + header, lines_.begin() + sectionEnd(header));
}

std::string ProfileText::bytes() const {
    std::string out;
    for (const Line& line : lines_) {
        out += line.text;
        out += line.eol;
    }
    return out;
}

namespace {

constexpr int kMaxLinkHops = 8;

// Links in the place of a records or configuration file are followed only when they belong to the
// user or to root, and lead to a file of the user or root. A folder others can write into (a
// school's shared records folder, often writable by a group and without the sticky bit, so the
// kernel's protected_symlinks does not apply) must not let them point our reads and writes at
// the user's other files. A user's own link, into a synced folder say, still works.
bool TrustedOwner(uid_t uid) {
    return uid == ::geteuid() || uid == 0;
}

// The folder that holds a file, open, and the file's name in it.
struct FileSpot {
    int dir = -1;
    std::string name;
    bool viaLink = false;
    FileSpot() = default;
    FileSpot(const FileSpot&) = delete;
    FileSpot& operator=(const FileSpot&) = delete;
    ~FileSpot() {
        if (dir >= 0) ::close(dir);
    }
};

// Finds where the file `path` names lives, following links in the file's own place by the rule
// above (folders on the way resolve as the system does). True also when the file is missing; false
// with errno set otherwise, ELOOP for a link not followed.
bool Locate(const std::string& path, FileSpot& spot) {
    std::string current = path;
    for (int hop = 0;; ++hop) {
        size_t slash = current.find_last_of('/');
        std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : current.substr(0, slash);
        spot.name = slash == std::string::npos ? current : current.substr(slash + 1);
        if (spot.name.empty()) {
            errno = EISDIR;
            return false;
        }
        if (spot.dir >= 0) ::close(spot.dir);
        spot.dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        // A folder we may enter but not list still holds files we can open.
        if (spot.dir < 0 && errno == EACCES)
            spot.dir = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (spot.dir < 0) return false;
        // The link itself is examined and read through one handle, so it cannot be swapped between.
        int link = ::openat(spot.dir, spot.name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        if (link < 0) return errno == ENOENT;
        struct stat st {};
        if (::fstat(link, &st) != 0 || !S_ISLNK(st.st_mode)) {
            ::close(link);
            return true;
        }
        char target[PATH_MAX];
        ssize_t n = hop < kMaxLinkHops && TrustedOwner(st.st_uid)
                        ? ::readlinkat(link, "", target, sizeof target)
                        : -1;
        ::close(link);
        if (n <= 0 || n >= static_cast<ssize_t>(sizeof target)) {
            errno = ELOOP;
            return false;
        }
        current.assign(target, static_cast<size_t>(n));
        if (current[0] != '/') current = folder + "/" + current;
        spot.viaLink = true;
    }
}

// Opens a records or configuration file for reading. Only a regular file of a sane size: a FIFO
// planted under the name would block the course in open() and a device would never end; O_NONBLOCK
// makes the open return at once whatever the name is.
int OpenProfileFile(const std::string& path) {
    FileSpot spot;
    if (!Locate(path, spot)) return -1;
    int fd = ::openat(spot.dir, spot.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st {};
    int error = 0;
    if (::fstat(fd, &st) != 0)
        error = errno;
    else if (S_ISDIR(st.st_mode))
        error = EISDIR;
    else if (!S_ISREG(st.st_mode))
        error = EINVAL;
    else if (st.st_size > static_cast<off_t>(kProfileFileMaxBytes))
        error = EFBIG;
    else if (spot.viaLink && !TrustedOwner(st.st_uid))
        error = ELOOP;
    else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        error = errno;
    if (error != 0) {
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

// Makes a new file in `dir` named prefix + six random letters or digits + suffix. O_EXCL and
// O_NOFOLLOW: never an existing name, nor a link someone planted, and the name cannot be guessed.
int CreateFreshFile(int dir, const std::string& prefix, const std::string& suffix, mode_t mode,
                    std::string& name) {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[6];
        if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) return -1;
        name = prefix;
        for (unsigned char r : random)
            name += kLetters[r % (sizeof kLetters - 1)];
        name += suffix;
        int fd = ::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

bool WriteAll(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

// Reads a whole file; false with errno set when it cannot be read (ENOENT when missing).
bool ReadWholeFile(const std::string& path, std::string& out) {
    out.clear();
    int fd = OpenProfileFile(path);
    if (fd < 0) return false;
    char buffer[16384];
    while (true) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            int saved = errno;
            ::close(fd);
            errno = saved;
            return false;
        }
        if (n == 0) break;
        out.append(buffer, static_cast<size_t>(n));
        // Growing while we read it.
        if (out.size() > kProfileFileMaxBytes) {
            ::close(fd);
            out.clear();
            errno = EFBIG;
            return false;
        }
    }
    ::close(fd);
    return true;
}

[[noreturn]] void ThrowWriteFailed(const std::string& path, int error) {
    throw ProfileError(Format("Write to %s failed - %s", path.c_str(), std::strerror(error)));
}

// Loads the file to be changed; a file that exists but cannot be read must not be replaced
// by one holding only the new key.
ProfileText LoadForWrite(const std::string& path) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        if (errno != ENOENT) ThrowWriteFailed(path, errno);
        return ProfileText();
    }
    return ProfileText(std::move(bytes));
}

} // namespace

std::string ProfileFile::Read(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view fallback) {
    if (path.empty())
        throw ProfileError(Format("No file specified for GetProfile %.*s, %.*s", int(section.size()),
                                  section.data(), int(key.size()), key.data()));
    return Load(path).get(section, key, fallback);
}

void ProfileFile::Write(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
    if (section.empty()) throw ProfileError("No section specified for WriteProfile");
    if (path.empty())
        throw ProfileError(Format("No file specified for WriteProfile %.*s, %.*s", int(section.size()),
                                  section.data(), int(key.size()), key.data()));
    ProfileText text = LoadForWrite(path);
    std::string before = text.bytes();
    text.set(section, key, value);
    // Nothing changed (deleting what is not there, or the same value again): leave the file alone.
    if (text.bytes() == before) return;
    Save(path, text);
}

void ProfileFile::EraseSection(const std::string& path, std::string_view section) {
    if (path.empty())
        throw ProfileError(
            Format("No file specified for WriteProfile %.*s, ", int(section.size()), section.data()));
    ProfileText text = LoadForWrite(path);
    if (!text.hasSection(section)) return;
    text.eraseSection(section);
    Save(path, text);
}

void ProfileFile::Edit(const std::string& path, const std::function<void(ProfileText&)>& change) {
    if (path.empty()) throw ProfileError("No file specified for WriteProfile");
    ProfileText text = LoadForWrite(path);
    std::string before = text.bytes();
    change(text);
    if (text.bytes() == before) return;
    Save(path, text);
}

ProfileText ProfileFile::Load(const std::string& path) {
    std::string bytes;
    if (path.empty() || !ReadWholeFile(path, bytes)) return ProfileText();
    return ProfileText(std::move(bytes));
}

void ProfileFile::Save(const std::string& path, const ProfileText& text) {
    if (!WriteFileAtomically(path, text.bytes())) ThrowWriteFailed(path, errno);
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    // The file is replaced in its own folder: the link's target's, when a link is followed.
    FileSpot spot;
    if (!Locate(path, spot)) return false;
    struct stat old {};
    bool exists = ::fstatat(spot.dir, spot.name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT) return false;
    if (exists) {
        int error = S_ISLNK(old.st_mode)                        ? ELOOP // planted since Locate looked
                    : S_ISDIR(old.st_mode)                      ? EISDIR
                    : !S_ISREG(old.st_mode)                     ? EINVAL
                    : spot.viaLink && !TrustedOwner(old.st_uid) ? ELOOP
                                                                : 0;
        if (error != 0) {
            errno = error;
            return false;
        }
    }
    // A new file gets the usual permissions (the umask applies to the mode given here).
    std::string temp;
    int fd = CreateFreshFile(spot.dir, "." + spot.name + ".", "", exists ? 0600 : 0666, temp);
    if (fd < 0) return false;
    auto fail = [&](int error) {
        if (fd >= 0) ::close(fd);
        ::unlinkat(spot.dir, temp.c_str(), 0);
        errno = error;
        return false;
    };
    if (exists) {
        // The new copy keeps the old file's owner, group and mode. Someone else's file is taken over
        // only when the user could have written it in place all the same (a class's records file
        // shared through a group): the group and mode stay, so the class keeps its access.
        // Otherwise it is not ours to replace, and the write fails.
        if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
            ::fchown(fd, old.st_uid, old.st_gid) != 0 && old.st_uid != ::geteuid()) {
            int error = errno;
            if (spot.viaLink || ::faccessat(spot.dir, spot.name.c_str(), W_OK, AT_EACCESS) != 0 ||
                (::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0 && !(old.st_mode & S_IWOTH)))
                return fail(error);
        }
        if (::fchmod(fd, old.st_mode & 07777) != 0) return fail(errno);
    }
    if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) return fail(errno);
    int closed = ::close(fd);
    fd = -1;
    if (closed != 0) return fail(errno);
    if (::renameat(spot.dir, temp.c_str(), spot.dir, spot.name.c_str()) != 0) return fail(errno);
    // The rename itself survives a power cut only once the folder is on disk.
    ::fsync(spot.dir);
    return true;
}

bool FolderTakesNewFiles(const std::string& folder, const std::string& prefix) {
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0 && errno == EACCES) dir = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return false;
    std::string name;
    int fd = CreateFreshFile(dir, prefix, ".txt", 0600, name);
    bool ok = fd >= 0 && ::write(fd, "x", 1) == 1;
    if (fd >= 0) {
        ok = ::close(fd) == 0 && ok;
        ::unlinkat(dir, name.c_str(), 0);
    }
    ::close(dir);
    return ok;
}

bool IsAtomicWriteTempName(std::string_view tempName, std::string_view name) {
    // "." + name + "." + six letters or digits.
    if (tempName.size() != name.size() + 8 || tempName[0] != '.' || tempName[name.size() + 1] != '.')
        return false;
    if (tempName.substr(1, name.size()) != name) return false;
    for (char c : tempName.substr(name.size() + 2))
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

int RemoveLeftoverWrites(const std::string& folder, std::string_view prefix, std::string_view suffix,
                         int minAgeSeconds) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::directory_iterator it(folder, ec), end;
    if (ec) return 0;
    const auto now = fs::file_time_type::clock::now();
    int removed = 0;
    for (; it != end; it.increment(ec)) {
        if (ec) break;
        std::string file = it->path().filename().string();
        if (file.size() <= 8) continue;
        std::string_view name = std::string_view(file).substr(1, file.size() - 8);
        if (!IsAtomicWriteTempName(file, name)) continue;
        if (name.size() < prefix.size() + suffix.size() || !IEquals(name.substr(0, prefix.size()), prefix) ||
            !IEquals(name.substr(name.size() - suffix.size()), suffix))
            continue;
        // Not a link: only files this program made.
        if (!it->is_regular_file(ec) || it->is_symlink(ec)) continue;
        auto written = fs::last_write_time(it->path(), ec);
        if (ec || now - written < std::chrono::seconds(minAgeSeconds)) continue;
        if (fs::remove(it->path(), ec)) ++removed;
    }
    return removed;
}

} // namespace parlora
