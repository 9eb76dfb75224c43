#pragma once
// Fetches, checks and installs one source language for the course: the package
// "<n>source.tar.zst" (or "<n>source.zip") and its checksum file "<package>.sha256" are read from a
// base address (https:// or file://), the SHA-256 is compared before anything is unpacked, and the
// folder is unpacked beside its final place and renamed into it, so a language is either wholly
// installed or not at all. A run also removes what killed runs left of their unpacking.
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace parlora {

// What one package may unpack to.
struct HelpPackageLimits {
    uint64_t bytes = 4ull << 30; // declared sizes, so a sparse or lying entry counts in full
    // A whole source language is a few thousand files; more than this is a flood of entries meant
    // to exhaust the folder, not a language.
    size_t entries = 10000;
};

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
        Stopped = 8, // by a signal; the program then exits 128 + the signal
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
    static bool Fetch(const std::string& url, std::vector<uint8_t>& out, std::string& error,
                      uint64_t maxBytes = kMaxPackageBytes);
    static std::string Sha256Hex(const std::vector<uint8_t>& bytes);
    // The first word of a "sha256sum" line, lower-cased; empty when it is not 64 hex digits.
    static std::string ChecksumOf(const std::string& checksumFile);
    using Limits = HelpPackageLimits;
    // Unpacks `archive` into the empty folder `into`. Every entry must lie inside "<n>source/"
    // (any letter case), be a folder or a plain file without holes, name no absolute path or ".."
    // and no control character, and stay within `limits`; anything else refuses the whole package.
    static bool Unpack(const std::vector<uint8_t>& archive, int language, const std::string& into,
                       std::string& error, const Limits& limits = {});

    // Writes the folder `folder` as a package for source language `language`: "<n>source/..." entries
    // in a .tar.zst or .zip (by the name of `packagePath`), and the checksum file beside it.
    static bool Pack(const std::string& folder, int language, const std::string& packagePath,
                     std::string& error);

    // Asks a running Install to stop: the fetch and the unpacking end at their next step and the
    // temporary folder is removed. Async-signal-safe; the program calls it from its handler.
    static void RequestStop(int signal) { stopSignal_ = signal; }
    // The signal that asked to stop, 0 when none did.
    static int StopRequested() { return stopSignal_; }

    static constexpr uint64_t kMaxPackageBytes = 1ull << 30;
    static constexpr uint64_t kMaxChecksumFileBytes = 64 << 10;
    // An unpacking folder ".<n>source-XXXXXX" older than this, and not locked by its run, was left
    // by a run that was killed.
    static constexpr int kStaleMinutes = 60;

  private:
    static inline volatile std::sig_atomic_t stopSignal_ = 0;
};

} // namespace parlora
