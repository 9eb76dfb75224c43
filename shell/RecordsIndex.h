#pragma once
// The records file read once and answered from memory.
//
// RecordsIndex finds a section by name through a hash table and a key among its section's keys,
// with ProfileText's rules (names trimmed and compared without regard to ASCII case, the first
// section and the first key of a name win, a value trimmed and stripped of one pair of double
// quotes), so a list of thousands of students costs one parse instead of one per student.
//
// RecordsFileCache keeps the index of one file in step with it: writes go through ProfileFile::Edit
// (the whole file replaced atomically, as every write did) and the index takes the text written;
// before answering it compares the file's inode, size, modification and change times with those
// it read, so a file replaced by another program (another computer sharing the folder) is read
// again.
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace parlora {

class ProfileText;

class RecordsIndex {
  public:
    explicit RecordsIndex(std::string bytes = {});
    // The hash table points into the text: no copies or moves.
    RecordsIndex(const RecordsIndex&) = delete;
    RecordsIndex& operator=(const RecordsIndex&) = delete;

    // nullopt when the section or the key is absent.
    std::optional<std::string> get(std::string_view section, std::string_view key) const;
    bool hasSection(std::string_view section) const;
    const std::string& bytes() const { return bytes_; }

  private:
    struct Entry {
        size_t keyBegin, keyEnd;     // the trimmed key
        size_t valueBegin, valueEnd; // the trimmed value, quotes still on
    };
    struct Section {
        size_t firstEntry, endEntry;
    };
    struct FoldedHash {
        size_t operator()(std::string_view s) const;
    };
    struct FoldedEqual {
        bool operator()(std::string_view a, std::string_view b) const;
    };

    std::string bytes_;
    std::vector<Entry> entries_;
    std::vector<Section> sections_;
    // The first section of each name; the names point into bytes_.
    std::unordered_map<std::string_view, size_t, FoldedHash, FoldedEqual> byName_;
};

// What stat() says of a file: equal stamps mean the file was not replaced or written since.
struct FileStamp {
    bool known = false;  // false when stat failed for another reason than a missing file
    bool exists = false; // false for a missing file
    uint64_t device = 0, inode = 0, size = 0;
    timespec modified{}, changed{};

    static FileStamp Of(const std::string& path);
    bool operator==(const FileStamp& o) const;
    bool operator!=(const FileStamp& o) const { return !(*this == o); }
};

class RecordsFileCache {
  public:
    // The index of the file at `path` as it is now: read again when the path, the file's stamp
    // or its recency ask for it, otherwise the one already made.
    const RecordsIndex& Current(const std::string& path);
    // ProfileFile::Edit, then the index takes the text written. Failures are rethrown, the index
    // dropped: the file is read again next time.
    void Edit(const std::string& path, const std::function<void(ProfileText&)>& change);
    // How many times the file was read (for tests of the cache itself).
    int loads() const { return loads_; }

    // A file modified this recently may be written again within the same tick of the file
    // system's clock (two seconds on some shared folders) without a change of stamp: it is not
    // trusted until it is older.
    static constexpr int kRecentSeconds = 2;

  private:
    std::unique_ptr<RecordsIndex> index_;
    std::string path_;
    FileStamp stamp_;
    bool trusted_ = false;
    int loads_ = 0;
};

} // namespace parlora
