// The generated demo course: sizes as the manifest gives them, buttons with four distinct frames,
// words of a sensible length in two distinct voices, the MP3 topic and the film.
#include "core/PathResolver.h"
#include "display/PictureDecoder.h"
#include "media/MediaDecoder.h"
#include "media/WaveFile.h"
#include "tests/support/TestFiles.h"
#include "tools/content/Manifest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

namespace parlora {
namespace {

const std::string kData = PARLORA_BINARY_DIR "/demo/parlora/data";

std::string OnDisk(const std::string& relative) {
    return PathResolver::Resolve(PathResolver::Join(kData, relative));
}

Surface Picture(const std::string& file) {
    std::string bytes = test::ReadFile(file);
    return PictureDecoder::Decode(file, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()).pixels;
}

std::vector<ContentFile> Files(bool (*wanted)(const ManifestEntry&)) {
    DataLayout layout = ScanDataDir(kData);
    std::vector<ContentFile> out;
    for (const ManifestEntry& e : ContentManifest())
        if (!e.art.empty() && wanted(e))
            for (ContentFile& f : ExpandEntry(e, layout))
                out.push_back(std::move(f));
    return out;
}

TEST(DemoContent, PicturesHaveTheManifestSizeAndButtonsFourDistinctFrames) {
    auto pictures =
        Files([](const ManifestEntry& e) { return e.kind == ContentKind::Picture && e.frameW > 0; });
    ASSERT_GT(pictures.size(), 2000u);
    int buttons = 0;
    for (const ContentFile& f : pictures) {
        const ManifestEntry& e = *f.entry;
        Surface s = Picture(OnDisk(f.path));
        ASSERT_EQ(s.width(), e.frameW * e.grid.x) << f.path;
        ASSERT_EQ(s.height(), e.frameH * e.grid.y) << f.path;
        if (e.grid.x != 4 || e.grid.y != 1 || e.art.find("button") == std::string::npos) continue;
        ++buttons;
        // Normal, disabled, pressed and hover must each look different.
        std::vector<std::vector<uint32_t>> frames(4);
        for (int fr = 0; fr < 4; ++fr)
            for (int y = 0; y < e.frameH; ++y)
                frames[size_t(fr)].insert(frames[size_t(fr)].end(), s.row(y) + fr * e.frameW,
                                          s.row(y) + (fr + 1) * e.frameW);
        for (int a = 0; a < 4; ++a)
            for (int b = a + 1; b < 4; ++b)
                ASSERT_NE(frames[size_t(a)], frames[size_t(b)]) << f.path << " frames " << a << " and " << b;
    }
    EXPECT_GT(buttons, 100);
}

TEST(DemoContent, SpritesHaveTheirKeyColourAtTheBottomLeftCorner) {
    auto sprites = Files([](const ManifestEntry& e) {
        return e.kind == ContentKind::Picture &&
               (e.art == "sprite" || e.art == "mask" || e.art == "frame" || e.art.rfind("itemsprite", 0) == 0);
    });
    ASSERT_GT(sprites.size(), 20u);
    for (const ContentFile& f : sprites) {
        Surface s = Picture(OnDisk(f.path));
        EXPECT_EQ(s.row(s.height() - 1)[0] & 0xFFFFFF, 0xFF00FFu) << f.path;
    }
}

// Zero crossings per second: a rough pitch, higher for the female voice.
double Crossings(const WaveData& w) {
    auto pcm = WaveFile::ToPcm16(w.Format, w.Data(), w.DataLength);
    int count = 0;
    for (size_t i = 1; i < pcm->size(); ++i)
        count += ((*pcm)[i - 1] < 0) != ((*pcm)[i] < 0);
    return pcm->empty() ? 0 : count * 22050.0 / double(pcm->size());
}

TEST(DemoContent, WordsLastBetweenPointThreeAndThreeSecondsInTwoVoices) {
    auto words = Files([](const ManifestEntry& e) { return e.art.rfind("word:", 0) == 0; });
    ASSERT_GT(words.size(), 1200u);
    double male = 0, female = 0;
    int aiffs = 0, differing = 0;
    std::map<std::string, std::string> bytesOf;
    for (const ContentFile& f : words) {
        std::string aif = OnDisk(f.path + ".aif");
        if (!PathResolver::IsFile(aif)) continue; // the MP3 topic is checked below
        WaveData w = WaveFile::Load(aif);
        ASSERT_EQ(w.Format.BitsPerSample, 16) << f.path;
        ASSERT_EQ(w.Format.Channels, 1) << f.path;
        double seconds = double(w.DataLength) / w.Format.AvgBytesPerSec;
        ASSERT_GE(seconds, 0.3) << f.path;
        ASSERT_LE(seconds, 3.0) << f.path;
        (f.speaker == "M" ? male : female) += Crossings(w);
        ++aiffs;
        std::string key = f.path;
        key.erase(key.rfind('\\') + 1, 1); // MFW1 and FFW1 share a key
        std::string bytes = test::ReadFile(aif);
        auto [it, fresh] = bytesOf.emplace(key, bytes);
        if (!fresh && it->second != bytes) ++differing;
    }
    EXPECT_GT(aiffs, 1200);
    EXPECT_EQ(differing, aiffs / 2) << "the male and female recordings of a word must differ";
    EXPECT_GT(female, male * 1.1) << "the female voice should be higher";
}

TEST(DemoContent, OneTopicIsMp3AndTheFilmPlaysToItsEnd) {
    std::string mp3 = OnDisk("targets\\target5\\CY\\MCY1.mp3");
    ASSERT_TRUE(PathResolver::IsFile(mp3));
    EXPECT_FALSE(PathResolver::IsFile(OnDisk("targets\\target5\\CY\\MCY1.aif")));
    MediaDecoder word(mp3);
    EXPECT_TRUE(word.HasAudio());
    EXPECT_GE(word.LengthMs(), 300);
    EXPECT_LE(word.LengthMs(), 3000);

    MediaDecoder film(OnDisk("Interface\\Body\\Easy\\FrankCP.avi"));
    EXPECT_TRUE(film.HasVideo());
    EXPECT_TRUE(film.HasAudio());
    EXPECT_EQ(film.Width(), 168);
    EXPECT_EQ(film.Height(), 188);
    EXPECT_NEAR(double(film.LengthMs()), 3000.0, 200.0);
}

} // namespace
} // namespace parlora
