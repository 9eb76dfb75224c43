#include "platform/sdl/SdlAudioIn.h"

#include <algorithm>

namespace parlora {

SdlAudioIn::~SdlAudioIn() {
    closeDevice();
}

void SdlAudioIn::closeDevice() {
    if (silentTimer_ && dispatcher_) dispatcher_->killTimer(silentTimer_);
    silentTimer_ = 0;
    if (!device_) return;
    SDL_PauseAudioDevice(device_, 1);
    SDL_CloseAudioDevice(device_); // returns once the callback has finished
    device_ = 0;
}

bool SdlAudioIn::start(int sampleRate, int blockFrames, std::function<void(std::vector<int16_t>)> onBlock) {
    closeDevice();
    ++session_; // posts of the previous recording go stale
    deliverPosted_ = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        buffer_.clear();
        cutUpTo_ = 0;
    }
    if (sampleRate <= 0 || blockFrames <= 0) return false;
    blockFrames_ = blockFrames;
    onBlock_ = std::move(onBlock);
    if (!SDL_WasInit(SDL_INIT_AUDIO)) return startSilent(sampleRate, blockFrames);
    {
        // Room for a minute, so the callback rarely has to grow the buffer.
        std::lock_guard<std::mutex> lock(mutex_);
        buffer_.reserve(size_t(sampleRate) * 60);
    }

    SDL_AudioSpec want{};
    want.freq = sampleRate;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = 1024;
    want.callback = &SdlAudioIn::callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    device_ = SDL_OpenAudioDevice(nullptr, 1, &want, &have, SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
    if (!device_) return startSilent(sampleRate, blockFrames);
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

bool SdlAudioIn::startSilent(int sampleRate, int blockFrames) {
    if (!failureLogged_) {
        const char* why = SDL_WasInit(SDL_INIT_AUDIO) ? SDL_GetError() : "no sound system";
        SDL_Log("Parlora: no sound input (%s): recordings are silent", why);
        failureLogged_ = true;
    }
    if (!dispatcher_) {
        onBlock_ = nullptr;
        return false;
    }
    const uint32_t blockMs = std::max<uint32_t>(1, uint32_t(int64_t(blockFrames) * 1000 / sampleRate));
    const uint64_t session = session_.load();
    silentTimer_ = dispatcher_->setTimer(
        blockMs, true,
        [this, session] {
            if (session != session_.load()) return;
            auto handler = onBlock_;
            if (handler) handler(std::vector<int16_t>(size_t(blockFrames_), 0));
        },
        lifetime_.guard());
    return true;
}

void SDLCALL SdlAudioIn::callback(void* userdata, Uint8* stream, int len) {
    auto* self = static_cast<SdlAudioIn*>(userdata);
    const auto* samples = reinterpret_cast<const int16_t*>(stream);
    const size_t count = size_t(len) / sizeof(int16_t);
    size_t available;
    {
        std::lock_guard<std::mutex> lock(self->mutex_);
        self->buffer_.insert(self->buffer_.end(), samples, samples + count);
        available = self->buffer_.size() - self->cutUpTo_;
    }
    if (available >= size_t(self->blockFrames_) && self->dispatcher_ &&
        !self->deliverPosted_.exchange(true)) {
        const uint64_t session = self->session_.load();
        self->dispatcher_->postFromAnyThread(self->lifetime_.guard(),
                                             [self, session] { self->deliver(session); });
    }
}

void SdlAudioIn::deliver(uint64_t session) {
    if (session != session_.load()) return;
    deliverPosted_ = false;
    for (;;) {
        std::vector<int16_t> block;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (buffer_.size() - cutUpTo_ < size_t(blockFrames_)) {
                // Drop what has been handed out once it fills half the room, keeping the capacity.
                if (cutUpTo_ > buffer_.capacity() / 2) {
                    buffer_.erase(buffer_.begin(), buffer_.begin() + std::ptrdiff_t(cutUpTo_));
                    cutUpTo_ = 0;
                }
                return;
            }
            auto first = buffer_.begin() + std::ptrdiff_t(cutUpTo_);
            block.assign(first, first + blockFrames_);
            cutUpTo_ += size_t(blockFrames_);
        }
        auto handler = onBlock_;
        if (handler) handler(std::move(block));
        // The handler may have stopped or restarted the recording: what is left is stop()'s.
        if (session != session_.load()) return;
    }
}

std::vector<int16_t> SdlAudioIn::stop() {
    closeDevice();
    ++session_;
    deliverPosted_ = false;
    onBlock_ = nullptr;
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<int16_t> rest(buffer_.begin() + std::ptrdiff_t(cutUpTo_), buffer_.end());
    buffer_.clear();
    cutUpTo_ = 0;
    return rest;
}

} // namespace parlora
