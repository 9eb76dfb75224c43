#include "display/PictureCache.h"
#include "display/MemoryDIB.h"
#include "display/PictureDecoder.h"
#include "tests/display/DisplayTestUtil.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>

using namespace parlora;
using namespace parlora::test;

namespace {

// The cache is the program's one instance: each test leaves it as it found it.
struct CacheTest : ::testing::Test {
    PictureCache& cache = PictureCache::Instance();
    size_t budget = cache.Budget();
    void SetUp() override { cache.Clear(); }
    void TearDown() override {
        cache.SetBudget(budget);
        cache.Clear();
    }
};

constexpr size_t kPictureBytes = 32 * 32 * 4;

std::vector<std::string> Pictures(TempDir& dir, int n) {
    std::vector<std::string> paths;
    for (int i = 0; i < n; ++i) {
        paths.push_back(dir / ("p" + std::to_string(i) + ".png"));
        SavePngRaw(Bands(32, 32, i + 1), paths.back());
    }
    return paths;
}

// Written row by row in seven passes: a decoder that skips a pass leaves pixels unwritten.
void SaveInterlacedPng(const Surface& s, const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, png_uint_32(s.width()), png_uint_32(s.height()), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_ADAM7, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_filler(png, 0, PNG_FILLER_AFTER);
    png_set_bgr(png);
    std::vector<png_bytep> rows(size_t(s.height()));
    for (int y = 0; y < s.height(); ++y)
        rows[size_t(y)] = reinterpret_cast<png_bytep>(const_cast<uint32_t*>(s.row(y)));
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

} // namespace

TEST_F(CacheTest, PicturesInUseStayFindableAndOnlyUnusedOnesCountAgainstTheBudget) {
    TempDir dir;
    auto paths = Pictures(dir, 4);
    cache.SetBudget(kPictureBytes); // room for one picture no one shows
    std::vector<TMemoryDIB> shown(3);
    for (int i = 0; i < 3; ++i)
        shown[size_t(i)].LoadFromFile(paths[size_t(i)]);
    uint64_t decodes = cache.Decodes();
    TMemoryDIB again;
    for (int i = 0; i < 3; ++i)
        again.LoadFromFile(paths[size_t(i)]); // in use: found, though over the budget
    EXPECT_EQ(cache.Decodes(), decodes);
    EXPECT_EQ(cache.KeptBytes(), 0u);

    again.Clear();
    shown.clear(); // three pictures unused now; the next decode trims to the budget
    TMemoryDIB fourth;
    fourth.LoadFromFile(paths[3]);
    EXPECT_LE(cache.KeptBytes(), kPictureBytes);
    // The most recently used of the released pictures is the one kept.
    decodes = cache.Decodes();
    again.LoadFromFile(paths[2]);
    EXPECT_EQ(cache.Decodes(), decodes);
    again.LoadFromFile(paths[0]);
    EXPECT_EQ(cache.Decodes(), decodes + 1);
}

TEST_F(CacheTest, PrefetchDecodesEachMissingFileOnceAndLeavesFailuresToTheLoad) {
    TempDir dir;
    auto paths = Pictures(dir, 6);
    WriteBytes(dir / "broken.png", {0x89, 'P', 'N', 'G', 1, 2, 3});
    std::vector<std::string> asked = paths;
    asked.push_back(dir / "broken.png");
    asked.push_back(dir / "missing.png");
    asked.push_back(dir / "P0.PNG"); // the same file as p0.png
    TMemoryDIB first;
    first.LoadFromFile(paths[0]); // already cached: not decoded again
    cache.SetBudget(0);           // nothing unused may stay, except what the prefetch holds
    uint64_t decodes = cache.Decodes();

    auto held = cache.Prefetch(asked);
    EXPECT_EQ(cache.Decodes(), decodes + 5);
    EXPECT_EQ(held.size(), 5u);
    std::vector<TMemoryDIB> dibs(paths.size());
    for (size_t i = 0; i < paths.size(); ++i) {
        dibs[i].LoadFromFile(paths[i]);
        Surface expected =
            PictureDecoder::Decode(paths[i], ReadBytes(paths[i]).data(), ReadBytes(paths[i]).size()).pixels;
        EXPECT_EQ(dibs[i].Pixels().pixel(31, 0), expected.pixel(31, 0)) << i;
    }
    EXPECT_EQ(cache.Decodes(), decodes + 5);
    TMemoryDIB bad;
    EXPECT_THROW(bad.LoadFromFile(dir / "broken.png"), std::exception);
    EXPECT_THROW(bad.LoadFromFile(dir / "missing.png"), std::exception);

    // Once the loads hold them and the prefetch lets go, they are ordinary pictures in use.
    held.clear();
    EXPECT_EQ(cache.KeptBytes(), 0u);
    dibs.clear();
    SavePngRaw(Bands(32, 32, 9), dir / "late.png");
    TMemoryDIB next;
    next.LoadFromFile(dir / "late.png");
    EXPECT_EQ(cache.KeptBytes(), 0u); // budget 0: the released ones went
}

TEST_F(CacheTest, PicturesNoScreenHoldsArePackedAndComeBackWithoutDecoding) {
    TempDir dir;
    std::vector<std::string> paths;
    std::vector<Surface> originals;
    for (int i = 0; i < 3; ++i) {
        paths.push_back(dir / ("big" + std::to_string(i) + ".png"));
        originals.push_back(Bands(256, 256, i + 2));
        SavePngRaw(originals.back(), paths.back());
    }
    const size_t raw = 256 * 256 * 4;
    auto sameAsOriginal = [&](const TMemoryDIB& dib, size_t i) {
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                if (dib.Pixels().pixel(x, y) != originals[i].pixel(x, y)) return false;
        return true;
    };
    {
        std::vector<TMemoryDIB> shown(3);
        for (size_t i = 0; i < 3; ++i)
            shown[i].LoadFromFile(paths[i]);
        EXPECT_EQ(cache.PackedCount(), 0u);
    }
    // Let go, they are packed at the next load and take a fraction of their pixels.
    const uint64_t decodes = cache.Decodes();
    TMemoryDIB small;
    small.LoadFromFile(Pictures(dir, 1)[0]);
    EXPECT_EQ(cache.PackedCount(), 3u);
    EXPECT_GT(cache.KeptBytes(), 0u);
    EXPECT_LT(cache.KeptBytes(), raw / 2);

    // Loaded again, one by one and by a prefetch, they are the same pixels and no file is read.
    TMemoryDIB one;
    one.LoadFromFile(paths[0]);
    EXPECT_TRUE(sameAsOriginal(one, 0));
    auto held = cache.Prefetch(paths);
    EXPECT_EQ(held.size(), 2u) << "the two still packed, unpacked side by side";
    std::vector<TMemoryDIB> again(3);
    for (size_t i = 0; i < 3; ++i) {
        again[i].LoadFromFile(paths[i]);
        EXPECT_TRUE(sameAsOriginal(again[i], i)) << i;
    }
    EXPECT_EQ(cache.Decodes(), decodes + 1) << "only the small picture was decoded";
    EXPECT_EQ(cache.PackedCount(), 0u);

    // The budget counts packed bytes: with room for about one, the least recently used go.
    held.clear();
    again.clear();
    one.Clear();
    cache.SetBudget(cache.Budget()); // a trim: only the packed copies are left
    EXPECT_EQ(cache.PackedCount(), 3u);
    cache.SetBudget(cache.KeptBytes() / 3 + 1);
    EXPECT_LE(cache.KeptBytes(), cache.Budget());
    EXPECT_LT(cache.Count(), 4u);
}

TEST(PictureDecoder, InterlacedPngDecodesEveryPixel) {
    TempDir dir;
    Surface s(37, 23);
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            s.setPixel(x, y, ArgbFromRgb(uint8_t(x * 7), uint8_t(y * 11), uint8_t(x ^ y)));
    SaveInterlacedPng(s, dir / "i.png");
    auto bytes = ReadBytes(dir / "i.png");
    for (int run = 0; run < 3; ++run) { // freed pictures' memory is reused uncleared
        Surface d = PictureDecoder::Decode("i.png", bytes.data(), bytes.size()).pixels;
        ASSERT_EQ(d.width(), s.width());
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x)
                ASSERT_EQ(d.pixel(x, y), s.pixel(x, y)) << x << "," << y;
    }
}
