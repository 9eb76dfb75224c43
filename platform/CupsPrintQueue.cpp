#include "platform/CupsPrintQueue.h"

#include "platform/Translation.h"

#include <cups/cups.h>

#include <algorithm>
#include <cstring>

namespace parlora {
namespace {

constexpr int kConnectTimeoutMs = 5000;

// libcups keeps the server per thread once asked; forget it so that a changed CUPS_SERVER (a
// restarted private server, another session) is read again.
http_t* Connect() {
    cupsSetServer(nullptr);
    return httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, kConnectTimeoutMs,
                        nullptr);
}

std::string Option(const cups_dest_t& d, const char* name) {
    const char* v = cupsGetOption(name, d.num_options, d.options);
    return v ? std::string(v) : std::string();
}

} // namespace

std::vector<PrintDestination> CupsPrintQueue::Destinations(std::string& problem) {
    problem.clear();
    std::vector<PrintDestination> out;
    http_t* http = Connect();
    if (!http) {
        problem = Tr("The printing service (CUPS) is not running.");
        return out;
    }
    cups_dest_t* dests = nullptr;
    int n = cupsGetDests2(http, &dests);
    // "Not found" is the server's way of saying it has no queue at all.
    if (n == 0 && cupsLastError() > IPP_STATUS_OK_CONFLICTING &&
        cupsLastError() != IPP_STATUS_ERROR_NOT_FOUND) {
        problem = std::string(Tr("The printing service did not answer:")) + " " + cupsLastErrorString();
        httpClose(http);
        return out;
    }
    for (int i = 0; i < n; ++i) {
        cups_dest_t& d = dests[i];
        if (d.instance) continue; // instances are option sets of a queue already listed
        PrintDestination p;
        p.name = d.name;
        p.description = Option(d, "printer-info");
        if (p.description.empty()) p.description = p.name;
        p.isDefault = d.is_default != 0;
        p.stopped = Option(d, "printer-state") == "5";
        p.accepting = Option(d, "printer-is-accepting-jobs") != "false";
        cups_size_t size{};
        if (cups_dinfo_t* info = cupsCopyDestInfo(http, &d)) {
            if (cupsGetDestMediaDefault(http, &d, info, 0, &size)) {
                // Sizes come in hundredths of millimetres.
                p.pageWidthPt = size.width * 72.0 / 2540.0;
                p.pageHeightPt = size.length * 72.0 / 2540.0;
            }
            cupsFreeDestInfo(info);
        }
        out.push_back(std::move(p));
    }
    cupsFreeDests(n, dests);
    httpClose(http);
    std::stable_sort(out.begin(), out.end(), [](const PrintDestination& a, const PrintDestination& b) {
        return a.isDefault && !b.isDefault;
    });
    if (out.empty()) problem = Tr("No printer is set up.");
    return out;
}

int CupsPrintQueue::Submit(const std::string& destination, const std::string& pdfPath,
                           const std::string& title) {
    http_t* http = Connect();
    if (!http) throw PrintQueueError("The printing service (CUPS) is not running.");
    cups_option_t* options = nullptr;
    int count = cupsAddOption("document-format", "application/pdf", 0, &options);
    int job = cupsPrintFile2(http, destination.c_str(), pdfPath.c_str(), title.c_str(), count, options);
    std::string why = cupsLastErrorString();
    ipp_status_t status = cupsLastError();
    cupsFreeOptions(count, options);
    httpClose(http);
    if (job > 0) return job;
    if (status == IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS)
        throw PrintQueueError("The printer \"" + destination + "\" is not accepting jobs.");
    if (status == IPP_STATUS_ERROR_NOT_FOUND)
        throw PrintQueueError("The printer \"" + destination + "\" no longer exists.");
    throw PrintQueueError("The printer \"" + destination + "\" refused the job: " + why);
}

} // namespace parlora
