// The main window's start-up: data directory, configuration, records folder and temporary folder.
#include "core/Errors.h"
#include "core/PathResolver.h"
#include "core/ProfileFile.h"
#include "core/StringUtil.h"
#include "platform/Translation.h"
#include "platform/XdgFolders.h"
#include "shell/FormMain.h"
#include "shell/InsertDiscDialog.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace parlora {

bool TForm_Main::IsDataDirectory(const std::string& path) {
    return !path.empty() && PathResolver::IsDirectory(path + "\\Interface\\FirstWords");
}

std::string TForm_Main::ReadConfigString(const std::string& section, const std::string& key,
                                         const std::string& def) const {
    return config_.ReadString(section, key, def);
}

int TForm_Main::ReadConfigInt(const std::string& section, const std::string& key, int def) const {
    return config_.ReadInt(section, key, def);
}

bool TForm_Main::ReadConfigBool(const std::string& section, const std::string& key, bool def) const {
    return config_.ReadBool(section, key, def);
}

std::string TForm_Main::RegistryPath() const {
    std::string home = XdgConfigHome();
    return home.empty() ? "" : home + "/Lingwell/ParloraPlus/registry.ini";
}

std::string TForm_Main::ReadRegistryValue(const std::string& name, const std::string& def) const {
    return TRegistryFile(RegistryPath()).Read(name, def);
}

void TForm_Main::WriteRegistryValue(const std::string& name, const std::string& value) {
    TRegistryFile(RegistryPath()).Write(name, value);
}

std::string TForm_Main::ScanDiscs(const std::function<bool(const std::string&)>& check,
                                  const std::string& altPath) const {
    for (const std::string& root : platform_.shell().discMounts()) {
        std::string candidate = PathResolver::Join(root, "data");
        if (check(candidate)) return candidate;
        if (!altPath.empty()) {
            candidate = PathResolver::Join(PathResolver::Join(root, altPath), "data");
            if (check(candidate)) return candidate;
        }
    }
    return "";
}

std::string TForm_Main::AskForDisc(const std::string& prompt,
                                   const std::function<bool(const std::string&)>& check,
                                   const std::string& altPath) {
    std::string found = ScanDiscs(check, altPath);
    if (!found.empty()) return found;
    TForm_InsertCD dialog(
        dispatcher_, prompt, [this, check, altPath] { return ScanDiscs(check, altPath); }, check);
    RunDialog(dialog);
    return dialog.result();
}

void TForm_Main::ShowFailure(const std::string& text) {
    ShowAppMessage(text, MsgKind::Error, -1, {MsgButton::OK});
}

std::string TForm_Main::ApplicationDataFolder() const {
    return XdgDataHome();
}

bool TForm_Main::SetUpRecordsFolder() {
    int records = config_.ReadInt("Defaults", "Records", 1);
    settings_.Records = records;
    settings_.LocalStore = config_.ReadBool("Defaults", "LocalStore", false);
    settings_.LocalPath = config_.ReadString("Defaults", "LocalPath", "Scores");
    // Values other than 0 and 2 keep records in the user's own folder, the safe place.
    if (records == 0) {
        settings_.recordsMode = RecordsMode::Off;
    } else if (records == 2 || (records == 1 && settings_.LocalStore)) {
        settings_.recordsMode = RecordsMode::Local;
    } else {
        settings_.recordsMode = RecordsMode::AppData;
    }
    switch (settings_.recordsMode) {
    case RecordsMode::Off:
        folders_.RecordsDir.clear();
        return true;
    case RecordsMode::AppData: {
        std::string appData = ApplicationDataFolder();
        if (appData.empty()) {
            ShowFailure(Tr("Can't find application data folder"));
            return false;
        }
        folders_.RecordsDir = appData + "/Lingwell/ParloraPlus";
        break;
    }
    case RecordsMode::Local:
        folders_.RecordsDir = PathResolver::Join(folders_.ProgramDir, settings_.LocalPath);
        break;
    }
    std::error_code ec;
    fs::create_directories(PathResolver::Resolve(folders_.RecordsDir), ec);
    // The write test makes a file of its own under a fresh name: the folder may be shared, and a
    // fixed name there could be anyone's link. The number still comes from the shared stream, which
    // later draws depend on.
    std::string prefix = Format("iexist%d-", int(random_.SharedRandom(999)));
    if (!FolderTakesNewFiles(PathResolver::Resolve(folders_.RecordsDir), prefix)) {
        ShowFailure(Format(Tr("Can't write to folder %s.  Please check access permissions."),
                           folders_.RecordsDir.c_str()));
        return false;
    }
    // A course killed in the middle of writing a records file leaves its temporary copy behind.
    // Young ones are left alone: a records folder shared by a classroom may hold another
    // computer's write in flight.
    RemoveLeftoverWrites(PathResolver::Resolve(folders_.RecordsDir), "Parlora", ".ini", kLeftoverWriteAgeS);
    return true;
}

void TForm_Main::LoadSettings() {
    CourseSettings& s = settings_;
    const ConfigFile& c = config_;
    s.Debug = c.ReadBool("Defaults", "Debug", false);
    s.NetDebug = c.ReadBool("Defaults", "NetDebug", false);
    s.iPodDebug = c.ReadBool("Defaults", "iPodDebug", false);
    s.Fast = c.ReadBool("Defaults", "Fast", false);
    s.Fancy = c.ReadBool("Defaults", "Fancy", true);
    s.CheckSound = c.ReadBool("Defaults", "CheckSound", false);
    s.KillSound = c.ReadBool("Defaults", "KillSound", true);
    s.MediaSound = c.ReadBool("Defaults", "MediaSound", false);
    s.Cheat = c.ReadBool("Defaults", "Cheat", false);
    s.Filter1 = c.ReadInt("Defaults", "Filter1", 2);
    s.Filter1List = c.ReadString("Defaults", "Filter1List", "92");
    s.Filter3 = c.ReadBool("Defaults", "Filter3", false);
    s.iPod = c.ReadBool("Defaults", "iPod", true);
    s.AltPath = c.ReadString("Defaults", "AltPath", "Data\\QOR");
    s.Volume = c.ReadInt("Defaults", "Volume", -1);
}

void TForm_Main::InitialiseLanguages() {
    registry_ = std::make_unique<TRegistryFile>(RegistryPath());
    records_ = std::make_unique<TRecordsStore>(folders_, options_, platform_.clock());
    if (options_.network) records_->SetRemote(network_->RemoteProfile());
    weights_ = TWeightTable(TWeightParams::Parse(settings_.Weights));
    catalogue_ = std::make_unique<TLanguageCatalogue>(folders_, settings_, config_, options_,
                                                      platform_.shell(), *registry_, *records_,
                                                      [this](const std::string& line) { DebugLog(line); });
    // In network mode the manager names the target, which must be one of ours all the same.
    if (catalogue_->BuildTargetList() == 0) throw AppError("Can't find any target directories");
    catalogue_->BuildActorLists();
    catalogue_->ChooseStartTarget();
    if (!networkStudent_.empty()) records_->SetCurrentStudent(networkStudent_);
    catalogue_->ChooseStartSource();
    if (!records_->CurrentStudent().empty()) LoadStudent();
}

void TForm_Main::LoadStudent() {
    platform_.display().setCursor(CursorKind::Hourglass);
    try {
        records_->LoadStudent([this] {
            weights_.LoadWeights(TWeightTable::kAllTopics,
                                 [this](const std::string& key, const std::string& def) {
                                     return records_->ReadStudentValue(key, def);
                                 });
            catalogue_->LoadStudentActors();
        });
    } catch (...) {
        platform_.display().setCursor(CursorKind::Arrow);
        throw;
    }
    platform_.display().setCursor(CursorKind::Arrow);
}

bool TForm_Main::InitialiseCourse() {
    // 1. Folders and the hard memory quiz's sizes.
    folders_.UpdateDir = folders_.ProgramDir + "\\Update";
    hardQuizStart_ = 2;
    hardQuizSwitch_ = 7;
    folders_.RecordsDir.clear();
    folders_.TempDir.clear();
    folders_.RecordsFile.clear();
    networkStudent_.clear();
    random_.SeedSharedFromClock(platform_.clock());

    // 2. Network mode: the classroom manager names the student, the language and the data.
    if (options_.network) {
        if (!networkLinked_) {
            if (!NetworkFactory()) {
                ShowFailure(Tr("Couldn't connect: this program has no classroom link"));
                return false;
            }
            network_ = NetworkFactory()(*this);
            networkLinked_ = true;
        }
        if (!network_->Connect()) return false;
        TStudentInfo info;
        try {
            info = network_->GetStudentInfo();
        } catch (const std::exception& e) {
            ShowFailure(e.what());
            network_->Disconnect(false);
            return false;
        }
        std::string root = info.rootPath;
        while (!root.empty() && (root.back() == '/' || root.back() == '\\'))
            root.pop_back();
        folders_.DataDir = (!root.empty() && root != "%s" ? root : folders_.ProgramDir) + "\\data";
        if (!IsDataDirectory(folders_.DataDir)) {
            ShowFailure(Tr("Can't find system files!"));
            network_->Disconnect(false);
            return false;
        }
        if (info.target > 0) options_.requestedTarget = info.target;
        networkStudent_ = info.studentName;
    }

    // 3 and 4. The data directory: the "data" option, beside the program, or on a disc.
    if (options_.network) {
        // Found above.
    } else if (!options_.dataPath.empty()) {
        folders_.DataDir = options_.dataPath;
        if (!IsDataDirectory(folders_.DataDir)) {
            ShowFailure(Tr("Can't find system files!"));
            return false;
        }
    } else {
        folders_.DataDir = folders_.ProgramDir + "\\data";
        if (!IsDataDirectory(folders_.DataDir)) {
            // The configuration is not read yet: the disc search uses the default "AltPath".
            std::string answer =
                AskForDisc(Format(Tr("Please insert a %s CD in any drive"), options_.discName.c_str()),
                           IsDataDirectory, settings_.AltPath);
            if (answer.empty()) return false;
            folders_.DataDir = answer;
        }
    }
    while (folders_.DataDir.size() > 1 && (folders_.DataDir.back() == '/' || folders_.DataDir.back() == '\\'))
        folders_.DataDir.pop_back();

    // 5. The configuration file: the first that exists; a missing one gives every default.
    std::string configPath = folders_.ProgramDir + "\\sconfig.txt";
    if (!PathResolver::IsFile(configPath)) configPath = folders_.DataDir + "\\..\\sconfig.txt";
    if (!PathResolver::IsFile(configPath)) configPath = folders_.DataDir + "\\..\\config.txt";
    config_.Load(PathResolver::Resolve(configPath));
    LoadSettings();
    // From here the platform's own lines (no sound device and the like) go to the debug log, which
    // the configuration may turn on, and never to the terminal.
    platform_.setLogSink([this](const std::string& line) { DebugLog(line); });

    if (options_.network) {
        // The records live with the manager: they are on, in no folder of ours.
        settings_.Records = 1;
        settings_.recordsMode = RecordsMode::AppData;
        folders_.RecordsDir.clear();
    } else {
        // 6. The user's name pre-fills the first student's name.
        userName_ = platform_.shell().userFullName();

        // 7 and 8. The records folder and its write test.
        if (!SetUpRecordsFolder()) return false;
    }

    // 10. Colour depth.
    if (platform_.display().desktopMode().bitsPerPixel <= 8) {
        ShowFailure(Tr("This program requires more than 256 colours.  Please go to Control Panel / Display / "
                       "Settings and increase the Colours setting, then try again."));
        return false;
    }

    // 11. A fresh temporary folder of our own (per user, so users never delete each other's files).
    folders_.TempDir = ProgramTempDir();
    if (folders_.TempDir.empty()) {
        ShowFailure(
            Tr("Parlora cannot make its own folder in /tmp: the name is taken by another user or a link. "
               "Please ask the administrator."));
        return false;
    }
    DeleteFolderTree(folders_.TempDir);
    std::error_code ec;
    fs::create_directories(folders_.TempDir, ec);
    fs::permissions(folders_.TempDir, fs::perms::owner_all, fs::perm_options::replace, ec);

    // 12. The interface folder.
    folders_.InterfaceDir = folders_.DataDir + "\\interface";

    // 13. Default actors: "video.txt" names them by number, else the configuration.
    std::string video = PathResolver::Resolve(folders_.DataDir + "\\video.txt");
    int male = ParseIntOr(ProfileFile::Read(video, "Defaults", "Male", "-1"), -1);
    int female = ParseIntOr(ProfileFile::Read(video, "Defaults", "Female", "-1"), -1);
    settings_.Male = male != -1 ? Format("Male%d", male) : config_.ReadString("Defaults", "Male", "Male2");
    settings_.Female =
        female != -1 ? Format("Female%d", female) : config_.ReadString("Defaults", "Female", "Female2");

    // 14. The remaining keys.
    CourseSettings& s = settings_;
    s.Web = config_.ReadString("Defaults", "Web", "");
    s.Custom = config_.ReadString("Defaults", "Custom", "");
    folders_.CustomDir = s.Custom.empty() ? "" : folders_.DataDir + "\\custom\\" + s.Custom;
    s.Weights = config_.ReadString("Defaults", "Weights", "");
    s.ShowTitle = config_.ReadBool("Defaults", "ShowTitle", true);
    s.NewUser = config_.ReadBool("Defaults", "NewUser", true);
    s.ChangeLanguageConfigured = config_.ReadBool("Defaults", "ChangeLanguage", true);
    s.ChangeLanguage = s.ChangeLanguageConfigured;
    s.ChangeActor = config_.ReadBool("Defaults", "ChangeActor", true);
    std::vector<std::string> flags = Split(config_.ReadString("Defaults", "EnableButtons", ""), ',');
    for (size_t i = 0; i < 4; ++i)
        s.EnableButtons[i] = i < flags.size() ? ParseIntOr(flags[i], 1) != 0 : true;
    if (s.recordsMode == RecordsMode::Off) s.EnableButtons[0] = false;
    s.Immersion = config_.ReadBool("Defaults", "Immersion", false);
    if (s.Immersion) s.ChangeLanguage = false;
    s.Source = config_.ReadInt("Defaults", "Source", 0);
    s.QuizIntervalMin = config_.ReadInt("QuizTest", "IntervalMin", 500);
    s.QuizIntervalRange = config_.ReadInt("QuizTest", "IntervalRange", 500);
    s.QuizRightPercent = config_.ReadInt("QuizTest", "RightPercent", 90);

    // 15. Font smoothing is always on here; "Fast" reaches the transitions through the settings.

    // 16. Languages and the student.
    try {
        InitialiseLanguages();
    } catch (const std::exception& e) {
        ShowFailure(Tr("Language initialisation failed - ") + std::string(e.what()));
        return false;
    }

    // 17. The course stream, the error handler and the inactivity time-out.
    random_.SeedCourseFromClock(platform_.clock());
    InstallErrorHandler();
    if (options_.timeoutMinutes > 0) RestartInactivityTimer();
    initialised_ = true;
    return true;
}

} // namespace parlora
