// The licence and read-me documents: rich text, or plain text in any of the course's encodings.
#include "front/RichTextDocument.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace parlora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TRichText doc = TRichTextDocument::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    (void)doc;
    return 0;
}
