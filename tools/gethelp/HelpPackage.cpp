#include "tools/gethelp/HelpPackage.h"

#include "core/ConfigFile.h"
#include "core/PathResolver.h"
#include "core/StringUtil.h"

#include <archive.h>
#include <archive_entry.h>
#include <curl/curl.h>
#include <openssl/evp.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string_view>

namespace parlora {
namespace {

namespace fs = std::filesystem;

// A language folder is a few levels deep; deeper names only make paths no tool can handle.
constexpr size_t kMaxDepth = 32;
// At most this much of a name, an address or a library's message goes into a message.
constexpr size_t kShownBytes = 200;

// Text from a package, a course's configuration or a library, made safe to print on one line.
std::string Shown(std::string_view text) {
    return EscapeControls(text, kShownBytes);
}

// C0, DEL, or C1 (U+0080..U+009F) in UTF-8: no language file needs one, and a name holding one
// could rewrite the terminal or the log that shows it.
bool HasControls(std::string_view s) {
    for (size_t i = 0; i < s.size(); ++i) {
        auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x20 || c == 0x7F) return true;
        if (c == 0xC2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) >= 0x80 &&
            static_cast<unsigned char>(s[i + 1]) < 0xA0)
            return true;
    }
    return false;
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.size() >= prefix.size() && Lower(s.substr(0, prefix.size())) == prefix;
}

// The child of `folder` whose name is `name` in any letter case, or "".
std::string ChildNamed(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    for (fs::directory_iterator d(folder, ec); !ec && d != fs::directory_iterator(); d.increment(ec))
        if (Lower(d->path().filename().string()) == Lower(name)) return d->path().string();
    return {};
}

struct CurlSink {
    std::vector<uint8_t>* out;
    uint64_t maxBytes;
    bool tooBig = false;
};

size_t CurlWrite(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<CurlSink*>(user);
    size_t n = size * count;
    if (THelpPackage::StopRequested()) return 0;
    if (sink->out->size() + n > sink->maxBytes) {
        sink->tooBig = true;
        return 0; // aborts the transfer
    }
    sink->out->insert(sink->out->end(), reinterpret_cast<uint8_t*>(data),
                      reinterpret_cast<uint8_t*>(data) + n);
    return n;
}

// Called about once a second even while nothing arrives, so a stop is seen on a stalled transfer.
int CurlProgress(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return THelpPackage::StopRequested() ? 1 : 0;
}

std::string JoinUrl(const std::string& base, const std::string& name) {
    return base.empty() || base.back() == '/' ? base + name : base + "/" + name;
}

bool WriteAll(int fd, const void* data, size_t size) {
    auto* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= size_t(n);
    }
    return true;
}

// The entry's path split into its parts, or false when it is absolute, climbs with "..", or is
// empty. Backslashes count as separators: zips made on Windows use them.
bool SafeParts(const char* raw, std::vector<std::string>& parts) {
    if (!raw || !*raw) return false;
    std::string path(raw);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path[0] == '/' || (path.size() > 1 && path[1] == ':')) return false;
    parts.clear();
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i)
        if (i == path.size() || path[i] == '/') {
            std::string part = path.substr(start, i - start);
            start = i + 1;
            if (part.empty() || part == ".") continue;
            if (part == "..") return false;
            parts.push_back(part);
        }
    return !parts.empty();
}

using ArchivePtr = std::unique_ptr<archive, int (*)(archive*)>;

// ".<digits>source-" and the six letters or digits mkdtemp puts after it.
bool IsUnpackingFolderName(std::string_view name) {
    size_t i = 1;
    if (name.empty() || name[0] != '.') return false;
    while (i < name.size() && std::isdigit(static_cast<unsigned char>(name[i])))
        ++i;
    if (i == 1 || i > 7 || name.substr(i, 7) != "source-") return false;
    std::string_view rest = name.substr(i + 7);
    return rest.size() == 6 && std::all_of(rest.begin(), rest.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c));
           });
}

// Removes the entry `name` of the open folder `dirFd` when it is this user's regular file, or this
// user's folder holding only such things; anything else (a link, a device, another user's file) is
// left, and so are the folders above it. Links are never followed. `budget` bounds the entries
// looked at, and `depth` the folders nested, whatever someone else put there.
bool RemoveOwnTree(int dirFd, const char* name, size_t depth, size_t& budget) {
    if (budget == 0 || depth > kMaxDepth + 2) return false;
    --budget;
    struct stat st;
    if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || st.st_uid != ::geteuid()) return false;
    if (S_ISREG(st.st_mode)) return ::unlinkat(dirFd, name, 0) == 0;
    if (!S_ISDIR(st.st_mode)) return false;
    int fd = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat opened;
    if (::fstat(fd, &opened) != 0 || opened.st_dev != st.st_dev || opened.st_ino != st.st_ino) {
        ::close(fd); // replaced between the two looks
        return false;
    }
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    // All names first: removing while reading may skip some.
    std::vector<std::string> names;
    while (dirent* e = ::readdir(dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
        if (names.size() >= budget) break;
        names.emplace_back(e->d_name);
    }
    bool all = true; // names left unread keep the folder from going, as they should
    for (const std::string& child : names)
        all = RemoveOwnTree(fd, child.c_str(), depth + 1, budget) && all;
    ::closedir(dir);
    return all && ::unlinkat(dirFd, name, AT_REMOVEDIR) == 0;
}

// Removes the unpacking folders in `sources` that killed runs left: ours, old, and not locked by a
// run still at work.
void RemoveStaleUnpackingFolders(const std::string& sources) {
    int fd = ::open(sources.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    std::vector<std::string> names;
    while (dirent* e = ::readdir(dir))
        if (IsUnpackingFolderName(e->d_name) && names.size() < 100) names.emplace_back(e->d_name);
    const time_t before = std::time(nullptr) - time_t(THelpPackage::kStaleMinutes) * 60;
    // Each killed run left at most what one package may hold.
    size_t budget = THelpPackage::Limits{}.entries * 2 + 100;
    for (const std::string& name : names) {
        struct stat st;
        if (::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode) ||
            st.st_uid != ::geteuid() || st.st_mtime > before)
            continue;
        int lock = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (lock < 0) continue;
        if (::flock(lock, LOCK_EX | LOCK_NB) == 0) RemoveOwnTree(fd, name.c_str(), 0, budget);
        ::close(lock);
    }
    ::closedir(dir);
}

} // namespace

std::string THelpPackage::BaseAddress(const std::string& workingDir, const std::string& parentDir) {
    std::vector<std::string> candidates;
    if (!workingDir.empty()) candidates.push_back(workingDir + "/sconfig.txt");
    candidates.push_back(parentDir + "/sconfig.txt");
    candidates.push_back(parentDir + "/config.txt");
    for (const std::string& path : candidates) {
        if (!PathResolver::IsFile(path)) continue;
        ConfigFile config;
        config.Load(PathResolver::Resolve(path));
        std::string base = config.ReadString("Defaults", "HelpBase", "");
        while (!base.empty() && std::isspace(static_cast<unsigned char>(base.back())))
            base.pop_back();
        if (base.empty() || base.find("://") != std::string::npos) return base;
        // A plain folder, relative to the configuration's own folder: a course on a stick or a
        // network share can carry its packages beside it.
        fs::path folder = fs::path(PathResolver::Resolve(path)).parent_path() / base;
        std::error_code ec;
        fs::path absolute = fs::weakly_canonical(fs::absolute(folder), ec);
        std::string url = "file://";
        for (unsigned char ch : (ec ? fs::absolute(folder) : absolute).string()) {
            if (std::isalnum(ch) || std::strchr("/-._~", ch)) {
                url += char(ch);
            } else {
                static const char* hex = "0123456789ABCDEF";
                url += '%';
                url += hex[ch >> 4];
                url += hex[ch & 15];
            }
        }
        return url;
    }
    return {};
}

std::string THelpPackage::DataDirOf(const std::string& parentDir) {
    fs::path p(parentDir);
    while (p.has_relative_path() && p.filename().empty())
        p = p.parent_path(); // "a/b/" -> "a/b"
    if (p.filename() == "..") {
        fs::path data = p.parent_path();
        return fs::is_directory(data) ? data.string() : std::string();
    }
    std::string preferred = ChildNamed(p, "data");
    if (!preferred.empty() && fs::is_directory(preferred)) return preferred;
    std::error_code ec;
    for (fs::directory_iterator d(p, ec); !ec && d != fs::directory_iterator(); d.increment(ec))
        if (d->is_directory() && !ChildNamed(d->path(), "sources").empty()) return d->path().string();
    return {};
}

bool THelpPackage::Fetch(const std::string& url, std::vector<uint8_t>& out, std::string& error,
                         uint64_t maxBytes) {
    out.clear();
    std::string lower = Lower(url);
    if (!StartsWith(lower, "https://") && !StartsWith(lower, "file://")) {
        error = "only https:// and file:// addresses are used: " + Shown(url);
        return false;
    }
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    if (!initialised) {
        error = "libcurl could not start";
        return false;
    }
    std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) {
        error = "libcurl could not start";
        return false;
    }
    char message[CURL_ERROR_SIZE] = {};
    CurlSink sink{&out, maxBytes};
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "https,file");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 20L);
    // A stalled server must not keep the course waiting for ever.
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, message);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, CurlWrite);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, CurlProgress);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    CURLcode rc = curl_easy_perform(c);
    if (rc != CURLE_OK) {
        error = StopRequested() ? std::string("stopped")
                : sink.tooBig   ? "larger than the course accepts: " + Shown(url)
                                : Shown(url) + ": " + Shown(*message ? message : curl_easy_strerror(rc));
        return false;
    }
    return true;
}

std::string THelpPackage::Sha256Hex(const std::vector<uint8_t>& bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr) != 1) return {};
    static const char* hex = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        text += hex[digest[i] >> 4];
        text += hex[digest[i] & 15];
    }
    return text;
}

std::string THelpPackage::ChecksumOf(const std::string& checksumFile) {
    size_t start = 0;
    while (start < checksumFile.size() && std::isspace(static_cast<unsigned char>(checksumFile[start])))
        ++start;
    size_t end = start;
    while (end < checksumFile.size() && std::isxdigit(static_cast<unsigned char>(checksumFile[end])))
        ++end;
    if (end - start != 64) return {};
    if (end < checksumFile.size() && !std::isspace(static_cast<unsigned char>(checksumFile[end]))) return {};
    return Lower(checksumFile.substr(start, 64));
}

bool THelpPackage::Unpack(const std::vector<uint8_t>& bytes, int language, const std::string& into,
                          std::string& error, const Limits& limits) {
    ArchivePtr a(archive_read_new(), archive_read_free);
    archive_read_support_filter_zstd(a.get());
    archive_read_support_filter_gzip(a.get());
    archive_read_support_format_tar(a.get());
    archive_read_support_format_zip(a.get());
    auto libraryError = [&] {
        const char* why = archive_error_string(a.get());
        return Shown(why ? why : "unknown error");
    };
    if (archive_read_open_memory(a.get(), bytes.data(), bytes.size()) != ARCHIVE_OK) {
        error = "not a package: " + libraryError();
        return false;
    }
    const std::string top = std::to_string(language) + "source";
    const std::string tooLarge = "package unpacks to more than the course accepts";
    uint64_t unpacked = 0;
    size_t headers = 0;
    int entries = 0;
    std::vector<std::string> parts;
    for (;;) {
        if (StopRequested()) {
            error = "stopped";
            return false;
        }
        archive_entry* entry = nullptr;
        int rc = archive_read_next_header(a.get(), &entry);
        if (rc == ARCHIVE_EOF) break;
        if (rc != ARCHIVE_OK && rc != ARCHIVE_WARN) {
            error = "damaged package: " + libraryError();
            return false;
        }
        if (++headers > limits.entries) {
            error = "package holds more than " + std::to_string(limits.entries) + " entries";
            return false;
        }
        const char* name = archive_entry_pathname(entry);
        std::string shown = name ? Shown(name) : "(no name)";
        if (name && HasControls(name)) {
            error = "package entry name holds control characters: " + shown;
            return false;
        }
        if (!SafeParts(name, parts)) {
            error = "package entry outside its folder: " + shown;
            return false;
        }
        if (Lower(parts[0]) != top) {
            error = "package entry not in " + top + ": " + shown;
            return false;
        }
        if (parts.size() > kMaxDepth) {
            error = "package entry too deep: " + shown;
            return false;
        }
        mode_t type = archive_entry_filetype(entry);
        if (archive_entry_hardlink(entry) || archive_entry_symlink(entry) ||
            (type != AE_IFDIR && type != AE_IFREG)) {
            error = "package entry is not a plain file or folder: " + shown;
            return false;
        }
        fs::path out = fs::path(into) / top;
        for (size_t i = 1; i < parts.size(); ++i)
            out /= parts[i];
        std::error_code ec;
        if (type == AE_IFDIR) {
            fs::create_directories(out, ec);
            if (ec) {
                error = "can't make " + Shown(out.string()) + ": " + ec.message();
                return false;
            }
            ++entries;
            continue;
        }
        // A sparse entry's holes cost nothing in the package and can declare any size on disk.
        if (archive_entry_sparse_count(entry) > 0) {
            error = "package entry is a sparse file: " + shown;
            return false;
        }
        // The declared size counts before anything is written; the data, should it be longer, too.
        la_int64_t declared = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : 0;
        if (declared < 0 || uint64_t(declared) > limits.bytes - unpacked) {
            error = tooLarge;
            return false;
        }
        unpacked += uint64_t(declared);
        uint64_t charged = uint64_t(declared), written = 0;
        fs::create_directories(out.parent_path(), ec);
        // O_EXCL: an entry named twice must not overwrite the first (nor follow anything there).
        int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0) {
            error = "can't write " + Shown(out.string()) + ": " + std::strerror(errno);
            return false;
        }
        const void* block = nullptr;
        size_t size = 0;
        la_int64_t offset = 0;
        bool ok = true;
        for (;;) {
            if (StopRequested()) {
                error = "stopped";
                ok = false;
                break;
            }
            int r = archive_read_data_block(a.get(), &block, &size, &offset);
            if (r == ARCHIVE_EOF) break;
            if (r != ARCHIVE_OK && r != ARCHIVE_WARN) {
                error = "damaged package: " + libraryError();
                ok = false;
                break;
            }
            // Written in order only: a block further on would leave a hole.
            if (offset < 0 || uint64_t(offset) != written) {
                error = "package entry has holes: " + shown;
                ok = false;
                break;
            }
            written += size;
            if (written > charged) {
                if (written - charged > limits.bytes - unpacked) {
                    error = tooLarge;
                    ok = false;
                    break;
                }
                unpacked += written - charged;
                charged = written;
            }
            if (!WriteAll(fd, block, size)) {
                error = "can't write " + Shown(out.string()) + ": " + std::strerror(errno);
                ok = false;
                break;
            }
        }
        if (::close(fd) != 0 && ok) {
            error = "can't write " + Shown(out.string()) + ": " + std::strerror(errno);
            ok = false;
        }
        if (!ok) return false;
        ++entries;
    }
    if (entries == 0) {
        error = "empty package";
        return false;
    }
    return true;
}

bool THelpPackage::Pack(const std::string& folder, int language, const std::string& packagePath,
                        std::string& error) {
    const std::string top = std::to_string(language) + "source";
    std::string part = packagePath + ".part";
    {
        ArchivePtr a(archive_write_new(), archive_write_free);
        bool zip =
            Lower(packagePath).size() >= 4 && Lower(packagePath).substr(packagePath.size() - 4) == ".zip";
        if (zip) {
            archive_write_set_format_zip(a.get());
        } else {
            archive_write_set_format_pax_restricted(a.get());
            archive_write_add_filter_zstd(a.get());
        }
        if (archive_write_open_filename(a.get(), part.c_str()) != ARCHIVE_OK) {
            error = archive_error_string(a.get());
            return false;
        }
        std::vector<fs::path> files;
        std::error_code ec;
        for (fs::recursive_directory_iterator d(folder, ec); !ec && d != fs::recursive_directory_iterator();
             d.increment(ec))
            files.push_back(d->path());
        std::sort(files.begin(), files.end()); // the same folder makes the same package
        auto add = [&](const fs::path& path, const std::string& name) {
            std::unique_ptr<archive_entry, void (*)(archive_entry*)> e(archive_entry_new(),
                                                                       archive_entry_free);
            archive_entry_set_pathname(e.get(), name.c_str());
            archive_entry_set_mtime(e.get(), 0, 0);
            bool dir = fs::is_directory(path);
            archive_entry_set_filetype(e.get(), dir ? AE_IFDIR : AE_IFREG);
            archive_entry_set_perm(e.get(), dir ? 0755 : 0644);
            std::string data;
            if (!dir) {
                FILE* f = std::fopen(path.c_str(), "rb");
                if (!f) return false;
                char buf[65536];
                size_t n;
                while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
                    data.append(buf, n);
                std::fclose(f);
                archive_entry_set_size(e.get(), la_int64_t(data.size()));
            }
            if (archive_write_header(a.get(), e.get()) != ARCHIVE_OK) return false;
            return data.empty() ||
                   archive_write_data(a.get(), data.data(), data.size()) == la_ssize_t(data.size());
        };
        if (!add(folder, top + "/")) {
            error = archive_error_string(a.get()) ? archive_error_string(a.get()) : "can't write " + part;
            return false;
        }
        for (const fs::path& p : files) {
            std::string rel = fs::relative(p, folder).generic_string();
            if (!add(p, top + "/" + rel + (fs::is_directory(p) ? "/" : ""))) {
                error = "can't pack " + p.string();
                return false;
            }
        }
        if (archive_write_close(a.get()) != ARCHIVE_OK) {
            error = archive_error_string(a.get());
            return false;
        }
    }
    std::vector<uint8_t> bytes;
    {
        FILE* f = std::fopen(part.c_str(), "rb");
        if (!f) {
            error = "can't read " + part;
            return false;
        }
        char buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            bytes.insert(bytes.end(), buf, buf + n);
        std::fclose(f);
    }
    std::error_code ec;
    fs::rename(part, packagePath, ec);
    if (ec) {
        error = ec.message();
        return false;
    }
    FILE* sum = std::fopen((packagePath + ".sha256").c_str(), "wb");
    if (!sum) {
        error = "can't write the checksum of " + packagePath;
        return false;
    }
    std::string line = Sha256Hex(bytes) + "  " + fs::path(packagePath).filename().string() + "\n";
    bool ok = std::fwrite(line.data(), 1, line.size(), sum) == line.size();
    ok = std::fclose(sum) == 0 && ok;
    if (!ok) error = "can't write the checksum of " + packagePath;
    return ok;
}

THelpPackage::Outcome THelpPackage::Install(int language, const std::string& parentDir,
                                            const std::string& baseAddress) {
    if (language <= 0) return {BadUsage, "the language number must be 1 or more"};
    if (baseAddress.empty())
        return {NoAddress, "no address to fetch help languages from (set HelpBase in section Defaults of "
                           "the configuration)"};
    std::string dataDir = DataDirOf(parentDir);
    if (dataDir.empty()) return {InstallFailed, "no course data folder in " + Shown(parentDir)};
    std::string sources = ChildNamed(dataDir, "sources");
    if (sources.empty()) sources = (fs::path(dataDir) / "sources").string();
    RemoveStaleUnpackingFolders(sources);
    const std::string top = std::to_string(language) + "source";
    if (!ChildNamed(sources, top).empty()) return {Installed, top + " is already installed"};
    auto stopped = [] { return Outcome{Stopped, "stopped by signal " + std::to_string(StopRequested())}; };

    std::vector<uint8_t> package;
    std::string error, name;
    for (const char* kind : {".tar.zst", ".zip"}) {
        name = top + kind;
        std::string why;
        if (Fetch(JoinUrl(baseAddress, name), package, why) || StopRequested()) break;
        if (error.empty()) error = why;
        package.clear();
    }
    if (StopRequested()) return stopped();
    if (package.empty()) return {FetchFailed, "can't fetch " + top + ": " + error};
    std::vector<uint8_t> sumFile;
    bool gotSum = Fetch(JoinUrl(baseAddress, name + ".sha256"), sumFile, error, kMaxChecksumFileBytes);
    if (StopRequested()) return stopped();
    if (!gotSum) return {FetchFailed, "can't fetch the checksum of " + name + ": " + error};
    std::string expected = ChecksumOf(std::string(sumFile.begin(), sumFile.end()));
    if (expected.empty()) return {ChecksumMismatch, "the checksum file of " + name + " holds no SHA-256"};
    if (Sha256Hex(package) != expected) return {ChecksumMismatch, name + " does not match its checksum"};

    std::error_code ec;
    fs::create_directories(sources, ec);
    std::string pattern = (fs::path(sources) / ("." + top + "-XXXXXX")).string();
    std::vector<char> temp(pattern.begin(), pattern.end());
    temp.push_back('\0');
    if (!::mkdtemp(temp.data()))
        return {InstallFailed, "can't make a folder in " + Shown(sources) + ": " + std::strerror(errno)};
    fs::path tempDir(temp.data());
    // Held while the folder is in use, so that another run does not take it for a killed run's.
    int lock = ::open(temp.data(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (lock >= 0) ::flock(lock, LOCK_EX);
    auto done = [&](Result r, const std::string& why) {
        fs::remove_all(tempDir, ec);
        if (lock >= 0) ::close(lock);
        return Outcome{r, why};
    };
    auto stoppedNow = [&] { return done(Stopped, stopped().message); };
    if (!Unpack(package, language, tempDir.string(), error))
        return StopRequested() ? stoppedNow() : done(BadArchive, name + ": " + error);
    fs::path unpacked = tempDir / top;
    if (!fs::is_directory(unpacked)) return done(BadArchive, name + ": no " + top + " folder inside");
    if (StopRequested()) return stoppedNow();
    fs::rename(unpacked, fs::path(sources) / top, ec);
    if (ec) return done(InstallFailed, "can't install " + top + ": " + ec.message());
    return done(Installed, top + " installed");
}

} // namespace parlora
