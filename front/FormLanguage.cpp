#include "front/FormLanguage.h"

#include "core/PathResolver.h"
#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "front/FrontScreens.h"
#include "media/KaMCIMedia.h"
#include "media/KaRamWav.h"
#include "platform/Translation.h"
#include "platform/XdgFolders.h"
#include "shell/FormMain.h"
#include "shell/ScreenFactory.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace parlora {

namespace {

ElementSpec Pic(std::string name, Rect r, std::string picture, unsigned flags = 0) {
    return {std::move(name), ElementKind::Image, r, std::move(picture), 0, flags};
}

ElementSpec Button(std::string name, Rect r, std::string picture) {
    return {std::move(name), ElementKind::ButtonStrip, r, std::move(picture), 0, efAutoSize};
}

std::vector<ImageItemSpec> LanguageImages() {
    return {
        {"Background", "Interface\\ChangeLang\\ChangeLangBG.png"},
        {"Mask", "Interface\\ChangeLang\\mask.png", true, true},
        {"Disk", "", false},
        {"Label", "", false},
        {"Flags", "", false},
        {"Cursor", "Interface\\ChangeLang\\cursor.png", true, true},
        {"scrollup", "Interface\\ChangeLang\\scrollup.png", true, true},
        {"scrolldown", "Interface\\ChangeLang\\scrolldown.png", true, true},
        {"sliderknob", "Interface\\ChangeLang\\sliderknob.png", true, true},
        {"helpbtn", "Interface\\ChangeLang\\helpbtn.png", true, true},
        {"exitbtn", "Interface\\ChangeLang\\exitbtn.png", true, true},
    };
}

std::vector<ElementSpec> LanguageLayout() {
    using F = TForm_Language;
    return {
        Pic("DIBI_Disk", {364, 47, 295, 295}, "Disk"),
        Pic("DIBI_Mask", {364, 47, 295, 295}, "Mask"),
        Pic("DIBI_Label", {400, 114, 143, 47}, "Label", efHidden),
        Pic("DIBI_List", {F::kListLeft, F::kListTop, F::kListWidth, F::kListHeight}, "Flags"),
        Pic("DIBI_Cursor", {F::kCursorLeft, F::kListTop, F::kListWidth, F::kRowHeight}, "Cursor", efHidden),
        Button("DIBBS_Up", {611, 358, 40, 40}, "scrollup"),
        Button("DIBBS_Down", {611, 578, 40, 40}, "scrolldown"),
        Pic("DIBI_Slider", {F::kSliderMin, 702, 10, 24}, "sliderknob"),
        Button("DIBBS_Help", {21, 707, 60, 60}, "helpbtn"),
        Button("DIBBS_Exit", {955, 707, 60, 60}, "exitbtn"),
    };
}

// The file from UpdateDir when it is there, else from DataDir.
std::string UpdateOrData(const CourseFolders& f, const std::string& relative) {
    std::string update = f.UpdateDir + "\\" + relative;
    if (!f.UpdateDir.empty() && PathResolver::IsFile(update)) return update;
    return f.DataDir + "\\" + relative;
}

} // namespace

const char* TForm_Language::GreetingLetter(int hour) {
    return hour < 12 ? "m" : hour < 18 ? "a" : "e";
}

std::vector<int> TForm_Language::ParseSourceList(const std::string& text) {
    std::vector<int> numbers;
    for (const std::string& raw : Split(text, '\n')) {
        std::string line = Trim(raw);
        if (line.empty() || line.size() > 6 ||
            !std::all_of(line.begin(), line.end(), [](unsigned char c) { return std::isdigit(c); }))
            break;
        int n = std::stoi(line);
        // Languages are numbered from 1; a 0 would name a folder that never exists.
        if (n < 1) break;
        numbers.push_back(n);
    }
    return numbers;
}

TForm_Language::TForm_Language(TForm_Main& main, const TScreenParams& params)
    : TDIBScreen(main, "TForm_Language"), returnCode_(params.returnCode ? params.returnCode : 1),
      anims_(main.dispatcher()), volume_(main.platform().volume(), kSliderMin, kSliderMax),
      helpProgramDir_(ExecutableDir()) {
    anims_.SetInterval(20);
    anims_.AnimNotify = [this](TCustomDIBControl&, bool finished) { AnimEnded(finished); };
    FormCreate();
}

TForm_Language::~TForm_Language() {
    anims_.AnimNotify = nullptr;
    anims_.StopAnims();
    if (pollTimer_) main_.dispatcher().killTimer(pollTimer_);
    if (downloadHandle_ >= 0) {
        main_.platform().display().setCursor(CursorKind::Arrow);
        // The learner left while the program runs: it finishes on its own (its install is whole or
        // nothing), and is still collected when it ends so that it does not linger as a zombie.
        IShell* shell = &main_.platform().shell();
        Dispatcher* dispatcher = &main_.dispatcher();
        auto timer = std::make_shared<TimerId>(0);
        *timer = dispatcher->setTimer(kPollMs, true, [shell, dispatcher, timer, handle = downloadHandle_] {
            if (shell->pollProgram(handle)) dispatcher->killTimer(*timer);
        });
    }
}

void TForm_Language::FormCreate() {
    Build(LanguageImages(), LanguageLayout());
    list_ = &Element<TDIBImage>("DIBI_List");
    cursor_ = &Element<TDIBImage>("DIBI_Cursor");
    slider_ = &Element<TDIBImage>("DIBI_Slider");
    up_ = &Element<TDIBButtonStrip>("DIBBS_Up");
    down_ = &Element<TDIBButtonStrip>("DIBBS_Down");

    try {
        LoadPicture("Flags", UpdateOrData(main_.folders(), "sources\\TheFlags.png"));
    } catch (const std::exception& e) {
        flagsError_ = e.what(); // shown once the screen is up; the list still works by position
    }
    LoadDisc();
    ReadSources();
    visible_ = std::min(count(), kMaxVisibleRows);

    TLanguageCatalogue* cat = main_.catalogue();
    int current = cat ? cat->sourceNumber() : -1;
    auto at = std::find(numbers_.begin(), numbers_.end(), current);
    if (at != numbers_.end()) {
        chosen_ = int(at - numbers_.begin()) + 1;
        top_ = std::min(chosen_, LastTopRow());
    } else {
        // Switching to a listed language that is not installed would leave the course without its
        // texts, so the first installed one is taken; with none, the current language stays.
        top_ = 1;
        for (int i = 1; i <= count() && cat; ++i)
            if (cat->SourceExists(numbers_[size_t(i - 1)])) {
                chosen_ = i;
                break;
            }
    }
    ApplyShift((top_ - 1) * kRowHeight);
    if (chosen_) ShowSelection();
    UpdateScrollButtons();
    WireEvents();

    volume_.Open(true);
}

void TForm_Language::LoadDisc() {
    const CourseFolders& f = main_.folders();
    TLanguageCatalogue* cat = main_.catalogue();
    std::string custom;
    if (!f.CustomDir.empty() && cat)
        custom =
            Format("%s\\Sources\\%dSource\\General\\CDFront.png", f.CustomDir.c_str(), cat->sourceNumber());
    try {
        LoadPicture("Disk", !custom.empty() && PathResolver::IsFile(custom)
                                ? custom
                                : f.TextDir + "\\general\\cdfront.png");
    } catch (const std::exception& e) {
        main_.DebugLog(e.what());
    }
}

void TForm_Language::ReadSources() {
    std::string path = PathResolver::Resolve(UpdateOrData(main_.folders(), "sources\\Sources.txt"));
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    numbers_ = ParseSourceList(text);
}

void TForm_Language::WireEvents() {
    auto onClick = [this](const char* name, void (TForm_Language::*handler)()) {
        Element<TDIBButtonStrip>(name).OnClick = [this, handler](TCustomDIBControl&) { (this->*handler)(); };
    };
    onClick("DIBBS_Exit", &TForm_Language::DIBBS_ExitClick);
    onClick("DIBBS_Help", &TForm_Language::DIBBS_HelpClick);
    up_->OnMouseDown = [this](TCustomDIBControl&, MouseButton b, int, int) {
        if (b == MouseButton::Left) DIBBS_UpMouseDown();
    };
    up_->OnMouseUp = [this](TCustomDIBControl&, MouseButton, int, int) { DIBBS_UpMouseUp(); };
    down_->OnMouseDown = [this](TCustomDIBControl&, MouseButton b, int, int) {
        if (b == MouseButton::Left) DIBBS_DownMouseDown();
    };
    down_->OnMouseUp = [this](TCustomDIBControl&, MouseButton, int, int) { DIBBS_DownMouseUp(); };
    list_->OnMouseMove = [this](TCustomDIBControl&, int, int y) { DIBI_ListMouseMove(y); };
    list_->OnClick = [this](TCustomDIBControl&) { DIBI_ListClick(); };
    // The cursor lies over the list: clicks and moves on it belong to the list.
    cursor_->OnMouseMove = [this](TCustomDIBControl&, int, int y) {
        DIBI_ListMouseMove(cursor_->Top() - kListTop + y);
    };
    cursor_->OnClick = [this](TCustomDIBControl&) { DIBI_ListClick(); };
    volume_.Attach(
        *slider_, [this](const std::string& line) { main_.DebugLog(line); },
        [this] {
            // Letting go of the knob says the greeting at the new volume, or at least a bing.
            if (PlayGreeting()) return;
            try {
                media().CloseMedia();
            } catch (const std::exception&) {
            }
            PlayEffect(Format("%s\\common\\sounds\\bing.wav", main_.folders().InterfaceDir.c_str()));
        });
}

void TForm_Language::Start() {
    if (!flagsError_.empty()) {
        std::string text = flagsError_;
        flagsError_.clear();
        main_.ShowAppMessage(text, MsgKind::Error, 0, {MsgButton::OK});
    }
    PlayGreeting();
}

void TForm_Language::ShowSelection() {
    PlaceCursor(list_->OffsetY());
    TLanguageCatalogue* cat = main_.catalogue();
    if (!cat) return;
    int before = cat->sourceNumber();
    cat->SetSource(numbers_[size_t(chosen_ - 1)]);
    auto& label = Element<TDIBImage>("DIBI_Label");
    label.SetVisible(cat->TitleVisible());
    if (cat->TitleVisible()) {
        try {
            LoadPicture("Label", cat->TitlePicturePath());
        } catch (const std::exception& e) {
            main_.DebugLog(e.what());
            label.SetVisible(false);
        }
    }
    // A disc of the custom content can differ by source language.
    if (before != cat->sourceNumber()) LoadDisc();
}

bool TForm_Language::PlayGreeting() {
    lastGreeting_.clear();
    TLanguageCatalogue* cat = main_.catalogue();
    if (!cat) return false;
    int hour = main_.platform().clock().localTime().hour;
    std::string base = Format("%s\\general\\aif\\%dg%s", main_.folders().SourceDir.c_str(),
                              cat->sourceNumber(), GreetingLetter(hour));
    try {
        std::string aif = PathResolver::Resolve(base + ".aif");
        std::string mp3 = PathResolver::Resolve(base + ".mp3");
        if (PathResolver::IsFile(aif)) {
            lastGreeting_ = base;
            if (main_.settings().MediaSound) {
                wave().Stop();
                media().CloseMedia();
                media().SetMediaFilename(aif);
                media().OpenMedia();
                media().PlayMedia();
            } else {
                media().CloseMedia();
                wave().LoadSoundIfNew(aif);
                wave().Play();
            }
            return true;
        }
        if (PathResolver::IsFile(mp3)) {
            lastGreeting_ = base;
            wave().Stop();
            media().CloseMedia();
            media().SetMediaFilename(mp3);
            media().OpenMedia();
            media().PlayMedia();
            return true;
        }
    } catch (const std::exception& e) {
        main_.DebugLog(std::string("Greeting failed: ") + e.what());
    }
    return false;
}

void TForm_Language::ApplyShift(int shift) {
    list_->SetOffsetY(shift);
    PlaceCursor(shift);
}

void TForm_Language::PlaceCursor(int shift) {
    if (chosen_ == 0) {
        cursor_->SetVisible(false);
        return;
    }
    int y = (chosen_ - 1) * kRowHeight - shift; // from the top of the list
    int band = visible_ * kRowHeight;
    int top = kListTop + y, height = kRowHeight, cut = 0;
    if (y < 0) {
        cut = std::min(-y, kRowHeight);
        top = kListTop;
        height = kRowHeight - cut;
    } else {
        height = std::max(0, std::min(kRowHeight, band - y));
    }
    cursor_->SetBounds(kCursorLeft, top, kListWidth, height);
    cursor_->SetOffsetY(cut);
    cursor_->SetVisible(height > 0);
}

void TForm_Language::UpdateScrollButtons() {
    up_->SetEnabled(top_ > 1);
    down_->SetEnabled(top_ < LastTopRow());
}

void TForm_Language::Step(int direction) {
    if (direction < 0 && top_ > 1)
        ScrollTo(top_ - 1);
    else if (direction > 0 && top_ < LastTopRow())
        ScrollTo(top_ + 1);
    else
        scrollingUp_ = scrollingDown_ = false; // at the end: a held button has nothing more to do
    UpdateScrollButtons();
}

void TForm_Language::ScrollTo(int newTop) {
    anims_.StopAnims();
    int old = top_;
    top_ = newTop;
    anims_.AddCallbackAnim(
        int32_t(stepMs_), *list_, 0, (newTop - old) * kRowHeight,
        [this, old](int v) { ApplyShift((old - 1) * kRowHeight + v); }, false);
}

void TForm_Language::AnimEnded(bool finished) {
    if (!finished) return;
    if (stepMs_ > kFastestStepMs) stepMs_ -= 100;
    if (scrollingUp_)
        Step(-1);
    else if (scrollingDown_)
        Step(1);
}

void TForm_Language::DIBBS_UpMouseDown() {
    scrollingDown_ = false;
    scrollingUp_ = true;
    stepMs_ = kFirstStepMs;
    Step(-1);
}

void TForm_Language::DIBBS_UpMouseUp() {
    scrollingUp_ = false;
}

void TForm_Language::DIBBS_DownMouseDown() {
    scrollingUp_ = false;
    scrollingDown_ = true;
    stepMs_ = kFirstStepMs;
    Step(1);
}

void TForm_Language::DIBBS_DownMouseUp() {
    scrollingDown_ = false;
}

void TForm_Language::DIBI_ListMouseMove(int y) {
    lastMouseY_ = y;
}

void TForm_Language::DIBI_ListClick() {
    if (downloading()) return; // one language at a time
    if (lastMouseY_ < 0) return;
    int row = lastMouseY_ / kRowHeight;
    if (row >= visible_) return;
    int position = top_ + row;
    if (position == chosen_) return;
    int n = numbers_[size_t(position - 1)];
    TLanguageCatalogue* cat = main_.catalogue();
    if (!cat) return;
    if (cat->SourceExists(n)) {
        Choose(position);
        return;
    }
    std::string program = HelpProgramPath();
    if (program.empty()) {
        main_.ShowAppMessage(Tr("Sorry, this help language is not available."), MsgKind::Information, 0,
                             {MsgButton::OK});
        return;
    }
    if (main_.ShowAppMessage(Tr("Do you want to download this help language?"), MsgKind::Confirmation, 0,
                             {MsgButton::Yes, MsgButton::No}) != MsgButton::Yes)
        return;
    StartDownload(position);
}

void TForm_Language::Choose(int position) {
    chosen_ = position;
    ShowSelection();
    PlayGreeting();
}

std::string TForm_Language::HelpProgramPath() const {
    // Never from the course's home nor the PATH: a home on a stick or a share would hand the
    // course a program of anyone's choosing to run.
    if (helpProgramDir_.empty()) return {};
    std::string path = helpProgramDir_ + "/" + kHelpProgram;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec) || ::access(path.c_str(), X_OK) != 0) return {};
    return path;
}

bool TForm_Language::StartDownload(int position) {
    const CourseFolders& f = main_.folders();
    int n = numbers_[size_t(position - 1)];
    std::string program = HelpProgramPath();
    std::string parent = PathResolver::Resolve(f.DataDir) + "/..";
    downloadHandle_ = main_.platform().shell().startProgram(program, {std::to_string(n), parent},
                                                            PathResolver::Resolve(f.ProgramDir));
    if (downloadHandle_ < 0) {
        main_.ShowAppMessage(
            Format(Tr("Couldn't get help language - the program %s could not be started"), program.c_str()),
            MsgKind::Error, 0, {MsgButton::OK});
        return false;
    }
    main_.DebugLogFmt("Fetching help language %d with %s", n, program.c_str());
    downloadPosition_ = position;
    main_.platform().display().setCursor(CursorKind::Hourglass);
    // Watched from a timer, not a waiting loop: the window keeps working and can still be left.
    pollTimer_ = main_.dispatcher().setTimer(
        kPollMs, true, [this] { PollDownload(); }, guard());
    return true;
}

void TForm_Language::PollDownload() {
    std::optional<int> code = main_.platform().shell().pollProgram(downloadHandle_);
    if (!code) return;
    main_.dispatcher().killTimer(pollTimer_);
    pollTimer_ = 0;
    downloadHandle_ = -1;
    main_.platform().display().setCursor(CursorKind::Arrow);
    DownloadEnded(*code);
}

void TForm_Language::DownloadEnded(int exitCode) {
    int n = numbers_[size_t(downloadPosition_ - 1)];
    TLanguageCatalogue* cat = main_.catalogue();
    PathResolver::ClearCache(); // a folder has appeared behind the resolver's back
    // A program that reports success without installing the folder has failed all the same.
    if (exitCode != 0 || !cat || !cat->SourceExists(n)) {
        main_.DebugLogFmt("Help language %d not installed, exit code %d", n, exitCode);
        main_.ShowAppMessage(Tr("Help language download failed"), MsgKind::Error, 0, {MsgButton::OK});
        return;
    }
    Choose(downloadPosition_);
}

void TForm_Language::DIBBS_ExitClick() {
    anims_.StopAnims();
    scrollingUp_ = scrollingDown_ = false;
    switch (returnCode_) {
    case 4:
        main_.RequestScreen(4, 5);
        break;
    case 9:
        main_.RequestScreen(9, 5);
        break;
    default:
        main_.RequestScreen(1, 4);
        break;
    }
}

void TForm_Language::DIBBS_HelpClick() {
    main_.ShowHelpPicture(36);
}

void RegisterLanguageScreen(TScreenFactory& factory) {
    factory.Register("TForm_Language", [](TForm_Main& m, const TScreenParams& p) {
        return std::unique_ptr<TScreen>(new TForm_Language(m, p));
    });
}

} // namespace parlora
