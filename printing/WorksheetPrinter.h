#pragma once
// Prints a topic's worksheet. Worksheets are not built yet: printing reports success and prints
// nothing, so the topic menus already follow their whole printing sequence.
namespace parlora {

class TForm_Main;

class TWorksheetPrinter {
  public:
    // Topic 0..8; records the printing as the topic's activity 4 once worksheets exist.
    virtual ~TWorksheetPrinter() = default;
    virtual void PrintTopic(TForm_Main& main, int topic);
};

} // namespace parlora
