#pragma once
// What our own decoders make of content files: one file ("info") or a whole data directory
// checked against the manifest ("check"), or one picture written out as the course draws it ("convert").
// Garbage files give a line with the decoder's message.
#include "tools/content/Manifest.h"

#include <ostream>
#include <string>

namespace parlora {

struct CheckSummary {
    int missing = 0;         // required files not found
    int unreadable = 0;      // files found that a decoder refuses
    int checked = 0;         // files found and decoded
    int missingOptional = 0; // not counted as faults, not printed
    bool ok() const { return missing == 0 && unreadable == 0; }
};

class ContentChecker {
  public:
    // One line describing `file`; throws AppError (the decoder's class) when it cannot be read.
    static std::string Describe(const std::string& file);
    // Prints the line (or "<file>: unreadable: <message>"); false when unreadable.
    static bool Info(const std::string& file, std::ostream& out);
    // Writes `in` as a PNG of what the course draws: decoded as it loads pictures, then drawn onto
    // black (masked pictures blend there). Throws AppError with the loader's message.
    static void Convert(const std::string& in, const std::string& outPng);
    // One line per missing required file and per unreadable file, then
    // "N missing, M unreadable, K checked".
    static CheckSummary Check(const std::string& dataDir, std::ostream& out);
    // One line per content file present, "LEVEL<tab>KIND<tab>full path" (as found on disk), for
    // tools that need to know which files the course cannot do without.
    static void List(const std::string& dataDir, std::ostream& out);
};

} // namespace parlora
