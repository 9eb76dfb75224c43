// The student list's comma text: decoded from any bytes, encoded again and decoded back.
#include "shell/CommaText.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace parlora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> items = DecodeCommaText(input);
    std::string encoded = EncodeCommaText(items);
    // A list the program wrote must read back as the same names.
    if (DecodeCommaText(encoded) != items) __builtin_trap();
    return 0;
}
