#pragma once
// Picture decoders: bytes in, 32-bit picture out, or PBException with the decoder's reason.
// Supported: PNG (every colour type, 16-bit stripped, interlaced), baseline and progressive JPEG
// (grey, YCbCr, CMYK and Adobe's inverted CMYK), Windows BMP (uncompressed 8/24/32-bit, BITFIELDS 32-bit),
// Macintosh PICT (display/PictDecoder.h).
#include "core/Surface.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace parlora {

struct DecodedPicture {
    Surface pixels;
    bool masked = false; // a 32-bit bitmap whose alpha is kept
};

class PictureDecoder {
  public:
    // PNG alpha is blended over black as (c * a + 127) / 255 and alpha set to 255.
    static DecodedPicture DecodePng(const uint8_t* data, size_t size);
    static DecodedPicture DecodeJpeg(const uint8_t* data, size_t size);
    static DecodedPicture DecodeBmp(const uint8_t* data, size_t size);
    // Chooses by the file name's extension, then by the signature when the extension is unknown.
    static DecodedPicture Decode(std::string_view fileName, const uint8_t* data, size_t size);

    // Pictures keep 16-bit dimensions; the pixel budget guards against absurd headers.
    static constexpr int kMaxSide = 65535;
    static constexpr uint64_t kMaxPixels = 64ull * 1024 * 1024;
};

} // namespace parlora
