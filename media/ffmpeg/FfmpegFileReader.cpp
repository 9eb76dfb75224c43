// The FFmpeg side of MediaFileReader: the whole audio track decoded at open (so the length is exact
// even for VBR MP3s) and the pictures decoded one by one on demand.
#include "media/MediaFileReader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <new>
#include <string>

namespace parlora {
namespace {

// Inside the module a damaged file unwinds to the interface method, which answers Invalid.
struct BadFile {};

struct FormatCloser {
    void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};
struct CodecCloser {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwrFree {
    void operator()(SwrContext* s) const { swr_free(&s); }
};
using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecCloser>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;

FormatPtr OpenFormat(const std::string& fileName) {
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, fileName.c_str(), nullptr, nullptr) < 0) throw BadFile{};
    FormatPtr f(raw);
    if (avformat_find_stream_info(f.get(), nullptr) < 0) throw BadFile{};
    return f;
}

CodecPtr OpenCodec(const AVStream* stream) {
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) return nullptr;
    CodecPtr c(avcodec_alloc_context3(codec));
    if (!c || avcodec_parameters_to_context(c.get(), stream->codecpar) < 0) return nullptr;
    c->pkt_timebase = stream->time_base;
    c->thread_count = 1; // the decoder runs on the UI thread between timer ticks
    if (avcodec_open2(c.get(), codec, nullptr) < 0) return nullptr;
    return c;
}

// Where the file's time starts: MPEG program streams begin at about half a second.
int64_t StartMs(const AVFormatContext* f) {
    return f->start_time == AV_NOPTS_VALUE ? 0 : av_rescale(f->start_time, 1000, AV_TIME_BASE);
}

int64_t ToMs(int64_t ts, AVRational tb) {
    return av_rescale_q(ts, tb, AVRational{1, 1000});
}

int FindVideo(const AVFormatContext* f) {
    for (unsigned i = 0; i < f->nb_streams; ++i) {
        const AVStream* s = f->streams[i];
        // Cover art of an MP3 is a one-picture "video" stream; it is not a film.
        if (s->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !(s->disposition & AV_DISPOSITION_ATTACHED_PIC))
            return int(i);
    }
    return -1;
}

template <typename F>
MediaFileReader::Result Guarded(F&& f) {
    try {
        f();
        return MediaFileReader::Ok;
    } catch (const BadFile&) {
        return MediaFileReader::Invalid;
    } catch (const std::bad_alloc&) {
        return MediaFileReader::Invalid;
    }
}

class FfmpegFileReader final : public MediaFileReader {
  public:
    explicit FfmpegFileReader(std::string fileName) : fileName_(std::move(fileName)) {}

    Result ReadWhole(int rate, int channels, std::vector<int16_t>& pcm, MediaFacts& facts) override {
        return Guarded([&] { DoReadWhole(rate, channels, pcm, facts); });
    }
    Result SeekVideo(int64_t ms) override {
        return Guarded([&] { DoSeekVideo(ms); });
    }
    Result PeekFrameTime(int64_t& ms) override {
        return Guarded([&] { ms = DoPeekFrameTime(); });
    }
    Result NextFrame(uint32_t* pixels, size_t strideWords, int64_t& ms, bool& got) override {
        return Guarded([&] { got = DoNextFrame(pixels, strideWords, ms); });
    }

  private:
    struct Video {
        FormatPtr format;
        CodecPtr codec;
        PacketPtr packet{av_packet_alloc()};
        SwsContext* sws = nullptr;
        FramePtr rgb;
        std::deque<std::pair<FramePtr, int64_t>> queue;
        int64_t startMs = 0;
        bool flushed = false, finished = false;
        ~Video() { sws_freeContext(sws); }
    };

    void DoReadWhole(int rate, int channels, std::vector<int16_t>& pcm, MediaFacts& facts);
    void DoSeekVideo(int64_t ms);
    bool DecodeAhead();
    int64_t DoPeekFrameTime();
    bool DoNextFrame(uint32_t* pixels, size_t strideWords, int64_t& ms);

    std::string fileName_;
    int videoStream_ = -1;
    int width_ = 0, height_ = 0;
    std::unique_ptr<Video> video_;
};

void FfmpegFileReader::DoReadWhole(int rate, int channels, std::vector<int16_t>& pcm, MediaFacts& facts) {
    FormatPtr f = OpenFormat(fileName_);
    const int64_t startMs = StartMs(f.get());
    int audioStream = av_find_best_stream(f.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    videoStream_ = FindVideo(f.get());

    CodecPtr audioCodec;
    std::unique_ptr<SwrContext, SwrFree> swr;
    if (audioStream >= 0) {
        audioCodec = OpenCodec(f->streams[audioStream]);
        if (!audioCodec) audioStream = -1;
    }
    if (audioStream >= 0) {
        AVChannelLayout out{};
        av_channel_layout_default(&out, channels);
        AVChannelLayout in{}; // copy() frees what the target held, so it starts empty
        if (audioCodec->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || audioCodec->ch_layout.nb_channels == 0)
            av_channel_layout_default(&in, std::max(1, audioCodec->ch_layout.nb_channels));
        else
            av_channel_layout_copy(&in, &audioCodec->ch_layout);
        SwrContext* raw = nullptr;
        int rc = swr_alloc_set_opts2(&raw, &out, AV_SAMPLE_FMT_S16, rate, &in, audioCodec->sample_fmt,
                                     audioCodec->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&in);
        av_channel_layout_uninit(&out);
        swr.reset(raw);
        if (rc < 0 || swr_init(swr.get()) < 0) throw BadFile{};
    }
    int64_t videoLengthMs = 0;
    if (videoStream_ >= 0) {
        const AVCodecParameters* p = f->streams[videoStream_]->codecpar;
        width_ = p->width;
        height_ = p->height;
        if (width_ <= 0 || height_ <= 0 || !avcodec_find_decoder(p->codec_id)) videoStream_ = -1;
    }
    if (audioStream < 0 && videoStream_ < 0) throw BadFile{};

    pcm.clear();
    int64_t audioFirstMs = -1;
    FramePtr frame(av_frame_alloc());
    PacketPtr packet(av_packet_alloc());
    auto convert = [&](const uint8_t** in, int samples) {
        int room = swr_get_out_samples(swr.get(), samples);
        if (room <= 0) return;
        size_t at = pcm.size();
        pcm.resize(at + size_t(room) * channels);
        uint8_t* dst = reinterpret_cast<uint8_t*>(pcm.data() + at);
        int got = swr_convert(swr.get(), &dst, room, in, samples);
        pcm.resize(at + size_t(std::max(got, 0)) * channels);
    };
    auto drain = [&] {
        while (avcodec_receive_frame(audioCodec.get(), frame.get()) >= 0) {
            if (audioFirstMs < 0 && frame->best_effort_timestamp != AV_NOPTS_VALUE)
                audioFirstMs =
                    ToMs(frame->best_effort_timestamp, f->streams[audioStream]->time_base) - startMs;
            convert(const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
            av_frame_unref(frame.get());
        }
    };
    while (av_read_frame(f.get(), packet.get()) >= 0) {
        if (packet->stream_index == audioStream) {
            // Frames are drained after every packet, so the decoder never refuses one.
            avcodec_send_packet(audioCodec.get(), packet.get());
            drain();
        } else if (packet->stream_index == videoStream_) {
            int64_t ts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            if (ts != AV_NOPTS_VALUE) {
                AVRational tb = f->streams[videoStream_]->time_base;
                int64_t end = ToMs(ts + std::max<int64_t>(packet->duration, 0), tb) - startMs;
                if (packet->duration <= 0) {
                    AVRational frameRate = f->streams[videoStream_]->avg_frame_rate;
                    if (frameRate.num > 0 && frameRate.den > 0) end += av_rescale(1000, frameRate.den, frameRate.num);
                }
                videoLengthMs = std::max(videoLengthMs, end);
            }
        }
        av_packet_unref(packet.get());
    }
    if (audioStream >= 0) {
        avcodec_send_packet(audioCodec.get(), nullptr);
        drain();
        convert(nullptr, 0); // what the resampler still holds
    }
    // A sound track that starts after the picture is padded so both keep the same clock.
    if (videoStream_ >= 0 && audioFirstMs > 0 && audioFirstMs < 5000 && !pcm.empty())
        pcm.insert(pcm.begin(), size_t(audioFirstMs * rate / 1000) * channels, int16_t(0));
    if (audioStream >= 0 && pcm.empty() && videoStream_ < 0) throw BadFile{};
    facts.videoStream = videoStream_;
    facts.width = width_;
    facts.height = height_;
    facts.videoLengthMs = videoLengthMs;
}

void FfmpegFileReader::DoSeekVideo(int64_t ms) {
    if (videoStream_ < 0) return;
    // Re-reading from the top is exact for every container, and the films are short.
    auto v = std::make_unique<Video>();
    v->format = OpenFormat(fileName_);
    v->startMs = StartMs(v->format.get());
    if (int(v->format->nb_streams) <= videoStream_) throw BadFile{};
    v->codec = OpenCodec(v->format->streams[videoStream_]);
    if (!v->codec) throw BadFile{};
    video_ = std::move(v);
    // Drop the frames that a later frame has replaced by `ms`.
    while (ms > 0) {
        while (video_->queue.size() < 2 && DecodeAhead()) {
        }
        if (video_->queue.size() < 2 || video_->queue[1].second > ms) break;
        video_->queue.pop_front();
    }
}

bool FfmpegFileReader::DecodeAhead() {
    Video& v = *video_;
    if (v.finished) return false;
    FramePtr frame(av_frame_alloc());
    for (;;) {
        int rc = avcodec_receive_frame(v.codec.get(), frame.get());
        if (rc >= 0) {
            int64_t ts = frame->best_effort_timestamp;
            int64_t ms = ts == AV_NOPTS_VALUE
                             ? (v.queue.empty() ? 0 : v.queue.back().second)
                             : ToMs(ts, v.format->streams[videoStream_]->time_base) - v.startMs;
            v.queue.emplace_back(std::move(frame), std::max<int64_t>(ms, 0));
            return true;
        }
        if (rc == AVERROR_EOF || v.flushed) {
            v.finished = true;
            return false;
        }
        // The decoder wants input.
        for (;;) {
            if (av_read_frame(v.format.get(), v.packet.get()) < 0) {
                avcodec_send_packet(v.codec.get(), nullptr);
                v.flushed = true;
                break;
            }
            bool ours = v.packet->stream_index == videoStream_;
            if (ours) avcodec_send_packet(v.codec.get(), v.packet.get());
            av_packet_unref(v.packet.get());
            if (ours) break;
        }
    }
}

int64_t FfmpegFileReader::DoPeekFrameTime() {
    if (videoStream_ < 0) return -1;
    if (!video_) DoSeekVideo(0);
    if (video_->queue.empty() && !DecodeAhead()) return -1;
    return video_->queue.front().second;
}

bool FfmpegFileReader::DoNextFrame(uint32_t* pixels, size_t strideWords, int64_t& ms) {
    if (DoPeekFrameTime() < 0) return false;
    Video& v = *video_;
    auto [frame, at] = std::move(v.queue.front());
    v.queue.pop_front();
    ms = at;
    v.sws = sws_getCachedContext(v.sws, frame->width, frame->height, AVPixelFormat(frame->format), width_,
                                 height_, AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!v.sws) throw BadFile{};
    // swscale may write past the end of a row, so it draws into a padded FFmpeg buffer first.
    if (!v.rgb || v.rgb->width != width_ || v.rgb->height != height_) {
        v.rgb.reset(av_frame_alloc());
        v.rgb->format = AV_PIX_FMT_BGRA;
        v.rgb->width = width_;
        v.rgb->height = height_;
        if (av_frame_get_buffer(v.rgb.get(), 64) < 0) throw BadFile{};
    }
    sws_scale(v.sws, frame->data, frame->linesize, 0, frame->height, v.rgb->data, v.rgb->linesize);
    // BGRA bytes are 0xAARRGGBB words on the little-endian machines we run on.
    for (int y = 0; y < height_; ++y)
        std::memcpy(pixels + size_t(y) * strideWords, v.rgb->data[0] + size_t(y) * v.rgb->linesize[0],
                    size_t(width_) * 4);
    return true;
}

} // namespace
} // namespace parlora

extern "C" __attribute__((visibility("default"))) parlora::MediaFileReader*
parlora_open_media_file(const char* fileName, int abi) {
    if (abi != parlora::MediaModuleAbi || !fileName) return nullptr;
    // Damaged content is reported by the course's own message; FFmpeg's chatter would only fill the log.
    static const bool quiet = (av_log_set_level(AV_LOG_FATAL), true);
    (void)quiet;
    try {
        return new parlora::FfmpegFileReader(fileName);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
