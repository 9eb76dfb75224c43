#pragma once
// The printed student records: every student's name, last use, total score and medals, 28 rows
// to a page under the languages' titles.
#include "printing/PageTemplate.h"

#include <array>
#include <string>
#include <vector>

namespace parlora {

class TForm_Main;
class TPrintCanvas;
class TPrintService;
struct TStudentEntry;

class TForm_RecordsPrint : public TPageTemplate {
  public:
    static constexpr int kDesignWidth = 1097, kDesignHeight = 1474;
    static constexpr int kRowsPerPage = 28;
    static constexpr const char* kJobTitle = "Parlora Student Records";

    explicit TForm_RecordsPrint(TForm_Main& main);

    // Runs the dialog and prints the list; nothing is recorded.
    bool Print(TPrintService& service, const std::vector<TStudentEntry>& students);
    // Students first..last (1-based) of the list; the layout is fitted already.
    void PrintRows(TPrintCanvas& canvas, const std::vector<TStudentEntry>& students, int first, int last);

  private:
    void PrintDecorations(TPrintCanvas& canvas);
    void PlaceRow(int index);

    TForm_Main& main_;
    std::array<int, 6> savedTops_{};
    int rowStep_ = 0;
};

} // namespace parlora
