#pragma once
// The easy game of food: four foods appear in a row and are said, then change places; a speaker
// says one and the learner clicks it. A right answer opens the cupboard, the food flies onto its
// shelf and the doors close. At the end the ten foods drop one by one into a cauldron.
#include "activities/FormEasyGame.h"

#include <array>

namespace parlora {

class TDIBButtonStrip;
class TDIBImage;
class TDIBImageStrip;

class TForm_FoodEasy : public TForm_EasyGame {
  public:
    static constexpr int kPlaceTop = 174;
    static constexpr int kPlaceLefts[4] = {115, 338, 561, 784};

    explicit TForm_FoodEasy(TForm_Main& main);

    int ItemAtTag(int tag) const override;
    // The food element (1 to 4) showing `item`, or 0.
    int ElementOfItem(int item) const;
    // The food element standing at place 1 to 4 (the tag of that place's button).
    int ElementAtPlace(int place) const;
    int finaleStep() const { return step_; }

  protected:
    TCustomDIBControl& AnswerElement(int tag) override;

  private:
    void DefineStates();
    void ShowItem() override;
    void Shuffle() override;
    void RestoreItems();
    void ShowPot();
    void DropItem(int n);

    std::array<TDIBImage*, 5> items_{};
    std::array<TDIBButtonStrip*, 5> buttons_{};
    std::array<TDIBImage*, 11> shelves_{};
    std::array<TDIBImage*, 11> drops_{};
    std::array<Rect, 5> itemStart_{};
    TDIBImageStrip* doors_ = nullptr;
    TDIBImage* pot_ = nullptr;
    std::array<int, 5> shown_{}; // item per food element
};

} // namespace parlora
