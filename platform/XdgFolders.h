#pragma once
// The per-user folders of the desktop's base-directory convention, and our scratch folder.
#include <string>

namespace parlora {

// $XDG_CONFIG_HOME, else ~/.config; empty when neither is known.
std::string XdgConfigHome();
// $XDG_DATA_HOME, else ~/.local/share; empty when neither is known.
std::string XdgDataHome();
// This user's own folder for the single-instance lock and the debug log: $XDG_RUNTIME_DIR when it
// is a folder (not a link) of this user's that no one else may write into, else
// /tmp/ParloraPlus-<uid>, made here with mode 0700. Empty when that name is taken by a link, a
// file or someone else's folder.
std::string RuntimeDir();
// The scratch folder, RuntimeDir()/ParloraPlus, made here or accepted as by MakePrivateFolder;
// empty when it is not ours. The course empties it at start and removes it at the end.
std::string ProgramTempDir();
// Makes `path` a folder only this user can enter (0700), or accepts one that already is ours
// (closing it to others). False for a symbolic link, a file or another user's folder.
bool MakePrivateFolder(const std::string& path);
// The user's documents folder as `xdg-user-dir DOCUMENTS` gives it ($XDG_CONFIG_HOME/user-dirs.dirs),
// when it exists; else ~/Documents when that exists; else the home folder. Empty when none is known.
std::string UserDocumentsFolder();
// A folder as the desktop's file manager names it: relative to `home`, its parts joined by " / "
// ("Documents", "Music / Parlora / Parlora! French"); "" for the home folder itself; the full path
// for a folder elsewhere.
std::string DesktopFolderName(const std::string& folder, const std::string& home);
// The folder of the running executable (no trailing slash); empty if unknown.
std::string ExecutableDir();
// Removes a folder and everything in it; failures are ignored.
void DeleteFolderTree(const std::string& path);

} // namespace parlora
