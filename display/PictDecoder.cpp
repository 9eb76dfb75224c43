#include "display/PictDecoder.h"

#include "core/Errors.h"
#include "core/StringUtil.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace parlora {

namespace {

constexpr size_t kHeaderSize = 512;
constexpr size_t kFirstOpcode = kHeaderSize + 2 + 8; // after the picture size and frame
constexpr const char* kTruncated = "Couldn't read PICT data";

enum class Action {
    Skip,        // fixed number of bytes of drawing state we do not need
    SkipRegion,  // a region: its first word is its size, the word included
    LongComment, // kind, size, then size bytes
    Version,
    RgbForeground,
    RgbBackground,
    PackBitsRect,
    DirectBitsRect,
    DirectBitsRgn,
    End,
    NonBitmap, // drawing we will not imitate
    Refuse,    // known, but not something we decode
};

struct Opcode {
    uint16_t code;
    const char* name;
    Action action;
    uint16_t length; // for Action::Skip
};

// Sorted by code. State opcodes are skipped so that pictures saved by drawing programs still load;
// anything that draws, except the pixel images, is refused rather than silently left out.
constexpr Opcode kOpcodes[] = {
    {0x0000, "NOP", Action::Skip, 0},
    {0x0001, "Clip", Action::SkipRegion, 0},
    {0x0002, "BkPat", Action::Skip, 8},
    {0x0003, "TxFont", Action::Skip, 2},
    {0x0004, "TxFace", Action::Skip, 1},
    {0x0005, "TxMode", Action::Skip, 2},
    {0x0006, "SpExtra", Action::Skip, 4},
    {0x0007, "PnSize", Action::Skip, 4},
    {0x0008, "PnMode", Action::Skip, 2},
    {0x0009, "PnPat", Action::Skip, 8},
    {0x000A, "FillPat", Action::Skip, 8},
    {0x000B, "OvSize", Action::Skip, 4},
    {0x000C, "Origin", Action::Skip, 4},
    {0x000D, "TxSize", Action::Skip, 2},
    {0x000E, "FgColor", Action::Skip, 4},
    {0x000F, "BkColor", Action::Skip, 4},
    {0x0010, "TxRatio", Action::Skip, 8},
    {0x0011, "VersionOp", Action::Version, 0},
    {0x0015, "PnLocHFrac", Action::Skip, 2},
    {0x0016, "ChExtra", Action::Skip, 2},
    {0x001A, "RGBFgCol", Action::RgbForeground, 0},
    {0x001B, "RGBBkCol", Action::RgbBackground, 0},
    {0x001C, "HiliteMode", Action::Skip, 0},
    {0x001D, "HiliteColor", Action::Skip, 6},
    {0x001E, "DefHilite", Action::Skip, 0},
    {0x001F, "OpColor", Action::Skip, 6},
    {0x0020, "Line", Action::Refuse, 0},
    {0x0021, "LineFrom", Action::Refuse, 0},
    {0x0022, "ShortLine", Action::Refuse, 0},
    {0x0023, "ShortLineFrom", Action::Refuse, 0},
    {0x0028, "LongText", Action::Refuse, 0},
    {0x0029, "DHText", Action::Refuse, 0},
    {0x002A, "DVText", Action::Refuse, 0},
    {0x002B, "DHDVText", Action::Refuse, 0},
    {0x002C, "FontName", Action::Refuse, 0},
    {0x0030, "FrameRect", Action::Refuse, 0},
    {0x0031, "PaintRect", Action::Refuse, 0},
    {0x0032, "EraseRect", Action::NonBitmap, 0},
    {0x0033, "InvertRect", Action::Refuse, 0},
    {0x0034, "FillRect", Action::Refuse, 0},
    {0x0040, "FrameRRect", Action::Refuse, 0},
    {0x0041, "PaintRRect", Action::Refuse, 0},
    {0x0050, "FrameOval", Action::Refuse, 0},
    {0x0051, "PaintOval", Action::Refuse, 0},
    {0x0060, "FrameArc", Action::Refuse, 0},
    {0x0061, "PaintArc", Action::Refuse, 0},
    {0x0070, "FramePoly", Action::Refuse, 0},
    {0x0071, "PaintPoly", Action::Refuse, 0},
    {0x0080, "FrameRgn", Action::Refuse, 0},
    {0x0081, "PaintRgn", Action::Refuse, 0},
    {0x0090, "BitsRect", Action::Refuse, 0},
    {0x0091, "BitsRgn", Action::Refuse, 0},
    {0x0098, "PackBitsRect", Action::PackBitsRect, 0},
    {0x0099, "PackBitsRgn", Action::Refuse, 0},
    {0x009A, "DirectBitsRect", Action::DirectBitsRect, 0},
    {0x009B, "DirectBitsRgn", Action::DirectBitsRgn, 0},
    {0x00A0, "ShortComment", Action::Skip, 2},
    {0x00A1, "LongComment", Action::LongComment, 0},
    {0x00FF, "OpEndPic", Action::End, 0},
    {0x0C00, "HeaderOp", Action::Skip, 24},
    {0x8200, "CompressedQuickTime", Action::Refuse, 0},
    {0x8201, "UncompressedQuickTime", Action::Refuse, 0},
};

const Opcode* FindOpcode(uint16_t code) {
    auto it = std::lower_bound(std::begin(kOpcodes), std::end(kOpcodes), code,
                               [](const Opcode& o, uint16_t c) { return o.code < c; });
    return it != std::end(kOpcodes) && it->code == code ? &*it : nullptr;
}

// Big-endian reads that never pass the end of the buffer.
class Reader {
  public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    size_t pos() const { return pos_; }
    size_t left() const { return size_ - pos_; }
    void need(size_t n) const {
        if (n > left()) throw PBException(kTruncated);
    }
    const uint8_t* take(size_t n) {
        need(n);
        const uint8_t* p = data_ + pos_;
        pos_ += n;
        return p;
    }
    void skip(size_t n) { take(n); }
    uint8_t peek() const { return pos_ < size_ ? data_[pos_] : 0; }
    uint8_t u8() { return *take(1); }
    uint16_t u16() {
        const uint8_t* p = take(2);
        return uint16_t((p[0] << 8) | p[1]);
    }
    int16_t s16() { return int16_t(u16()); }
    uint32_t u32() {
        uint32_t hi = u16();
        return (hi << 16) | u16();
    }
    // Version 2 opcodes start on even offsets; odd-sized data is followed by a pad byte.
    void align() { pos_ = std::min(size_, pos_ + (pos_ & 1)); }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

struct PixMap {
    uint16_t rowBytesFlags = 0;
    int16_t top = 0, left = 0, bottom = 0, right = 0;
    uint16_t version = 0, packType = 0;
    uint32_t packSize = 0, hRes = 0, vRes = 0;
    uint16_t pixelType = 0, pixelSize = 0, cmpCount = 0, cmpSize = 0;
    uint32_t planeBytes = 0, table = 0, reserved = 0;

    int width() const { return int(right) - int(left); }
    int height() const { return int(bottom) - int(top); }
    size_t rowBytes() const { return rowBytesFlags & 0x3FFF; }
};

PixMap ReadPixMap(Reader& in) {
    PixMap pm;
    pm.rowBytesFlags = in.u16();
    // An old-style BitMap is shorter; say what it is before reading past it.
    if (!(pm.rowBytesFlags & 0x8000)) throw PBException("PICT got BitMap not PixMap");
    pm.top = in.s16(), pm.left = in.s16(), pm.bottom = in.s16(), pm.right = in.s16();
    pm.version = in.u16(), pm.packType = in.u16();
    pm.packSize = in.u32(), pm.hRes = in.u32(), pm.vRes = in.u32();
    pm.pixelType = in.u16(), pm.pixelSize = in.u16(), pm.cmpCount = in.u16(), pm.cmpSize = in.u16();
    pm.planeBytes = in.u32(), pm.table = in.u32(), pm.reserved = in.u32();
    return pm;
}

void SkipRegion(Reader& in) {
    uint16_t size = in.u16();
    // The smallest region is its size word and bounding box.
    if (size < 10) throw PBException(Format("Bad PICT region size %d", int(size)));
    in.skip(size - 2u);
}

// 256 entries, black where the table says nothing; pixel values index it directly.
std::vector<uint32_t> ReadColourTable(Reader& in) {
    in.skip(4); // seed
    uint16_t flags = in.u16();
    uint32_t entries = uint32_t(in.u16()) + 1;
    if (entries > 256) throw PBException(Format("Bad PICT palette (%u entries)", entries));
    in.need(size_t(entries) * 8);
    std::vector<uint32_t> palette(256, 0xFF000000u);
    // A device table lists colours in pixel-value order; any other table says each entry's value.
    bool device = (flags & 0x8000) != 0;
    for (uint32_t i = 0; i < entries; ++i) {
        uint16_t value = in.u16();
        uint8_t r = uint8_t(in.u16() >> 8), g = uint8_t(in.u16() >> 8), b = uint8_t(in.u16() >> 8);
        uint32_t index = device ? i : value;
        if (index < palette.size()) palette[index] = ArgbFromRgb(r, g, b);
    }
    return palette;
}

void CheckFormat(const PixMap& pm, bool hasTable) {
    int bits = pm.pixelSize;
    auto cannotDecode = [&](const char* fmt) {
        if (bits <= 8)
            throw PBException(Format(fmt, bits, int(pm.packType), int(pm.cmpCount), int(pm.cmpSize)));
        throw PBException(Format(fmt, int(pm.packType), int(pm.cmpCount), int(pm.cmpSize)));
    };
    switch (bits) {
    case 1:
    case 4:
    case 8:
        if (!hasTable) throw PBException(Format("Can't handle %d-bit PICT with no palette", bits));
        if (pm.packType != 0 || pm.cmpCount != 1 || pm.cmpSize != bits)
            cannotDecode("Can't decode %d-bit PICT with PackType %d, CmpCount %d, CmpSize %d");
        break;
    case 16:
        if (hasTable) throw PBException("Can't handle 16-bit PICT with palette");
        if (pm.packType != 3 || pm.cmpCount != 3 || pm.cmpSize != 5)
            cannotDecode("Can't decode 16-bit PICT with PackType %d, CmpCount %d, CmpSize %d");
        break;
    case 32:
        if (hasTable) throw PBException("Can't handle 32-bit PICT with palette");
        if (pm.packType != 4 || pm.cmpCount != 3 || pm.cmpSize != 8)
            cannotDecode("Can't decode 32-bit PICT with PackType %d, CmpCount %d, CmpSize %d");
        break;
    default:
        throw PBException(Format("Can't handle %d-bit PICT", bits));
    }
}

// PackBits on items of 1 or 2 bytes. Reads only `srcLen` bytes and writes only `dstLen`: runs that
// reach past either end are cut there, so a hostile row cannot spill into the next.
void UnpackBits(const uint8_t* src, size_t srcLen, uint8_t* dst, size_t dstLen, size_t item) {
    size_t s = 0, d = 0;
    while (s < srcLen && d < dstLen) {
        int n = int8_t(src[s++]);
        if (n >= 0) {
            size_t bytes = std::min((size_t(n) + 1) * item, srcLen - s);
            size_t put = std::min(bytes, dstLen - d);
            std::memcpy(dst + d, src + s, put);
            s += bytes;
            d += put;
        } else if (n != -128) {
            if (srcLen - s < item) break;
            const uint8_t* v = src + s;
            s += item;
            size_t count = size_t(1 - n);
            if (item == 1) {
                size_t put = std::min(count, dstLen - d);
                std::memset(dst + d, v[0], put);
                d += put;
            } else {
                for (; count > 0 && dstLen - d >= 2; --count, d += 2)
                    dst[d] = v[0], dst[d + 1] = v[1];
            }
        }
    }
}

uint8_t Expand5(uint32_t v) {
    return uint8_t((v << 3) | (v >> 2));
}

void ConvertRow(const PixMap& pm, bool packed, const uint8_t* row, const std::vector<uint32_t>& palette,
                uint32_t* out, int width) {
    switch (pm.pixelSize) {
    case 1:
        for (int x = 0; x < width; ++x)
            out[x] = palette[(row[x >> 3] >> (7 - (x & 7))) & 1];
        break;
    case 4:
        for (int x = 0; x < width; ++x)
            out[x] = palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
        break;
    case 8:
        for (int x = 0; x < width; ++x)
            out[x] = palette[row[x]];
        break;
    case 16:
        for (int x = 0; x < width; ++x) {
            uint32_t w = (uint32_t(row[x * 2]) << 8) | row[x * 2 + 1];
            out[x] = ArgbFromRgb(Expand5((w >> 10) & 31), Expand5((w >> 5) & 31), Expand5(w & 31));
        }
        break;
    case 32:
        if (packed) { // planes: all the reds, then the greens, then the blues
            const uint8_t *r = row, *g = row + width, *b = row + 2 * size_t(width);
            for (int x = 0; x < width; ++x)
                out[x] = ArgbFromRgb(r[x], g[x], b[x]);
        } else { // unpacked rows hold whole pixels: pad, red, green, blue
            for (int x = 0; x < width; ++x)
                out[x] = ArgbFromRgb(row[x * 4 + 1], row[x * 4 + 2], row[x * 4 + 3]);
        }
        break;
    }
}

DecodedPicture ReadImage(Reader& in, Action action, const PictTrace& trace) {
    bool hasTable = action == Action::PackBitsRect;
    if (!hasTable) in.skip(4); // base address
    PixMap pm = ReadPixMap(in);
    std::vector<uint32_t> palette;
    if (hasTable) palette = ReadColourTable(in);
    in.skip(8 + 8); // source and destination rectangles: we keep the pixels as stored
    in.u16();       // transfer mode
    if (action == Action::DirectBitsRgn) SkipRegion(in);

    CheckFormat(pm, hasTable);
    int width = pm.width(), height = pm.height();
    size_t rowBytes = pm.rowBytes();
    // An image with nothing in it would load as an empty picture that no element can show.
    if (width <= 0 || height <= 0 || rowBytes == 0) throw PBException("PICT has no data!");
    if (width > PictureDecoder::kMaxSide || height > PictureDecoder::kMaxSide ||
        uint64_t(width) * uint64_t(height) > PictureDecoder::kMaxPixels)
        throw PBException(Format("Picture too large (%d x %d)", width, height));

    bool packed = rowBytes >= 8;
    size_t countBytes = rowBytes > 250 ? 2 : 1;
    // Some writers switch to word counts from about 200 row bytes on. Their high byte is then zero,
    // which a byte count never is: a packed row holds at least one run.
    if (packed && countBytes == 1 && in.left() >= 2 && in.peek() == 0) countBytes = 2;
    // Every row takes at least its count (packed) or its bytes (unpacked): refuse before allocating.
    if (uint64_t(height) * (packed ? countBytes : rowBytes) > in.left()) throw PBException(kTruncated);
    size_t need = pm.pixelSize <= 8    ? (size_t(width) * pm.pixelSize + 7) / 8
                  : pm.pixelSize == 16 ? size_t(width) * 2
                  : packed             ? size_t(width) * 3
                                       : size_t(width) * 4;
    if (trace)
        trace(Format("  %d x %d, %d-bit, row bytes %zu, %s", width, height, int(pm.pixelSize), rowBytes,
                     !packed           ? "unpacked rows"
                     : countBytes == 2 ? "2-byte row counts"
                                       : "1-byte row counts"));

    std::vector<uint8_t> row(std::max(need, rowBytes));
    DecodedPicture result;
    result.pixels.resize(width, height, 0xFF000000u);
    size_t item = pm.pixelSize == 16 ? 2 : 1;
    for (int y = 0; y < height; ++y) {
        std::fill(row.begin(), row.end(), 0);
        if (packed) {
            size_t length = countBytes == 2 ? in.u16() : in.u8();
            const uint8_t* src = in.take(length);
            UnpackBits(src, length, row.data(), row.size(), item);
        } else {
            std::memcpy(row.data(), in.take(rowBytes), rowBytes);
        }
        ConvertRow(pm, packed, row.data(), palette, result.pixels.row(y), width);
    }
    return result;
}

} // namespace

std::string PictDecoder::OpcodeName(uint16_t opcode) {
    const Opcode* op = FindOpcode(opcode);
    return op ? op->name : std::string();
}

bool PictDecoder::HasSignature(const uint8_t* data, size_t size) {
    static constexpr uint8_t kVersion2[] = {0x00, 0x11, 0x02, 0xFF};
    return size >= kFirstOpcode + 4 && std::memcmp(data + kFirstOpcode, kVersion2, 4) == 0;
}

DecodedPicture PictDecoder::Decode(const uint8_t* data, size_t size, const PictTrace& trace) {
    Reader in(data, size);
    in.skip(kFirstOpcode); // file header, picture size and frame: none of them is needed
    for (;;) {
        in.align();
        size_t at = in.pos();
        uint16_t code = in.u16();
        const Opcode* op = FindOpcode(code);
        if (trace) trace(Format("0x%04zX %s", at, op ? op->name : Format("$%.4x", code).c_str()));
        if (!op) throw PBException(Format("Unknown PICT opcode $%.4x", code));
        switch (op->action) {
        case Action::Skip:
            in.skip(op->length);
            break;
        case Action::SkipRegion:
            SkipRegion(in);
            break;
        case Action::LongComment:
            in.u16(); // kind
            in.skip(in.u16());
            break;
        case Action::Version: {
            uint16_t version = in.u16();
            if (version != 0x02FF) throw PBException(Format("Bad PICT version $%.4x", version));
            break;
        }
        case Action::RgbForeground:
        case Action::RgbBackground:
            in.skip(6); // colours for drawing modes we do not imitate
            break;
        case Action::PackBitsRect:
        case Action::DirectBitsRect:
        case Action::DirectBitsRgn:
            return ReadImage(in, op->action, trace);
        case Action::End:
            throw PBException("PICT has no data!");
        case Action::NonBitmap:
            throw PBException("Can't handle non-bitmap PICT contents (e.g. text)");
        case Action::Refuse:
            throw PBException(Format("Unknown PICT opcode $%.4x", code));
        }
    }
}

} // namespace parlora
