#include "engine/FormScreen.h"

#include "core/Errors.h"
#include "core/PathResolver.h"
#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "media/KaMCIMedia.h"
#include "shell/FormMain.h"

#include <cstdarg>
#include <cstdio>

namespace parlora {
namespace {

const char* Prefix(int speaker) {
    return speaker == TForm_Screen::kMale ? "M" : "F";
}

// Where each actor stands, and the bottom strip's buttons.
constexpr Rect kSpeakerRect[2] = {{15, 424, 240, 284}, {765, 424, 240, 284}};

} // namespace

TForm_Screen::TForm_Screen(TForm_Main& main, std::string className)
    : TDIBScreen(main, std::move(className)), anim_(main.dispatcher()) {
    anim_.SetInterval(20);
    for (int i = 0; i < kPlayerCount; ++i) {
        auto player = std::make_unique<TKaRamWav>(main.platform().audioOut(), main.dispatcher());
        player->OnPlayDone = [this](TKaRamWav&) { PlayEnded(); };
        player->OnPlayHook = main.SoundHook();
        players_.push_back(std::move(player));
    }
    recorder_ = std::make_unique<TKaRecordWav>(main.platform().audioOut(), main.platform().audioIn(),
                                               main.dispatcher());
    recorder_->SetSamplesPerSec(44100);
    recorder_->OnRecordDone = [this](TKaRecordWav&) { RecordEnded(); };
    recorder_->OnRecordProgress = [this](TKaRecordWav&, int percent) { RecordProgress(percent); };
    recorder_->OnPlayDone = [this](TKaRamWav&) { RecordPlayEnded(); };
    recorder_->OnPlayHook = main.SoundHook();
    recorder_->OnRecordHook = main.SoundHook();
    media().OnMediaComplete = [this] { PlayEnded(); };
}

TForm_Screen::~TForm_Screen() {
    // Nothing may report to a screen that is going.
    for (auto& list : actorAnims_)
        if (list) list->AnimNotify = nullptr;
    anim_.AnimNotify = nullptr;
    for (auto& p : players_)
        p->OnPlayDone = nullptr;
    recorder_->OnRecordDone = nullptr;
    recorder_->OnRecordProgress = nullptr;
    recorder_->OnPlayDone = nullptr;
    media().OnMediaComplete = nullptr;
    StopAllSounds();
}

void TForm_Screen::BuildActivityBase() {
    const char* names[] = {"Help", "Record", "Play", "Seq", "Exit", "SeqStop"};
    const char* files[] = {"help", "record", "play", "seq", "exit", "seqStop"};
    for (int i = 0; i < 6; ++i)
        buttons_.Add(names[i], Format("Interface\\Common\\BotStrip\\%s.png", files[i]), true);
    buttons_.LoadAutoImages(main_.folders().DataDir);
    auto button = [&](const char* name, Rect r, const char* picture, bool visible) {
        auto& b = container_.Create<TDIBButtonStrip>(name);
        b.SetBounds(r.x, r.y, r.w, r.h);
        b.SetNumImagesX(4);
        b.SetDIBImageList(&buttons_);
        b.SetDIBIndex(buttons_.IndexOf(picture));
        b.SetVisible(visible);
        return &b;
    };
    help_ = button("DIBButton_Help", {23, 706, 44, 47}, "Help", true);
    quit_ = button("DIBButton_Quit", {960, 706, 44, 47}, "Exit", true);
    record_ = button("DIBButton_Record", {357, 689, 58, 57}, "Record", false);
    play_ = button("DIBButton_Play", {479, 683, 70, 69}, "Play", false);
    seq_ = button("DIBButton_Seq", {611, 688, 58, 57}, "Seq", false);

    TDIBVolatileImageList& actors = main_.ActorImages();
    for (int speaker : {kMale, kFemale}) {
        const TActorData& data = main_.catalogue()->actor(speaker);
        fps_[size_t(speaker)] = std::max(1, data.fps);
        actorAnims_[size_t(speaker)] = std::make_unique<TDIBAnimList>(main_.dispatcher());
        actorAnims_[size_t(speaker)]->SetInterval(10);
        actorAnims_[size_t(speaker)]->AnimNotify = [this, speaker](TCustomDIBControl&, bool finished) {
            ActorNotify(speaker, finished);
        };
        for (int kind = 0; kind < 4; ++kind) {
            std::string name =
                std::string("DIBIS_") + Prefix(speaker) + TActorData::kStripNames[size_t(kind)];
            auto& strip = container_.Create<TDIBImageStrip>(name);
            const Rect& r = kSpeakerRect[speaker];
            strip.SetBounds(r.x, r.y, r.w, r.h);
            strip.SetNumImagesX(std::max(1, data.frames[size_t(kind)]));
            strip.SetDIBImageList(&actors);
            strip.SetDIBIndex(actors.IndexOf(TActorData::StripName(speaker, TActorData::Strip(kind))));
            strip.SetVisible(kind == akIdle);
            strip.OnClick = [this, speaker](TCustomDIBControl&) { SpeakerClicked(speaker); };
            strips_[size_t(speaker)][size_t(kind)] = &strip;
        }
    }
}

void TForm_Screen::HandleInput(const InputEvent& e) {
    TDIBScreen::HandleInput(e);
}

// ---- speakers and words ----

int TForm_Screen::ResolveSpeaker(int code) {
    switch (code) {
    case kSameSpeaker:
        code = lastSpeaker_;
        break;
    case kOtherSpeaker:
        code = lastSpeaker_ == kMale ? kFemale : kMale;
        break;
    case kAnySpeaker:
        code = main_.random().CourseRandom(2) == 1 ? kFemale : kMale;
        break;
    default:
        break;
    }
    lastSpeaker_ = code;
    return code;
}

void TForm_Screen::SayWord(const std::string& topic, int number, int code) {
    StopSelected();
    int speaker = ResolveSpeaker(code);
    if (speaker != kMale && speaker != kFemale) return;
    SelectWordSound("%s\\%s\\%s%s%d", main_.folders().TargetDir.c_str(), topic.c_str(), Prefix(speaker),
                    topic.c_str(), number);
    SpeakActor(speaker, SoundLength());
    PlaySelected();
}

void TForm_Screen::SayAndRemember(const std::string& topic, int number, int code) {
    rememberedTopic_ = topic;
    rememberedNumber_ = number;
    SayWord(topic, number, code);
}

void TForm_Screen::SayAgain(int code) {
    if (rememberedNumber_ > 0) SayWord(rememberedTopic_, rememberedNumber_, code);
}

int TForm_Screen::LengthWord(const std::string& topic, int number, int speaker) {
    if (speaker != kMale && speaker != kFemale) throw AppError("Bad speaker code for LengthWord");
    SelectWordSound("%s\\%s\\%s%s%d", main_.folders().TargetDir.c_str(), topic.c_str(), Prefix(speaker),
                    topic.c_str(), number);
    return SoundLength();
}

void TForm_Screen::SayYes(int code) {
    int speaker = ResolveSpeaker(code);
    if (speaker != kMale && speaker != kFemale) return;
    SelectWordSound("%s\\Common\\%sYes%d", main_.folders().TargetDir.c_str(), Prefix(speaker),
                    main_.random().CourseRandom(4) + 1);
    PlayActor(speaker, akYes, false);
    PlaySelected();
}

void TForm_Screen::SayNo(int code) {
    int speaker = ResolveSpeaker(code);
    if (speaker != kMale && speaker != kFemale) return;
    SelectWordSound("%s\\Common\\%sNo%d", main_.folders().TargetDir.c_str(), Prefix(speaker),
                    main_.random().CourseRandom(4) + 1);
    PlayActor(speaker, akNo, false);
    PlaySelected();
}

void TForm_Screen::SayWellDone() {
    int source = main_.catalogue() ? main_.catalogue()->sourceNumber() : 1;
    SelectWordSound("%s\\General\\Aif\\%dwdone", main_.folders().SourceDir.c_str(), source);
    PlaySelected();
}

// ---- sounds ----

void TForm_Screen::SelectWordSound(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::string base = VFormat(fmt, ap);
    va_end(ap);
    std::string aif = PathResolver::Resolve(base + ".aif");
    if (PathResolver::IsFile(aif)) {
        if (main_.settings().MediaSound)
            SelectMedia(aif);
        else
            SelectSound(aif);
        return;
    }
    std::string mp3 = PathResolver::Resolve(base + ".mp3");
    if (PathResolver::IsFile(mp3)) {
        SelectMedia(mp3);
        return;
    }
    throw AppError(Format("Can't find sound file %s.aif or %s.mp3", base.c_str(), base.c_str()));
}

void TForm_Screen::SelectSoundFmt(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::string file = VFormat(fmt, ap);
    va_end(ap);
    SelectSound(PathResolver::Resolve(file));
}

void TForm_Screen::SelectSound(const std::string& file) {
    current_ = nullptr;
    mediaCurrent_ = false;
    auto it = players_.begin();
    for (; it != players_.end(); ++it)
        if (IEquals((*it)->FileName(), file)) break;
    if (it == players_.end()) {
        it = std::prev(players_.end()); // the least recently used
        (*it)->LoadSoundIfNew(file);
    }
    players_.splice(players_.begin(), players_, it);
    current_ = players_.front().get();
}

void TForm_Screen::SelectMedia(const std::string& file) {
    current_ = nullptr;
    mediaCurrent_ = false;
    media().CloseMedia();
    media().SetMediaFilename(file);
    media().OpenMedia();
    mediaCurrent_ = true;
}

int TForm_Screen::SoundLength() {
    if (mediaCurrent_) return media().MediaLength();
    return current_ ? int(current_->DurationMs()) : 0;
}

void TForm_Screen::PlaySelected() {
    if (main_.settings().CheckSound)
        for (auto& p : players_)
            if (p->IsPlaying()) throw AppError(Format("Sound %s still playing", p->FileName().c_str()));
    if (mediaCurrent_)
        media().PlayMedia(0);
    else if (current_)
        current_->Play();
}

namespace {
struct Counting {
    int& depth;
    explicit Counting(int& d) : depth(d) { ++depth; }
    ~Counting() { --depth; }
};
} // namespace

void TForm_Screen::StopSelected() {
    Counting stopping(stopping_);
    if (mediaCurrent_)
        media().StopMedia();
    else if (current_)
        current_->Stop();
}

void TForm_Screen::StopAllSounds() {
    Counting stopping(stopping_);
    recorder_->StopRecording();
    recorder_->Stop();
    for (auto& p : players_)
        p->Stop();
    if (media().MediaIsPlaying()) media().StopMedia();
}

std::string TForm_Screen::SelectedFile() const {
    if (mediaCurrent_) return const_cast<TForm_Screen*>(this)->media().MediaFilename();
    return current_ ? current_->FileName() : std::string();
}

int64_t TForm_Screen::SelectedPlayPosition() const {
    return !mediaCurrent_ && current_ ? current_->PlayPosition() : -1;
}

// ---- actors ----

void TForm_Screen::BringStripToFront(int speaker, int kind) {
    shownKind_[size_t(speaker)] = kind;
    for (int k = 0; k < 4; ++k) {
        TDIBImageStrip* strip = strips_[size_t(speaker)][size_t(k)];
        if (!strip) return;
        strip->SetVisible(speakerVisible_[size_t(speaker)] && k == kind);
    }
    strips_[size_t(speaker)][size_t(kind)]->BringToFront();
}

void TForm_Screen::PlayActor(int speaker, int kind, bool loop) {
    if (!strips_[size_t(speaker)][size_t(kind)]) return;
    passes_ = 0;
    TDIBImageStrip& strip = ActorStrip(speaker, kind);
    strip.SetFrameIndex(0);
    BringStripToFront(speaker, kind);
    actorAnims_[size_t(speaker)]->StopAnims();
    int n = std::max(1, strip.NumImagesX());
    actorAnims_[size_t(speaker)]->AddStripAnim(n * 1000 / fps_[size_t(speaker)], strip, 0, n - 1, loop);
}

void TForm_Screen::SpeakActor(int speaker, int lengthMs) {
    if (!strips_[size_t(speaker)][akSpeak]) return;
    passes_ = 0;
    TDIBImageStrip& strip = ActorStrip(speaker, akSpeak);
    strip.SetFrameIndex(0);
    BringStripToFront(speaker, akSpeak);
    actorAnims_[size_t(speaker)]->StopAnims();
    int fps = fps_[size_t(speaker)], n = std::max(1, strip.NumImagesX());
    int frames = lengthMs * fps / 1000;
    int q = frames / n, r = frames % n;
    if (q == 0) {
        actorAnims_[size_t(speaker)]->AddStripAnim(r * 1000 / fps, strip, n - r, n - 1, false);
        return;
    }
    passes_ = q;
    finalFrames_ = r;
    actorAnims_[size_t(speaker)]->AddStripAnim(n * 1000 / fps, strip, 0, n - 1, false);
}

void TForm_Screen::ActorNotify(int speaker, bool finished) {
    if (!finished) return;
    if (passes_ <= 0)
        PlayActor(speaker, akIdle, true);
    else
        ContinueSpeak(speaker);
}

void TForm_Screen::ContinueSpeak(int speaker) {
    int c = passes_--;
    TDIBImageStrip& strip = ActorStrip(speaker, akSpeak);
    int fps = fps_[size_t(speaker)], n = std::max(1, strip.NumImagesX());
    if (c != 1)
        actorAnims_[size_t(speaker)]->AddStripAnim(n * 1000 / fps, strip, 0, n - 1, false);
    else
        actorAnims_[size_t(speaker)]->AddStripAnim(finalFrames_ * 1000 / fps, strip, n - finalFrames_, n - 1,
                                                   false);
}

void TForm_Screen::ShowSpeakers(int which, bool visible) {
    for (int speaker : {kMale, kFemale}) {
        if ((speaker == kMale && which == 1) || (speaker == kFemale && which == 0)) continue;
        speakerVisible_[size_t(speaker)] = visible;
        PlayActor(speaker, akIdle, true);
    }
}

void TForm_Screen::StopActor(int speaker) {
    if (actorAnims_[size_t(speaker)]) actorAnims_[size_t(speaker)]->StopAnims();
}

void TForm_Screen::SeedSharedStream() {
    if (main_.options().quiz)
        main_.random().SeedShared(uint32_t(main_.networkStartValue()));
    else
        main_.random().SeedSharedFromClock(main_.platform().clock());
}

void TForm_Screen::StopAnimations() {
    anim_.StopAnims();
    for (auto& list : actorAnims_)
        if (list) list->StopAnims();
    container_.InvalidateAll();
}

// ---- recording ----

void TForm_Screen::StartRecording(int durationMs) {
    recorder_->SetDuration(uint32_t(std::max(0, durationMs)));
    recorder_->Record();
}

void TForm_Screen::StopRecording() {
    recorder_->StopRecording();
}

void TForm_Screen::SaveRecording(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::string file = VFormat(fmt, ap);
    va_end(ap);
    recorder_->SaveSound(file, false);
}

void TForm_Screen::PlayRecording() {
    recorder_->Play();
}

void TForm_Screen::StopRecordingPlay() {
    recorder_->Stop();
}

} // namespace parlora
