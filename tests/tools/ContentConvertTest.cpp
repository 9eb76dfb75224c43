#include "core/Errors.h"
#include "display/PictureDecoder.h"
#include "tests/display/PictTestFile.h"
#include "tests/support/TestFiles.h"
#include "tools/content/ContentChecker.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace parlora;
using namespace parlora::test;

namespace {

void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
}

Surface ReadPng(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return PictureDecoder::DecodePng(bytes.data(), bytes.size()).pixels;
}

// A 2 x 1 PICT: red, then blue, 8-bit with unpacked rows.
std::vector<uint8_t> SmallPict() {
    PictPixMap pm;
    pm.rowBytes = 2, pm.bottom = 1, pm.right = 2;
    PictFile f;
    f.U16(0x0098).PixMap(pm).ColourTable({0xFF0000, 0x0000FF}).Rects(pm).Bytes({0, 1});
    return f.End().bytes();
}

} // namespace

TEST(ContentConvert, PictIsReportedAndWrittenAsThePictureLoaderSeesIt) {
    TempDir dir;
    Write(dir / "card.PCT", SmallPict());
    std::ostringstream out;
    EXPECT_TRUE(ContentChecker::Info(dir / "card.PCT", out));
    EXPECT_EQ(out.str(), dir / "card.PCT" + ": picture 2 x 1\n");
    ContentChecker::Convert(dir / "card.PCT", dir / "card.png");
    Surface s = ReadPng(dir / "card.png");
    ASSERT_EQ(s.width(), 2);
    EXPECT_EQ(s.pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(s.pixel(1, 0), 0xFF0000FFu);
}

TEST(ContentConvert, MaskedBitmapsAreBlendedOverBlackAsTheCourseDrawsThem) {
    TempDir dir;
    // A 1 x 1 32-bit bottom-up BMP: blue 0x40, green 0x80, red 0xFF, alpha 0x80.
    std::vector<uint8_t> bmp = {'B', 'M', 58, 0, 0, 0, 0, 0, 0,  0, 54, 0, 0, 0, 40,   0,    0,    0,   1, 0,
                                0,   0,   1,  0, 0, 0, 1, 0, 32, 0, 0,  0, 0, 0, 4,    0,    0,    0,   0, 0,
                                0,   0,   0,  0, 0, 0, 0, 0, 0,  0, 0,  0, 0, 0, 0x40, 0x80, 0xFF, 0x80};
    Write(dir / "m.bmp", bmp);
    ContentChecker::Convert(dir / "m.bmp", dir / "m.png");
    // Each colour byte becomes (s * a + d * (255 - a)) / 256 + 1 with d = 0.
    EXPECT_EQ(ReadPng(dir / "m.png").pixel(0, 0),
              ArgbFromRgb(0xFF * 0x80 / 256 + 1, 0x80 * 0x80 / 256 + 1, 0x40 * 0x80 / 256 + 1));
}

TEST(ContentConvert, UnreadablePicturesGiveTheLoadersMessage) {
    TempDir dir;
    PictFile f;
    Write(dir / "empty.pct", f.End().bytes());
    try {
        ContentChecker::Convert(dir / "empty.pct", dir / "x.png");
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()), "Import of " + dir / "empty.pct" + " failed. PICT has no data!");
    }
}
