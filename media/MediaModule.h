#pragma once
// Finds and loads the FFmpeg module once per process. Films and MP3 sounds are rare next to the
// AIFF words, so the module is mapped on the first one, or ahead of need by LoadInBackground.
#include "media/MediaFileReader.h"

#include <memory>
#include <string>

namespace parlora {

class MediaModule {
  public:
    // A reader for `fileName`; throws TKMException when the module cannot be loaded.
    static std::unique_ptr<MediaFileReader> Open(const std::string& fileName);
    // Starts loading on a thread of its own, so the first film does not wait for it.
    static void LoadInBackground();
    static bool Loaded();
};

} // namespace parlora
