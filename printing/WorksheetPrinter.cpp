#include "printing/WorksheetPrinter.h"

#include "shell/FormMain.h"

namespace parlora {

void TWorksheetPrinter::PrintTopic(TForm_Main& main, int topic) {
    main.DebugLogFmt("Worksheet of topic %d: printing is not available yet", topic);
}

} // namespace parlora
