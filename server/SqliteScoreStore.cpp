// The SQLite engine. The file runs in WAL mode with synchronous=NORMAL: a
// commit is written to the WAL before the request is answered, so a score the
// server acknowledged survives the server being killed at any moment (the
// operating system holds the write). What it does not promise is power loss
// or a kernel crash: the last commits since the WAL was last synced may be
// rolled back, never half applied. FULL would sync on every commit and cap
// the server at the disk's sync rate. Checkpoints (which do sync) run on a
// thread of their own every CheckpointMs rather than inside a request.
#include "SqliteScoreStore.h"

#include <sqlite3.h>

namespace {

constexpr int CheckpointMs = 1000;
// About 16 MB of 4 KiB pages.
constexpr int WalRestartFrames = 4000;

// Rows keep the first time their best score was reached (reached), from a
// counter kept in the same file and advanced inside each write transaction,
// so it stays in order whoever writes.
const char Schema[] =
    "CREATE TABLE IF NOT EXISTS scores ("
    " board INTEGER NOT NULL,"
    " user TEXT NOT NULL,"
    " name TEXT NOT NULL,"
    " best INTEGER NOT NULL,"
    " reached INTEGER NOT NULL,"
    " PRIMARY KEY (board, user));"
    "CREATE INDEX IF NOT EXISTS scores_rank ON scores (board, best DESC, reached);"
    "CREATE INDEX IF NOT EXISTS scores_user ON scores (user);"
    "CREATE TABLE IF NOT EXISTS score_order (id INTEGER PRIMARY KEY CHECK (id = 1), next INTEGER NOT NULL);"
    "INSERT OR IGNORE INTO score_order VALUES (1, (SELECT COALESCE(MAX(reached), 0) FROM scores));";

const char UpsertSql[] =
    "INSERT INTO scores (board, user, name, best, reached) VALUES (?1, ?2, ?3, ?4, ?5)"
    " ON CONFLICT (board, user) DO UPDATE SET"
    "  reached = CASE WHEN excluded.best > best THEN excluded.reached ELSE reached END,"
    "  best = MAX(best, excluded.best),"
    "  name = excluded.name";

// Runs a kept statement to its end and makes it ready for the next use.
bool Done(sqlite3_stmt* s) {
    int rc = sqlite3_step(s);
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    return rc == SQLITE_DONE;
}

std::string Text(sqlite3_stmt* s, int column) {
    const unsigned char* t = sqlite3_column_text(s, column);
    return t ? reinterpret_cast<const char*>(t) : "";
}

}  // namespace

SqliteScoreStore::~SqliteScoreStore() {
    if (checkpointer_.joinable()) {
        {
            std::lock_guard<std::mutex> guard(stopLock_);
            stopping_ = true;
        }
        stopSignal_.notify_all();
        checkpointer_.join();
    }
    for (sqlite3_stmt* s : {begin_, commit_, rollback_, ticket_, rename_, upsert_, top_}) sqlite3_finalize(s);
    if (db_) sqlite3_close(db_);
}

bool SqliteScoreStore::Exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

bool SqliteScoreStore::Prepare(sqlite3_stmt*& s, const char* sql) {
    return sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) == SQLITE_OK;
}

bool SqliteScoreStore::Open(const std::string& path, std::string& reason) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) {
        reason = db_ ? sqlite3_errmsg(db_) : "cannot open the database";
        return false;
    }
    // Another process (a backup, a check) may hold the file for a moment.
    sqlite3_busy_timeout(db_, 5000);
    bool ok = Exec("PRAGMA journal_mode = WAL") && Exec("PRAGMA synchronous = NORMAL") && Exec(Schema) &&
              Prepare(begin_, "BEGIN IMMEDIATE") && Prepare(commit_, "COMMIT") && Prepare(rollback_, "ROLLBACK") &&
              Prepare(ticket_, "UPDATE score_order SET next = next + 1 RETURNING next") &&
              Prepare(rename_, "UPDATE scores SET name = ?1 WHERE user = ?2 AND name <> ?1") &&
              Prepare(upsert_, UpsertSql) &&
              Prepare(top_, "SELECT name, best FROM scores WHERE board = ?1 ORDER BY best DESC, reached ASC LIMIT ?2");
    if (!ok) {
        reason = sqlite3_errmsg(db_);
        return false;
    }
    const char* file = sqlite3_db_filename(db_, "main");
    if (file && *file) {
        Exec("PRAGMA wal_autocheckpoint = 0");
        checkpointer_ = std::thread(&SqliteScoreStore::Checkpoints, this, std::string(file));
    }
    return true;
}

void SqliteScoreStore::Checkpoints(std::string path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 100);
        // A fresh connection only learns the file is in WAL mode when it reads.
        sqlite3_exec(db, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
        std::unique_lock<std::mutex> guard(stopLock_);
        while (!stopSignal_.wait_for(guard, std::chrono::milliseconds(CheckpointMs), [this] { return stopping_; })) {
            int frames = 0, copied = 0;
            sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, &frames, &copied);
            // Under steady writes the WAL never drains on its own: once it is
            // large, writers pause for the last few frames and the WAL starts
            // over from an empty file.
            if (frames >= WalRestartFrames) {
                std::lock_guard<std::mutex> writers(lock_);
                sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
            }
        }
    }
    sqlite3_close(db);
}

bool SqliteScoreStore::Record(const ScoreMessage& m) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!Done(begin_)) return false;

    bool ok = sqlite3_step(ticket_) == SQLITE_ROW;
    sqlite3_int64 ticket = ok ? sqlite3_column_int64(ticket_, 0) : 0;
    ok = ok && sqlite3_step(ticket_) == SQLITE_DONE;
    sqlite3_reset(ticket_);

    sqlite3_bind_text(rename_, 1, m.Name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(rename_, 2, m.User.c_str(), -1, SQLITE_TRANSIENT);
    ok = ok && Done(rename_);
    for (std::size_t b = 0; ok && b < m.Boards.size(); b++) {
        if (m.Boards[b].Best <= 0) continue;
        sqlite3_bind_int(upsert_, 1, int(b) + 1);
        sqlite3_bind_text(upsert_, 2, m.User.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(upsert_, 3, m.Name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(upsert_, 4, m.Boards[b].Best);
        sqlite3_bind_int64(upsert_, 5, ticket);
        ok = Done(upsert_);
    }
    if (ok && Done(commit_)) return true;
    Done(rollback_);
    return false;
}

bool SqliteScoreStore::TopLocked(int board, int n, std::vector<RankedScore>& out) {
    out.clear();
    sqlite3_bind_int(top_, 1, board);
    sqlite3_bind_int(top_, 2, n);
    int rc;
    while ((rc = sqlite3_step(top_)) == SQLITE_ROW) out.push_back({Text(top_, 0), sqlite3_column_int(top_, 1)});
    sqlite3_reset(top_);
    return rc == SQLITE_DONE;
}

bool SqliteScoreStore::Top(int board, int n, std::vector<RankedScore>& out) {
    std::lock_guard<std::mutex> guard(lock_);
    return TopLocked(board, n, out);
}

bool SqliteScoreStore::TopAll(std::vector<RankedScore> (&tops)[ServerBoards]) {
    std::lock_guard<std::mutex> guard(lock_);
    for (int b = 0; b < ServerBoards; b++)
        if (!TopLocked(b + 1, 5, tops[b])) return false;
    return true;
}

bool SqliteScoreStore::All(std::vector<StoredScore>& out) {
    std::lock_guard<std::mutex> guard(lock_);
    out.clear();
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db_, "SELECT board, user, name, best FROM scores", -1, &s, nullptr) != SQLITE_OK)
        return false;
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW)
        out.push_back({sqlite3_column_int(s, 0), Text(s, 1), Text(s, 2), sqlite3_column_int(s, 3)});
    sqlite3_finalize(s);
    return rc == SQLITE_DONE;
}
