#pragma once
// The worksheets: one cell per word of a topic (picture, the word in the target and the source
// language, and the second written form where the target has one), ten cells to a page in two
// columns of five. Page numbers run on from topic to topic, so all topics make one workbook.
#include "printing/PageTemplate.h"

#include <array>
#include <memory>
#include <string>

namespace parlora {

class TForm_Main;
class TPrintService;
class TPrintCanvas;

struct TWorksheetRow {
    const char* className;
    int topic;
    const char* picturePath; // under InterfaceDir, ending with the file name prefix
    const char* prefix;      // of the word pictures
    int items;
    int firstPage;
    Rect cell;            // the picture's place in the first cell; empty: the template's
    const char* fileStem; // the saved PDF's name
};

const std::array<TWorksheetRow, 9>& Worksheets();

class TForm_Print : public TPageTemplate {
  public:
    static constexpr int kDesignWidth = 1107, kDesignHeight = 1570;
    static constexpr int kCellsPerPage = 10, kRows = 5;
    static constexpr const char* kJobTitle = "Lingwell Parlora!";

    TForm_Print(TForm_Main& main, const TWorksheetRow& row);

    const TWorksheetRow& row() const { return row_; }
    // The cells printed: the topic's items, fewer with a content filter.
    int Cells() const { return cells_; }
    int Pages() const { return PageCount(cells_, kCellsPerPage); }
    // Runs the dialog and prints; a completed print is recorded for the topic.
    bool Print(TPrintService& service);
    // The pages of cells first..last, the first numbered pageNumber; the layout is fitted already.
    void PrintCells(TPrintCanvas& canvas, int first, int last, int pageNumber);
    // The item a cell shows, after the filters' shift.
    int ItemForCell(int cell) const;

  protected:
    // The item of a cell before filtering's shift is applied: the cell itself, but shopping has
    // its own order.
    virtual int CellItem(int cell) const { return cell; }
    virtual void LoadCellPicture(int item);

  private:
    void PrintDecorations(TPrintCanvas& canvas, int pageNumber);
    void PlaceCell(int index);

    TForm_Main& main_;
    const TWorksheetRow& row_;
    int cells_;
    bool firstWordsFiltered_ = false;
    bool countriesFiltered_ = false;
    std::array<Rect, 6> saved_{};
    int columnStep_ = 0, rowStep_ = 0;
};

class TForm_ShoppingPrint : public TForm_Print {
  public:
    using TForm_Print::TForm_Print;

  protected:
    int CellItem(int cell) const override;
};

// The worksheet of topic 0..8.
std::unique_ptr<TForm_Print> MakeWorksheet(TForm_Main& main, int topic);

} // namespace parlora
