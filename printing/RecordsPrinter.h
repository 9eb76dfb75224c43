#pragma once
// Prints the student records list through the shared print service.
#include <functional>
#include <memory>

namespace parlora {

class TForm_Main;

class TRecordsPrinter {
  public:
    virtual ~TRecordsPrinter() = default;
    // Prints the records of every student of the current records store (28 rows a page).
    virtual void PrintRecords(TForm_Main& main);
    using Maker = std::function<std::unique_ptr<TRecordsPrinter>()>;
    static Maker& Instance(); // tests replace it
};

} // namespace parlora
