#include "activities/FormHardGame.h"

#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "shell/FormMain.h"
#include "shell/TextUtils.h"

namespace parlora {

TForm_HardGame::TForm_HardGame(TForm_Main& main, std::string className, THardGameTopic topic)
    : TForm_Game(main, std::move(className)), topic_(std::move(topic)) {}

int TForm_HardGame::askedItem(int question) const {
    return question >= 1 && question <= kQuestions ? asked_[size_t(question)] : 0;
}

void TForm_HardGame::Start() {
    container_.InvalidateAll();
    ShowStartSpeakers();
    KaStateList1.Start();
}

void TForm_HardGame::DIBButton_HelpClick() {
    main_.ShowHelpPicture(topic_.help);
}

void TForm_HardGame::RunStarted() {
    asked_.fill(0);
    SetScore(0);
    SetQuestion(1);
    StartPools();
}

void TForm_HardGame::BindAnswerStates(int askSpeaker, int answerSpeaker, bool withMarks) {
    Bind(
        questionState_,
        [this, askSpeaker](int) {
            if (!PassThroughQuestion()) AskWord(askSpeaker);
        },
        [this](int tag) { SayWordExit(tag); });
    Bind("Wrong", [this, answerSpeaker, withMarks](int) { WrongEntry(withMarks, answerSpeaker); });
    Bind("No", [this, answerSpeaker](int) { NoEntry(answerSpeaker); });
    Bind("Right", [this, answerSpeaker, withMarks](int) { RightEntry(withMarks, answerSpeaker); });
    if (!withMarks) return;
    Bind("Wrong", nullptr, [this](int) { CrossImage().SetVisible(false); });
    Bind("Right", nullptr, [this](int) { TickImage().SetVisible(false); });
}

void TForm_HardGame::BeginQuestion(int item, int position) {
    targetItem_ = item;
    targetPosition_ = position;
    recorded_ = false;
    if (question() >= 1 && question() <= kQuestions) asked_[size_t(question())] = item;
}

bool TForm_HardGame::PassThroughQuestion() {
    if (!quitRequested_) return false;
    KaStateList1.ArmTriggers(0);
    return true;
}

void TForm_HardGame::AskWord(int speaker) {
    currentWord_ = targetItem_;
    PlayButton().SetEnabled(true);
    SayAndRemember(topic_.prefix, targetItem_, speaker);
}

void TForm_HardGame::SayWordExit(int tag) {
    StopAllSounds();
    if (quitRequested_ || tag == kTagQuit) {
        KaStateList1.SetNextState("ShowScore");
    } else if (tag == kTagAgain) {
        KaStateList1.SetNextState(questionState_);
    } else if (tag == kTagMale || tag == kTagFemale) {
        // Remembering the other one makes "the other speaker" the one clicked.
        ResolveSpeaker(tag == kTagMale ? kFemale : kMale);
        KaStateList1.SetNextState(questionState_);
    } else {
        answered_ = true;
        clicked_ = tag;
        if (IsRightAnswer(tag)) KaStateList1.SetNextState("Right");
    }
}

void TForm_HardGame::WrongEntry(bool withCross, int wordCode) {
    if (!recorded_) {
        main_.weights().IncreaseWeight(topic_.topic, targetItem_);
        recorded_ = true;
    }
    if (withCross) ShowMark(CrossImage(), AnswerElement(clicked_));
    SayWord(topic_.prefix, ItemAtPosition(clicked_), wordCode);
}

void TForm_HardGame::RightEntry(bool withTick, int code) {
    MarkRight(withTick);
    SayYes(code);
}

void TForm_HardGame::MarkRight(bool withTick) {
    if (!recorded_) {
        main_.weights().DecreaseWeight(topic_.topic, targetItem_);
        recorded_ = true;
    }
    PlayButton().SetEnabled(false);
    currentWord_ = 0;
    if (withTick) ShowMark(TickImage(), AnswerElement(clicked_));
}

} // namespace parlora
