#pragma once
// The print dialog, drawn in our own window: the system's printers with the default first, then
// "Save as PDF"; a page range when the document has several pages; OK and Cancel.
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
    static constexpr int kMaxRows = 6;
    static constexpr const char* kSaveAsPdf = "Save as PDF";

    // `pages` 0: no page options (a one-page document). `problem`: why no printer is listed.
    TPrintDialog(std::string title, std::vector<PrintDestination> printers, std::string problem, int pages,
                 std::string pdfFolder);
    void Paint(Surface& frame) override;
    void HandleInput(const InputEvent& e) override;

    bool accepted() const { return accepted_; }
    TPrintChoice choice() const;
    int selectedRow() const { return selected_; }
    int rowCount() const { return int(std::min<size_t>(printers_.size(), kMaxRows - 1)) + 1; }

    // Where things are, for scripts and tests (window pixels).
    static Rect Box();
    static Rect RowRect(int row);
    static Rect AllPagesRect();
    static Rect RangeRect();
    static Rect FromMinusRect();
    static Rect FromPlusRect();
    static Rect ToMinusRect();
    static Rect ToPlusRect();
    static Rect OkRect();
    static Rect CancelRect();

  private:
    void Build();
    void Select(int row);
    std::string RowText(int row) const;

    std::string title_;
    std::vector<PrintDestination> printers_;
    std::string problem_;
    int pages_;
    std::string pdfFolder_;
    int selected_ = 0;
    bool ranged_ = false;
    int first_ = 1, last_ = 1;
    bool accepted_ = false;
};

} // namespace parlora
