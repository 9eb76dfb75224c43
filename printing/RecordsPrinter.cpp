#include "printing/RecordsPrinter.h"

#include "printing/FormRecordsPrint.h"
#include "printing/PrintService.h"
#include "shell/FormMain.h"

namespace parlora {

void TRecordsPrinter::PrintRecords(TForm_Main& main) {
    TRecordsStore* records = main.records();
    if (!records) return;
    // A copy: the list must not change under the pages while the dialog runs.
    std::vector<TStudentEntry> students = records->students();
    TForm_RecordsPrint form(main);
    TPrintService service(main);
    form.Print(service, students);
}

TRecordsPrinter::Maker& TRecordsPrinter::Instance() {
    static Maker maker = [] { return std::make_unique<TRecordsPrinter>(); };
    return maker;
}

} // namespace parlora
