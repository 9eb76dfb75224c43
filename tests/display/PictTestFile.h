#pragma once
// PICT files built byte by byte for the decoder's tests, so each field can be set to what a test needs.
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace parlora::test {

struct PictPixMap {
    uint16_t rowBytes = 0; // without the flag bits
    bool pixMapFlag = true;
    int16_t top = 0, left = 0, bottom = 0, right = 0;
    uint16_t packType = 0, pixelSize = 8, cmpCount = 1, cmpSize = 8;
};

class PictFile {
  public:
    // The 512-byte header, picture size and frame, then VersionOp and HeaderOp as every v2 file starts.
    explicit PictFile(bool withVersion = true) : bytes_(512, 0) {
        U16(0);
        U16(0), U16(0), U16(0), U16(0);
        if (!withVersion) return;
        U16(0x0011), U16(0x02FF);
        U16(0x0C00), U16(0xFFFE), U16(0);
        for (int i = 0; i < 20; ++i)
            U8(0);
    }

    PictFile& U8(uint8_t v) {
        bytes_.push_back(v);
        return *this;
    }
    PictFile& U16(uint16_t v) { return U8(uint8_t(v >> 8)).U8(uint8_t(v)); }
    PictFile& U32(uint32_t v) { return U16(uint16_t(v >> 16)).U16(uint16_t(v)); }
    PictFile& Bytes(std::initializer_list<uint8_t> v) {
        bytes_.insert(bytes_.end(), v.begin(), v.end());
        return *this;
    }
    PictFile& Bytes(const std::vector<uint8_t>& v) {
        bytes_.insert(bytes_.end(), v.begin(), v.end());
        return *this;
    }
    PictFile& Pad() {
        if (bytes_.size() & 1) U8(0);
        return *this;
    }

    PictFile& PixMap(const PictPixMap& pm) {
        U16(uint16_t((pm.pixMapFlag ? 0x8000 : 0) | pm.rowBytes));
        U16(uint16_t(pm.top)), U16(uint16_t(pm.left)), U16(uint16_t(pm.bottom)), U16(uint16_t(pm.right));
        U16(0), U16(pm.packType), U32(0), U32(0x00480000), U32(0x00480000);
        U16(pm.pixelSize > 8 ? 16 : 0), U16(pm.pixelSize), U16(pm.cmpCount), U16(pm.cmpSize);
        return U32(0).U32(0).U32(0);
    }
    // Entries as 0xRRGGBB, each component written as a 16-bit value with the byte repeated.
    PictFile& ColourTable(const std::vector<uint32_t>& rgb, uint16_t flags = 0,
                          const std::vector<uint16_t>& values = {}) {
        U32(0), U16(flags), U16(uint16_t(rgb.size() - 1));
        for (size_t i = 0; i < rgb.size(); ++i) {
            U16(values.empty() ? uint16_t(i) : values[i]);
            for (int shift : {16, 8, 0}) {
                uint8_t c = uint8_t(rgb[i] >> shift);
                U16(uint16_t(c << 8 | c));
            }
        }
        return *this;
    }
    PictFile& Rects(const PictPixMap& pm, uint16_t mode = 0) {
        for (int i = 0; i < 2; ++i)
            U16(uint16_t(pm.top)), U16(uint16_t(pm.left)), U16(uint16_t(pm.bottom)), U16(uint16_t(pm.right));
        return U16(mode);
    }
    // One packed row: its count (two bytes when the row bytes pass 250), then the PackBits data.
    PictFile& Row(const PictPixMap& pm, const std::vector<uint8_t>& packed) {
        if (pm.rowBytes > 250)
            U16(uint16_t(packed.size()));
        else
            U8(uint8_t(packed.size()));
        return Bytes(packed);
    }
    PictFile& End() { return Pad().U16(0x00FF); }

    const std::vector<uint8_t>& bytes() const { return bytes_; }
    size_t size() const { return bytes_.size(); }

  private:
    std::vector<uint8_t> bytes_;
};

// PackBits as literal runs only, or with repeats of `item`-byte items where at least three repeat.
inline std::vector<uint8_t> PackBits(const std::vector<uint8_t>& raw, size_t item = 1) {
    std::vector<uint8_t> out;
    size_t n = raw.size() / item, i = 0;
    auto same = [&](size_t a, size_t b) {
        for (size_t k = 0; k < item; ++k)
            if (raw[a * item + k] != raw[b * item + k]) return false;
        return true;
    };
    while (i < n) {
        size_t run = 1;
        while (i + run < n && run < 128 && same(i, i + run))
            ++run;
        if (run >= 3) {
            out.push_back(uint8_t(int8_t(1 - int(run))));
            out.insert(out.end(), raw.begin() + i * item, raw.begin() + (i + 1) * item);
            i += run;
            continue;
        }
        size_t start = i, len = 0;
        while (i < n && len < 128) {
            size_t r = 1;
            while (i + r < n && r < 3 && same(i, i + r))
                ++r;
            if (r >= 3) break;
            ++i, ++len;
        }
        out.push_back(uint8_t(len - 1));
        out.insert(out.end(), raw.begin() + start * item, raw.begin() + i * item);
    }
    return out;
}

} // namespace parlora::test
