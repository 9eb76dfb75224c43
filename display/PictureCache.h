#pragma once
// Decoded pictures shared across screens: each file is decoded once per modification time, and
// screens that show the same picture hold the same immutable pixels. A picture no screen holds is
// kept packed (zstd at a fast level): unpacking costs a fraction of decoding the file again, and the
// pictures of the screens left behind take little memory while the next screen is built.
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
    PictureCache() = default;
    ~PictureCache();
    PictureCache(const PictureCache&) = delete;
    PictureCache& operator=(const PictureCache&) = delete;

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
    // The cache keeps up to this many bytes (KeptBytes), least recently used dropped first;
    // pictures in use cost nothing extra and stay findable.
    void SetBudget(size_t bytes);
    size_t Budget() const { return budget_; }
    // What the cache itself keeps: packed copies, and the pixels of pictures no screen holds where
    // packing did not pay.
    size_t KeptBytes() const;
    // How many kept pictures are packed now.
    size_t PackedCount() const;

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
    // A cached picture: its pixels while a screen may hold them, and a packed copy.
    struct Stored {
        Entry entry; // no pixels while no screen holds the picture: the packed copy stands in
        std::vector<uint8_t> packed;
        int width = 0, height = 0;
        size_t KeptBytes() const;
    };
    // The key of the file `path` names (letter case resolved); throws like Load.
    static Key KeyFor(const std::string& path);
    static Entry DecodeFile(const std::string& real);
    Entry Insert(const Key& key, const Entry& e);
    // Packs the pictures no screen holds, then drops the least recently used beyond the budget.
    void Trim();
    void Pack(Stored& s);
    // The pixels again; false when the packed bytes do not give them back.
    bool Unpack(Stored& s);

    mutable std::mutex mutex_;
    std::map<Key, Stored> entries_;
    std::list<Key> lru_; // front = most recent
    // Five full screens of pixels, many more packed (drawn pictures pack to a few percent, photographs
    // far less): a screen and the menu it came from stay at hand, and the peak memory stays low.
    size_t budget_ = 16u * 1024 * 1024;
    void* packer_ = nullptr;   // a ZSTD_CCtx, made on first use and kept
    void* unpacker_ = nullptr; // a ZSTD_DCtx, likewise
    uint64_t decodes_ = 0;
};

} // namespace parlora
