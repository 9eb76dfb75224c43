#include "network/manager/SqliteProfileStore.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace parlora::classroom {

namespace {

struct Statement {
    sqlite3_stmt* s = nullptr;
    Statement(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string("SQLite: ") + sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(s); }
    Statement& Text(int i, const std::string& v) {
        sqlite3_bind_text(s, i, v.data(), int(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& Int(int i, long long v) {
        sqlite3_bind_int64(s, i, v);
        return *this;
    }
    // Runs a statement that returns no rows; throws when it was not committed.
    void Done(sqlite3* db) {
        if (sqlite3_step(s) != SQLITE_DONE)
            throw std::runtime_error(std::string("SQLite: ") + sqlite3_errmsg(db));
    }
};

std::string Column(sqlite3_stmt* s, int i) {
    const unsigned char* t = sqlite3_column_text(s, i);
    return t ? std::string(reinterpret_cast<const char*>(t), size_t(sqlite3_column_bytes(s, i)))
             : std::string();
}

// Every pupil's records are in this file: it is made readable by the teacher alone before SQLite
// opens it, and SQLite gives its journal files the same mode. A file that is there already and
// open to others is closed to them.
void MakePrivateDatabase(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
    if (fd < 0) throw std::runtime_error("Cannot open " + path + ": " + std::strerror(errno));
    struct stat st {};
    bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (regular && (st.st_mode & 077) != 0 && st.st_uid == ::geteuid()) ::fchmod(fd, 0600);
    ::close(fd);
    if (!regular) throw std::runtime_error("Cannot open " + path + ": not a regular file");
}

} // namespace

TSqliteProfileStore::TSqliteProfileStore(const std::string& path) {
    MakePrivateDatabase(path);
    for (const char* journal : {"-wal", "-shm", "-journal"}) {
        struct stat st {};
        if (::lstat((path + journal).c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 077) != 0 &&
            st.st_uid == ::geteuid())
            ::chmod((path + journal).c_str(), 0600);
    }
    if (sqlite3_open_v2(path.c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw std::runtime_error("Cannot open " + path + ": " + message);
    }
    sqlite3_busy_timeout(db_, 5000);
    try {
        // WAL with full sync: a committed write survives the manager being killed at any moment.
        Exec("PRAGMA journal_mode=WAL");
        Exec("PRAGMA synchronous=FULL");
        Exec("CREATE TABLE IF NOT EXISTS profile (target INTEGER NOT NULL, section TEXT NOT NULL, "
             "key TEXT NOT NULL, value TEXT NOT NULL, PRIMARY KEY (target, section, key))");
        Exec("CREATE TABLE IF NOT EXISTS results (id INTEGER PRIMARY KEY AUTOINCREMENT, at TEXT NOT NULL, "
             "pupil INTEGER NOT NULL, student TEXT NOT NULL, target INTEGER NOT NULL, kind TEXT NOT NULL, "
             "activity INTEGER NOT NULL, score INTEGER NOT NULL, award INTEGER NOT NULL)");
        Exec("CREATE TABLE IF NOT EXISTS credentials (pupil INTEGER NOT NULL, kind TEXT NOT NULL, "
             "hash TEXT NOT NULL, expires INTEGER NOT NULL, PRIMARY KEY (pupil, kind))");
    } catch (...) {
        sqlite3_close(db_);
        db_ = nullptr;
        throw;
    }
}

TSqliteProfileStore::~TSqliteProfileStore() {
    sqlite3_close(db_);
}

void TSqliteProfileStore::Exec(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : sqlite3_errmsg(db_);
        sqlite3_free(error);
        throw std::runtime_error("SQLite: " + message);
    }
}

std::optional<std::string> TSqliteProfileStore::Get(int target, const std::string& section,
                                                    const std::string& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    Statement st(db_, "SELECT value FROM profile WHERE target = ? AND section = ? AND key = ?");
    st.Int(1, target).Text(2, StoreKey(section)).Text(3, StoreKey(key));
    int rc = sqlite3_step(st.s);
    if (rc == SQLITE_ROW) return Column(st.s, 0);
    if (rc != SQLITE_DONE) throw std::runtime_error(std::string("SQLite: ") + sqlite3_errmsg(db_));
    return std::nullopt;
}

void TSqliteProfileStore::Put(int target, const std::string& section, const std::string& key,
                              const std::string& value) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (value.empty()) {
        Statement st(db_, "DELETE FROM profile WHERE target = ? AND section = ? AND key = ?");
        st.Int(1, target).Text(2, StoreKey(section)).Text(3, StoreKey(key)).Done(db_);
        return;
    }
    Statement st(db_, "INSERT INTO profile (target, section, key, value) VALUES (?, ?, ?, ?) "
                      "ON CONFLICT (target, section, key) DO UPDATE SET value = excluded.value");
    st.Int(1, target).Text(2, StoreKey(section)).Text(3, StoreKey(key)).Text(4, value).Done(db_);
}

void TSqliteProfileStore::EraseSection(int target, const std::string& section) {
    std::lock_guard<std::mutex> lock(mutex_);
    Statement st(db_, "DELETE FROM profile WHERE target = ? AND section = ?");
    st.Int(1, target).Text(2, StoreKey(section)).Done(db_);
}

void TSqliteProfileStore::AddResult(const TResultRow& r) {
    std::lock_guard<std::mutex> lock(mutex_);
    Statement st(db_, "INSERT INTO results (at, pupil, student, target, kind, activity, score, award) "
                      "VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    st.Text(1, r.at.empty() ? UtcNow() : r.at)
        .Int(2, r.pupil)
        .Text(3, r.student)
        .Int(4, r.target)
        .Text(5, r.kind)
        .Int(6, r.activity)
        .Int(7, r.score)
        .Int(8, r.award)
        .Done(db_);
}

std::vector<TResultRow> TSqliteProfileStore::Results() {
    std::lock_guard<std::mutex> lock(mutex_);
    Statement st(
        db_, "SELECT id, at, pupil, student, target, kind, activity, score, award FROM results ORDER BY id");
    std::vector<TResultRow> rows;
    while (sqlite3_step(st.s) == SQLITE_ROW) {
        TResultRow r;
        r.id = sqlite3_column_int64(st.s, 0);
        r.at = Column(st.s, 1);
        r.pupil = sqlite3_column_int(st.s, 2);
        r.student = Column(st.s, 3);
        r.target = sqlite3_column_int(st.s, 4);
        r.kind = Column(st.s, 5);
        r.activity = sqlite3_column_int(st.s, 6);
        r.score = sqlite3_column_int(st.s, 7);
        r.award = sqlite3_column_int(st.s, 8);
        rows.push_back(std::move(r));
    }
    return rows;
}

void TSqliteProfileStore::PutCredential(const TCredential& c) {
    std::lock_guard<std::mutex> lock(mutex_);
    Statement st(db_, "INSERT INTO credentials (pupil, kind, hash, expires) VALUES (?, ?, ?, ?) "
                      "ON CONFLICT (pupil, kind) DO UPDATE SET hash = excluded.hash, expires = excluded.expires");
    st.Int(1, c.pupil).Text(2, c.kind).Text(3, c.hash).Int(4, c.expires).Done(db_);
}

void TSqliteProfileStore::DropCredential(int pupil, const std::string& kind) {
    std::lock_guard<std::mutex> lock(mutex_);
    Statement st(db_, "DELETE FROM credentials WHERE pupil = ? AND kind = ?");
    st.Int(1, pupil).Text(2, kind).Done(db_);
}

std::vector<TCredential> TSqliteProfileStore::Credentials() {
    std::lock_guard<std::mutex> lock(mutex_);
    Statement st(db_, "SELECT pupil, kind, hash, expires FROM credentials ORDER BY pupil, kind");
    std::vector<TCredential> rows;
    while (sqlite3_step(st.s) == SQLITE_ROW)
        rows.push_back({sqlite3_column_int(st.s, 0), Column(st.s, 1), Column(st.s, 2),
                        sqlite3_column_int64(st.s, 3)});
    return rows;
}

} // namespace parlora::classroom
