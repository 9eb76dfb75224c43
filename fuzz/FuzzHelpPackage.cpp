// Help-language packages: any bytes (a plain or compressed tar, a zip) through the unpacking into a
// private folder. Whatever it accepts must stay inside "7source", hold only folders and plain files
// within the limits, and every refusal must be one printable line. The limits are small so that an
// input found here cannot fill the memory-backed folder the fuzzer runs in.
#include "fuzz/support/FuzzTempDir.h"
#include "tools/gethelp/HelpPackage.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

using namespace parlora;

namespace {

bool Printable(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) return false;
        if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
            static_cast<unsigned char>(text[i + 1]) < 0xA0)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    namespace fs = std::filesystem;
    fuzz::clearTempDir();
    const fs::path& into = fuzz::tempDir();
    THelpPackage::Limits limits;
    limits.bytes = 4 << 20;
    limits.entries = 300;
    std::string error;
    bool ok = THelpPackage::Unpack(std::vector<uint8_t>(data, data + size), 7, into.string(), error, limits);
    if (!ok && (error.empty() || !Printable(error))) __builtin_trap();

    uint64_t bytes = 0;
    std::error_code ec;
    for (fs::recursive_directory_iterator d(into, ec); !ec && d != fs::recursive_directory_iterator();
         d.increment(ec)) {
        fs::file_status st = d->symlink_status();
        if (!fs::is_directory(st) && !fs::is_regular_file(st)) __builtin_trap();
        if (*fs::relative(d->path(), into).begin() != "7source") __builtin_trap();
        if (fs::is_regular_file(st)) bytes += d->file_size();
    }
    if (ok && bytes > limits.bytes) __builtin_trap();

    THelpPackage::ChecksumOf(std::string(reinterpret_cast<const char*>(data), size));
    fuzz::clearTempDir();
    return 0;
}
