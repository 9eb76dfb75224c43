#include "activities/FormColoursHard.h"

#include "activities/FormEasyGame.h"
#include "activities/ThemedHardLayout.h"
#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "shell/FormMain.h"
#include "shell/TextUtils.h"
#include "shell/WeightTable.h"

namespace parlora {
namespace {

namespace L = ThemedHardLayout;

constexpr int kTopic = 2;

const TKaStateDef kStates[] = {
    {"ShowPic", "", 0, 0, 500},
    {"Speak", "", katMouseAction},
    {"Wrong", "", katEndPlay},
    {"No", "Speak", katEndPlay, 0, 500},
    {"Right", "", katEndAnim},
    {"Click", "", katEndPlay},
    {"Yes", "", katEndPlay, 0, 500},
    {"IncScore", "", katEndPlay},
    {"Fly", "", katEndAnim},
    {"NextPic"},
    {"ShowScore", "", katEndAnim},
    {"SayScore", "", katEndPlay, 0, 1000},
    {"WellDone", "", katNext | katEndPlay},
    {"Finished"},
};

} // namespace

TForm_ColoursHard::TForm_ColoursHard(TForm_Main& main)
    : TForm_HardGame(main, "TForm_ColoursHard", THardGameTopic{kTopic, "CO", "Colours\\Hard", 24, 25}) {
    std::vector<ImageItemSpec> items{{"Background", "Interface\\Colours\\Hard\\ColHardBG.png"},
                                     {"Big", "", false, true},
                                     {"Camera", "", false}};
    for (int n = 1; n <= kColours; ++n) {
        items.push_back({Format("CButn%d", n), Format("Interface\\Colours\\Hard\\ColButs\\CButn%d.png", n)});
        items.push_back(
            {Format("Car%dA", n), Format("Interface\\Colours\\Hard\\Cars\\Car%dA.png", n), true, true});
    }
    std::vector<ElementSpec> elements;
    for (int n = 1; n <= kColours; ++n) {
        const auto [x, y] = L::kCarPlaces[size_t(n - 1)];
        elements.push_back({Format("DIBImage%d", n),
                            ElementKind::Image,
                            {x, y, L::kSmallCarW, L::kSmallCarH},
                            Format("Car%dA", n),
                            n,
                            efHidden | efStretch});
    }
    for (int n = 1; n <= kColours; ++n)
        elements.push_back({Format("DIBButton%d", n), ElementKind::ButtonStrip, L::ColourButton(n),
                            Format("CButn%d", n), n});
    elements.push_back({"DIBI_Big", ElementKind::Image, L::kBigCar, "Big", 0, efHidden | efStretch});
    elements.push_back(
        {"DIBI_Camera", ElementKind::Image, {0, 0, 120, 90}, "Camera", 0, efHidden | efAutoSize});
    Build(items, elements);
    BuildGameBase();
    // She asks alone.
    ShowSpeakers(kMale, false);
    StopActor(kMale);

    for (int n = 1; n <= kColours; ++n) {
        buttons_[size_t(n)] = &FindElement<TDIBButtonStrip>(container_, "DIBButton%d", n);
        buttons_[size_t(n)]->OnClick = [this](TCustomDIBControl& e) { DIBButtonClick(e.Tag); };
        cars_[size_t(n)] = &FindElement<TDIBImage>(container_, "DIBImage%d", n);
    }
    big_ = &Element<TDIBImage>("DIBI_Big");
    camera_ = &Element<TDIBImage>("DIBI_Camera");
    QuitButton().OnClick = [this](TCustomDIBControl&) { DIBButton_QuitClick(); };
    HelpButton().OnClick = [this](TCustomDIBControl&) { DIBButton_HelpClick(); };
    questionState_ = "Speak";
    DefineStates();
}

int TForm_ColoursHard::ItemAtPosition(int position) const {
    return position >= 1 && position <= kColours ? position : 0;
}

int TForm_ColoursHard::targetOf(int question) const {
    return question >= 1 && question <= kQuestions ? targets_[size_t(question)] : 0;
}

TCustomDIBControl& TForm_ColoursHard::AnswerElement(int position) {
    return *buttons_[size_t(position >= 1 && position <= kColours ? position : 1)];
}

void TForm_ColoursHard::SpeakerClicked(int speaker) {
    if (speaker == kFemale) DIBButton_PlayClick();
}

void TForm_ColoursHard::StartPools() {
    bigRect_ = big_->BoundsRect();
    std::string pool = TForm_EasyGame::FullPool(kColours, "");
    const bool quiz = main_.options().quiz;
    for (int q = 1; q <= kQuestions; ++q)
        targets_[size_t(q)] = main_.weights().WeightedChop(pool, kTopic, quiz, main_.random());
    // The two left over are not asked: their cars are parked already.
    for (int& colour : parked_) {
        colour = main_.weights().WeightedChop(pool, kTopic, quiz, main_.random());
        cars_[size_t(colour)]->SetVisible(true);
    }
}

void TForm_ColoursHard::LoadBig(const char* fmt, int colour) {
    bigPicture_ = Format(fmt, main_.folders().InterfaceDir.c_str(), colour);
    LoadPicture("Big", bigPicture_);
}

void TForm_ColoursHard::ShowPicEntry() {
    BeginQuestion(targetOf(question()), targetOf(question()));
    LoadBig("%s\\Colours\\Hard\\Cars\\Car%dB.png", targetItem_);
    big_->SetBounds(bigRect_.x, bigRect_.y, bigRect_.w, bigRect_.h);
    big_->SetVisible(true);
}

void TForm_ColoursHard::DefineStates() {
    KaStateList1.Define(kStates);
    BindScoreStates(kFemale);
    Bind("ShowPic", [this](int) { ShowPicEntry(); });
    Bind(
        "Speak",
        [this](int) {
            if (!PassThroughQuestion()) AskWord(kFemale);
        },
        [this](int tag) { SayWordExit(tag); });
    Bind(
        "Wrong", [this](int) { WrongEntry(true, kFemale); }, [this](int) { CrossImage().SetVisible(false); });
    Bind("No", [this](int) { NoEntry(kFemale); });
    Bind(
        "Right",
        [this](int) {
            MarkRight(true);
            LoadPicture("Camera", Format("%s\\Colours\\Hard\\Cameras\\Camera%d.png",
                                         main_.folders().InterfaceDir.c_str(), clicked_));
            Rect r = CentreOn(camera_->BoundsRect(), buttons_[size_t(clicked_)]->BoundsRect());
            camera_->SetBounds(r.x, r.y, r.w, r.h);
            camera_->BringToFront();
            camera_->SetVisible(true);
            anim_.AddAnimToImage(500, *camera_, *big_, false);
        },
        [this](int) { TickImage().SetVisible(false); });
    Bind("Click", [this](int) {
        SelectSoundFmt("%s\\common\\sounds\\camera.wav", main_.folders().InterfaceDir.c_str());
        PlaySelected();
        LoadBig("%s\\Colours\\Hard\\Cars\\Car%d.png", targetItem_);
    });
    Bind(
        "Yes", [this](int) { SayYes(kFemale); },
        [this](int) {
            camera_->SetVisible(false);
            StartIncrements();
        });
    Bind(
        "Fly",
        [this](int) {
            big_->BringToFront();
            anim_.AddAnimToImage(500, *big_, *cars_[size_t(targetItem_)], true);
        },
        [this](int) {
            cars_[size_t(targetItem_)]->SetVisible(true);
            big_->SetVisible(false);
        });
    Bind("NextPic", [this](int) {
        SetQuestion(question() + 1);
        if (question() <= kQuestions) KaStateList1.SetNextState("ShowPic");
    });
}

} // namespace parlora
