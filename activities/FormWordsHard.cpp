#include "activities/FormWordsHard.h"

#include "activities/FormEasyGame.h"
#include "core/PathResolver.h"
#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "shell/FormMain.h"
#include "shell/TextUtils.h"

#include <algorithm>
#include <vector>

namespace parlora {
namespace {

constexpr int kPictureLefts[5] = {57, 241, 424, 608, 792};
constexpr int kPictureTops[2] = {131, 277};

const TKaStateDef kStates[] = {
    {"PauseAtStart", "", katTimer, 500},
    {"StartQuestion"},
    {"ShowImage", "", katTimer | katEndPlay, 100},
    {"SayWord", "", katMouseAction},
    {"Wrong", "", katEndPlay},
    {"No", "SayWord", katEndPlay, 0, 500},
    {"Right", "", katEndPlay, 0, 500},
    {"IncScore", "", katEndPlay},
    {"Next"},
    {"ShowScore", "", katEndAnim},
    {"SayScore", "", katEndPlay, 0, 1000},
    {"WellDone", "", katNext | katEndPlay},
    {"Finished"},
};

} // namespace

TForm_WordsHard::TForm_WordsHard(TForm_Main& main)
    : TForm_HardGame(main, "TForm_WordsHard", THardGameTopic{0, "FW", "FirstWords\\Images", 20, 14}) {
    std::vector<ImageItemSpec> items{{"Background", "Interface\\FirstWords\\Hard\\hardBg.png"},
                                     {"Target", "", false},
                                     {"Lozenge", "Interface\\FirstWords\\Hard\\loz2.png", true, true},
                                     {"TLIT", "", false}};
    for (int n = 1; n <= kPictures; ++n)
        items.push_back({Format("Image%d", n), "", false});

    std::vector<ElementSpec> elements;
    for (int n = 1; n <= kPictures; ++n)
        elements.push_back({Format("DIBImage%d", n),
                            ElementKind::Image,
                            {kPictureLefts[(n - 1) % 5], kPictureTops[(n - 1) / 5], 176, 137},
                            Format("Image%d", n),
                            n,
                            efHidden | efStretch});
    elements.push_back(
        {"DIBI_Lozenge", ElementKind::Image, {357, 524, 361, 49}, "Lozenge", 0, efHidden | efAutoSize});
    elements.push_back(
        {"DIBI_Target", ElementKind::Image, {362, 508, 300, 24}, "Target", 0, efHidden | efAutoSize});
    elements.push_back(
        {"DIBI_TLIT", ElementKind::Image, {382, 538, 300, 24}, "TLIT", 0, efHidden | efAutoSize});
    Build(items, elements);
    BuildGameBase();

    for (int n = 1; n <= kPictures; ++n) {
        pictures_[size_t(n)] = &FindElement<TDIBImage>(container_, "DIBImage%d", n);
        pictures_[size_t(n)]->OnClick = [this](TCustomDIBControl& e) { KaStateList1.MouseAction(e.Tag); };
    }
    target_ = &Element<TDIBImage>("DIBI_Target");
    lozenge_ = &Element<TDIBImage>("DIBI_Lozenge");
    tlit_ = &Element<TDIBImage>("DIBI_TLIT");
    // The written forms say the word again, as the Play button does.
    target_->OnClick = [this](TCustomDIBControl&) { DIBButton_PlayClick(); };
    tlit_->OnClick = [this](TCustomDIBControl&) { DIBButton_PlayClick(); };
    // The second written form exists only for targets that have one.
    lozenge_->SetVisible(PathResolver::IsDirectory(main_.folders().TargetDir + "\\TLIT"));
    QuitButton().OnClick = [this](TCustomDIBControl&) { DIBButton_QuitClick(); };
    HelpButton().OnClick = [this](TCustomDIBControl&) { DIBButton_HelpClick(); };
    Configure(0, "FirstWords\\Images", false, 14, 20, 44, "0405060711", "FW");
    DefineStates();
}

TForm_WordsHard::~TForm_WordsHard() {
    StopTestTimer();
}

void TForm_WordsHard::Configure(int topic, const std::string& imageFolder, bool selfPlay, int returnScreen,
                                int helpIndex, int itemCount, const std::string& excluded,
                                const std::string& prefix) {
    topic_ = THardGameTopic{topic, prefix, imageFolder, helpIndex, returnScreen};
    imageFolder_ = imageFolder;
    selfPlay_ = selfPlay;
    fullPool_ = TForm_EasyGame::FullPool(itemCount, excluded);
}

void TForm_WordsHard::DefineStates() {
    KaStateList1.Define(kStates);
    BindScoreStates(kOtherSpeaker);
    Bind("StartQuestion", [this](int) { StartQuestion(); });
    Bind(
        "ShowImage", [this](int) { ShowImage(); },
        [this](int) {
            if (++shown_ < kPictures) KaStateList1.SetNextState("ShowImage");
        });
    Bind(
        "SayWord", [this](int) { SayWordEntry(); },
        [this](int tag) {
            StopTestTimer();
            SayWordExit(tag);
        });
    Bind(
        "Wrong", [this](int) { WrongEntry(true, kSameSpeaker); },
        [this](int) { CrossImage().SetVisible(false); });
    Bind(
        "No", [this](int) { NoEntry(kSameSpeaker); },
        [this](int) {
            // A picture found wrong goes before the word is said again.
            if (clicked_ >= 1 && clicked_ <= kPictures) pictures_[size_t(clicked_)]->SetVisible(false);
        });
    Bind(
        "Right", [this](int) { RightEntry(true, kSameSpeaker); },
        [this](int) {
            TickImage().SetVisible(false);
            StartIncrements();
        });
    Bind(
        "Next", [this](int) { HideQuestion(); }, [this](int) { NextQuestion(); });
}

void TForm_WordsHard::StartPools() {
    targetPool_ = fullPool_;
}

int TForm_WordsHard::ItemAtPosition(int position) const {
    return position >= 1 && position <= kPictures ? items_[size_t(position)] : 0;
}

int TForm_WordsHard::PositionOfItem(int item) const {
    for (int n = 1; n <= kPictures; ++n)
        if (items_[size_t(n)] == item) return n;
    return 0;
}

TCustomDIBControl& TForm_WordsHard::AnswerElement(int position) {
    return *pictures_[size_t(position >= 1 && position <= kPictures ? position : 1)];
}

bool TForm_WordsHard::testTimerActive() const {
    return testTimer_ != 0 && main_.dispatcher().timerActive(testTimer_);
}

void TForm_WordsHard::StartQuestion() {
    // Every allowed word has been asked: they may all come again.
    if (targetPool_.size() < 2) targetPool_ = fullPool_;
    distractorPool_ = fullPool_;
    TRandomStreams& random = main_.random();
    const int position = random.SharedRandom(kPictures) + 1;
    const int item = main_.weights().WeightedChop(targetPool_, topic_.topic, main_.options().quiz, random);
    BeginQuestion(item, position);
    for (size_t i = 0; i + 1 < distractorPool_.size(); i += 2)
        if (std::stoi(distractorPool_.substr(i, 2)) == item) {
            TakeChunkAt(distractorPool_, int(i) + 1, 2);
            break;
        }
    items_.fill(0);
    shown_ = 0;
}

void TForm_WordsHard::ShowImage() {
    const int n = shown_ + 1;
    // A topic with fewer than ten words leaves the last places empty.
    const int item = n == targetPosition_         ? targetItem_
                     : distractorPool_.size() < 2 ? 0
                                                  : TakeRandomInt(distractorPool_, 2, main_.random());
    items_[size_t(n)] = item;
    if (item == 0) return;
    const char* prefix = topic_.prefix.c_str();
    images_.LoadImageNamed(Format("Image%d", n), "%s\\%s\\%s%d.png", main_.folders().InterfaceDir.c_str(),
                           imageFolder_.c_str(), prefix, item);
    pictures_[size_t(n)]->SetVisible(true);
}

void TForm_WordsHard::SayWordEntry() {
    if (PassThroughQuestion()) return;
    const CourseFolders& f = main_.folders();
    const char* prefix = topic_.prefix.c_str();
    images_.LoadImageNamed("Target", "%s\\%s\\%s%d.PNG", f.TextDir.c_str(), prefix, prefix, targetItem_);
    target_->SetVisible(true);
    if (lozenge_->Visible()) {
        images_.LoadImageNamed("TLIT", "%s\\TLIT\\%s\\%s%d.PNG", f.TargetDir.c_str(), prefix, prefix,
                               targetItem_);
        tlit_->SetVisible(true);
    }
    if (selfPlay_) {
        // From here on only the timer answers. Armed before the word is said, so that a word that
        // cannot be said does not stop the run.
        KaStateList1.ArmTriggers(katNext);
        const CourseSettings& s = main_.settings();
        const int interval =
            std::max(0, s.QuizIntervalMin) + main_.random().CourseRandom(std::max(0, s.QuizIntervalRange));
        StopTestTimer();
        testTimer_ = main_.dispatcher().setTimer(
            uint32_t(interval), false, [this] { Timer_TestTimer(); }, lifetime_.guard());
    }
    AskWord(kOtherSpeaker);
}

void TForm_WordsHard::Timer_TestTimer() {
    testTimer_ = 0;
    // Only the question the timer was set for may be answered.
    if (!KaStateList1.Running() || KaStateList1.CurrentIndex() != KaStateList1.IndexOfState("SayWord") ||
        !KaHas(KaStateList1.Armed(), katNext))
        return;
    // The player's draws come from the course's stream: the questions of a seed stay the same as
    // in a learner's game.
    TRandomStreams& random = main_.random();
    int answer = targetPosition_;
    if (random.CourseRandom(100) >= main_.settings().QuizRightPercent) {
        std::vector<int> others;
        for (int n = 1; n <= kPictures; ++n)
            if (n != targetPosition_ && items_[size_t(n)] != 0 && pictures_[size_t(n)]->Visible())
                others.push_back(n);
        if (!others.empty()) answer = others[size_t(random.CourseRandom(int(others.size())))];
    }
    KaStateList1.Next(answer);
}

void TForm_WordsHard::StopTestTimer() {
    if (testTimer_ != 0) main_.dispatcher().killTimer(testTimer_);
    testTimer_ = 0;
}

void TForm_WordsHard::HideQuestion() {
    target_->SetVisible(false);
    tlit_->SetVisible(false);
    for (int n = 1; n <= kPictures; ++n)
        pictures_[size_t(n)]->SetVisible(false);
}

} // namespace parlora
