#include "display/DIBListBox.h"

#include <algorithm>

namespace parlora {

TDIBListBox::TDIBListBox(TDIBContainer* owner) : TCustomDIBControl(owner) {}

void TDIBListBox::ItemsChanged() {
    if (itemIndex_ >= Count()) itemIndex_ = -1;
    topIndex_ = std::clamp(topIndex_, 0, std::max(0, Count() - 1));
    Invalidate();
}

int TDIBListBox::VisibleCount() const {
    return std::max(1, Height() / itemHeight_);
}

void TDIBListBox::SetItemIndex(int index) {
    if (index < -1 || index >= Count()) index = -1;
    if (index == itemIndex_) return;
    itemIndex_ = index;
    if (index >= 0) {
        if (index < topIndex_)
            topIndex_ = index;
        else if (index >= topIndex_ + VisibleCount())
            topIndex_ = index - VisibleCount() + 1;
    }
    Invalidate();
}

void TDIBListBox::SetItemHeight(int pixels) {
    itemHeight_ = std::max(1, pixels);
    Invalidate();
}

void TDIBListBox::SetTopIndex(int index) {
    index = std::clamp(index, 0, std::max(0, Count() - 1));
    if (index == topIndex_) return;
    topIndex_ = index;
    Invalidate();
}

int TDIBListBox::ItemAtPos(int x, int y) const {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return -1;
    int index = topIndex_ + y / itemHeight_;
    return index < Count() ? index : -1;
}

Rect TDIBListBox::ItemRect(int index) const {
    return {0, (index - topIndex_) * itemHeight_, Width(), itemHeight_};
}

void TDIBListBox::MouseDown(MouseButton b, int x, int y) {
    TCustomDIBControl::MouseDown(b, x, y);
    pressedOnItem_ = false;
    if (b != MouseButton::Left) return;
    int index = ItemAtPos(x, y);
    if (index < 0) return;
    pressedOnItem_ = true;
    SetItemIndex(index);
}

void TDIBListBox::Click() {
    if (pressedOnItem_) TCustomDIBControl::Click();
    pressedOnItem_ = false;
}

void TDIBListBox::Draw(Surface& target, const Rect& clip, int ox, int oy) {
    if (buffer_.Width() != Width() || buffer_.Height() != Height()) buffer_.SetSize(Width(), Height());
    TDIBCanvas& canvas = buffer_.Canvas();
    canvas.Brush = BrushStyle::Solid;
    canvas.BrushColor = Color;
    canvas.FillRect({0, 0, Width(), Height()});
    for (int index = topIndex_; index < Count(); ++index) {
        Rect r = ItemRect(index);
        if (r.y >= Height()) break;
        bool selected = index == itemIndex_;
        if (OnDrawItem) {
            OnDrawItem(canvas, index, r, selected);
            continue;
        }
        canvas.Brush = BrushStyle::Solid;
        canvas.BrushColor = selected ? 0xFF000080u : Color;
        canvas.FillRect(r);
        canvas.Brush = BrushStyle::Clear;
        canvas.FontColor = selected ? 0xFFFFFFFFu : 0xFF000000u;
        TextSize size = canvas.TextExtent(Items[size_t(index)]);
        canvas.TextOut(r.x + 2, r.y + (r.h - size.height) / 2, Items[size_t(index)]);
    }
    // `clip` is in target coordinates; the buffer's origin sits at (ox, oy).
    target.copyFrom(buffer_.Pixels(), {clip.x - ox, clip.y - oy, clip.w, clip.h}, clip.x, clip.y);
}

} // namespace parlora
