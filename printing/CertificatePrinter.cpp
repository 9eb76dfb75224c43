#include "printing/CertificatePrinter.h"

#include "printing/FormCertificate.h"
#include "printing/PrintService.h"
#include "shell/FormMain.h"

namespace parlora {

void TCertificatePrinter::PrintCertificate(TForm_Main& main, int level, int score,
                                           const std::string& studentName) {
    TForm_Certificate form(main, level, score, studentName);
    TPrintService service(main);
    form.Print(service);
}

TCertificatePrinter::Maker& TCertificatePrinter::Instance() {
    static Maker maker = [] { return std::make_unique<TCertificatePrinter>(); };
    return maker;
}

} // namespace parlora
