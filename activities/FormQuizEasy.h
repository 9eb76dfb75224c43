#pragma once
// The easy memory quiz: rounds of 2 to 10 cards dealt face up and named; then the dealer names all
// but one of them in random order and the learner clicks each. A point for each card found, one
// taken for each wrong click; 45 at most.
#include "activities/FormQuiz.h"

namespace parlora {

class TForm_QuizEasy : public TForm_Quiz {
  public:
    static constexpr int kGameKind = 5;
    static constexpr int kLastRound = 10;
    static constexpr int kBestScore = 45;

    explicit TForm_QuizEasy(TForm_Main& main);
    void Configure(int category);

  private:
    void DefineStates();
    void WaitUserExit(int tag);
};

} // namespace parlora
