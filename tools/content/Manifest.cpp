#include "tools/content/Manifest.h"

#include "core/PathResolver.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace parlora {
namespace {

using K = ContentKind;
using L = ContentLevel;
using R = ContentRoot;

ManifestEntry Pic(std::string pattern, L level, R root = R::Data, FrameGrid grid = {}, int first = 0,
                  int last = -1) {
    return {std::move(pattern), root, K::Picture, level, grid, first, last, false, {}};
}
ManifestEntry Button(std::string pattern, L level = L::W) {
    return Pic(std::move(pattern), level, R::Data, {4, 1});
}
ManifestEntry Snd(std::string pattern, L level, R root, int first = 0, int last = -1) {
    return {std::move(pattern), root, K::Sound, level, {}, first, last, false, {}};
}
ManifestEntry Other(std::string pattern, K kind, L level, R root = R::Data) {
    return {std::move(pattern), root, kind, level, {}, 0, -1, false, {}};
}

std::vector<ManifestEntry> BuildManifest() {
    std::vector<ManifestEntry> m;
    // Start-up and the language catalogue.
    m.push_back(Other("Interface\\FirstWords", K::Folder, L::F));
    m.back().note = "marks a data directory";
    m.push_back(Other("video.txt", K::List, L::O));
    m.push_back(Other("LangList.txt", K::List, L::O));
    m.push_back(Other("created.txt", K::List, L::O));
    m.push_back(Other("targets\\target{t}", K::Folder, L::F));
    m.back().atLeastOne = true;
    m.back().note = "Can't find any target directories";
    m.push_back(Other("sources\\{s}source", K::Folder, L::F));
    m.back().atLeastOne = true;
    m.back().note = "Can't find any source directory";
    m.push_back(Pic("general\\learn{t}.png", L::O, R::Source));
    m.push_back(Pic("general\\default{t}.png", L::O, R::Text));
    m.back().note = "needed only without learn<t>.png";

    // Every activity screen.
    for (const char* b : {"help", "exit", "record", "play", "seq", "seqStop"})
        m.push_back(Button(std::string("Interface\\Common\\BotStrip\\") + b + ".png"));
    for (const char* p : {"tick", "cross", "Questions", "ScoreFront", "ScoreBack"})
        m.push_back(Pic(std::string("Interface\\Common\\Games\\") + p + ".png", L::W));
    for (const char* p : {"Record", "recordBar", "Playback"})
        m.push_back(Pic(std::string("Interface\\Common\\Record\\") + p + ".png", L::W));
    m.push_back(Snd("Common\\{sp}Yes{n}", L::E, R::Target, 1, 4));
    m.push_back(Snd("Common\\{sp}No{n}", L::E, R::Target, 1, 4));
    m.push_back(Snd("SC\\{sp}SC{n}", L::E, R::Target, 0, 50));
    m.back().note = "spoken scores";
    m.push_back(Snd("General\\Aif\\{s}wdone", L::O, R::Source));
    m.push_back(Other("common\\sounds\\bing.wav", K::Sound, L::E, R::Interface));
    m.push_back(Other("common\\sounds\\click.wav", K::Sound, L::E, R::Interface));
    m.push_back(Pic("Interface\\Common\\Help\\HelpBox.png", L::W));
    m.push_back(Button("Interface\\Common\\Help\\exit.png"));
    for (int first : {1, 32}) {
        m.push_back(Pic("Help\\Help{n}.png", L::E, R::Source, {}, first, first == 1 ? 30 : 39));
        m.back().note = "help pictures (31 unused)";
    }

    // Main menu and the topic menus' common parts.
    m.push_back(Pic("Interface\\MainMenu\\MenuBg.png", L::W));
    m.push_back(Pic("Interface\\MainMenu\\flip{n}.PNG", L::W, R::Data, {10, 1}, 1, 9));
    m.push_back(Pic("Interface\\MainMenu\\memflip.PNG", L::W, R::Data, {10, 1}));
    m.push_back(Pic("Interface\\MainMenu\\Lights.png", L::W, R::Data, {5, 1}));
    for (const char* b :
         {"AwardStrip", "ChangeLangStrip", "ChooseActorStrip", "wwwStrip", "helpbtn", "exitbtn"})
        m.push_back(Button(std::string("Interface\\MainMenu\\") + b + ".png"));
    m.push_back(Pic("Interface\\MainMenu\\Slider.png", L::W));
    for (const char* p : {"exit", "help", "PrintBtn", "SpeakPracBtn"})
        m.push_back(Button(std::string("Interface\\Common\\SubMenus\\") + p + ".png"));
    for (const char* p : {"greentick", "purpletick", "redtick", "scorecircle"})
        m.push_back(Pic(std::string("Interface\\Common\\SubMenus\\") + p + ".png", L::W));
    m.push_back(Pic("General\\Submenu.png", L::E, R::Source));
    m.push_back(Snd("general\\aif\\{s}help3", L::O, R::Source));

    // The first-words topic: menu, practice, easy and hard games, speaking, memory cards.
    m.push_back(Pic("Interface\\FirstWords\\SubMenu\\FWSubMenu.png", L::W));
    for (const char* b : {"PracBtn", "EasyBtn", "HardBtn"})
        m.push_back(Button(std::string("Interface\\FirstWords\\SubMenu\\") + b + ".png"));
    m.push_back(Snd("FW\\{sp}FW{n}", L::E, R::Target, 1, 44));
    m.push_back(Pic("FW\\FW{n}.PNG", L::E, R::Text, {}, 1, 44));
    m.back().note = "target-language word";
    m.push_back(Pic("FW\\FW{n}.PNG", L::E, R::Source, {}, 1, 44));
    m.back().note = "source-language word";
    m.push_back(Pic("TLIT\\FW\\FW{n}.PNG", L::O, R::Target, {}, 1, 44));
    m.back().note = "read only when the TLIT folder exists";
    m.push_back(Pic("Interface\\FirstWords\\Practice\\pracbg.png", L::W));
    m.push_back(Pic("Interface\\FirstWords\\Practice\\loz2.png", L::W));
    m.push_back(Button("Interface\\FirstWords\\Practice\\UpArrow.png"));
    m.push_back(Button("Interface\\FirstWords\\Practice\\downArrow.png"));
    m.push_back(Pic("Interface\\FirstWords\\Practice\\Cursor.png", L::W));
    m.push_back(Pic("FirstWords\\Images\\FW{n}.png", L::E, R::Interface, {}, 1, 44));
    m.push_back(Pic("FirstWords\\SmallImages\\FW{n}.png", L::E, R::Interface, {}, 1, 44));
    m.push_back(Pic("Memory\\Pics\\FW\\FW{n}.png", L::E, R::Interface, {}, 1, 44));
    m.push_back(Pic("Interface\\FirstWords\\Easy\\Easy.png", L::W));
    m.push_back(Pic("Interface\\FirstWords\\Easy\\EasyCover.png", L::W));
    m.push_back(Pic("Interface\\FirstWords\\Hard\\hardBg.png", L::W));
    m.push_back(Pic("Interface\\FirstWords\\Hard\\loz2.png", L::W));
    m.push_back(Pic("Interface\\Common\\Speak\\mask.png", L::W));
    return m;
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
    return level == L::F || level == L::E || level == L::W;
}

const std::vector<ManifestEntry>& ContentManifest() {
    static const std::vector<ManifestEntry> manifest = BuildManifest();
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

    std::vector<ContentFile> out;
    for (int t : ts)
        for (int s : ss)
            for (int n : ns)
                for (const std::string& sp : sps) {
                    std::string path = RootPrefix(entry.root, t, s, layout) + p;
                    ReplaceAll(path, "{t}", std::to_string(t));
                    ReplaceAll(path, "{s}", std::to_string(s));
                    ReplaceAll(path, "{n}", std::to_string(n));
                    ReplaceAll(path, "{sp}", sp);
                    out.push_back({std::move(path), &entry});
                }
    return out;
}

} // namespace parlora
