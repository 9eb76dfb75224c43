#include "printing/WorksheetPrinter.h"

#include "printing/FormPrint.h"
#include "printing/PrintService.h"
#include "shell/FormMain.h"

namespace parlora {

void TWorksheetPrinter::PrintTopic(TForm_Main& main, int topic) {
    std::unique_ptr<TForm_Print> sheet = MakeWorksheet(main, topic);
    TPrintService service(main);
    sheet->Print(service);
}

} // namespace parlora
