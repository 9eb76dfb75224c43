#include "tools/gethelp/HelpPackage.h"

#include "core/ConfigFile.h"
#include "core/PathResolver.h"

#include <archive.h>
#include <archive_entry.h>
#include <curl/curl.h>
#include <openssl/evp.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

namespace parlora {
namespace {

namespace fs = std::filesystem;

// A package that unpacks to more than this is not a language folder.
constexpr uint64_t kMaxUnpackedBytes = 4ull << 30;

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
    bool tooBig = false;
};

size_t CurlWrite(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<CurlSink*>(user);
    size_t n = size * count;
    if (sink->out->size() + n > THelpPackage::kMaxPackageBytes) {
        sink->tooBig = true;
        return 0; // aborts the transfer
    }
    sink->out->insert(sink->out->end(), reinterpret_cast<uint8_t*>(data),
                      reinterpret_cast<uint8_t*>(data) + n);
    return n;
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

bool THelpPackage::Fetch(const std::string& url, std::vector<uint8_t>& out, std::string& error) {
    out.clear();
    std::string lower = Lower(url);
    if (!StartsWith(lower, "https://") && !StartsWith(lower, "file://")) {
        error = "only https:// and file:// addresses are used: " + url;
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
    CurlSink sink{&out};
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
    CURLcode rc = curl_easy_perform(c);
    if (rc != CURLE_OK) {
        error = sink.tooBig ? "package larger than the course accepts: " + url
                            : url + ": " + (*message ? message : curl_easy_strerror(rc));
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
                          std::string& error) {
    ArchivePtr a(archive_read_new(), archive_read_free);
    archive_read_support_filter_zstd(a.get());
    archive_read_support_filter_gzip(a.get());
    archive_read_support_format_tar(a.get());
    archive_read_support_format_zip(a.get());
    if (archive_read_open_memory(a.get(), bytes.data(), bytes.size()) != ARCHIVE_OK) {
        error = std::string("not a package: ") + archive_error_string(a.get());
        return false;
    }
    const std::string top = std::to_string(language) + "source";
    uint64_t unpacked = 0;
    int entries = 0;
    std::vector<std::string> parts;
    for (;;) {
        archive_entry* entry = nullptr;
        int rc = archive_read_next_header(a.get(), &entry);
        if (rc == ARCHIVE_EOF) break;
        if (rc != ARCHIVE_OK && rc != ARCHIVE_WARN) {
            error = std::string("damaged package: ") + archive_error_string(a.get());
            return false;
        }
        const char* name = archive_entry_pathname(entry);
        std::string shown = name ? name : "(no name)";
        if (!SafeParts(name, parts)) {
            error = "package entry outside its folder: " + shown;
            return false;
        }
        if (Lower(parts[0]) != top) {
            error = "package entry not in " + top + ": " + shown;
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
                error = "can't make " + out.string() + ": " + ec.message();
                return false;
            }
            ++entries;
            continue;
        }
        fs::create_directories(out.parent_path(), ec);
        // O_EXCL: an entry named twice must not overwrite the first (nor follow anything there).
        int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0) {
            error = "can't write " + out.string() + ": " + std::strerror(errno);
            return false;
        }
        const void* block = nullptr;
        size_t size = 0;
        la_int64_t offset = 0;
        bool ok = true;
        for (;;) {
            int r = archive_read_data_block(a.get(), &block, &size, &offset);
            if (r == ARCHIVE_EOF) break;
            if (r != ARCHIVE_OK && r != ARCHIVE_WARN) {
                error = std::string("damaged package: ") + archive_error_string(a.get());
                ok = false;
                break;
            }
            unpacked += size;
            if (unpacked > kMaxUnpackedBytes) {
                error = "package unpacks to more than the course accepts";
                ok = false;
                break;
            }
            if (::lseek(fd, offset, SEEK_SET) < 0 || !WriteAll(fd, block, size)) {
                error = "can't write " + out.string() + ": " + std::strerror(errno);
                ok = false;
                break;
            }
        }
        if (::close(fd) != 0 && ok) {
            error = "can't write " + out.string() + ": " + std::strerror(errno);
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
    if (dataDir.empty()) return {InstallFailed, "no course data folder in " + parentDir};
    std::string sources = ChildNamed(dataDir, "sources");
    if (sources.empty()) sources = (fs::path(dataDir) / "sources").string();
    const std::string top = std::to_string(language) + "source";
    if (!ChildNamed(sources, top).empty()) return {Installed, top + " is already installed"};

    std::vector<uint8_t> package;
    std::string error, name;
    for (const char* kind : {".tar.zst", ".zip"}) {
        name = top + kind;
        std::string why;
        if (Fetch(JoinUrl(baseAddress, name), package, why)) break;
        if (error.empty()) error = why;
        package.clear();
    }
    if (package.empty()) return {FetchFailed, "can't fetch " + top + ": " + error};
    std::vector<uint8_t> sumFile;
    if (!Fetch(JoinUrl(baseAddress, name + ".sha256"), sumFile, error))
        return {FetchFailed, "can't fetch the checksum of " + name + ": " + error};
    std::string expected = ChecksumOf(std::string(sumFile.begin(), sumFile.end()));
    if (expected.empty()) return {ChecksumMismatch, "the checksum file of " + name + " holds no SHA-256"};
    if (Sha256Hex(package) != expected) return {ChecksumMismatch, name + " does not match its checksum"};

    std::error_code ec;
    fs::create_directories(sources, ec);
    std::string pattern = (fs::path(sources) / ("." + top + "-XXXXXX")).string();
    std::vector<char> temp(pattern.begin(), pattern.end());
    temp.push_back('\0');
    if (!::mkdtemp(temp.data()))
        return {InstallFailed, "can't make a folder in " + sources + ": " + std::strerror(errno)};
    fs::path tempDir(temp.data());
    auto fail = [&](Result r, const std::string& why) {
        fs::remove_all(tempDir, ec);
        return Outcome{r, why};
    };
    if (!Unpack(package, language, tempDir.string(), error)) return fail(BadArchive, name + ": " + error);
    fs::path unpacked = tempDir / top;
    if (!fs::is_directory(unpacked)) return fail(BadArchive, name + ": no " + top + " folder inside");
    fs::rename(unpacked, fs::path(sources) / top, ec);
    if (ec) return fail(InstallFailed, "can't install " + top + ": " + ec.message());
    fs::remove_all(tempDir, ec);
    return {Installed, top + " installed"};
}

} // namespace parlora
