#pragma once
// Prints a student's award certificate through the shared print service.
#include <functional>
#include <memory>
#include <string>

namespace parlora {

class TForm_Main;

class TCertificatePrinter {
  public:
    virtual ~TCertificatePrinter() = default;
    // level 1..3 = bronze, silver, gold; prints or saves the certificate as PDF.
    virtual void PrintCertificate(TForm_Main& main, int level, int score, const std::string& studentName);
    using Maker = std::function<std::unique_ptr<TCertificatePrinter>()>;
    static Maker& Instance();
};

} // namespace parlora
