#include "activities/FormTimeEasy.h"

#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "display/DIBImageStrip.h"
#include "shell/FormMain.h"
#include "shell/TextUtils.h"

#include <cstdlib>

namespace parlora {
namespace {

constexpr Rect kClocks[4] = {
    {78, 513, 106, 111}, {243, 512, 106, 111}, {411, 514, 106, 111}, {586, 510, 106, 111}};
constexpr int kArmTop = 225, kArmHeight = 283;
constexpr int kThumbFlashes = 3;

const TKaStateDef kStates[] = {
    {"PauseAtStart", "", katTimer, 500},
    {"StartQuestion", "", katEndAnim},
    {"SayWord", "", katMouseAction},
    {"Wrong", "", katEndPlay},
    {"No", "SayWord", katEndPlay, 1000, 500},
    {"Right", "", katEndPlay, 1000, 500},
    {"MoveArm", "", katEndAnim},
    {"IncScore", "", katEndPlay},
    {"Next"},
    {"ThumbsUp", "", katTimer, 400},
    {"ThumbsDown", "ThumbsUp", katTimer, 400},
    {"ShowScore", "", katEndAnim},
    {"SayScore", "", katEndPlay, 1000, 1000},
    {"WellDone", "", katNext | katEndPlay},
    {"Finished"},
};

} // namespace

TForm_TimeEasy::TForm_TimeEasy(TForm_Main& main)
    : TForm_EasyGame(main, "TForm_TimeEasy", TEasyGameTopic{6, "T", "Time\\SmallImages", 30, 45, 12, ""}) {
    std::vector<ImageItemSpec> items{{"Background", "Interface\\Time\\Easy\\TimeEasyBG.png"},
                                     {"Hands", "Interface\\Time\\Easy\\ClockHandStrip.png", true, true},
                                     {"BigArm", "Interface\\Time\\Easy\\BigArm.png", true, true},
                                     {"ThumbUp", "Interface\\Time\\Easy\\ThumbUp.png", true, true}};
    std::vector<ElementSpec> elements;
    for (int i = 1; i <= 4; ++i) {
        ElementSpec clock{Format("DIBIS_Hands%d", i), ElementKind::ImageStrip, kClocks[i - 1], "Hands", i};
        clock.numImagesX = 36;
        elements.push_back(clock);
    }
    elements.push_back({"DIBI_BigArm", ElementKind::Image, {kArmRight, kArmTop, 0, kArmHeight}, "BigArm"});
    elements.push_back({"DIBI_ThumbUp", ElementKind::Image, {19, 86, 438, 325}, "ThumbUp", 0, efHidden});
    Build(items, elements);
    BuildGameBase();

    for (int i = 1; i <= 4; ++i) {
        auto* clock = dynamic_cast<TDIBImageStrip*>(container_.FindComponent(Format("DIBIS_Hands%d", i)));
        if (!clock) throw DIBException(Format("Can't find DIBIS_Hand%d", i));
        clocks_[size_t(i)] = clock;
        clock->OnClick = [this](TCustomDIBControl& e) { KaStateList1.MouseAction(e.Tag); };
    }
    arm_ = &Element<TDIBImage>("DIBI_BigArm");
    thumb_ = &Element<TDIBImage>("DIBI_ThumbUp");
    QuitButton().OnClick = [this](TCustomDIBControl&) { DIBButton_QuitClick(); };
    HelpButton().OnClick = [this](TCustomDIBControl&) { DIBButton_HelpClick(); };
    ShowSpeakers(kMale, false);
    StopActor(kMale);
    DefineStates();
}

void TForm_TimeEasy::DefineStates() {
    KaStateList1.Define(kStates);
    BindCommonStates(kFemale, kFemale);
    Bind("StartQuestion", [this](int) {
        StartQuestion();
        TurnClocks();
    });
    Bind("SayWord", [this](int) {
        if (!quitRequested_) {
            currentWord_ = targetItem_;
            PlayButton().SetEnabled(true);
        }
        SayWordEntry();
    });
    Bind(
        "MoveArm",
        [this](int) {
            const int to = kArmWidths[std::clamp(question(), 1, kQuestions) - 1];
            anim_.AddCallbackAnim(
                200, *arm_, arm_->Width(), to,
                [this](int v) { arm_->SetBounds(kArmRight - v, arm_->Top(), v, arm_->Height()); }, false);
        },
        [this](int) { StartIncrements(); });
    Bind("Next", nullptr, [this](int) {
        NextQuestion();
        thumbs_ = kThumbFlashes;
    });
    Bind(
        "ThumbsUp", [this](int) { thumb_->SetVisible(true); },
        [this](int) {
            if (--thumbs_ <= 0) KaStateList1.SetNextState("ShowScore");
        });
    Bind("ThumbsDown", [this](int) { thumb_->SetVisible(false); });
}

void TForm_TimeEasy::TurnClocks() {
    // The four turns end at different times: the question starts when the last clock stops.
    turned_ = 0;
    anim_.AnimNotify = [this](TCustomDIBControl&, bool finished) {
        if (finished) ClockTurned();
    };
    for (int i = 1; i <= 4; ++i) {
        const int item =
            i == targetPosition_ ? targetItem_ : TakeRandomInt(distractorPool_, 2, main_.random());
        shown_[size_t(i)] = item;
        TDIBImageStrip& clock = *clocks_[size_t(i)];
        const int from = clock.FrameIndex(), to = FrameOfHour(item);
        anim_.AddStripAnim(std::abs(to - from) * kMsPerFrame, clock, from, to, false);
    }
}

void TForm_TimeEasy::ClockTurned() {
    if (++turned_ < 4) return;
    anim_.AnimNotify = [this](TCustomDIBControl&, bool finished) {
        if (finished) KaStateList1.EndAnim(0);
    };
    KaStateList1.EndAnim(0);
}

void TForm_TimeEasy::SpeakerClicked(int speaker) {
    if (speaker == kFemale) DIBButton_PlayClick();
}

int TForm_TimeEasy::ItemAtTag(int tag) const {
    return tag >= 1 && tag <= 4 ? shown_[size_t(tag)] : 0;
}

int TForm_TimeEasy::ClockOfItem(int item) const {
    for (int i = 1; i <= 4; ++i)
        if (shown_[size_t(i)] == item) return i;
    return 0;
}

TCustomDIBControl& TForm_TimeEasy::AnswerElement(int tag) {
    return *clocks_[size_t(tag >= 1 && tag <= 4 ? tag : 1)];
}

} // namespace parlora
