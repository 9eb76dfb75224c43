#pragma once
// Draws the demo picture of one manifest file: backgrounds carrying the screen's name, four-frame
// buttons, numbered strips, sprites on the key colour, item cards with the item's word, text lines,
// and the pictures that must agree with fixed course data (clock strip, flags, globe, scenes).
#include "tools/content/Manifest.h"

#include <string>

namespace parlora {

struct DemoPicture {
    const ManifestEntry* entry = nullptr;
    ContentFile file;
    std::string outPath;
    int buttonW = 0, buttonH = 0; // for scene pictures: the scene game's button frame
};

namespace DemoPictures {

// Language of the words on a file (0 English, 1 French, 2 Spanish), from the folder it sits in.
int LanguageOf(const ContentFile& file);
// Writes the picture; throws AppError when the art is unknown or the file cannot be written.
void Make(const DemoPicture& picture);

} // namespace DemoPictures
} // namespace parlora
