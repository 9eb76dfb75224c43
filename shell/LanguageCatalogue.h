#pragma once
// The target languages present, the chosen target and source language with the folders every screen
// reads from, and the two actors (male and female speakers) with their picture strips.
#include "shell/CourseState.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace parlora {

class ConfigFile;
class IRegistry;
class IShell;
class TRecordsStore;

struct TTargetEntry {
    std::string name; // UTF-8
    int number = 0;
};

// One loaded actor: frame counts and rate from "speaker.txt" and the paths of its four strips.
struct TActorData {
    enum Strip { Idle, Speak, Yes, No };
    static constexpr std::array<const char*, 4> kStripNames{"Idle", "Speak", "Yes", "No"};
    static constexpr std::array<const char*, 4> kStripFiles{"idle.jpg", "speak.jpg", "yes.jpg", "no.jpg"};

    std::string name;                  // folder name, such as "Male2"
    std::string folder;                // the folder it was loaded from
    std::array<std::string, 4> strips; // picture paths, in Strip order
    std::array<int, 4> frames{1, 1, 1, 1};
    int fps = 1;

    // The image-list name of a strip: "M" or "F" followed by "Idle", "Speak", "Yes" or "No".
    static std::string StripName(int speaker, Strip strip) {
        return std::string(speaker == 0 ? "M" : "F") + kStripNames[size_t(strip)];
    }
};

class TLanguageCatalogue {
  public:
    using LogFn = std::function<void(const std::string& text)>;

    TLanguageCatalogue(CourseFolders& folders, CourseSettings& settings, const ConfigFile& config,
                       StartOptions& options, IShell& shell, IRegistry& registry, TRecordsStore& records,
                       LogFn log = {});

    // Targets: from "LangList.txt" when present, else "Language <n>" for every target folder 1..199;
    // sorted by name. Returns the count.
    int BuildTargetList();
    // Actor folders (with "thumb.png") under "VideoM" and "VideoF" of UpdateDir and DataDir. Returns
    // the smaller count; below 2 the change-actor setting is switched off.
    int BuildActorLists();
    // Outside network mode: the "target" option, else the registry's last target, else the first.
    // Throws AppError("Can't find target %d") for a requested target that is not present.
    void ChooseStartTarget();
    void SetTarget(int target);
    // Throws AppError("Can't find any source directory").
    void ChooseStartSource();
    void SetSource(int source);

    std::string TargetName() const;
    bool SourceExists(int source) const;
    std::string SourceFolder(int source) const;
    // The user's locale mapped to a source language number, or `fallback`.
    int LocaleSourceNumber(int fallback) const;
    // "pt_BR.UTF-8" -> Windows primary language and sub-language identifiers (nullopt when unknown).
    static std::optional<std::pair<int, int>> LocaleLanguageId(const std::string& locale);
    static int SourceForLanguageId(int primary, int sub, int fallback);

    // Loads the actor unless it is already current (letter case ignored) and stores the choice as
    // the student's "Male" / "Female". Throws AppError("Can't find %s") for a missing file.
    void SetMaleActor(const std::string& name);
    void SetFemaleActor(const std::string& name);
    // The student's actors; an actor that cannot be read or loaded gives way to the default one.
    void LoadStudentActors();

    std::string TitlePicturePath() const;
    bool TitleVisible() const;

    const std::vector<TTargetEntry>& targets() const { return targets_; }
    int targetNumber() const { return target_; }
    int sourceNumber() const { return source_; }
    const std::vector<std::string>& maleActors() const { return actorNames_[0]; }
    const std::vector<std::string>& femaleActors() const { return actorNames_[1]; }
    const std::string& currentMaleActor() const { return actors_[0].name; }
    const std::string& currentFemaleActor() const { return actors_[1].name; }
    // Speaker 0 male, 1 female.
    const TActorData& actor(int speaker) const { return actors_[speaker == 0 ? 0 : 1]; }
    const std::string& sourceFontName() const { return sourceFont_; }
    int sourceCharset() const { return sourceCharset_; }
    bool firstWordsFilterActive() const { return firstWordsFilter_; }

  private:
    void SetActor(int speaker, const std::string& name);
    void LoadActor(int speaker, const std::string& name);

    CourseFolders& folders_;
    CourseSettings& settings_;
    const ConfigFile& config_;
    StartOptions& options_;
    IShell& shell_;
    IRegistry& registry_;
    TRecordsStore& records_;
    LogFn log_;

    std::vector<TTargetEntry> targets_;
    int target_ = -1, source_ = -1;
    std::optional<int> pendingSource_; // the start-up request, taken once
    std::array<std::vector<std::string>, 2> actorNames_;
    std::array<std::vector<std::string>, 2> actorHomes_; // the root each listed actor was found under
    std::array<TActorData, 2> actors_;
    std::string sourceFont_ = "Arial";
    int sourceCharset_ = 1;
    bool firstWordsFilter_ = false;
};

} // namespace parlora
