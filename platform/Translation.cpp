#include "platform/Translation.h"

#include "platform/XdgFolders.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <libintl.h>

namespace parlora {
namespace {

constexpr const char* kDomain = "parlora";

std::string FindCatalogueDir() {
    auto holds = [](const std::string& dir) {
        std::error_code ec;
        // Any language will do: the English catalogue is always installed with the others.
        return !dir.empty() && std::filesystem::is_regular_file(dir + "/en/LC_MESSAGES/parlora.mo", ec);
    };
    std::string exe = ExecutableDir();
    if (exe.empty()) return {};
    // Installed: share/locale beside bin/. In the build folder the catalogues are in locale/ at
    // its top, one or two folders above each program; the path is found, never compiled in, so
    // an installed program names no build folder.
    for (const char* relative : {"/../share/locale", "/../locale", "/../../locale"})
        if (holds(exe + relative)) return exe + relative;
    return {};
}

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

} // namespace

const std::string& CatalogueDir() {
    static const std::string dir = FindCatalogueDir();
    return dir;
}

void UseDesktopLanguage() {
    const char* chosen = std::setlocale(LC_MESSAGES, "");
    std::string wanted = Env("LC_ALL");
    if (wanted.empty()) wanted = Env("LC_MESSAGES");
    if (wanted.empty()) wanted = Env("LANG");
    // gettext reads nothing in the plain C locale, not even LANGUAGE; and a desktop language whose
    // locale is not installed leaves us there. C.UTF-8 reads catalogues, and LANGUAGE then names
    // the desktop's language.
    std::string now = chosen ? chosen : std::setlocale(LC_MESSAGES, nullptr);
    if (now == "C" || now == "POSIX") {
        std::setlocale(LC_MESSAGES, "C.UTF-8");
        std::string language = wanted.substr(0, wanted.find_first_of(".@"));
        if (Env("LANGUAGE").empty() && !language.empty() && language != "C" && language != "POSIX")
            ::setenv("LANGUAGE", language.c_str(), 1);
    }
    if (!CatalogueDir().empty()) ::bindtextdomain(kDomain, CatalogueDir().c_str());
    ::bind_textdomain_codeset(kDomain, "UTF-8");
}

const char* Tr(const char* english) {
    if (!english || !*english) return english;
    return ::dgettext(kDomain, english);
}

} // namespace parlora
