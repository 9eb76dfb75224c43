#pragma once
// The system's printers: which there are, and handing them a finished PDF document.
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace parlora {

struct PrintDestination {
    std::string name;        // the queue name jobs are sent to
    std::string description; // what the learner sees (the queue's description, else its name)
    bool isDefault = false;
    bool stopped = false;   // paused or offline: a job would wait
    bool accepting = true;  // false: the queue refuses new jobs
    double pageWidthPt = 0; // the default paper in points; 0 when unknown
    double pageHeightPt = 0;
};

// A printer or the print service that failed; the message says which and why, in plain words.
class PrintQueueError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class IPrintQueue {
  public:
    virtual ~IPrintQueue() = default;
    // The printers, the default one first. `problem` is set when the service could not be asked
    // (not running) or has no printer; the list is then empty.
    virtual std::vector<PrintDestination> Destinations(std::string& problem) = 0;
    // Sends the PDF as one job titled `title`; returns the job id. Throws PrintQueueError.
    virtual int Submit(const std::string& destination, const std::string& pdfPath,
                       const std::string& title) = 0;
};

} // namespace parlora
