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

    void Clear();
    size_t Count() const;
    uint64_t Decodes() const { return decodes_; } // how many files were really decoded
    // Entries beyond this many bytes are dropped, least recently used first (shared ones live on).
    void SetBudget(size_t bytes);

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
    void Trim();

    mutable std::mutex mutex_;
    std::map<Key, Entry> entries_;
    std::list<Key> lru_; // front = most recent
    size_t bytes_ = 0;
    size_t budget_ = 48u * 1024 * 1024; // some sixteen full screens
    uint64_t decodes_ = 0;
};

} // namespace parlora
