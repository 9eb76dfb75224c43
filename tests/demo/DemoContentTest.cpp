// The generated demo course: sizes as the manifest gives them, buttons with four distinct frames,
// words of a sensible length in two distinct voices, the MP3 topic and the film.
#include "activities/FormQuiz.h"
#include "core/PathResolver.h"
#include "core/StringUtil.h"
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
        // The quiz's disc is cut in white, so white is its key (see below).
        const uint32_t key = f.path == "Interface\\memory\\Cover.png" ? 0xFFFFFFu : 0xFF00FFu;
        EXPECT_EQ(s.row(s.height() - 1)[0] & 0xFFFFFF, key) << f.path;
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

// The part of a frame that is not the key colour.
Rect Drawn(const Surface& s, Rect frame, uint32_t key) {
    int x0 = frame.right(), y0 = frame.bottom(), x1 = frame.x, y1 = frame.y;
    for (int y = frame.y; y < frame.bottom(); ++y)
        for (int x = frame.x; x < frame.right(); ++x)
            if ((s.pixel(x, y) & 0xFFFFFF) != key) {
                x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x + 1), y1 = std::max(y1, y + 1);
            }
    return x1 > x0 ? Rect{x0 - frame.x, y0 - frame.y, x1 - x0, y1 - y0} : Rect{};
}

TEST(DemoContent, QuizCardsAtTheirPlacesDoNotOverlapAndTheirPicturesStayOnThem) {
    using Q = TForm_Quiz;
    Surface cards = Picture(OnDisk("Interface\\memory\\Card.png"));
    ASSERT_EQ(cards.width(), 3 * Q::kCardW);
    std::vector<Rect> faces;
    for (int n = 1; n <= Q::kPlaces; ++n)
        for (int side = 0; side < 3; ++side) {
            Rect r = Drawn(cards, {side * Q::kCardW, (n - 1) * Q::kCardH, Q::kCardW, Q::kCardH}, 0xFF00FF);
            ASSERT_GT(r.w, 0) << "place " << n << " side " << side;
            if (side == 2) faces.push_back({Q::kCardLeft[n - 1] + r.x, Q::kCardTop[n - 1] + r.y, r.w, r.h});
        }
    for (size_t a = 0; a < faces.size(); ++a)
        for (size_t b = a + 1; b < faces.size(); ++b)
            EXPECT_TRUE(faces[a].intersect(faces[b]).empty()) << "places " << a + 1 << " and " << b + 1;
    // A card's picture lies 10, 15 into its frame: what it draws stays on the card's face.
    for (const char* pic : {"Interface\\memory\\Pics\\FW\\FW38.png", "Interface\\memory\\Pics\\CY\\CY3.png",
                            "Interface\\memory\\Pics\\T\\T5.png"}) {
        Surface s = Picture(OnDisk(pic));
        Rect r = Drawn(s, {0, 0, s.width(), s.height()}, s.row(s.height() - 1)[0] & 0xFFFFFF);
        Rect onCard{Q::kCardLeft[0] + 10 + r.x, Q::kCardTop[0] + 15 + r.y, r.w, r.h};
        EXPECT_EQ(onCard.intersect(faces[0]), onCard) << pic;
    }
}

TEST(DemoContent, TheQuizDiscsKeyIsWhiteSoItsCutSectorIsSeeThrough) {
    Surface lid = Picture(OnDisk("Interface\\memory\\Cover.png"));
    const int w = lid.width(), h = lid.height();
    EXPECT_EQ(lid.row(h - 1)[0] & 0xFFFFFF, 0xFFFFFFu);
    // Nothing on the lid is white (it would be a hole), and the lid reaches the circle the quiz cuts.
    int holes = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double dx = x + 0.5 - w / 2.0, dy = y + 0.5 - h / 2.0;
            if (dx * dx + dy * dy < (w / 2.0 - 1.5) * (w / 2.0 - 1.5)) holes += (lid.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
        }
    EXPECT_EQ(holes, 0);
    EXPECT_NE(lid.pixel(w / 2, 1) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(DemoContent, InformationLicenceAndReadMeEachSaySomethingOfTheirOwn) {
    const std::string program = PARLORA_BINARY_DIR "/demo/parlora";
    EXPECT_NE(test::ReadFile(program + "/Licence.rtf"), test::ReadFile(program + "/PCReadMe.rtf"));
    // The information box is no help page, and the first screens' help pages each draw their own.
    std::vector<Surface> pages;
    for (int n : {1, 4, 5, 35, 10})
        pages.push_back(Picture(OnDisk(Format("sources\\1source\\Help\\Help%d.png", n))));
    for (size_t a = 0; a < pages.size(); ++a)
        for (size_t b = a + 1; b < pages.size(); ++b) {
            int differ = 0;
            for (int y = 0; y < pages[a].height(); ++y)
                for (int x = 0; x < pages[a].width(); ++x)
                    differ += pages[a].pixel(x, y) != pages[b].pixel(x, y);
            EXPECT_GT(differ, pages[a].width() * pages[a].height() / 8) << "pages " << a << " and " << b;
        }
}

} // namespace
} // namespace parlora
