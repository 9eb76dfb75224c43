#include "export/FormIPod.h"

#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBFocusOrder.h"
#include "display/DIBImage.h"
#include "display/DIBLabel.h"
#include "display/ScreenLayout.h"
#include "export/Mp3Track.h"
#include "platform/Translation.h"
#include "shell/FormMain.h"
#include "shell/SavedFileNotice.h"

namespace parlora {
namespace {

// Red is the dialog's see-through colour: only the pictures show over the screen.
constexpr uint32_t kKey = 0xFFFF0000u;

} // namespace

TForm_iPod::Places TForm_iPod::DefaultPlaces() {
    return {UserMusicDir(), PortablePlayers()};
}

TForm_iPod::TForm_iPod(TForm_Main& main, int left, int top, Places places)
    : main_(main), left_(left), top_(top), places_(std::move(places)) {
    const CourseFolders& f = main_.folders();
    images_.Add("Scroll", "Interface\\iPod\\Scroll.png", true);
    images_.Add("Cancel", "Interface\\iPod\\CancelBtn.png", true);
    images_.Add("Export", "Interface\\iPod\\iTunesBtn.png", true);
    images_.LoadAutoImages(f.DataDir);
    container_.SetColor(kKey);
    container_.SetDIBImageList(&images_);
    ScreenLayout::Build(container_, &images_,
                        {
                            {"DIBI_Scroll", ElementKind::Image, {30, 6, 373, 107}, "Scroll", 0, 0},
                            {"DIBBS_Cancel", ElementKind::ButtonStrip, {0, 12, 60, 60}, "Cancel", 0, 0},
                            {"DIBBS_iTunes", ElementKind::ButtonStrip, {274, 77, 121, 38}, "Export", 0, 0},
                            {"Label_Player", ElementKind::Label, {100, 60, 170, 17}, "", 0, efHidden},
                        });
    exportButton_ = dynamic_cast<TDIBButtonStrip*>(container_.FindComponent("DIBBS_iTunes"));
    playerLabel_ = dynamic_cast<TDIBLabel*>(container_.FindComponent("Label_Player"));
    container_.FindComponent("DIBBS_Cancel")->OnClick = [this](TCustomDIBControl&) { DIBBS_CancelClick(); };
    exportButton_->OnClick = [this](TCustomDIBControl&) { DIBBS_iTunesClick(); };
    playerLabel_->OnClick = [this](TCustomDIBControl&) { Label_PlayerClick(); };
    FontSpec font;
    font.pixelHeight = 13;
    font.bold = true;
    playerLabel_->SetFont(font);
    playerLabel_->SetFontColor(0xFF5A3A1Au);
    messages_ = PhraseLists::LoadMessages(f.SourceDir, f.DataDir);
    ShowPlayers();
}

TForm_iPod::~TForm_iPod() {
    StopSteps();
}

TForm_iPod::Result TForm_iPod::Execute(TForm_Main& main, int left, int top) {
    TForm_iPod dialog(main, left, top, DefaultPlaces());
    main.RunDialog(dialog);
    return dialog.result();
}

void TForm_iPod::ShowPlayers() {
    // The player's name, ticked while the export is to go there too; a click changes it.
    if (places_.players.empty()) return;
    std::string names;
    for (const PortablePlayer& p : places_.players)
        names += (names.empty() ? "" : ", ") + p.label;
    playerLabel_->SetCaption(std::string(playersOn_ ? "\u2611 " : "\u2610 ") + names);
    playerLabel_->SetVisible(true);
}

void TForm_iPod::Label_PlayerClick() {
    if (exporting_) return;
    playersOn_ = !playersOn_;
    ShowPlayers();
}

void TForm_iPod::DIBBS_iTunesClick() {
    if (exporting_ || result_ != Result::None) return;
    startMs_ = main_.dispatcher().clock().nowMs();
    if (!Mp3Track::EncoderAvailable()) {
        main_.ShowAppMessage(messages_[TExportMessages::NoEncoder], MsgKind::Error, -1, {MsgButton::OK});
        main_.platform().shell().openUrl(messages_[TExportMessages::DownloadAddress]);
        CloseAs(Result::Cancelled);
        return;
    }
    const CourseFolders& f = main_.folders();
    ExportSettings s;
    s.targetDir = f.TargetDir;
    s.interfaceDir = f.InterfaceDir;
    s.sourceDir = f.SourceDir;
    s.dataDir = f.DataDir;
    s.targetName = main_.catalogue() ? main_.catalogue()->TargetName() : std::string();
    s.musicRoot = places_.musicRoot;
    if (playersOn_)
        for (const PortablePlayer& p : places_.players)
            s.playerRoots.push_back(p.musicDir);
    if (main_.settings().iPodDebug) s.debugLog = [this](const std::string& line) { main_.DebugLog(line); };
    job_ = std::make_unique<TPhraseExport>(std::move(s));
    exporting_ = true;
    exportButton_->SetEnabled(false);
    playerLabel_->SetEnabled(false);
    StartSteps();
}

void TForm_iPod::StartSteps() {
    // One step per tick; paint and input come first, so the bar moves and Cancel is heard.
    if (!timer_)
        timer_ = main_.dispatcher().setTimer(
            1, true, [this] { RunStep(); }, life_.guard());
}

void TForm_iPod::StopSteps() {
    if (timer_) main_.dispatcher().killTimer(timer_);
    timer_ = 0;
}

void TForm_iPod::RunStep() {
    if (!job_) return;
    bool more = job_->Step();
    main_.dispatcher().invalidate();
    if (!more) EndExport();
}

void TForm_iPod::EndExport() {
    StopSteps();
    exporting_ = false;
    exportButton_->SetEnabled(true);
    switch (job_->state()) {
    case TPhraseExport::State::Done: {
        long long seconds = (long long)((main_.dispatcher().clock().nowMs() - startMs_) / 1000);
        std::string text = messages_[TExportMessages::Complete];
        // The course's own words for the end, then ours for where the tracks are.
        finalMessage_ = IReplaceAll(text, "%s", PhraseLists::FormatElapsed(seconds));
        std::vector<std::string> places = job_->Destinations();
        std::string folder = places.empty() ? places_.musicRoot : places.front();
        finalMessage_ += "\n\n" + Format(Tr("The phrases are in %s."), FolderForMessage(folder).c_str());
        if (places.size() > 1) {
            std::string players;
            for (const PortablePlayer& p : places_.players)
                players += (players.empty() ? "" : ", ") + p.label;
            finalMessage_ += " " + Format(Tr("They are on %s too."), players.c_str());
        }
        finalMessage_ = TellWhereSaved(main_, finalMessage_, folder);
        CloseAs(Result::Completed);
        break;
    }
    case TPhraseExport::State::Cancelled:
        finalMessage_ = messages_[TExportMessages::Cancelled];
        main_.ShowAppMessage(finalMessage_, MsgKind::Information, -1, {MsgButton::OK});
        CloseAs(Result::Cancelled);
        break;
    default:
        finalMessage_ = job_->Error();
        main_.ShowAppMessage(finalMessage_, MsgKind::Error, -1, {MsgButton::OK});
        CloseAs(Result::Cancelled);
        break;
    }
}

void TForm_iPod::DIBBS_CancelClick() {
    if (!exporting_) {
        CloseAs(Result::Cancelled);
        return;
    }
    if (asking_) return;
    // The export waits for the answer.
    asking_ = true;
    StopSteps();
    MsgButton answer = main_.ShowAppMessage(messages_[TExportMessages::ConfirmCancel], MsgKind::Confirmation,
                                            -1, {MsgButton::Yes, MsgButton::No});
    asking_ = false;
    if (!exporting_) return;
    if (answer == MsgButton::No) {
        StartSteps();
        return;
    }
    job_->Cancel();
    EndExport();
}

void TForm_iPod::CloseAs(Result r) {
    result_ = r;
    Finish();
}

void TForm_iPod::Paint(Surface& frame) {
    container_.takeDirty();
    const Surface& s = container_.surface();
    for (int y = 0; y < s.height() && top_ + y < frame.height(); ++y) {
        if (top_ + y < 0) continue;
        const uint32_t* src = s.row(y);
        uint32_t* dst = frame.row(top_ + y);
        for (int x = 0; x < s.width() && left_ + x < frame.width(); ++x)
            if (left_ + x >= 0 && src[x] != kKey) dst[left_ + x] = src[x];
    }
    // The bar: a dark frame, a pale trough and the part done so far.
    Rect bar{left_ + kProgress.x, top_ + kProgress.y, kProgress.w, kProgress.h};
    frame.fillRect(bar, 0xFF5A3A1Au);
    Rect trough{bar.x + 1, bar.y + 1, bar.w - 2, bar.h - 2};
    frame.fillRect(trough, 0xFFFFF8E7u);
    if (job_ && job_->Maximum() > 0) {
        int done = int(int64_t(trough.w) * std::min(job_->Position(), job_->Maximum()) / job_->Maximum());
        frame.fillRect({trough.x, trough.y, done, trough.h}, 0xFF2E8B57u);
    }
}

void TForm_iPod::HandleInput(const InputEvent& e) {
    // Escape is the cancel button, which asks first while an export runs.
    TDIBFocusOrder::DialogInput(container_, e, left_, top_, [this] { DIBBS_CancelClick(); });
}

} // namespace parlora
