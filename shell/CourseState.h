#pragma once
// The shared state the main window holds for the whole run: start-up options, folders and the
// configuration values read once at start-up. Screens reach it through the main window.
#include <array>
#include <string>

namespace parlora {

struct StartOptions {
    bool force = false;
    bool quiz = false;
    bool network = false;
    int networkId = 0;
    int requestedTarget = 0; // 0 = none
    int requestedSource = 0; // 0 = none
    std::string dataPath;    // empty = none
    std::string discName = "Parlora";
    int timeoutMinutes = 0;
};

// Every folder without a trailing separator; paths inside may use "\" or "/" (PathResolver).
struct CourseFolders {
    std::string ProgramDir, UpdateDir, DataDir, InterfaceDir, CustomDir;
    std::string RecordsDir, TempDir, TargetDir, SourceDir, TextDir, RecordsFile;
};

// Records location modes.
enum class RecordsMode { Off = 0, AppData = 1, Local = 2 };

struct CourseSettings {
    bool Debug = false, NetDebug = false, iPodDebug = false, Fast = false, Fancy = true;
    bool CheckSound = false, KillSound = true, MediaSound = false, Cheat = false;
    int Filter1 = 2;
    std::string Filter1List = "92";
    bool Filter3 = false;
    bool iPod = true;
    std::string AltPath = "Data\\QOR";
    int Records = 1;
    bool LocalStore = false;
    std::string LocalPath = "Scores";
    int Volume = -1;
    std::string Male = "Male2", Female = "Female2";
    std::string Web, Custom, Weights;
    bool ShowTitle = true, NewUser = true;
    bool ChangeLanguageConfigured = true; // as configured
    bool ChangeLanguage = true;           // as in effect (Immersion and per-target overrides)
    bool ChangeActor = true;
    std::array<bool, 4> EnableButtons{true, true, true, true};
    bool Immersion = false;
    int Source = 0;
    int QuizIntervalMin = 500, QuizIntervalRange = 500, QuizRightPercent = 90;
    RecordsMode recordsMode = RecordsMode::AppData;
};

} // namespace parlora
