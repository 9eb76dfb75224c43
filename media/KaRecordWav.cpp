#include "media/KaRecordWav.h"

#include "core/Errors.h"

#include <algorithm>

namespace parlora {

TKaRecordWav::TKaRecordWav(IAudioOut& audioOut, IAudioIn& audioIn, Dispatcher& dispatcher)
    : TKaRamWav(audioOut, dispatcher), audioIn_(audioIn) {}

TKaRecordWav::~TKaRecordWav() {
    destroying_ = true;
    Halt();
}

TWaveFormat TKaRecordWav::RecordFormat() const {
    TWaveFormat f;
    f.FormatTag = 1;
    f.Channels = Channels();
    f.SamplesPerSec = samplesPerSec_;
    f.BitsPerSample = BitsPerSample();
    f.BlockAlign = uint16_t(f.Channels * f.BitsPerSample / 8);
    f.AvgBytesPerSec = f.SamplesPerSec * f.BlockAlign;
    f.ExtraSize = 0;
    return f;
}

uint32_t TKaRecordWav::BlockSize() const {
    uint64_t bytes = uint64_t(RecordFormat().AvgBytesPerSec) * sampleTime_ / 1000;
    return uint32_t(bytes & ~uint64_t(1));
}

int TKaRecordWav::LevelFrame(int peak, int numImages) {
    if (numImages <= 0) return 0;
    peak = std::clamp(peak, 0, 32767);
    return peak * (numImages - 1) / 32768 + 1;
}

void TKaRecordWav::Record() {
    if (!Enabled()) throw RWException("Record not enabled!");
    // The take being replaced ends quietly: whoever restarts does not want its done report.
    starting_ = true;
    Halt();
    Unload();
    starting_ = false;

    uint64_t length = uint64_t(duration_) * RecordFormat().AvgBytesPerSec / 1000;
    length &= ~uint64_t(1);
    // The player holds at most 4 GiB of samples.
    length = std::min<uint64_t>(length, UINT32_MAX - 1);
    if (length == 0) {
        total_ = recorded_ = 0;
        EndOfRecord();
        return;
    }
    buffer_.assign(size_t(length), 0);
    try {
        Start(int64_t(length));
    } catch (...) {
        buffer_ = {};
        throw;
    }
}

void TKaRecordWav::Start(int64_t total) {
    if (active_) throw RWException("Already recording");
    uint32_t blockFrames = BlockSize() / 2;
    if (samplesPerSec_ == 0 || blockFrames == 0)
        throw RWException("Record open failed - unsupported wave format");
    total_ = total;
    recorded_ = 0;
    firstBlock_ = true;
    uint64_t session = ++session_;
    active_ = true;
    bool started = false;
    try {
        started = audioIn_.start(
            int(samplesPerSec_), int(blockFrames),
            [this, session](std::vector<int16_t> block) { BlockReceived(session, std::move(block)); });
    } catch (...) {
        active_ = false;
        throw;
    }
    if (!started) {
        active_ = false;
        ++session_;
        throw RWException("Record open failed - no device driver present");
    }
}

void TKaRecordWav::BlockReceived(uint64_t session, std::vector<int16_t> block) {
    if (session != session_ || !active_) return;
    Process(block, false);
}

void TKaRecordWav::Process(const std::vector<int16_t>& samples, bool last) {
    uint64_t session = session_;
    try {
        size_t bytes = samples.size() * 2;
        if (total_ >= 0) bytes = size_t(std::min<int64_t>(int64_t(bytes), total_ - recorded_));
        // The device may deliver more than was asked for; only the wanted part counts.
        std::vector<uint8_t> data(bytes);
        for (size_t i = 0; i < bytes / 2; ++i) {
            uint16_t s = uint16_t(samples[i]);
            data[2 * i] = uint8_t(s & 0xFF);
            data[2 * i + 1] = uint8_t(s >> 8);
        }
        if (total_ >= 0) std::copy(data.begin(), data.end(), buffer_.begin() + recorded_);
        recorded_ += int64_t(bytes);
        bool isLast = last || (total_ >= 0 && recorded_ >= total_);
        uint32_t flags = (firstBlock_ ? 1u : 0u) | (isLast ? 2u : 0u);
        firstBlock_ = false;

        // Each handler may stop or restart the recording; then this block is no longer ours.
        if (total_ > 0 && OnRecordProgress) {
            OnRecordProgress(*this, int(recorded_ * 100 / total_));
            if (session != session_) return;
        }
        lastPeak_ = PeakLevel(data.data(), uint32_t(data.size()), 16);
        if (OnRecordLevel) {
            OnRecordLevel(*this, lastPeak_);
            if (session != session_) return;
        }
        if (OnRecordHook) {
            OnRecordHook(*this, RecordFormat(), uint32_t(bytes), data.data(), flags);
            if (session != session_) return;
        }
        if (isLast) Finish();
    } catch (...) {
        if (session == session_) Halt();
        throw;
    }
}

void TKaRecordWav::Finish() {
    audioIn_.stop();
    active_ = false;
    ++session_;
    if (total_ >= 0) {
        buffer_.resize(size_t(recorded_));
        LoadData(RecordFormat(), std::move(buffer_));
        buffer_ = {};
    }
    EndOfRecord();
}

void TKaRecordWav::EndOfRecord() {
    if (destroying_ || starting_) return;
    if (monitor_ && total_ >= 0) Start(-1);
    if (OnRecordDone) OnRecordDone(*this);
}

void TKaRecordWav::StopRecording() {
    if (!active_) return;
    if (total_ < 0) {
        // Listening has no take to keep and no end to report.
        monitor_ = false;
        Halt();
        return;
    }
    // The samples of the unfinished block become the last block, so the take holds everything
    // up to this moment.
    std::vector<int16_t> rest = audioIn_.stop();
    Process(rest, true);
}

void TKaRecordWav::SetMonitor(bool monitor) {
    if (monitor == monitor_) return;
    if (monitor) {
        if (!Enabled()) throw RWException("Monitor not enabled!");
        monitor_ = true;
        if (!active_) {
            try {
                Start(-1);
            } catch (...) {
                monitor_ = false;
                throw;
            }
        }
    } else {
        monitor_ = false;
        if (active_ && total_ < 0) Halt();
    }
}

void TKaRecordWav::Play() {
    if (active_) {
        if (total_ < 0)
            Halt();
        else
            StopRecording();
    }
    TKaRamWav::Play();
}

void TKaRecordWav::SetEnabled(bool enabled) {
    if (!enabled) {
        monitor_ = false;
        if (active_) {
            if (total_ < 0)
                Halt();
            else
                StopRecording();
        }
    }
    TKaRamWav::SetEnabled(enabled);
}

void TKaRecordWav::Halt() {
    ++session_;
    if (active_) {
        active_ = false;
        audioIn_.stop();
    }
    buffer_ = {};
}

} // namespace parlora
