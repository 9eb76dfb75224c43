#pragma once
// The easy game of numbers: four number cards are shown and said, spun round, and one is asked
// for. Every point is a coin: five stand on the right card and move one by one onto the heaps, a
// wrong click takes coins away one at a time, and at the end the coins are locked in a safe.
#include "activities/FormEasyGame.h"

#include <array>

namespace parlora {

class TDIBImage;
class TDIBImageStrip;

class TForm_NumbersEasy : public TForm_EasyGame {
  public:
    static constexpr int kCoins = 50;

    explicit TForm_NumbersEasy(TForm_Main& main);

    int ItemAtTag(int tag) const override;
    int CardOfItem(int item) const;
    TDIBImage& Coin(int k) { return *coins_[size_t(k)]; }
    int VisibleCoins() const;
    // The points a wrong click is still taking away.
    int pointsToLose() const { return lose_; }

  protected:
    TCustomDIBControl& AnswerElement(int tag) override;

  private:
    void DefineStates();
    void ShowItem() override;
    void Shuffle() override;
    void RestoreCards();
    void PlaceCoin(TDIBImage& coin, const TCustomDIBControl& on, int raise, int shift);
    void NoExit();
    // Makes `change` and blends into it over `ms`, as the screen's own 500 ms cross-fade does.
    void BlendFor(int ms, const std::function<void()>& change);

    std::array<TDIBImage*, 5> cards_{};
    std::array<Rect, 5> cardStart_{};
    std::array<TDIBImage*, 6> heaps_{};
    std::array<TDIBImage*, kCoins + 1> coins_{};
    std::array<int, 5> shown_{};
    TDIBImageStrip* safe_ = nullptr;
    TDIBImageStrip* spin_ = nullptr;
    int lose_ = 0;
};

} // namespace parlora
