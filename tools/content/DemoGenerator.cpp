#include "tools/content/DemoGenerator.h"

#include "core/Errors.h"
#include "core/PathResolver.h"
#include "tools/content/CourseArt.h"
#include "tools/content/DemoFacts.h"
#include "tools/content/DemoPictures.h"
#include "tools/content/DemoSounds.h"
#include "tools/content/DemoTexts.h"
#include "tools/content/EmbeddedText.h"
#include "tools/content/Manifest.h"
#include "tools/content/RecordingImport.h"
#include "tools/content/Vocabulary.h"
#include "tools/gethelp/HelpPackage.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace parlora {
namespace {

namespace fs = std::filesystem;

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

// The sheet's languages, and the demo's actors. A target that is also a source has no TEXT
// folder: its texts come from its source folder.
DataLayout DemoLayout(const std::string& dataDir) {
    DataLayout layout;
    layout.dataDir = dataDir;
    for (const CourseLanguage& l : Vocabulary::BuiltIn().languages()) {
        std::string n = std::to_string(l.number);
        if (l.source && !l.download) layout.sources.push_back(l.number);
        if (!l.target) continue;
        layout.targets.push_back(l.number);
        layout.textDirs.push_back(l.source && !l.download ? "sources\\" + n + "source"
                                                          : "targets\\target" + n + "\\TEXT");
    }
    layout.maleActors = {"Male1", "Male2"};
    layout.femaleActors = {"Female1", "Female2"};
    return layout;
}

// Turns backslash paths into real ones, reusing whatever spelling of a folder or file already
// exists (the course spells some folders two ways), and creating folders as it goes.
class OutputPaths {
  public:
    explicit OutputPaths(std::string dataDir) : dataDir_(std::move(dataDir)) {}

    std::string File(const std::string& relative) {
        std::vector<std::string> parts;
        size_t start = 0;
        for (size_t i = 0; i <= relative.size(); ++i)
            if (i == relative.size() || relative[i] == '\\' || relative[i] == '/') {
                if (i > start) parts.push_back(relative.substr(start, i - start));
                start = i + 1;
            }
        fs::path current = dataDir_;
        for (size_t i = 0; i < parts.size(); ++i) {
            if (parts[i] == "..") {
                current = current.parent_path();
                continue;
            }
            current = Child(current, parts[i]);
            if (i + 1 < parts.size()) Folder(current);
        }
        return current.string();
    }

    void Folder(const fs::path& path) {
        if (made_.insert(path.string()).second) {
            std::error_code ec;
            fs::create_directories(path, ec);
            if (ec && !fs::is_directory(path))
                throw AppError("Can't create folder " + path.string() + ": " + ec.message());
        }
    }

  private:
    fs::path Child(const fs::path& folder, const std::string& name) {
        std::string key = Lower((folder / name).string());
        auto it = known_.find(key);
        if (it != known_.end()) return it->second;
        fs::path result = folder / name;
        std::error_code ec;
        for (fs::directory_iterator d(folder, ec); !ec && d != fs::directory_iterator(); d.increment(ec))
            if (Lower(d->path().filename().string()) == Lower(name)) {
                result = d->path();
                break;
            }
        known_[key] = result;
        return result;
    }

    std::string dataDir_;
    std::map<std::string, fs::path> known_;
    std::set<std::string> made_;
};

void WriteText(const std::string& path, const std::string& text) {
    std::string part = path + ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) throw AppError("Can't write " + path);
    }
    std::error_code ec;
    fs::rename(part, path, ec);
    if (ec) throw AppError("Can't write " + path + ": " + ec.message());
}

bool HasExtension(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    size_t dot = path.rfind('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

const ManifestEntry* FindEntry(const std::string& pattern) {
    for (const ManifestEntry& e : ContentManifest())
        if (e.root == ContentRoot::Interface && Lower(e.pattern) == Lower(pattern)) return &e;
    return nullptr;
}

const char* const kStampName = "demo-stamp.txt";

std::string ReadSmall(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return text;
}

} // namespace

std::string DemoGenerator::DownloadPackagePath(const std::string& courseDir) {
    return (fs::path(courseDir) / kPackageFolder / (std::to_string(kDownloadSource) + "source.tar.zst"))
        .string();
}

std::string DemoGenerator::Fingerprint() {
    size_t h = std::hash<std::string>{}(std::string(EmbeddedManifestText()) + EmbeddedVocabularyText() +
                                        EmbeddedPicturesText());
    // The program's own build, so that a changed generator makes the set again.
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        auto size = fs::file_size(self, ec);
        auto time = fs::last_write_time(self, ec).time_since_epoch().count();
        h ^= std::hash<std::string>{}(std::to_string(size) + ":" + std::to_string(time)) + 0x9e3779b9 +
             (h << 6);
    }
    return std::to_string(h);
}

DemoReport DemoGenerator::Generate(const DemoOptions& options, std::ostream& log) {
    auto started = std::chrono::steady_clock::now();
    DemoReport report;
    std::string missing = DemoSounds::MissingTool();
    if (!missing.empty()) {
        report.failures.push_back(missing + " not found: run tools/setup-deps.sh first");
        return report;
    }
    fs::path root = fs::absolute(options.outDir) / "parlora";
    fs::path stamp = root / kStampName;
    if (options.ifChanged && options.only.empty() && ReadSmall(stamp) == Fingerprint() + "\n") {
        report.upToDate = true;
        log << "demo content in " << root.string() << " is up to date\n";
        return report;
    }
    std::error_code stampEc;
    fs::remove(stamp, stampEc); // until this run has finished
    std::string dataDir = (root / "data").string();
    OutputPaths paths(dataDir);
    paths.Folder(dataDir);
    DataLayout layout = DemoLayout(dataDir);
    const Vocabulary& words = Vocabulary::BuiltIn();

    std::vector<std::function<void()>> slow, fast; // external tools first, so both cores stay busy
    std::set<std::string> planned;
    auto plan = [&](const DataLayout& layout, OutputPaths& paths, bool sourcesOnly) {
        for (const ManifestEntry& entry : ContentManifest()) {
            if (entry.art.empty()) continue;
            if (sourcesOnly && entry.root != ContentRoot::Source) continue;
            bool custom = entry.pattern.find("CustomStart") != std::string::npos ||
                          entry.pattern.find("CustomEnd") != std::string::npos;
            if (custom && !options.customScreens) continue;
            for (ContentFile& file : ExpandEntry(entry, layout)) {
                std::string rel = file.path;
                if (!options.only.empty() && Lower(rel).find(Lower(options.only)) == std::string::npos)
                    continue;
                if (entry.kind == ContentKind::Sound && !HasExtension(rel)) {
                    bool mp3 = file.target == options.mp3Target &&
                               Lower(entry.pattern).rfind(Lower(options.mp3Topic) + "\\", 0) == 0;
                    rel += mp3 ? ".mp3" : ".aif";
                }
                // The same file can be named twice (a source folder is also a target's text folder).
                if (!planned.insert(Lower(rel)).second) continue;
                if (entry.kind == ContentKind::Folder) {
                    paths.Folder(paths.File(rel));
                    ++report.folders;
                    continue;
                }
                std::string out = paths.File(rel);
                const std::string& art = entry.art;
                std::string style = art.substr(0, art.find(':'));
                switch (entry.kind) {
                case ContentKind::Picture: {
                    DemoPicture picture{&entry, file, out, 0, 0};
                    if (entry.art == "item" || entry.art.rfind("item:", 0) == 0 ||
                        entry.art.rfind("itembutton:", 0) == 0 || entry.art == "theflags" || entry.art == "title") {
                        fast.push_back([picture] {
                            if (!CourseArt::MakePicture(picture)) DemoPictures::Make(picture);
                        });
                        ++report.pictures;
                        break;
                    }
                    if (art == "scene") {
                        std::string folder = file.path.substr(0, file.path.rfind("\\Screens"));
                        std::string rel2 = folder.substr(folder.find('\\') + 1); // without "Interface\"
                        if (const ManifestEntry* button = FindEntry(rel2 + "\\Button.png")) {
                            picture.buttonW = button->frameW;
                            picture.buttonH = button->frameH;
                        }
                        if (picture.buttonW <= 0) picture.buttonW = picture.buttonH = 60;
                    }
                    fast.push_back([picture] { DemoPictures::Make(picture); });
                    ++report.pictures;
                    break;
                }
                case ContentKind::Sound: {
                    if (style == "word") {
                        std::string topic = art.substr(5);
                        int lang = DemoFacts::LanguageIndex(file.target);
                        std::string text = words.Word(topic, file.item, lang);
                        if (text.empty())
                            throw ConfigError("No word for " + topic + " " + std::to_string(file.item));
                        std::string voice = DemoFacts::VoiceOf(file.target);
                        bool male = file.speaker != "F";
                        if (const SheetFile* rec = words.Recording(topic, std::to_string(file.item), lang,
                                                                   male ? "M" : "F")) {
                            SheetFile given = *rec;
                            std::string where = words.name() + " line " + std::to_string(given.place.line) +
                                                ", column " + std::to_string(given.place.column) + ": ";
                            slow.push_back([given, where, out] {
                                try {
                                    RecordingImport::Convert(given.path, out);
                                } catch (const AppError& e) {
                                    throw AppError(where + e.what());
                                }
                            });
                            ++report.sounds;
                            break;
                        }
                        slow.push_back(
                            [text, voice, male, out] { DemoSounds::Speak(text, voice, male, out); });
                    } else if (style == "say") {
                        int lang = DemoPictures::LanguageOf(file);
                        std::vector<std::string> parts;
                        size_t start = 0;
                        for (size_t i = 0; i <= entry.caption.size(); ++i)
                            if (i == entry.caption.size() || entry.caption[i] == '~') {
                                parts.push_back(entry.caption.substr(start, i - start));
                                start = i + 1;
                            }
                        std::string text = size_t(lang) < parts.size() && !parts[size_t(lang)].empty()
                                               ? parts[size_t(lang)]
                                               : parts[0];
                        // The sheet's spoken help ("general\aif\1help3" is UI help3) comes first.
                        std::string stem = fs::path(file.path).filename().string();
                        stem = stem.substr(std::min(stem.size(), stem.find_first_not_of("0123456789")));
                        std::string own = words.Phrase("UI", stem, lang);
                        if (!own.empty() && entry.root == ContentRoot::Source) text = own;
                        // "say:M" is a male voice; a target's sound speaks the target language.
                        std::string voice = DemoFacts::VoiceOf(file.source ? file.source : file.target);
                        bool male = art == "say:M";
                        slow.push_back(
                            [text, voice, male, out] { DemoSounds::Speak(text, voice, male, out); });
                    } else if (style == "effect") {
                        std::string args = art.substr(7);
                        slow.push_back([args, out] { DemoSounds::Effect(args, out); });
                    } else {
                        report.failures.push_back("Unknown sound art \"" + art + "\" for " + rel);
                        continue;
                    }
                    ++report.sounds;
                    break;
                }
                case ContentKind::Film: {
                    std::string label = fs::path(out).stem().string();
                    int w = entry.frameW > 0 ? entry.frameW : 168, h = entry.frameH > 0 ? entry.frameH : 188;
                    slow.push_back([w, h, label, out] { DemoSounds::Film(w, h, label, out); });
                    ++report.films;
                    break;
                }
                case ContentKind::List: {
                    int source = entry.root == ContentRoot::Source ? file.source : 0;
                    std::string text;
                    if (auto own = CourseArt::ListFile(art))
                        text = *own;
                    else if (art != "gameini")
                        text = DemoTexts::ListFile(art, entry.caption, source, file.target);
                    else {
                        std::string folder = entry.pattern.substr(0, entry.pattern.rfind('\\'));
                        const ManifestEntry* button = FindEntry(folder + "\\Button.png");
                        int w = button && button->frameW > 0 ? button->frameW : 60;
                        int h = button && button->frameH > 0 ? button->frameH : 60;
                        text = DemoTexts::GameIni(DemoTexts::Scenes(DemoTexts::SceneTopic(folder), w, h));
                    }
                    fast.push_back([out, text] { WriteText(out, text); });
                    ++report.lists;
                    break;
                }
                case ContentKind::Folder:
                    break;
                }
            }
        }
    };
    plan(layout, paths, false);

    // A source language that is not installed but offered as a download: its folder is made apart
    // and packed for the help-language download program, which the configuration points at.
    fs::path packages = root / kPackageFolder;
    fs::path stageData = packages / "stage" / "data";
    OutputPaths stagePaths(stageData.string());
    std::vector<int> downloads;
    for (const CourseLanguage& l : words.languages())
        if (l.download) downloads.push_back(l.number);
    if (options.only.empty() && !downloads.empty()) {
        std::error_code ec;
        fs::remove_all(packages / "stage", ec);
        stagePaths.Folder(stageData);
        DataLayout stage = layout;
        stage.dataDir = stageData.string();
        stage.sources = downloads;
        plan(stage, stagePaths, true);
    }

    std::vector<std::function<void()>> jobs = std::move(slow);
    jobs.insert(jobs.end(), fast.begin(), fast.end());
    std::atomic<size_t> next{0};
    std::mutex lock;
    auto worker = [&] {
        for (size_t i = next++; i < jobs.size(); i = next++) {
            try {
                jobs[i]();
            } catch (const std::exception& e) {
                std::lock_guard<std::mutex> g(lock);
                report.failures.push_back(e.what());
            }
        }
    };
    int count = options.jobs > 0 ? options.jobs : int(std::max(1u, std::thread::hardware_concurrency())) + 1;
    std::vector<std::thread> threads;
    for (int i = 0; i < count; ++i)
        threads.emplace_back(worker);
    for (std::thread& t : threads)
        t.join();

    for (int download : downloads) {
        if (!report.ok() || !options.only.empty()) break;
        std::string folder = PathResolver::Resolve((stageData / "sources").string() + "/" +
                                                   std::to_string(download) + "source");
        std::string error;
        std::string package = (packages / (std::to_string(download) + "source.tar.zst")).string();
        if (!THelpPackage::Pack(folder, download, package, error))
            report.failures.push_back("Can't pack source " + std::to_string(download) + ": " + error);
    }
    if (!downloads.empty() && report.ok() && options.only.empty()) {
        std::error_code ec;
        fs::remove_all(packages / "stage", ec);
    }
    if (report.ok() && options.only.empty()) WriteText(stamp.string(), Fingerprint() + "\n");
    report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    for (const std::string& f : report.failures)
        log << "failed: " << f << "\n";
    log << report.pictures << " pictures, " << report.sounds << " sounds, " << report.films << " films, "
        << report.lists << " lists, " << report.folders << " folders in " << root.string() << " ("
        << int(report.seconds + 0.5) << " s)\n";
    return report;
}

} // namespace parlora
