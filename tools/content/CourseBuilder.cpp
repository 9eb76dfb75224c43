#include "tools/content/CourseBuilder.h"

#include "core/Errors.h"
#include "tools/content/DemoSounds.h"
#include "tools/content/Vocabulary.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace parlora {
namespace {

namespace fs = std::filesystem;

// Whether espeak-ng has a voice for the code (it names languages by their codes and aliases, as
// "fr" for "fr-fr"): asked quietly, it fails for a voice it does not know.
bool EspeakSpeaks(const std::string& code) {
    std::string cmd = "espeak-ng -q -v " + DemoSounds::ShellQuote(code) + " x >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

} // namespace

Vocabulary CourseBuilder::Read(const std::string& sheetPath) {
    std::ifstream in(sheetPath, std::ios::binary);
    if (!in) throw ConfigError("Can't read " + sheetPath);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    fs::path path(sheetPath);
    std::string folder = path.parent_path().empty() ? "." : path.parent_path().string();
    return Vocabulary::Parse(text, path.filename().string(), folder);
}

DemoReport CourseBuilder::Build(const std::string& sheetPath, const std::string& outDir, int jobs,
                                std::ostream& log) {
    Vocabulary sheet = Read(sheetPath);
    // A language espeak-ng does not speak needs a person's recording of every word it says.
    for (const CourseLanguage& l : sheet.languages()) {
        if (EspeakSpeaks(l.code)) continue;
        std::string lacking = l.source ? "its spoken help" : "";
        for (const TopicShape& t : Vocabulary::Topics())
            for (int n = t.first; l.target && lacking.empty() && t.last > 0 && n <= t.last; ++n)
                for (const char* speaker : {"M", "F"})
                    if (std::string(t.topic) != "CAT" && lacking.empty() &&
                        !sheet.Recording(t.topic, std::to_string(n), l.index, speaker))
                        lacking = std::string(t.topic) + " " + std::to_string(n) + " by " + speaker;
        if (!lacking.empty())
            throw ConfigError(sheet.name() + " line " + std::to_string(l.place.line) + ", column " +
                              std::to_string(l.place.column) + ": espeak-ng does not speak \"" + l.code +
                              "\", so every word needs a recording (none for " + lacking + ")");
    }
    Vocabulary::Use(std::move(sheet));

    fs::path out = fs::absolute(outDir).lexically_normal();
    if (out.filename().empty()) out = out.parent_path();
    std::string pid = std::to_string(getpid());
    fs::path building = out.parent_path() / ("." + out.filename().string() + ".building-" + pid);
    std::error_code ec;
    fs::remove_all(building, ec);
    DemoOptions options;
    options.outDir = building.string();
    options.jobs = jobs;
    DemoReport report = DemoGenerator::Generate(options, log);
    if (!report.ok()) {
        fs::remove_all(building, ec);
        log << "nothing written to " << out.string() << "\n";
        return report;
    }
    // The stamp says "the demo is here"; a course from another sheet is not the demo.
    fs::remove(building / "parlora" / "demo-stamp.txt", ec);
    fs::path old = out.parent_path() / ("." + out.filename().string() + ".old-" + pid);
    bool had = fs::exists(out);
    if (had) fs::rename(out, old, ec);
    if (!ec) fs::rename(building, out, ec);
    if (ec) {
        if (had) fs::rename(old, out, ec);
        report.failures.push_back("Can't move the course into " + out.string() + ": " + ec.message());
        return report;
    }
    fs::remove_all(old, ec);
    log << "course from " << sheetPath << " in " << (out / "parlora").string() << "\n";
    return report;
}

void CourseBuilder::WriteTemplate(const std::string& path) {
    std::string text = Vocabulary::Template(Vocabulary::BuiltIn());
    std::string part = path + ".part";
    {
        std::ofstream o(part, std::ios::binary | std::ios::trunc);
        // A byte-order mark, so spreadsheet programs open the file as UTF-8.
        o << "\xEF\xBB\xBF" << text;
        if (!o.flush()) throw AppError("Can't write " + path);
    }
    std::error_code ec;
    fs::rename(part, path, ec);
    if (ec) throw AppError("Can't write " + path + ": " + ec.message());
}

} // namespace parlora
