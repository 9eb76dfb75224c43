#pragma once
// Prints a topic's worksheet: the print dialog, then the pages to the printer or a saved PDF.
namespace parlora {

class TForm_Main;

class TWorksheetPrinter {
  public:
    virtual ~TWorksheetPrinter() = default;
    // Topic 0..8; a completed print is recorded as the topic's activity 4.
    virtual void PrintTopic(TForm_Main& main, int topic);
};

} // namespace parlora
