#pragma once
// The program's own texts (its dialogs and messages) in the desktop's language, through gettext's
// "parlora" catalogues. The course's content keeps its source language: none of it passes here.
#include <string>

namespace parlora {

// Binds the catalogues and follows the desktop's language: LANGUAGE, else LC_ALL, LC_MESSAGES
// or LANG. Called at start, after setlocale; again after the variables change (tests).
void UseDesktopLanguage();
// The text in the desktop's language; the English text itself without a catalogue for it.
const char* Tr(const char* english);
// Where the catalogues were found: the install's share/locale beside the program, else the
// build tree's; empty when neither holds one.
const std::string& CatalogueDir();

} // namespace parlora
