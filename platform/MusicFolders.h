#pragma once
// Where exported tracks go: the user's music folder, and portable players mounted as removable
// drives that carry a "Music" folder of their own.
#include <string>
#include <vector>

namespace parlora {

struct PortablePlayer {
    std::string mountPoint;
    std::string musicDir; // the player's own "Music" folder, as spelt on the drive
    std::string label;    // the mount point's last component, for the dialog
};

// The desktop's music folder (XDG_MUSIC_DIR of user-dirs.dirs, as `xdg-user-dir MUSIC` finds it),
// else ~/Music. Empty when no home folder is known.
std::string UserMusicDir();

// Removable mounts with a "Music" folder (any letter case) at their top.
std::vector<PortablePlayer> PortablePlayers();

// The same from a mount table in /proc/self/mountinfo form; `sysBlock` stands for /sys/block, where
// a drive's "removable" flag is read. Mounts under /media or /run/media count as removable too,
// since desktops mount plugged-in drives there.
std::vector<PortablePlayer> PortablePlayersFrom(const std::string& mountInfo, const std::string& sysBlock);

// XDG_MUSIC_DIR from the text of a user-dirs.dirs file ("$HOME" expanded); empty when not set.
std::string MusicDirFromUserDirs(const std::string& text, const std::string& home);

} // namespace parlora
