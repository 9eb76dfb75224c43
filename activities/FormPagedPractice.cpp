#include "activities/FormPagedPractice.h"

#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "display/DIBShape.h"
#include "shell/FormMain.h"

#include <algorithm>
#include <cstdlib>

namespace parlora {
namespace {

// Two rows of nine buttons across the top; Left opens the upper row, Right closes the lower one.
constexpr int kButtonW = 84, kButtonH = 76, kPitch = 92, kFirstX = 104;
constexpr int kRowY[2] = {60, 148};
constexpr Rect kLeft{24, 68, 60, 60};
constexpr Rect kRight{940, 156, 60, 60};
constexpr int kLineWidth = 4;
constexpr uint32_t kLineColour = 0xFF2C3E8Cu;

const TItemLayout& Layout() {
    static const TItemLayout layout{"DIBI_Pic",          {412, 234, 200, 150}, {362, 392, 300, 24},
                                    {362, 424, 300, 24}, {331, 450, 361, 49},  {362, 462, 300, 24}};
    return layout;
}

Rect ButtonRect(int i) {
    int row = (i - 1) / TForm_PagedPractice::kRowSize, column = (i - 1) % TForm_PagedPractice::kRowSize;
    return {kFirstX + column * kPitch, kRowY[row], kButtonW, kButtonH};
}

// The threads run behind the buttons they join.
class TLineShape : public TDIBShape {
  public:
    using TDIBShape::TDIBShape;
    bool PaintsLate() const override { return false; }
};

} // namespace

TForm_PagedPractice::TForm_PagedPractice(TForm_Main& main, TPagedTopic paged)
    : TForm_ItemPractice(main, paged.className, paged.topic), paged_(std::move(paged)) {
    std::vector<ImageItemSpec> items{{"Background", paged_.background}};
    for (ImageItemSpec& item : ItemImages())
        items.push_back(std::move(item));
    for (int i = 1; i <= kPageSize; ++i)
        items.push_back({Format("Button%d", i), "", false});
    items.push_back({"Left", "Interface\\Common\\Practice\\LeftBtn.png"});
    items.push_back({"Right", "Interface\\Common\\Practice\\RightBtn.png"});
    Build(items, {});

    for (const char* name : {"Shape_Line1", "Shape_Line2"}) {
        TDIBShape& line = container_.Create<TLineShape>(name);
        line.Shape = ShapeKind::Rectangle;
        line.PenWidth = 0;
        line.BrushColor = kLineColour;
        line.Changed();
        (line.Name == "Shape_Line1" ? line1_ : line2_) = &line;
    }
    std::vector<ElementSpec> elements;
    for (int i = 1; i <= kPageSize; ++i)
        elements.push_back(
            {Format("DIBButton%d", i), ElementKind::ButtonStrip, ButtonRect(i), Format("Button%d", i), i});
    elements.push_back({"DIBButton_Left", ElementKind::ButtonStrip, kLeft, "Left", 0, efHidden});
    elements.push_back({"DIBButton_Right", ElementKind::ButtonStrip, kRight, "Right", 0, efHidden});
    for (ElementSpec& e : ItemElements(Layout()))
        elements.push_back(std::move(e));
    ScreenLayout::Build(container_, &images_, elements);
    FinishBuild(Layout());

    for (int i = 1; i <= kPageSize; ++i) {
        TDIBButtonStrip& b = FindElement<TDIBButtonStrip>(container_, "DIBButton%d", i);
        b.OnClick = [this](TCustomDIBControl& sender) { DIBButtonClick(sender.Tag); };
        buttons_[size_t(i - 1)] = &b;
    }
    left_ = &Element<TDIBButtonStrip>("DIBButton_Left");
    right_ = &Element<TDIBButtonStrip>("DIBButton_Right");
    left_->OnClick = [this](TCustomDIBControl&) { DIBButton_LeftClick(); };
    right_->OnClick = [this](TCustomDIBControl&) { DIBButton_RightClick(); };
    ShowPage(1);
}

std::pair<int, int> TForm_PagedPractice::Centre(const TCustomDIBControl& e) {
    return {e.Left() + e.Width() / 2, e.Top() + e.Height() / 2};
}

void TForm_PagedPractice::ShowPage(int first) {
    page_ = first;
    const std::string& interfaceDir = main_.folders().InterfaceDir;
    for (int i = 1; i <= kPageSize; ++i) {
        int position = first + i - 1;
        TDIBButtonStrip& b = Button(i);
        if (position > itemCount()) {
            b.SetVisible(false);
            continue;
        }
        images_.LoadImageFile(images_.IndexOf(Format("Button%d", i)),
                              paged_.buttonPicture(interfaceDir, FileNumber(position)));
        b.SetVisible(true);
    }
    left_->SetVisible(first > 1);
    right_->SetVisible(first + kPageSize <= itemCount());
    PlaceLines();
}

void TForm_PagedPractice::PlaceLines() {
    auto from1 = left_->Visible() ? Centre(*left_) : Centre(Button(1));
    auto from2 = Centre(Button(kRowSize + 1));
    std::pair<int, int> to1, to2;
    if (right_->Visible()) {
        to1 = Centre(Button(kRowSize));
        to2 = Centre(*right_);
    } else {
        int last = std::min(kPageSize, itemCount() - page_ + 1);
        if (last <= kRowSize) {
            to1 = Centre(Button(last));
            to2 = from2;
        } else {
            to1 = Centre(Button(kRowSize));
            to2 = Centre(Button(last));
        }
    }
    auto place = [](TDIBShape& line, std::pair<int, int> a, std::pair<int, int> b) {
        int x = std::min(a.first, b.first), w = std::abs(b.first - a.first);
        int y = std::min(a.second, b.second) - kLineWidth / 2;
        int h = std::max(kLineWidth, std::abs(b.second - a.second));
        line.SetBounds(x, y, w, h);
        line.SetVisible(w > 0);
    };
    place(*line1_, from1, to1);
    place(*line2_, from2, to2);
}

void TForm_PagedPractice::DIBButtonClick(int i) {
    ChooseItem(page_ + i - 1);
}

void TForm_PagedPractice::DIBButton_LeftClick() {
    if (page_ > 1) ShowPage(page_ - kPageSize);
}

void TForm_PagedPractice::DIBButton_RightClick() {
    if (page_ + kPageSize <= itemCount()) ShowPage(page_ + kPageSize);
}

std::string TForm_PagedPractice::PicturePath(int position) const {
    return paged_.itemPicture(main_.folders().InterfaceDir, FileNumber(position));
}

void TForm_PagedPractice::SequenceStep() {
    int position = current_ % itemCount() + 1;
    int first = (position - 1) / kPageSize * kPageSize + 1;
    if (first != page_) ShowPage(first);
    PresentItem(position);
}

// ---- the two topics ----

namespace {

std::vector<int> Identity(int count) {
    std::vector<int> order;
    for (int i = 1; i <= count; ++i)
        order.push_back(i);
    return order;
}

} // namespace

TForm_FoodPractice::TForm_FoodPractice(TForm_Main& main)
    : TForm_PagedPractice(main, {"TForm_FoodPractice",
                                 {1, "FD", "FD", 11, 20, 0},
                                 "Interface\\Food\\Practice\\FoodPracBG.png",
                                 [](const std::string& dir, int item) {
                                     return Format("%s\\Food\\Practice\\FoodButs\\btn%d.png", dir.c_str(),
                                                   item);
                                 },
                                 [](const std::string& dir, int item) {
                                     return Format("%s\\Food\\Images\\FD%d.png", dir.c_str(), item);
                                 },
                                 Identity(41)}) {}

const std::vector<int>& TForm_ShoppingPractice::DisplayOrder() {
    static const std::vector<int> order{2,  4,  5,  6,  7,  8,  9,  12, 13, 14, 18, 32, 20, 19, 31, 30, 21,
                                        22, 28, 29, 11, 46, 24, 47, 39, 49, 35, 40, 37, 33, 41, 34, 27, 17,
                                        48, 10, 15, 1,  3,  25, 23, 26, 16, 43, 44, 45, 36, 42, 38};
    return order;
}

TForm_ShoppingPractice::TForm_ShoppingPractice(TForm_Main& main)
    : TForm_PagedPractice(main, {"TForm_ShoppingPractice",
                                 {7, "SH", "SH", 17, 50, 0},
                                 "Interface\\Shopping\\Practice\\ShopPracBG.png",
                                 [](const std::string& dir, int item) {
                                     return Format("%s\\Shopping\\Practice\\ShopButs\\%d.png", dir.c_str(),
                                                   item);
                                 },
                                 [](const std::string& dir, int item) {
                                     return Format("%s\\Shopping\\Images\\%d.png", dir.c_str(), item);
                                 },
                                 DisplayOrder()}) {}

} // namespace parlora
