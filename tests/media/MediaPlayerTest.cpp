#include "core/Errors.h"
#include "media/KaCuedMCIMedia.h"
#include "media/KaMCIMedia.h"
#include "media/MediaModule.h"
#include "platform/Clock.h"
#include "platform/Dispatcher.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

using namespace parlora;
namespace fs = std::filesystem;

namespace {

// Media files made once per run by the ffmpeg command.
class MediaFiles {
  public:
    static const MediaFiles& Get() {
        static MediaFiles files;
        return files;
    }
    std::string operator/(const std::string& name) const { return (dir_ / name).string(); }

  private:
    MediaFiles() {
        dir_ = fs::temp_directory_path() / ("parlora-media-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        const std::string d = dir_.string();
        const std::string ff = "ffmpeg -v error -nostdin -y ";
        Run(ff +
            "-f lavfi -i testsrc=size=160x120:rate=25:duration=2 -f lavfi -i sine=frequency=440:duration=2 "
            "-c:v mpeg1video -c:a mp2 -f mpeg " +
            d + "/film.mpg");
        Run(ff +
            "-f lavfi -i testsrc=size=168x188:rate=25:duration=2 -f lavfi -i sine=frequency=440:duration=2 "
            "-c:v mpeg4 -c:a libmp3lame " +
            d + "/film.avi");
        Run(ff + "-f lavfi -i testsrc=size=64x48:rate=25:duration=1 -c:v mpeg4 " + d + "/silent.avi");
        Run(ff +
            "-f lavfi -i testsrc=size=352x288:rate=25:duration=10 -f lavfi -i sine=frequency=440:duration=10 "
            "-c:v mpeg1video -c:a mp2 -f mpeg " +
            d + "/long.mpg");
        Run(ff + "-f lavfi -i color=red:size=64x64 -frames:v 1 " + d + "/cover.png");
        Run(ff + "-f lavfi -i sine=duration=1.5 -i " + d +
            "/cover.png -map 0 -map 1 -c:a libmp3lame -c:v png "
            "-disposition:v attached_pic -id3v2_version 3 " +
            d + "/song.mp3");
        std::ofstream(d + "/broken.mp3") << std::string(3000, 'x');
        // A film cut off part way: what is there still plays.
        auto size = fs::file_size(d + "/film.avi");
        fs::copy_file(d + "/film.avi", d + "/cut.avi", fs::copy_options::overwrite_existing);
        fs::resize_file(d + "/cut.avi", size / 2);
    }
    ~MediaFiles() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    static void Run(const std::string& cmd) {
        if (std::system(cmd.c_str()) != 0) throw std::runtime_error("failed: " + cmd);
    }
    fs::path dir_;
};

// Ends each voice after its real length in fake time, as the headless output does.
class TimedAudioOut : public IAudioOut {
  public:
    TimedAudioOut(Dispatcher& d, FakeClock& c) : dispatcher_(d), clock_(c) {}
    VoiceId play(const VoiceRequest& r, std::function<void()> onEnded) override {
        VoiceId id = next_++;
        uint64_t frames = r.samples->size() / r.channels;
        uint64_t ms = (frames * 1000 + r.sampleRate - 1) / r.sampleRate;
        TimerId t = dispatcher_.setTimer(uint32_t(ms), false, [this, id, onEnded] {
            voices_.erase(id);
            dispatcher_.post(onEnded);
        });
        voices_[id] = {clock_.nowMs(), frames, r.sampleRate, t};
        ++started;
        return id;
    }
    void stop(VoiceId id) override {
        auto it = voices_.find(id);
        if (it == voices_.end()) return;
        dispatcher_.killTimer(it->second.timer);
        voices_.erase(it);
        ++stopped;
    }
    bool isPlaying(VoiceId id) const override { return voices_.count(id) != 0; }
    uint64_t framesPlayed(VoiceId id) const override {
        auto it = voices_.find(id);
        if (it == voices_.end()) return 0;
        return std::min(it->second.frames, (clock_.nowMs() - it->second.start) * it->second.rate / 1000);
    }
    void setSoftwareGain(uint16_t) override {}
    bool deviceOpen() const override { return true; }
    size_t active() const { return voices_.size(); }

    int started = 0, stopped = 0;

  private:
    struct Voice {
        uint64_t start, frames;
        int rate;
        TimerId timer;
    };
    Dispatcher& dispatcher_;
    FakeClock& clock_;
    std::map<VoiceId, Voice> voices_;
    VoiceId next_ = 1;
};

class MediaPlayerTest : public ::testing::Test {
  protected:
    const MediaFiles& files = MediaFiles::Get();
    FakeClock clock;
    Dispatcher dispatcher{clock, nullptr};
    TimedAudioOut audio{dispatcher, clock};
    TKaMCIMedia media{audio, dispatcher};
    int completions = 0;

    void SetUp() override {
        media.OnMediaComplete = [this] { ++completions; };
    }
    void Open(const std::string& name) {
        media.SetMediaFilename(files / name);
        media.SetMediaIsOpen(true);
    }
    void Advance(uint64_t ms) {
        dispatcher.advance(clock, ms);
        dispatcher.runUntilIdle();
    }
    std::string ErrorOf(const std::string& name) {
        try {
            Open(name);
        } catch (const TKMException& e) {
            return e.what();
        }
        return "";
    }
};

} // namespace

TEST_F(MediaPlayerTest, LengthsAreKnownBeforePlay) {
    Open("film.mpg"); // a program stream whose clock starts near half a second
    EXPECT_NEAR(media.MediaLength(), 2000, 60);
    EXPECT_TRUE(media.HasVideo());
    EXPECT_EQ(media.NaturalRect(), (Rect{0, 0, 160, 120}));

    Open("film.avi");
    EXPECT_NEAR(media.MediaLength(), 2000, 60);
    EXPECT_EQ(media.NaturalRect(), (Rect{0, 0, 168, 188}));

    Open("song.mp3"); // the cover picture is no film
    EXPECT_NEAR(media.MediaLength(), 1500, 60);
    EXPECT_FALSE(media.HasVideo());
    EXPECT_EQ(media.NaturalRect(), (Rect{0, 0, 24, 24}));

    Open("silent.avi");
    EXPECT_NEAR(media.MediaLength(), 1000, 45);
}

bool Mapped(const std::string& library) {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find(library) != std::string::npos) return true;
    return false;
}

// FFmpeg's libraries take longer to map than the rest of start-up: only the first film brings them.
TEST_F(MediaPlayerTest, FfmpegIsMappedByTheFirstFilmOnly) {
    if (MediaModule::Loaded()) GTEST_SKIP() << "an earlier test in this process opened a film";
    EXPECT_FALSE(Mapped("libavformat"));
    Open("film.mpg");
    EXPECT_TRUE(MediaModule::Loaded());
    EXPECT_TRUE(Mapped("libavformat"));
    EXPECT_NEAR(media.MediaLength(), 2000, 60);
}

TEST_F(MediaPlayerTest, ClosedPlayerReportsAndRefuses) {
    EXPECT_FALSE(media.MediaIsOpen());
    EXPECT_EQ(media.MediaLength(), -1);
    EXPECT_EQ(media.MediaPosition(), -1);
    EXPECT_FALSE(media.MediaIsPlaying());
    for (auto op : {&TKaMCIMedia::PauseMedia, &TKaMCIMedia::StopMedia}) {
        try {
            (media.*op)();
            FAIL() << "no error";
        } catch (const TKMException& e) {
            EXPECT_STREQ(e.what(), "Media not open");
        }
    }
    EXPECT_THROW(media.PlayMedia(0), TKMException);
    // Opening with no file name leaves the player closed without an error.
    media.SetMediaIsOpen(true);
    EXPECT_FALSE(media.MediaIsOpen());
}

TEST_F(MediaPlayerTest, MissingOrBrokenFilesGiveTheMciMessage) {
    EXPECT_EQ(ErrorOf("nothere.mp3").rfind("MCI Error: Cannot find the specified file", 0), 0u);
    EXPECT_FALSE(media.MediaIsOpen());
    EXPECT_EQ(ErrorOf("broken.mp3").rfind("MCI Error: The specified file cannot be played", 0), 0u);
    EXPECT_FALSE(media.MediaIsOpen());
    // A truncated film opens with what it holds.
    EXPECT_EQ(ErrorOf("cut.avi"), "");
    EXPECT_GT(media.MediaLength(), 200);
    media.PlayMedia(0);
    Advance(3000);
    EXPECT_EQ(completions, 1);
}

TEST_F(MediaPlayerTest, CompletesOnceAtTheNaturalEnd) {
    Open("song.mp3");
    media.PlayMedia(0);
    EXPECT_TRUE(media.MediaIsPlaying());
    EXPECT_EQ(audio.started, 1);
    Advance(700);
    EXPECT_NEAR(media.MediaPosition(), 700, 15);
    EXPECT_EQ(completions, 0);
    Advance(1000);
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(media.MediaIsPlaying());
    EXPECT_EQ(media.MediaPosition(), media.MediaLength());
    Advance(2000);
    EXPECT_EQ(completions, 1);
}

TEST_F(MediaPlayerTest, StopPauseSupersedeAndCloseReportNothing) {
    Open("film.avi");
    media.PlayMedia(0);
    Advance(500);
    media.StopMedia();
    EXPECT_FALSE(media.MediaIsPlaying());
    EXPECT_EQ(audio.active(), 0u);
    EXPECT_NEAR(media.MediaPosition(), 500, 15);
    Advance(3000);
    EXPECT_EQ(completions, 0);

    // Pause keeps the place; continuing plays the rest and then reports.
    media.PlayMedia(0);
    Advance(800);
    media.PauseMedia();
    Advance(2000);
    EXPECT_EQ(completions, 0);
    media.SetMediaIsPlaying(true);
    Advance(1000);
    EXPECT_EQ(completions, 0);
    Advance(300);
    EXPECT_EQ(completions, 1);

    // A new play replaces the old without a report of the old; closing drops everything.
    media.PlayMedia(0);
    Advance(1500);
    media.PlayMedia(0);
    Advance(1000);
    media.CloseMedia();
    Advance(3000);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(audio.active(), 0u);
}

TEST_F(MediaPlayerTest, ChangingTheFileReopens) {
    Open("song.mp3");
    media.SetMediaFilename(files / "film.mpg");
    EXPECT_TRUE(media.MediaIsOpen());
    EXPECT_TRUE(media.HasVideo());
    // A failed re-open leaves the player closed.
    EXPECT_THROW(media.SetMediaFilename(files / "nothere.avi"), TKMException);
    EXPECT_FALSE(media.MediaIsOpen());
}

TEST_F(MediaPlayerTest, RangesAndSeeking) {
    Open("song.mp3");
    media.SetMediaStart(500);
    media.SetMediaEnd(99999); // beyond the length: to the end
    media.PlayMedia(0);
    Advance(950);
    EXPECT_EQ(completions, 0);
    Advance(100);
    EXPECT_EQ(completions, 1);

    media.SetMediaStart(-1);
    media.SetMediaEnd(400);
    media.PlayMedia(0);
    Advance(420);
    EXPECT_EQ(completions, 2);
    EXPECT_EQ(media.MediaPosition(), 400);

    media.SetMediaPosition(0);
    EXPECT_EQ(media.MediaPosition(), 0);
    media.SetMediaPosition(-5);
    EXPECT_EQ(media.MediaPosition(), media.MediaLength());
}

TEST_F(MediaPlayerTest, MutedAndSilentFilmsRunOnTheClock) {
    Open("silent.avi");
    EXPECT_FALSE(media.Frame().empty()); // the first picture shows at once
    media.PlayMedia(0);
    EXPECT_EQ(audio.started, 0);
    Advance(900);
    EXPECT_EQ(completions, 0);
    Advance(150);
    EXPECT_EQ(completions, 1);

    Open("song.mp3");
    media.SetMediaMuted(true);
    media.PlayMedia(0);
    EXPECT_EQ(audio.started, 0);
    Advance(1550);
    EXPECT_EQ(completions, 2);
}

TEST_F(MediaPlayerTest, PicturesFollowTheSoundClock) {
    Open("long.mpg");
    int frames = 0;
    media.OnFrame = [&] { ++frames; };
    media.PlayMedia(0);
    int64_t worst = 0;
    for (int t = 0; t < 9900; t += 10) {
        Advance(10);
        int64_t drift = media.MediaPosition() - media.FrameTimeMs();
        worst = std::max(worst, std::abs(drift));
    }
    std::printf("worst picture lag behind the sound over 10 s: %lld ms\n", static_cast<long long>(worst));
    EXPECT_LE(worst, 40);
    EXPECT_GE(frames, 240);
    const Surface& f = media.Frame();
    ASSERT_EQ(f.width(), 352);
    EXPECT_EQ(f.pixel(10, 10) >> 24, 0xFFu);
    Advance(500);
    EXPECT_EQ(completions, 1);
}

TEST_F(MediaPlayerTest, CuesPlayByNameInAnyCase) {
    TKaCuedMCIMedia cued{audio, dispatcher};
    int done = 0;
    cued.OnMediaComplete = [&] { ++done; };
    EXPECT_THROW(cued.PlayCue("a"), TKMException);
    cued.SetMediaFilename(files / "song.mp3");
    cued.OpenMedia();
    try {
        cued.PlayCue("a");
        FAIL();
    } catch (const TKMException& e) {
        EXPECT_STREQ(e.what(), "No cues loaded");
    }
    cued.AddCue("Hello", 100, 400);
    cued.AddCue("Bye", 800, 1000);
    try {
        cued.PlayCue("nope");
        FAIL();
    } catch (const TKMException& e) {
        EXPECT_STREQ(e.what(), "Unknown media cue nope");
    }
    cued.PlayCue("HELLO");
    EXPECT_EQ(cued.LastCue(), "HELLO");
    Advance(200);
    cued.PlayCue("bye"); // the first cue's end is never reported
    Advance(250);
    EXPECT_EQ(done, 1);

    cued.SetNextCue("hello");
    cued.PlayCue("bye");
    Advance(250);
    EXPECT_EQ(done, 2);
    EXPECT_TRUE(cued.MediaIsPlaying()); // the follow-on cue
    cued.SetNextCue("");
    Advance(350);
    EXPECT_EQ(done, 3);
}
