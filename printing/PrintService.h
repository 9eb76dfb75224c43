#pragma once
// The one way the course prints: the print dialog, the document drawn page by page into a PDF,
// then either sent to the chosen printer or saved in the documents folder ("Save as PDF").
#include "platform/PrintQueue.h"
#include "printing/PrintCanvas.h"
#include "printing/PrintDialog.h"

#include <functional>
#include <memory>
#include <string>

namespace parlora {

class TForm_Main;

struct TPrintRequest {
    std::string title;    // the document and job title
    std::string fileStem; // "Food worksheet": saved as "<stem> <date>.pdf"
    int pages = 1;        // the range offered is 1..pages; 0 for no page options
};

class TPrintService {
  public:
    // The system's printers; tests and other platforms put in their own.
    using QueueMaker = std::function<std::unique_ptr<IPrintQueue>()>;
    static QueueMaker& Queue();
    // The paper when the printer does not say: A4.
    static constexpr double kDefaultWidthPt = 595.276, kDefaultHeightPt = 841.89;

    explicit TPrintService(TForm_Main& main) : main_(main) {}

    using Drawer = std::function<void(TPrintCanvas&, const TPrintChoice&)>;
    // Runs the dialog and prints. True when the document went to the printer or was saved; false
    // when cancelled or when the printer failed (the learner has then been told). Errors of the
    // drawing itself (a missing picture) abort the job and go on to the caller.
    bool Print(const TPrintRequest& request, const Drawer& draw);

    // Where the last "Save as PDF" wrote, the message that said so, and the last printer job.
    const std::string& savedPdf() const { return savedPdf_; }
    const std::string& savedMessage() const { return savedMessage_; }
    int lastJob() const { return lastJob_; }

    // "<folder>/<stem>.pdf", or with " (2)", " (3)"... the first name not taken.
    static std::string FreePdfName(const std::string& folder, const std::string& stem, int attempt);

  private:
    void Report(const std::string& why);
    void SavePdf(const std::string& tempPath, const std::string& folder, const std::string& stem);

    TForm_Main& main_;
    std::string savedPdf_;
    std::string savedMessage_;
    int lastJob_ = 0;
};

} // namespace parlora
