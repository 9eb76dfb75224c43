// Folders named as the desktop's file manager shows them, for the saved-file messages.
#include "platform/XdgFolders.h"

#include <gtest/gtest.h>

using namespace parlora;

TEST(DesktopFolderName, RelativeToHomeWithPartsJoinedElseTheFullPath) {
    EXPECT_EQ(DesktopFolderName("/home/kim/Documents", "/home/kim"), "Documents");
    EXPECT_EQ(DesktopFolderName("/home/kim/Music/Parlora/Parlora! Français/", "/home/kim/"),
              "Music / Parlora / Parlora! Français");
    EXPECT_EQ(DesktopFolderName("/home/kim/./Music//Parlora", "/home/kim"), "Music / Parlora");
    EXPECT_EQ(DesktopFolderName("/home/kim", "/home/kim/"), "");
    // Beside the home folder, or with no home known: the whole path.
    EXPECT_EQ(DesktopFolderName("/home/kimberley/Documents", "/home/kim"), "/home/kimberley/Documents");
    EXPECT_EQ(DesktopFolderName("/home/kim/../ana/Documents", "/home/kim"), "/home/ana/Documents");
    EXPECT_EQ(DesktopFolderName("/tmp/out", "/"), "/tmp/out");
    EXPECT_EQ(DesktopFolderName("/tmp/out", ""), "/tmp/out");
}
