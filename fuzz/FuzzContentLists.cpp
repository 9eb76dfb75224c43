// The content's list files, read from a private folder the way the course reads them:
// - speaker.txt (an actor's frame counts and rate; shell/LanguageCatalogue LoadActor),
// - Globe.txt (the globe's frames, rate and each country's frame; activities/FormCountriesPractice),
// - LangList.txt ("number|name" lines in Mac OS Roman; shell/LanguageCatalogue BuildTargetList).
// Those readers sit inside screens and the catalogue, so their steps are repeated here on the
// same library calls. game.ini and Sources.txt have no reader in the program yet: when one comes,
// call it below on the same file.
#include "core/ProfileFile.h"
#include "core/StringUtil.h"
#include "core/TextCodec.h"
#include "fuzz/support/FuzzTempDir.h"
#include "shell/TextUtils.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

using namespace parlora;

namespace {

// Keeps the readers' results alive so that nothing is optimised away.
volatile int sink = 0;

void ReadSpeaker(const std::string& path) {
    ProfileText settings = ProfileFile::Load(path);
    int frames = 1;
    for (const char* key : {"idle", "speak", "yes", "no"})
        frames = std::max(frames, std::clamp(ParseIntOr(settings.get("Settings", key, "0"), 0), 1, 65535));
    int fps = std::clamp(ParseIntOr(settings.get("Settings", "fps", "0"), 0), 1, 1000);
    // The actor's timing: a strip's length, and the frames of a ten-minute sound.
    sink = frames * 1000 / fps + 600000 * fps / 1000;
}

void ReadGlobe(const std::string& path) {
    ProfileText ini = ProfileFile::Load(path);
    int frames = std::clamp(std::atoi(ini.get("Settings", "frames", "1").c_str()), 1, 65535);
    int fps = std::clamp(std::atoi(ini.get("Settings", "fps", "1").c_str()), 1, 1000);
    for (int n = 1; n <= 24; ++n) {
        std::optional<std::string> v = ini.get("Countries", Format("CY%d", n));
        if (v) sink = std::clamp(std::atoi(v->c_str()), 0, frames - 1);
    }
    sink = frames * 1000 / fps;
}

void ReadLangList(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string line;
    for (size_t i = 0; i <= bytes.size(); ++i) {
        if (i == bytes.size() || bytes[i] == '\r' || bytes[i] == '\n') {
            if (!line.empty() || i < bytes.size()) {
                int number = ParseIntOr(TakeToken(line, "|"), 0);
                std::string name = Cp1252ToUtf8(MacRomanToCp1252(TakeToken(line, "|")));
                sink = number ^ int(name.size()); // keeps both alive without arithmetic that could overflow
            }
            line.clear();
        } else {
            line += bytes[i];
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string path = fuzz::writeInput("list.txt", data, size).string();
    ReadSpeaker(path);
    ReadGlobe(path);
    ReadLangList(path);
    return 0;
}
