#pragma once
// What a course's sheet decides over the demo's drawings and lists: the author's pictures of items,
// the list of languages and their flags, and title pictures in languages the demo has no words for.
#include "tools/content/DemoPictures.h"

#include <optional>
#include <string>

namespace parlora::CourseArt {

// Makes the picture when the sheet decides it and returns true; false leaves it to the demo's
// drawings. Throws AppError naming the sheet's line and column for a picture that cannot be read.
bool MakePicture(const DemoPicture& picture);
// The text of a list file the sheet decides (LangList.txt, Sources.txt), or nothing.
std::optional<std::string> ListFile(const std::string& art);

} // namespace parlora::CourseArt
