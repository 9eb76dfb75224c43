// The speaking exercise of every topic on the demo course: a strip slides in, the learner records
// each word (the headless microphone supplies a tone), the takes are kept under the temporary
// folder at their expected length and played back, and the visit reaches the records. Then the
// faults of a real microphone: none at all, or one that goes away during a take.
#include "activities/FormSpeak.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "display/DIBShape.h"
#include "display/DIBWaveView.h"
#include "shell/RecordsStore.h"
#include "tests/support/DemoCourse.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

namespace parlora {
namespace {

struct Topic {
    int code, topic, menu, items;
    const char* prefix;
};

const Topic kTopics[] = {
    {16, 0, 14, 44, "FW"},  {22, 1, 20, 41, "FD"}, {27, 2, 25, 12, "CO"},
    {32, 3, 30, 30, "USE"}, {37, 4, 35, 18, "FG"}, {42, 5, 40, 20, "SC"},
    {47, 6, 45, 36, "T"},   {52, 7, 50, 49, "SH"}, {57, 8, 55, 24, "CY"},
};

// The bytes of a WAV file's data chunk; -1 when the file cannot be read.
int64_t WavDataBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> b((std::istreambuf_iterator<char>(in)), {});
    for (size_t i = 12; i + 8 <= b.size();) {
        uint32_t size = uint8_t(b[i + 4]) | uint8_t(b[i + 5]) << 8 | uint8_t(b[i + 6]) << 16 |
                        uint32_t(uint8_t(b[i + 7])) << 24;
        if (std::string(&b[i], 4) == "data") return size;
        i += 8 + size + (size & 1);
    }
    return -1;
}

// What a take of `ms` milliseconds holds: mono 16-bit at 44100 per second.
int64_t TakeBytes(int ms) {
    return (int64_t(ms) * 88200 / 1000) & ~int64_t(1);
}

struct SpeakDriver {
    test::DemoCourse course;
    TForm_Speak* speak = nullptr;

    void Open(int code, const std::string& config = "") {
        course.StartWithStudent(code, config);
        speak = course.ScreenAs<TForm_Speak>();
        ASSERT_NE(speak, nullptr) << course.Screen();
    }
    template <class T> T& El(const std::string& name) { return speak->Element<T>(name); }
    bool Shows(const std::string& name) { return El<TCustomDIBControl>(name).Visible(); }
    void Press(const std::string& name) { course.ClickOn(El<TCustomDIBControl>(name)); }
    std::string State() {
        const TKaState* s = speak->stateList().CurrentState();
        return s ? s->Name() : "";
    }
    bool WaitFor(const std::function<bool()>& done, int ms = 120000) {
        for (int t = 0; t < ms && !done(); t += 50)
            course.Wait(50);
        return done();
    }
    bool Idle() {
        return WaitFor([&] { return State() == "WaitButton"; });
    }
    HeadlessAudioIn& mic() { return static_cast<HeadlessAudioIn&>(course.platform.audioIn()); }
    void ChooseStrip(const char* button) {
        Press(button);
        ASSERT_TRUE(Idle());
    }
    std::string File(int position) { return speak->RecordingFile(position); }
    int ExpectedTakeMs(int position) {
        int d = speak->LengthWord(speak->prefix(), speak->stripItem(position), speak->speaker());
        return d * 150 / 100 + 1000;
    }
};

struct SpeakTopicTest : ::testing::TestWithParam<Topic> {};

TEST_P(SpeakTopicTest, RecordsEachWordPlaysItBackAndNotesTheVisit) {
    const Topic& t = GetParam();
    SpeakDriver d;
    d.Open(t.code);
    EXPECT_EQ(d.speak->prefix(), t.prefix);
    EXPECT_EQ(d.State(), "WaitButton");
    EXPECT_FALSE(d.Shows("DIBBS_Listen"));
    d.ChooseStrip("DIBBS_4");
    EXPECT_EQ(d.speak->stripLength(), 4);
    EXPECT_EQ(d.speak->stripOffset(), d.speak->margin()) << "the first picture is centred";
    EXPECT_TRUE(d.Shows("DIBBS_Listen"));
    EXPECT_TRUE(d.Shows("DIBBS_Record"));
    EXPECT_FALSE(d.Shows("DIBBS_Play"));
    for (int i = 1; i <= 4; ++i) {
        EXPECT_GE(d.speak->stripItem(i), 1);
        EXPECT_LE(d.speak->stripItem(i), t.items);
    }

    d.Press("DIBBS_Listen");
    EXPECT_EQ(d.State(), "Listen");
    ASSERT_TRUE(d.WaitFor([&] { return d.State() == "Record"; }));
    EXPECT_TRUE(d.Shows("Shape_RecBar"));
    EXPECT_TRUE(d.Shows("DIBI_RedLight"));
    ASSERT_TRUE(d.Idle());
    EXPECT_TRUE(d.Shows("DIBBS_Play")) << "a whole pass offers the play-back";
    EXPECT_FALSE(d.Shows("Shape_RecBar"));
    EXPECT_EQ(d.speak->stripOffset(), d.speak->margin()) << "the strip slid back to its first picture";
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(d.File(i).rfind(d.course.main->folders().TempDir, 0), 0u) << d.File(i);
        EXPECT_EQ(WavDataBytes(d.File(i)), TakeBytes(d.ExpectedTakeMs(i))) << "position " << i;
    }
    EXPECT_TRUE(d.Shows("DIBWV_Voices"));
    EXPECT_FALSE(d.speak->waveView().Envelope(TDIBWaveView::wlLearner).empty());

    d.Press("DIBBS_Play");
    EXPECT_TRUE(d.Shows("DIBI_Tape"));
    EXPECT_TRUE(d.Shows("DIBIS_Reels"));
    EXPECT_FALSE(d.Shows("DIBI_Mike"));
    ASSERT_TRUE(d.WaitFor([&] { return d.State() == "Play2"; }));
    EXPECT_EQ(d.speak->takePlayer().FileName(), d.File(1));
    EXPECT_TRUE(d.speak->takePlayer().IsPlaying());
    EXPECT_EQ(int64_t(d.speak->takePlayer().PlayLength()), TakeBytes(d.ExpectedTakeMs(1)));
    ASSERT_TRUE(d.Idle());
    EXPECT_EQ(d.speak->takePlayer().FileName(), d.File(4));
    EXPECT_TRUE(d.Shows("DIBI_Mike"));
    EXPECT_FALSE(d.Shows("DIBI_Tape"));

    EXPECT_EQ(d.course.main->records()->GetScore(t.topic, 1), -1);
    d.course.ClickOn(d.El<TCustomDIBControl>("DIBButton_Quit"));
    d.course.Wait(2000);
    EXPECT_EQ(d.course.main->records()->GetScore(t.topic, 1), 0) << "the visit is in the records";
    EXPECT_NE(d.course.Screen(), "TForm_Speak");
}

INSTANTIATE_TEST_SUITE_P(EveryTopic, SpeakTopicTest, ::testing::ValuesIn(kTopics),
                         [](const auto& info) { return std::string(info.param.prefix); });

struct SpeakTest : ::testing::Test {
    SpeakDriver d;
};

TEST_F(SpeakTest, LeavingWithoutRecordingStoresNothing) {
    d.Open(27);
    d.ChooseStrip("DIBBS_4");
    d.course.ClickOn(d.El<TCustomDIBControl>("DIBButton_Quit"));
    d.course.Wait(2000);
    EXPECT_EQ(d.course.main->records()->GetScore(2, 1), -1);
}

TEST_F(SpeakTest, AClickDuringATakeEndsItAndReachesNoButton) {
    d.Open(27);
    d.ChooseStrip("DIBBS_4");
    d.Press("DIBBS_Record");
    ASSERT_TRUE(d.WaitFor([&] { return d.State() == "Record"; }));
    d.course.Wait(500);
    d.Press("DIBBS_8"); // would choose a new strip if it got through
    EXPECT_EQ(d.speak->stripLength(), 4);
    EXPECT_NE(d.State(), "Record");
    int64_t bytes = WavDataBytes(d.File(1));
    EXPECT_GT(bytes, 0);
    EXPECT_LT(bytes, TakeBytes(d.ExpectedTakeMs(1)));
    EXPECT_TRUE(d.WaitFor([&] { return d.State() == "Record" && d.speak->position() == 2; }));
}

TEST_F(SpeakTest, PlayBackNeverGivesAnOlderTakeOfThePosition) {
    d.Open(27);
    d.ChooseStrip("DIBBS_4");
    d.Press("DIBBS_Record");
    ASSERT_TRUE(d.Idle());
    d.Press("DIBBS_Play");
    ASSERT_TRUE(d.Idle());
    const int64_t full = WavDataBytes(d.File(1));
    // Again, the first take cut short at once and the second after half a second.
    d.Press("DIBBS_Record");
    ASSERT_TRUE(d.WaitFor([&] { return d.State() == "Record"; }));
    d.course.Click(512, 100);
    ASSERT_TRUE(d.WaitFor([&] { return d.State() == "Record" && d.speak->position() == 2; }));
    d.course.Wait(500);
    d.course.Click(512, 100);
    ASSERT_TRUE(d.Idle());
    EXPECT_FALSE(std::filesystem::exists(d.File(1))) << "an empty take leaves no file behind";
    const int64_t cut = WavDataBytes(d.File(2));
    ASSERT_GT(cut, 0);
    ASSERT_LT(cut, full);
    d.Press("DIBBS_Play");
    ASSERT_TRUE(d.WaitFor([&] { return d.State() == "Play2" && d.speak->position() == 2; }));
    EXPECT_EQ(int64_t(d.speak->takePlayer().PlayLength()), cut) << "the new take, not the one before";
    ASSERT_TRUE(d.Idle());
}

TEST_F(SpeakTest, WithoutAMicrophoneTheLearnerIsToldAndTheScreenGoesOn) {
    d.Open(27);
    d.ChooseStrip("DIBBS_4");
    d.mic().setMissing(true);
    ::testing::internal::CaptureStderr();
    d.Press("DIBBS_Record");
    d.course.Wait(200);
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("Record open failed"), std::string::npos) << said;
    EXPECT_EQ(d.State(), "WaitButton");
    EXPECT_TRUE(d.Shows("DIBBS_Record"));
    EXPECT_FALSE(d.Shows("DIBBS_Play"));
    EXPECT_FALSE(d.Shows("Shape_RecBar"));
    EXPECT_FALSE(d.Shows("DIBI_RedLight"));
    EXPECT_FALSE(std::filesystem::exists(d.File(1)));
    // Clicks reach the screen again, and once the microphone is back a pass completes.
    d.ChooseStrip("DIBBS_8");
    EXPECT_EQ(d.speak->stripLength(), 8);
    d.mic().setMissing(false);
    d.Press("DIBBS_Record");
    ASSERT_TRUE(d.Idle());
    EXPECT_TRUE(d.Shows("DIBBS_Play"));
    EXPECT_EQ(WavDataBytes(d.File(8)), TakeBytes(d.ExpectedTakeMs(8)));
}

TEST_F(SpeakTest, AMicrophoneThatGoesAwayEndsTheTakeWithAMessage) {
    d.Open(27);
    d.ChooseStrip("DIBBS_4");
    d.mic().setVanishAfterMs(300);
    ::testing::internal::CaptureStderr();
    d.Press("DIBBS_Record");
    bool back = d.Idle();
    std::string said = ::testing::internal::GetCapturedStderr();
    ASSERT_TRUE(back);
    EXPECT_NE(said.find("microphone stopped"), std::string::npos) << said;
    EXPECT_FALSE(std::filesystem::exists(d.File(1))) << "a broken take is not kept";
    EXPECT_FALSE(d.Shows("DIBBS_Play"));
    EXPECT_TRUE(d.Shows("DIBBS_Listen"));
    d.mic().setVanishAfterMs(-1);
    d.ChooseStrip("DIBBS_4");
    EXPECT_EQ(d.speak->stripLength(), 4);
}

TEST_F(SpeakTest, ANewScreenOffersNoPlayBackOfTakesItDidNotRecord) {
    d.Open(27);
    d.ChooseStrip("DIBBS_4");
    d.Press("DIBBS_Record");
    ASSERT_TRUE(d.Idle());
    d.course.ClickOn(d.El<TCustomDIBControl>("DIBButton_Quit"));
    d.course.Wait(2000);
    // The next learner on this computer.
    ASSERT_TRUE(d.course.main->records()->AddStudent("Lou"));
    d.course.main->records()->SetCurrentStudent("Lou");
    d.course.main->LoadStudent();
    d.course.Request(27);
    d.speak = d.course.ScreenAs<TForm_Speak>();
    ASSERT_NE(d.speak, nullptr);
    d.ChooseStrip("DIBBS_4");
    EXPECT_FALSE(d.Shows("DIBBS_Play"));
    d.Press("DIBBS_Play"); // hidden: nothing happens
    EXPECT_EQ(d.State(), "WaitButton");
}

TEST_F(SpeakTest, ConsecutiveStripsDoNotRepeatPicturesUntilThePoolRunsOut) {
    d.Open(16);
    d.ChooseStrip("DIBBS_4");
    std::set<int> first;
    for (int i = 1; i <= 4; ++i)
        first.insert(d.speak->stripItem(i));
    d.ChooseStrip("DIBBS_10");
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(first.count(d.speak->stripItem(i)), 0u) << d.speak->stripItem(i);
    EXPECT_EQ(d.speak->picturePool().size(), size_t(2 * (44 - 14)));
}

TEST_F(SpeakTest, TheFirstFilterLeavesOutTwoFirstWordsOnly) {
    d.Open(16, "Filter1=1\r\n");
    std::set<int> seen;
    for (int round = 0; round < 8; ++round) {
        d.ChooseStrip("DIBBS_10");
        for (int i = 1; i <= 10; ++i)
            seen.insert(d.speak->stripItem(i));
    }
    EXPECT_EQ(seen.count(16), 0u);
    EXPECT_EQ(seen.count(17), 0u);
    EXPECT_EQ(seen.size(), 42u) << "items 4 to 7 and 11 do appear here";
}

TEST_F(SpeakTest, TheThirdFilterLeavesOutCountryTwelve) {
    d.Open(57, "Filter3=1\r\n");
    std::set<int> seen;
    for (int round = 0; round < 6; ++round) {
        d.ChooseStrip("DIBBS_8");
        for (int i = 1; i <= 8; ++i)
            seen.insert(d.speak->stripItem(i));
    }
    EXPECT_EQ(seen.count(12), 0u);
    EXPECT_EQ(seen.count(24), 1u);
}

} // namespace
} // namespace parlora
