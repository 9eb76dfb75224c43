#include "export/Mp3Track.h"

#include "core/Errors.h"
#include "core/StringUtil.h"

#include <lame/lame.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tstring.h>

#include <cstdio>
#include <memory>

namespace parlora::Mp3Track {
namespace {

struct LameDeleter {
    void operator()(lame_global_flags* g) const { lame_close(g); }
};
using Lame = std::unique_ptr<lame_global_flags, LameDeleter>;

Lame OpenEncoder(int rate, int channels) {
    Lame g(lame_init());
    if (!g) return nullptr;
    lame_set_in_samplerate(g.get(), rate);
    lame_set_num_channels(g.get(), channels);
    lame_set_mode(g.get(), channels == 1 ? MONO : JOINT_STEREO);
    // Constant bit rate keeps every player's duration estimate right without a Xing frame.
    lame_set_brate(g.get(), channels == 1 ? 64 : 96);
    lame_set_quality(g.get(), 5);
    lame_set_bWriteVbrTag(g.get(), 0);
    // Tags are TagLib's job; LAME would add an ID3v1 tag of its own.
    lame_set_write_id3tag_automatic(g.get(), 0);
    if (lame_init_params(g.get()) < 0) return nullptr;
    return g;
}

struct FileCloser {
    void operator()(FILE* f) const {
        if (f) std::fclose(f);
    }
};

TagLib::String U(const std::string& utf8) {
    return TagLib::String(utf8, TagLib::String::UTF8);
}

} // namespace

bool EncoderAvailable() {
    return OpenEncoder(22050, 1) != nullptr;
}

void Encode(const TrackPcm& pcm, const std::string& path, bool* encoderMissing) {
    if (encoderMissing) *encoderMissing = false;
    Lame g = OpenEncoder(pcm.sampleRate, pcm.channels);
    if (!g) {
        if (encoderMissing) *encoderMissing = true;
        throw AppError(Format("The MP3 encoder does not accept %d samples per second", pcm.sampleRate));
    }
    std::unique_ptr<FILE, FileCloser> out(std::fopen(path.c_str(), "wb"));
    if (!out) throw AppError(Format("Can't create file %s", path.c_str()));
    const size_t chunkFrames = 8192;
    std::vector<unsigned char> buffer(chunkFrames * 5 / 4 + 7200);
    size_t frames = pcm.Frames();
    std::vector<int16_t> mono;
    for (size_t start = 0; start < frames; start += chunkFrames) {
        int n = int(std::min(chunkFrames, frames - start));
        const int16_t* p = pcm.samples.data() + start * size_t(pcm.channels);
        int written = pcm.channels == 1
                          ? lame_encode_buffer(g.get(), p, p, n, buffer.data(), int(buffer.size()))
                          : lame_encode_buffer_interleaved(g.get(), const_cast<short*>(p), n, buffer.data(),
                                                           int(buffer.size()));
        if (written < 0) throw AppError(Format("Can't encode the track %s", path.c_str()));
        if (written > 0 && std::fwrite(buffer.data(), 1, size_t(written), out.get()) != size_t(written))
            throw AppError(Format("Can't write file %s", path.c_str()));
    }
    int written = lame_encode_flush(g.get(), buffer.data(), int(buffer.size()));
    if (written < 0) throw AppError(Format("Can't encode the track %s", path.c_str()));
    if (written > 0 && std::fwrite(buffer.data(), 1, size_t(written), out.get()) != size_t(written))
        throw AppError(Format("Can't write file %s", path.c_str()));
    if (std::fflush(out.get()) != 0 || std::ferror(out.get()))
        throw AppError(Format("Can't write file %s", path.c_str()));
}

void WriteTags(const std::string& path, const TrackTags& tags) {
    TagLib::MPEG::File file(path.c_str(), false);
    if (!file.isValid()) throw AppError(Format("Can't tag file %s", path.c_str()));
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
    tag->setTitle(U(tags.title));
    tag->setArtist(U(tags.artist));
    tag->setAlbum(U(tags.album));
    tag->setGenre(U(tags.genre));
    tag->setTrack(unsigned(tags.track));
    tag->removeFrames("APIC");
    if (!tags.picture.empty()) {
        auto* frame = new TagLib::ID3v2::AttachedPictureFrame;
        frame->setMimeType("image/png");
        frame->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        frame->setPicture(TagLib::ByteVector(reinterpret_cast<const char*>(tags.picture.data()),
                                             unsigned(tags.picture.size())));
        tag->addFrame(frame); // the tag owns it now
    }
    // ID3v2.3, since many players still read no later version; no ID3v1 or APE tag beside it.
    if (!file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, TagLib::ID3v2::v3,
                   TagLib::File::DoNotDuplicate))
        throw AppError(Format("Can't tag file %s", path.c_str()));
}

bool ReadArtistAlbum(const std::string& path, std::string& artist, std::string& album) {
    TagLib::MPEG::File file(path.c_str(), false);
    if (!file.isValid() || !file.hasID3v2Tag()) return false;
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag(false);
    artist = tag->artist().to8Bit(true);
    album = tag->album().to8Bit(true);
    return true;
}

} // namespace parlora::Mp3Track
