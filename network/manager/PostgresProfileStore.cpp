#include "network/manager/PostgresProfileStore.h"

#include <libpq-fe.h>

#include <cstdlib>
#include <stdexcept>

namespace parlora::classroom {

namespace {

struct Result {
    PGresult* r;
    ~Result() { PQclear(r); }
};

} // namespace

TPostgresProfileStore::TPostgresProfileStore(const std::string& connection) {
    conn_ = PQconnectdb(connection.c_str());
    if (PQstatus(conn_) != CONNECTION_OK) {
        std::string message = PQerrorMessage(conn_);
        PQfinish(conn_);
        conn_ = nullptr;
        while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
            message.pop_back();
        throw std::runtime_error("Cannot reach PostgreSQL: " + message);
    }
    // "already exists, skipping" and the like are not for the teacher's terminal.
    PQsetNoticeProcessor(
        conn_, [](void*, const char*) {}, nullptr);
    Result a{Run("CREATE TABLE IF NOT EXISTS profile (target INTEGER NOT NULL, section TEXT NOT NULL, "
                 "key TEXT NOT NULL, value TEXT NOT NULL, PRIMARY KEY (target, section, key))",
                 {})};
    Result b{
        Run("CREATE TABLE IF NOT EXISTS results (id BIGSERIAL PRIMARY KEY, at TEXT NOT NULL, "
            "pupil INTEGER NOT NULL, student TEXT NOT NULL, target INTEGER NOT NULL, kind TEXT NOT NULL, "
            "activity INTEGER NOT NULL, score INTEGER NOT NULL, award INTEGER NOT NULL)",
            {})};
    Result c{Run("CREATE TABLE IF NOT EXISTS credentials (pupil INTEGER NOT NULL, kind TEXT NOT NULL, "
                 "hash TEXT NOT NULL, expires BIGINT NOT NULL, PRIMARY KEY (pupil, kind))",
                 {})};
}

TPostgresProfileStore::~TPostgresProfileStore() {
    PQfinish(conn_);
}

PGresult* TPostgresProfileStore::Run(const char* sql, const std::vector<std::string>& params) {
    std::vector<const char*> values;
    for (const std::string& p : params)
        values.push_back(p.c_str());
    // Each statement commits on its own (no transaction is ever left open).
    PGresult* r = PQexecParams(conn_, sql, int(values.size()), nullptr, values.data(), nullptr, nullptr, 0);
    ExecStatusType status = PQresultStatus(r);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        std::string message = PQerrorMessage(conn_);
        PQclear(r);
        // A connection the server dropped is made again once, for the next statement.
        if (PQstatus(conn_) != CONNECTION_OK) PQreset(conn_);
        throw std::runtime_error("PostgreSQL: " + message);
    }
    return r;
}

std::optional<std::string> TPostgresProfileStore::Get(int target, const std::string& section,
                                                      const std::string& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    Result r{Run("SELECT value FROM profile WHERE target = $1 AND section = $2 AND key = $3",
                 {std::to_string(target), StoreKey(section), StoreKey(key)})};
    if (PQntuples(r.r) == 0) return std::nullopt;
    return std::string(PQgetvalue(r.r, 0, 0));
}

void TPostgresProfileStore::Put(int target, const std::string& section, const std::string& key,
                                const std::string& value) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (value.empty()) {
        Result r{Run("DELETE FROM profile WHERE target = $1 AND section = $2 AND key = $3",
                     {std::to_string(target), StoreKey(section), StoreKey(key)})};
        return;
    }
    Result r{Run("INSERT INTO profile (target, section, key, value) VALUES ($1, $2, $3, $4) "
                 "ON CONFLICT (target, section, key) DO UPDATE SET value = EXCLUDED.value",
                 {std::to_string(target), StoreKey(section), StoreKey(key), value})};
}

void TPostgresProfileStore::EraseSection(int target, const std::string& section) {
    std::lock_guard<std::mutex> lock(mutex_);
    Result r{Run("DELETE FROM profile WHERE target = $1 AND section = $2",
                 {std::to_string(target), StoreKey(section)})};
}

void TPostgresProfileStore::AddResult(const TResultRow& row) {
    std::lock_guard<std::mutex> lock(mutex_);
    Result r{Run("INSERT INTO results (at, pupil, student, target, kind, activity, score, award) "
                 "VALUES ($1, $2, $3, $4, $5, $6, $7, $8)",
                 {row.at.empty() ? UtcNow() : row.at, std::to_string(row.pupil), row.student,
                  std::to_string(row.target), row.kind, std::to_string(row.activity),
                  std::to_string(row.score), std::to_string(row.award)})};
}

std::vector<TResultRow> TPostgresProfileStore::Results() {
    std::lock_guard<std::mutex> lock(mutex_);
    Result r{Run(
        "SELECT id, at, pupil, student, target, kind, activity, score, award FROM results ORDER BY id", {})};
    std::vector<TResultRow> rows;
    for (int i = 0; i < PQntuples(r.r); ++i) {
        TResultRow row;
        row.id = std::atoll(PQgetvalue(r.r, i, 0));
        row.at = PQgetvalue(r.r, i, 1);
        row.pupil = std::atoi(PQgetvalue(r.r, i, 2));
        row.student = PQgetvalue(r.r, i, 3);
        row.target = std::atoi(PQgetvalue(r.r, i, 4));
        row.kind = PQgetvalue(r.r, i, 5);
        row.activity = std::atoi(PQgetvalue(r.r, i, 6));
        row.score = std::atoi(PQgetvalue(r.r, i, 7));
        row.award = std::atoi(PQgetvalue(r.r, i, 8));
        rows.push_back(std::move(row));
    }
    return rows;
}

void TPostgresProfileStore::PutCredential(const TCredential& c) {
    std::lock_guard<std::mutex> lock(mutex_);
    Result r{Run("INSERT INTO credentials (pupil, kind, hash, expires) VALUES ($1, $2, $3, $4) "
                 "ON CONFLICT (pupil, kind) DO UPDATE SET hash = EXCLUDED.hash, expires = EXCLUDED.expires",
                 {std::to_string(c.pupil), c.kind, c.hash, std::to_string(c.expires)})};
}

void TPostgresProfileStore::DropCredential(int pupil, const std::string& kind) {
    std::lock_guard<std::mutex> lock(mutex_);
    Result r{Run("DELETE FROM credentials WHERE pupil = $1 AND kind = $2", {std::to_string(pupil), kind})};
}

std::vector<TCredential> TPostgresProfileStore::Credentials() {
    std::lock_guard<std::mutex> lock(mutex_);
    Result r{Run("SELECT pupil, kind, hash, expires FROM credentials ORDER BY pupil, kind", {})};
    std::vector<TCredential> rows;
    for (int i = 0; i < PQntuples(r.r); ++i)
        rows.push_back({std::atoi(PQgetvalue(r.r, i, 0)), PQgetvalue(r.r, i, 1), PQgetvalue(r.r, i, 2),
                        std::atoll(PQgetvalue(r.r, i, 3))});
    return rows;
}

} // namespace parlora::classroom
