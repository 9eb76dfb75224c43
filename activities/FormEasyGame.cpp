#include "activities/FormEasyGame.h"

#include "core/Errors.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "shell/FormMain.h"
#include "shell/TextUtils.h"

#include <cctype>

namespace parlora {

TForm_EasyGame::TForm_EasyGame(TForm_Main& main, std::string className, TEasyGameTopic topic)
    : TForm_Game(main, std::move(className)), topic_(std::move(topic)) {
    fullPool_ = FullPool(topic_.itemCount, topic_.excluded);
}

std::string TForm_EasyGame::FullPool(int itemCount, const std::string& excluded) {
    std::vector<int> items;
    // A group that is not a number leaves nothing out.
    for (size_t i = 0; i + 1 < excluded.size(); i += 2)
        if (std::isdigit((unsigned char)excluded[i]) && std::isdigit((unsigned char)excluded[i + 1]))
            items.push_back((excluded[i] - '0') * 10 + (excluded[i + 1] - '0'));
    return BuildItemList(itemCount, items);
}

int TForm_EasyGame::askedItem(int question) const {
    return question >= 1 && question <= kQuestions ? asked_[size_t(question)] : 0;
}

void TForm_EasyGame::Start() {
    container_.InvalidateAll();
    ShowStartSpeakers();
    KaStateList1.Start();
}

void TForm_EasyGame::DIBButton_HelpClick() {
    main_.ShowHelpPicture(topic_.help);
}

void TForm_EasyGame::RunStarted() {
    targetPool_ = fullPool_;
    asked_.fill(0);
    SetScore(0);
    SetQuestion(1);
}

void TForm_EasyGame::BindCommonStates(int answerSpeaker, int scoreSpeaker) {
    auto has = [this](const char* state) { return KaStateList1.States().Find(state) >= 0; };
    if (has("StartQuestion")) Bind("StartQuestion", [this](int) { StartQuestion(); });
    if (has("ShowItem"))
        Bind(
            "ShowItem", [this](int) { ShowItem(); },
            [this](int) {
                if (++step_ < 4) KaStateList1.SetNextState("ShowItem");
            });
    if (has("Shuffle"))
        Bind(
            "Shuffle", [this](int) { Shuffle(); }, [this](int) { PlayButton().SetEnabled(true); });
    if (has("SayWord"))
        Bind(
            "SayWord", [this](int) { SayWordEntry(); }, [this](int tag) { SayWordExit(tag); });
    if (has("Wrong"))
        Bind(
            "Wrong", [this, answerSpeaker](int) { WrongEntry(answerSpeaker); },
            [this](int) { CrossImage().SetVisible(false); });
    if (has("No")) Bind("No", [this, answerSpeaker](int) { NoEntry(answerSpeaker); });
    if (has("Right"))
        Bind(
            "Right", [this, answerSpeaker](int) { RightEntry(answerSpeaker); },
            [this](int) { TickImage().SetVisible(false); });
    BindScoreStates(scoreSpeaker);
}

void TForm_EasyGame::StartQuestion() {
    if (targetPool_.size() < 2) targetPool_ = fullPool_;
    distractorPool_ = fullPool_;
    TRandomStreams& random = main_.random();
    targetPosition_ = random.SharedRandom(4) + 1;
    targetItem_ = main_.weights().WeightedChop(targetPool_, topic_.topic, main_.options().quiz, random);
    recorded_ = false;
    RemoveItem(distractorPool_, targetItem_);
    step_ = 0;
    if (question() >= 1 && question() <= kQuestions) asked_[size_t(question())] = targetItem_;
}

int TForm_EasyGame::PresentedItem() {
    int s = step_ + 1;
    if (s == targetPosition_) return targetItem_;
    return TakeRandomInt(distractorPool_, 2, main_.random());
}

void TForm_EasyGame::SayWordEntry() {
    if (quitRequested_) {
        // Passing through to the score: the question's own moves would otherwise end the score
        // disc's wait the moment they finish.
        anim_.StopAnims();
        KaStateList1.ArmTriggers(0);
        return;
    }
    SayAndRemember(topic_.prefix, currentWord_, QuestionSpeaker());
}

void TForm_EasyGame::SayWordExit(int tag) {
    StopAllSounds();
    if (quitRequested_ || tag == kTagQuit) {
        KaStateList1.SetNextState("ShowScore");
    } else if (tag == kTagAgain) {
        KaStateList1.SetNextState("SayWord");
    } else if (tag == kTagMale || tag == kTagFemale) {
        // The other speaker than the one remembered is the one clicked.
        ResolveSpeaker(tag == kTagMale ? kFemale : kMale);
        KaStateList1.SetNextState("SayWord");
    } else {
        answered_ = true;
        clicked_ = tag;
        if (ItemAtTag(tag) == targetItem_) KaStateList1.SetNextState("Right");
    }
}

void TForm_EasyGame::WrongEntry(int wordCode) {
    if (!recorded_) {
        main_.weights().IncreaseWeight(topic_.topic, targetItem_);
        recorded_ = true;
    }
    ShowMark(CrossImage(), AnswerElement(clicked_));
    SayWord(topic_.prefix, ItemAtTag(clicked_), wordCode);
}

void TForm_EasyGame::RightEntry(int code) {
    if (!recorded_) {
        main_.weights().DecreaseWeight(topic_.topic, targetItem_);
        recorded_ = true;
    }
    PlayButton().SetEnabled(false);
    currentWord_ = 0;
    ShowMark(TickImage(), AnswerElement(clicked_));
    SayYes(code);
}

} // namespace parlora
