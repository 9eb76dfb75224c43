#pragma once
// Which rows of a long list of names its picture holds. A list element scrolls over the whole list
// (the screens count its offset in pixels from the first row), but its picture holds at most
// kPageRows rows around those in sight: thousands of students cost one page of drawing and memory,
// and the picture stays far below the 65535-pixel height a picture may have. A list that fits in a
// page is drawn whole, as before.
#include <algorithm>
#include <string>
#include <vector>

namespace parlora {

class TDIBCanvas;

class TListPage {
  public:
    static constexpr int kPageRows = 100;
    // Below the last row an 18-pixel row height would cut the descenders of its name ("g", "y").
    static constexpr int kDescentRoom = 6;

    TListPage(int rowHeight, int visibleRows) : rowHeight_(rowHeight), visibleRows_(visibleRows) {}

    // Makes the page hold the rows in sight at `offset` and the one a scroll brings in, for a list
    // of `count` rows. True when the page moved or the list changed: the picture must be drawn again.
    bool Fit(int offset, int count) {
        const int top = std::max(0, offset / rowHeight_);
        const int end = std::min(count, top + visibleRows_ + 1);
        if (count == count_ && top >= first_ && end <= first_ + rows_) return false;
        count_ = count;
        rows_ = std::min(count, kPageRows);
        // The rows in sight go to the middle of the page, so a scroll either way runs a while on it.
        first_ = std::clamp(top - (kPageRows - visibleRows_) / 2, 0, count - rows_);
        return true;
    }
    int first() const { return first_; } // from 0
    int rows() const { return rows_; }
    // Where in the page's picture the list's `offset` falls.
    int PictureOffset(int offset) const { return offset - first_ * rowHeight_; }
    // Writes the page's rows of `names` on the page's picture, the chosen one (`selected`, from 1)
    // bold and red; the canvas brings its font.
    void DrawRows(TDIBCanvas& canvas, const std::vector<std::string>& names, int selected) const;

  private:
    int rowHeight_, visibleRows_;
    int first_ = 0, rows_ = 0, count_ = -1;
};

} // namespace parlora
