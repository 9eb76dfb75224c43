#pragma once
// Writes the demo course: every file of the manifest that has an art, laid out as the program
// expects (OUT/parlora holding data\, Update\ and the documents). Files already there that the
// generator does not make are left alone; files it makes are replaced.
#include <ostream>
#include <string>
#include <vector>

namespace parlora {

struct DemoOptions {
    std::string outDir;
    bool customScreens = true; // the custom start and end screens
    int jobs = 0;              // worker threads; 0: one per core plus one
    // Word files of this topic and target are written as MP3, so that both sound paths are used.
    std::string mp3Topic = "CY";
    int mp3Target = 5;
    // Only files whose relative path contains this (for tests); empty: everything.
    std::string only;
    // Do nothing when the folder already holds the set this program makes (see Fingerprint).
    bool ifChanged = false;
};

struct DemoReport {
    int pictures = 0, sounds = 0, films = 0, lists = 0, folders = 0;
    std::vector<std::string> failures;
    double seconds = 0;
    bool upToDate = false;
    bool ok() const { return failures.empty(); }
};

class DemoGenerator {
  public:
    static DemoReport Generate(const DemoOptions& options, std::ostream& log);
    // Names the manifest, the vocabulary and this program's build; stored beside a finished set.
    static std::string Fingerprint();

    // The source language the demo offers only as a download, and where its package lies: in the
    // folder "help-packages" of the course, which the demo configuration names as the base address.
    static constexpr int kDownloadSource = 5;
    static constexpr const char* kPackageFolder = "help-packages";
    static std::string DownloadPackagePath(const std::string& courseDir);
};

} // namespace parlora
