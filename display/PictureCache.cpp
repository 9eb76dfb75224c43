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

#include <zstd.h>

namespace parlora {

namespace fs = std::filesystem;

PictureCache& PictureCache::Instance() {
    static PictureCache cache;
    return cache;
}

PictureCache::~PictureCache() {
    ZSTD_freeCCtx(static_cast<ZSTD_CCtx*>(packer_));
    ZSTD_freeDCtx(static_cast<ZSTD_DCtx*>(unpacker_));
}

namespace {

// Fast enough that packing a whole screen's pictures costs well under a millisecond each on drawn
// pictures, and unpacking one is several times quicker than decoding its file again.
constexpr int kPackLevel = -3;
// Small pieces stay as they are: packing them would save little and cost a call each.
constexpr size_t kMinPackBytes = 16 * 1024;

size_t PixelBytes(int width, int height) {
    return size_t(width) * size_t(height) * sizeof(uint32_t);
}

} // namespace

size_t PictureCache::Stored::KeptBytes() const {
    // The packed copy stays beside the pixels of a picture in use: leaving the screen again then
    // costs nothing. Pixels count only when no screen holds them.
    const bool unused = !entry.pixels || entry.pixels.use_count() == 1;
    return packed.size() + (entry.pixels && unused ? PixelBytes(width, height) : 0);
}

void PictureCache::Pack(Stored& s) {
    const Surface& pixels = *s.entry.pixels;
    const size_t raw = PixelBytes(pixels.width(), pixels.height());
    if (raw < kMinPackBytes) return;
    if (!packer_) packer_ = ZSTD_createCCtx();
    auto* cctx = static_cast<ZSTD_CCtx*>(packer_);
    // Packed into scratch space of the worst case (left uninitialised), then copied at its size.
    const size_t bound = ZSTD_compressBound(raw);
    std::unique_ptr<uint8_t[]> scratch(new uint8_t[bound]);
    size_t n =
        cctx ? ZSTD_compressCCtx(cctx, scratch.get(), bound, pixels.data(), raw, kPackLevel) : size_t(-1);
    // A picture that does not pack to less than its pixels is kept as it is.
    if (ZSTD_isError(n) || n >= raw) return;
    s.packed.assign(scratch.get(), scratch.get() + n);
}

namespace {

// The pixels of `packed`, a picture of width x height; null when the bytes do not give them back.
// With no context (a helper thread of a prefetch) zstd makes its own.
std::shared_ptr<const Surface> UnpackPixels(const std::vector<uint8_t>& packed, int width, int height,
                                            ZSTD_DCtx* dctx) {
    auto pixels = std::make_shared<Surface>();
    pixels->resizeForOverwrite(width, height);
    const size_t raw = PixelBytes(width, height);
    const size_t n = dctx ? ZSTD_decompressDCtx(dctx, pixels->data(), raw, packed.data(), packed.size())
                          : ZSTD_decompress(pixels->data(), raw, packed.data(), packed.size());
    if (ZSTD_isError(n) || n != raw) return nullptr;
    return pixels;
}

} // namespace

bool PictureCache::Unpack(Stored& s) {
    if (!unpacker_) unpacker_ = ZSTD_createDCtx();
    auto* dctx = static_cast<ZSTD_DCtx*>(unpacker_);
    if (!dctx) return false;
    s.entry.pixels = UnpackPixels(s.packed, s.width, s.height, dctx);
    return s.entry.pixels != nullptr;
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
        if (it != entries_.end() && (it->second.entry.pixels || Unpack(it->second))) {
            lru_.remove(key);
            lru_.push_front(key);
            Entry found = it->second.entry;
            // The screen that just went may have let go of pictures: keep within the budget
            // even when every picture of the next one is found.
            Trim();
            return found;
        }
        if (it != entries_.end()) {
            // Packed bytes that do not unpack: the file is decoded again.
            entries_.erase(it);
            lru_.remove(key);
        }
    }
    return Insert(key, DecodeFile(key.path));
}

PictureCache::Entry PictureCache::Insert(const Key& key, const Entry& e) {
    std::lock_guard lock(mutex_);
    ++decodes_;
    Stored stored{e, {}, e.pixels->width(), e.pixels->height()};
    auto [it, inserted] = entries_.emplace(key, std::move(stored));
    if (inserted) lru_.push_front(key);
    // Decoded twice (a prefetch beside a load): screens keep sharing the pixels already out.
    if (!inserted && !it->second.entry.pixels)
        it->second = Stored{e, {}, e.pixels->width(), e.pixels->height()};
    Entry result = it->second.entry; // held while trimming, so the caller's picture stays
    Trim();
    return result;
}

PictureCache::Held PictureCache::Prefetch(const std::vector<std::string>& paths) {
    // Letter-case resolution keeps a shared listing cache: it stays on the calling thread.
    // Each job is a file to decode or packed bytes (copied, so no lock is held) to unpack.
    struct Job {
        Key key;
        std::vector<uint8_t> packed;
        int width = 0, height = 0;
        std::shared_ptr<const Surface> pixels;
        bool masked = false;
    };
    std::vector<Job> jobs;
    {
        std::vector<Key> keys;
        for (const auto& p : paths)
            try {
                keys.push_back(KeyFor(p));
            } catch (const std::exception&) {
                // its Load says what is wrong
            }
        std::lock_guard lock(mutex_);
        // The screen that just went let go of its pictures: packed first, they make room for these.
        Trim();
        for (auto& k : keys) {
            if (std::any_of(jobs.begin(), jobs.end(), [&](const Job& j) { return j.key == k; })) continue;
            auto it = entries_.find(k);
            if (it == entries_.end())
                jobs.push_back({std::move(k)});
            else if (!it->second.entry.pixels)
                jobs.push_back({std::move(k), it->second.packed, it->second.width, it->second.height});
        }
    }
    Held held;
    if (jobs.size() < 2) return held; // nothing to share out
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i; (i = next.fetch_add(1)) < jobs.size();) {
            Job& j = jobs[i];
            try {
                if (j.packed.empty()) {
                    Entry e = DecodeFile(j.key.path);
                    j.pixels = std::move(e.pixels);
                    j.masked = e.masked;
                    continue;
                }
                j.pixels = UnpackPixels(j.packed, j.width, j.height, nullptr);
            } catch (const std::exception&) {
            }
        }
    };
    unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    size_t helpers = std::min<size_t>({cores - 1, jobs.size() - 1, 3});
    std::vector<std::thread> threads;
    for (size_t t = 0; t < helpers; ++t)
        threads.emplace_back(work);
    work();
    for (auto& t : threads)
        t.join();
    for (Job& j : jobs) {
        if (!j.pixels) continue;
        if (j.packed.empty()) {
            held.push_back(Insert(j.key, Entry{j.pixels, j.masked}).pixels);
            continue;
        }
        std::lock_guard lock(mutex_);
        auto it = entries_.find(j.key);
        if (it == entries_.end()) continue;
        if (!it->second.entry.pixels) it->second.entry.pixels = j.pixels;
        held.push_back(it->second.entry.pixels);
    }
    return held;
}

size_t PictureCache::KeptBytes() const {
    std::lock_guard lock(mutex_);
    size_t kept = 0;
    for (const auto& [key, s] : entries_)
        kept += s.KeptBytes();
    return kept;
}

size_t PictureCache::PackedCount() const {
    std::lock_guard lock(mutex_);
    return size_t(std::count_if(entries_.begin(), entries_.end(),
                                [](const auto& e) { return !e.second.entry.pixels; }));
}

void PictureCache::Trim() {
    // A picture no screen holds keeps only its packed copy (made now if it has none). Pixels a
    // screen still shows cost nothing to keep.
    size_t kept = 0;
    for (auto& [key, s] : entries_) {
        if (s.entry.pixels && s.entry.pixels.use_count() == 1) {
            if (s.packed.empty()) Pack(s);
            if (!s.packed.empty()) s.entry.pixels.reset();
        }
        kept += s.KeptBytes();
    }
    // Over the budget, the least recently used go first: pictures no screen holds, and the packed
    // copies of those in use (packed again when they are let go).
    for (auto k = lru_.end(); kept > budget_ && k != lru_.begin();) {
        --k;
        auto it = entries_.find(*k);
        if (it == entries_.end()) {
            k = lru_.erase(k);
            continue;
        }
        Stored& s = it->second;
        if (s.entry.pixels && s.entry.pixels.use_count() > 1) {
            kept -= s.packed.size();
            s.packed = {};
            continue;
        }
        kept -= s.KeptBytes();
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
