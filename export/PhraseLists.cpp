#include "export/PhraseLists.h"

#include "core/Errors.h"
#include "core/PathResolver.h"
#include "core/StringUtil.h"
#include "core/TextCodec.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace parlora::PhraseLists {
namespace {

// The second field ends at a further bar, if there is one.
void SplitFields(const std::string& line, std::string& first, std::string& second) {
    size_t bar = line.find('|');
    if (bar == std::string::npos) {
        first = line;
        second.clear();
        return;
    }
    first = line.substr(0, bar);
    size_t next = line.find('|', bar + 1);
    second = line.substr(bar + 1, next == std::string::npos ? std::string::npos : next - bar - 1);
}

} // namespace

std::string FindListFile(const std::string& sourceDir, const std::string& dataDir, const std::string& name) {
    std::string inSource = sourceDir + "\\" + name;
    if (PathResolver::IsFile(inSource)) return PathResolver::Resolve(inSource);
    std::string fallback = dataDir + "\\sources\\2source\\" + name;
    if (PathResolver::IsFile(fallback)) return PathResolver::Resolve(fallback);
    return {};
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw AppError(Format("Can't find file %s", path.c_str()));
    std::ostringstream s;
    s << in.rdbuf();
    std::string text = DecodeTextFile(s.str());
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
    return lines;
}

TExportMessages DefaultMessages() {
    return {{"Requires iTunes!", "Requires iTunes version 4.6 or above.", "https://lame.sourceforge.io/",
             "Conversion incomplete - are you sure you want to cancel?", "Conversion cancelled.",
             "Conversion complete in time %s."}};
}

TExportMessages LoadMessages(const std::string& sourceDir, const std::string& dataDir) {
    TExportMessages m = DefaultMessages();
    std::string path = FindListFile(sourceDir, dataDir, "srcMessages.txt");
    if (path.empty()) return m;
    std::vector<std::string> lines;
    try {
        lines = ReadLines(path);
    } catch (const AppError&) {
        return m; // unreadable: the defaults serve
    }
    for (size_t i = 0; i < m.lines.size() && i < lines.size(); ++i) {
        std::string t = Trim(lines[i]);
        if (!t.empty()) m.lines[i] = t;
    }
    return m;
}

std::vector<TOurCategory> ParsePhrases(const std::vector<std::string>& categoryLines,
                                       const std::vector<std::string>& phraseLines, int& phraseCount) {
    std::vector<TOurCategory> categories;
    for (const std::string& line : categoryLines) {
        if (Trim(line).empty()) continue;
        TOurCategory c;
        SplitFields(line, c.code, c.title);
        c.code = Trim(c.code);
        c.title = Trim(c.title);
        categories.push_back(std::move(c));
    }
    phraseCount = 0;
    size_t current = 0;
    for (const std::string& line : phraseLines) {
        std::string code, text;
        SplitFields(line, code, text);
        code = Trim(code);
        text = Trim(text);
        if (code.empty() || text.empty()) continue;
        size_t digit = 0;
        while (digit < code.size() && !std::isdigit(static_cast<unsigned char>(code[digit])))
            ++digit;
        if (digit == 0 || digit == code.size())
            throw AppError(Format("Bad line in scrPhrases.txt: %s", line.c_str()));
        std::string part = code.substr(0, digit);
        if (current >= categories.size() || categories[current].code != part) {
            size_t found = categories.size();
            for (size_t i = 0; i < categories.size(); ++i)
                if (categories[i].code == part) {
                    found = i;
                    break;
                }
            if (found == categories.size()) throw AppError(Format("Unknown category code %s", part.c_str()));
            current = found;
        }
        categories[current].phrases.push_back({code, text, {}});
        ++phraseCount;
    }
    return categories;
}

std::vector<TOurCategory> LoadPhrases(const std::string& sourceDir, const std::string& dataDir,
                                      int& phraseCount) {
    std::vector<std::vector<std::string>> lists;
    for (const char* name : {"srcCategories.txt", "srcPhrases.txt"}) {
        std::string path = FindListFile(sourceDir, dataDir, name);
        if (path.empty()) throw AppError(Format("Can't find file %s", (sourceDir + "\\" + name).c_str()));
        lists.push_back(ReadLines(path));
    }
    return ParsePhrases(lists[0], lists[1], phraseCount);
}

std::string PictureFolder(const std::string& categoryCode) {
    static const char* const table[][2] = {{"fw", "FirstWords"}, {"fd", "Food"},     {"co", "Colours"},
                                           {"use", "Phrases"},   {"fg", "Body"},     {"nu", "Numbers"},
                                           {"t", "Time"},        {"sh", "Shopping"}, {"cy", "Countries"}};
    for (const auto& row : table)
        if (IEquals(categoryCode, row[0])) return row[1];
    return {};
}

std::string PicturePath(const std::string& interfaceDir, const std::string& categoryCode,
                        const std::string& phraseCode) {
    std::string folder = PictureFolder(categoryCode);
    if (folder.empty()) throw AppError(Format("Unknown directory %s", categoryCode.c_str()));
    std::string picture = folder == "Shopping" && phraseCode.size() >= 2 ? phraseCode.substr(2) : phraseCode;
    std::string path =
        Format("%s\\%s\\SmallImages\\%s.png", interfaceDir.c_str(), folder.c_str(), picture.c_str());
    if (!PathResolver::IsFile(path)) throw AppError(Format("Unknown picture %s", path.c_str()));
    return PathResolver::Resolve(path);
}

std::string FormatElapsed(long long seconds) {
    if (seconds < 0) seconds = 0;
    return Format("%d:%02d", int(seconds / 60), int(seconds % 60));
}

} // namespace parlora::PhraseLists
