#pragma once
// The easy game of colours: four paint pots appear and their colours are said; they change places,
// a speaker asks for one, and the brush that dips into the right pot paints the car.
#include "activities/FormEasyGame.h"

#include <array>

namespace parlora {

class TDIBImage;

class TForm_ColoursEasy : public TForm_EasyGame {
  public:
    explicit TForm_ColoursEasy(TForm_Main& main);

    int ItemAtTag(int tag) const override;
    // The pot (1 to 4) showing `item`, or 0.
    int PotOfItem(int item) const;

  protected:
    TCustomDIBControl& AnswerElement(int tag) override;

  private:
    void DefineStates();
    void ShowItem() override;
    void Shuffle() override;
    // Puts the brush so that its bottom right corner is at (x, y).
    void BrushTo(int x, int y, int moveMs);
    void RestorePots();

    std::array<TDIBImage*, 5> pots_{};
    std::array<Rect, 5> potStart_{};
    std::array<int, 5> shown_{}; // item per pot
    TDIBImage* car_ = nullptr;
    TDIBImage* brush_ = nullptr;
};

} // namespace parlora
