#pragma once
// The content files the course reads, as data (tools/content/manifest.txt, built into the program):
// one entry per path pattern, expanded against the targets, sources and actors a course holds.
// Paths keep the course's backslash spelling and are relative to the data directory; lookup on
// disk is case-insensitive (PathResolver).
//
// Pattern placeholders: {t} target number, {s} source number, {n} item number (first..last),
// {sp} speaker prefix ("M" and "F"), {male}/{female} an actor folder. A sound pattern without
// extension stands for ".aif", else ".mp3", as the players try them.
#include <string>
#include <vector>

namespace parlora {

enum class ContentKind { Picture, Sound, Film, List, Folder };

// F: start-up fails; E: error when used; W: warning at screen creation; O: optional;
// P: a name we chose for a picture the course leaves unnamed.
enum class ContentLevel { F, E, W, O, P };

// Text is the target's TEXT folder or, without one, sources\<t>source. Update and Program lie
// beside the data folder: Update holds the actors, Program the documents.
enum class ContentRoot { Data, Interface, Target, Source, Text, Update, Program };

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
    int first = 0, last = -1;   // item range for {n}; empty when last < first
    int frameW = 0, frameH = 0; // one frame's size; 0 when the course does not care
    bool atLeastOne = false;    // the level applies to the family as a whole (any target, any source)
    std::string art;            // how the demo makes it ("bg", "button", "word:FW", ...); empty: not made
    std::string caption;        // text drawn or spoken; "English~French~Spanish" where it varies
    int line = 0;               // line in manifest.txt, for messages
};

struct DataLayout {
    std::string dataDir;
    std::vector<int> targets;                          // numbers of the targets\target<t> folders present
    std::vector<int> sources;                          // numbers of the sources\<s>source folders present
    std::vector<std::string> textDirs;                 // per target, relative to dataDir
    std::vector<std::string> maleActors, femaleActors; // Update\VideoM and Update\VideoF folders
};

struct ContentFile {
    std::string path; // relative to the data folder, backslashes; sounds without extension
    const ManifestEntry* entry = nullptr;
    int target = 0, source = 0, item = 0; // the values the placeholders took (0 when unused)
    std::string speaker;                  // "M", "F" or empty
    std::string actor;
};

const char* LevelName(ContentLevel level);
const char* KindName(ContentKind kind);
bool IsRequired(ContentLevel level);

// The built-in manifest.
const std::vector<ManifestEntry>& ContentManifest();
// Parses manifest text; throws ConfigError naming the line of a malformed row.
std::vector<ManifestEntry> ParseManifest(const std::string& text);

// Finds the targets, sources and actors a data directory holds (case-insensitive, as the course does).
DataLayout ScanDataDir(const std::string& dataDir);

// Every concrete path of one entry for this layout, in order.
std::vector<ContentFile> ExpandEntry(const ManifestEntry& entry, const DataLayout& layout);

} // namespace parlora
