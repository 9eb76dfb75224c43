#pragma once
// The one main window: start-up, the shared state of the course and the services every screen uses.
#include "core/ConfigFile.h"
#include "core/Surface.h"
#include "display/DIBImageList.h"
#include "media/KaRamWav.h"
#include "platform/Dispatcher.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessPlatform.h"
#include "shell/CourseState.h"
#include "shell/LanguageCatalogue.h"
#include "shell/ModalDialog.h"
#include "shell/NetworkClient.h"
#include "shell/RandomStream.h"
#include "shell/RecordsStore.h"
#include "shell/Registry.h"
#include "shell/Screen.h"
#include "shell/ScreenRoute.h"
#include "shell/WeightTable.h"

#include <algorithm>
#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace parlora {

class SingleInstance;
class TerminationSignals;
class THelpDlg;
class FileWatcher;

class TForm_Main : public IScriptHost {
  public:
    // Temporary copies of records files older than this are a killed writer's, and are removed.
    static constexpr int kLeftoverWriteAgeS = 60;

    TForm_Main(IPlatform& platform, std::vector<std::string> args);
    ~TForm_Main() override;

    // Creation, first show, the message loop and destruction; returns the process exit code.
    int Run();

    static StartOptions ParseOptions(const std::vector<std::string>& args);

    // Services of the main window.
    void RequestScreen(int screenCode, int transitionKind);
    MsgButton ShowAppMessage(const std::string& text, MsgKind kind, int helpContext,
                             std::vector<MsgButton> buttons);
    void OpenHelpLink(const std::string& linkTemplate);
    std::string BuildHelpLink(const std::string& linkTemplate) const;
    // Index of the first help-index line whose name occurs in the text, or -1.
    int MatchHelpIndex(const std::string& text) const;
    void DebugLog(const std::string& text);
    void DebugLogFmt(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    bool OnAppMessage(const InputEvent& e);
    void RestartInactivityTimer();
    void Close();
    // A termination signal: closes at once, also from inside dialogs, whose loops all end first.
    void CloseForSignal();

    // Configuration and data location.
    bool InitialiseCourse();
    static bool IsDataDirectory(const std::string& path);
    std::string ReadConfigString(const std::string& section, const std::string& key,
                                 const std::string& def) const;
    int ReadConfigInt(const std::string& section, const std::string& key, int def) const;
    bool ReadConfigBool(const std::string& section, const std::string& key, bool def) const;
    std::string ReadRegistryValue(const std::string& name, const std::string& def) const;
    void WriteRegistryValue(const std::string& name, const std::string& value);
    std::string AskForDisc(const std::string& prompt, const std::function<bool(const std::string&)>& check,
                           const std::string& altPath);
    std::string ScanDiscs(const std::function<bool(const std::string&)>& check,
                          const std::string& altPath) const;

    // The next paint draws and presents the whole window (after a screen drew to the display
    // itself, such as a blend within the screen).
    void RepaintAll() {
        fullPaint_ = true;
        dispatcher_.invalidate();
    }
    // Runs a dialog over the current screen until it finishes.
    void RunDialog(TModalDialog& dialog);
    // The help dialog with help picture n of the source language, or with a text; both wait until
    // the learner closes it. CloseHelp ends it from outside (a screen change).
    void ShowHelpPicture(int number);
    void ShowHelpText(const std::string& utf8);
    void CloseHelp();
    bool helpShowing() const { return helpShowing_; }

    // Flags that live for the run: the welcome screen asks the main menu to speak its help once,
    // and the start screen's intro film plays once.
    bool mainMenuHelpRequested = false;
    bool introPlayed = false;
    // Stream flags of ProgramDir\stream.ini ("Flags" of section "Stream"); nullopt without the file.
    std::optional<std::string> ReadStreamFlags() const;
    // Makes `screen` current and shows it with the transition; an old screen still current goes
    // afterwards.
    void ShowScreen(std::unique_ptr<TScreen> screen, int transitionKind);
    // Paints the current screen into the frame when a transition of `transitionKind` will start
    // from it, then closes it.
    void LeaveScreen(int transitionKind);
    void ReportActivity(int activityCode);
    void StartActivityFromNetwork(int activityCode, int value);
    void SetHardQuizSizes(int startCount, int switchCount);
    void ForwardQuizStop();
    void ForwardQuizScore(int score);
    void SetQuizCategoryAndRequest(int category, int screenCode, int transitionKind);
    int quizCategory() const { return quizCategory_; }
    int networkStartValue() const { return networkStartValue_; }
    int currentActivity() const { return currentActivity_; }
    std::pair<int, int> hardQuizSizes() const { return {hardQuizStart_, hardQuizSwitch_}; }
    TScreen* currentScreen() { return screen_.get(); }
    void SetNetworkClient(std::unique_ptr<INetworkClient> client) {
        network_ = std::move(client);
        networkLinked_ = true;
    }
    INetworkClient& network() { return *network_; }
    // Makes the classroom link in network mode; the program sets it (the link lives in its own
    // library, which needs the main window).
    using NetworkClientFactory = std::function<std::unique_ptr<INetworkClient>(TForm_Main&)>;
    static NetworkClientFactory& NetworkFactory();
    // What the window shows now.
    const Surface& frame() const { return frame_; }
    // In network mode, hands every sound a player plays or records to the classroom link; empty
    // otherwise.
    TKaRamWav::THookEvent SoundHook();

    // IScriptHost
    std::string currentScreenClass() const override;
    void queueDialogAnswer(const std::string& button) override;

    IPlatform& platform() { return platform_; }
    Dispatcher& dispatcher() { return dispatcher_; }
    const StartOptions& options() const { return options_; }
    CourseFolders& folders() { return folders_; }
    CourseSettings& settings() { return settings_; }
    const ConfigFile& config() const { return config_; }
    TRandomStreams& random() { return random_; }
    bool initialised() const { return initialised_; }
    bool timedOut() const { return timedOut_; }
    std::string RegistryPath() const;
    // Exist once the start-up has reached the languages.
    TRecordsStore* records() { return records_.get(); }
    TLanguageCatalogue* catalogue() { return catalogue_.get(); }
    TWeightTable& weights() { return weights_; }
    // Loads the current student: scores, weights and actors, with the hourglass showing.
    void LoadStudent();
    // The actors' strips ("FIdle", "FSpeak", "FYes", "FNo", "MIdle", "MSpeak", "MYes", "MNo"), from
    // the current actors' folders; outlives the screens and reloads a strip when its actor changed.
    TDIBVolatileImageList& ActorImages();

  private:
    bool CreateWindow();
    void FormShow();
    void FormDestroy();
    void HandleScreenRequest(int code, int kind);
    TRouteContext RouteContext();
    std::string NameChoiceClass();
    std::unique_ptr<TScreen> CreateScreen(const std::string& className, const TScreenParams& params);
    void HandleInput(const InputEvent& e);
    void Paint();
    void InstallErrorHandler();
    void LoadSettings();
    bool SetUpRecordsFolder();
    std::string ApplicationDataFolder() const;
    void ShowFailure(const std::string& text);
    void InitialiseLanguages();
    void RunHelp(const std::function<void(THelpDlg&)>& prepare);

    IPlatform& platform_;
    std::vector<std::string> args_;
    Dispatcher dispatcher_;
    StartOptions options_;
    CourseFolders folders_;
    CourseSettings settings_;
    ConfigFile config_;
    TRandomStreams random_;
    std::unique_ptr<TRegistryFile> registry_;
    std::unique_ptr<TRecordsStore> records_;
    std::unique_ptr<TLanguageCatalogue> catalogue_;
    TWeightTable weights_;
    std::vector<std::string> helpIndex_;
    std::unique_ptr<SingleInstance> instance_;
    std::unique_ptr<TerminationSignals> signals_;
    std::unique_ptr<THelpDlg> help_;
    std::unique_ptr<TDIBVolatileImageList> actorImages_;
    std::array<std::string, 8> actorImagePaths_;
    bool helpShowing_ = false;
    std::unique_ptr<FileWatcher> streamWatch_;
    std::unique_ptr<TScreen> screen_;
    // What made the current screen, to open it again when the next one cannot be made.
    std::string shownClass_;
    TScreenParams shownParams_;
    std::vector<TModalDialog*> dialogs_;
    std::deque<MsgButton> scriptedAnswers_;
    Surface frame_{1024, 768};
    Surface nextFrame_;     // the screen a transition goes to; made on the first one
    bool fullPaint_ = true; // the next paint draws and presents the whole frame
    // A screen change ends with the first whole paint of the new screen.
    bool transitionOpen_ = false;
    TimerId inactivityTimer_ = 0;
    std::string userName_;
    std::string networkStudent_;
    int hardQuizStart_ = 2, hardQuizSwitch_ = 7;
    int quizCategory_ = 0;
    int currentActivity_ = 0;
    int networkStartValue_ = 0;
    std::unique_ptr<INetworkClient> network_ = std::make_unique<TNullNetworkClient>();
    bool networkLinked_ = false; // the classroom link is made once per run
    bool initialised_ = false;
    bool timedOut_ = false;
    bool closing_ = false;
    int exitCode_ = 0;
};

} // namespace parlora
