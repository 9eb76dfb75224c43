#pragma once
// Pictures drawn in code for the display tests, written through the real encoders.
#include "core/Surface.h"
#include "tests/support/GoldenImage.h"

#include <cstdio>
#include <jpeglib.h>
#include <string>
#include <vector>

namespace parlora::test {

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::vector<uint8_t> out;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        uint8_t buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            out.insert(out.end(), buf, buf + n);
        std::fclose(f);
    }
    return out;
}

inline std::vector<uint8_t> EncodeJpeg(const Surface& s, bool cmyk = false, int quality = 95) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = JDIMENSION(s.width());
    c.image_height = JDIMENSION(s.height());
    c.input_components = cmyk ? 4 : 3;
    c.in_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row(size_t(s.width()) * c.input_components);
    while (c.next_scanline < c.image_height) {
        const uint32_t* p = s.row(int(c.next_scanline));
        for (int x = 0; x < s.width(); ++x) {
            uint8_t r = (p[x] >> 16) & 0xFF, g = (p[x] >> 8) & 0xFF, b = p[x] & 0xFF;
            if (cmyk) { // libjpeg marks CMYK as Adobe's, which stores inverted inks: no black ink = 255
                row[x * 4] = r, row[x * 4 + 1] = g, row[x * 4 + 2] = b, row[x * 4 + 3] = 255;
            } else {
                row[x * 3] = r, row[x * 3 + 1] = g, row[x * 3 + 2] = b;
            }
        }
        JSAMPROW rp = row.data();
        jpeg_write_scanlines(&c, &rp, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<uint8_t> out(mem, mem + size);
    jpeg_destroy_compress(&c);
    free(mem);
    return out;
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& b) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
}

// A w x h picture: `n` vertical bands of distinct colours (frames of a strip).
inline Surface Bands(int w, int h, int n) {
    static const uint32_t colours[] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFF00u, 0xFF00FFFFu,
                                       0xFFFF00FFu, 0xFF808080u, 0xFFFFFFFFu, 0xFF804000u, 0xFF004080u};
    Surface s(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            s.setPixel(x, y, colours[(x * n / w) % 10]);
    return s;
}

} // namespace parlora::test
