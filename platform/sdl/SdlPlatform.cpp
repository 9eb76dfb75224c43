#include "platform/sdl/SdlPlatform.h"

#include "core/Errors.h"
#include "platform/sdl/SoftwareVolume.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <climits>

namespace parlora {

namespace {

// ALSA writes every failed probe ("cannot find card '0'", ...) to stderr; on a computer without a
// sound card that is noise, and the one line that matters comes from SDL's own failure.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

} // namespace

SdlPlatform::SdlPlatform() {
    SDL_LogGetOutputFunction(&previousLog_, &previousLogData_);
    SDL_LogSetOutputFunction(&SdlPlatform::CollectLog, this);
    snd_lib_error_set_handler(&QuietAlsa);
    // One close request per click on the close box, not a window close and a quit besides.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // A click that activates the window is a click on the screen too.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    if (SDL_Init(SDL_INIT_EVENTS) != 0) throw AppError(std::string("Couldn't start SDL: ") + SDL_GetError());
    wakeEvent_ = SDL_RegisterEvents(1);
    if (wakeEvent_ == Uint32(-1)) wakeEvent_ = SDL_USEREVENT;

    audioOut_ = std::make_unique<SdlAudioOut>(clock_);
    audioIn_ = std::make_unique<SdlAudioIn>();
    display_ = std::make_unique<SdlDisplay>(*audioOut_);
    display_->initVideo();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0)
        audioOut_->open();
    else
        SDL_Log("Parlora: no sound output (%s): sounds play silently for their length", SDL_GetError());
    volume_ = std::make_unique<SoftwareVolume>(*audioOut_);
}

SdlPlatform::~SdlPlatform() {
    volume_.reset();
    display_.reset();
    audioIn_.reset();
    audioOut_.reset();
    SDL_Quit();
    SDL_LogSetOutputFunction(previousLog_, previousLogData_);
}

void SDLCALL SdlPlatform::CollectLog(void* self, int, SDL_LogPriority, const char* message) {
    auto* platform = static_cast<SdlPlatform*>(self);
    {
        std::lock_guard<std::mutex> lock(platform->logMutex_);
        // A log that nobody reads must not grow without end.
        if (platform->pendingLog_.size() < 256) platform->pendingLog_.emplace_back(message);
    }
    // No wake here: SDL may log from inside its event queue. The next wait delivers the line.
}

void SdlPlatform::setLogSink(std::function<void(const std::string&)> sink) {
    logSink_ = std::move(sink);
    DeliverLog();
}

void SdlPlatform::DeliverLog() {
    if (!logSink_) return;
    std::vector<std::string> lines;
    {
        std::lock_guard<std::mutex> lock(logMutex_);
        lines.swap(pendingLog_);
    }
    for (const std::string& line : lines)
        logSink_(line);
}

void SdlPlatform::attach(Dispatcher& dispatcher) {
    audioOut_->attach(dispatcher);
    audioIn_->attach(dispatcher);
}

void SdlPlatform::setVolume(std::unique_ptr<IVolume> volume) {
    if (volume) volume_ = std::move(volume);
}

void SdlPlatform::wake() {
    // One wake event in the queue is enough, however many threads post.
    if (wakePending_.exchange(true)) return;
    SDL_Event e{};
    e.type = wakeEvent_;
    if (SDL_PushEvent(&e) <= 0) wakePending_ = false;
}

void SdlPlatform::handle(const SDL_Event& e, std::vector<InputEvent>& out) {
    if (e.type == wakeEvent_) {
        wakePending_ = false;
        return;
    }
    if (e.type == SDL_AUDIODEVICEADDED) {
        // Sound comes back without a restart: voices from now on are heard.
        if (!e.adevice.iscapture && !audioOut_->deviceOpen()) audioOut_->open();
        return;
    }
    if (e.type == SDL_AUDIODEVICEREMOVED) {
        if (!e.adevice.iscapture && e.adevice.which == audioOut_->deviceId()) audioOut_->close();
        return;
    }
    if (display_->handleWindowEvent(e)) return;
    TranslateSdlInput(e, display_->origin(), out);
}

void SdlPlatform::waitEvents(int64_t timeoutMs, std::vector<InputEvent>& out) {
    SDL_Event e;
    int got;
    if (timeoutMs < 0)
        got = SDL_WaitEvent(&e);
    else
        got = SDL_WaitEventTimeout(&e, int(std::min<int64_t>(timeoutMs, INT_MAX)));
    if (got) handle(e, out);
    while (SDL_PollEvent(&e))
        handle(e, out);
    DeliverLog();
}

void SdlPlatform::discardPendingInput() {
    SDL_FlushEvents(SDL_KEYDOWN, SDL_MOUSEWHEEL);
}

} // namespace parlora
