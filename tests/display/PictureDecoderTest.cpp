#include "display/PictureDecoder.h"
#include "core/Errors.h"
#include "display/MemoryDIB.h"
#include "display/PictureCache.h"
#include "tests/display/DisplayTestUtil.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

using namespace parlora;
using namespace parlora::test;

namespace {

std::vector<uint8_t> PngBytes(const Surface& s, TempDir& dir, const std::string& name = "p.png") {
    SavePngRaw(s, dir / name);
    return ReadBytes(dir / name);
}

std::string MessageOf(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const PBException& e) {
        return e.what();
    }
    return "(no error)";
}

} // namespace

TEST(PictureDecoder, PngAlphaIsBlendedOverBlackAndMadeOpaque) {
    TempDir dir;
    Surface s(3, 1, 0);
    s.setPixel(0, 0, 0x80FF8040u); // half transparent
    s.setPixel(1, 0, 0x00FFFFFFu); // fully transparent white
    s.setPixel(2, 0, 0xFF123456u);
    auto bytes = PngBytes(s, dir);
    DecodedPicture d = PictureDecoder::DecodePng(bytes.data(), bytes.size());
    EXPECT_FALSE(d.masked);
    // (c * a + 127) / 255 with a = 128
    EXPECT_EQ(d.pixels.pixel(0, 0),
              ArgbFromRgb((255 * 128 + 127) / 255, (128 * 128 + 127) / 255, (64 * 128 + 127) / 255));
    EXPECT_EQ(d.pixels.pixel(1, 0), 0xFF000000u);
    EXPECT_EQ(d.pixels.pixel(2, 0), 0xFF123456u);
}

TEST(PictureDecoder, AutoKeyIsTheBottomLeftPixelAfterTheBlend) {
    TempDir dir;
    Surface s(2, 2, 0x00FFFFFFu); // transparent everywhere, so black after the blend
    s.setPixel(1, 0, 0xFFFF0000u);
    SavePngRaw(s, dir / "k.png");
    TMemoryDIB dib;
    dib.LoadFromFile(dir / "k.png");
    dib.Transparent = true;
    EXPECT_EQ(dib.TransparentKey() & 0xFFFFFF, 0u);
    EXPECT_EQ(dib.TransparentColor(), 0x01000000u); // automatic colours carry bit 24
    dib.TransparentMode = tmFixed;
    dib.SetTransparentColor(0xFF0000FFu);
    EXPECT_EQ(dib.TransparentColor(), 0x00FF0000u); // COLORREF of blue
}

TEST(PictureDecoder, JpegRgbAndCmyk) {
    Surface s(16, 8, 0xFF2080C0u);
    auto rgb = EncodeJpeg(s);
    DecodedPicture d = PictureDecoder::DecodeJpeg(rgb.data(), rgb.size());
    ASSERT_EQ(d.pixels.width(), 16);
    uint32_t p = d.pixels.pixel(5, 5);
    EXPECT_NEAR(int((p >> 16) & 0xFF), 0x20, 3);
    EXPECT_NEAR(int(p & 0xFF), 0xC0, 3);
    EXPECT_EQ(p >> 24, 0xFFu);

    auto cmyk = EncodeJpeg(s, true);
    DecodedPicture c = PictureDecoder::DecodeJpeg(cmyk.data(), cmyk.size());
    uint32_t q = c.pixels.pixel(5, 5);
    EXPECT_NEAR(int((q >> 16) & 0xFF), 0x20, 4);
    EXPECT_NEAR(int((q >> 8) & 0xFF), 0x80, 4);
    EXPECT_NEAR(int(q & 0xFF), 0xC0, 4);
}

TEST(PictureDecoder, BitmapsBottomUp24AndMasked32) {
    // 2 x 2, 24-bit, bottom row first: rows are padded to 4 bytes.
    std::vector<uint8_t> b = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  40,
                              0,   0,   0, 2, 0, 0, 0, 2, 0, 0, 0,  1, 0, 24, 0};
    b.resize(54, 0);
    uint8_t rows[] = {0, 0, 255, 0, 255, 0, 0, 0, /* top: */ 255, 0, 0, 255, 255, 255, 0, 0};
    b.insert(b.end(), rows, rows + sizeof rows);
    DecodedPicture d = PictureDecoder::DecodeBmp(b.data(), b.size());
    EXPECT_FALSE(d.masked);
    EXPECT_EQ(d.pixels.pixel(0, 1), 0xFFFF0000u); // bottom-left red
    EXPECT_EQ(d.pixels.pixel(1, 1), 0xFF00FF00u);
    EXPECT_EQ(d.pixels.pixel(0, 0), 0xFF0000FFu);

    std::vector<uint8_t> m = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  40,
                              0,   0,   0, 1, 0, 0, 0, 1, 0, 0, 0,  1, 0, 32, 0};
    m.resize(54, 0);
    m.insert(m.end(), {10, 20, 30, 128});
    DecodedPicture dm = PictureDecoder::DecodeBmp(m.data(), m.size());
    EXPECT_TRUE(dm.masked);
    EXPECT_EQ(dm.pixels.pixel(0, 0), 0x801E140Au);
}

TEST(PictureDecoder, BadInputGivesMessagesNotCrashes) {
    TempDir dir;
    auto png = PngBytes(Bands(64, 64, 4), dir);
    auto jpg = EncodeJpeg(Bands(64, 64, 4));
    // Every truncation point of the header region and a few in the data.
    for (size_t cut :
         {size_t(0), size_t(7), size_t(8), size_t(20), size_t(33), png.size() / 2, png.size() - 13})
        EXPECT_THROW(PictureDecoder::DecodePng(png.data(), cut), PBException) << cut;
    for (size_t cut : {size_t(0), size_t(3), size_t(30), jpg.size() / 2, jpg.size() - 10})
        EXPECT_THROW(PictureDecoder::DecodeJpeg(jpg.data(), cut), PBException) << cut;
    // Corrupt bytes in the middle: an error or a picture, never a crash.
    std::vector<uint8_t> bad = png;
    for (size_t i = 40; i < bad.size(); i += 7)
        bad[i] ^= 0x5A;
    EXPECT_THROW(PictureDecoder::DecodePng(bad.data(), bad.size()), PBException);
    std::vector<uint8_t> badJ = jpg;
    for (size_t i = badJ.size() / 3; i < badJ.size(); i += 5)
        badJ[i] ^= 0x33;
    try {
        PictureDecoder::DecodeJpeg(badJ.data(), badJ.size());
    } catch (const PBException&) {
    }
    // A bitmap claiming more pixels than it holds, and one of no size.
    std::vector<uint8_t> bmp = {'B', 'M', 0, 0,    0,    0, 0, 0,    0,    0, 54, 0, 0, 0,  40,
                                0,   0,   0, 0x00, 0x10, 0, 0, 0x00, 0x10, 0, 0,  1, 0, 24, 0};
    bmp.resize(60, 0);
    EXPECT_EQ(MessageOf([&] { PictureDecoder::DecodeBmp(bmp.data(), bmp.size()); }), "Truncated bitmap data");
    bmp[18] = bmp[19] = 0;
    EXPECT_EQ(MessageOf([&] { PictureDecoder::DecodeBmp(bmp.data(), bmp.size()); }), "Picture has no pixels");
}

TEST(PictureDecoder, ZeroSizePngIsRefused) {
    TempDir dir;
    auto png = PngBytes(Surface(4, 4), dir);
    // Patch the IHDR width to 0; libpng's own check or ours refuses it.
    png[16] = png[17] = png[18] = png[19] = 0;
    EXPECT_THROW(PictureDecoder::DecodePng(png.data(), png.size()), PBException);
}

TEST(MemoryDIB, ImportFailureNamesTheFileAndKeepsThePicture) {
    TempDir dir;
    WriteBytes(dir / "broken.png", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0});
    TMemoryDIB dib;
    dib.SetSize(2, 2);
    std::string msg = MessageOf([&] { dib.LoadFromFile(dir / "broken.png"); });
    EXPECT_EQ(msg.rfind("Import of " + (dir / "broken.png") + " failed. ", 0), 0u) << msg;
    EXPECT_EQ(dib.Width(), 2);
    EXPECT_EQ(MessageOf([&] { dib.LoadFromFile(dir / "none.png"); }),
              "Import of " + (dir / "none.png") + " failed. File not found");
}

TEST(PictureCache, DecodesEachFileOncePerModification) {
    TempDir dir;
    SavePngRaw(Bands(8, 8, 2), dir / "a.png");
    PictureCache& cache = PictureCache::Instance();
    uint64_t before = cache.Decodes();
    TMemoryDIB a, b;
    a.LoadFromFile(dir / "a.png");
    b.LoadFromFile(dir / "A.PNG"); // letter case resolved to the same file
    EXPECT_EQ(cache.Decodes(), before + 1);
    EXPECT_EQ(a.SharedPixels(), b.SharedPixels());
    // Drawing on one picture must not show through the other.
    a.FillColor(0xFF000000u);
    EXPECT_NE(b.Pixels().pixel(0, 0), 0xFF000000u);
}

TEST(MemoryDIB, CanvasPieAndCopy) {
    TMemoryDIB dib;
    dib.SetSize(21, 21);
    dib.FillColor(0xFF000000u);
    dib.Canvas().PieWhite(10, 10, 10, 0, 90); // the upper-right quarter
    EXPECT_EQ(dib.Pixels().pixel(15, 5), 0xFFFFFFFFu);
    EXPECT_EQ(dib.Pixels().pixel(5, 5), 0xFF000000u);
    EXPECT_EQ(dib.Pixels().pixel(15, 15), 0xFF000000u);
    TMemoryDIB src;
    src.SetSize(2, 2);
    src.FillColor(0xFF00FF00u);
    dib.Canvas().CopyRect({0, 0, 4, 4}, src);
    EXPECT_EQ(dib.Pixels().pixel(3, 3), 0xFF00FF00u);
    EXPECT_EQ(dib.Pixels().pixel(4, 4), 0xFF000000u);
}
