// Macintosh PICT pictures as the course loads them: chosen by the file name, decoded to 32-bit pixels.
#include "display/PictDecoder.h"
#include "display/PictureDecoder.h"

#include <cstddef>
#include <cstdint>
#include <exception>

using namespace parlora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PictDecoder::HasSignature(data, size);
    try {
        DecodedPicture picture = PictureDecoder::Decode("fuzz.pct", data, size);
        (void)picture;
    } catch (const std::exception&) {
    }
    return 0;
}
