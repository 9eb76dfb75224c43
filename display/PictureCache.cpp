#include "display/PictureCache.h"

#include "core/Errors.h"
#include "core/PathResolver.h"
#include "display/PictureDecoder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace parlora {

namespace fs = std::filesystem;

PictureCache& PictureCache::Instance() {
    static PictureCache cache;
    return cache;
}

PictureCache::Entry PictureCache::Load(const std::string& path) {
    std::string real = PathResolver::Resolve(path);
    std::error_code ec;
    if (!fs::is_regular_file(real, ec)) throw PBException("File not found");
    auto size = fs::file_size(real, ec);
    if (ec) throw PBException("Cannot read file: " + ec.message());
    auto mtime = fs::last_write_time(real, ec).time_since_epoch().count();
    Key key{real, int64_t(mtime), uint64_t(size)};
    {
        std::lock_guard lock(mutex_);
        auto it = entries_.find(key);
        if (it != entries_.end()) {
            lru_.remove(key);
            lru_.push_front(key);
            return it->second;
        }
    }
    std::ifstream in(real, std::ios::binary);
    if (!in) throw PBException("Cannot open file");
    // One read of the whole file: a byte-at-a-time stream copy cost as much as decoding.
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    bytes.resize(size_t(in.gcount()));
    DecodedPicture d = PictureDecoder::Decode(real, bytes.data(), bytes.size());
    Entry e{std::make_shared<const Surface>(std::move(d.pixels)), d.masked};
    std::lock_guard lock(mutex_);
    ++decodes_;
    auto [it, inserted] = entries_.emplace(key, e);
    if (inserted) {
        lru_.push_front(key);
        bytes_ += size_t(e.pixels->width()) * e.pixels->height() * 4;
        Trim();
    }
    return it->second;
}

void PictureCache::Trim() {
    while (bytes_ > budget_ && !lru_.empty()) {
        Key k = lru_.back();
        lru_.pop_back();
        auto it = entries_.find(k);
        if (it == entries_.end()) continue;
        bytes_ -= size_t(it->second.pixels->width()) * it->second.pixels->height() * 4;
        entries_.erase(it);
    }
}

void PictureCache::Clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
    lru_.clear();
    bytes_ = 0;
}

size_t PictureCache::Count() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

void PictureCache::SetBudget(size_t bytes) {
    std::lock_guard lock(mutex_);
    budget_ = bytes;
    Trim();
}

} // namespace parlora
