#pragma once
// The numbers hard game: a prize stall. While the spinner turns a number is drawn and said; the
// learner clicks it on the stall, where the question's prize lands. A wrong number loses the prize
// again; the right one sends it back to the shelf. After the tenth a bottle pops its cork.
#include "activities/FormHardGame.h"

#include <array>
#include <string>

namespace parlora {

class TDIBImage;
class TDIBImageStrip;

class TForm_NumbersHard : public TForm_HardGame {
  public:
    static constexpr int kNumbers = 20;

    explicit TForm_NumbersHard(TForm_Main& main);

    // The number areas answer with their own number.
    int ItemAtPosition(int position) const override;
    const std::string& targetPool() const { return pool_; }
    TDIBImage& Prize(int question) { return *prizes_[size_t(question)]; }
    // Where a prize stands when it is not on the stall.
    Rect PrizeHome(int question) const { return homes_[size_t(question)]; }
    TDIBImage& NumberArea(int n) { return *areas_[size_t(n)]; }
    TDIBImageStrip& Spinner() { return *spin_; }
    TDIBImage& Bottle() { return *bottle_; }
    TDIBImage& Cork() { return *cork_; }
    void NumberClick(int n) { KaStateList1.MouseAction(n); }

  protected:
    TCustomDIBControl& AnswerElement(int position) override;
    void StartPools() override;

  private:
    void DefineStates();
    void StartQuestion();
    void ShowPrize();
    void Pop();

    std::string pool_;
    std::array<TDIBImage*, kNumbers + 1> areas_{};
    std::array<TDIBImage*, kQuestions + 1> prizes_{};
    std::array<Rect, kQuestions + 1> homes_{};
    TDIBImageStrip* spin_ = nullptr;
    TDIBImage* bottle_ = nullptr;
    TDIBImage* cork_ = nullptr;
};

} // namespace parlora
