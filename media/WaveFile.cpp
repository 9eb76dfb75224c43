#include "media/WaveFile.h"

#include "core/Errors.h"
#include "core/StringUtil.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>

namespace parlora::WaveFile {

namespace {

constexpr uint16_t kPcm = 1;
constexpr uint16_t kExtensible = 0xFFFE;

uint16_t Le16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}
uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t Be16(const uint8_t* p) {
    return uint16_t(p[0] << 8 | p[1]);
}
uint32_t Be32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

void PutLe16(std::vector<uint8_t>& v, uint16_t x) {
    v.insert(v.end(), {uint8_t(x), uint8_t(x >> 8)});
}
void PutLe32(std::vector<uint8_t>& v, uint32_t x) {
    v.insert(v.end(), {uint8_t(x), uint8_t(x >> 8), uint8_t(x >> 16), uint8_t(x >> 24)});
}
void PutBe16(std::vector<uint8_t>& v, uint16_t x) {
    v.insert(v.end(), {uint8_t(x >> 8), uint8_t(x)});
}
void PutBe32(std::vector<uint8_t>& v, uint32_t x) {
    v.insert(v.end(), {uint8_t(x >> 24), uint8_t(x >> 16), uint8_t(x >> 8), uint8_t(x)});
}
void PutId(std::vector<uint8_t>& v, const char* id) {
    for (int i = 0; i < 4; ++i)
        v.push_back(uint8_t(id[i]));
}

bool IdIs(const uint8_t* p, const char* id) {
    return std::memcmp(p, id, 4) == 0;
}

struct Chunk {
    const char* id;
    size_t body;     // offset of the body in the image
    uint32_t length; // body size
};

// Walks the chunks after the 12-byte container header. The container's own size bounds the walk
// but a short file ends it too; a chunk whose body reaches past the bytes read is refused.
template <typename ReadSize, typename OnChunk>
bool WalkChunks(const std::vector<uint8_t>& image, uint32_t containerSize, ReadSize readSize,
                OnChunk onChunk) {
    int64_t remaining = int64_t((uint64_t(containerSize) + 1) & ~uint64_t(1)) - 4;
    size_t pos = 12;
    while (remaining > 8 && pos + 8 <= image.size()) {
        uint32_t length = readSize(&image[pos + 4]);
        if (uint64_t(length) > image.size() - pos - 8) return false;
        if (!onChunk(&image[pos], pos + 8, length)) return false;
        uint64_t step = ((uint64_t(length) + 1) & ~uint64_t(1)) + 8;
        pos += step;
        remaining -= int64_t(step);
    }
    return true;
}

} // namespace

WaveData ParseWav(std::vector<uint8_t> image, const std::string& name) {
    auto refuse = [&] { return RWException(Format("File %s not recognised as WAV", name.c_str())); };
    if (image.size() < 12 || !IdIs(&image[0], "RIFF") || !IdIs(&image[8], "WAVE")) throw refuse();
    WaveData w;
    bool haveFormat = false, haveData = false;
    bool walked =
        WalkChunks(image, Le32(&image[4]), Le32, [&](const uint8_t* id, size_t body, uint32_t length) {
            const uint8_t* b = &image[body];
            if (IdIs(id, "fmt ")) {
                if (length < 16) return false;
                TWaveFormat& f = w.Format;
                f.FormatTag = Le16(b);
                f.Channels = Le16(b + 2);
                f.SamplesPerSec = Le32(b + 4);
                f.AvgBytesPerSec = Le32(b + 8);
                f.BlockAlign = Le16(b + 12);
                f.BitsPerSample = Le16(b + 14);
                // A plain PCM format is 16 bytes: the extra size would be the next chunk's name.
                f.ExtraSize = length >= 18 ? Le16(b + 16) : 0;
                haveFormat = true;
            } else if (IdIs(id, "data")) {
                w.DataOffset = body;
                w.DataLength = length;
                haveData = true;
            }
            return true;
        });
    // Without a usable format every length computed later would divide by zero.
    if (!walked || !haveData || !haveFormat || w.Format.Channels == 0 || w.Format.SamplesPerSec == 0 ||
        w.Format.BlockAlign == 0)
        throw refuse();
    w.Image = std::move(image);
    return w;
}

bool ExtendedToRate(const uint8_t* p, uint32_t& rate) {
    uint16_t signExp = Be16(p);
    uint32_t hi = Be32(p + 2);
    int exponent = signExp & 0x7FFF;
    if (hi == 0 || (signExp & 0x8000)) return false;
    while (!(hi & 0x80000000u)) {
        hi <<= 1;
        --exponent;
    }
    int biased = exponent - 16383 + 127;
    if (biased <= 0 || biased >= 255) return false;
    uint32_t bits = uint32_t(biased) << 23 | ((hi >> 8) & 0x7FFFFF);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    if (!(f >= 1.0f) || f >= 2147483648.0f) return false;
    rate = uint32_t(f);
    return true;
}

WaveData ParseAiff(std::vector<uint8_t> image, const std::string& name) {
    auto refuse = [&] { return RWException(Format("File %s not recognised as AIF", name.c_str())); };
    if (image.size() < 12 || !IdIs(&image[0], "FORM") || !IdIs(&image[8], "AIFF")) throw refuse();
    WaveData w;
    bool haveFormat = false, haveData = false;
    bool walked =
        WalkChunks(image, Be32(&image[4]), Be32, [&](const uint8_t* id, size_t body, uint32_t length) {
            uint8_t* b = &image[body];
            if (IdIs(id, "COMM")) {
                // A second COMM after the sound data would change the sizes it was checked and
                // converted with.
                if (length < 18 || haveData) return false;
                uint16_t channels = Be16(b), bits = Be16(b + 6);
                uint32_t frames = Be32(b + 2), rate = 0;
                if (channels == 0 || (bits != 8 && bits != 16) || !ExtendedToRate(b + 8, rate)) return false;
                TWaveFormat& f = w.Format;
                f.FormatTag = kPcm;
                f.Channels = channels;
                f.BitsPerSample = bits;
                f.SamplesPerSec = rate;
                f.BlockAlign = uint16_t(channels * bits / 8);
                f.AvgBytesPerSec = uint32_t(uint64_t(f.BlockAlign) * rate);
                f.ExtraSize = 0;
                uint64_t bytes = uint64_t(frames) * f.BlockAlign;
                if (bytes > UINT32_MAX) return false;
                w.DataLength = uint32_t(bytes);
                haveFormat = true;
            } else if (IdIs(id, "SSND")) {
                // The conversion needs COMM's sizes, and the frames it counts must all be here.
                if (!haveFormat || length < 8 || Be32(b) != 0 || Be32(b + 4) != 0) return false;
                if (w.DataLength > length - 8) return false;
                w.DataOffset = body + 8;
                uint8_t* d = &image[w.DataOffset];
                if (w.Format.BitsPerSample == 16) {
                    for (uint32_t i = 0; i + 1 < w.DataLength; i += 2)
                        std::swap(d[i], d[i + 1]);
                } else {
                    for (uint32_t i = 0; i < w.DataLength; ++i)
                        d[i] = uint8_t(d[i] - 128);
                }
                haveData = true;
            } else if (IdIs(id, "MARK")) {
                if (length < 2) return false;
                uint16_t count = Be16(b);
                uint32_t at = 2;
                for (uint16_t i = 0; i < count; ++i) {
                    if (at + 7 > length) return false;
                    uint8_t nameLength = b[at + 6];
                    if (at + 7 + nameLength > length) return false;
                    TSoundMarker m;
                    m.Id = Be16(b + at);
                    m.Position = Be32(b + at + 2);
                    m.Name.assign(reinterpret_cast<const char*>(b + at + 7), nameLength);
                    w.Markers.push_back(std::move(m));
                    at += (uint32_t(nameLength) + 7 + 1) & ~1u;
                }
            }
            return true;
        });
    if (!walked || !haveData) throw refuse();
    w.Image = std::move(image);
    return w;
}

WaveData Parse(std::vector<uint8_t> image, const std::string& name) {
    std::string ext = std::filesystem::path(name).extension().string();
    if (IEquals(ext, ".wav")) return ParseWav(std::move(image), name);
    if (IEquals(ext, ".aif")) return ParseAiff(std::move(image), name);
    throw RWException(Format("Extension %s not supported", ext.c_str()));
}

WaveData Load(const std::filesystem::path& path) {
    std::string name = path.string();
    std::ifstream in(path, std::ios::binary);
    std::error_code ec;
    if (!in || std::filesystem::is_directory(path, ec))
        throw RWException(Format("Cannot open file \"%s\". %s", name.c_str(),
                                 std::generic_category().message(errno ? errno : ENOENT).c_str()));
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0) throw RWException(Format("Couldn't read file %s", name.c_str()));
    std::vector<uint8_t> image(static_cast<size_t>(size));
    if (!in.read(reinterpret_cast<char*>(image.data()), size))
        throw RWException(Format("Couldn't read file %s", name.c_str()));
    return Parse(std::move(image), name);
}

std::shared_ptr<const std::vector<int16_t>> ToPcm16(const TWaveFormat& f, const uint8_t* data,
                                                    uint32_t length) {
    unsigned bytesPer = (f.BitsPerSample + 7u) / 8u;
    bool pcm = f.FormatTag == kPcm || f.FormatTag == kExtensible;
    bool sizeOk =
        f.BitsPerSample == 8 || f.BitsPerSample == 16 || f.BitsPerSample == 24 || f.BitsPerSample == 32;
    if (!pcm || !sizeOk || f.Channels == 0 || f.SamplesPerSec == 0 || f.BlockAlign < f.Channels * bytesPer)
        throw RWException("Sound open failed - unsupported wave format");
    size_t frames = length / f.BlockAlign;
    auto out = std::make_shared<std::vector<int16_t>>();
    out->reserve(frames * f.Channels);
    for (size_t i = 0; i < frames; ++i) {
        const uint8_t* frame = data + i * f.BlockAlign;
        for (unsigned c = 0; c < f.Channels; ++c) {
            const uint8_t* s = frame + c * bytesPer;
            // Wider samples keep their top 16 bits, which are the last two little-endian bytes.
            if (bytesPer == 1)
                out->push_back(int16_t((int(s[0]) - 128) * 256));
            else
                out->push_back(int16_t(Le16(s + bytesPer - 2)));
        }
    }
    return out;
}

std::vector<uint8_t> BuildWav(const TWaveFormat& f, const uint8_t* data, uint32_t length) {
    std::vector<uint8_t> v;
    v.reserve(46 + length);
    PutId(v, "RIFF");
    PutLe32(v, length + 38);
    PutId(v, "WAVE");
    PutId(v, "fmt ");
    PutLe32(v, 18);
    PutLe16(v, f.FormatTag);
    PutLe16(v, f.Channels);
    PutLe32(v, f.SamplesPerSec);
    PutLe32(v, f.AvgBytesPerSec);
    PutLe16(v, f.BlockAlign);
    PutLe16(v, f.BitsPerSample);
    PutLe16(v, f.ExtraSize);
    PutId(v, "data");
    PutLe32(v, length);
    v.insert(v.end(), data, data + length);
    return v;
}

std::vector<uint8_t> BuildAiff(const TWaveFormat& f, const uint8_t* data, uint32_t length,
                               const std::vector<TSoundMarker>& markers) {
    if (f.SamplesPerSec != 22050)
        throw RWException(Format("Can't save %d samples-per-sec as AIF", int(f.SamplesPerSec)));
    std::vector<uint8_t> mark;
    if (!markers.empty()) {
        constexpr size_t kMaxMark = 4096;
        std::vector<uint8_t> body;
        uint16_t count = 0;
        for (const auto& m : markers) {
            size_t nameLength = std::min<size_t>(m.Name.size(), 255);
            size_t entry = (nameLength + 7 + 1) & ~size_t(1);
            // Markers that would not fit are left out rather than overrunning the chunk.
            if (8 + 2 + body.size() + entry > kMaxMark) break;
            PutBe16(body, m.Id);
            PutBe32(body, m.Position);
            body.push_back(uint8_t(nameLength));
            body.insert(body.end(), m.Name.begin(), m.Name.begin() + long(nameLength));
            if ((nameLength + 7) & 1) body.push_back(0);
            ++count;
        }
        PutId(mark, "MARK");
        PutBe32(mark, uint32_t(body.size() + 2));
        PutBe16(mark, count);
        mark.insert(mark.end(), body.begin(), body.end());
    }
    std::vector<uint8_t> v;
    v.reserve(54 + mark.size() + length);
    PutId(v, "FORM");
    PutBe32(v, uint32_t(length + mark.size() + 46));
    PutId(v, "AIFF");
    PutId(v, "COMM");
    PutBe32(v, 18);
    PutBe16(v, f.Channels);
    PutBe32(v, f.BlockAlign ? length / f.BlockAlign : 0);
    PutBe16(v, f.BitsPerSample);
    v.insert(v.end(), {0x40, 0x0D, 0xAC, 0x44, 0, 0, 0, 0, 0, 0});
    v.insert(v.end(), mark.begin(), mark.end());
    PutId(v, "SSND");
    PutBe32(v, length + 8);
    PutBe32(v, 0);
    PutBe32(v, 0);
    size_t start = v.size();
    v.insert(v.end(), data, data + length);
    uint8_t* d = v.data() + start;
    if (f.BitsPerSample == 16) {
        for (uint32_t i = 0; i + 1 < length; i += 2)
            std::swap(d[i], d[i + 1]);
    } else if (f.BitsPerSample == 8) {
        for (uint32_t i = 0; i < length; ++i)
            d[i] = uint8_t(d[i] - 128);
    }
    return v;
}

} // namespace parlora::WaveFile
