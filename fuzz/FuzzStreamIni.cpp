// "stream.ini" as the main window reads it when another program changes the content: the file is
// read from the course's home folder (here a private folder) and its Stream flags taken.
#include "core/ProfileFile.h"
#include "fuzz/support/FuzzTempDir.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace parlora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string path = fuzz::writeInput("stream.ini", data, size).string();
    std::string flags = ProfileFile::Read(path, "Stream", "Flags", "");
    (void)flags;
    return 0;
}
