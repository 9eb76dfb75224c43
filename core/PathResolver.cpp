#include "core/PathResolver.h"

#include "core/StringUtil.h"

#include <filesystem>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

namespace parlora {

namespace fs = std::filesystem;

namespace {

struct Listing {
    fs::file_time_type mtime{};
    std::unordered_set<std::string> exact;
    std::unordered_map<std::string, std::string> byLower; // lower-cased name -> name on disk
};

// Folder listings keyed by the folder's absolute path. A name found in a listing is trusted
// without touching the disk (a stat costs more than the whole lookup); a name not found makes
// us check the folder's mtime and list it again when it moved, so content written while the
// program runs is still found without an explicit ClearCache().
class ListingCache {
  public:
    // The name on disk for `name` inside `folder`; empty when none matches in any case.
    std::string find(const std::string& folder, const std::string& name) {
        std::lock_guard<std::mutex> lock(mutex_);
        std::string lower = ToLowerAscii(name);
        auto it = cache_.find(folder);
        if (it != cache_.end()) {
            if (auto hit = lookup(it->second, name, lower); !hit.empty()) return hit;
        }
        std::error_code ec;
        fs::file_time_type mtime = fs::last_write_time(folder, ec);
        if (ec) return {};
        if (it != cache_.end() && it->second.mtime == mtime) return {};
        Listing listing;
        listing.mtime = mtime;
        fs::directory_iterator dir(folder, ec);
        if (ec) return {};
        for (; dir != fs::directory_iterator(); dir.increment(ec)) {
            if (ec) break;
            std::string entry = dir->path().filename().string();
            listing.exact.insert(entry);
            // Several names may differ only in case; the smallest one wins, whatever the
            // order the folder lists them in.
            auto [slot, added] = listing.byLower.emplace(ToLowerAscii(entry), entry);
            if (!added && entry < slot->second) slot->second = entry;
        }
        it = cache_.insert_or_assign(folder, std::move(listing)).first;
        return lookup(it->second, name, lower);
    }

    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        cache_.clear();
    }

  private:
    static std::string lookup(const Listing& listing, const std::string& name, const std::string& lower) {
        if (listing.exact.count(name)) return name;
        auto hit = listing.byLower.find(lower);
        return hit == listing.byLower.end() ? std::string() : hit->second;
    }

    std::mutex mutex_;
    std::unordered_map<std::string, Listing> cache_;
};

ListingCache& Cache() {
    static ListingCache cache;
    return cache;
}

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

} // namespace

std::string PathResolver::Resolve(std::string_view path) {
    std::string out;
    bool absolute = !path.empty() && IsSeparator(path[0]);
    if (absolute) out = "/";
    // The folder searched for the next component: `out`, made absolute.
    std::string folder = "/";
    if (!absolute) {
        std::error_code ec;
        folder = fs::current_path(ec).string();
        if (ec) folder = ".";
    }
    // Once a component is missing nothing below it can exist: the rest is kept as given.
    bool lookup = true;
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t end = pos;
        while (end < path.size() && !IsSeparator(path[end]))
            ++end;
        std::string_view part = path.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty()) continue;

        std::string name(part);
        if (lookup && part != "." && part != "..") {
            std::string found = Cache().find(folder, name);
            if (found.empty())
                lookup = false;
            else
                name = std::move(found);
        }
        if (!out.empty() && out.back() != '/') out += '/';
        out += name;
        if (folder.back() != '/') folder += '/';
        folder += name;
    }
    return out;
}

bool PathResolver::Exists(std::string_view path) {
    std::error_code ec;
    return fs::exists(Resolve(path), ec);
}

bool PathResolver::IsDirectory(std::string_view path) {
    std::error_code ec;
    return fs::is_directory(Resolve(path), ec);
}

bool PathResolver::IsFile(std::string_view path) {
    std::error_code ec;
    return fs::is_regular_file(Resolve(path), ec);
}

std::string PathResolver::Join(std::string_view a, std::string_view b) {
    size_t aEnd = a.size();
    while (aEnd > 0 && IsSeparator(a[aEnd - 1]))
        --aEnd;
    size_t bStart = 0;
    while (bStart < b.size() && IsSeparator(b[bStart]))
        ++bStart;
    if (a.empty()) return std::string(b);
    std::string out(a.substr(0, aEnd));
    if (b.size() == bStart) return aEnd == 0 ? std::string("/") : out;
    out += '/';
    out.append(b.substr(bStart));
    return out;
}

void PathResolver::ClearCache() {
    Cache().clear();
}

} // namespace parlora
