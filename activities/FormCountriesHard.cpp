#include "activities/FormCountriesHard.h"

#include "activities/FormEasyGame.h"
#include "activities/ThemedHardLayout.h"
#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "shell/FormMain.h"
#include "shell/TextUtils.h"
#include "shell/WeightTable.h"

#include <cstdlib>

namespace parlora {
namespace {

namespace L = ThemedHardLayout;

constexpr int kTopic = 8;

const TKaStateDef kStates[] = {
    {"PauseAtStart", "", katTimer, 500},
    {"StartQuestion"},
    {"SayWord", "", katMouseAction},
    {"Wrong", "", katEndPlay},
    {"No", "SayWord", katEndPlay, 0, 500},
    {"Right", "", katEndPlay, 0, 500},
    {"Pin1", "", katEndAnim},
    {"Pin2", "", katEndAnim},
    {"Pin3", "", katEndAnim},
    {"IncScore", "", katEndPlay},
    {"Next"},
    {"ShowScore", "", katEndAnim},
    {"SayScore", "", katEndPlay, 0, 1000},
    {"WellDone", "", katNext | katEndPlay},
    {"Finished"},
};

} // namespace

TForm_CountriesHard::TForm_CountriesHard(TForm_Main& main)
    : TForm_HardGame(main, "TForm_CountriesHard", THardGameTopic{kTopic, "CY", "Countries\\Images", 34, 55}) {
    std::vector<ImageItemSpec> items{{"Background", "Interface\\Countries\\Hard\\CountriesHardBG.png"},
                                     {"Pin", "Interface\\Countries\\Hard\\Pin.png", true, true},
                                     {"ArmWithPin", "Interface\\Countries\\Hard\\ArmWithPin.png", true, true},
                                     {"ArmNoPin", "Interface\\Countries\\Hard\\ArmNoPin.png", true, true},
                                     {"ArmMask", "Interface\\Countries\\Hard\\ArmMask.png", true, true},
                                     {"FlagButton", "Interface\\Countries\\Hard\\FlagButton.png"}};
    for (int n = 1; n <= kFlags; ++n)
        items.push_back({Format("Flag%d", n), "", false});
    std::vector<ElementSpec> elements;
    for (int n = 1; n <= kQuestions; ++n)
        elements.push_back({Format("DIBI_Pin%d", n), ElementKind::Image, L::TrayPin(n), "Pin", 0, efStretch});
    elements.push_back({"DIBI_Arm",
                        ElementKind::Image,
                        {0, L::kArmRestTop, L::kArmW, L::kArmH},
                        "ArmNoPin",
                        0,
                        efHidden | efStretch});
    elements.push_back({"DIBI_Mask", ElementKind::Image, L::kArmMask, "ArmMask", 0, efStretch});
    for (int n = 1; n <= kFlags; ++n) {
        const int left = L::kFlagLefts[size_t(n - 1)];
        elements.push_back({Format("DIBI_Flag%d", n),
                            ElementKind::Image,
                            {left, L::kFlagTop, L::kFlagW, L::kFlagH},
                            Format("Flag%d", n),
                            n,
                            efHidden | efStretch});
        elements.push_back({Format("DIBBS_Button%d", n),
                            ElementKind::ButtonStrip,
                            {left, L::kFlagButtonTop, L::kFlagW, L::kFlagButtonH},
                            "FlagButton",
                            n});
    }
    Build(items, elements);
    BuildGameBase();

    // The third content filter leaves country 12 out, and the game to the first 23.
    if (main_.settings().Filter3) {
        itemCount_ = 23;
        excluded_ = "12";
    }
    for (int n = 1; n <= kFlags; ++n) {
        flags_[size_t(n)] = &FindElement<TDIBImage>(container_, "DIBI_Flag%d", n);
        buttons_[size_t(n)] = &FindElement<TDIBButtonStrip>(container_, "DIBBS_Button%d", n);
        flags_[size_t(n)]->OnClick = [this](TCustomDIBControl& e) { FlagClick(e.Tag); };
        buttons_[size_t(n)]->OnClick = [this](TCustomDIBControl& e) { FlagClick(e.Tag); };
    }
    for (int n = 1; n <= kQuestions; ++n)
        pins_[size_t(n)] = &FindElement<TDIBImage>(container_, "DIBI_Pin%d", n);
    arm_ = &Element<TDIBImage>("DIBI_Arm");
    QuitButton().OnClick = [this](TCustomDIBControl&) { DIBButton_QuitClick(); };
    HelpButton().OnClick = [this](TCustomDIBControl&) { DIBButton_HelpClick(); };
    DefineStates();
}

Rect TForm_CountriesHard::PinPlace(int item) {
    if (item < 1 || item > kCountries) return {0, 0, L::kPinW, L::kPinH};
    const auto [x, y] = L::kPinPoints[size_t(item - 1)];
    return {x, y, L::kPinW, L::kPinH};
}

int TForm_CountriesHard::ItemAtPosition(int position) const {
    return position >= 1 && position <= kFlags ? items_[size_t(position)] : 0;
}

TCustomDIBControl& TForm_CountriesHard::AnswerElement(int position) {
    return *flags_[size_t(position >= 1 && position <= kFlags ? position : 1)];
}

void TForm_CountriesHard::StartPools() {
    pool_ = TForm_EasyGame::FullPool(itemCount_, excluded_);
}

void TForm_CountriesHard::StartQuestion() {
    if (pool_.size() < 2) StartPools();
    std::string distractors = TForm_EasyGame::FullPool(itemCount_, excluded_);
    TRandomStreams& random = main_.random();
    const int position = random.SharedRandom(kFlags) + 1;
    const int target = main_.weights().WeightedChop(pool_, kTopic, main_.options().quiz, random);
    BeginQuestion(target, position);
    RemoveItem(distractors, target);
    for (int n = 1; n <= kFlags; ++n) {
        items_[size_t(n)] = n == position ? target : TakeRandomInt(distractors, 2, random);
        images_.LoadImageNamed(Format("Flag%d", n), "%s\\Countries\\Images\\CY%d.png",
                               main_.folders().InterfaceDir.c_str(), items_[size_t(n)]);
        flags_[size_t(n)]->SetVisible(true);
    }
}

void TForm_CountriesHard::ArmShows(const char* picture) {
    arm_->SetDIBIndex(images_.IndexOf(picture));
}

void TForm_CountriesHard::DefineStates() {
    KaStateList1.Define(kStates);
    BindScoreStates(kOtherSpeaker);
    BindAnswerStates(kOtherSpeaker, kSameSpeaker, true);
    Bind("StartQuestion", [this](int) { StartQuestion(); });
    Bind("Pin1", [this](int) {
        TDIBImage& pin = *pins_[size_t(question())];
        ArmShows("ArmNoPin");
        arm_->SetLeft(pin.Left() - L::kArmHand);
        arm_->SetTop(L::kArmRestTop);
        arm_->SetVisible(true);
        anim_.AddSpriteAnim(200, *arm_, pin.Left() - L::kArmHand, pin.Top());
    });
    Bind("Pin2", [this](int) {
        pins_[size_t(question())]->SetVisible(false);
        ArmShows("ArmWithPin");
        const Rect to = PinPlace(targetItem_);
        anim_.AddSpriteAnim(500, *arm_, to.x - L::kArmHand, to.y);
    });
    Bind(
        "Pin3",
        [this](int) {
            TDIBImage& pin = *pins_[size_t(question())];
            const Rect to = PinPlace(targetItem_);
            pin.SetBounds(to.x, to.y, pin.Width(), pin.Height());
            pin.BringToFront();
            pin.SetVisible(true);
            ArmShows("ArmNoPin");
            anim_.AddSpriteAnim(500, *arm_, arm_->Left(), L::kArmRestTop);
        },
        [this](int) {
            arm_->SetVisible(false);
            StartIncrements();
        });
    Bind(
        "Next",
        [this](int) {
            for (int n = 1; n <= kFlags; ++n)
                flags_[size_t(n)]->SetVisible(false);
        },
        [this](int) { NextQuestion(); });
}

} // namespace parlora
