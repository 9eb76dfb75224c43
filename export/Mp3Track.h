#pragma once
// Track files of the export: MP3 encoded with LAME, tagged with ID3v2.3 by TagLib.
#include "export/TrackAudio.h"

#include <cstdint>
#include <string>
#include <vector>

namespace parlora {

struct TrackTags {
    std::string title, artist, album, genre;
    int track = 0;
    std::vector<uint8_t> picture; // PNG bytes, the front cover; none when empty
};

namespace Mp3Track {

// Writes `pcm` as an MP3 file at `path` (created anew). AppError when the encoder cannot start
// (`encoderMissing` set) or the file cannot be written.
void Encode(const TrackPcm& pcm, const std::string& path, bool* encoderMissing = nullptr);
// Whether the encoder accepts our settings at all (checked once before an export).
bool EncoderAvailable();

// Replaces whatever tags the file had by an ID3v2.3 tag; AppError when it cannot be saved.
void WriteTags(const std::string& path, const TrackTags& tags);

// Artist and album of an MP3 file's tag; false when it has none or is not an MP3 file.
bool ReadArtistAlbum(const std::string& path, std::string& artist, std::string& album);

} // namespace Mp3Track
} // namespace parlora
