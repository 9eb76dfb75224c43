#pragma once
// The content files the course reads, as data: one entry per path pattern, expanded against the
// targets and sources a data directory holds. Paths keep the course's backslash spelling and are
// relative to the data directory; lookup on disk is case-insensitive (PathResolver).
//
// Pattern placeholders: {t} target number, {s} source number, {n} item number (first..last),
// {sp} speaker prefix ("M" and "F"). A sound pattern carries no extension: ".aif" is tried before
// ".mp3", as the players do.
#include <string>
#include <vector>

namespace parlora {

enum class ContentKind { Picture, Sound, Film, List, Folder };

// F: start-up fails; E: error when used; W: warning at screen creation; O: optional;
// P: a name we chose for a picture the course leaves unnamed.
enum class ContentLevel { F, E, W, O, P };

// Where a pattern is rooted; Text is the target's TEXT folder or, without one, sources\<t>source.
enum class ContentRoot { Data, Interface, Target, Source, Text };

struct FrameGrid {
    int x = 1, y = 1;
    bool single() const { return x == 1 && y == 1; }
};

struct ManifestEntry {
    std::string pattern; // relative to the root
    ContentRoot root = ContentRoot::Data;
    ContentKind kind = ContentKind::Picture;
    ContentLevel level = ContentLevel::E;
    FrameGrid grid;
    int first = 0, last = -1; // item range for {n}; empty when last < first
    bool atLeastOne = false;  // the level applies to the family as a whole (any target, any source)
    std::string note;
};

struct DataLayout {
    std::string dataDir;
    std::vector<int> targets;          // numbers of the targets\target<t> folders present
    std::vector<int> sources;          // numbers of the sources\<s>source folders present
    std::vector<std::string> textDirs; // per target, relative to dataDir
};

struct ContentFile {
    std::string path; // relative, backslashes; sounds without extension
    const ManifestEntry* entry = nullptr;
};

const char* LevelName(ContentLevel level);
const char* KindName(ContentKind kind);
bool IsRequired(ContentLevel level);

// Files read at start-up, by every activity, and by the first-words topic with its menus.
const std::vector<ManifestEntry>& ContentManifest();

// Finds the targets and sources a data directory holds (case-insensitive, as the course does).
DataLayout ScanDataDir(const std::string& dataDir);

// Every concrete path of one entry for this layout, in order.
std::vector<ContentFile> ExpandEntry(const ManifestEntry& entry, const DataLayout& layout);

} // namespace parlora
