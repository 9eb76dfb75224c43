#include "display/PictureDecoder.h"

#include "core/Errors.h"
#include "core/StringUtil.h"
#include "display/PictDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jerror.h>
#include <jpeglib.h>
#include <png.h>
#include <string>

namespace parlora {

namespace {

// Empty when the size is acceptable; no throwing here, the callers sit between setjmp and longjmp.
std::string SizeProblem(uint64_t w, uint64_t h) {
    if (w == 0 || h == 0) return "Picture has no pixels";
    if (w > uint64_t(PictureDecoder::kMaxSide) || h > uint64_t(PictureDecoder::kMaxSide) ||
        w * h > PictureDecoder::kMaxPixels)
        return Format("Picture too large (%llu x %llu)", (unsigned long long)w, (unsigned long long)h);
    return {};
}

void CheckSize(uint64_t w, uint64_t h) {
    std::string problem = SizeProblem(w, h);
    if (!problem.empty()) throw PBException(problem);
}

// ---- PNG ----

struct PngSource {
    const uint8_t* data;
    size_t size;
    size_t pos;
    std::string error;
};

void PngRead(png_structp png, png_bytep out, png_size_t n) {
    auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
    if (n > src->size - src->pos) {
        src->error = "Truncated PNG data";
        png_error(png, "truncated");
    }
    std::memcpy(out, src->data + src->pos, n);
    src->pos += n;
}

void PngError(png_structp png, png_const_charp msg) {
    auto* src = static_cast<PngSource*>(png_get_error_ptr(png));
    if (src->error.empty()) src->error = std::string("Corrupt PNG data: ") + msg;
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

} // namespace

DecodedPicture PictureDecoder::DecodePng(const uint8_t* data, size_t size) {
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0) throw PBException("Not a PNG file");
    PngSource src{data, size, 8, {}};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &src, PngError, PngWarning);
    if (!png) throw PBException("Out of memory");
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        throw PBException("Out of memory");
    }
    // Locals touched after setjmp live outside the jump's reach.
    DecodedPicture result;
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw PBException(src.error.empty() ? std::string("Corrupt PNG data") : src.error);
    }
    png_set_read_fn(png, &src, PngRead);
    png_set_sig_bytes(png, 8);
    // Checksums only say a file is damaged, which the decoding itself notices well enough; they
    // cost a pass over every byte of every picture.
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#ifdef PNG_IGNORE_ADLER32
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    // Chunks we never use are skipped unread: libpng would allocate a text or profile chunk at the
    // length its header claims before reading it, gigabytes for a file of a hundred bytes.
    static const png_byte kSkipped[] = "tEXt\0zTXt\0iTXt\0iCCP\0sPLT\0eXIf";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kSkipped, 6);
    png_read_info(png, info);
    png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    int type = png_get_color_type(png, info);
    int depth = png_get_bit_depth(png, info);
    src.error = SizeProblem(w, h);
    if (!src.error.empty()) png_error(png, "size");
    if (depth == 16) png_set_strip_16(png);
    if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    bool hasAlpha = (type & PNG_COLOR_MASK_ALPHA) != 0;
    if (png_get_valid(png, info, PNG_INFO_tRNS)) {
        png_set_tRNS_to_alpha(png);
        hasAlpha = true;
    }
    if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png); // B, G, R, A bytes = our native 0xAARRGGBB
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(w) * 4) {
        src.error = "Unsupported PNG layout";
        png_error(png, "layout");
    }
    result.pixels.resizeForOverwrite(int(w), int(h)); // every row is read, or the decode fails
    rows.resize(h);
    for (png_uint_32 y = 0; y < h; ++y)
        rows[y] = reinterpret_cast<png_bytep>(result.pixels.row(int(y)));
    png_read_image(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);

    // Blend over black; opaque pixels come out unchanged, and no branch keeps the loop vectorisable.
    if (!hasAlpha) return result;
    uint32_t* p = result.pixels.data();
    for (size_t i = 0, n = size_t(w) * h; i < n; ++i) {
        uint32_t c = p[i];
        uint32_t a = c >> 24;
        // (v + (v >> 8) + 1) >> 8 equals v / 255 for every v = c * a + 127 here.
        auto div255 = [](uint32_t v) { return (v + (v >> 8) + 1) >> 8; };
        uint32_t r = div255(((c >> 16) & 0xFF) * a + 127);
        uint32_t g = div255(((c >> 8) & 0xFF) * a + 127);
        uint32_t b = div255((c & 0xFF) * a + 127);
        p[i] = 0xFF000000u | (r << 16) | (g << 8) | b;
    }
    return result;
}

// ---- JPEG ----

namespace {

struct JpegError {
    jpeg_error_mgr mgr;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpegError*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    longjmp(err->jump, 1);
}

void JpegEmit(j_common_ptr cinfo, int level) {
    // A file cut short is an error for us: libjpeg would pad it with grey.
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) JpegErrorExit(cinfo);
}

} // namespace

DecodedPicture PictureDecoder::DecodeJpeg(const uint8_t* data, size_t size) {
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8) throw PBException("Not a JPEG file");
    jpeg_decompress_struct cinfo;
    JpegError err;
    std::memset(err.message, 0, sizeof err.message);
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JpegErrorExit;
    err.mgr.emit_message = JpegEmit;
    DecodedPicture result;
    std::vector<uint8_t> cmyk;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        throw PBException(std::string("Corrupt JPEG data: ") + err.message);
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, (unsigned long)size);
    jpeg_read_header(&cinfo, TRUE);
    if (!SizeProblem(cinfo.image_width, cinfo.image_height).empty()) {
        std::snprintf(err.message, sizeof err.message, "picture size %u x %u", cinfo.image_width,
                      cinfo.image_height);
        longjmp(err.jump, 1);
    }
    bool isCmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = isCmyk ? JCS_CMYK : JCS_EXT_BGRA;
    jpeg_start_decompress(&cinfo);
    int w = int(cinfo.output_width), h = int(cinfo.output_height);
    result.pixels.resizeForOverwrite(w, h); // a cut file's rows still come out, filled in
    if (isCmyk) cmyk.resize(size_t(w) * 4);
    // Adobe writes CMYK inverted; files without its marker hold plain ink values.
    bool inverted = cinfo.saw_Adobe_marker;
    while (cinfo.output_scanline < cinfo.output_height) {
        int y = int(cinfo.output_scanline);
        if (!isCmyk) {
            JSAMPROW row = reinterpret_cast<JSAMPROW>(result.pixels.row(y));
            jpeg_read_scanlines(&cinfo, &row, 1);
            continue;
        }
        JSAMPROW row = cmyk.data();
        jpeg_read_scanlines(&cinfo, &row, 1);
        uint32_t* out = result.pixels.row(y);
        for (int x = 0; x < w; ++x) {
            uint32_t c = cmyk[x * 4], m = cmyk[x * 4 + 1], ye = cmyk[x * 4 + 2], k = cmyk[x * 4 + 3];
            if (!inverted) c = 255 - c, m = 255 - m, ye = 255 - ye, k = 255 - k;
            out[x] = ArgbFromRgb(uint8_t(c * k / 255), uint8_t(m * k / 255), uint8_t(ye * k / 255));
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    // JCS_EXT_BGRA already fills alpha with 255.
    return result;
}

// ---- BMP ----

namespace {

uint32_t Le32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
}
uint16_t Le16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}

} // namespace

DecodedPicture PictureDecoder::DecodeBmp(const uint8_t* data, size_t size) {
    if (size < 14 + 40 || data[0] != 'B' || data[1] != 'M') throw PBException("Not a Windows bitmap");
    uint32_t pixelOffset = Le32(data + 10);
    uint32_t headerSize = Le32(data + 14);
    if (headerSize < 40 || headerSize > size - 14) throw PBException("Corrupt bitmap header");
    int32_t w = int32_t(Le32(data + 18));
    int32_t hRaw = int32_t(Le32(data + 22));
    uint16_t bpp = Le16(data + 28);
    uint32_t compression = Le32(data + 30);
    uint32_t colours = Le32(data + 46);
    bool topDown = hRaw < 0;
    int64_t h = topDown ? -int64_t(hRaw) : hRaw;
    if (w < 0) throw PBException("Corrupt bitmap header");
    CheckSize(uint64_t(w), uint64_t(h));
    if (!(compression == 0 || (compression == 3 && bpp == 32)))
        throw PBException("Compressed bitmaps are not supported");
    if (bpp != 8 && bpp != 24 && bpp != 32) throw PBException(Format("Unsupported bitmap depth %d", bpp));
    std::vector<uint32_t> palette;
    if (bpp == 8) {
        if (colours == 0 || colours > 256) colours = 256;
        size_t palStart = 14 + size_t(headerSize);
        if (palStart + size_t(colours) * 4 > size) throw PBException("Truncated bitmap palette");
        for (uint32_t i = 0; i < colours; ++i) {
            const uint8_t* q = data + palStart + i * 4;
            palette.push_back(ArgbFromRgb(q[2], q[1], q[0]));
        }
    }
    size_t stride = ((size_t(w) * bpp + 31) / 32) * 4;
    if (pixelOffset > size || stride * size_t(h) > size - pixelOffset)
        throw PBException("Truncated bitmap data");
    DecodedPicture result;
    result.masked = bpp == 32;
    result.pixels.resize(w, int(h), 0);
    for (int64_t y = 0; y < h; ++y) {
        const uint8_t* src = data + pixelOffset + stride * size_t(y);
        uint32_t* out = result.pixels.row(int(topDown ? y : h - 1 - y));
        for (int x = 0; x < w; ++x) {
            if (bpp == 8) {
                out[x] = src[x] < palette.size() ? palette[src[x]] : 0xFF000000u;
            } else if (bpp == 24) {
                out[x] = ArgbFromRgb(src[x * 3 + 2], src[x * 3 + 1], src[x * 3]);
            } else {
                out[x] = Le32(src + x * 4);
            }
        }
    }
    return result;
}

DecodedPicture PictureDecoder::Decode(std::string_view fileName, const uint8_t* data, size_t size) {
    std::string lower = ToLowerAscii(fileName);
    auto endsWith = [&](const char* ext) {
        size_t n = std::strlen(ext);
        return lower.size() >= n && lower.compare(lower.size() - n, n, ext) == 0;
    };
    if (endsWith(".png")) return DecodePng(data, size);
    if (endsWith(".jpg") || endsWith(".jpeg")) return DecodeJpeg(data, size);
    if (endsWith(".bmp")) return DecodeBmp(data, size);
    if (endsWith(".pct") || endsWith(".pict")) return PictDecoder::Decode(data, size);
    if (size >= 8 && png_sig_cmp(data, 0, 8) == 0) return DecodePng(data, size);
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xD8) return DecodeJpeg(data, size);
    if (size >= 2 && data[0] == 'B' && data[1] == 'M') return DecodeBmp(data, size);
    if (PictDecoder::HasSignature(data, size)) return PictDecoder::Decode(data, size);
    throw PBException("Unknown picture format");
}

} // namespace parlora
