#pragma once
// Data files of tools/content built into the program, so that it runs from anywhere.
namespace parlora {

const char* EmbeddedManifestText();
const char* EmbeddedVocabularyText();
const char* EmbeddedPicturesText();

} // namespace parlora
