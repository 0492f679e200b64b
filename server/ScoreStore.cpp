#include "ScoreStore.h"

#include <sqlite3.h>

namespace {

// Finalises a statement however the block is left.
struct Statement {
    sqlite3_stmt* s = nullptr;
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &s, nullptr); }
    ~Statement() { sqlite3_finalize(s); }
};

}  // namespace

ScoreStore::~ScoreStore() {
    if (db_) sqlite3_close(db_);
}

bool ScoreStore::Exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

bool ScoreStore::Open(const std::string& path, std::string& reason) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) {
        reason = db_ ? sqlite3_errmsg(db_) : "cannot open the database";
        return false;
    }
    sqlite3_busy_timeout(db_, 2000);
    // reached orders equal scores: whoever got there first ranks higher.
    if (!Exec("CREATE TABLE IF NOT EXISTS scores ("
              " board INTEGER NOT NULL,"
              " user TEXT NOT NULL,"
              " name TEXT NOT NULL,"
              " best INTEGER NOT NULL,"
              " reached INTEGER NOT NULL,"
              " PRIMARY KEY (board, user))")) {
        reason = sqlite3_errmsg(db_);
        return false;
    }
    return true;
}

bool ScoreStore::Record(const ScoreMessage& m) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!Exec("BEGIN IMMEDIATE")) return false;
    bool ok = true;
    {
        Statement rename(db_, "UPDATE scores SET name = ?1 WHERE user = ?2");
        sqlite3_bind_text(rename.s, 1, m.Name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(rename.s, 2, m.User.c_str(), -1, SQLITE_TRANSIENT);
        ok = ok && sqlite3_step(rename.s) == SQLITE_DONE;
    }
    for (std::size_t b = 0; ok && b < m.Boards.size(); b++) {
        if (m.Boards[b].Best <= 0) continue;
        Statement up(db_,
                     "INSERT INTO scores (board, user, name, best, reached)"
                     " VALUES (?1, ?2, ?3, ?4, (SELECT COALESCE(MAX(reached), 0) + 1 FROM scores))"
                     " ON CONFLICT (board, user) DO UPDATE SET"
                     "  reached = CASE WHEN excluded.best > best THEN excluded.reached ELSE reached END,"
                     "  best = MAX(best, excluded.best),"
                     "  name = excluded.name");
        sqlite3_bind_int(up.s, 1, int(b) + 1);
        sqlite3_bind_text(up.s, 2, m.User.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(up.s, 3, m.Name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(up.s, 4, m.Boards[b].Best);
        ok = sqlite3_step(up.s) == SQLITE_DONE;
    }
    Exec(ok ? "COMMIT" : "ROLLBACK");
    return ok;
}

std::vector<RankedScore> ScoreStore::Top(int board) {
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<RankedScore> out;
    Statement q(db_, "SELECT name, best FROM scores WHERE board = ?1 ORDER BY best DESC, reached ASC LIMIT 5");
    sqlite3_bind_int(q.s, 1, board);
    while (sqlite3_step(q.s) == SQLITE_ROW) {
        const unsigned char* name = sqlite3_column_text(q.s, 0);
        out.push_back({name ? reinterpret_cast<const char*>(name) : "", sqlite3_column_int(q.s, 1)});
    }
    return out;
}
