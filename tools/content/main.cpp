// parlora-content: looks at course content through the program's own decoders.
#include "core/PathResolver.h"
#include "tools/content/ContentChecker.h"

#include <cstring>
#include <iostream>

namespace {

int Usage() {
    std::cerr << "usage: parlora-content info FILE...\n"
                 "       parlora-content check DATA_DIR\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    using namespace parlora;
    if (argc < 3) return Usage();
    try {
        if (std::strcmp(argv[1], "info") == 0) {
            bool ok = true;
            for (int i = 2; i < argc; ++i)
                ok = ContentChecker::Info(argv[i], std::cout) && ok;
            return ok ? 0 : 1;
        }
        if (std::strcmp(argv[1], "check") == 0 && argc == 3) {
            if (!PathResolver::IsDirectory(argv[2])) {
                std::cerr << "Can't find folder " << argv[2] << "\n";
                return 1;
            }
            return ContentChecker::Check(argv[2], std::cout).ok() ? 0 : 1;
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return Usage();
}
