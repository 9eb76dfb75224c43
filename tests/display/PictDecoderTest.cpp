#include "display/PictDecoder.h"
#include "core/Errors.h"
#include "display/MemoryDIB.h"
#include "tests/display/PictTestFile.h"

#include <gtest/gtest.h>
#include <random>
#include <string>

using namespace parlora;
using namespace parlora::test;

namespace {

std::string MessageOf(const std::vector<uint8_t>& bytes) {
    try {
        PictDecoder::Decode(bytes.data(), bytes.size());
    } catch (const PBException& e) {
        return e.what();
    }
    return "(no error)";
}

DecodedPicture Decode(const std::vector<uint8_t>& bytes, std::vector<std::string>* trace = nullptr) {
    return PictDecoder::Decode(bytes.data(), bytes.size(), [trace](const std::string& line) {
        if (trace) trace->push_back(line);
    });
}

bool Contains(const std::vector<std::string>& lines, const std::string& part) {
    for (const std::string& l : lines)
        if (l.find(part) != std::string::npos) return true;
    return false;
}

// An 8-bit picture whose pixel (x, y) is (x + 3y) % colours, some rows in runs, packed as PackBitsRect.
PictFile Indexed8(int width, int height, int colours, PictPixMap* out = nullptr, bool end = true) {
    PictPixMap pm;
    pm.rowBytes = uint16_t(width), pm.bottom = int16_t(height), pm.right = int16_t(width);
    std::vector<uint32_t> palette;
    for (int i = 0; i < colours; ++i)
        palette.push_back(uint32_t(i * 0x010203 + 0x102030) & 0xFFFFFF);
    PictFile f;
    f.U16(0x0098).PixMap(pm).ColourTable(palette).Rects(pm);
    for (int y = 0; y < height; ++y) {
        std::vector<uint8_t> raw(static_cast<size_t>(width));
        for (int x = 0; x < width; ++x)
            raw[x] = uint8_t(y % 2 ? (x / 40) % colours : (x + 3 * y) % colours);
        f.Row(pm, PackBits(raw));
    }
    if (out) *out = pm;
    return end ? f.End() : f;
}

uint32_t Indexed8Pixel(int x, int y, int colours) {
    int i = y % 2 ? (x / 40) % colours : (x + 3 * y) % colours;
    return 0xFF000000u | (uint32_t(i * 0x010203 + 0x102030) & 0xFFFFFF);
}

// A 32-bit DirectBitsRect whose pixel is (x * 5, y * 7, x ^ y), bounds placed at (left, top).
PictFile Direct32(int width, int height, int16_t left = 0, int16_t top = 0, uint16_t opcode = 0x009A) {
    PictPixMap pm;
    pm.rowBytes = uint16_t(width * 4), pm.top = top, pm.left = left;
    pm.bottom = int16_t(top + height), pm.right = int16_t(left + width);
    pm.packType = 4, pm.pixelSize = 32, pm.cmpCount = 3, pm.cmpSize = 8;
    PictFile f;
    f.U16(opcode).U32(0x000000FF).PixMap(pm).Rects(pm, 0x0040);
    if (opcode == 0x009B) f.U16(10).U16(0).U16(0).U16(uint16_t(height)).U16(uint16_t(width));
    for (int y = 0; y < height; ++y) {
        std::vector<uint8_t> planes(size_t(width) * 3);
        for (int x = 0; x < width; ++x) {
            planes[x] = uint8_t(x * 5);
            planes[width + x] = uint8_t(y * 7);
            planes[2 * width + x] = uint8_t(x ^ y);
        }
        f.Row(pm, PackBits(planes));
    }
    return f.End();
}

PictPixMap Direct32Header(int width, int height) {
    PictPixMap pm;
    pm.rowBytes = uint16_t(width * 4), pm.bottom = int16_t(height), pm.right = int16_t(width);
    pm.packType = 4, pm.pixelSize = 32, pm.cmpCount = 3, pm.cmpSize = 8;
    return pm;
}

} // namespace

TEST(PictDecoder, Direct32AfterVersionAndHeaderIsA24BitPictureOfTheBoundsSize) {
    auto bytes = Direct32(37, 5, 100, -20).bytes();
    std::vector<std::string> trace;
    DecodedPicture d = Decode(bytes, &trace);
    ASSERT_EQ(d.pixels.width(), 37);
    ASSERT_EQ(d.pixels.height(), 5);
    EXPECT_FALSE(d.masked);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 37; ++x)
            ASSERT_EQ(d.pixels.pixel(x, y), ArgbFromRgb(uint8_t(x * 5), uint8_t(y * 7), uint8_t(x ^ y)))
                << x << "," << y;
    ASSERT_EQ(trace.size(), 4u);
    EXPECT_EQ(trace[0], "0x020A VersionOp");
    EXPECT_EQ(trace[1], "0x020E HeaderOp");
    EXPECT_EQ(trace[2], "0x0228 DirectBitsRect");
    EXPECT_EQ(trace[3], "  37 x 5, 32-bit, row bytes 148, 1-byte row counts");
}

TEST(PictDecoder, DirectBitsRgnSkipsItsMaskRegion) {
    auto bytes = Direct32(9, 3, 0, 0, 0x009B).bytes();
    DecodedPicture d = Decode(bytes);
    EXPECT_EQ(d.pixels.pixel(8, 2), ArgbFromRgb(40, 14, 8 ^ 2));
}

TEST(PictDecoder, RowCountsAreTwoBytesOnlyAbove250RowBytes) {
    for (int width : {200, 250, 251, 300}) {
        auto bytes = Indexed8(width, 6, 90).bytes();
        std::vector<std::string> trace;
        DecodedPicture d = Decode(bytes, &trace);
        ASSERT_EQ(d.pixels.width(), width);
        EXPECT_TRUE(Contains(trace, width > 250 ? "2-byte row counts" : "1-byte row counts")) << width;
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(d.pixels.pixel(x, y), Indexed8Pixel(x, y, 90)) << width << ": " << x << "," << y;
    }
    // A 32-bit row of 63 pixels has 252 row bytes.
    std::vector<std::string> trace;
    DecodedPicture d = Decode(Direct32(63, 2).bytes(), &trace);
    EXPECT_TRUE(Contains(trace, "2-byte row counts"));
    EXPECT_EQ(d.pixels.pixel(62, 1), ArgbFromRgb(uint8_t(62 * 5), 7, 62 ^ 1));
}

TEST(PictDecoder, WordRowCountsBelow251RowBytesAreRecognisedByTheirZeroHighByte) {
    PictPixMap pm;
    pm.rowBytes = 240, pm.bottom = 2, pm.right = 240;
    PictPixMap wide = pm;
    wide.rowBytes = 251; // makes Row() write word counts
    PictFile f;
    f.U16(0x0098).PixMap(pm).ColourTable({0x000000, 0xFF0000, 0x00FF00}).Rects(pm);
    f.Row(wide, {0x81, 1, 0xF1, 2}).Row(wide, {0x81, 2, 0xF1, 1}).End();
    std::vector<std::string> trace;
    DecodedPicture d = Decode(f.bytes(), &trace);
    EXPECT_TRUE(Contains(trace, "row bytes 240, 2-byte row counts"));
    EXPECT_EQ(d.pixels.pixel(127, 0), 0xFFFF0000u);
    EXPECT_EQ(d.pixels.pixel(128, 0), 0xFF00FF00u);
    EXPECT_EQ(d.pixels.pixel(143, 0), 0xFF00FF00u);
    EXPECT_EQ(d.pixels.pixel(144, 0), 0xFF000000u);
    EXPECT_EQ(d.pixels.pixel(0, 1), 0xFF00FF00u);
    EXPECT_EQ(d.pixels.pixel(128, 1), 0xFFFF0000u);
}

TEST(PictDecoder, VersionOnePicturesAreRefused) {
    PictFile f(false);
    f.U16(0x0011).U16(0x0001).End();
    EXPECT_EQ(MessageOf(f.bytes()), "Bad PICT version $0001");
}

TEST(PictDecoder, OneBitDirectPixMapWithoutPaletteIsRefused) {
    PictPixMap pm;
    pm.rowBytes = 2, pm.bottom = 2, pm.right = 16, pm.pixelSize = 1, pm.cmpSize = 1;
    PictFile f;
    f.U16(0x009A).U32(0xFF).PixMap(pm).Rects(pm).Bytes({0, 0, 0, 0}).End();
    EXPECT_EQ(MessageOf(f.bytes()), "Can't handle 1-bit PICT with no palette");
}

TEST(PictDecoder, BitMapInsteadOfPixMapIsRefused) {
    PictFile f;
    f.U16(0x0098).U16(2).U16(0).U16(0).U16(2).U16(16).End(); // an old BitMap: row bytes and bounds only
    EXPECT_EQ(MessageOf(f.bytes()), "PICT got BitMap not PixMap");
}

TEST(PictDecoder, EndBeforeAnyImageHasNoData) {
    PictFile f;
    EXPECT_EQ(MessageOf(PictFile(f).End().bytes()), "PICT has no data!");
}

TEST(PictDecoder, DrawingAndUnknownOpcodesAreRefusedWithTheirCode) {
    PictFile erase;
    erase.U16(0x0032).U16(0).U16(0).U16(10).U16(10).End();
    EXPECT_EQ(MessageOf(erase.bytes()), "Can't handle non-bitmap PICT contents (e.g. text)");
    PictFile text;
    text.U16(0x0028).U16(10).U16(10).U8(2).Bytes({'h', 'i'}).End();
    std::vector<std::string> trace;
    EXPECT_THROW(Decode(text.bytes(), &trace), PBException);
    EXPECT_EQ(MessageOf(text.bytes()), "Unknown PICT opcode $0028");
    EXPECT_EQ(trace.back(), "0x0228 LongText"); // the log names it even though it is refused
    PictFile reserved;
    reserved.U16(0x1234).End();
    EXPECT_EQ(MessageOf(reserved.bytes()), "Unknown PICT opcode $1234");
    EXPECT_EQ(PictDecoder::OpcodeName(0x0098), "PackBitsRect");
    EXPECT_EQ(PictDecoder::OpcodeName(0x1234), "");
}

TEST(PictDecoder, StateOpcodesAndCommentsBeforeTheImageAreSkippedOnEvenOffsets) {
    auto image = Direct32(4, 2).bytes();
    PictFile f;
    f.U16(0x001E);                                              // DefHilite
    f.U16(0x0001).U16(10).U16(0).U16(0).U16(2).U16(4);          // Clip
    f.U16(0x001A).U16(0xFFFF).U16(0x8000).U16(0);               // RGBFgCol
    f.U16(0x001B).U16(0).U16(0).U16(0);                         // RGBBkCol
    f.U16(0x0004).U8(1).Pad();                                  // TxFace: one byte and a pad
    f.U16(0x00A1).U16(100).U16(3).Bytes({'a', 'b', 'c'}).Pad(); // LongComment of odd size
    f.U16(0x00A0).U16(7);                                       // ShortComment
    f.U16(0x0000);                                              // NOP
    // The image, taken from a file with the same header.
    f.Bytes(std::vector<uint8_t>(image.begin() + 0x228, image.end()));
    std::vector<std::string> trace;
    DecodedPicture d = Decode(f.bytes(), &trace);
    EXPECT_EQ(d.pixels.pixel(3, 1), ArgbFromRgb(15, 7, 3 ^ 1));
    for (const char* name : {"DefHilite", "Clip", "RGBFgCol", "RGBBkCol", "TxFace", "LongComment",
                             "ShortComment", "NOP", "DirectBitsRect"})
        EXPECT_TRUE(Contains(trace, name)) << name;
}

TEST(PictDecoder, OneAndFourBitRowsNarrowerThanEightBytesAreStoredUnpacked) {
    PictPixMap pm;
    pm.rowBytes = 2, pm.bottom = 2, pm.right = 12, pm.pixelSize = 1, pm.cmpSize = 1;
    PictFile one;
    one.U16(0x0098).PixMap(pm).ColourTable({0xFFFFFF, 0x000000}).Rects(pm);
    one.Bytes({0b10100000, 0b00010000, 0b01000000, 0b00000000}).End();
    DecodedPicture d = Decode(one.bytes());
    ASSERT_EQ(d.pixels.width(), 12);
    std::string row0, row1;
    for (int x = 0; x < 12; ++x) {
        row0 += d.pixels.pixel(x, 0) == 0xFF000000u ? '#' : '.';
        row1 += d.pixels.pixel(x, 1) == 0xFF000000u ? '#' : '.';
    }
    EXPECT_EQ(row0, "#.#........#");
    EXPECT_EQ(row1, ".#..........");

    PictPixMap p4;
    p4.rowBytes = 3, p4.bottom = 1, p4.right = 5, p4.pixelSize = 4, p4.cmpSize = 4;
    PictFile four;
    four.U16(0x0098).PixMap(p4).ColourTable({0x000000, 0x112233, 0x445566, 0x778899}).Rects(p4);
    four.Bytes({0x12, 0x30, 0x1F}).End();
    DecodedPicture e = Decode(four.bytes());
    EXPECT_EQ(e.pixels.pixel(0, 0), 0xFF112233u);
    EXPECT_EQ(e.pixels.pixel(1, 0), 0xFF445566u);
    EXPECT_EQ(e.pixels.pixel(2, 0), 0xFF778899u);
    EXPECT_EQ(e.pixels.pixel(3, 0), 0xFF000000u);
    EXPECT_EQ(e.pixels.pixel(4, 0), 0xFF112233u);
}

TEST(PictDecoder, FourBitPackedRows) {
    PictPixMap pm;
    pm.rowBytes = 10, pm.bottom = 1, pm.right = 20, pm.pixelSize = 4, pm.cmpSize = 4;
    PictFile f;
    f.U16(0x0098).PixMap(pm).ColourTable({0x000000, 0xFF0000, 0x00FF00}).Rects(pm);
    f.Row(pm, PackBits({0x12, 0x12, 0x12, 0x12, 0x12, 0x12, 0x12, 0x12, 0x21, 0x00})).End();
    DecodedPicture d = Decode(f.bytes());
    EXPECT_EQ(d.pixels.pixel(14, 0), 0xFFFF0000u);
    EXPECT_EQ(d.pixels.pixel(15, 0), 0xFF00FF00u);
    EXPECT_EQ(d.pixels.pixel(16, 0), 0xFF00FF00u);
    EXPECT_EQ(d.pixels.pixel(17, 0), 0xFFFF0000u);
    EXPECT_EQ(d.pixels.pixel(19, 0), 0xFF000000u);
}

TEST(PictDecoder, SixteenBitWordsArePackedByWordAndWidenedToEightBits) {
    PictPixMap pm;
    pm.rowBytes = 12, pm.bottom = 2, pm.right = 6, pm.packType = 3, pm.pixelSize = 16, pm.cmpCount = 3,
    pm.cmpSize = 5;
    auto word = [](int r, int g, int b) {
        return std::vector<uint8_t>{uint8_t(r << 2 | g >> 3), uint8_t(g << 5 | b)};
    };
    std::vector<uint8_t> row0, row1;
    for (int x = 0; x < 6; ++x) {
        auto w = word(31, x * 5, 1);
        row0.insert(row0.end(), w.begin(), w.end());
        auto v = word(0, 16, 31);
        row1.insert(row1.end(), v.begin(), v.end());
    }
    PictFile f;
    f.U16(0x009A).U32(0xFF).PixMap(pm).Rects(pm).Row(pm, PackBits(row0, 2)).Row(pm, PackBits(row1, 2)).End();
    ASSERT_LT(PackBits(row1, 2).size(), 4u); // the second row really is one repeated word
    DecodedPicture d = Decode(f.bytes());
    EXPECT_EQ(d.pixels.pixel(0, 0), ArgbFromRgb(255, 0, 8));
    EXPECT_EQ(d.pixels.pixel(5, 0), ArgbFromRgb(255, 206, 8)); // 25 -> 11001 110
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(d.pixels.pixel(x, 1), ArgbFromRgb(0, 132, 255));
}

TEST(PictDecoder, FormatsOutsideTheSupportedSetAreRefused) {
    auto with = [](uint16_t opcode, PictPixMap pm, bool table) {
        pm.rowBytes = pm.rowBytes ? pm.rowBytes : 16;
        pm.bottom = 1, pm.right = 4;
        PictFile f;
        f.U16(opcode);
        if (opcode != 0x0098) f.U32(0xFF);
        f.PixMap(pm);
        if (table) f.ColourTable({0, 0xFFFFFF});
        f.Rects(pm).U8(0).End();
        return MessageOf(f.bytes());
    };
    PictPixMap p16;
    p16.packType = 3, p16.pixelSize = 16, p16.cmpCount = 3, p16.cmpSize = 5;
    EXPECT_EQ(with(0x0098, p16, true), "Can't handle 16-bit PICT with palette");
    PictPixMap p32 = Direct32Header(4, 1);
    EXPECT_EQ(with(0x0098, p32, true), "Can't handle 32-bit PICT with palette");
    p32.cmpCount = 4;
    EXPECT_EQ(with(0x009A, p32, false), "Can't decode 32-bit PICT with PackType 4, CmpCount 4, CmpSize 8");
    p16.packType = 0;
    EXPECT_EQ(with(0x009A, p16, false), "Can't decode 16-bit PICT with PackType 0, CmpCount 3, CmpSize 5");
    PictPixMap p8;
    p8.packType = 1;
    EXPECT_EQ(with(0x0098, p8, true), "Can't decode 8-bit PICT with PackType 1, CmpCount 1, CmpSize 8");
    EXPECT_EQ(with(0x009A, PictPixMap{}, false), "Can't handle 8-bit PICT with no palette");
    PictPixMap p2;
    p2.pixelSize = 2, p2.cmpSize = 2;
    EXPECT_EQ(with(0x0098, p2, true), "Can't handle 2-bit PICT");
}

TEST(PictDecoder, ColourTablesByPositionOrByValueAndUnlistedIndicesAreBlack) {
    PictPixMap pm;
    pm.rowBytes = 4, pm.bottom = 1, pm.right = 4;
    auto decode = [&](uint16_t flags) {
        PictFile f;
        f.U16(0x0098).PixMap(pm).ColourTable({0xFF0000, 0x00FF00, 0x0000FF}, flags, {2, 1, 0}).Rects(pm);
        f.Bytes({0, 1, 2, 200}).End();
        return Decode(f.bytes());
    };
    DecodedPicture byValue = decode(0);
    EXPECT_EQ(byValue.pixels.pixel(0, 0), 0xFF0000FFu);
    EXPECT_EQ(byValue.pixels.pixel(2, 0), 0xFFFF0000u);
    EXPECT_EQ(byValue.pixels.pixel(3, 0), 0xFF000000u);
    DecodedPicture device = decode(0x8000); // a device table: values are ignored
    EXPECT_EQ(device.pixels.pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(device.pixels.pixel(2, 0), 0xFF0000FFu);
}

// ---- hostile and broken files ----

TEST(PictDecoder, EveryTruncationBeforeTheLastRowSaysTheDataIsShort) {
    auto full = Indexed8(260, 3, 50, nullptr, false).bytes(); // no end opcode: the decoder stops before it
    size_t imageEnd = full.size();
    for (size_t n = 0; n < imageEnd; ++n) {
        std::vector<uint8_t> cut(full.begin(), full.begin() + long(n));
        ASSERT_EQ(MessageOf(cut), "Couldn't read PICT data") << n;
    }
    EXPECT_EQ(MessageOf(std::vector<uint8_t>(full.begin(), full.begin() + long(imageEnd))), "(no error)");
}

TEST(PictDecoder, RowCountPastTheEndIsRefused) {
    PictPixMap pm = Direct32Header(10, 2);
    PictFile f;
    f.U16(0x009A).U32(0xFF).PixMap(pm).Rects(pm).U8(200).Bytes({0x7F, 1, 2, 3});
    EXPECT_EQ(MessageOf(f.bytes()), "Couldn't read PICT data");
}

TEST(PictDecoder, HugeSizesAreRefusedBeforeAnythingIsAllocated) {
    PictPixMap pm = Direct32Header(0, 0);
    pm.top = -32768, pm.bottom = 32767, pm.left = -32768, pm.right = 32767, pm.rowBytes = 0x3FFF;
    PictFile f;
    f.U16(0x009A).U32(0xFF).PixMap(pm).Rects(pm).Bytes({0, 0}).End();
    EXPECT_EQ(MessageOf(f.bytes()), "Picture too large (65535 x 65535)");
    // Within the pixel budget, but 8000 rows cannot fit in a few bytes: refused without 256 MB.
    PictPixMap big = Direct32Header(0, 0);
    big.bottom = 8000, big.right = 8000, big.rowBytes = 0x3FFF;
    PictFile g;
    g.U16(0x009A).U32(0xFF).PixMap(big).Rects(big).Bytes({1, 0xFF, 0}).End();
    EXPECT_EQ(MessageOf(g.bytes()), "Couldn't read PICT data");
}

TEST(PictDecoder, EmptyOrInvertedBoundsAndZeroRowBytesHaveNoData) {
    auto withBounds = [](int16_t top, int16_t left, int16_t bottom, int16_t right, uint16_t rowBytes) {
        PictPixMap pm = Direct32Header(0, 0);
        pm.top = top, pm.left = left, pm.bottom = bottom, pm.right = right, pm.rowBytes = rowBytes;
        PictFile f;
        f.U16(0x009A).U32(0xFF).PixMap(pm).Rects(pm).Bytes({0, 0, 0, 0}).End();
        return MessageOf(f.bytes());
    };
    EXPECT_EQ(withBounds(0, 0, 5, 0, 40), "PICT has no data!");
    EXPECT_EQ(withBounds(0, 0, 0, 10, 40), "PICT has no data!");
    EXPECT_EQ(withBounds(10, 10, 5, 20, 40), "PICT has no data!");
    EXPECT_EQ(withBounds(0, 0, 5, 10, 0), "PICT has no data!");
}

TEST(PictDecoder, BadPalettesAreRefused) {
    PictPixMap pm;
    pm.rowBytes = 8, pm.bottom = 1, pm.right = 8;
    PictFile huge;
    huge.U16(0x0098).PixMap(pm).U32(0).U16(0).U16(0xFFFF).End();
    EXPECT_EQ(MessageOf(huge.bytes()), "Bad PICT palette (65536 entries)");
    PictFile over;
    over.U16(0x0098).PixMap(pm).U32(0).U16(0).U16(256).End();
    EXPECT_EQ(MessageOf(over.bytes()), "Bad PICT palette (257 entries)");
    PictFile cut;
    cut.U16(0x0098).PixMap(pm).U32(0).U16(0).U16(199).Bytes(std::vector<uint8_t>(80, 0x7F));
    EXPECT_EQ(MessageOf(cut.bytes()), "Couldn't read PICT data");
}

TEST(PictDecoder, BadRegionsAreRefused) {
    PictFile zero;
    zero.U16(0x0001).U16(0).End();
    EXPECT_EQ(MessageOf(zero.bytes()), "Bad PICT region size 0");
    PictFile past;
    past.U16(0x0001).U16(0xFFFE).U16(0).End();
    EXPECT_EQ(MessageOf(past.bytes()), "Couldn't read PICT data");
}

TEST(PictDecoder, PackedRunsNeverWritePastTheirRowOrReadIntoTheNext) {
    PictPixMap pm;
    pm.rowBytes = 8, pm.bottom = 2, pm.right = 8;
    PictFile f;
    f.U16(0x0098).PixMap(pm).ColourTable({0x000000, 0x0000FF, 0x00FF00, 0xFF0000}).Rects(pm);
    f.Row(pm, {0x81, 1});    // a repeat of 128 for a row of 8
    f.Row(pm, {0x7F, 2, 3}); // a literal of 128 with only two bytes in its row
    f.U8(0x00).End();
    DecodedPicture d = Decode(f.bytes());
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(d.pixels.pixel(x, 0), 0xFF0000FFu);
    EXPECT_EQ(d.pixels.pixel(0, 1), 0xFF00FF00u);
    EXPECT_EQ(d.pixels.pixel(1, 1), 0xFFFF0000u);
    EXPECT_EQ(d.pixels.pixel(2, 1), 0xFF000000u);
}

TEST(PictDecoder, RowBytesWiderThanThePictureAreCutToItsWidth) {
    PictPixMap pm;
    pm.rowBytes = 300, pm.bottom = 2, pm.right = 3;
    PictFile f;
    f.U16(0x0098).PixMap(pm).ColourTable({0x000000, 0xFFFFFF}).Rects(pm);
    f.Row(pm, {0x81, 1, 0x81, 1, 0x81, 1}).Row(pm, {0x81, 0}).End();
    DecodedPicture d = Decode(f.bytes());
    ASSERT_EQ(d.pixels.width(), 3);
    EXPECT_EQ(d.pixels.pixel(2, 0), 0xFFFFFFFFu);
    EXPECT_EQ(d.pixels.pixel(2, 1), 0xFF000000u);
}

TEST(PictDecoder, GarbageAndMutatedFilesGiveAnErrorOrAPictureNeverACrash) {
    std::mt19937 rng(1234);
    std::vector<std::vector<uint8_t>> seeds = {Indexed8(40, 4, 20).bytes(), Direct32(30, 3).bytes(),
                                               Direct32(70, 2, 0, 0, 0x009B).bytes()};
    int refused = 0, decoded = 0;
    for (int i = 0; i < 3000; ++i) {
        std::vector<uint8_t> bytes = seeds[size_t(i) % seeds.size()];
        int flips = 1 + int(rng() % 4);
        for (int k = 0; k < flips; ++k) {
            size_t at = 512 + rng() % (bytes.size() - 512);
            bytes[at] = uint8_t(rng());
        }
        if (i % 7 == 0) bytes.resize(512 + rng() % (bytes.size() - 512));
        try {
            DecodedPicture d = PictDecoder::Decode(bytes.data(), bytes.size());
            ASSERT_GT(d.pixels.width(), 0);
            ASSERT_GT(d.pixels.height(), 0);
            ++decoded;
        } catch (const PBException&) {
            ++refused;
        }
    }
    for (int i = 0; i < 500; ++i) {
        std::vector<uint8_t> bytes(rng() % 2000);
        for (auto& b : bytes)
            b = uint8_t(rng());
        EXPECT_THROW(PictDecoder::Decode(bytes.data(), bytes.size()), PBException);
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(decoded, 0);
}

// ---- the picture loader ----

TEST(PictDecoder, TheLoaderChoosesItByExtensionOrBySignature) {
    auto bytes = Direct32(5, 2).bytes();
    for (const char* name : {"a.pct", "B.PCT", "c.pict", "noextension", "d.dat"}) {
        DecodedPicture d = PictureDecoder::Decode(name, bytes.data(), bytes.size());
        EXPECT_EQ(d.pixels.width(), 5) << name;
    }
    PictFile notV2(false);
    notV2.U16(0x1101).End();
    EXPECT_THROW(PictureDecoder::Decode("x.dat", notV2.bytes().data(), notV2.size()), PBException);
    TMemoryDIB dib;
    auto empty = PictFile().End().bytes();
    try {
        dib.LoadFromBytes("pictures/cat.pct", empty.data(), empty.size());
        FAIL() << "no error";
    } catch (const PBException& e) {
        EXPECT_STREQ(e.what(), "Import of pictures/cat.pct failed. PICT has no data!");
    }
    dib.LoadFromBytes("cat.pct", bytes.data(), bytes.size());
    EXPECT_FALSE(dib.Masked);
    EXPECT_EQ(dib.Pixels().pixel(4, 1) >> 24, 0xFFu);
}
