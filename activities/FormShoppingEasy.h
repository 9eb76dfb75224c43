#pragma once
// The easy game of shopping: four articles are shown and said, change places, and one is asked
// for; each article bought rides along the conveyor to its place, and at the end the till rings
// and all ten ride away.
#include "activities/FormEasyGame.h"

#include <array>

namespace parlora {

class TDIBImage;

class TForm_ShoppingEasy : public TForm_EasyGame {
  public:
    static constexpr int kPlaceTop = 151;
    // Conveyor place n (1 to 10), from the till end.
    static int PlaceLeft(int n) { return 867 - ((n - 1) * 620 + 4) / 9; }

    explicit TForm_ShoppingEasy(TForm_Main& main);

    int ItemAtTag(int tag) const override;
    int ArticleOfItem(int item) const;

  protected:
    TCustomDIBControl& AnswerElement(int tag) override;

  private:
    void DefineStates();
    void ShowItem() override;
    void Shuffle() override;
    void RestoreArticles();
    void RideIn(int place);

    std::array<TDIBImage*, 5> articles_{};
    std::array<Rect, 5> articleStart_{};
    std::array<TDIBImage*, 11> places_{};
    std::array<int, 5> shown_{};
    TDIBImage* drawer_ = nullptr;
};

} // namespace parlora
