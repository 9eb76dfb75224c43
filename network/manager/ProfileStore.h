#pragma once
// Where the classroom manager keeps the students' records (the same sections, keys and values as
// a pupil's local records file, one set per target language) and the results pupils report.
// Every change is committed before the call returns: a pupil is told "stored" only then.
#include <optional>
#include <string>
#include <vector>

namespace parlora::classroom {

struct TResultRow {
    long long id = 0;
    std::string at; // UTC, ISO 8601
    int pupil = 0;
    std::string student;
    int target = 0;
    std::string kind; // "end" (activity, score) or "score" (total, award level)
    int activity = 0;
    int score = 0;
    int award = 0;
};

// What proves a pupil's computer: its key, or a one-time enrolment code not used yet. Only a hash
// of either is kept.
struct TCredential {
    int pupil = 0;
    std::string kind; // "key" or "code"
    std::string hash; // SHA-256, hexadecimal
    long long expires = 0; // seconds since 1970; 0: never
};

class IProfileStore {
  public:
    virtual ~IProfileStore() = default;
    // Sections and keys compare without case, as in a records file.
    virtual std::optional<std::string> Get(int target, const std::string& section,
                                           const std::string& key) = 0;
    // An empty value removes the key.
    virtual void Put(int target, const std::string& section, const std::string& key,
                     const std::string& value) = 0;
    virtual void EraseSection(int target, const std::string& section) = 0;
    virtual void AddResult(const TResultRow& row) = 0;
    virtual std::vector<TResultRow> Results() = 0;
    // One credential of each kind per pupil: a new one replaces the old.
    virtual void PutCredential(const TCredential& credential) = 0;
    virtual void DropCredential(int pupil, const std::string& kind) = 0;
    virtual std::vector<TCredential> Credentials() = 0;
};

// Lower-case ASCII: the stored form of sections and keys.
std::string StoreKey(const std::string& text);
std::string UtcNow();

} // namespace parlora::classroom
