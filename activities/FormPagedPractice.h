#pragma once
// Food and shopping practice: the items as pages of 18 picture buttons in two rows of nine,
// turned with Left and Right, with a line threading each row's buttons.
#include "activities/FormItemPractice.h"

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace parlora {

class TDIBButtonStrip;
class TDIBShape;

class TForm_PagedPractice : public TForm_ItemPractice {
  public:
    static constexpr int kPageSize = 18, kRowSize = 9;

    struct TPagedTopic {
        std::string className;
        TPracticeTopic topic;
        std::string background; // relative to the data folder
        // Full paths of an item's button and picture, from the interface folder.
        std::function<std::string(const std::string&interfaceDir, int item)> buttonPicture, itemPicture;
        std::vector<int> order; // display position -> item
    };

    TForm_PagedPractice(TForm_Main& main, TPagedTopic paged);

    void SequenceStep() override;
    // Button i (1..18) of the page.
    void DIBButtonClick(int i);
    void DIBButton_LeftClick();
    void DIBButton_RightClick();

    int page() const { return page_; }
    int itemCount() const { return int(paged_.order.size()); }
    // The item at display position `position` (from 1).
    int FileNumber(int position) const override { return paged_.order[size_t(position - 1)]; }
    TDIBButtonStrip& Button(int i) const { return *buttons_[size_t(i - 1)]; }
    TDIBShape& Line(int row) const { return row == 1 ? *line1_ : *line2_; }
    // Centre of an element on the screen.
    static std::pair<int, int> Centre(const TCustomDIBControl& e);

  protected:
    std::string PicturePath(int position) const override;

  private:
    void ShowPage(int first);
    void PlaceLines();

    TPagedTopic paged_;
    int page_ = 1;
    std::array<TDIBButtonStrip*, kPageSize> buttons_{};
    TDIBButtonStrip *left_ = nullptr, *right_ = nullptr;
    TDIBShape *line1_ = nullptr, *line2_ = nullptr;
};

class TForm_FoodPractice : public TForm_PagedPractice {
  public:
    explicit TForm_FoodPractice(TForm_Main& main);
};

class TForm_ShoppingPractice : public TForm_PagedPractice {
  public:
    explicit TForm_ShoppingPractice(TForm_Main& main);
    // Position 1 to 49 -> article.
    static const std::vector<int>& DisplayOrder();
};

} // namespace parlora
