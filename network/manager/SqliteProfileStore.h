#pragma once
// The records in one SQLite file: nothing to set up, safe against a killed manager (every write
// is its own committed transaction, synchronous to the disk).
#include "network/manager/ProfileStore.h"

#include <mutex>

struct sqlite3;

namespace parlora::classroom {

class TSqliteProfileStore : public IProfileStore {
  public:
    // Throws std::runtime_error with SQLite's message when the file cannot be opened.
    explicit TSqliteProfileStore(const std::string& path);
    ~TSqliteProfileStore() override;
    std::optional<std::string> Get(int target, const std::string& section, const std::string& key) override;
    void Put(int target, const std::string& section, const std::string& key,
             const std::string& value) override;
    void EraseSection(int target, const std::string& section) override;
    void AddResult(const TResultRow& row) override;
    std::vector<TResultRow> Results() override;
    void PutCredential(const TCredential& credential) override;
    void DropCredential(int pupil, const std::string& kind) override;
    std::vector<TCredential> Credentials() override;

  private:
    void Exec(const char* sql);
    sqlite3* db_ = nullptr;
    std::mutex mutex_;
};

} // namespace parlora::classroom
