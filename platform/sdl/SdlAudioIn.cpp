#include "platform/sdl/SdlAudioIn.h"

#include <algorithm>

namespace parlora {

SdlAudioIn::~SdlAudioIn() {
    closeDevice();
}

void SdlAudioIn::closeDevice() {
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
    if (!SDL_WasInit(SDL_INIT_AUDIO)) return false;
    blockFrames_ = blockFrames;
    onBlock_ = std::move(onBlock);
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
    if (!device_) {
        SDL_Log("Parlora: no sound input: %s", SDL_GetError());
        onBlock_ = nullptr;
        return false;
    }
    SDL_PauseAudioDevice(device_, 0);
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
