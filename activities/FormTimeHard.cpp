#include "activities/FormTimeHard.h"

#include "activities/FormEasyGame.h"
#include "activities/ThemedHardLayout.h"
#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "display/DIBImageStrip.h"
#include "shell/FormMain.h"
#include "shell/TextUtils.h"
#include "shell/WeightTable.h"

#include <cstdlib>

namespace parlora {
namespace {

namespace L = ThemedHardLayout;

constexpr int kTopic = 6;

const TKaStateDef kStates[] = {
    {"PauseAtStart", "", katTimer, 500},
    {"StartQuestion", "", katEndAnim},
    {"SayWord", "", katMouseAction},
    {"Wrong", "", katEndPlay},
    {"No", "SayWord", katEndPlay, 0, 500},
    {"Right", "", katEndPlay, 0, 500},
    {"ShowClock", "", katTimer, 200},
    {"IncScore", "", katEndPlay},
    {"Next"},
    {"PauseAtEnd", "", katTimer, 1000},
    {"ShowScore", "", katEndAnim},
    {"SayScore", "", katEndPlay, 0, 1000},
    {"WellDone", "", katNext | katEndPlay},
    {"Finished"},
};

} // namespace

TForm_TimeHard::TForm_TimeHard(TForm_Main& main)
    : TForm_HardGame(main, "TForm_TimeHard", THardGameTopic{kTopic, "T", "Time\\Hard", 30, 45}) {
    std::vector<ImageItemSpec> items{{"Background", "Interface\\Time\\Hard\\TimeHardBG.png"},
                                     {"ClockHandStrip", "Interface\\Time\\Easy\\ClockHandStrip.png"},
                                     {"SmallClock", "Interface\\Time\\Hard\\SmallClock.png", true, true}};
    std::vector<ElementSpec> elements;
    for (int n = 1; n <= kClocks; ++n)
        elements.push_back({Format("DIBIS_Hands%d", n),
                            ElementKind::ImageStrip,
                            {L::kClockLefts[size_t(n - 1)], L::kClockTop, L::kClockW, L::kClockH},
                            "ClockHandStrip",
                            n,
                            0,
                            kTimes,
                            1});
    for (int n = 1; n <= kQuestions; ++n)
        elements.push_back(
            {Format("DIBI_Clock%d", n),
             ElementKind::Image,
             {L::kShelfLeft, L::kShelfY - L::kSmallClockSize, L::kSmallClockSize, L::kSmallClockSize},
             "SmallClock",
             0,
             efHidden | efStretch});
    Build(items, elements);
    BuildGameBase();

    for (int n = 1; n <= kClocks; ++n) {
        hands_[size_t(n)] = &FindElement<TDIBImageStrip>(container_, "DIBIS_Hands%d", n);
        hands_[size_t(n)]->OnClick = [this](TCustomDIBControl& e) { ItemClick(e.Tag); };
    }
    for (int n = 1; n <= kQuestions; ++n)
        small_[size_t(n)] = &FindElement<TDIBImage>(container_, "DIBI_Clock%d", n);
    usualNotify_ = anim_.AnimNotify;
    QuitButton().OnClick = [this](TCustomDIBControl&) { DIBButton_QuitClick(); };
    HelpButton().OnClick = [this](TCustomDIBControl&) { DIBButton_HelpClick(); };
    DefineStates();
}

int TForm_TimeHard::ItemAtPosition(int position) const {
    return position >= 1 && position <= kClocks ? items_[size_t(position)] : 0;
}

std::vector<int> TForm_TimeHard::Shelf() const {
    std::vector<int> questions;
    for (const auto& clock : shelf_)
        questions.push_back(clock->question());
    return questions;
}

TCustomDIBControl& TForm_TimeHard::AnswerElement(int position) {
    return *hands_[size_t(position >= 1 && position <= kClocks ? position : 1)];
}

void TForm_TimeHard::StartPools() {
    pool_ = TForm_EasyGame::FullPool(kTimes, "");
    shelf_.clear();
}

void TForm_TimeHard::ClockStopped(TCustomDIBControl& sender, bool finished) {
    if (!finished) return;
    bool clock = false;
    for (int n = 1; n <= kClocks; ++n)
        clock = clock || &sender == hands_[size_t(n)];
    // Only the four clocks count: anything else still moving has nothing to say to this question.
    if (!clock || turning_ <= 0) return;
    if (--turning_ > 0) return;
    anim_.AnimNotify = usualNotify_;
    KaStateList1.EndAnim(0);
}

void TForm_TimeHard::StartQuestion() {
    if (pool_.size() < 2) pool_ = TForm_EasyGame::FullPool(kTimes, "");
    std::string distractors = TForm_EasyGame::FullPool(kTimes, "");
    TRandomStreams& random = main_.random();
    const int position = random.SharedRandom(kClocks) + 1;
    const int target = main_.weights().WeightedChop(pool_, kTopic, main_.options().quiz, random);
    BeginQuestion(target, position);
    RemoveItem(distractors, target);
    turning_ = kClocks;
    anim_.AnimNotify = [this](TCustomDIBControl& sender, bool finished) { ClockStopped(sender, finished); };
    for (int n = 1; n <= kClocks; ++n) {
        items_[size_t(n)] = n == position ? target : TakeRandomInt(distractors, 2, random);
        TDIBImageStrip& hands = *hands_[size_t(n)];
        const int from = hands.FrameIndex(), to = L::ClockFrameOf(items_[size_t(n)]);
        // The hands run straight along the strip to the new frame, 10 ms a frame, backwards when it
        // lies earlier in the strip (as the course always did); a clock that already shows
        // the time stands still and is done at the next tick.
        anim_.AddStripAnim(kMsPerFrame * std::abs(to - from), hands, from, to, false);
    }
}

void TForm_TimeHard::ShowClock() {
    const int count = int(shelf_.size());
    shelf_.insert(shelf_.begin() + (count + 1) / 2, std::make_unique<TClockImage>(question()));
    const int n = count + 1;
    for (int k = 0; k < n; ++k) {
        TDIBImage& clock = *small_[size_t(shelf_[size_t(k)]->question())];
        const int left =
            (k + 1) * (L::kShelfRight - L::kShelfLeft) / (n + 1) - clock.Width() / 2 + L::kShelfLeft;
        anim_.AddSpriteAnim(200, clock, left, L::kShelfY - clock.Height());
    }
}

void TForm_TimeHard::DefineStates() {
    KaStateList1.Define(kStates);
    BindScoreStates(kOtherSpeaker);
    BindAnswerStates(kOtherSpeaker, kSameSpeaker, true);
    Bind("StartQuestion", [this](int) { StartQuestion(); });
    Bind(
        "ShowClock", [this](int) { ShowClock(); },
        [this](int) {
            small_[size_t(question())]->SetVisible(true);
            StartIncrements();
        });
    Bind("Next", {}, [this](int) { NextQuestion(); });
}

} // namespace parlora
