#include "printing/PrintService.h"

#include "core/Errors.h"
#include "core/StringUtil.h"
#include "platform/CupsPrintQueue.h"
#include "platform/Translation.h"
#include "platform/XdgFolders.h"
#include "shell/FormMain.h"
#include "shell/SavedFileNotice.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace parlora {
namespace {

// Shows the hourglass while the document is made, and always puts the arrow back.
struct BusyCursor {
    IDisplay& display;
    explicit BusyCursor(IDisplay& d) : display(d) { display.setCursor(CursorKind::Hourglass); }
    ~BusyCursor() { display.setCursor(CursorKind::Arrow); }
};

// A file name keeps the learner's text but not the folder separator or control characters.
std::string SafeFileText(const std::string& s) {
    std::string out;
    for (char c : s)
        out += (c == '/' || (unsigned char)c < 0x20) ? '-' : c;
    return out;
}

std::string TempPdfPath(const std::string& folder) {
    std::string tmpl = folder + "/.parlora-print-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    int fd = ::mkstemp(buf.data());
    if (fd < 0) throw AppError("Can't make a file in " + folder + ": " + std::strerror(errno));
    ::close(fd);
    return std::string(buf.data());
}

} // namespace

TPrintService::QueueMaker& TPrintService::Queue() {
    static QueueMaker maker = [] { return std::make_unique<CupsPrintQueue>(); };
    return maker;
}

std::string TPrintService::FreePdfName(const std::string& folder, const std::string& stem, int attempt) {
    if (attempt <= 1) return folder + "/" + stem + ".pdf";
    return Format("%s/%s (%d).pdf", folder.c_str(), stem.c_str(), attempt);
}

void TPrintService::Report(const std::string& why) {
    main_.ShowAppMessage(Format(Tr("Printer Error: %s"), why.c_str()), MsgKind::Error, 0, {MsgButton::OK});
}

void TPrintService::SavePdf(const std::string& tempPath, const std::string& folder, const std::string& stem) {
    // link() never replaces an existing file, so a name another program took meanwhile is skipped.
    for (int attempt = 1; attempt < 1000; ++attempt) {
        std::string name = FreePdfName(folder, stem, attempt);
        if (::link(tempPath.c_str(), name.c_str()) == 0) {
            ::unlink(tempPath.c_str());
            savedPdf_ = name;
            return;
        }
        if (errno != EEXIST) throw AppError("Can't save " + name + ": " + std::strerror(errno));
    }
    throw AppError("Can't save " + stem + ".pdf in " + folder + ": too many copies");
}

bool TPrintService::Print(const TPrintRequest& request, const Drawer& draw) {
    savedPdf_.clear();
    savedMessage_.clear();
    lastJob_ = 0;
    std::unique_ptr<IPrintQueue> queue = Queue()();
    std::string problem;
    std::vector<PrintDestination> printers;
    try {
        printers = queue->Destinations(problem);
    } catch (const std::exception& e) {
        problem = e.what();
    }
    std::string folder = UserDocumentsFolder();
    if (folder.empty()) folder = std::filesystem::temp_directory_path().string();

    TPrintDialog dialog(request.title, printers, problem, request.pages, FolderForMessage(folder));
    main_.platform().display().setCursor(CursorKind::Arrow);
    main_.RunDialog(dialog);
    if (!dialog.accepted()) return false;
    TPrintChoice choice = dialog.choice();

    if (!choice.savePdf) {
        if (!choice.printer.accepting) {
            Report(
                Format(Tr("The printer \"%s\" is not accepting jobs."), choice.printer.description.c_str()));
            return false;
        }
        if (choice.printer.stopped) {
            Report(Format(Tr("The printer \"%s\" is offline."), choice.printer.description.c_str()));
            return false;
        }
    }

    BusyCursor busy(main_.platform().display());
    double w = kDefaultWidthPt, h = kDefaultHeightPt;
    if (!choice.savePdf && choice.printer.pageWidthPt > 0 && choice.printer.pageHeightPt > 0) {
        w = choice.printer.pageWidthPt;
        h = choice.printer.pageHeightPt;
    }
    // A saved PDF is made beside its final name, so that saving it is a rename within one disc.
    std::string tempPath;
    try {
        tempPath = TempPdfPath(choice.savePdf ? folder : std::filesystem::temp_directory_path().string());
    } catch (const std::exception& e) {
        // A documents folder we cannot write to must not cost the learner the PDF: the temporary
        // folder takes it, and the message says where it went.
        std::string fallback = std::filesystem::temp_directory_path().string();
        if (!choice.savePdf || fallback == folder) {
            Report(e.what());
            return false;
        }
        main_.DebugLogFmt("Printing: %s; saving in %s", e.what(), fallback.c_str());
        folder = fallback;
        try {
            tempPath = TempPdfPath(folder);
        } catch (const std::exception& again) {
            Report(again.what());
            return false;
        }
    }
    struct TempFile {
        std::string path;
        ~TempFile() {
            if (!path.empty()) ::unlink(path.c_str());
        }
    } temp{tempPath};

    TPrintCanvas canvas(w, h);
    try {
        canvas.BeginDoc(tempPath, request.title);
        draw(canvas, choice);
        canvas.EndDoc();
    } catch (...) {
        canvas.Abort();
        throw;
    }

    if (choice.savePdf) {
        LocalTime t = main_.platform().clock().localTime();
        std::string stem =
            SafeFileText(Format("%s %04d-%02d-%02d", request.fileStem.c_str(), t.year, t.month, t.day));
        try {
            SavePdf(tempPath, folder, stem);
        } catch (const std::exception& e) {
            Report(e.what());
            return false;
        }
        main_.DebugLogFmt("Printing: saved %s", savedPdf_.c_str());
        std::string name = std::filesystem::path(savedPdf_).filename().string();
        savedMessage_ = TellWhereSaved(main_,
                                       Format(Tr("The pages were saved as \"%s\" in %s."), name.c_str(),
                                              FolderForMessage(folder).c_str()),
                                       folder);
        return true;
    }
    try {
        lastJob_ = queue->Submit(choice.printer.name, tempPath, request.title);
    } catch (const std::exception& e) {
        Report(e.what());
        return false;
    }
    main_.DebugLogFmt("Printing: job %d on %s", lastJob_, choice.printer.name.c_str());
    return true;
}

} // namespace parlora
