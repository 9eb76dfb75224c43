#include "tools/content/DemoSounds.h"

#include "core/Errors.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace parlora::DemoSounds {
namespace {

// Runs `command` through the shell; its error output goes into the exception when it fails.
void Run(const std::string& command, const std::string& out) {
    std::string errors = out + ".err";
    int rc = std::system((command + " 2>" + ShellQuote(errors)).c_str());
    std::string text;
    {
        std::ifstream in(errors);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::error_code ec;
    std::filesystem::remove(errors, ec);
    if (rc != 0) {
        if (text.size() > 400) text = text.substr(text.size() - 400);
        throw AppError("Can't make " + out + ": " +
                       (text.empty() ? "exit status " + std::to_string(rc) : text));
    }
}

// Written under a temporary name and renamed, so an interrupted run never leaves half a file.
void Publish(const std::string& temp, const std::string& out) {
    std::error_code ec;
    std::filesystem::rename(temp, out, ec);
    if (ec) throw AppError("Can't write " + out + ": " + ec.message());
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

std::string ShellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

std::string MissingTool() {
    for (const char* tool : {"espeak-ng", "sox", "ffmpeg"})
        if (std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) != 0) return tool;
    return {};
}

void Speak(const std::string& text, const std::string& voice, bool male, const std::string& out) {
    bool mp3 = EndsWith(out, ".mp3");
    std::string aif = out + ".part.aif";
    // Leading and trailing silence cut, then a short pad, so lengths are the word's own.
    Run("espeak-ng -v " + ShellQuote(voice + (male ? "+m3" : "+f3")) + " -s 150 --stdout " +
            ShellQuote(text) + " | sox -t wav - -t aiff -b 16 -c 1 -r 22050 " + ShellQuote(aif) +
            " silence 1 0.02 0.3% reverse silence 1 0.02 0.3% reverse pad 0.05 0.1",
        out);
    if (!mp3) return Publish(aif, out);
    std::string part = out + ".part";
    Run("ffmpeg -nostdin -loglevel error -y -i " + ShellQuote(aif) + " -c:a libmp3lame -q:a 5 -f mp3 " +
            ShellQuote(part),
        out);
    std::error_code ec;
    std::filesystem::remove(aif, ec);
    Publish(part, out);
}

void Effect(const std::string& args, const std::string& out) {
    std::string part = out + ".part";
    // The arguments come from our own manifest; they are sox syntax, not quoted words.
    Run("sox -n -r 22050 -b 16 -c 1 -t wav " + ShellQuote(part) + " " + args, out);
    Publish(part, out);
}

void Film(int width, int height, const std::string& label, const std::string& out) {
    std::string part = out + ".part";
    std::string size = std::to_string(width) + "x" + std::to_string(height);
    // Cells that come alive and spread: a picture that moves, never a caption. The name only
    // varies the pattern from film to film.
    unsigned seed = 7;
    for (char ch : label)
        seed = seed * 31 + (unsigned char)ch;
    Run("ffmpeg -nostdin -loglevel error -y -f lavfi -i " +
            ShellQuote("life=s=" + size +
                       ":mold=10:r=12:ratio=0.3:life_color=#40C040:death_color=#203040:seed=" +
                       std::to_string(seed % 100000)) +
            " -f lavfi -i sine=f=440:d=3:sample_rate=22050 -t 3 -c:v mjpeg -q:v 5 -c:a pcm_s16le -shortest "
            "-f avi " +
            ShellQuote(part),
        out);
    Publish(part, out);
}

} // namespace parlora::DemoSounds
