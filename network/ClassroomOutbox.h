#pragma once
// What the course could not tell the classroom manager while it was away: record writes, ends of
// activities and scores, in the order they happened, kept on disk so that a course closed or
// killed meanwhile still delivers them when it next finds the manager.
//
// The file is rewritten whole on every change (through a temporary file and a rename, so a crash
// leaves the old or the new one). One entry a line, fields separated by tabs, with backslash,
// tab, newline and carriage return escaped as \\ \t \n \r:
//     P <pupil>                      whose entries these are (first line)
//     W <section> <key> <value>      a record write (key and value empty: the section erased)
//     E <activity> <score>           an activity ended
//     S <score> <award level>        a score
// A line that does not read as one of these is skipped (and logged), never fatal.
//
// Bounds: a record write replaces an older write of the same section and key (an erase of a
// section, every older write of it), since only the last one counts for the manager's records:
// the box holds at most one write per key, which keeps it small and every rewrite cheap. Past
// kMaxEntries entries or kMaxBytes bytes it refuses new entries, and says so in the log, rather
// than lose the oldest ones.
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>

namespace parlora {

class TClassroomOutbox {
  public:
    enum class Kind { Write, End, Score };
    struct Entry {
        Kind kind = Kind::Write;
        std::string section, key, value; // a write
        int first = 0, second = 0;       // an end: activity, score; a score: score, award level
    };
    using LogLine = std::function<void(const std::string&)>;

    static constexpr size_t kMaxEntries = 10000;
    static constexpr size_t kMaxBytes = 4u << 20;

    // `path` empty: kept in memory only.
    TClassroomOutbox(std::string path, LogLine log, size_t maxEntries = kMaxEntries,
                     size_t maxBytes = kMaxBytes);

    // What the file holds replaces what is in memory (a missing file: nothing).
    void Load();
    // False when the box is full: the entry is not kept.
    bool Add(Entry entry);
    void DropFront();
    void Clear();

    const std::deque<Entry>& entries() const { return entries_; }
    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    // The pupil whose entries these are; 0: not known.
    int pupil() const { return pupil_; }
    void SetPupil(int pupil);

    // What the kept writes make of a record: nothing when they do not touch it, "" when they
    // removed it (or erased its section), else the last value written.
    std::optional<std::string> Written(const std::string& section, const std::string& key) const;

    // One line for a log: "record [Student Ann] Score = 7", "end of activity 276 (score 40)".
    static std::string Describe(const Entry& entry);

  private:
    static std::string Line(const Entry& entry);
    bool Save();

    std::string path_;
    LogLine log_;
    size_t maxEntries_, maxBytes_;
    std::deque<Entry> entries_;
    size_t bytes_ = 0; // of the entries' lines
    int pupil_ = 0;
    bool saveFailed_ = false;
    bool fullLogged_ = false;
};

} // namespace parlora
