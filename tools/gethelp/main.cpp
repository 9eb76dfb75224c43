// parlora-get-help LANGUAGE PARENT
// Installs source language LANGUAGE into the course data folder under PARENT (the folder that holds
// it, or "<data>/.."). Exit code 0 only when the language is installed; otherwise a one-line
// reason on standard error. Stopped by SIGTERM, SIGINT or SIGHUP, it removes what it has unpacked
// and exits 128 + the signal.
#include "core/StringUtil.h"
#include "shell/ProgramVersion.h"
#include "tools/gethelp/HelpPackage.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>

namespace {

extern "C" void OnStopSignal(int signal) {
    parlora::THelpPackage::RequestStop(signal);
}

// The handler only asks the work to stop, so the temporary folder goes through the normal clean-up.
// A signal ignored by whoever started us stays ignored.
void CatchStopSignals() {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction old {};
        if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace

int main(int argc, char** argv) {
    using parlora::THelpPackage;
    CatchStopSignals();
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout
            << "usage: parlora-get-help LANGUAGE COURSE-FOLDER\n"
               "Fetches the help language LANGUAGE (a number) from the address HelpBase of the course's\n"
               "configuration, checks it and installs it into the course's data folder under\n"
               "COURSE-FOLDER. Exits 0 only when the language is installed.\n";
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "parlora-get-help (Parlora Plus) " << parlora::kProgramVersion.major << "."
                  << parlora::kProgramVersion.minor << "." << parlora::kProgramVersion.release << "\n";
        return 0;
    }
    if (argc != 3) {
        std::cerr << "usage: parlora-get-help LANGUAGE COURSE-FOLDER\n";
        return THelpPackage::BadUsage;
    }
    char* end = nullptr;
    long language = std::strtol(argv[1], &end, 10);
    if (!*argv[1] || *end || language <= 0 || language > 100000) {
        std::cerr << "parlora-get-help: not a language number: " << parlora::EscapeControls(argv[1], 40)
                  << "\n";
        return THelpPackage::BadUsage;
    }
    std::error_code ec;
    std::string here = std::filesystem::current_path(ec).string();
    std::string base = THelpPackage::BaseAddress(here, argv[2]);
    THelpPackage::Outcome outcome = THelpPackage::Install(int(language), argv[2], base);
    // The message escapes what it quotes from the package, the configuration and the arguments.
    (outcome.result == THelpPackage::Installed ? std::cout : std::cerr)
        << "parlora-get-help: " << outcome.message << "\n";
    if (outcome.result == THelpPackage::Stopped) return 128 + THelpPackage::StopRequested();
    return outcome.result;
}
