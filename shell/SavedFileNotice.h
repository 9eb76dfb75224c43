#pragma once
// After the course has written files for the learner (a saved PDF, the exported phrases): a
// message naming the folder as the desktop shows it, offering to open it where there is a desktop.
#include <string>

namespace parlora {

class TForm_Main;

// The folder's name for a message: "Documents", "Music / Parlora / ...", "your home folder", or the
// full path of a folder outside the home folder.
std::string FolderForMessage(const std::string& folder);

// Shows `lead` (which names the folder through FolderForMessage) in the course's message box; with
// a desktop it asks whether to open the folder and opens it on Yes. Returns the text shown.
std::string TellWhereSaved(TForm_Main& main, const std::string& lead, const std::string& folder);

} // namespace parlora
