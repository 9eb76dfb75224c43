#include "tests/support/GoldenImage.h"

#include <cstdlib>
#include <filesystem>
#include <png.h>

namespace parlora::test {

Surface LoadPngRaw(const std::string& path) {
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, path.c_str())) return {};
    img.format = PNG_FORMAT_BGRA;
    Surface s(int(img.width), int(img.height), 0);
    if (!png_image_finish_read(&img, nullptr, s.data(), s.strideBytes(), nullptr)) {
        png_image_free(&img);
        return {};
    }
    return s;
}

void SavePngRaw(const Surface& s, const std::string& path) {
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    img.width = png_uint_32(s.width());
    img.height = png_uint_32(s.height());
    img.format = PNG_FORMAT_BGRA;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    if (!png_image_write_to_file(&img, path.c_str(), 0, s.data(), s.strideBytes(), nullptr))
        throw std::runtime_error("Cannot write " + path);
}

::testing::AssertionResult MatchesGolden(const Surface& actual, const std::string& name, GoldenTolerance tol,
                                         const std::string& folder) {
    std::string path = folder + "/" + name;
    const char* update = std::getenv("PARLORA_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        // Stored opaque: the screen has no transparency.
        Surface opaque = actual;
        for (int i = 0; i < opaque.width() * opaque.height(); ++i)
            opaque.data()[i] |= 0xFF000000u;
        SavePngRaw(opaque, path);
        return ::testing::AssertionSuccess() << "rewrote " << path;
    }
    Surface expected = LoadPngRaw(path);
    if (expected.empty())
        return ::testing::AssertionFailure()
               << "no golden picture " << path << " (run with PARLORA_UPDATE_GOLDEN=1 to make it)";
    if (expected.width() != actual.width() || expected.height() != actual.height())
        return ::testing::AssertionFailure()
               << "size " << actual.width() << "x" << actual.height() << " but " << path << " is "
               << expected.width() << "x" << expected.height();
    long bad = 0;
    int firstX = -1, firstY = -1;
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            uint32_t a = actual.pixel(x, y), e = expected.pixel(x, y);
            for (int sh = 0; sh < 24; sh += 8) {
                int d = std::abs(int((a >> sh) & 0xFF) - int((e >> sh) & 0xFF));
                if (d > tol.channel) {
                    if (bad++ == 0) firstX = x, firstY = y;
                    break;
                }
            }
        }
    }
    double fraction = double(bad) / (double(actual.width()) * actual.height());
    if (fraction > tol.maxBadFraction) {
        actual.savePng(path + ".actual.png");
        return ::testing::AssertionFailure() << bad << " pixels differ from " << path << ", first at ("
                                             << firstX << "," << firstY << "); actual saved beside it";
    }
    return ::testing::AssertionSuccess();
}

} // namespace parlora::test
