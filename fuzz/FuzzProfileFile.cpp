// INI profiles (records, settings): the reader on any bytes, then the writer on names and values
// taken from the input, through the real file functions in a private folder.
#include "core/ProfileFile.h"
#include "fuzz/support/FuzzTempDir.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

using namespace parlora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    ProfileText text{std::string(input)};
    for (const std::string& section : text.sections()) {
        text.hasSection(section);
        for (const std::string& key : text.keys(section))
            text.get(section, key);
    }
    // Whatever was read is written back unchanged.
    if (text.bytes() != input) __builtin_trap();

    // Names and a value cut from the input's first line: "section|key|value".
    std::string_view first = input.substr(0, input.find('\n'));
    size_t a = first.find('|');
    size_t b = a == std::string_view::npos ? a : first.find('|', a + 1);
    std::string_view section = first.substr(0, a);
    std::string_view key = a == std::string_view::npos ? "Key" : first.substr(a + 1, b - a - 1);
    std::string_view value = b == std::string_view::npos ? "1" : first.substr(b + 1);
    text.set(section, key, value);
    text.get(section, key);
    text.eraseSection(key);
    text.bytes();

    try {
        std::string path = fuzz::writeInput("profile.ini", data, size).string();
        ProfileFile::Read(path, section, key, "");
        ProfileFile::Write(path, section, key, value);
        ProfileFile::Read(path, section, key, "");
        ProfileFile::EraseSection(path, section);
        ProfileFile::Load(path);
    } catch (const std::exception&) {
        // A write refused by the file system is reported, not a fault.
    }
    return 0;
}
