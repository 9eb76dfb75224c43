#pragma once
// Fetches, checks and installs one source language for the course: the package
// "<n>source.tar.zst" (or "<n>source.zip") and its checksum file "<package>.sha256" are read from a
// base address (https:// or file://), the SHA-256 is compared before anything is unpacked, and the
// folder is unpacked beside its final place and renamed into it, so a language is either wholly
// installed or not at all.
#include <cstdint>
#include <string>
#include <vector>

namespace parlora {

class THelpPackage {
  public:
    // Exit codes of the program, one per kind of failure.
    enum Result {
        Installed = 0,
        BadUsage = 2,
        NoAddress = 3,
        FetchFailed = 4,
        ChecksumMismatch = 5,
        BadArchive = 6,
        InstallFailed = 7,
    };

    struct Outcome {
        Result result = Installed;
        std::string message; // one line
    };

    // The base address: key "HelpBase" of section "Defaults" in the first of sconfig.txt in
    // `workingDir`, sconfig.txt and config.txt in `parentDir` that exists. Empty when none is set.
    // A value without "://" is a folder, relative to that configuration file's folder.
    static std::string BaseAddress(const std::string& workingDir, const std::string& parentDir);

    // The data directory meant by the parent folder given on the command line: "<data>/.." names it
    // directly; otherwise the child of `parentDir` that holds a "sources" folder ("data" first).
    static std::string DataDirOf(const std::string& parentDir);

    // The whole job for source language `language`.
    static Outcome Install(int language, const std::string& parentDir, const std::string& baseAddress);

    // Pieces, public for tests.
    static bool Fetch(const std::string& url, std::vector<uint8_t>& out, std::string& error);
    static std::string Sha256Hex(const std::vector<uint8_t>& bytes);
    // The first word of a "sha256sum" line, lower-cased; empty when it is not 64 hex digits.
    static std::string ChecksumOf(const std::string& checksumFile);
    // Unpacks `archive` into the empty folder `into`. Every entry must lie inside "<n>source/"
    // (any letter case), be a folder or a plain file, and name no absolute path or "..";
    // anything else refuses the whole package.
    static bool Unpack(const std::vector<uint8_t>& archive, int language, const std::string& into,
                       std::string& error);

    // Writes the folder `folder` as a package for source language `language`: "<n>source/..." entries
    // in a .tar.zst or .zip (by the name of `packagePath`), and the checksum file beside it.
    static bool Pack(const std::string& folder, int language, const std::string& packagePath,
                     std::string& error);

    static constexpr uint64_t kMaxPackageBytes = 1ull << 30;
};

} // namespace parlora
