#pragma once
// The printers of the CUPS server the environment names (CUPS_SERVER, client.conf, else local).
#include "platform/PrintQueue.h"

namespace parlora {

class CupsPrintQueue : public IPrintQueue {
  public:
    std::vector<PrintDestination> Destinations(std::string& problem) override;
    int Submit(const std::string& destination, const std::string& pdfPath, const std::string& title) override;
};

} // namespace parlora
