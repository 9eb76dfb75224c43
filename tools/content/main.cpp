// parlora-content: makes the demo course or a course from a sheet, and looks at course content through the program's own
// decoders.
#include "core/Errors.h"
#include "core/PathResolver.h"
#include "shell/ProgramVersion.h"
#include "tools/content/ContentChecker.h"
#include "tools/content/CourseBuilder.h"
#include "tools/content/DemoGenerator.h"

#include <cstring>
#include <iostream>
#include <string>

namespace {

const char kUsage[] = "usage: parlora-content demo [--no-custom] [--if-changed] [--jobs=N] OUT_DIR\n"
                      "       parlora-content build [--jobs=N] SHEET.csv OUT_DIR\n"
                      "       parlora-content template OUT.csv\n"
                      "       parlora-content check DATA_DIR\n"
                      "       parlora-content list DATA_DIR\n"
                      "       parlora-content info FILE...\n"
                      "       parlora-content convert PICTURE OUT.png\n";

int Usage() {
    std::cerr << kUsage;
    return 2;
}

int Demo(int argc, char** argv) {
    parlora::DemoOptions options;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--no-custom")
            options.customScreens = false;
        else if (arg == "--if-changed")
            options.ifChanged = true;
        else if (arg.rfind("--jobs=", 0) == 0)
            options.jobs = std::atoi(arg.c_str() + 7);
        else if (arg.rfind("--", 0) == 0 || !options.outDir.empty())
            return Usage();
        else
            options.outDir = arg;
    }
    if (options.outDir.empty()) return Usage();
    return parlora::DemoGenerator::Generate(options, std::cout).ok() ? 0 : 1;
}

int Build(int argc, char** argv) {
    int jobs = 0;
    std::string sheet, out;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.rfind("--jobs=", 0) == 0)
            jobs = std::atoi(arg.c_str() + 7);
        else if (arg.rfind("--", 0) == 0 || !out.empty())
            return Usage();
        else
            (sheet.empty() ? sheet : out) = arg;
    }
    if (out.empty()) return Usage();
    try {
        return parlora::CourseBuilder::Build(sheet, out, jobs, std::cout).ok() ? 0 : 1;
    } catch (const parlora::ConfigError& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
}

} // namespace

int main(int argc, char** argv) {
    using namespace parlora;
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << kUsage
                  << "\nMakes the demo course, checks a course's data folder against the list of every file\n"
                     "the course reads, and shows what the course's own decoders make of a file.\n"
                     "build makes a whole course from a sheet (see docs/authoring.md); template writes one\n"
                     "to fill.\n";
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "parlora-content (Parlora Plus) " << kProgramVersion.major << "."
                  << kProgramVersion.minor << "." << kProgramVersion.release << "\n";
        return 0;
    }
    if (argc < 3) return Usage();
    try {
        if (std::strcmp(argv[1], "demo") == 0) return Demo(argc, argv);
        if (std::strcmp(argv[1], "build") == 0) return Build(argc, argv);
        if (std::strcmp(argv[1], "template") == 0 && argc == 3) {
            CourseBuilder::WriteTemplate(argv[2]);
            return 0;
        }
        if (std::strcmp(argv[1], "info") == 0) {
            bool ok = true;
            for (int i = 2; i < argc; ++i)
                ok = ContentChecker::Info(argv[i], std::cout) && ok;
            return ok ? 0 : 1;
        }
        if (std::strcmp(argv[1], "convert") == 0 && argc == 4) {
            ContentChecker::Convert(argv[2], argv[3]);
            return 0;
        }
        if (std::strcmp(argv[1], "check") == 0 && argc == 3) {
            if (!PathResolver::IsDirectory(argv[2])) {
                std::cerr << "Can't find folder " << argv[2] << "\n";
                return 1;
            }
            return ContentChecker::Check(argv[2], std::cout).ok() ? 0 : 1;
        }
        if (std::strcmp(argv[1], "list") == 0 && argc == 3) {
            if (!PathResolver::IsDirectory(argv[2])) {
                std::cerr << "Can't find folder " << argv[2] << "\n";
                return 1;
            }
            ContentChecker::List(argv[2], std::cout);
            return 0;
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return Usage();
}
