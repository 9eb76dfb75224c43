#pragma once
// Decoded pictures shared across screens: each file is decoded once per modification time, and
// screens that show the same picture hold the same immutable pixels.
#include "core/Surface.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace parlora {

class PictureCache {
  public:
    struct Entry {
        std::shared_ptr<const Surface> pixels;
        bool masked = false;
    };

    static PictureCache& Instance();

    // Resolves the path's letter case, reads and decodes it, or returns the cached pixels.
    // Throws PBException with the decoder's message (or "File not found").
    Entry Load(const std::string& path);

    // Decodes the pictures of `paths` not yet cached side by side on the machine's cores, so that
    // the Loads that follow find them; a file that fails is left for its Load to report. The
    // pixels returned keep the new entries from being trimmed before those Loads: hold them until
    // the pictures are loaded.
    using Held = std::vector<std::shared_ptr<const Surface>>;
    Held Prefetch(const std::vector<std::string>& paths);

    void Clear();
    size_t Count() const;
    uint64_t Decodes() const { return decodes_; } // how many files were really decoded
    // Pictures no screen holds any more are kept up to this many bytes, least recently used
    // dropped first; pictures in use cost nothing extra and stay findable.
    void SetBudget(size_t bytes);
    size_t Budget() const { return budget_; }
    size_t UnusedBytes() const;

  private:
    struct Key {
        std::string path;
        int64_t mtime;
        uint64_t size;
        bool operator==(const Key& o) const = default;
        bool operator<(const Key& o) const {
            if (path != o.path) return path < o.path;
            if (mtime != o.mtime) return mtime < o.mtime;
            return size < o.size;
        }
    };
    struct Decoded {
        Key key;
        Entry entry;
    };
    // The key of the file `path` names (letter case resolved); throws like Load.
    static Key KeyFor(const std::string& path);
    static Entry DecodeFile(const std::string& real);
    Entry Insert(const Key& key, const Entry& e);
    void Trim();

    mutable std::mutex mutex_;
    std::map<Key, Entry> entries_;
    std::list<Key> lru_; // front = most recent
    // About five full screens: a screen and the menu it came from stay decoded, and the session's
    // peak memory stays low.
    size_t budget_ = 16u * 1024 * 1024;
    uint64_t decodes_ = 0;
};

} // namespace parlora
