// The text codecs (Mac OS Roman, Windows-1252, UTF-16, UTF-8) on any bytes. What comes out as
// UTF-8 must be valid UTF-8, since the text engine and the records rely on it.
#include "core/TextCodec.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace parlora;

namespace {
void ExpectUtf8(const std::string& text) {
    if (!IsValidUtf8(text)) __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    ExpectUtf8(Cp1252ToUtf8(MacRomanToCp1252(input)));
    ExpectUtf8(Cp1252ToUtf8(input));
    ExpectUtf8(RecordTextToUtf8(input));
    ExpectUtf8(Utf16ToUtf8(input));
    ExpectUtf8(Utf16ToUtf8(input, true));
    ExpectUtf8(DecodeTextFile(input));
    std::string cp1252 = Utf8ToCp1252(input);
    if (IsValidUtf8(input)) {
        std::u16string wide = Utf8ToUtf16(input);
        // Valid UTF-8 survives the way through UTF-16 unchanged.
        if (Utf16ToUtf8(wide) != input) __builtin_trap();
    }
    return 0;
}
