#pragma once
// The export as a sequence of short steps, one phrase (or one file copied to a player) at a time,
// so the caller can run it on timers and stay responsive; Cancel between any two steps drops
// everything written so far and leaves earlier exports as they were.
#include "export/ExportFolder.h"
#include "export/PhraseLists.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace parlora {

struct ExportSettings {
    std::string targetDir, interfaceDir, sourceDir, dataDir;
    std::string targetName;
    std::string musicRoot;                // the music folder; the export goes to <it>/Parlora/<title>
    std::vector<std::string> playerRoots; // "Music" folders of portable players to write as well
    std::function<void(const std::string&)> debugLog; // the "iPodDebug" lines; may be empty
};

class TPhraseExport {
  public:
    enum class State { Ready, Running, Done, Cancelled, Failed };
    static constexpr const char* kArtist = "Lingwell";
    static constexpr const char* kGenre = "Speech";

    explicit TPhraseExport(ExportSettings settings);
    ~TPhraseExport();

    // One step; false once the export has ended (Done, Cancelled or Failed). The first step loads
    // the lists and makes the staging folders; errors end the export with `Error()` set.
    bool Step();
    void Cancel();

    State state() const { return state_; }
    const std::string& Error() const { return error_; }
    const std::string& PlaylistTitle() const { return title_; }
    // The progress bar: `Position()` reaches `Maximum()` (the number of phrases) at the end.
    int Position() const { return position_; }
    int Maximum() const { return maximum_; }
    // Phrases written and left out (a voice missing or unusable), and female sounds converted.
    int Written() const { return int(playlist_.size()); }
    const std::vector<std::string>& LeftOut() const { return leftOut_; }
    int Converted() const { return converted_; }
    // Where the export of this title now lives, once Done.
    std::vector<std::string> Destinations() const;

    // A track's file name: "<category>-<track> <the phrase's words>.mp3", the numbers keeping the
    // playlist's order and the name unique. The words keep letters (any script, accented or not),
    // digits, spaces and hyphens, at most kMaxWordsBytes; the code stands in when none is left.
    static constexpr size_t kMaxWordsBytes = 64;
    static std::string TrackFileName(int category, int track, const std::string& text,
                                     const std::string& code);

  private:
    void Start();
    void PhraseStep();
    void CopyStep();
    void Finish();
    void Log(const std::string& line);
    void CleanUp();

    ExportSettings s_;
    State state_ = State::Ready;
    std::string error_;
    std::string title_;
    std::vector<TOurCategory> categories_;
    std::vector<std::unique_ptr<TExportFolder>> folders_; // [0] the music folder, then the players
    std::vector<PlaylistEntry> playlist_;
    std::vector<std::string> leftOut_;
    int converted_ = 0;
    int position_ = 0, maximum_ = 0;
    size_t category_ = 0, phrase_ = 0, copied_ = 0;
    int trackInCategory_ = 0;
    bool categoryOpen_ = false;
};

} // namespace parlora
