#include "display/PictureCache.h"

#include "core/Errors.h"
#include "core/PathResolver.h"
#include "display/PictureDecoder.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <thread>
#include <vector>

namespace parlora {

namespace fs = std::filesystem;

PictureCache& PictureCache::Instance() {
    static PictureCache cache;
    return cache;
}

PictureCache::Key PictureCache::KeyFor(const std::string& path) {
    std::string real = PathResolver::Resolve(path);
    std::error_code ec;
    if (!fs::is_regular_file(real, ec)) throw PBException("File not found");
    auto size = fs::file_size(real, ec);
    if (ec) throw PBException("Cannot read file: " + ec.message());
    auto mtime = fs::last_write_time(real, ec).time_since_epoch().count();
    return Key{real, int64_t(mtime), uint64_t(size)};
}

PictureCache::Entry PictureCache::DecodeFile(const std::string& real) {
    std::ifstream in(real, std::ios::binary);
    if (!in) throw PBException("Cannot open file");
    in.seekg(0, std::ios::end);
    auto length = in.tellg();
    in.seekg(0, std::ios::beg);
    if (length < 0) throw PBException("Cannot read file");
    // One read of the whole file: a byte-at-a-time stream copy cost as much as decoding.
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    bytes.resize(size_t(in.gcount()));
    DecodedPicture d = PictureDecoder::Decode(real, bytes.data(), bytes.size());
    return Entry{std::make_shared<const Surface>(std::move(d.pixels)), d.masked};
}

PictureCache::Entry PictureCache::Load(const std::string& path) {
    Key key = KeyFor(path);
    {
        std::lock_guard lock(mutex_);
        auto it = entries_.find(key);
        if (it != entries_.end()) {
            lru_.remove(key);
            lru_.push_front(key);
            Entry found = it->second;
            // The screen that just went may have let go of pictures: keep within the budget
            // even when every picture of the next one is found.
            Trim();
            return found;
        }
    }
    return Insert(key, DecodeFile(key.path));
}

PictureCache::Entry PictureCache::Insert(const Key& key, const Entry& e) {
    std::lock_guard lock(mutex_);
    ++decodes_;
    auto [it, inserted] = entries_.emplace(key, e);
    if (inserted) lru_.push_front(key);
    Entry result = it->second; // held while trimming, so the caller's picture stays
    Trim();
    return result;
}

PictureCache::Held PictureCache::Prefetch(const std::vector<std::string>& paths) {
    // Letter-case resolution keeps a shared listing cache: it stays on the calling thread.
    std::vector<Key> missing;
    {
        std::vector<Key> keys;
        for (const auto& p : paths)
            try {
                keys.push_back(KeyFor(p));
            } catch (const std::exception&) {
                // its Load says what is wrong
            }
        std::lock_guard lock(mutex_);
        for (auto& k : keys)
            if (!entries_.count(k) && std::find(missing.begin(), missing.end(), k) == missing.end())
                missing.push_back(std::move(k));
    }
    Held held;
    if (missing.size() < 2) return held; // nothing to share out
    std::vector<std::optional<Entry>> decoded(missing.size());
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i; (i = next.fetch_add(1)) < missing.size();)
            try {
                decoded[i] = DecodeFile(missing[i].path);
            } catch (const std::exception&) {
            }
    };
    unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    size_t helpers = std::min<size_t>({cores - 1, missing.size() - 1, 3});
    std::vector<std::thread> threads;
    for (size_t t = 0; t < helpers; ++t)
        threads.emplace_back(work);
    work();
    for (auto& t : threads)
        t.join();
    for (size_t i = 0; i < missing.size(); ++i)
        if (decoded[i]) held.push_back(Insert(missing[i], *decoded[i]).pixels);
    return held;
}

size_t PictureCache::UnusedBytes() const {
    std::lock_guard lock(mutex_);
    size_t unused = 0;
    for (const auto& [key, e] : entries_)
        if (e.pixels.use_count() == 1) unused += size_t(e.pixels->width()) * e.pixels->height() * 4;
    return unused;
}

void PictureCache::Trim() {
    // Only the cache's own copy counts: a picture a screen still shows costs nothing to keep.
    auto bytesOf = [](const Entry& e) { return size_t(e.pixels->width()) * e.pixels->height() * 4; };
    size_t unused = 0;
    for (const auto& [key, e] : entries_)
        if (e.pixels.use_count() == 1) unused += bytesOf(e);
    for (auto k = lru_.end(); unused > budget_ && k != lru_.begin();) {
        --k;
        auto it = entries_.find(*k);
        if (it == entries_.end()) {
            k = lru_.erase(k);
            continue;
        }
        if (it->second.pixels.use_count() != 1) continue;
        unused -= bytesOf(it->second);
        entries_.erase(it);
        k = lru_.erase(k);
    }
}

void PictureCache::Clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
    lru_.clear();
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
