#include "shell/FormMain.h"

#include "display/PictureCache.h"

#include "core/Errors.h"
#include "core/PathResolver.h"
#include "core/ProfileFile.h"
#include "core/StringUtil.h"
#include "display/DIBImageList.h"
#include "media/MediaModule.h"
#include "platform/FileWatcher.h"
#include "platform/OsInfo.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "platform/XdgFolders.h"
#include "shell/HelpDialog.h"
#include "shell/InsertDiscDialog.h"
#include "shell/ScreenFactory.h"

#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace parlora {

TForm_Main::TForm_Main(IPlatform& platform, std::vector<std::string> args)
    : platform_(platform), args_(std::move(args)), dispatcher_(platform.clock(), &platform) {
    options_ = ParseOptions(args_);
    platform_.attach(dispatcher_);
    dispatcher_.setInputHandler([this](const InputEvent& e) { HandleInput(e); });
    dispatcher_.setPaintHandler([this] { Paint(); });
    // A picture of a screen's automatically loaded set that cannot be read is named in a warning;
    // the screen goes on without it.
    TDIBVolatileImageList::WarningHandler() = [this](const std::string& text) {
        ShowAppMessage(text, MsgKind::Warning, -1, {MsgButton::OK});
    };
}

TForm_Main::~TForm_Main() {
    TDIBVolatileImageList::WarningHandler() = nullptr;
    platform_.setLogSink(nullptr);
}

StartOptions TForm_Main::ParseOptions(const std::vector<std::string>& args) {
    StartOptions o;
    for (const std::string& arg : args) {
        size_t eq = arg.find('=');
        std::string name = ToLowerAscii(Trim(arg.substr(0, eq)));
        std::string value = eq == std::string::npos ? "" : Trim(arg.substr(eq + 1));
        // Whole numbers that are not numbers count as "none".
        auto number = [&value] { return std::max(0, ParseIntOr(value, 0)); };
        if (name == "force") {
            o.force = true;
        } else if (name == "quiz") {
            o.quiz = true;
        } else if (name == "remote") {
            o.network = true;
            o.networkId = ParseIntOr(value, 0);
        } else if (name == "target") {
            o.requestedTarget = number();
        } else if (name == "timeout") {
            o.timeoutMinutes = number();
        } else if (name == "source") {
            o.requestedSource = number();
        } else if (name == "data") {
            o.dataPath = value;
        } else if (name == "cdname") {
            o.discName = value;
        }
    }
    return o;
}

int TForm_Main::Run() {
    // The session ending or a Ctrl+C closes the course as its own Quit would.
    signals_ = std::make_unique<TerminationSignals>(dispatcher_, [this](int) { CloseForSignal(); });
    if (!CreateWindow()) return exitCode_;
    FormShow();
    if (!closing_) dispatcher_.run();
    FormDestroy();
    signals_.reset();
    return exitCode_;
}

bool TForm_Main::CreateWindow() {
    // The course's home: $PARLORA_HOME, an unpacked course beside the program, or an installed one.
    const char* home = std::getenv("PARLORA_HOME");
    std::string exeDir = ExecutableDir();
    if (home && *home) {
        folders_.ProgramDir = home;
    } else if (PathResolver::IsDirectory(exeDir + "/data") || PathResolver::IsDirectory(exeDir + "/Update")) {
        folders_.ProgramDir = exeDir;
    } else {
        folders_.ProgramDir = exeDir + "/../share/parlora";
    }
    while (folders_.ProgramDir.size() > 1 && folders_.ProgramDir.back() == '/')
        folders_.ProgramDir.pop_back();

    std::ifstream help(PathResolver::Resolve(folders_.ProgramDir + "/helpind.txt"));
    for (std::string line; std::getline(help, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        helpIndex_.push_back(line);
    }

    std::string runtime = RuntimeDir();
    if (runtime.empty()) {
        platform_.display().showNativeMessage("Parlora Plus!",
                                              "Parlora cannot make its own folder in /tmp: the name is taken "
                                              "by another user or a link. Please ask the administrator.",
                                              true);
        exitCode_ = 1;
        return false;
    }
    instance_ = std::make_unique<SingleInstance>();
    if (!instance_->acquire(runtime + "/parloraplus.lock")) {
        platform_.display().showNativeMessage("Parlora Plus!", "Parlora is already running", false);
        exitCode_ = 1;
        return false;
    }

    DisplayMode desk = platform_.display().desktopMode();
    if (!options_.force && (desk.width < 1024 || desk.height < 766)) {
        platform_.display().showNativeMessage("Parlora Plus!",
                                              Format("Parlora requires a screen resolution at least %d x %d. "
                                                     " Please increase your screen resolution "
                                                     "and/or decrease your text size (DPI) and try again.",
                                                     1024, 768),
                                              true);
        exitCode_ = 1;
        return false;
    }
    bool open = false;
    if (options_.force) {
        open = platform_.display().openWindow("Parlora Plus!", WindowMode::ForcedMode);
        if (!open) {
            options_.force = false;
            platform_.display().showNativeMessage("Parlora Plus!", "Couldn't set required screen-res", false);
        }
    }
    if (!open) {
        WindowMode mode = (desk.width <= 1024 || desk.height <= 768) ? WindowMode::BorderlessAtOrigin
                                                                     : WindowMode::MaximisedCentred;
        open = platform_.display().openWindow("Parlora Plus!", mode);
    }
    if (!open) {
        platform_.display().showNativeMessage("Parlora Plus!", "Cannot open the program's window.", true);
        exitCode_ = 1;
        return false;
    }
    dispatcher_.invalidate();
    return true;
}

void TForm_Main::FormShow() {
    if (!InitialiseCourse()) {
        exitCode_ = 1;
        closing_ = true;
        return;
    }
    // Another program that adds content rewrites stream.ini; the screens then read it again.
    streamWatch_ = std::make_unique<FileWatcher>(
        dispatcher_, PathResolver::Resolve(folders_.ProgramDir) + "/stream.ini", [this] {
            if (screen_) screen_->ContentChanged();
        });
    if (options_.quiz)
        shownClass_ = "TForm_Menu";
    else if (PathResolver::IsFile(folders_.InterfaceDir + "\\start\\CustomStart.txt"))
        shownClass_ = "TForm_CustomStart";
    else
        shownClass_ = RouteForCode(1, RouteContext())->className;
    ShowScreen(CreateScreen(shownClass_, {}), 0);
    // Films and MP3 words need FFmpeg: it is mapped while the learner looks at the first screen,
    // not at start, where its hundred libraries would double the wait. Headless runs have no one
    // looking and a clock that jumps: there it is mapped when first needed.
    if (!platform_.headless()) dispatcher_.setTimer(1000, false, [] { MediaModule::LoadInBackground(); });
    TScreen* shown = screen_.get();
    dispatcher_.post(shown->guard(), [shown] { shown->Start(); });
    if (options_.network) network_->HideTutrix();
}

void TForm_Main::RequestScreen(int screenCode, int transitionKind) {
    int code = screenCode & 0xFF, kind = transitionKind & 0xFF;
    // A screen change closes the help dialog first, or its loop would hold the request back.
    CloseHelp();
    dispatcher_.post(
        Guard{}, [this, code, kind] { HandleScreenRequest(code, kind); }, true);
}

void TForm_Main::Close() {
    if (closing_) return;
    // Closing inside a dialog's nested loop waits until that loop has ended.
    if (dispatcher_.modalDepth() > 0) {
        dispatcher_.post(
            Guard{}, [this] { Close(); }, true);
        return;
    }
    closing_ = true;
    dispatcher_.quit(exitCode_);
}

void TForm_Main::CloseForSignal() {
    // Nobody may be there to answer an open dialog, so it cannot hold the close back. Every nested
    // loop ends on quit, and screens are destroyed only after they have all unwound (FormDestroy).
    closing_ = true;
    dispatcher_.quit(exitCode_);
}

std::string TForm_Main::currentScreenClass() const {
    return screen_ ? screen_->ClassName() : "";
}

void TForm_Main::queueDialogAnswer(const std::string& button) {
    MsgButton b = ButtonFromName(button);
    if (b == MsgButton::None) throw AppError("Unknown dialog button " + button);
    scriptedAnswers_.push_back(b);
}

void TForm_Main::HandleInput(const InputEvent& e) {
    if (e.kind == InputEvent::Kind::CloseRequest) {
        Close();
        return;
    }
    if (screen_) screen_->HandleInput(e);
    // Moving the mouse changes nothing of a screen by itself; elements ask for their own repaint.
    if (e.kind != InputEvent::Kind::MouseMove) dispatcher_.invalidate();
}

void TForm_Main::Paint() {
    if (!platform_.display().windowOpen()) return;
    // Most paints change a small part of the screen (a strip's frame, a hand of the clock): only
    // that part is copied and presented. Dialogs and screen changes repaint everything.
    if (screen_ && dialogs_.empty() && !fullPaint_) {
        std::vector<Rect> changed = screen_->PaintChanged(frame_);
        if (!changed.empty()) platform_.display().present(frame_, changed);
        if (options_.network)
            for (const Rect& r : changed)
                network_->PaintTrap(r, frame_);
        return;
    }
    frame_.fill(0xFF000000u);
    if (screen_) screen_->Paint(frame_);
    for (TModalDialog* d : dialogs_)
        d->Paint(frame_);
    platform_.display().present(frame_, {});
    // The frame under a dialog must be whole again once the dialog has gone.
    fullPaint_ = !dialogs_.empty();
    if (options_.network) {
        network_->PaintTrap(frame_.bounds(), frame_);
        if (transitionOpen_) {
            transitionOpen_ = false;
            network_->EndTransition(frame_);
        }
    }
}

TForm_Main::NetworkClientFactory& TForm_Main::NetworkFactory() {
    static NetworkClientFactory factory;
    return factory;
}

TKaRamWav::THookEvent TForm_Main::SoundHook() {
    if (!options_.network) return {};
    return [this](TKaRamWav&, const TWaveFormat& format, uint32_t length, const uint8_t* data, uint32_t flags) {
        network_->SoundHook(format, length, data, flags);
    };
}

void TForm_Main::RunDialog(TModalDialog& dialog) {
    dialogs_.push_back(&dialog);
    dispatcher_.pushModalInput([this, &dialog](const InputEvent& e) {
        if (e.kind == InputEvent::Kind::CloseRequest) {
            Close();
            return;
        }
        dialog.HandleInput(e);
        dispatcher_.invalidate();
    });
    dispatcher_.invalidate();
    try {
        dispatcher_.runModal([&dialog] { return dialog.finished(); });
    } catch (...) {
        dispatcher_.popModalInput();
        dialogs_.pop_back();
        fullPaint_ = true;
        throw;
    }
    dispatcher_.popModalInput();
    dialogs_.pop_back();
    fullPaint_ = true;
    dispatcher_.invalidate();
}

int TForm_Main::MatchHelpIndex(const std::string& text) const {
    std::string lower = ToLowerAscii(text);
    for (size_t i = 0; i < helpIndex_.size(); ++i) {
        size_t eq = helpIndex_[i].find('=');
        std::string name = ToLowerAscii(helpIndex_[i].substr(0, eq));
        if (!name.empty() && lower.find(name) != std::string::npos) return int(i);
    }
    return -1;
}

MsgButton TForm_Main::ShowAppMessage(const std::string& text, MsgKind kind, int helpContext,
                                     std::vector<MsgButton> buttons) {
    int match = MatchHelpIndex(text);
    if (match >= 0) {
        helpContext = match;
        if (std::find(buttons.begin(), buttons.end(), MsgButton::Help) == buttons.end())
            buttons.push_back(MsgButton::Help);
    }
    if (buttons.empty()) buttons.push_back(MsgButton::OK);
    auto onHelp = [this, helpContext] {
        if (helpContext < 0 || size_t(helpContext) >= helpIndex_.size()) return;
        const std::string& line = helpIndex_[size_t(helpContext)];
        size_t eq = line.find('=');
        if (eq != std::string::npos) OpenHelpLink(line.substr(eq + 1));
    };
    if (platform_.headless() || !platform_.display().windowOpen()) {
        // Headless runs take the script's answers; without one, the first button other than Help.
        MsgButton answer = MsgButton::None;
        while (!scriptedAnswers_.empty() && answer == MsgButton::None) {
            MsgButton a = scriptedAnswers_.front();
            scriptedAnswers_.pop_front();
            if (a == MsgButton::Help) {
                onHelp();
                continue;
            }
            if (std::find(buttons.begin(), buttons.end(), a) != buttons.end()) answer = a;
        }
        if (answer == MsgButton::None)
            for (MsgButton b : buttons)
                if (b != MsgButton::Help) {
                    answer = b;
                    break;
                }
        if (!platform_.display().windowOpen()) {
            platform_.display().showNativeMessage("Parlora Plus!", text, kind == MsgKind::Error);
        } else {
            std::fprintf(stderr, "Parlora: %s [%s]\n", text.c_str(), ButtonCaption(answer).c_str());
        }
        return answer;
    }
    TMessageDialog dialog(text, kind, buttons, onHelp);
    platform_.display().setCursor(CursorKind::Arrow);
    RunDialog(dialog);
    return dialog.result();
}

static std::string PercentEncode(const std::string& s) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    std::string_view("-._~/?=&:;,+@!$'()*%").find(char(c)) != std::string_view::npos;
        if (keep) {
            out += char(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string TForm_Main::BuildHelpLink(const std::string& linkTemplate) const {
    auto [major, minor] = OsVersion();
    int target = catalogue_ && catalogue_->targetNumber() >= 0 ? catalogue_->targetNumber() : 0;
    int source = 1;
    if (catalogue_)
        source =
            catalogue_->sourceNumber() >= 0 ? catalogue_->sourceNumber() : catalogue_->LocaleSourceNumber(1);
    const std::pair<std::string, std::string> values[] = {
        {"rng", "QOR"},
        {"trg", Format("%.3d", target)},
        {"src", Format("%.3d", source)},
        {"os", Format("%s%d.%d", "LINUX", major, minor)},
    };
    std::string link = linkTemplate;
    for (const auto& [name, value] : values)
        link = IReplaceAll(link, "[[" + name + "]]", name + "=" + value);
    return "http://" + PercentEncode(link);
}

void TForm_Main::OpenHelpLink(const std::string& linkTemplate) {
    platform_.display().setCursor(CursorKind::Hourglass);
    platform_.shell().openUrl(BuildHelpLink(linkTemplate));
    platform_.display().setCursor(CursorKind::Arrow);
}

void TForm_Main::DebugLog(const std::string& text) {
    if (!config_.IsLoaded() || !settings_.Debug) return;
    std::fprintf(stderr, "[debug] %s\n", text.c_str());
    std::string runtime = RuntimeDir();
    if (runtime.empty()) return;
    std::ofstream log(runtime + "/parlora-debug.log", std::ios::app);
    log << text << '\n';
}

void TForm_Main::DebugLogFmt(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    char buf[4096];
    std::vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    DebugLog(buf);
}

bool TForm_Main::OnAppMessage(const InputEvent& e) {
    // A learner who plays with the keyboard is as present as one who clicks.
    bool active = e.isLeftDown() || e.kind == InputEvent::Kind::KeyDown;
    if (active && options_.timeoutMinutes > 0) RestartInactivityTimer();
    return false;
}

void TForm_Main::RestartInactivityTimer() {
    if (inactivityTimer_) dispatcher_.killTimer(inactivityTimer_);
    inactivityTimer_ = dispatcher_.setTimer(uint32_t(options_.timeoutMinutes) * 60000u, false, [this] {
        inactivityTimer_ = 0;
        timedOut_ = true;
        Close();
    });
}

void TForm_Main::InstallErrorHandler() {
    dispatcher_.setErrorHandler([this](const std::exception& e) {
        platform_.display().setCursor(CursorKind::Arrow);
        MsgButton b = ShowAppMessage(e.what(), MsgKind::Error, -1, {MsgButton::Abort, MsgButton::Ignore});
        if (b == MsgButton::Abort) {
            exitCode_ = 1;
            Close();
        }
    });
    dispatcher_.setAppHook([this](const InputEvent& e) { return OnAppMessage(e); });
}

void TForm_Main::ShowHelpPicture(int number) {
    RunHelp([&](THelpDlg& help) {
        help.PreparePicture(Format("%s\\Help\\Help%d.png", folders_.SourceDir.c_str(), number));
    });
}

void TForm_Main::ShowHelpText(const std::string& utf8) {
    RunHelp([&](THelpDlg& help) { help.PrepareText(utf8); });
}

void TForm_Main::RunHelp(const std::function<void(THelpDlg&)>& prepare) {
    // Made on first use and kept for the run.
    if (!help_) help_ = std::make_unique<THelpDlg>(folders_.DataDir);
    prepare(*help_);
    helpShowing_ = true;
    struct Showing {
        bool& flag;
        ~Showing() { flag = false; }
    } showing{helpShowing_};
    RunDialog(*help_);
}

void TForm_Main::CloseHelp() {
    if (help_ && helpShowing_) help_->Close();
}

TDIBVolatileImageList& TForm_Main::ActorImages() {
    if (!actorImages_) {
        actorImages_ = std::make_unique<TDIBVolatileImageList>();
        for (int speaker : {1, 0})
            for (int strip = 0; strip < 4; ++strip)
                actorImages_->Add(TActorData::StripName(speaker, TActorData::Strip(strip)));
    }
    if (!catalogue_) return *actorImages_;
    std::vector<std::string> strips;
    for (int speaker : {1, 0})
        for (int strip = 0; strip < 4; ++strip) {
            const std::string& path = catalogue_->actor(speaker).strips[size_t(strip)];
            if (!path.empty() && path != actorImagePaths_[size_t((speaker == 1 ? 0 : 4) + strip)])
                strips.push_back(path);
        }
    auto held = PictureCache::Instance().Prefetch(strips); // the eight strips decode side by side
    for (int speaker : {1, 0})
        for (int strip = 0; strip < 4; ++strip) {
            int index = (speaker == 1 ? 0 : 4) + strip;
            const std::string& path = catalogue_->actor(speaker).strips[size_t(strip)];
            if (path.empty() || path == actorImagePaths_[size_t(index)]) continue;
            actorImages_->LoadImageFile(index, path);
            actorImagePaths_[size_t(index)] = path;
        }
    return *actorImages_;
}

std::optional<std::string> TForm_Main::ReadStreamFlags() const {
    std::string file = PathResolver::Resolve(folders_.ProgramDir + "\\stream.ini");
    if (!PathResolver::IsFile(file)) return std::nullopt;
    return ProfileFile::Read(file, "Stream", "Flags", "");
}

void TForm_Main::FormDestroy() {
    if (initialised_ && options_.network) {
        // The manager hears the final score before we leave it; a manager that has gone does
        // not hold the closing up.
        try {
            if (network_->Connected()) {
                if (options_.quiz && records_) records_->SetQuizScore(network_->GetQuizScore());
                int score = records_ ? records_->NetworkScore() : 0;
                network_->SendScore(score, TRecordsStore::AwardLevel(score));
                network_->Disconnect(timedOut_);
            }
        } catch (const std::exception& e) {
            DebugLog(std::string("Leaving the classroom manager: ") + e.what());
        }
    }
    streamWatch_.reset();
    if (initialised_ && !folders_.TempDir.empty()) DeleteFolderTree(folders_.TempDir);
    screen_.reset();
    platform_.display().closeWindow();
    instance_.reset();
}

} // namespace parlora
