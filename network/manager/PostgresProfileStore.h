#pragma once
// The records in a school's PostgreSQL database, reached with a libpq connection string.
#include "network/manager/ProfileStore.h"

#include <mutex>

struct pg_conn;
struct pg_result;

namespace parlora::classroom {

class TPostgresProfileStore : public IProfileStore {
  public:
    // Throws std::runtime_error with the server's message when it cannot connect.
    explicit TPostgresProfileStore(const std::string& connection);
    ~TPostgresProfileStore() override;
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
    // Runs one statement with text parameters; throws on failure. The result is the caller's.
    pg_result* Run(const char* sql, const std::vector<std::string>& params);
    pg_conn* conn_ = nullptr;
    std::mutex mutex_;
};

} // namespace parlora::classroom
