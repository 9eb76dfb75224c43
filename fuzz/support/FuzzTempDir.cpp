#include "fuzz/support/FuzzTempDir.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <system_error>
#include <unistd.h>

namespace parlora::fuzz {
namespace {

struct Folder {
    std::filesystem::path path;
    Folder() {
        const char* base = std::getenv("TMPDIR");
        std::string tmpl = std::string(base && *base ? base : "/tmp") + "/parlora-fuzz.XXXXXX";
        if (!mkdtemp(tmpl.data())) {
            std::perror("parlora-fuzz: mkdtemp");
            std::abort();
        }
        path = tmpl;
    }
    ~Folder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

} // namespace

const std::filesystem::path& tempDir() {
    static Folder folder;
    return folder.path;
}

void clearTempDir() {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(tempDir(), ec))
        std::filesystem::remove_all(entry.path(), ec);
}

std::filesystem::path writeInput(const std::string& name, const uint8_t* data, size_t size) {
    clearTempDir();
    std::filesystem::path file = tempDir() / name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return file;
}

} // namespace parlora::fuzz
