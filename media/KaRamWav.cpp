#include "media/KaRamWav.h"

#include "core/Errors.h"
#include "core/StringUtil.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace parlora {

TKaRamWav::TKaRamWav(IAudioOut& audio, Dispatcher& dispatcher) : audio_(audio), dispatcher_(dispatcher) {}

TKaRamWav::~TKaRamWav() {
    // The owner is going away too: stop without telling it.
    destroying_ = true;
    Unload();
}

void TKaRamWav::LoadSound(const std::string& fileName) {
    Unload();
    if (fileName.empty()) return;
    Adopt(WaveFile::Load(fileName), fileName);
}

void TKaRamWav::LoadSoundIfNew(const std::string& fileName) {
    if (!IEquals(fileName, fileName_)) LoadSound(fileName);
}

void TKaRamWav::LoadFromMemory(std::vector<uint8_t> image, const std::string& fileName) {
    Unload();
    Adopt(WaveFile::Parse(std::move(image), fileName), fileName);
}

void TKaRamWav::LoadData(const TWaveFormat& format, std::vector<uint8_t> samples,
                         const std::string& fileName) {
    Unload();
    WaveData w;
    w.Format = format;
    w.DataLength = uint32_t(std::min<size_t>(samples.size(), UINT32_MAX));
    w.Image = std::move(samples);
    Adopt(std::move(w), fileName);
}

void TKaRamWav::Adopt(WaveData wave, const std::string& fileName) {
    wave_ = std::move(wave);
    playOffset_ = wave_.DataOffset;
    playLength_ = wave_.DataLength;
    if (clipThreshold_ > 0) {
        try {
            Clip(clipThreshold_);
        } catch (...) {
            Unload();
            throw;
        }
    }
    fileName_ = fileName;
}

void TKaRamWav::Unload() {
    Stop();
    wave_ = WaveData{};
    pcm_.reset();
    playOffset_ = 0;
    playLength_ = 0;
    fileName_.clear();
}

void TKaRamWav::Play() {
    if (!enabled_) throw RWException("Play not enabled!");
    Stop();
    if (playLength_ == 0) {
        CleanUp();
        return;
    }
    TWaveFormat format = wave_.Format;
    if (speedUp_ != 0) {
        format.SamplesPerSec = uint32_t(
            std::max<int64_t>(0, format.SamplesPerSec + int64_t(speedUp_) * format.SamplesPerSec / 100));
        format.AvgBytesPerSec = uint32_t(
            std::max<int64_t>(0, format.AvgBytesPerSec + int64_t(speedUp_) * format.AvgBytesPerSec / 100));
    }
    try {
        if (format.SamplesPerSec == 0) throw RWException("Sound open failed - unsupported wave format");
        // Without a device the output times the voice silently, so games and practice go on.
        if (!pcm_) pcm_ = WaveFile::ToPcm16(wave_.Format, PlayData(), playLength_);
        VoiceRequest request;
        request.samples = pcm_;
        request.sampleRate = int(format.SamplesPerSec);
        request.channels = wave_.Format.Channels;
        request.label = fileName_;
        uint64_t generation = ++generation_;
        Guard alive = lifetime_.guard();
        voice_ = audio_.play(request, [this, alive, generation] {
            if (!alive.expired()) Ended(generation);
        });
    } catch (...) {
        // The failed play still ends with a done report, as every play does.
        CleanUp();
        throw;
    }
    playing_ = true;
    if (OnPlayHook) OnPlayHook(*this, format, playLength_, PlayData(), 3);
}

void TKaRamWav::Stop() {
    if (!playing_) return;
    audio_.stop(voice_);
    // Any end already on its way belongs to the stopped play.
    ++generation_;
    playing_ = false;
    CleanUp();
}

void TKaRamWav::Ended(uint64_t generation) {
    if (generation != generation_ || !playing_) return;
    playing_ = false;
    CleanUp();
}

void TKaRamWav::CleanUp() {
    voice_ = 0;
    if (destroying_ || !OnPlayDone) return;
    TNotifyEvent done = OnPlayDone; // the handler may reassign it
    done(*this);
}

int64_t TKaRamWav::PlayPosition() const {
    if (!playing_) return -1;
    int64_t bytes = int64_t(audio_.framesPlayed(voice_)) * wave_.Format.BlockAlign;
    return std::min<int64_t>(bytes, playLength_);
}

int64_t TKaRamWav::BytesToMs(int64_t bytes) const {
    int64_t perSecond = int64_t(wave_.Format.BlockAlign) * wave_.Format.SamplesPerSec;
    return perSecond > 0 ? bytes * 1000 / perSecond : 0;
}

int64_t TKaRamWav::MsToBytes(int64_t ms) const {
    return ms * wave_.Format.SamplesPerSec / 1000 * wave_.Format.BlockAlign;
}

uint32_t TKaRamWav::DurationMs() const {
    return uint32_t(BytesToMs(playLength_));
}

void TKaRamWav::SetClipThreshold(int percent) {
    clipThreshold_ = percent;
    if (percent > 0 && wave_.DataLength > 0) Clip(percent);
}

void TKaRamWav::Clip(int percent) {
    if (wave_.Format.BitsPerSample != 16) throw RWException("Clipping is currently 16-bit only.");
    Stop();
    int limit = percent * 32767 / 100;
    // Whole frames only: trimming single samples would swap the channels of a stereo sound.
    uint32_t frame = std::max<uint32_t>(wave_.Format.BlockAlign, 2);
    const uint8_t* data = wave_.Data();
    uint32_t length = wave_.DataLength - wave_.DataLength % frame;
    auto quiet = [&](uint32_t at) {
        for (uint32_t i = 0; i + 1 < frame; i += 2) {
            int s = int16_t(uint16_t(data[at + i] | data[at + i + 1] << 8));
            if (std::abs(s) >= limit) return false;
        }
        return true;
    };
    uint32_t start = 0;
    while (start < length && quiet(start))
        start += frame;
    uint32_t end = length;
    while (end > start && quiet(end - frame))
        end -= frame;
    playOffset_ = wave_.DataOffset + start;
    playLength_ = end - start;
    pcm_.reset();
}

void TKaRamWav::SetEnabled(bool enabled) {
    if (!enabled) Stop();
    enabled_ = enabled;
}

void TKaRamWav::SaveSound(const std::string& fileName, bool clipped) const {
    std::string ext = std::filesystem::path(fileName).extension().string();
    bool wav = IEquals(ext, ".wav");
    if (!wav && !IEquals(ext, ".aif"))
        throw RWException(Format("Cannot save file %s as a WAV or AIF", fileName.c_str()));
    if (wave_.DataLength == 0) return;
    const uint8_t* data = clipped ? PlayData() : wave_.Data();
    uint32_t length = clipped ? playLength_ : wave_.DataLength;
    std::vector<uint8_t> bytes = wav ? WaveFile::BuildWav(wave_.Format, data, length)
                                     : WaveFile::BuildAiff(wave_.Format, data, length, wave_.Markers);
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    if (!out) throw RWException(Format("Cannot create file \"%s\"", fileName.c_str()));
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out.flush()) throw RWException(Format("Couldn't write file %s", fileName.c_str()));
}

int TKaRamWav::PeakLevel(const uint8_t* bytes, uint32_t count, int bitsPerSample) {
    int peak = 0;
    if (bitsPerSample == 8) {
        for (uint32_t i = 0; i < count; ++i)
            peak = std::max(peak, int(bytes[i]) - 128);
        return peak * 256;
    }
    if (bitsPerSample == 16) {
        for (uint32_t i = 0; i + 1 < count; i += 2)
            peak = std::max(peak, int(int16_t(uint16_t(bytes[i] | bytes[i + 1] << 8))));
        return peak;
    }
    return 0;
}

} // namespace parlora
