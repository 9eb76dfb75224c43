#pragma once
// The lists the phrase export reads from the source language's folder: the dialog's messages,
// the categories and the phrases, each UTF-8 or UTF-16 text with or without a byte-order mark.
#include <array>
#include <string>
#include <vector>

namespace parlora {

struct TOurPhrase {
    std::string code; // the category code followed by digits, such as fw12
    std::string text; // the track's name
    std::string file; // the track once written
};

struct TOurCategory {
    std::string code;  // such as fw
    std::string title; // shown in the album name
    std::vector<TOurPhrase> phrases;
};

struct TExportMessages {
    enum Line { NoEncoder, EncoderTooOld, DownloadAddress, ConfirmCancel, Cancelled, Complete };
    std::array<std::string, 6> lines;
    const std::string& operator[](Line l) const { return lines[size_t(l)]; }
};

namespace PhraseLists {

// `name` in the source folder, else in DataDir\sources\2source; empty when in neither.
std::string FindListFile(const std::string& sourceDir, const std::string& dataDir, const std::string& name);
// The file's lines as UTF-8, without line ends.
std::vector<std::string> ReadLines(const std::string& path);

// The first six lines, trimmed; a missing or empty line (or a missing file) takes its default.
TExportMessages LoadMessages(const std::string& sourceDir, const std::string& dataDir);
TExportMessages DefaultMessages();

// Categories in file order with their phrases; AppError "Can't find file %s",
// "Bad line in scrPhrases.txt: %s" or "Unknown category code %s".
std::vector<TOurCategory> LoadPhrases(const std::string& sourceDir, const std::string& dataDir,
                                      int& phraseCount);
// The same from the lines themselves.
std::vector<TOurCategory> ParsePhrases(const std::vector<std::string>& categoryLines,
                                       const std::vector<std::string>& phraseLines, int& phraseCount);

// The interface folder holding a category's small pictures ("FirstWords" for fw, any case); empty
// for a code the course does not know.
std::string PictureFolder(const std::string& categoryCode);
// InterfaceDir\<folder>\SmallImages\<phrase code>.png, where the shopping pictures drop the code's
// first two characters; AppError "Unknown directory %s" or "Unknown picture %s".
std::string PicturePath(const std::string& interfaceDir, const std::string& categoryCode,
                        const std::string& phraseCode);

// Minutes (hours counted as 60 minutes) and seconds without leading zeros: 187 s gives "3:7".
std::string FormatElapsed(long long seconds);

} // namespace PhraseLists
} // namespace parlora
