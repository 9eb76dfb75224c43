#include "media/WaveFile.h"

#include "core/Errors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

using namespace parlora;
namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const fs::path& p, const std::vector<uint8_t>& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::string Shell(const std::string& command, const fs::path& scratch) {
    std::system((command + " > '" + scratch.string() + "' 2>/dev/null").c_str());
    auto bytes = ReadAll(scratch);
    return std::string(bytes.begin(), bytes.end());
}

// Files made by sox once for the whole suite, in a private folder.
class WaveFileTest : public ::testing::Test {
  protected:
    static inline fs::path dir;
    static inline bool haveSox = false;

    static void SetUpTestSuite() {
        haveSox = std::system("sox --version >/dev/null 2>&1") == 0;
        dir = fs::temp_directory_path() / ("parlora-wave-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        if (!haveSox) return;
        Sox("-n -r 44100 -c 2 -b 16 stereo16.wav synth 0.2537 sine 440");
        Sox("-n -r 11025 -c 1 -b 8 -e unsigned-integer mono8.wav synth 0.1113 sine 300");
        Sox("-n -r 22050 -c 1 -b 16 --comment \"hello there\" mono16.aif synth 0.3001 sine 300");
        Sox("-n -r 22050 -c 1 -b 8 -e signed-integer signed8.aif synth 0.177 sine 300");
        Sox("-n -r 48000 -c 2 -b 16 stereo16.aif synth 0.05 sine 500");
        Sox("-n -r 22050 -c 1 -b 24 deep24.aif synth 0.05 sine 300");
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    static void Sox(const std::string& args) {
        std::string cmd = "cd '" + dir.string() + "' && sox " + args + " 2>/dev/null";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    }
    void SetUp() override {
        if (!haveSox) GTEST_SKIP() << "sox is not installed";
    }
    static fs::path P(const std::string& name) { return dir / name; }
    static double SoxSeconds(const std::string& name) {
        return std::stod(Shell("soxi -D '" + P(name).string() + "'", P("soxi.txt")));
    }
    // The samples as sox itself decodes them: signed 16-bit little-endian.
    static std::vector<int16_t> SoxSamples(const std::string& name) {
        std::string raw = (dir / (name + ".raw")).string();
        Sox("'" + name + "' -t raw -e signed-integer -b 16 -L '" + raw + "'");
        auto bytes = ReadAll(raw);
        std::vector<int16_t> s(bytes.size() / 2);
        std::memcpy(s.data(), bytes.data(), s.size() * 2);
        return s;
    }
    static uint32_t DurationMs(const WaveData& w) {
        return uint32_t(uint64_t(w.DataLength) * 1000 /
                        (uint64_t(w.Format.BlockAlign) * w.Format.SamplesPerSec));
    }
    static void ExpectRefused(const std::vector<uint8_t>& image, const std::string& name,
                              const std::string& message) {
        try {
            WaveFile::Parse(image, name);
            ADD_FAILURE() << name << " was accepted";
        } catch (const RWException& e) {
            EXPECT_EQ(e.what(), message);
        }
    }
};

TEST_F(WaveFileTest, SoxFilesParseWithSoxLengthsAndSamples) {
    struct Case {
        const char* name;
        uint16_t channels, bits, blockAlign;
        uint32_t rate;
    };
    for (const Case& c : {Case{"stereo16.wav", 2, 16, 4, 44100}, Case{"mono8.wav", 1, 8, 1, 11025},
                          Case{"mono16.aif", 1, 16, 2, 22050}, Case{"signed8.aif", 1, 8, 1, 22050},
                          Case{"stereo16.aif", 2, 16, 4, 48000}}) {
        SCOPED_TRACE(c.name);
        WaveData w = WaveFile::Load(P(c.name));
        EXPECT_EQ(w.Format.FormatTag, 1);
        EXPECT_EQ(w.Format.Channels, c.channels);
        EXPECT_EQ(w.Format.BitsPerSample, c.bits);
        EXPECT_EQ(w.Format.BlockAlign, c.blockAlign);
        EXPECT_EQ(w.Format.SamplesPerSec, c.rate);
        EXPECT_EQ(w.Format.AvgBytesPerSec, c.rate * c.blockAlign);
        EXPECT_NEAR(DurationMs(w), SoxSeconds(c.name) * 1000, 1.0);

        auto pcm = WaveFile::ToPcm16(w.Format, w.Data(), w.DataLength);
        auto expected = SoxSamples(c.name);
        ASSERT_EQ(pcm->size(), expected.size());
        EXPECT_TRUE(std::equal(pcm->begin(), pcm->end(), expected.begin()));
    }
}

TEST_F(WaveFileTest, ExtensionsAndMissingFiles) {
    fs::copy_file(P("stereo16.wav"), P("Upper.WAV"), fs::copy_options::overwrite_existing);
    EXPECT_EQ(WaveFile::Load(P("Upper.WAV")).Format.Channels, 2);
    ExpectRefused(ReadAll(P("stereo16.wav")), "word.mp3", "Extension .mp3 not supported");
    // A WAV named .aif is judged by its name.
    ExpectRefused(ReadAll(P("stereo16.wav")), "x.aif", "File x.aif not recognised as AIF");
    EXPECT_THROW(WaveFile::Load(P("absent.wav")), RWException);
    EXPECT_THROW(WaveFile::Load(dir), RWException);
}

// Inserts a chunk right after the 12-byte container header and fixes the container size.
std::vector<uint8_t> WithChunkFirst(std::vector<uint8_t> image, const char* id, std::vector<uint8_t> body,
                                    bool bigEndian) {
    uint32_t n = uint32_t(body.size());
    std::vector<uint8_t> chunk(id, id + 4);
    for (int i = 0; i < 4; ++i)
        chunk.push_back(uint8_t(bigEndian ? n >> (24 - 8 * i) : n >> (8 * i)));
    chunk.insert(chunk.end(), body.begin(), body.end());
    if (n & 1) chunk.push_back(0);
    image.insert(image.begin() + 12, chunk.begin(), chunk.end());
    uint32_t size = uint32_t(image.size() - 8);
    for (int i = 0; i < 4; ++i)
        image[4 + i] = uint8_t(bigEndian ? size >> (24 - 8 * i) : size >> (8 * i));
    return image;
}

TEST_F(WaveFileTest, OddSizedChunksBeforeTheFormatArePaddedAndSkipped) {
    WaveData plain = WaveFile::Load(P("stereo16.wav"));
    auto wav = WithChunkFirst(ReadAll(P("stereo16.wav")), "cmnt", {'a', 'b', 'c'}, false);
    WaveData w = WaveFile::Parse(wav, "odd.wav");
    EXPECT_EQ(w.Format.Channels, 2);
    EXPECT_EQ(w.DataLength, plain.DataLength);
    EXPECT_EQ(w.DataOffset, plain.DataOffset + 12);

    auto aif = WithChunkFirst(ReadAll(P("mono16.aif")), "NAME", {'o', 'd', 'd', '!', '?'}, true);
    WaveData a = WaveFile::Parse(aif, "odd.aif");
    EXPECT_EQ(a.Format.SamplesPerSec, 22050u);
    EXPECT_EQ(a.DataLength, WaveFile::Load(P("mono16.aif")).DataLength);
}

TEST_F(WaveFileTest, PlainPcmFormatChunkDoesNotReadIntoTheNextChunk) {
    // sox writes the 16-byte PCM format; the bytes after it are the "data" chunk's name.
    WaveData w = WaveFile::Load(P("stereo16.wav"));
    EXPECT_EQ(w.Format.ExtraSize, 0);
}

TEST_F(WaveFileTest, TruncatedAndGarbageFilesAreRefused) {
    for (const char* name : {"stereo16.wav", "mono16.aif", "signed8.aif"}) {
        SCOPED_TRACE(name);
        auto full = ReadAll(P(name));
        std::string kind = std::string(name).ends_with(".wav") ? "WAV" : "AIF";
        std::string ext = fs::path(name).extension().string();
        // (The last byte alone may be only the padding of an odd-sized chunk.)
        for (size_t keep : {size_t(0), size_t(4), size_t(11), size_t(12), size_t(30), size_t(60),
                            full.size() / 2, full.size() - 2}) {
            std::vector<uint8_t> cut(full.begin(), full.begin() + long(keep));
            ExpectRefused(cut, "cut" + ext, "File cut" + ext + " not recognised as " + kind);
        }
    }
    std::mt19937 rng(7);
    for (int round = 0; round < 50; ++round) {
        std::vector<uint8_t> junk(size_t(rng() % 300));
        for (auto& b : junk)
            b = uint8_t(rng());
        // Random bodies behind real headers exercise the chunk walk, not just the magic check.
        if (round % 2 && junk.size() >= 12) std::memcpy(junk.data(), "RIFF\xff\xff\x00\x00WAVE", 12);
        EXPECT_THROW(WaveFile::Parse(junk, "junk.wav"), RWException);
        if (round % 2 && junk.size() >= 12)
            std::memcpy(junk.data(),
                        "FORM\x00\x00\xff\xff"
                        "AIFF",
                        12);
        EXPECT_THROW(WaveFile::Parse(junk, "junk.aif"), RWException);
    }
}

TEST_F(WaveFileTest, AiffRefusals) {
    ExpectRefused(ReadAll(P("deep24.aif")), "deep24.aif", "File deep24.aif not recognised as AIF");

    auto image = ReadAll(P("mono16.aif"));
    size_t ssnd = 0;
    for (size_t i = 12; i + 4 <= image.size(); ++i)
        if (std::memcmp(&image[i], "SSND", 4) == 0) ssnd = i;
    ASSERT_GT(ssnd, 0u);
    auto offset = image;
    offset[ssnd + 11] = 4; // SSND offset 4
    ExpectRefused(offset, "o.aif", "File o.aif not recognised as AIF");

    // COMM claiming more frames than the SSND chunk holds.
    auto frames = image;
    for (size_t i = 12; i + 4 <= frames.size(); ++i)
        if (std::memcmp(&frames[i], "COMM", 4) == 0) frames[i + 10] = 0x7F;
    ExpectRefused(frames, "f.aif", "File f.aif not recognised as AIF");
}

TEST_F(WaveFileTest, ExtendedRates) {
    auto rate = [](std::vector<uint8_t> ext) {
        uint32_t r = 0;
        return WaveFile::ExtendedToRate(ext.data(), r) ? int64_t(r) : -1;
    };
    EXPECT_EQ(rate({0x40, 0x0D, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}), 22050);
    EXPECT_EQ(rate({0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}), 44100);
    EXPECT_EQ(rate({0x40, 0x0B, 0xFA, 0, 0, 0, 0, 0, 0, 0}), 8000);
    // 11025.5 truncates.
    EXPECT_EQ(rate({0x40, 0x0C, 0xAC, 0x46, 0, 0, 0, 0, 0, 0}), 11025);
    EXPECT_EQ(rate({0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), -1);
    EXPECT_EQ(rate({0xC0, 0x0D, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}), -1);
    EXPECT_EQ(rate({0x7F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0}), -1);
}

TEST_F(WaveFileTest, WrittenFilesReadBack) {
    WaveData w = WaveFile::Load(P("mono16.aif"));
    std::vector<TSoundMarker> markers{{1, 100, "Start"}, {2, 2000, "End!"}};
    auto aif = WaveFile::BuildAiff(w.Format, w.Data(), w.DataLength, markers);
    uint32_t formSize = uint32_t(aif[4]) << 24 | uint32_t(aif[5]) << 16 | uint32_t(aif[6]) << 8 | aif[7];
    EXPECT_EQ(formSize, aif.size() - 8);
    EXPECT_EQ(std::string(aif.begin() + 38, aif.begin() + 42), "MARK");
    WriteAll(P("saved.aif"), aif);
    EXPECT_NEAR(SoxSeconds("saved.aif"), SoxSeconds("mono16.aif"), 0.001);
    WaveData back = WaveFile::Load(P("saved.aif"));
    ASSERT_EQ(back.Markers.size(), 2u);
    EXPECT_EQ(back.Markers[1].Name, "End!");
    EXPECT_EQ(back.Markers[1].Position, 2000u);
    EXPECT_TRUE(std::equal(back.Data(), back.Data() + back.DataLength, w.Data()));

    auto wav = WaveFile::BuildWav(w.Format, w.Data(), w.DataLength);
    EXPECT_EQ(wav.size(), 46 + w.DataLength);
    EXPECT_EQ(uint32_t(wav[4] | wav[5] << 8 | wav[6] << 16 | wav[7] << 24), w.DataLength + 38);
    WriteAll(P("saved.wav"), wav);
    EXPECT_EQ(SoxSamples("saved.wav"), SoxSamples("mono16.aif"));

    WaveData st = WaveFile::Load(P("stereo16.wav"));
    try {
        WaveFile::BuildAiff(st.Format, st.Data(), st.DataLength, {});
        FAIL();
    } catch (const RWException& e) {
        EXPECT_STREQ(e.what(), "Can't save 44100 samples-per-sec as AIF");
    }
}

TEST_F(WaveFileTest, ManyLongMarkersStayWithinTheMarkerChunk) {
    WaveData w = WaveFile::Load(P("mono16.aif"));
    std::vector<TSoundMarker> markers;
    for (uint16_t i = 0; i < 40; ++i)
        markers.push_back({i, i, std::string(300, 'm')});
    auto aif = WaveFile::BuildAiff(w.Format, w.Data(), w.DataLength, markers);
    uint32_t markSize = uint32_t(aif[42]) << 24 | uint32_t(aif[43]) << 16 | uint32_t(aif[44]) << 8 | aif[45];
    EXPECT_LE(markSize + 8, 4096u);
    WaveData back = WaveFile::Parse(aif, "m.aif");
    EXPECT_EQ(back.Markers.size(), 15u); // 262 bytes each
    EXPECT_EQ(back.Markers[0].Name.size(), 255u);
}

} // namespace
