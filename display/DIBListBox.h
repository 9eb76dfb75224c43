#pragma once
// A list of text entries drawn by its owner: one entry is selected, a click selects and tells.
#include "display/DIBControl.h"
#include "display/MemoryDIB.h"

#include <functional>
#include <string>
#include <vector>

namespace parlora {

class TDIBListBox : public TCustomDIBControl {
  public:
    // Draws entry `index` into `rect` (element coordinates) of the canvas.
    using DrawItemEvent = std::function<void(TDIBCanvas& canvas, int index, const Rect& rect, bool selected)>;

    explicit TDIBListBox(TDIBContainer* owner);

    std::vector<std::string> Items;
    // Call after changing Items: keeps the selection in range and repaints.
    void ItemsChanged();
    int Count() const { return int(Items.size()); }

    // -1 = none. Setting it scrolls the entry into view.
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int pixels);
    int TopIndex() const { return topIndex_; }
    void SetTopIndex(int index);
    // The entry at element coordinates, or -1.
    int ItemAtPos(int x, int y) const;
    Rect ItemRect(int index) const;

    DrawItemEvent OnDrawItem;
    uint32_t Color = 0xFFFFFFFFu;

    void MouseDown(MouseButton b, int x, int y) override;
    // OnClick only when the press chose an entry.
    void Click() override;

  protected:
    void Draw(Surface& target, const Rect& clip, int ox, int oy) override;

  private:
    int VisibleCount() const;
    TMemoryDIB buffer_;
    int itemIndex_ = -1, topIndex_ = 0, itemHeight_ = 32;
    bool pressedOnItem_ = false;
};

} // namespace parlora
