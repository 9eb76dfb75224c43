#include "activities/FormNumbersHard.h"

#include "activities/FormEasyGame.h"
#include "activities/ThemedHardLayout.h"
#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "display/DIBImageStrip.h"
#include "shell/FormMain.h"
#include "shell/TextUtils.h"
#include "shell/WeightTable.h"

namespace parlora {
namespace {

namespace L = ThemedHardLayout;

constexpr int kTopic = 5;

const TKaStateDef kStates[] = {
    {"PauseAtStart", "", katTimer, 500},
    {"StartQuestion", "", katEndPlay},
    {"SayWord", "", katMouseAction},
    {"ShowPrize", "", katEndPlay},
    {"Wrong", "", katEndPlay},
    {"No", "SayWord", katEndPlay, 0, 500},
    {"Right", "", katEndPlay, 0, 500},
    {"IncScore", "", katEndPlay},
    {"Next"},
    {"Pop", "", katEndPlay},
    {"ShowScore", "", katEndAnim},
    {"SayScore", "", katEndPlay, 0, 1000},
    {"WellDone", "", katNext | katEndPlay},
    {"Finished"},
};

} // namespace

TForm_NumbersHard::TForm_NumbersHard(TForm_Main& main)
    : TForm_HardGame(main, "TForm_NumbersHard", THardGameTopic{kTopic, "SC", "Numbers\\Hard", 29, 40}) {
    std::vector<ImageItemSpec> items{{"Background", "Interface\\Numbers\\Hard\\NumHardBG.png"},
                                     {"Spin", "Interface\\Numbers\\Hard\\spin.png", true, true},
                                     {"Bottle", "Interface\\Numbers\\Hard\\Bottle.png", true, true},
                                     {"Cork", "Interface\\Numbers\\Hard\\Cork.png", true, true}};
    for (int n = 1; n <= kQuestions; ++n)
        items.push_back(
            {Format("Prize%d", n), Format("Interface\\Numbers\\Hard\\Prizes\\Prize%d.png", n), true, true});
    std::vector<ElementSpec> elements;
    // Invisible areas over the numbers the background shows.
    for (int n = 1; n <= kNumbers; ++n)
        elements.push_back({Format("PaintBox%d", n), ElementKind::Image, L::NumberArea(n), "", n});
    for (int n = 1; n <= kQuestions; ++n)
        elements.push_back({Format("DIBI_Prize%d", n), ElementKind::Image, L::PrizeHome(n),
                            Format("Prize%d", n), 0, efHidden | efStretch});
    elements.push_back({"DIBIS_Spin", ElementKind::ImageStrip, L::kSpinner, "Spin", 0, efHidden, 2, 1});
    elements.push_back({"DIBI_Bottle", ElementKind::Image, L::kBottle, "Bottle", 0, efHidden | efStretch});
    elements.push_back({"DIBI_Cork", ElementKind::Image, L::kCork, "Cork", 0, efHidden | efStretch});
    Build(items, elements);
    BuildGameBase();

    for (int n = 1; n <= kNumbers; ++n) {
        areas_[size_t(n)] = &FindElement<TDIBImage>(container_, "PaintBox%d", n);
        areas_[size_t(n)]->OnClick = [this](TCustomDIBControl& e) { NumberClick(e.Tag); };
    }
    for (int n = 1; n <= kQuestions; ++n) {
        prizes_[size_t(n)] = &FindElement<TDIBImage>(container_, "DIBI_Prize%d", n);
        homes_[size_t(n)] = prizes_[size_t(n)]->BoundsRect();
    }
    spin_ = &Element<TDIBImageStrip>("DIBIS_Spin");
    bottle_ = &Element<TDIBImage>("DIBI_Bottle");
    cork_ = &Element<TDIBImage>("DIBI_Cork");
    QuitButton().OnClick = [this](TCustomDIBControl&) { DIBButton_QuitClick(); };
    HelpButton().OnClick = [this](TCustomDIBControl&) { DIBButton_HelpClick(); };
    DefineStates();
}

int TForm_NumbersHard::ItemAtPosition(int position) const {
    return position >= 1 && position <= kNumbers ? position : 0;
}

TCustomDIBControl& TForm_NumbersHard::AnswerElement(int position) {
    return *areas_[size_t(position >= 1 && position <= kNumbers ? position : 1)];
}

void TForm_NumbersHard::StartPools() {
    pool_ = TForm_EasyGame::FullPool(kNumbers, "");
}

void TForm_NumbersHard::StartQuestion() {
    if (pool_.empty()) StartPools();
    const int target = main_.weights().WeightedChop(pool_, kTopic, main_.options().quiz, main_.random());
    BeginQuestion(target, target);
    SelectSoundFmt("%s\\numbers\\hard\\spin.wav", main_.folders().InterfaceDir.c_str());
    PlaySelected();
    anim_.AddStripAnim(100, *spin_, 0, 1, true);
    spin_->SetVisible(true);
}

void TForm_NumbersHard::ShowPrize() {
    SelectSoundFmt("%s\\common\\sounds\\click.wav", main_.folders().InterfaceDir.c_str());
    PlaySelected();
    TDIBImage& prize = *prizes_[size_t(question())];
    const Rect area = areas_[size_t(clicked_)]->BoundsRect();
    prize.SetBounds(area.x + area.w / 2 - prize.Width() / 2, area.y + area.h - prize.Height(), prize.Width(),
                    prize.Height());
    prize.BringToFront();
    prize.SetVisible(true);
}

void TForm_NumbersHard::Pop() {
    SelectSoundFmt("%s\\numbers\\hard\\pop.wav", main_.folders().InterfaceDir.c_str());
    PlaySelected();
    bottle_->SetVisible(true);
    cork_->SetVisible(true);
    prizes_[size_t(kQuestions)]->SetVisible(false);
    anim_.AddSpriteAnim(250, *cork_, cork_->Left(), -cork_->Height());
    spin_->SetVisible(true);
}

void TForm_NumbersHard::DefineStates() {
    KaStateList1.Define(kStates);
    BindScoreStates(kOtherSpeaker);
    Bind(
        "StartQuestion", [this](int) { StartQuestion(); },
        [this](int) {
            anim_.StopAnims(spin_);
            spin_->SetVisible(false);
        });
    Bind(
        "SayWord",
        [this](int) {
            if (!PassThroughQuestion()) AskWord(kOtherSpeaker);
        },
        [this](int tag) {
            SayWordExit(tag);
            // The prize lands on the number first; it is judged when it stands.
            if (tag >= 1 && !quitRequested_) KaStateList1.SetNextState("ShowPrize");
        });
    Bind(
        "ShowPrize", [this](int) { ShowPrize(); },
        [this](int) {
            if (clicked_ == targetItem_) KaStateList1.SetNextState("Right");
        });
    Bind("Wrong", [this](int) { WrongEntry(false, kSameSpeaker); });
    Bind(
        "No", [this](int) { NoEntry(kSameSpeaker); },
        [this](int) { prizes_[size_t(question())]->SetVisible(false); });
    Bind(
        "Right", [this](int) { RightEntry(false, kSameSpeaker); },
        [this](int) {
            const Rect home = homes_[size_t(question())];
            anim_.AddSpriteAnim(500, *prizes_[size_t(question())], home.x, home.y);
            StartIncrements();
        });
    Bind("Next", {}, [this](int) { NextQuestion(); });
    Bind(
        "Pop", [this](int) { Pop(); },
        [this](int) {
            // The pop is shorter than the cork's flight: a flight still going must not end the
            // score disc's wait, so the cork is put where it was flying to.
            if (anim_.Animating(*cork_)) {
                anim_.StopAnims(cork_);
                cork_->SetTop(-cork_->Height());
            }
        });
}

} // namespace parlora
