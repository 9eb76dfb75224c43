#include "tests/printing/PrivateCups.h"

#include "tests/support/TestFiles.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace parlora::test {
namespace {

constexpr const char* kCupsd = "/usr/sbin/cupsd";

// A PPD that passes the PDF through untouched: the job's file is our document byte for byte.
constexpr const char* kPassThroughPpd = R"PPD(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "PASSPDF.PPD"
*Manufacturer: "Test"
*Product: "(PDF file)"
*ModelName: "PDF file"
*ShortNickName: "PDF file"
*NickName: "PDF file"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: RGB
*FileSystem: False
*Throughput: "1"
*cupsFilter2: "application/pdf application/vnd.cups-pdf 0 gziptoany"
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "0 0 595 842"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
)PPD";

std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace

std::string DeadCupsSocket() {
    return (fs::temp_directory_path() / "parlora-no-cupsd-here.sock").string();
}

PrivateCups::PrivateCups() {
    if (const char* s = std::getenv("CUPS_SERVER")) {
        hadServer_ = true;
        oldServer_ = s;
    }
    if (::access(kCupsd, X_OK) != 0) {
        whyNot_ = std::string(kCupsd) + " is not installed (packages cups, cups-daemon)";
        return;
    }
    std::string pattern = (fs::temp_directory_path() / "parlora-cups-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        whyNot_ = "no temporary folder";
        return;
    }
    root_ = pattern;
    // The scheduler runs its filters as another user, who must reach these folders.
    ::chmod(root_.c_str(), 0755);
    for (const char* d : {"spool", "cache", "log", "state", "ppd"})
        fs::create_directories(root_ + "/" + d);
    fs::create_directories(root_ + "/out");
    ::chmod((root_ + "/out").c_str(), 0777);
    fs::create_directories(root_ + "/temp");
    ::chmod((root_ + "/temp").c_str(), 01777);
    socket_ = root_ + "/cups.sock";
    WriteFile(root_ + "/cupsd.conf",
              "Listen " + socket_ +
                  "\nBrowsing No\nLogLevel info\nWebInterface No\nDefaultAuthType None\n"
                  "<Location />\nOrder allow,deny\nAllow all\n</Location>\n"
                  "<Policy default>\n<Limit All>\nOrder deny,allow\n</Limit>\n</Policy>\n");
    WriteFile(root_ + "/cups-files.conf",
              "ServerRoot " + root_ + "\nServerBin /usr/lib/cups\nDataDir /usr/share/cups\nCacheDir " +
                  root_ + "/cache\nStateDir " + root_ + "/state\nRequestRoot " + root_ + "/spool\nTempDir " +
                  root_ + "/temp\nAccessLog " + root_ + "/log/access_log\nErrorLog " + root_ +
                  "/log/error_log\nPageLog " + root_ + "/log/page_log\nPrintcap " + root_ +
                  "/printcap\nFileDevice Yes\n");
    WriteFile(root_ + "/pass.ppd", kPassThroughPpd);

    pid_t pid = ::fork();
    if (pid == 0) {
        std::string out = root_ + "/log/cupsd.out";
        std::freopen(out.c_str(), "w", stdout);
        std::freopen(out.c_str(), "a", stderr);
        std::string conf = root_ + "/cupsd.conf", files = root_ + "/cups-files.conf";
        ::execl(kCupsd, kCupsd, "-f", "-c", conf.c_str(), "-s", files.c_str(), (char*)nullptr);
        ::_exit(127);
    }
    if (pid < 0) {
        whyNot_ = "fork failed";
        return;
    }
    pid_ = pid;
    for (int i = 0; i < 100 && !fs::exists(socket_); ++i) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            whyNot_ = "cupsd ended at once: " + ReadFile(root_ + "/log/cupsd.out") +
                      ReadFile(root_ + "/log/error_log");
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!fs::exists(socket_)) {
        whyNot_ = "cupsd did not open its socket within 5 s";
        Stop();
        return;
    }
    ::setenv("CUPS_SERVER", socket_.c_str(), 1);
}

PrivateCups::~PrivateCups() {
    Stop();
    if (hadServer_) {
        ::setenv("CUPS_SERVER", oldServer_.c_str(), 1);
    } else {
        ::unsetenv("CUPS_SERVER");
    }
    if (!root_.empty()) {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
}

void PrivateCups::Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

bool PrivateCups::Run(const std::string& command) {
    std::string line =
        "CUPS_SERVER=" + Quote(socket_) + " " + command + " >>" + Quote(root_ + "/log/tools.out") + " 2>&1";
    return std::system(line.c_str()) == 0;
}

std::string PrivateCups::PageLog() const {
    std::error_code ec;
    return fs::exists(root_ + "/log/page_log", ec) ? ReadFile(root_ + "/log/page_log") : std::string();
}

std::string PrivateCups::Output(const std::string& name) const {
    return root_ + "/out/" + name + ".pdf";
}

bool PrivateCups::AddQueue(const std::string& name, bool makeDefault) {
    if (!running()) return false;
    if (!Run("lpadmin -p " + Quote(name) + " -E -v " + Quote("file://" + Output(name)) + " -P " +
             Quote(root_ + "/pass.ppd")))
        return false;
    return !makeDefault || Run("lpadmin -d " + Quote(name));
}

bool PrivateCups::WaitForOutput(const std::string& name, int timeoutMs) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < until) {
        std::string pending = root_ + "/pending";
        std::string line = "CUPS_SERVER=" + Quote(socket_) + " lpstat -o " + Quote(name) + " >" +
                           Quote(pending) + " 2>/dev/null";
        if (std::system(line.c_str()) != 0) continue;
        std::error_code ec;
        if (fs::exists(Output(name)) && fs::file_size(pending, ec) == 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

} // namespace parlora::test
