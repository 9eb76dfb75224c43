#include "shell/LanguageCatalogue.h"

#include "core/ConfigFile.h"
#include "core/Errors.h"
#include "core/PathResolver.h"
#include "core/ProfileFile.h"
#include "core/StringUtil.h"
#include "core/TextCodec.h"
#include "platform/Platform.h"
#include "shell/RecordsStore.h"
#include "shell/Registry.h"
#include "shell/TextUtils.h"

#include <algorithm>
#include <filesystem>
#include <map>

namespace parlora {

namespace fs = std::filesystem;

namespace {

// Names compared as the sorted lists of the course always have: letter case ignored.
bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return ToLowerAscii(a) < ToLowerAscii(b);
}

std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(line));
            line.clear();
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(std::move(line));
    return lines;
}

std::string ReadBytes(const std::string& path) {
    std::string bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[8192];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.append(buffer, n);
        std::fclose(f);
    }
    return bytes;
}

// ISO 639 codes to Windows primary language identifiers.
const std::map<std::string, int>& LanguageCodes() {
    static const std::map<std::string, int> codes = {
        {"ar", 1},    {"bg", 2},    {"ca", 3},    {"zh", 4},    {"cs", 5},    {"da", 6},    {"de", 7},
        {"el", 8},    {"en", 9},    {"es", 10},   {"fi", 11},   {"fr", 12},   {"he", 13},   {"iw", 13},
        {"hu", 14},   {"is", 15},   {"it", 16},   {"ja", 17},   {"ko", 18},   {"nl", 19},   {"nb", 20},
        {"nn", 20},   {"no", 20},   {"pl", 21},   {"pt", 22},   {"rm", 23},   {"ro", 24},   {"ru", 25},
        {"hr", 26},   {"sr", 26},   {"bs", 26},   {"sk", 27},   {"sq", 28},   {"sv", 29},   {"th", 30},
        {"tr", 31},   {"ur", 32},   {"id", 33},   {"uk", 34},   {"be", 35},   {"sl", 36},   {"et", 37},
        {"lv", 38},   {"lt", 39},   {"tg", 40},   {"fa", 41},   {"vi", 42},   {"hy", 43},   {"az", 44},
        {"eu", 45},   {"hsb", 46},  {"dsb", 46},  {"mk", 47},   {"st", 48},   {"ts", 49},   {"tn", 50},
        {"ve", 51},   {"xh", 52},   {"zu", 53},   {"af", 54},   {"ka", 55},   {"fo", 56},   {"hi", 57},
        {"mt", 58},   {"se", 59},   {"ga", 60},   {"yi", 61},   {"ms", 62},   {"kk", 63},   {"ky", 64},
        {"sw", 65},   {"tk", 66},   {"uz", 67},   {"tt", 68},   {"bn", 69},   {"pa", 70},   {"gu", 71},
        {"or", 72},   {"ta", 73},   {"te", 74},   {"kn", 75},   {"ml", 76},   {"as", 77},   {"mr", 78},
        {"sa", 79},   {"mn", 80},   {"bo", 81},   {"cy", 82},   {"km", 83},   {"lo", 84},   {"my", 85},
        {"gl", 86},   {"kok", 87},  {"mni", 88},  {"sd", 89},   {"syr", 90},  {"si", 91},   {"chr", 92},
        {"iu", 93},   {"am", 94},   {"tzm", 95},  {"ks", 96},   {"ne", 97},   {"fy", 98},   {"ps", 99},
        {"fil", 100}, {"tl", 100},  {"dv", 101},  {"bin", 102}, {"ff", 103},  {"ha", 104},  {"ibb", 105},
        {"yo", 106},  {"quz", 107}, {"qu", 107},  {"nso", 108}, {"ba", 109},  {"lb", 110},  {"kl", 111},
        {"ig", 112},  {"kr", 113},  {"om", 114},  {"ti", 115},  {"gn", 116},  {"haw", 117}, {"la", 118},
        {"so", 119},  {"ii", 120},  {"pap", 121}, {"arn", 122}, {"moh", 124}, {"br", 126},  {"ug", 128},
        {"mi", 129},  {"oc", 130},  {"co", 131},  {"gsw", 132}, {"sah", 133}, {"quc", 134}, {"rw", 135},
        {"wo", 136},  {"prs", 140}, {"gd", 145},  {"ku", 146},  {"ckb", 146},
    };
    return codes;
}

// The sub-languages that decide a source language, by primary identifier and region.
int SubLanguage(int primary, const std::string& lang, const std::string& region,
                const std::string& modifier) {
    auto pick = [&](std::initializer_list<std::pair<const char*, int>> table, int fallback) {
        for (auto& [r, sub] : table)
            if (region == r) return sub;
        return fallback;
    };
    switch (primary) {
    case 1: // Arabic; Saudi Arabia is the default
        return pick({{"SA", 1},
                     {"IQ", 2},
                     {"EG", 3},
                     {"LY", 4},
                     {"DZ", 5},
                     {"MA", 6},
                     {"TN", 7},
                     {"OM", 8},
                     {"YE", 9},
                     {"SY", 10},
                     {"JO", 11},
                     {"LB", 12},
                     {"KW", 13},
                     {"AE", 14},
                     {"BH", 15},
                     {"QA", 16}},
                    1);
    case 4: // Chinese
        return pick({{"TW", 1}, {"CN", 2}, {"HK", 3}, {"SG", 4}, {"MO", 5}}, 2);
    case 7: // German
        return pick({{"DE", 1}, {"CH", 2}, {"AT", 3}, {"LU", 4}, {"LI", 5}}, 1);
    case 9: // English; without a region the United States, as on Windows
        return pick({{"US", 1},
                     {"GB", 2},
                     {"AU", 3},
                     {"CA", 4},
                     {"NZ", 5},
                     {"IE", 6},
                     {"ZA", 7},
                     {"JM", 8},
                     {"BZ", 10},
                     {"TT", 11},
                     {"ZW", 12},
                     {"PH", 13},
                     {"IN", 16},
                     {"MY", 17},
                     {"SG", 18}},
                    region.empty() ? 1 : 2);
    case 10: // Spanish: Spain is the modern sort (3)
        return pick({{"ES", 3},  {"MX", 2},  {"GT", 4},  {"CR", 5},  {"PA", 6},  {"DO", 7},  {"VE", 8},
                     {"CO", 9},  {"PE", 10}, {"AR", 11}, {"EC", 12}, {"CL", 13}, {"UY", 14}, {"PY", 15},
                     {"BO", 16}, {"SV", 17}, {"HN", 18}, {"NI", 19}, {"PR", 20}, {"US", 21}},
                    region.empty() ? 3 : 21);
    case 22: // Portuguese
        return pick({{"BR", 1}, {"PT", 2}}, 1);
    case 26: { // Croatian, Serbian, Bosnian
        bool cyrillic = modifier == "cyrillic";
        if (lang == "hr") return region == "BA" ? 4 : 1;
        if (lang == "bs") return cyrillic ? 8 : 5;
        bool latin = modifier == "latin";
        if (region == "BA") return latin ? 6 : 7;
        if (region == "ME") return latin ? 11 : 12;
        return latin ? 9 : 10;
    }
    default:
        return 1;
    }
}

} // namespace

TLanguageCatalogue::TLanguageCatalogue(CourseFolders& folders, CourseSettings& settings,
                                       const ConfigFile& config, StartOptions& options, IShell& shell,
                                       IRegistry& registry, TRecordsStore& records, LogFn log)
    : folders_(folders), settings_(settings), config_(config), options_(options), shell_(shell),
      registry_(registry), records_(records), log_(std::move(log)) {}

int TLanguageCatalogue::BuildTargetList() {
    targets_.clear();
    auto targetPresent = [&](int n) {
        return PathResolver::IsDirectory(Format("%s\\targets\\target%d", folders_.DataDir.c_str(), n));
    };
    std::string langList = PathResolver::Resolve(folders_.DataDir + "\\LangList.txt");
    if (PathResolver::IsFile(langList)) {
        for (std::string line : SplitLines(ReadBytes(langList))) {
            int number = ParseIntOr(TakeToken(line, "|"), 0);
            std::string name = TakeToken(line, "|");
            if (targetPresent(number)) targets_.push_back({Cp1252ToUtf8(MacRomanToCp1252(name)), number});
        }
    } else {
        for (int n = 1; n <= 199; ++n)
            if (targetPresent(n)) targets_.push_back({Format("Language %d", n), n});
    }
    std::stable_sort(targets_.begin(), targets_.end(), [](const TTargetEntry& a, const TTargetEntry& b) {
        return LessIgnoringCase(a.name, b.name);
    });
    return static_cast<int>(targets_.size());
}

int TLanguageCatalogue::BuildActorLists() {
    const char* kinds[2] = {"VideoM", "VideoF"};
    for (int s = 0; s < 2; ++s) {
        std::vector<std::pair<std::string, std::string>> found; // (name, root)
        for (const std::string& root : {folders_.UpdateDir, folders_.DataDir}) {
            if (root.empty()) continue;
            std::string dir = PathResolver::Resolve(root + "\\" + kinds[s]);
            std::error_code ec;
            for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
                std::string name = it->path().filename().string();
                if (name.empty() || name[0] == '.' || !it->is_directory(ec)) continue;
                if (!PathResolver::IsFile(PathResolver::Join(it->path().string(), "thumb.png"))) continue;
                bool listed = std::any_of(found.begin(), found.end(),
                                          [&](const auto& f) { return IEquals(f.first, name); });
                // The first place wins: an actor in UpdateDir replaces the one on the disc.
                if (!listed) found.emplace_back(name, root);
            }
        }
        std::stable_sort(found.begin(), found.end(),
                         [](const auto& a, const auto& b) { return LessIgnoringCase(a.first, b.first); });
        actorNames_[size_t(s)].clear();
        actorHomes_[size_t(s)].clear();
        for (auto& [name, root] : found) {
            actorNames_[size_t(s)].push_back(name);
            actorHomes_[size_t(s)].push_back(root);
        }
    }
    int smaller = static_cast<int>(std::min(actorNames_[0].size(), actorNames_[1].size()));
    if (smaller < 2) settings_.ChangeActor = false;
    return smaller;
}

void TLanguageCatalogue::ChooseStartTarget() {
    int requested = options_.requestedTarget;
    int wanted = requested != 0 ? requested : ParseIntOr(registry_.Read("Target", "-1"), -1);
    if (wanted >= 0 && std::none_of(targets_.begin(), targets_.end(),
                                    [&](const TTargetEntry& t) { return t.number == wanted; }))
        wanted = -1;
    if (wanted < 0) {
        if (requested != 0) throw AppError(Format("Can't find target %d", requested));
        if (targets_.empty()) throw AppError("Can't find any target directories");
        wanted = targets_.front().number;
    }
    SetTarget(wanted);
}

void TLanguageCatalogue::SetTarget(int target) {
    if (target == target_) return;
    target_ = target;
    folders_.TargetDir = Format("%s\\targets\\target%d", folders_.DataDir.c_str(), target);
    std::string text = folders_.TargetDir + "\\TEXT";
    folders_.TextDir = PathResolver::IsDirectory(text) ? text : SourceFolder(target);
    if (!folders_.RecordsDir.empty())
        folders_.RecordsFile =
            PathResolver::Resolve(Format("%s\\Parlora%d.ini", folders_.RecordsDir.c_str(), target));
    if (settings_.Immersion)
        settings_.ChangeLanguage = false;
    else
        settings_.ChangeLanguage = config_.ReadBool("Defaults", "ChangeLanguage" + std::to_string(target),
                                                    settings_.ChangeLanguageConfigured);
    if (!options_.network) registry_.Write("Target", std::to_string(target));
}

std::string TLanguageCatalogue::SourceFolder(int source) const {
    return Format("%s\\sources\\%dsource", folders_.DataDir.c_str(), source);
}

bool TLanguageCatalogue::SourceExists(int source) const {
    return PathResolver::IsDirectory(SourceFolder(source));
}

void TLanguageCatalogue::ChooseStartSource() {
    if (!pendingSource_)
        pendingSource_ = options_.requestedSource != 0 ? options_.requestedSource : settings_.Source;
    int requested = *pendingSource_;
    if (requested != 0) {
        if (!SourceExists(requested)) throw AppError("Can't find any source directory");
        pendingSource_ = 0;
        options_.requestedSource = 0;
        SetSource(requested);
        return;
    }
    int candidate;
    if (settings_.Immersion) {
        candidate = target_;
    } else {
        int remembered = records_.ReadRecordInt("Defaults", "Source", LocaleSourceNumber(1));
        candidate = SourceExists(remembered) ? remembered : SourceExists(1) ? 1 : 2;
    }
    if (!SourceExists(candidate)) throw AppError("Can't find any source directory");
    SetSource(candidate);
}

void TLanguageCatalogue::SetSource(int source) {
    if (source == source_) return;
    source_ = source;
    folders_.SourceDir = SourceFolder(source);
    records_.WriteRecordInt("Defaults", "Source", source);
    sourceFont_ = config_.ReadString("Name", "Font" + std::to_string(source), "Arial");
    sourceCharset_ = config_.ReadInt("Name", "Charset" + std::to_string(source), 1);
    switch (settings_.Filter1) {
    case 1:
        firstWordsFilter_ = true;
        break;
    case 2: {
        firstWordsFilter_ = false;
        std::string list = settings_.Filter1List;
        while (!list.empty()) {
            int n = TakeInt(list, ",", 0);
            if (n == 0) break;
            if (n == source) firstWordsFilter_ = true;
        }
        break;
    }
    default:
        firstWordsFilter_ = false;
    }
}

std::string TLanguageCatalogue::TargetName() const {
    for (const auto& t : targets_)
        if (t.number == target_) return t.name;
    return Format("Target %d", target_);
}

std::optional<std::pair<int, int>> TLanguageCatalogue::LocaleLanguageId(const std::string& locale) {
    // language[_REGION][.encoding][@modifier]
    std::string rest = locale;
    std::string modifier;
    if (auto at = rest.find('@'); at != std::string::npos) {
        modifier = ToLowerAscii(rest.substr(at + 1));
        rest.erase(at);
    }
    if (auto dot = rest.find('.'); dot != std::string::npos) rest.erase(dot);
    std::string lang = ToLowerAscii(TakeToken(rest, "_"));
    std::string region = rest;
    for (char& c : region)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    auto it = LanguageCodes().find(lang);
    if (it == LanguageCodes().end()) return std::nullopt;
    return std::make_pair(it->second, SubLanguage(it->second, lang, region, modifier));
}

int TLanguageCatalogue::SourceForLanguageId(int primary, int sub, int fallback) {
    switch (primary) {
    case 1:
        return sub == 3 ? 18 : 92;
    case 4:
        return sub == 3 ? 48 : 19;
    case 7:
        return sub == 2 ? 89 : 4;
    case 9:
        return sub == 1 || sub == 4 ? 1 : 2;
    case 10:
        return sub == 1 || sub == 3 ? 5 : 66;
    case 22:
        return sub == 1 ? 47 : 9;
    case 26:
        return sub == 1 || sub == 4 ? 25 : sub == 5 || sub == 8 ? 174 : 26;
    default:
        break;
    }
    static const std::map<int, int> fixed = {
        {2, 27},    {3, 64},    {5, 23},    {6, 12},    {8, 15},    {11, 13},  {12, 3},    {13, 17},
        {14, 14},   {15, 36},   {16, 6},    {17, 20},   {18, 42},   {19, 8},   {20, 11},   {21, 28},
        {23, 90},   {24, 29},   {25, 7},    {27, 24},   {28, 46},   {29, 10},  {30, 40},   {31, 16},
        {32, 31},   {33, 39},   {34, 83},   {35, 125},  {36, 61},   {37, 70},  {38, 71},   {39, 72},
        {40, 130},  {41, 35},   {42, 41},   {43, 109},  {44, 124},  {45, 65},  {47, 108},  {50, 34},
        {52, 45},   {53, 32},   {54, 37},   {55, 107},  {56, 154},  {57, 30},  {58, 22},   {59, 69},
        {60, 44},   {62, 38},   {63, 121},  {64, 129},  {65, 33},   {66, 131}, {67, 126},  {68, 122},
        {69, 50},   {70, 51},   {71, 55},   {72, 195},  {73, 58},   {74, 57},  {75, 54},   {76, 56},
        {77, 53},   {78, 52},   {79, 156},  {80, 110},  {81, 62},   {82, 21},  {83, 78},   {84, 79},
        {86, 153},  {87, 190},  {89, 59},   {91, 120},  {93, 118},  {94, 73},  {95, 97},   {96, 155},
        {97, 88},   {98, 167},  {99, 104},  {100, 80},  {104, 106}, {106, 77}, {107, 101}, {108, 76},
        {109, 123}, {110, 102}, {111, 118}, {112, 75},  {115, 157}, {126, 82}, {129, 98},  {130, 81},
        {131, 91},  {132, 103}, {136, 201}, {140, 162}, {145, 67},
    };
    auto it = fixed.find(primary);
    return it == fixed.end() ? fallback : it->second;
}

int TLanguageCatalogue::LocaleSourceNumber(int fallback) const {
    auto id = LocaleLanguageId(shell_.localeName());
    return id ? SourceForLanguageId(id->first, id->second, fallback) : fallback;
}

void TLanguageCatalogue::LoadActor(int speaker, const std::string& name) {
    const char* kind = speaker == 0 ? "VideoM" : "VideoF";
    // Load from where the actor was listed; an actor only on the disc loads from there too.
    std::vector<std::pair<std::string, std::string>> places; // (root, folder name)
    const auto& names = actorNames_[size_t(speaker)];
    for (size_t i = 0; i < names.size(); ++i)
        if (IEquals(names[i], name)) places.emplace_back(actorHomes_[size_t(speaker)][i], names[i]);
    places.emplace_back(folders_.UpdateDir, name);
    places.emplace_back(folders_.DataDir, name);

    std::string folder, speakerFile;
    for (const auto& [root, folderName] : places) {
        if (root.empty()) continue;
        std::string candidate = Format("%s\\%s\\%s", root.c_str(), kind, folderName.c_str());
        if (PathResolver::IsFile(candidate + "\\speaker.txt")) {
            folder = candidate;
            speakerFile = candidate + "\\speaker.txt";
            break;
        }
    }
    if (folder.empty())
        throw AppError(
            Format("Can't find %s\\%s\\%s\\speaker.txt", folders_.UpdateDir.c_str(), kind, name.c_str()));

    TActorData actor;
    actor.name = name;
    actor.folder = folder;
    ProfileText settings = ProfileFile::Load(PathResolver::Resolve(speakerFile));
    // Counts or a rate below 1 would divide by zero when the strips are cut and timed; more frames
    // than a picture has pixels across, or more than one a millisecond, would overflow the timing.
    auto inRange = [&](const char* key, int most) {
        return std::clamp(ParseIntOr(settings.get("Settings", key, "0"), 0), 1, most);
    };
    actor.frames = {inRange("idle", 65535), inRange("speak", 65535), inRange("yes", 65535),
                    inRange("no", 65535)};
    actor.fps = inRange("fps", 1000);
    for (size_t i = 0; i < 4; ++i) {
        actor.strips[i] = folder + "\\" + TActorData::kStripFiles[i];
        if (!PathResolver::IsFile(actor.strips[i]))
            throw AppError(Format("Can't find %s", actor.strips[i].c_str()));
    }
    actors_[size_t(speaker)] = std::move(actor);
}

void TLanguageCatalogue::SetActor(int speaker, const std::string& name) {
    if (!IEquals(name, actors_[size_t(speaker)].name) || actors_[size_t(speaker)].folder.empty())
        LoadActor(speaker, name);
    actors_[size_t(speaker)].name = name;
    records_.WriteStudentValue(speaker == 0 ? "Male" : "Female", name);
}

void TLanguageCatalogue::SetMaleActor(const std::string& name) {
    SetActor(0, name);
}
void TLanguageCatalogue::SetFemaleActor(const std::string& name) {
    SetActor(1, name);
}

void TLanguageCatalogue::LoadStudentActors() {
    for (int s = 0; s < 2; ++s) {
        const std::string& fallback = s == 0 ? settings_.Male : settings_.Female;
        try {
            SetActor(s, records_.ReadStudentValue(s == 0 ? "Male" : "Female", fallback));
        } catch (const std::exception& e) {
            if (log_) log_(std::string("Actor not loaded, using the default: ") + e.what());
            SetActor(s, fallback);
        }
    }
}

std::string TLanguageCatalogue::TitlePicturePath() const {
    std::string learn = Format("%s\\general\\learn%d.png", folders_.SourceDir.c_str(), target_);
    if (PathResolver::IsFile(learn)) return learn;
    return Format("%s\\general\\default%d.png", folders_.TextDir.c_str(), target_);
}

bool TLanguageCatalogue::TitleVisible() const {
    return settings_.ShowTitle && target_ != 205;
}

} // namespace parlora
