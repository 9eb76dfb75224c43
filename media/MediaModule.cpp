#include "media/MediaModule.h"

#include "core/Errors.h"

#include <atomic>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

// Defined only in programs that run from the build folder (tests, benchmarks).
extern "C" __attribute__((weak)) const char* ParloraBuildTreeModuleDir();

namespace parlora {

namespace {

namespace fs = std::filesystem;

struct LoadedModule {
    std::once_flag once;
    std::atomic<bool> done{false};
    OpenMediaFileFn open = nullptr;
    std::string error;
};

LoadedModule& Module() {
    // Never destroyed: a loading thread may still be running while the process exits.
    static LoadedModule& m = *new LoadedModule;
    return m;
}

// Beside the program, in lib/parlora beside its bin (installed, or the build folder's own
// layout), or where a program of the build folder was told the module is.
std::vector<fs::path> Candidates() {
    std::vector<fs::path> dirs;
    if (const char* env = std::getenv("PARLORA_MODULE_DIR"); env && *env) dirs.emplace_back(env);
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        dirs.push_back(exe.parent_path());
        dirs.push_back(exe.parent_path().parent_path() / "lib" / "parlora");
    }
    if (ParloraBuildTreeModuleDir) dirs.emplace_back(ParloraBuildTreeModuleDir());
    return dirs;
}

void Load() {
    LoadedModule& m = Module();
    std::string tried;
    for (const fs::path& dir : Candidates()) {
        fs::path file = dir / MediaModuleFile;
        std::error_code ec;
        if (!fs::is_regular_file(file, ec)) continue;
        void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* why = dlerror();
            tried += std::string(tried.empty() ? "" : "; ") + (why ? why : file.string());
            continue;
        }
        auto open = reinterpret_cast<OpenMediaFileFn>(dlsym(handle, MediaModuleEntry));
        if (!open) {
            tried += std::string(tried.empty() ? "" : "; ") + file.string() + " has no " + MediaModuleEntry;
            dlclose(handle);
            continue;
        }
        // Never closed: readers made by it may live until the process ends.
        m.open = open;
        m.done = true;
        return;
    }
    // Say where it was looked for: the reader can then see which installation is incomplete.
    std::string places;
    for (const fs::path& dir : Candidates())
        places += (places.empty() ? "" : ", ") + dir.string();
    m.error = "Cannot load the media module " + std::string(MediaModuleFile) +
              (tried.empty() ? ": it is in none of " + places : ": " + tried);
    m.done = true;
}

void EnsureLoaded() {
    std::call_once(Module().once, Load);
}

} // namespace

std::unique_ptr<MediaFileReader> MediaModule::Open(const std::string& fileName) {
    EnsureLoaded();
    LoadedModule& m = Module();
    if (!m.open) throw TKMException("MCI Error: " + m.error);
    std::unique_ptr<MediaFileReader> reader(m.open(fileName.c_str(), MediaModuleAbi));
    if (!reader) throw TKMException("MCI Error: " + std::string(MediaModuleFile) + " is not this program's version");
    return reader;
}

void MediaModule::LoadInBackground() {
    if (Module().done) return;
    // Detached: exit waits for the loader's lock anyway, and nothing else needs the thread.
    std::thread(EnsureLoaded).detach();
}

bool MediaModule::Loaded() {
    return Module().done && Module().open != nullptr;
}

} // namespace parlora
