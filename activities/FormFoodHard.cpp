#include "activities/FormFoodHard.h"

#include "core/Errors.h"
#include "core/PathResolver.h"
#include "core/ProfileFile.h"
#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "shell/FormMain.h"
#include "shell/TextUtils.h"
#include "shell/WeightTable.h"

#include <algorithm>

namespace parlora {
namespace {

const TKaStateDef kStates[] = {
    {"PauseAtStart", "", katTimer, 500},    {"StartQuestion"},
    {"SayWord", "", katMouseAction},        {"Wrong", "", katEndPlay},
    {"No", "SayWord", katEndPlay, 0, 500},  {"Right", "", katEndPlay, 0, 500},
    {"IncScore", "", katEndPlay},           {"Next"},
    {"ShowScore", "", katEndAnim},          {"SayScore", "", katEndPlay, 0, 1000},
    {"WellDone", "", katNext | katEndPlay}, {"Finished"},
};

constexpr const char* kScenePool = "0123456789";

int ItemCountOf(int topic) {
    return topic >= 0 && topic < int(TWeightTable::kItemCounts.size())
               ? TWeightTable::kItemCounts[size_t(topic)]
               : 0;
}

} // namespace

std::vector<TForm_FoodHard::TSceneButton> TForm_FoodHard::ReadScene(const ProfileText& file, int scene,
                                                                    int itemCount) {
    std::vector<TSceneButton> buttons;
    const std::string section = Format("Screen%d", scene);
    for (int n = 1; n <= kButtons; ++n) {
        std::string value = Trim(file.get(section, Format("Button%d", n), ""));
        if (value.empty()) break;
        TSceneButton b;
        b.left = TakeInt(value, ",", 0);
        b.top = TakeInt(value, ",", 0);
        b.item = TakeInt(value, ",", 0);
        if (b.item >= 1 && b.item <= std::min(itemCount, 99)) buttons.push_back(b);
    }
    return buttons;
}

TForm_FoodHard::TForm_FoodHard(TForm_Main& main)
    : TForm_HardGame(main, "TForm_FoodHard", THardGameTopic{1, "FD", "Food\\Hard", 22, 20}) {
    std::vector<ImageItemSpec> items{{"Background", "", false}, {"Button", "", false}};
    std::vector<ElementSpec> elements;
    for (int n = 1; n <= kButtons; ++n)
        elements.push_back({Format("DIBBS_%d", n),
                            ElementKind::ButtonStrip,
                            {0, 0, 60, 60},
                            "Button",
                            n,
                            efHidden | efAutoSize});
    Build(items, elements);
    BuildGameBase();
    // She asks alone.
    ShowSpeakers(kMale, false);
    StopActor(kMale);

    for (int n = 1; n <= kButtons; ++n) {
        buttons_[size_t(n)] = &FindElement<TDIBButtonStrip>(container_, "DIBBS_%d", n);
        buttons_[size_t(n)]->OnClick = [this](TCustomDIBControl& e) { KaStateList1.MouseAction(e.Tag); };
    }
    QuitButton().OnClick = [this](TCustomDIBControl&) { DIBButton_QuitClick(); };
    HelpButton().OnClick = [this](TCustomDIBControl&) { DIBButton_HelpClick(); };
    DefineStates();
}

void TForm_FoodHard::Configure(int topic, const std::string& folder, int returnScreen, int helpIndex,
                               const std::string& prefix) {
    topic_ = THardGameTopic{topic, prefix, folder, helpIndex, returnScreen};
    folder_ = folder;
    const std::string& interface = main_.folders().InterfaceDir;
    images_.LoadImageNamed("Background", "%s\\%s\\BG.png", interface.c_str(), folder_.c_str());
    images_.LoadImageNamed("Button", "%s\\%s\\Button.png", interface.c_str(), folder_.c_str());
}

void TForm_FoodHard::DefineStates() {
    KaStateList1.Define(kStates);
    BindScoreStates(kFemale);
    // A wrong button stays on the scene: no cross, no tick.
    BindAnswerStates(kFemale, kFemale, false);
    Bind("StartQuestion", [this](int) { StartQuestion(); });
    Bind("Right", nullptr, [this](int) { StartIncrements(); });
    Bind(
        "Next", [this](int) { HideButtons(); }, [this](int) { NextQuestion(); });
    Bind("ShowScore", [this](int) {
        HideButtons();
        images_.LoadImageNamed("Background", "%s\\%s\\BG.png", main_.folders().InterfaceDir.c_str(),
                               folder_.c_str());
        ShowEndScore(score());
    });
}

void TForm_FoodHard::StartPools() {
    scenePool_ = kScenePool;
    usable_.clear();
    scene_ = 0;
}

int TForm_FoodHard::ItemAtPosition(int position) const {
    return position >= 1 && position <= inUse_ ? items_[size_t(position)] : 0;
}

bool TForm_FoodHard::IsRightAnswer(int position) const {
    return ItemAtPosition(position) != 0 && ItemAtPosition(position) == targetItem_;
}

TCustomDIBControl& TForm_FoodHard::AnswerElement(int position) {
    return *buttons_[size_t(position >= 1 && position <= kButtons ? position : 1)];
}

void TForm_FoodHard::SpeakerClicked(int speaker) {
    if (speaker == kFemale) DIBButton_PlayClick();
}

std::vector<TForm_FoodHard::TSceneButton> TForm_FoodHard::DrawScene() {
    const ProfileText file = ProfileFile::Load(PathResolver::Resolve(
        Format("%s\\%s\\game.ini", main_.folders().InterfaceDir.c_str(), folder_.c_str())));
    const int itemCount = ItemCountOf(topic_.topic);
    for (;;) {
        if (scenePool_.empty()) {
            // Nothing can be asked on a scene without buttons.
            if (usable_.empty()) throw AppError("Bad WeightedChop!");
            // Some scenes have none: the others come again.
            for (int s : usable_)
                scenePool_ += char('0' + s - 1);
        }
        const int scene = TakeRandomInt(scenePool_, 1, main_.random()) + 1;
        std::vector<TSceneButton> buttons = ReadScene(file, scene, itemCount);
        if (buttons.empty()) {
            main_.DebugLogFmt("Scene %d of %s has no buttons", scene, folder_.c_str());
            continue;
        }
        if (std::find(usable_.begin(), usable_.end(), scene) == usable_.end()) usable_.push_back(scene);
        scene_ = scene;
        return buttons;
    }
}

void TForm_FoodHard::StartQuestion() {
    const std::vector<TSceneButton> scene = DrawScene();
    images_.LoadImageNamed("Background", "%s\\%s\\Screens\\BG%d.png", main_.folders().InterfaceDir.c_str(),
                           folder_.c_str(), scene_);
    items_.fill(0);
    inUse_ = int(scene.size());
    std::string candidates, all;
    for (int n = 1; n <= inUse_; ++n) {
        const TSceneButton& b = scene[size_t(n - 1)];
        TDIBButtonStrip& button = *buttons_[size_t(n)];
        // A button off the screen could never be pressed.
        button.SetLeft(std::clamp(b.left, 0, std::max(0, container_.Width() - button.Width())));
        button.SetTop(std::clamp(b.top, 0, std::max(0, container_.Height() - button.Height())));
        button.SetVisible(true);
        items_[size_t(n)] = b.item;
        const std::string code = Format("%.2d", b.item);
        all += code;
        bool askedBefore = false;
        for (int q = 1; q < question() && q <= kQuestions; ++q)
            askedBefore = askedBefore || asked_[size_t(q)] == b.item;
        if (!askedBefore) candidates += code;
    }
    if (candidates.empty()) candidates = all;
    const int item =
        main_.weights().WeightedChop(candidates, topic_.topic, main_.options().quiz, main_.random());
    int position = 1;
    while (position < inUse_ && items_[size_t(position)] != item)
        ++position;
    BeginQuestion(item, position);
}

void TForm_FoodHard::HideButtons() {
    for (int n = 1; n <= kButtons; ++n)
        buttons_[size_t(n)]->SetVisible(false);
}

} // namespace parlora
