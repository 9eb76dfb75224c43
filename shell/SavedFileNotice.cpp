#include "shell/SavedFileNotice.h"

#include "platform/Translation.h"
#include "platform/XdgFolders.h"
#include "shell/FormMain.h"

#include <cstdlib>

namespace parlora {

std::string FolderForMessage(const std::string& folder) {
    const char* home = std::getenv("HOME");
    std::string name = DesktopFolderName(folder, home ? home : "");
    return name.empty() ? std::string(Tr("your home folder")) : name;
}

std::string TellWhereSaved(TForm_Main& main, const std::string& lead, const std::string& folder) {
    IShell& shell = main.platform().shell();
    if (!shell.hasDesktop()) {
        main.ShowAppMessage(lead, MsgKind::Information, -1, {MsgButton::OK});
        return lead;
    }
    std::string text = lead + "\n\n" + Tr("Open the folder now?");
    if (main.ShowAppMessage(text, MsgKind::Information, -1, {MsgButton::Yes, MsgButton::No}) ==
            MsgButton::Yes &&
        !shell.openFolder(folder))
        main.DebugLogFmt("Could not open the folder %s", folder.c_str());
    return text;
}

} // namespace parlora
