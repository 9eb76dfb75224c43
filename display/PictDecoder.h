#pragma once
// Macintosh PICT pictures: bytes in, 32-bit picture out, or PBException with the decoder's reason.
// Supported: version 2 pictures with the 512-byte file header; the first pixel image is decoded and
// everything after it ignored. Images: PackBitsRect (1-, 4- and 8-bit indexed with a colour table),
// DirectBitsRect and DirectBitsRgn (16-bit 5-5-5 packed by words, 32-bit packed as red, green and
// blue planes; the mask region is skipped). Rows narrower than 8 bytes are stored unpacked.
// Opcodes that only set drawing state are skipped by their length; vector shapes, text, unpacked
// BitsRect/BitsRgn, PackBitsRgn, QuickTime and version-1 pictures are refused.
#include "display/PictureDecoder.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace parlora {

// What the opcode walk met, one line per opcode ("0x020A VersionOp"), for logs and tests.
using PictTrace = std::function<void(const std::string&)>;

class PictDecoder {
  public:
    // The picture is opaque and never masked, as the course draws 24-bit bitmaps.
    static DecodedPicture Decode(const uint8_t* data, size_t size, const PictTrace& trace = {});
    // A version-2 picture: the version opcode right after the 512-byte header and the frame.
    static bool HasSignature(const uint8_t* data, size_t size);
    // The opcode's name ("PackBitsRect"), or empty when the table does not know it.
    static std::string OpcodeName(uint16_t opcode);
};

} // namespace parlora
