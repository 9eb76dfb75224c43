#pragma once
// One place an export is written to: <root>/<playlist title>, beside other exports and other
// files. The tracks go into a hidden staging folder first; Commit swaps it in for the earlier
// export of the same title in one rename, so an export that is cancelled or fails leaves the
// earlier one as it was. Files in the earlier folder that are not tracks of ours are kept.
#include <string>
#include <vector>

namespace parlora {

struct PlaylistEntry {
    std::string file; // name inside the folder
    std::string artist, title;
    double seconds = 0;
};

class TExportFolder {
  public:
    TExportFolder(std::string root, std::string title, std::string artist);
    ~TExportFolder();
    TExportFolder(const TExportFolder&) = delete;
    TExportFolder& operator=(const TExportFolder&) = delete;

    // Removes what a killed export of this title left behind, makes the root and an empty staging
    // folder; AppError "Can't create directory %s".
    void Begin();
    const std::string& StagingDir() const { return staging_; }
    std::string FinalDir() const;
    const std::string& Root() const { return root_; }

    // Writes the playlist (named after the title, entries in order) into the staging folder and
    // swaps it in; AppError "Can't create directory %s" when the swap cannot be made.
    void Commit(const std::vector<PlaylistEntry>& playlist);
    // Removes the staging folder and all in it; the earlier export stays as it was.
    void Abandon();
    bool Active() const { return !staging_.empty(); }

    // A file or folder name for `title` that every file system takes (FAT included).
    static std::string SafeName(const std::string& title);
    static std::string PlaylistText(const std::string& title, const std::vector<PlaylistEntry>& playlist);
    // True for a track this export wrote for `title`: an MP3 tagged with our artist and an album
    // that begins with the title, or our playlist.
    bool IsOurs(const std::string& path) const;

  private:
    void MoveForeignFiles(const std::string& old);

    std::string root_, title_, artist_, safe_;
    std::string staging_;
};

} // namespace parlora
