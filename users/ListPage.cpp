#include "users/ListPage.h"

#include "display/MemoryDIB.h"

namespace parlora {

void TListPage::DrawRows(TDIBCanvas& canvas, const std::vector<std::string>& names, int selected) const {
    canvas.Brush = BrushStyle::Clear;
    for (int i = first_; i < first_ + rows_ && i < int(names.size()); ++i) {
        const bool chosen = i + 1 == selected;
        canvas.Font.bold = chosen;
        canvas.FontColor = chosen ? 0xFFFF0000u : 0xFF000000u;
        canvas.TextOut(0, (i - first_) * rowHeight_, names[size_t(i)]);
    }
}

} // namespace parlora
