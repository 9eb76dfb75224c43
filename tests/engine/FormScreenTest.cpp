// The activity screen base on the demo course: who speaks, which file, how long the mouth moves.
#include "engine/FormScreen.h"
#include "core/Errors.h"
#include "core/PathResolver.h"
#include "tests/support/DemoCourse.h"

#include <gtest/gtest.h>

namespace parlora {
namespace {

class TestScreen : public TForm_Screen {
  public:
    explicit TestScreen(TForm_Main& main) : TForm_Screen(main, "TestScreen") {
        Build({{"Background", "Interface\\FirstWords\\Practice\\pracbg.png"}}, {});
        BuildActivityBase();
    }
    int playEnded = 0, clicked = -1;
    void PlayEnded() override { ++playEnded; }
    void SpeakerClicked(int speaker) override { clicked = speaker; }
};

struct FormScreenTest : ::testing::Test {
    test::DemoCourse course;
    std::unique_ptr<TestScreen> screen;
    void SetUp() override {
        course.Prepare({{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\n"}});
        course.Start({"target=3", "source=1"});
        // Actors come with the student.
        ASSERT_TRUE(course.main->records()->AddStudent("Kim"));
        course.main->records()->SetCurrentStudent("Kim");
        course.main->LoadStudent();
        screen = std::make_unique<TestScreen>(*course.main);
    }
    std::string LastPlayed() {
        const auto& log = course.platform.headlessAudioOut().log();
        return log.empty() ? "" : log.back().label;
    }
};

TEST_F(FormScreenTest, SpeakerCodesResolveAsTheRulesSay) {
    EXPECT_EQ(screen->lastSpeaker(), -1);
    // Code 2 on a fresh screen says nothing at all.
    size_t before = course.platform.headlessAudioOut().log().size();
    screen->SayWord("FW", 1, TForm_Screen::kSameSpeaker);
    course.Idle();
    EXPECT_EQ(course.platform.headlessAudioOut().log().size(), before);
    // Code 3 starts with the male speaker, then alternates.
    std::vector<int> others;
    for (int i = 0; i < 4; ++i)
        others.push_back(screen->ResolveSpeaker(TForm_Screen::kOtherSpeaker));
    EXPECT_EQ(others, (std::vector<int>{0, 1, 0, 1}));
    EXPECT_EQ(screen->ResolveSpeaker(TForm_Screen::kSameSpeaker), 1);
    EXPECT_EQ(screen->ResolveSpeaker(TForm_Screen::kMale), 0);
    EXPECT_EQ(screen->ResolveSpeaker(TForm_Screen::kFemale), 1);
    int male = 0, female = 0;
    for (int i = 0; i < 200; ++i)
        (screen->ResolveSpeaker(TForm_Screen::kAnySpeaker) == 0 ? male : female)++;
    EXPECT_GT(male, 60);
    EXPECT_GT(female, 60);
    EXPECT_EQ(screen->ResolveSpeaker(9), 9); // other values pass through

    screen->ResolveSpeaker(TForm_Screen::kMale);
    screen->SayWord("FW", 12, TForm_Screen::kOtherSpeaker);
    EXPECT_NE(LastPlayed().find("FFW12.aif"), std::string::npos) << LastPlayed();
    screen->SayAgain(TForm_Screen::kSameSpeaker); // nothing remembered yet
    EXPECT_NE(LastPlayed().find("FFW12.aif"), std::string::npos);
    screen->SayAndRemember("FW", 3, TForm_Screen::kMale);
    screen->SayAgain(TForm_Screen::kOtherSpeaker);
    EXPECT_NE(LastPlayed().find("FFW3.aif"), std::string::npos) << LastPlayed();
}

TEST_F(FormScreenTest, MouthMovesForTheSoundsLengthThenIdles) {
    // The demo actors: speak strip of 10 frames at 12 frames per second.
    TDIBImageStrip& speak = screen->ActorStrip(TForm_Screen::kMale, akSpeak);
    ASSERT_EQ(speak.NumImagesX(), 10);
    // 500 ms: 6 frames, the strip's last six, in 500 ms, then the idle loop.
    screen->SpeakActor(TForm_Screen::kMale, 500);
    EXPECT_EQ(screen->ShownKind(TForm_Screen::kMale), akSpeak);
    course.Wait(100);
    EXPECT_GE(speak.ImageIndexX(), 4);
    course.Wait(380);
    EXPECT_EQ(screen->ShownKind(TForm_Screen::kMale), akSpeak);
    course.Wait(60);
    EXPECT_EQ(screen->ShownKind(TForm_Screen::kMale), akIdle);
    // 2000 ms: 24 frames = two whole passes of 833 ms and four closing frames of 333 ms.
    screen->SpeakActor(TForm_Screen::kFemale, 2000);
    course.Wait(1900);
    EXPECT_EQ(screen->ShownKind(TForm_Screen::kFemale), akSpeak);
    course.Wait(150);
    EXPECT_EQ(screen->ShownKind(TForm_Screen::kFemale), akIdle);
    // Clicking an actor tells the screen.
    for (auto kind : {InputEvent::Kind::MouseDown, InputEvent::Kind::MouseUp}) {
        InputEvent e;
        e.kind = kind;
        e.x = 100;
        e.y = 550;
        screen->HandleInput(e);
    }
    EXPECT_EQ(screen->clicked, TForm_Screen::kMale);
}

TEST_F(FormScreenTest, WordFilesFallBackToMp3AndMissingOnesAreNamed) {
    // Target 3 words are AIFF; the countries of target 5 are MP3 only.
    EXPECT_GT(screen->LengthWord("FW", 7, TForm_Screen::kMale), 300);
    EXPECT_NE(screen->SelectedFile().find("MFW7.aif"), std::string::npos);
    EXPECT_THROW(screen->LengthWord("FW", 7, 3), AppError);
    try {
        screen->SayWord("FW", 99, TForm_Screen::kMale);
        FAIL() << "a missing word must fail";
    } catch (const AppError& e) {
        std::string base = course.main->folders().TargetDir + "\\FW\\MFW99";
        EXPECT_EQ(std::string(e.what()), "Can't find sound file " + base + ".aif or " + base + ".mp3");
    }
    course.main->catalogue()->SetTarget(5);
    int ms = screen->LengthWord("CY", 2, TForm_Screen::kFemale);
    EXPECT_NE(screen->SelectedFile().find("FCY2.mp3"), std::string::npos) << screen->SelectedFile();
    EXPECT_GT(ms, 300);
    screen->PlaySelected();
    course.Wait(ms + 200);
    EXPECT_EQ(screen->playEnded, 1) << "the media player reports the end of the word";
}

TEST_F(FormScreenTest, PlayerCacheKeepsEightFilesAndIgnoresLetterCase) {
    // A copied word that is then deleted: only a cached player can still give it.
    std::string dir = course.main->folders().TargetDir;
    std::string word = course.tmp / "Word.aif";
    test::WriteFile(word, test::ReadFile(PathResolver::Resolve(dir + "\\FW\\MFW1.aif")));
    screen->SelectSound(word);
    std::filesystem::remove(word);
    EXPECT_NO_THROW(screen->SelectSound(word));
    for (int n = 2; n <= 8; ++n) // seven more: the copy is still among the eight
        screen->SelectWordSound("%s\\FW\\MFW%d", dir.c_str(), n);
    EXPECT_NO_THROW(screen->SelectSound(course.tmp.path() + "/word.aif")) << "letter case must not matter";
    for (int n = 2; n <= 9; ++n) // eight others: now it has been dropped
        screen->SelectWordSound("%s\\FW\\MFW%d", dir.c_str(), n);
    EXPECT_ANY_THROW(screen->SelectSound(word));
}

} // namespace
} // namespace parlora
