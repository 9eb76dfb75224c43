#include "shell/Registry.h"

#include "core/ProfileFile.h"

#include <filesystem>

namespace parlora {

std::string TRegistryFile::Read(const std::string& name, const std::string& fallback) {
    if (path_.empty()) return fallback;
    try {
        return ProfileFile::Read(path_, kSection, name, fallback);
    } catch (const std::exception&) {
        return fallback;
    }
}

void TRegistryFile::Write(const std::string& name, const std::string& value) {
    if (path_.empty()) return;
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::path(path_).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    try {
        ProfileFile::Write(path_, kSection, name, value);
    } catch (const std::exception&) {
        // Only a convenience for the next start; the course runs on without it.
    }
}

} // namespace parlora
