#include "shell/RecordsIndex.h"

#include "core/ProfileFile.h"
#include "core/StringUtil.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace parlora {

namespace {

char Fold(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool FoldedEquals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Fold(a[i]) != Fold(b[i])) return false;
    return true;
}

} // namespace

size_t RecordsIndex::FoldedHash::operator()(std::string_view s) const {
    uint64_t h = 1469598103934665603ull; // FNV-1a
    for (char c : s) {
        h ^= static_cast<unsigned char>(Fold(c));
        h *= 1099511628211ull;
    }
    return static_cast<size_t>(h);
}

bool RecordsIndex::FoldedEqual::operator()(std::string_view a, std::string_view b) const {
    return FoldedEquals(a, b);
}

RecordsIndex::RecordsIndex(std::string bytes) : bytes_(std::move(bytes)) {
    const std::string_view all(bytes_);
    bool inSection = false;
    for (size_t pos = 0; pos < all.size();) {
        size_t nl = all.find('\n', pos);
        size_t end = nl == std::string_view::npos ? all.size() : nl;
        // As ProfileText splits lines: a CR is part of the line end only right before the LF.
        if (nl != std::string_view::npos && end > pos && all[end - 1] == '\r') --end;
        const std::string_view line = all.substr(pos, end - pos);
        pos = nl == std::string_view::npos ? all.size() : nl + 1;

        const std::string_view t = TrimView(line);
        size_t close = t.empty() || t[0] != '[' ? std::string_view::npos : t.find(']');
        if (close != std::string_view::npos) {
            if (inSection) sections_.back().endEntry = entries_.size();
            sections_.push_back({entries_.size(), entries_.size()});
            inSection = true;
            byName_.emplace(TrimView(t.substr(1, close - 1)), sections_.size() - 1);
            continue;
        }
        if (!inSection || (!t.empty() && t[0] == ';')) continue;
        size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view key = TrimView(line.substr(0, eq));
        if (key.empty()) continue;
        std::string_view value = TrimView(line.substr(eq + 1));
        size_t keyBegin = size_t(key.data() - all.data());
        size_t valueBegin = size_t(value.data() - all.data());
        entries_.push_back({keyBegin, keyBegin + key.size(), valueBegin, valueBegin + value.size()});
    }
    if (inSection) sections_.back().endEntry = entries_.size();
}

std::optional<std::string> RecordsIndex::get(std::string_view section, std::string_view key) const {
    auto found = byName_.find(TrimView(section));
    if (found == byName_.end()) return std::nullopt;
    const std::string_view wanted = TrimView(key);
    const Section& s = sections_[found->second];
    for (size_t i = s.firstEntry; i < s.endEntry; ++i) {
        const Entry& e = entries_[i];
        if (!FoldedEquals(std::string_view(bytes_).substr(e.keyBegin, e.keyEnd - e.keyBegin), wanted))
            continue;
        std::string_view value = std::string_view(bytes_).substr(e.valueBegin, e.valueEnd - e.valueBegin);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        return std::string(value);
    }
    return std::nullopt;
}

bool RecordsIndex::hasSection(std::string_view section) const {
    return byName_.count(TrimView(section)) != 0;
}

FileStamp FileStamp::Of(const std::string& path) {
    FileStamp s;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        s.known = errno == ENOENT || errno == ENOTDIR;
        return s;
    }
    s.known = s.exists = true;
    s.device = uint64_t(st.st_dev);
    s.inode = uint64_t(st.st_ino);
    s.size = uint64_t(st.st_size);
    s.modified = st.st_mtim;
    s.changed = st.st_ctim;
    return s;
}

bool FileStamp::operator==(const FileStamp& o) const {
    auto same = [](const timespec& a, const timespec& b) {
        return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
    };
    return known == o.known && exists == o.exists && device == o.device && inode == o.inode &&
           size == o.size && same(modified, o.modified) && same(changed, o.changed);
}

namespace {

// A write sets the modification time to the file system's clock, which may tick as seldom as every
// two seconds: once the time is older than that, any later write must change it. (A file still
// this fresh, or dated in our future by another computer's clock, could be written again unseen.)
bool IsRecent(const FileStamp& s) {
    if (!s.exists) return false;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return s.modified.tv_sec > now.tv_sec - RecordsFileCache::kRecentSeconds;
}

} // namespace

const RecordsIndex& RecordsFileCache::Current(const std::string& path) {
    // The stamp comes before the read: a change made while reading shows as a new stamp next time.
    FileStamp now = FileStamp::Of(path);
    if (index_ && trusted_ && path == path_ && now == stamp_) return *index_;
    index_ = std::make_unique<RecordsIndex>(ProfileFile::Load(path).bytes());
    ++loads_;
    path_ = path;
    stamp_ = now;
    trusted_ = now.known && !IsRecent(now);
    return *index_;
}

void RecordsFileCache::Edit(const std::string& path, const std::function<void(ProfileText&)>& change) {
    const FileStamp before = FileStamp::Of(path);
    std::string written;
    try {
        ProfileFile::Edit(path, [&](ProfileText& text) {
            change(text);
            written = text.bytes();
        });
    } catch (...) {
        index_.reset();
        throw;
    }
    const FileStamp after = FileStamp::Of(path);
    const bool sameSize = after.exists ? after.size == written.size() : written.empty();
    // Our replacement is a new file, so a later one by anybody gets another inode; when nothing
    // was written the file is as any read would find it.
    const bool replaced =
        after.exists && (!before.exists || after.inode != before.inode || after.device != before.device);
    index_ = std::make_unique<RecordsIndex>(std::move(written));
    path_ = path;
    stamp_ = after;
    trusted_ = after.known && sameSize && (replaced || !IsRecent(after));
}

} // namespace parlora
