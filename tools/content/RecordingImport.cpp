#include "tools/content/RecordingImport.h"

#include "core/Errors.h"
#include "tools/content/DemoSounds.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace parlora::RecordingImport {
namespace {

// Silence is what stays below -40 dB; the word keeps 50 ms of air either side. loudnorm works at
// 192 kHz inside, so the rate is set after it.
const char kFilters[] = "silenceremove=start_periods=1:start_threshold=-40dB:start_silence=0.05,"
                        "areverse,silenceremove=start_periods=1:start_threshold=-40dB:start_silence=0.05,"
                        "areverse,loudnorm=I=-18:TP=-2:LRA=11,aresample=22050";

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

void Convert(const std::string& recording, const std::string& out) {
    bool mp3 = out.size() > 4 && out.compare(out.size() - 4, 4, ".mp3") == 0;
    std::string part = out + ".part";
    std::string errors = out + ".err";
    std::string codec = mp3 ? " -c:a libmp3lame -q:a 5 -f mp3 " : " -c:a pcm_s16be -f aiff ";
    std::string cmd = "ffmpeg -nostdin -loglevel error -y -i " + DemoSounds::ShellQuote(recording) +
                      " -vn -ac 1 -af " + DemoSounds::ShellQuote(kFilters) + codec + DemoSounds::ShellQuote(part) +
                      " 2>" + DemoSounds::ShellQuote(errors);
    int rc = std::system(cmd.c_str());
    std::string text = ReadAll(errors);
    std::error_code ec;
    std::filesystem::remove(errors, ec);
    // A header and nothing else: the file had no sound in it, or only silence.
    bool empty = rc == 0 && std::filesystem::file_size(part, ec) < 200;
    if (rc != 0 || empty) {
        std::filesystem::remove(part, ec);
        if (text.size() > 300) text = text.substr(text.size() - 300);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        throw AppError("can't read recording " + recording + ": " +
                       (empty ? std::string("no sound in it") : text.empty() ? "ffmpeg failed" : text));
    }
    std::filesystem::rename(part, out, ec);
    if (ec) throw AppError("Can't write " + out + ": " + ec.message());
}

} // namespace parlora::RecordingImport
