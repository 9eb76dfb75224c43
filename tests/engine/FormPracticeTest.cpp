// The practice base: the sequence with words longer than its pause (each word is heard to its end,
// then the screen pauses before the next), and the click-to-stop of recording and playback.
#include "engine/FormPractice.h"
#include "tests/support/DemoCourse.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace parlora {
namespace {

// A mono 16-bit WAV of `ms` milliseconds at 22050 Hz.
std::string WaveBytes(int ms) {
    const uint32_t rate = 22050, frames = rate * uint32_t(ms) / 1000, data = frames * 2;
    std::string out;
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out += char((v >> (8 * i)) & 0xFF);
    };
    auto u16 = [&](uint16_t v) {
        out += char(v & 0xFF);
        out += char(v >> 8);
    };
    out += "RIFF";
    u32(36 + data);
    out += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    out += "data";
    u32(data);
    for (uint32_t i = 0; i < frames; ++i)
        u16(uint16_t(int16_t((i % 50) * 200 - 5000)));
    return out;
}

// Says its own words in turn, each 2.5 s long.
class LongWordPractice : public TForm_Practice {
  public:
    LongWordPractice(TForm_Main& main, std::vector<std::string> words)
        : TForm_Practice(main, "LongWordPractice"), words_(std::move(words)) {
        Build({{"Background", "Interface\\FirstWords\\Practice\\pracbg.png"}}, {});
        BuildPracticeBase();
    }
    // As SayWord does: the word still sounding gives way to the next.
    void SequenceStep() override {
        StopSelected();
        SelectSound(words_[next_++ % words_.size()]);
        PlaySelected();
    }
    void SayFirst() {
        SelectSound(words_.back());
        PlaySelected();
    }

  private:
    std::vector<std::string> words_;
    size_t next_ = 0;
};

struct FormPracticeTest : ::testing::Test {
    static constexpr int kWordMs = 2500;
    test::DemoCourse course;
    std::unique_ptr<LongWordPractice> screen;
    void SetUp() override {
        course.Prepare({{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\n"}});
        course.Start({"target=3", "source=1"});
        std::vector<std::string> words;
        for (const char* name : {"one.wav", "two.wav", "three.wav"}) {
            test::WriteFile(course.tmp / name, WaveBytes(kWordMs));
            words.push_back(course.tmp / name);
        }
        screen = std::make_unique<LongWordPractice>(*course.main, words);
    }
    const std::vector<AudioLogEntry>& log() { return course.platform.headlessAudioOut().log(); }
    // Whether the application's hook keeps a left click from the screen.
    bool ClickSwallowed() {
        InputEvent down;
        down.kind = InputEvent::Kind::MouseDown;
        down.x = 512;
        down.y = 300;
        // A copy, as the dispatcher takes: the hook may put another in its place while it runs.
        Dispatcher::AppHook hook = course.main->dispatcher().appHook();
        return hook && hook(down);
    }
};

TEST_F(FormPracticeTest, SequenceStartedDuringAWordLetsEachWordEndThenPauses) {
    // The learner hears a word and switches the sequence on before it has ended.
    const size_t first = log().size();
    screen->SayFirst();
    course.Wait(300);
    screen->DIBButton_SeqClick();
    ASSERT_TRUE(screen->sequence());
    course.Wait(4 * (kWordMs + TForm_Practice::kSequencePauseMs) + 100);
    ASSERT_GE(log().size(), first + 5);
    EXPECT_TRUE(log()[first].stopped) << "the word playing when the sequence starts gives way";
    for (size_t i = first + 1; i + 1 < log().size(); ++i) {
        const AudioLogEntry& word = log()[i];
        EXPECT_FALSE(word.stopped) << "word " << i << " was cut after " << word.endMs - word.startMs << " ms";
        EXPECT_EQ(word.endMs - word.startMs, uint64_t(kWordMs)) << i;
        EXPECT_EQ(log()[i + 1].startMs, word.endMs + TForm_Practice::kSequencePauseMs) << i;
    }
}

TEST_F(FormPracticeTest, SwitchingTheSequenceOffDuringAWordStopsIt) {
    screen->DIBButton_SeqClick();
    course.Wait(500);
    screen->DIBButton_SeqClick();
    EXPECT_FALSE(screen->sequence());
    size_t said = log().size();
    EXPECT_TRUE(log().back().stopped);
    course.Wait(3 * (kWordMs + TForm_Practice::kSequencePauseMs));
    EXPECT_EQ(log().size(), said) << "no item follows";
}

TEST_F(FormPracticeTest, AnEmptyTakePlayedBackLeavesTheNextClickToTheScreen) {
    ASSERT_FALSE(ClickSwallowed());
    screen->DIBButton_RecordClick();
    // A click at once ends the recording before a single block has come in, and does nothing else.
    EXPECT_TRUE(ClickSwallowed());
    ASSERT_EQ(screen->recorder().PlayLength(), 0u);
    EXPECT_FALSE(ClickSwallowed());
    screen->DIBButton_PlayClick();
    EXPECT_FALSE(screen->Element<TCustomDIBControl>("DIBI_Playback").Visible()) << "nothing to play";
    EXPECT_FALSE(ClickSwallowed()) << "the learner's next click would stop a playback that has ended";
}

TEST_F(FormPracticeTest, AClickDuringPlaybackOnlyStopsItAndTheNextOneIsTheScreens) {
    screen->DIBButton_RecordClick();
    course.Wait(1000);
    EXPECT_TRUE(ClickSwallowed());
    ASSERT_GT(screen->recorder().PlayLength(), 0u);
    screen->DIBButton_PlayClick();
    EXPECT_TRUE(screen->Element<TCustomDIBControl>("DIBI_Playback").Visible());
    EXPECT_TRUE(ClickSwallowed());
    EXPECT_FALSE(screen->Element<TCustomDIBControl>("DIBI_Playback").Visible());
    EXPECT_FALSE(ClickSwallowed());
}

TEST_F(FormPracticeTest, ARecordingThatCannotStartLeavesNoHook) {
    screen->recorder().SetEnabled(false); // Record() now fails
    EXPECT_ANY_THROW(screen->DIBButton_RecordClick());
    EXPECT_FALSE(ClickSwallowed());
}

} // namespace
} // namespace parlora
