#pragma once
// A person's recording of a word made into what the course plays: any format FFmpeg reads, cut of
// the silence before and after, brought to one loudness, 16-bit mono 22050 Hz AIFF (or MP3 when
// `out` ends in .mp3).
#include <string>

namespace parlora::RecordingImport {

// Throws AppError with FFmpeg's message when the recording cannot be read or holds no sound.
void Convert(const std::string& recording, const std::string& out);

} // namespace parlora::RecordingImport
