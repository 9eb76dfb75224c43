#include "activities/FormSpeak.h"

#include "core/Errors.h"
#include "core/PathResolver.h"
#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "display/DIBImageStrip.h"
#include "display/DIBShape.h"
#include "display/DIBWaveView.h"
#include "shell/FormMain.h"
#include "shell/LanguageCatalogue.h"
#include "shell/RecordsStore.h"
#include "shell/TextUtils.h"

#include <filesystem>
#include <system_error>

namespace parlora {
namespace {

const TKaStateDef kStates[] = {
    {"WaitButton", "", katMouseAction}, {"NewStrip", "WaitButton", katEndAnim}, {"Listen", "", katEndPlay},
    {"Click", "", katEndPlay},          {"Record", "Next", katEndRecord},       {"Play1", "", katEndPlay},
    {"Play2", "", katEndPlay},          {"Next", "WaitButton", katEndAnim},
};

// Where the pictures the layout leaves open stand: the strip choice above the strip window, the
// microphone and its light to its left, the tape recorder in the empty top left, the action
// buttons under the voices.
constexpr Rect kMaskAt{372, 257, 375, TForm_Speak::kPictureH};
constexpr Rect kVoicesAt{272, 420, 480, 160};

TWaveVoice VoiceOf(const TKaRamWav* player) {
    TWaveVoice v;
    if (!player || player->Empty()) return v;
    v.data = player->PlayData();
    v.length = player->PlayLength();
    v.channels = player->WaveFormat().Channels;
    v.bitsPerSample = player->WaveFormat().BitsPerSample;
    v.samplesPerSec = int(player->WaveFormat().SamplesPerSec);
    return v;
}

} // namespace

TForm_Speak::TForm_Speak(TForm_Main& main)
    : TForm_Screen(main, "TForm_Speak"), KaStateList1(main.dispatcher()) {
    const std::string dir = "Interface\\Common\\Speak\\";
    std::vector<ImageItemSpec> items{{"Background", dir + "SpeakBG.png"},
                                     {"Btn4", dir + "Btn4.png"},
                                     {"Btn8", dir + "Btn8.png"},
                                     {"Btn10", dir + "Btn10.png"},
                                     {"Listen", dir + "Listen.png"},
                                     {"Record", dir + "Record.png"},
                                     {"Play", dir + "Play.png"},
                                     {"Mike", dir + "Mike.png", true, true},
                                     {"RedLight", dir + "RedLight.png", true, true},
                                     {"Tape", dir + "Tape.png"},
                                     {"Reels", dir + "Reels.png", true, true}};
    ElementSpec reels{"DIBIS_Reels", ElementKind::ImageStrip, {187, 115, 120, 60}, "Reels", 0, efHidden};
    reels.numImagesX = 3;
    std::vector<ElementSpec> elements{
        {"DIBBS_4", ElementKind::ButtonStrip, {464, 160, 60, 60}, "Btn4", 1},
        {"DIBBS_8", ElementKind::ButtonStrip, {534, 160, 60, 60}, "Btn8", 2},
        {"DIBBS_10", ElementKind::ButtonStrip, {604, 160, 60, 60}, "Btn10", 3},
        {"DIBBS_Listen", ElementKind::ButtonStrip, {412, 596, 80, 80}, "Listen", 4, efHidden},
        {"DIBBS_Record", ElementKind::ButtonStrip, {512, 596, 80, 80}, "Record", 5, efHidden},
        {"DIBBS_Play", ElementKind::ButtonStrip, {612, 596, 80, 80}, "Play", 6, efHidden},
        {"DIBI_Mike", ElementKind::Image, {272, 262, 80, 120}, "Mike"},
        {"DIBI_RedLight", ElementKind::Image, {297, 225, 30, 30}, "RedLight", 0, efHidden},
        {"DIBI_Tape", ElementKind::Image, {60, 80, 375, 130}, "Tape", 0, efHidden},
        reels,
        {"Shape_RecBar", ElementKind::Shape, {381, 393, kRecBarWidth, 12}, "", 0, efHidden},
    };
    Build(items, elements);

    pics_.Add("Canvas", dir + "mask.png", true, true);
    pics_.Add("Mask", dir + "mask.png", true, true);
    for (int i = 1; i <= kMaxStrip; ++i)
        pics_.Add(Format("Pic%d", i));
    pics_.LoadAutoImages(main_.folders().DataDir);
    TVolatileDIB& mask = pics_[1];
    if (!mask.Empty()) {
        // The pictures cover the window's corner pixel, which would otherwise become the key.
        pics_[0].SetTransparentColor(mask.Pixels().pixel(0, mask.Height() - 1));
        pics_[0].TransparentMode = tmFixed;
    }
    margin_ = (375 - mask.Width()) / 2;
    mask_ = &container_.Create<TDIBImage>("DIBI_Mask");
    mask_->SetBounds(kMaskAt.x, kMaskAt.y, mask.Empty() ? kMaskAt.w : mask.Width(), kMaskAt.h);
    mask_->SetDIBImageList(&pics_);
    mask_->SetDIBIndex(0);

    wave_ = &container_.Create<TDIBWaveView>("DIBWV_Voices");
    wave_->SetBounds(kVoicesAt.x, kVoicesAt.y, kVoicesAt.w, kVoicesAt.h);
    wave_->SetVisible(false);
    BuildActivityBase();

    strip4_ = &Element<TDIBButtonStrip>("DIBBS_4");
    strip8_ = &Element<TDIBButtonStrip>("DIBBS_8");
    strip10_ = &Element<TDIBButtonStrip>("DIBBS_10");
    listen_ = &Element<TDIBButtonStrip>("DIBBS_Listen");
    record_ = &Element<TDIBButtonStrip>("DIBBS_Record");
    play_ = &Element<TDIBButtonStrip>("DIBBS_Play");
    for (TDIBButtonStrip* b : {strip4_, strip8_, strip10_, listen_, record_, play_})
        b->OnClick = [this](TCustomDIBControl& e) { ButtonClick(e.Tag); };
    mike_ = &Element<TDIBImage>("DIBI_Mike");
    redLight_ = &Element<TDIBImage>("DIBI_RedLight");
    tape_ = &Element<TDIBImage>("DIBI_Tape");
    reels_ = &Element<TDIBImageStrip>("DIBIS_Reels");
    recBar_ = &Element<TDIBShape>("Shape_RecBar");
    recBar_->BrushColor = ArgbFromRgb(0xE0, 0x10, 0x10);
    recBar_->PenWidth = 0;
    recBar_->Changed();

    take_ = std::make_unique<TKaRamWav>(main.platform().audioOut(), main.dispatcher());
    take_->OnPlayDone = [this](TKaRamWav&) { KaStateList1.EndPlay(1); };
    take_->OnPlayHook = main.SoundHook();
    anim_.AnimNotify = [this](TCustomDIBControl&, bool finished) {
        if (finished) KaStateList1.EndAnim(0);
    };
    QuitButton().OnClick = [this](TCustomDIBControl&) { Quit(); };
    HelpButton().OnClick = [this](TCustomDIBControl&) { main_.ShowHelpPicture(kHelpPage); };
    DefineStates();
}

TForm_Speak::~TForm_Speak() {
    // Nothing may reach a screen that is going, and the main window gets its own hook back.
    take_->OnPlayDone = nullptr;
    take_->Stop();
    anim_.AnimNotify = nullptr;
    KaStateList1.OnStart = nullptr;
    KaStateList1.OnStop = nullptr;
    KaStateList1.Stop();
    if (watchTimer_) main_.dispatcher().killTimer(watchTimer_);
    RestoreHook();
}

void TForm_Speak::Configure(int topic, const std::string& picturePath, int returnScreen, int itemCount,
                            const std::string& prefix) {
    topic_ = topic;
    picturePath_ = picturePath;
    returnScreen_ = returnScreen;
    itemCount_ = std::clamp(itemCount, 0, 50);
    prefix_ = prefix;
    firstWordsFiltered_ = main_.catalogue() && main_.catalogue()->firstWordsFilterActive() && prefix == "FW";
    countriesFiltered_ = main_.settings().Filter3 && prefix == "CY";
}

std::string TForm_Speak::RecordingFile(int position) const {
    return PathResolver::Resolve(
        Format("%s\\UserRecord\\User%d.wav", main_.folders().TempDir.c_str(), position));
}

void TForm_Speak::DefineStates() {
    KaStateList1.Define(kStates);
    KaStateList1.OnStart = [this](bool aborted) { KaStateList1Start(aborted); };
    auto entry = [this](const char* state, void (TForm_Speak::*handler)()) {
        KaStateList1.BindEntry(state, [this, handler](TKaTrigger, int32_t) { (this->*handler)(); });
    };
    entry("WaitButton", &TForm_Speak::WaitButtonEntry);
    KaStateList1.BindExit("WaitButton", [this](TKaTrigger, int32_t tag) { WaitButtonExit(tag); });
    entry("NewStrip", &TForm_Speak::NewStripEntry);
    KaStateList1.BindExit("NewStrip", [this](TKaTrigger, int32_t) {
        stripReady_ = true;
        playOffered_ = false;
    });
    entry("Listen", &TForm_Speak::ListenEntry);
    entry("Click", &TForm_Speak::ClickEntry);
    entry("Record", &TForm_Speak::RecordEntry);
    KaStateList1.BindExit("Record", [this](TKaTrigger, int32_t) { RecordExit(); });
    entry("Play1", &TForm_Speak::Play1Entry);
    entry("Play2", &TForm_Speak::Play2Entry);
    KaStateList1.BindExit("Play2", [this](TKaTrigger, int32_t) { Play2Exit(); });
    entry("Next", &TForm_Speak::NextEntry);
}

void TForm_Speak::Start() {
    container_.InvalidateAll();
    ShowSpeakers(6, true);
    KaStateList1.Start();
}

void TForm_Speak::KaStateList1Start(bool) {
    SeedSharedStream();
    stripReady_ = false;
    playOffered_ = false;
}

void TForm_Speak::WaitButtonEntry() {
    listen_->SetVisible(stripReady_);
    record_->SetVisible(stripReady_);
    play_->SetVisible(playOffered_);
    mike_->SetVisible(true);
    reels_->SetVisible(false);
    tape_->SetVisible(false);
}

void TForm_Speak::WaitButtonExit(int tag) {
    switch (tag) {
    case 1:
    case 2:
    case 3:
        stripLength_ = tag == 1 ? 4 : tag == 2 ? 8 : 10;
        KaStateList1.SetNextState("NewStrip");
        return;
    case 4:
    case 5:
    case 6:
        // A button that is not offered cannot start a pass (a stray tag from a hidden button).
        if ((tag == 6 && !playOffered_) || (tag != 6 && !stripReady_)) break;
        position_ = 1;
        action_ = tag == 4 ? "Listen" : tag == 5 ? "Click" : "Play1";
        KaStateList1.SetNextState(action_);
        return;
    default:
        break;
    }
    KaStateList1.SetNextState("WaitButton");
}

void TForm_Speak::RefillPool() {
    pool_ = std::string(kMasterItems.substr(0, size_t(2 * itemCount_)));
    if (firstWordsFiltered_) TakeChunkAt(pool_, 31, 4);
    if (countriesFiltered_) TakeChunkAt(pool_, 23, 2);
}

void TForm_Speak::NewStripEntry() {
    if (int(pool_.size()) / 2 < stripLength_) RefillPool();
    wave_->SetVisible(false);
    wave_->Clear();
    for (int i = 1; i <= stripLength_; ++i) {
        int item = TakeRandomInt(pool_, 2, main_.random());
        stripItems_[size_t(i)] = item;
        pics_.LoadImageNamed(Format("Pic%d", i), "%s\\%s%d.png", main_.folders().InterfaceDir.c_str(),
                             picturePath_.c_str(), item);
    }
    int start = kPictureW * stripLength_ + margin_ + kPictureW;
    drawnOffset_ = -1;
    DrawStrip(start);
    SlideTo(start, margin_, stripLength_ * 50);
}

void TForm_Speak::DrawStrip(int a) {
    if (a == drawnOffset_) return;
    drawnOffset_ = a;
    TVolatileDIB& canvas = pics_[0];
    const TVolatileDIB& mask = pics_[1];
    if (mask.Empty()) return;
    Surface& pixels = canvas.MutablePixels();
    pixels.copyFrom(mask.Pixels(), 0, 0);
    for (int k = 0; k <= 2; ++k) {
        int b = a / kPictureW + k;
        if (b < 1 || b > stripLength_) continue;
        const TVolatileDIB& picture = pics_[1 + b];
        if (picture.Empty()) continue;
        Rect from{0, 0, std::min(kPictureW, picture.Width()), std::min(kPictureH, picture.Height())};
        pixels.copyFrom(picture.Pixels(), from, kPictureW * k - a % kPictureW, 0);
    }
    canvas.Changed();
}

void TForm_Speak::SlideTo(int from, int to, int durationMs) {
    anim_.AddCallbackAnim(
        durationMs, *mask_, from, to, [this](int v) { DrawStrip(v); }, false);
}

void TForm_Speak::HideActions() {
    listen_->SetVisible(false);
    record_->SetVisible(false);
    play_->SetVisible(false);
}

void TForm_Speak::ListenEntry() {
    HideActions();
    mike_->SetVisible(true);
    reels_->SetVisible(false);
    tape_->SetVisible(false);
    SayWord(prefix_, stripItems_[size_t(position_)], speaker_);
}

void TForm_Speak::ClickEntry() {
    SelectSoundFmt("%s\\common\\sounds\\click.wav", main_.folders().InterfaceDir.c_str());
    PlaySelected();
    redLight_->SetVisible(true);
}

void TForm_Speak::RecordEntry() {
    hasRecorded_ = true;
    takeFailed_ = false;
    HideActions();
    mike_->SetVisible(true);
    reels_->SetVisible(false);
    tape_->SetVisible(false);
    int d = LengthWord(prefix_, stripItems_[size_t(position_)], speaker_);
    StopAllSounds();
    recBar_->SetWidth(0);
    recBar_->SetVisible(true);
    // Before the start: a take can end inside StartRecording, and its end puts the hook back.
    InstallStopHook(true);
    watchedBytes_ = 0;
    lastProgressMs_ = main_.platform().clock().nowMs();
    if (!watchTimer_)
        watchTimer_ = main_.dispatcher().setTimer(
            250, true, [this] { Watch(); }, guard());
    try {
        StartRecording(d * 150 / 100 + 1000);
    } catch (const std::exception& e) {
        TakeFailed(e.what());
    }
}

void TForm_Speak::Watch() {
    if (KaStateList1.CurrentIndex() != KaStateList1.IndexOfState("Record") || !recorder().Recording()) {
        main_.dispatcher().killTimer(watchTimer_);
        watchTimer_ = 0;
        return;
    }
    uint64_t now = main_.platform().clock().nowMs();
    if (recorder().Recorded() != watchedBytes_) {
        watchedBytes_ = recorder().Recorded();
        lastProgressMs_ = now;
    } else if (now - lastProgressMs_ >= uint64_t(kStallMs)) {
        TakeFailed("The microphone stopped sending sound. Please check it and record again.");
    }
}

void TForm_Speak::TakeFailed(const std::string& why) {
    takeFailed_ = true;
    if (recorder().Recording())
        StopRecording(); // its end leaves the Record state
    else
        KaStateList1.EndRecord(0);
    // Shown once the screen offers its buttons again, so the learner can simply try again.
    main_.ShowAppMessage(why, MsgKind::Warning, 0, {MsgButton::OK});
}

void TForm_Speak::RecordEnded() {
    KaStateList1.EndRecord(0);
}

void TForm_Speak::RecordProgress(int) {
    if (recorder().Total() > 0)
        recBar_->SetWidth(int(recorder().Recorded() * kRecBarWidth / recorder().Total()));
}

void TForm_Speak::RecordExit() {
    RestoreHook();
    if (watchTimer_) {
        main_.dispatcher().killTimer(watchTimer_);
        watchTimer_ = 0;
    }
    recBar_->SetVisible(false);
    redLight_->SetVisible(false);
    std::string file = RecordingFile(position_);
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ec);
    // An empty or failed take writes nothing, and the take this file held before must not be
    // played back in its place.
    std::filesystem::remove(file, ec);
    if (takeFailed_) {
        wave_->SetVisible(false);
        KaStateList1.SetNextState("WaitButton");
        return;
    }
    SaveRecording("%s", file.c_str());
    ShowVoices(&recorder());
}

void TForm_Speak::ShowVoices(const TKaRamWav* learner) {
    wave_->SetVoices(VoiceOf(SelectedPlayer()), VoiceOf(learner));
    wave_->SetVisible(true);
    wave_->BringToFront();
}

void TForm_Speak::Play1Entry() {
    HideActions();
    mike_->SetVisible(false);
    tape_->SetVisible(true);
    reels_->SetFrameIndex(0);
    reels_->SetVisible(true);
    SayWord(prefix_, stripItems_[size_t(position_)], speaker_);
}

void TForm_Speak::Play2Entry() {
    std::string file = RecordingFile(position_);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        // Nothing was kept for this picture (its take was empty or failed): on to the next.
        take_->Unload();
        KaStateList1.EndPlay(1);
        return;
    }
    take_->LoadSound(file);
    anim_.AddStripAnim(300, *reels_, 0, 2, true);
    ShowVoices(take_.get());
    InstallStopHook(false);
    take_->Play();
}

void TForm_Speak::Play2Exit() {
    RestoreHook();
    anim_.StopAnims();
}

void TForm_Speak::NextEntry() {
    ++position_;
    int b = drawnOffset_;
    if (position_ > stripLength_) {
        SlideTo(b, margin_, stripLength_ * 50);
        playOffered_ = true;
        return;
    }
    SlideTo(b, b + kPictureW, 100);
    KaStateList1.SetNextState(action_);
}

void TForm_Speak::PlayEnded() {
    // A sound cut off by the next one is no end the exercise waits for.
    if (StoppingSounds()) return;
    KaStateList1.EndPlay(1);
}

void TForm_Speak::InstallStopHook(bool recording) {
    hookInstalled_ = true;
    main_.dispatcher().setAppHook([this, recording](const InputEvent& e) {
        if (main_.OnAppMessage(e)) return true;
        if (!e.isLeftDown()) return false;
        // The click only stops; it reaches no button.
        RestoreHook();
        if (recording)
            StopRecording();
        else
            take_->Stop();
        return true;
    });
}

void TForm_Speak::RestoreHook() {
    if (!hookInstalled_) return;
    hookInstalled_ = false;
    TForm_Main* main = &main_;
    main_.dispatcher().setAppHook([main](const InputEvent& e) { return main->OnAppMessage(e); });
}

void TForm_Speak::Quit() {
    if (left_) return;
    left_ = true;
    KaStateList1.Stop();
    RestoreHook();
    take_->Stop();
    StopAnimations();
    // Asked first: the request is posted, and the learner leaves even when the records fail.
    main_.RequestScreen(returnScreen_, 2);
    if (hasRecorded_ && main_.records()) main_.records()->StoreScore(topic_, 1, 0);
}

} // namespace parlora
