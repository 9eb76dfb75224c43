#include "tools/content/Manifest.h"

#include "core/Errors.h"
#include "core/PathResolver.h"
#include "core/StringUtil.h"
#include "tools/content/EmbeddedText.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace parlora {
namespace {

using K = ContentKind;
using L = ContentLevel;
using R = ContentRoot;

template <typename T>
bool Lookup(const std::string& word, std::initializer_list<std::pair<const char*, T>> names, T& out) {
    for (const auto& [name, value] : names)
        if (word == name) {
            out = value;
            return true;
        }
    return false;
}

// "44x47" or "4x1"; empty gives the default.
bool ParsePair(const std::string& text, int& a, int& b) {
    if (text.empty()) return true;
    auto x = text.find('x');
    if (x == std::string::npos) return false;
    auto pa = ParseInt(text.substr(0, x)), pb = ParseInt(text.substr(x + 1));
    if (!pa || !pb || *pa <= 0 || *pb <= 0 || *pa > 100000 || *pb > 100000) return false;
    a = int(*pa);
    b = int(*pb);
    return true;
}

// "1..44"
bool ParseRange(const std::string& text, int& first, int& last) {
    if (text.empty()) return true;
    auto dots = text.find("..");
    if (dots == std::string::npos) return false;
    auto pf = ParseInt(text.substr(0, dots)), pl = ParseInt(text.substr(dots + 2));
    if (!pf || !pl || *pf < 0 || *pf > *pl || *pl > 100000) return false;
    first = int(*pf);
    last = int(*pl);
    return true;
}

ManifestEntry ParseRow(const std::string& line, int lineNo) {
    std::vector<std::string> f = Split(line, '|');
    auto bad = [&](const std::string& why) {
        return ConfigError("manifest.txt line " + std::to_string(lineNo) + ": " + why + ": " + line);
    };
    if (f.size() != 9) throw bad("expected 9 fields, found " + std::to_string(f.size()));
    for (std::string& s : f)
        s = Trim(s);
    ManifestEntry e;
    e.line = lineNo;
    if (!Lookup<L>(f[0], {{"F", L::F}, {"E", L::E}, {"W", L::W}, {"O", L::O}, {"P", L::P}}, e.level))
        throw bad("unknown level");
    if (!Lookup<K>(f[1],
                   {{"picture", K::Picture},
                    {"sound", K::Sound},
                    {"film", K::Film},
                    {"list", K::List},
                    {"folder", K::Folder}},
                   e.kind))
        throw bad("unknown kind");
    if (!Lookup<R>(f[2],
                   {{"data", R::Data},
                    {"interface", R::Interface},
                    {"target", R::Target},
                    {"source", R::Source},
                    {"text", R::Text},
                    {"update", R::Update},
                    {"program", R::Program}},
                   e.root))
        throw bad("unknown root");
    e.pattern = f[3];
    if (e.pattern.empty()) throw bad("no path");
    if (!ParseRange(f[4], e.first, e.last)) throw bad("bad item range");
    if (e.pattern.find("{n}") != std::string::npos && e.last < e.first) throw bad("{n} without items");
    if (!ParsePair(f[5], e.frameW, e.frameH)) throw bad("bad frame size");
    if (!ParsePair(f[6], e.grid.x, e.grid.y)) throw bad("bad grid");
    e.art = f[7];
    e.caption = f[8];
    // A folder family such as targets\target{t} is required as a whole, not one by one.
    e.atLeastOne = e.kind == K::Folder &&
                   (e.pattern.find("{t}") != std::string::npos || e.pattern.find("{s}") != std::string::npos);
    return e;
}

bool StartsWithNoCase(const std::string& s, const std::string& prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

bool AllDigits(const std::string& s) {
    return !s.empty() && s.size() <= 6 &&
           std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

// Numbers of the sub-folders named prefix<n>suffix, sorted.
std::vector<int> NumberedFolders(const std::string& folder, const std::string& prefix,
                                 const std::string& suffix) {
    std::vector<int> out;
    std::error_code ec;
    std::filesystem::directory_iterator it(PathResolver::Resolve(folder), ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        std::error_code dirEc;
        if (!it->is_directory(dirEc)) continue;
        std::string name = it->path().filename().string();
        if (name.size() <= prefix.size() + suffix.size() || !StartsWithNoCase(name, prefix)) continue;
        std::string tail = name.substr(name.size() - suffix.size());
        if (!StartsWithNoCase(tail, suffix)) continue;
        std::string number = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
        if (AllDigits(number)) out.push_back(std::stoi(number));
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

void ReplaceAll(std::string& s, const std::string& from, const std::string& to) {
    for (size_t pos = s.find(from); pos != std::string::npos; pos = s.find(from, pos + to.size()))
        s.replace(pos, from.size(), to);
}

std::string RootPrefix(R root, int t, int s, const DataLayout& layout) {
    switch (root) {
    case R::Data:
        return "";
    case R::Interface:
        return "Interface\\";
    case R::Target:
        return "targets\\target" + std::to_string(t) + "\\";
    case R::Source:
        return "sources\\" + std::to_string(s) + "source\\";
    case R::Update:
        return "..\\Update\\";
    case R::Program:
        return "..\\";
    case R::Text:
        for (size_t i = 0; i < layout.targets.size() && i < layout.textDirs.size(); ++i)
            if (layout.targets[i] == t) return layout.textDirs[i] + "\\";
        return "sources\\" + std::to_string(t) + "source\\";
    }
    return "";
}

} // namespace

const char* LevelName(ContentLevel level) {
    static const char* const names[] = {"F", "E", "W", "O", "P"};
    return names[static_cast<int>(level)];
}

const char* KindName(ContentKind kind) {
    static const char* const names[] = {"picture", "sound", "film", "list", "folder"};
    return names[static_cast<int>(kind)];
}

bool IsRequired(ContentLevel level) {
    return level == L::F || level == L::E || level == L::W || level == L::P;
}

std::vector<ManifestEntry> ParseManifest(const std::string& text) {
    std::vector<ManifestEntry> out;
    int lineNo = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = Trim(text.substr(pos, end - pos));
        ++lineNo;
        pos = end + 1;
        if (line.empty() || line[0] == '#') continue;
        out.push_back(ParseRow(line, lineNo));
    }
    return out;
}

const std::vector<ManifestEntry>& ContentManifest() {
    static const std::vector<ManifestEntry> manifest = ParseManifest(EmbeddedManifestText());
    return manifest;
}

DataLayout ScanDataDir(const std::string& dataDir) {
    DataLayout layout;
    layout.dataDir = dataDir;
    layout.targets = NumberedFolders(PathResolver::Join(dataDir, "targets"), "target", "");
    layout.sources = NumberedFolders(PathResolver::Join(dataDir, "sources"), "", "source");
    for (int t : layout.targets) {
        std::string text = "targets\\target" + std::to_string(t) + "\\TEXT";
        if (!PathResolver::IsDirectory(PathResolver::Join(dataDir, text)))
            text = "sources\\" + std::to_string(t) + "source";
        layout.textDirs.push_back(text);
    }
    // An actor is a folder holding thumb.png; dot folders are not actors.
    for (auto [sub, list] :
         {std::pair{"VideoM", &layout.maleActors}, std::pair{"VideoF", &layout.femaleActors}}) {
        std::string folder =
            PathResolver::Resolve(PathResolver::Join(dataDir, std::string("../Update/") + sub));
        std::error_code ec;
        std::filesystem::directory_iterator it(folder, ec);
        for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
            std::string name = it->path().filename().string();
            if (name.empty() || name[0] == '.') continue;
            if (PathResolver::IsFile(PathResolver::Join(it->path().string(), "thumb.png")))
                list->push_back(name);
        }
        std::sort(list->begin(), list->end());
    }
    return layout;
}

std::vector<ContentFile> ExpandEntry(const ManifestEntry& entry, const DataLayout& layout) {
    const std::string& p = entry.pattern;
    bool byTarget = entry.root == R::Target || entry.root == R::Text || p.find("{t}") != std::string::npos;
    bool bySource = entry.root == R::Source || p.find("{s}") != std::string::npos;
    bool byItem = p.find("{n}") != std::string::npos;
    bool bySpeaker = p.find("{sp}") != std::string::npos;

    // One pass with a dummy value stands for "no such placeholder".
    std::vector<int> ts = byTarget ? layout.targets : std::vector<int>{0};
    std::vector<int> ss = bySource ? layout.sources : std::vector<int>{0};
    std::vector<int> ns;
    if (byItem)
        for (int n = entry.first; n <= entry.last; ++n)
            ns.push_back(n);
    else
        ns.push_back(0);
    std::vector<std::string> sps =
        bySpeaker ? std::vector<std::string>{"M", "F"} : std::vector<std::string>{""};
    std::vector<std::string> actors{""};
    if (p.find("{male}") != std::string::npos) actors = layout.maleActors;
    if (p.find("{female}") != std::string::npos) actors = layout.femaleActors;

    std::vector<ContentFile> out;
    for (int t : ts)
        for (int s : ss)
            for (int n : ns)
                for (const std::string& sp : sps)
                    for (const std::string& actor : actors) {
                        std::string path = RootPrefix(entry.root, t, s, layout) + p;
                        ReplaceAll(path, "{t}", std::to_string(t));
                        ReplaceAll(path, "{s}", std::to_string(s));
                        ReplaceAll(path, "{n}", std::to_string(n));
                        ReplaceAll(path, "{sp}", sp);
                        ReplaceAll(path, "{male}", actor);
                        ReplaceAll(path, "{female}", actor);
                        ContentFile f;
                        f.path = std::move(path);
                        f.entry = &entry;
                        f.target = t;
                        f.source = s;
                        f.item = n;
                        f.speaker = sp;
                        f.actor = actor;
                        out.push_back(std::move(f));
                    }
    return out;
}

} // namespace parlora
