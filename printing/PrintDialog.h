#pragma once
// The print dialog, drawn in our own window: the system's printers with the default first, then
// "Save as PDF"; a page range when the document has several pages; OK and Cancel. More rows than
// fit scroll: a scroll bar, the mouse wheel and the keys reach every one.
#include "platform/PrintQueue.h"
#include "shell/ModalDialog.h"

#include <algorithm>
#include <string>
#include <vector>

namespace parlora {

struct TPrintChoice {
    bool savePdf = false;
    PrintDestination printer; // when not saving as PDF
    bool ranged = false;      // the learner chose a page range
    int first = 1, last = 1;
};

class TPrintDialog : public TModalDialog {
  public:
    // Rows shown at once; the list scrolls through the rest.
    static constexpr int kMaxRows = 6;
    static constexpr const char* kSaveAsPdf = "Save as PDF";

    // `pages` 0: no page options (a one-page document). `problem`: why no printer is listed.
    TPrintDialog(std::string title, std::vector<PrintDestination> printers, std::string problem, int pages,
                 std::string pdfFolder);
    void Paint(Surface& frame) override;
    void HandleInput(const InputEvent& e) override;

    bool accepted() const { return accepted_; }
    TPrintChoice choice() const;
    // Rows count from the first printer; the last is "Save as PDF".
    int selectedRow() const { return selected_; }
    int rowCount() const { return int(printers_.size()) + 1; }
    int visibleRows() const { return std::min(rowCount(), kMaxRows); }
    // The row shown first, and whether there are more rows than fit.
    int topRow() const { return top_; }
    bool scrolls() const { return rowCount() > kMaxRows; }
    // The texts drawn, top to bottom, for scripts and tests.
    std::vector<std::string> Texts() const;

    // Where things are, for scripts and tests (window pixels). RowRect(n) is the n-th row shown.
    static Rect Box();
    static Rect RowRect(int shownRow);
    static Rect ScrollUpRect();
    static Rect ScrollDownRect();
    static Rect ScrollTrackRect();
    static Rect AllPagesRect();
    static Rect RangeRect();
    static Rect FromMinusRect();
    static Rect FromPlusRect();
    static Rect ToMinusRect();
    static Rect ToPlusRect();
    static Rect OkRect();
    static Rect CancelRect();
    // The scroll bar's thumb where the list stands now.
    Rect ThumbRect() const;

  private:
    void Build();
    void Select(int row);
    void ScrollTo(int top);
    void DragThumb(int y);
    std::string RowText(int row) const;
    std::string ProblemText() const;
    Rect ShownRowRect(int shownRow) const;

    std::string title_;
    std::vector<PrintDestination> printers_;
    std::string problem_;
    int pages_;
    std::string pdfFolder_;
    int selected_ = 0;
    int top_ = 0;
    int dragFrom_ = -1; // the pointer's offset into the thumb while it is dragged
    bool ranged_ = false;
    int first_ = 1, last_ = 1;
    bool accepted_ = false;
};

} // namespace parlora
