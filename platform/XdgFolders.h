#pragma once
// The per-user folders of the desktop's base-directory convention, and our scratch folder.
#include <string>

namespace parlora {

// $XDG_CONFIG_HOME, else ~/.config; empty when neither is known.
std::string XdgConfigHome();
// $XDG_DATA_HOME, else ~/.local/share; empty when neither is known.
std::string XdgDataHome();
// $XDG_RUNTIME_DIR when it is an existing folder, else "/tmp".
std::string RuntimeDir();
// $XDG_RUNTIME_DIR/ParloraPlus, else /tmp/ParloraPlus-<uid>. Not created here.
std::string ProgramTempDir();
// The folder of the running executable (no trailing slash); empty if unknown.
std::string ExecutableDir();
// Removes a folder and everything in it; failures are ignored.
void DeleteFolderTree(const std::string& path);

} // namespace parlora
