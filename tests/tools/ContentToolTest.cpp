#include "core/PathResolver.h"
#include "core/Surface.h"
#include "media/WaveFile.h"
#include "tests/support/TestFiles.h"
#include "tools/content/ContentChecker.h"
#include "tools/content/DemoCanvas.h"
#include "tools/content/DemoSounds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace parlora {
namespace {

using test::TempDir;

std::string PngBytes(int w, int h, const TempDir& dir) {
    std::string scratch = dir / "scratch.png";
    Surface(w, h, ArgbFromRgb(10, 200, 30)).savePng(scratch);
    std::string bytes = test::ReadFile(scratch);
    std::filesystem::remove(scratch);
    return bytes;
}

std::string AiffBytes(int ms) {
    TWaveFormat f;
    f.FormatTag = 1;
    f.Channels = 1;
    f.SamplesPerSec = 22050;
    f.BitsPerSample = 16;
    f.BlockAlign = 2;
    f.AvgBytesPerSec = 44100;
    std::vector<uint8_t> samples(size_t(22050) * ms / 1000 * 2, 0);
    std::vector<uint8_t> file = WaveFile::BuildAiff(f, samples.data(), uint32_t(samples.size()), {});
    return std::string(file.begin(), file.end());
}

// Every file the manifest names for this tree, written as a small valid file of its kind.
void FillTree(const std::string& data, const TempDir& dir) {
    test::MakeDirs(data + "/Interface/FirstWords");
    test::MakeDirs(data + "/targets/target3/TEXT"); // else TextDir would make sources\3source a source
    test::MakeDirs(data + "/sources/1source");
    test::WriteFile(data + "/../Update/VideoM/Male1/thumb.png", PngBytes(8, 4, dir));
    test::WriteFile(data + "/../Update/VideoF/Female1/thumb.png", PngBytes(8, 4, dir));
    PathResolver::ClearCache();
    DataLayout layout = ScanDataDir(data);
    std::string png = PngBytes(8, 4, dir), aif = AiffBytes(50);
    std::string jpg = dir / "scratch.jpg", film = dir / "scratch.avi";
    DemoCanvas(8, 4, 0x808080).writeJpeg(jpg);
    DemoSounds::Film(32, 32, "x", film);
    TWaveFormat f{1, 1, 22050, 44100, 2, 16, 0};
    std::vector<uint8_t> samples(400, 0);
    std::vector<uint8_t> wavBytes = WaveFile::BuildWav(f, samples.data(), uint32_t(samples.size()));
    std::string wav(wavBytes.begin(), wavBytes.end());
    for (const ManifestEntry& e : ContentManifest()) {
        if (!IsRequired(e.level) || e.kind == ContentKind::Folder) continue;
        for (const ContentFile& cf : ExpandEntry(e, layout)) {
            std::string rel = data + "/" + cf.path;
            std::replace(rel.begin(), rel.end(), '\\', '/');
            if (e.kind == ContentKind::Picture)
                test::WriteFile(rel, rel.ends_with(".jpg") ? test::ReadFile(jpg) : png);
            else if (e.kind == ContentKind::Sound)
                test::WriteFile(rel.ends_with(".wav") ? rel : rel + ".aif",
                                rel.ends_with(".wav") ? wav : aif);
            else if (e.kind == ContentKind::Film)
                test::WriteFile(rel, test::ReadFile(film));
            else
                test::WriteFile(rel, "[Settings]\r\n");
        }
    }
    PathResolver::ClearCache();
}

TEST(ContentManifest, ExpandsPerTargetSourceItemAndSpeaker) {
    DataLayout layout;
    layout.targets = {3, 5};
    layout.sources = {1};
    layout.textDirs = {"sources\\3source", "targets\\target5\\TEXT"};
    const ManifestEntry* words = nullptr;
    const ManifestEntry* texts = nullptr;
    for (const ManifestEntry& e : ContentManifest()) {
        if (e.pattern == "FW\\{sp}FW{n}") words = &e;
        if (e.pattern == "FW\\FW{n}.PNG" && e.root == ContentRoot::Text) texts = &e;
    }
    ASSERT_TRUE(words && texts);
    auto sounds = ExpandEntry(*words, layout);
    ASSERT_EQ(sounds.size(), 2u * 44u * 2u);
    EXPECT_EQ(sounds.front().path, "targets\\target3\\FW\\MFW1");
    EXPECT_EQ(sounds[1].path, "targets\\target3\\FW\\FFW1");
    EXPECT_EQ(sounds.back().path, "targets\\target5\\FW\\FFW44");
    auto words5 = ExpandEntry(*texts, layout);
    EXPECT_EQ(words5.front().path, "sources\\3source\\FW\\FW1.PNG"); // no TEXT: the source folder of t
    EXPECT_EQ(words5.back().path, "targets\\target5\\TEXT\\FW\\FW44.PNG");
}

TEST(ContentCheck, CompleteTreePassesAndFaultsAreNamed) {
    TempDir dir;
    std::string data = dir / "data";
    FillTree(data, dir);
    {
        std::ostringstream out;
        CheckSummary sum = ContentChecker::Check(data, out);
        EXPECT_TRUE(sum.ok()) << out.str();
        EXPECT_GT(sum.checked, 300);
    }

    // A deleted picture, a truncated PNG and a truncated AIFF, each named on its own line.
    std::filesystem::remove(data + "/Interface/FirstWords/Practice/pracbg.png");
    std::string png = test::ReadFile(data + "/Interface/FirstWords/Images/FW7.png");
    test::WriteFile(data + "/Interface/FirstWords/Images/FW7.png", png.substr(0, png.size() / 2));
    std::string aif = test::ReadFile(data + "/targets/target3/FW/MFW12.aif");
    test::WriteFile(data + "/targets/target3/FW/MFW12.aif", aif.substr(0, 30));
    PathResolver::ClearCache();

    std::ostringstream out;
    CheckSummary sum = ContentChecker::Check(data, out);
    std::string text = out.str();
    EXPECT_FALSE(sum.ok());
    EXPECT_EQ(sum.missing, 1);
    EXPECT_EQ(sum.unreadable, 2);
    EXPECT_NE(text.find("missing (W): Interface\\FirstWords\\Practice\\pracbg.png\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("unreadable (E): Interface\\FirstWords\\Images\\FW7.png: "), std::string::npos)
        << text;
    EXPECT_NE(text.find("unreadable (E): targets\\target3\\FW\\MFW12: File "), std::string::npos) << text;
    EXPECT_NE(text.find("1 missing, 2 unreadable, "), std::string::npos) << text;
}

TEST(ContentCheck, MissingSoundNamesBothExtensionsAndEmptyDirFailsAtStartup) {
    TempDir dir;
    std::string data = dir / "data";
    FillTree(data, dir);
    std::filesystem::remove(data + "/targets/target3/Common/FYes2.aif");
    PathResolver::ClearCache();
    std::ostringstream out;
    ContentChecker::Check(data, out);
    EXPECT_NE(out.str().find("missing (E): targets\\target3\\Common\\FYes2.aif|.mp3\n"), std::string::npos);

    test::MakeDirs(dir / "empty");
    std::ostringstream empty;
    CheckSummary sum = ContentChecker::Check(dir / "empty", empty);
    EXPECT_FALSE(sum.ok());
    EXPECT_NE(empty.str().find("missing (F): Interface\\FirstWords\n"), std::string::npos);
    EXPECT_NE(empty.str().find("missing (F): targets\\target{t}"), std::string::npos);
}

TEST(ContentInfo, PrintsPictureSizeSoundFormatAndGarbage) {
    TempDir dir;
    test::WriteFile(dir / "pic.png", PngBytes(7, 5, dir));
    test::WriteFile(dir / "word.aif", AiffBytes(500));
    test::WriteFile(dir / "junk.jpg", std::string(100, '\x89'));
    test::WriteFile(dir / "junk.aif", "FORM\xff\xff\xff\xff"
                                      "AIFF");
    std::ostringstream out;
    EXPECT_TRUE(ContentChecker::Info(dir / "pic.png", out));
    EXPECT_TRUE(ContentChecker::Info(dir / "word.aif", out));
    EXPECT_FALSE(ContentChecker::Info(dir / "junk.jpg", out));
    EXPECT_FALSE(ContentChecker::Info(dir / "junk.aif", out));
    EXPECT_FALSE(ContentChecker::Info(dir / "nothing.png", out));
    std::string text = out.str();
    EXPECT_NE(text.find("pic.png: picture 7 x 5\n"), std::string::npos) << text;
    EXPECT_NE(text.find("word.aif: sound AIFF PCM 16-bit mono 22050 Hz, 500 ms\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("junk.jpg: unreadable: Not a JPEG"), std::string::npos) << text;
    EXPECT_NE(text.find("junk.aif: unreadable: "), std::string::npos) << text;
    EXPECT_EQ(text.find("junk.jpg: /"), std::string::npos) << "the name printed twice: " << text;
}

} // namespace
} // namespace parlora

namespace parlora {
namespace {

TEST(ContentCheck, GarbageEverywhereIsReportedNotFatal) {
    TempDir dir;
    std::string data = dir / "data";
    FillTree(data, dir);
    uint32_t seed = 12345;
    int files = 0;
    for (auto& e : std::filesystem::recursive_directory_iterator(dir.path())) {
        if (!e.is_regular_file()) continue;
        std::string junk(size_t(seed % 700), '\0');
        for (char& c : junk)
            c = char((seed = seed * 1103515245u + 12345u) >> 24);
        // Some garbage starts like the real thing, to reach deeper into the decoders.
        const std::string_view heads[] = {std::string_view("\x89PNG\r\n\x1a\n", 8),
                                          std::string_view("FORM\0\0\0\x10"
                                                           "AIFF",
                                                           12),
                                          std::string_view("RIFF\0\0\0\x10"
                                                           "WAVE",
                                                           12),
                                          "\xff\xd8\xff"};
        junk = std::string(heads[files % 4]) + junk;
        test::WriteFile(e.path().string(), junk);
        ++files;
    }
    PathResolver::ClearCache();
    std::ostringstream out;
    CheckSummary sum = ContentChecker::Check(data, out);
    EXPECT_FALSE(sum.ok());
    EXPECT_GT(sum.unreadable, files / 2) << out.str().substr(0, 2000);
    EXPECT_NE(out.str().find(" unreadable, "), std::string::npos);
}

} // namespace
} // namespace parlora
