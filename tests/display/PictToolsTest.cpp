// PICT files written by encoders other than ours (netpbm's ppmtopict, ImageMagick's PICT writer), each
// decoded and compared pixel for pixel with the PNG the same tool writes from the same source.
#include "display/PictDecoder.h"
#include "tests/display/DisplayTestUtil.h"
#include "tests/support/TestFiles.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

using namespace parlora;
using namespace parlora::test;

namespace {

bool HaveTool(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

bool Shell(const std::string& command) {
    return std::system(("set -e; " + command + " 2>/dev/null").c_str()) == 0;
}

struct Decoded {
    DecodedPicture picture;
    std::vector<std::string> trace;
};

Decoded DecodePict(const std::string& path) {
    Decoded d;
    std::vector<uint8_t> bytes = ReadBytes(path);
    d.picture = PictDecoder::Decode(bytes.data(), bytes.size(),
                                    [&](const std::string& line) { d.trace.push_back(line); });
    return d;
}

// Where these writers switch from byte to word row counts (by the bytes of pixel data a row holds);
// the format itself says above 250 row bytes.
const char* CountKind(int rowBytes, int wordsAbove) {
    return rowBytes > wordsAbove ? "2-byte row counts" : "1-byte row counts";
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& l : lines)
        all += l + "\n";
    return all;
}

void ExpectSamePixels(const Surface& pict, const std::string& pngPath) {
    std::vector<uint8_t> png = ReadBytes(pngPath);
    DecodedPicture ref = PictureDecoder::DecodePng(png.data(), png.size());
    ASSERT_EQ(pict.width(), ref.pixels.width());
    ASSERT_EQ(pict.height(), ref.pixels.height());
    int differing = 0;
    for (int y = 0; y < pict.height(); ++y)
        for (int x = 0; x < pict.width(); ++x)
            if (pict.pixel(x, y) != ref.pixels.pixel(x, y) && ++differing <= 3)
                ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << pict.pixel(x, y) << " vs "
                              << ref.pixels.pixel(x, y);
    EXPECT_EQ(differing, 0);
}

class PictTools : public ::testing::TestWithParam<int> {
  protected:
    TempDir dir;
    std::string Path(const std::string& name) { return dir / name; }
};

} // namespace

// ppmtopict writes 8-bit PackBitsRect pictures with a colour table.
TEST_P(PictTools, NetpbmIndexed) {
    if (!HaveTool("ppmtopict") || !HaveTool("pnmtopng"))
        GTEST_FAIL() << "netpbm is missing: run tools/setup-deps.sh";
    int width = GetParam();
    // Concentric rectangles give long runs; the colour ramp gives literal stretches between them.
    ASSERT_TRUE(Shell("pgmramp -rect " + std::to_string(width) + " 23 | pgmtoppm '#204080-#f0e020' > " +
                      Path("src.ppm")));
    ASSERT_TRUE(Shell("ppmtopict " + Path("src.ppm") + " > " + Path("a.pict")));
    ASSERT_TRUE(Shell("pnmtopng " + Path("src.ppm") + " > " + Path("a.png")));
    Decoded d = DecodePict(Path("a.pict"));
    std::string trace = Joined(d.trace);
    EXPECT_NE(trace.find("PackBitsRect"), std::string::npos) << trace;
    EXPECT_NE(trace.find(std::to_string(width) + " x 23, 8-bit"), std::string::npos) << trace;
    EXPECT_NE(trace.find(CountKind(width, 201)), std::string::npos) << trace;
    ExpectSamePixels(d.picture.pixels, Path("a.png"));
}

// ImageMagick writes pictures of at most 256 colours as 8-bit PackBitsRect.
TEST_P(PictTools, ImageMagickIndexed) {
    if (!HaveTool("convert")) GTEST_FAIL() << "ImageMagick is missing: run tools/setup-deps.sh";
    int width = GetParam();
    std::string size = std::to_string(width) + "x17";
    ASSERT_TRUE(Shell("convert -size " + size +
                      " gradient:'#c02040-#30e0a0' -fill '#102030' -draw 'rectangle 20,3 90,9' " +
                      "-colors 180 +dither -depth 8 " + Path("src.png")));
    ASSERT_TRUE(Shell("convert " + Path("src.png") + " PICT:" + Path("a.pict")));
    ASSERT_TRUE(Shell("convert " + Path("src.png") + " PNG24:" + Path("a.png")));
    Decoded d = DecodePict(Path("a.pict"));
    std::string trace = Joined(d.trace);
    EXPECT_NE(trace.find("PackBitsRect"), std::string::npos) << trace;
    EXPECT_NE(trace.find(std::to_string(width) + " x 17, 8-bit"), std::string::npos) << trace;
    EXPECT_NE(trace.find(CountKind(width, 200)), std::string::npos) << trace;
    ExpectSamePixels(d.picture.pixels, Path("a.png"));
}

// Pictures of more colours become 32-bit DirectBitsRect with red, green and blue planes.
TEST_P(PictTools, ImageMagickDirect) {
    if (!HaveTool("convert")) GTEST_FAIL() << "ImageMagick is missing: run tools/setup-deps.sh";
    int width = GetParam() / 4; // the same row byte counts as the indexed pictures
    std::string size = std::to_string(width) + "x13";
    ASSERT_TRUE(Shell("convert -size " + size +
                      " -seed 7 plasma:fractal -fill '#ff8000' -draw 'rectangle 4,2 30,6' " +
                      "-depth 8 -type TrueColor " + Path("src.png")));
    ASSERT_TRUE(Shell("convert " + Path("src.png") + " PICT:" + Path("a.pict")));
    ASSERT_TRUE(Shell("convert " + Path("src.png") + " PNG24:" + Path("a.png")));
    Decoded d = DecodePict(Path("a.pict"));
    std::string trace = Joined(d.trace);
    EXPECT_NE(trace.find("DirectBitsRect"), std::string::npos) << trace;
    EXPECT_NE(trace.find(std::to_string(width) + " x 13, 32-bit"), std::string::npos) << trace;
    EXPECT_NE(trace.find(CountKind(width * 3, 200)), std::string::npos) << trace;
    ExpectSamePixels(d.picture.pixels, Path("a.png"));
}

// Row bytes below and above 250: one- and two-byte row counts. Both writers already use word counts
// from about 200 row bytes on, which 248 checks.
INSTANTIATE_TEST_SUITE_P(RowBytes, PictTools, ::testing::Values(160, 200, 248, 320, 1024));
