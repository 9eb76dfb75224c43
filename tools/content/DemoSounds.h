#pragma once
// Demo sounds through the command-line tools: words spoken by espeak-ng and trimmed by sox into
// 16-bit mono AIFF (or MP3 through ffmpeg), effects synthesised by sox, the film made by ffmpeg.
#include <string>

namespace parlora::DemoSounds {

// Names the first of espeak-ng, sox and ffmpeg that cannot be run; empty when all are there.
std::string MissingTool();

// Quotes one argument for /bin/sh.
std::string ShellQuote(const std::string& s);

// `voice` like "fr", `male` picks the voice variant. The format follows the extension of `out`
// (".aif" or ".mp3"). Throws AppError with the tool's message on failure.
void Speak(const std::string& text, const std::string& voice, bool male, const std::string& out);
// `args` are sox effect arguments after "sox -n -r 22050 -b 16 -c 1 OUT.wav".
void Effect(const std::string& args, const std::string& out);
// A short film with sound that plays to its end: cells that come alive on a dark ground.
void Film(int width, int height, const std::string& label, const std::string& out);

} // namespace parlora::DemoSounds
