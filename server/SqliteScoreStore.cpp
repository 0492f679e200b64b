// The SQLite engine. The file runs in WAL mode with synchronous=NORMAL: a
// commit is written to the WAL before the request is answered, so a score the
// server acknowledged survives the server being killed at any moment (the
// operating system holds the write). What it does not promise is power loss
// or a kernel crash: the last commits since the WAL was last synced may be
// rolled back, never half applied. FULL would sync on every commit and cap
// the server at the disk's sync rate. Checkpoints (which do sync) run on a
// thread of their own every CheckpointMs rather than inside a request.
#include "SqliteScoreStore.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

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
    "INSERT OR IGNORE INTO score_order VALUES (1, (SELECT COALESCE(MAX(reached), 0) FROM scores));"
    // Every verified journal, named by its hash, and each user's best
    // verified game per board.
    "CREATE TABLE IF NOT EXISTS journals ("
    " hash TEXT PRIMARY KEY,"
    " board INTEGER NOT NULL,"
    " user TEXT NOT NULL,"
    " name TEXT NOT NULL,"
    " score INTEGER NOT NULL,"
    " reached INTEGER NOT NULL,"
    " received INTEGER NOT NULL,"
    " bytes BLOB NOT NULL);"
    "CREATE TABLE IF NOT EXISTS verified ("
    " board INTEGER NOT NULL,"
    " user TEXT NOT NULL,"
    " name TEXT NOT NULL,"
    " best INTEGER NOT NULL,"
    " reached INTEGER NOT NULL,"
    " hash TEXT NOT NULL,"
    " PRIMARY KEY (board, user));"
    "CREATE INDEX IF NOT EXISTS verified_rank ON verified (board, best DESC, reached);"
    "CREATE INDEX IF NOT EXISTS verified_user ON verified (user);";

const char UpsertSql[] =
    "INSERT INTO scores (board, user, name, best, reached) VALUES (?1, ?2, ?3, ?4, ?5)"
    " ON CONFLICT (board, user) DO UPDATE SET"
    "  reached = CASE WHEN excluded.best > best THEN excluded.reached ELSE reached END,"
    "  best = MAX(best, excluded.best),"
    "  name = excluded.name";

// A user's best verified game replaces the one before only when higher, so
// an equal score keeps its earlier place.
const char RaiseVerifiedSql[] =
    "INSERT INTO verified (board, user, name, best, reached, hash) VALUES (?1, ?2, ?3, ?4, ?5, ?6)"
    " ON CONFLICT (board, user) DO UPDATE SET"
    "  name = excluded.name, best = excluded.best, reached = excluded.reached, hash = excluded.hash"
    " WHERE excluded.best > verified.best";

const char TopVerifiedSql[] =
    "SELECT name, best, 1, hash FROM verified WHERE board = ?1 ORDER BY best DESC, reached ASC LIMIT ?2";

// Verified and claimed scores side by side, each user once: whichever of
// the two is higher, the verified one when they are equal.
const char TopAllSql[] =
    "SELECT name, best, verified, hash FROM ("
    " SELECT v.name, v.best, v.reached, 1 AS verified, v.hash FROM verified v WHERE v.board = ?1"
    "  AND NOT EXISTS (SELECT 1 FROM scores s WHERE s.board = v.board AND s.user = v.user AND s.best > v.best)"
    " UNION ALL"
    " SELECT s.name, s.best, s.reached, 0, '' FROM scores s WHERE s.board = ?1"
    "  AND NOT EXISTS (SELECT 1 FROM verified v WHERE v.board = s.board AND v.user = s.user AND v.best >= s.best))"
    " ORDER BY best DESC, reached ASC LIMIT ?2";

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
    for (sqlite3_stmt* s : {begin_, commit_, rollback_, ticket_, rename_, upsert_, topVerified_, topAll_, owner_,
                            keepJournal_, raiseVerified_, bytes_, known_})
        sqlite3_finalize(s);
    if (db_) sqlite3_close(db_);
}

bool SqliteScoreStore::Exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

bool SqliteScoreStore::Prepare(sqlite3_stmt*& s, const char* sql) {
    return sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) == SQLITE_OK;
}

bool SqliteScoreStore::Open(const std::string& path, std::string& reason) {
    // The file holds every player's ID: only its owner reads it. SQLite
    // gives its WAL and shared-memory files the same mode.
    if (path != ":memory:" && !path.empty()) {
        int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd >= 0) close(fd);
    }
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
              Prepare(topVerified_, TopVerifiedSql) && Prepare(topAll_, TopAllSql) &&
              Prepare(owner_, "SELECT user FROM journals WHERE hash = ?1") &&
              Prepare(keepJournal_,
                      "INSERT INTO journals (hash, board, user, name, score, reached, received, bytes)"
                      " VALUES (?1, ?2, ?3, ?4, ?5, ?6, CAST(strftime('%s', 'now') AS INTEGER), ?7)") &&
              Prepare(raiseVerified_, RaiseVerifiedSql) &&
              Prepare(bytes_, "SELECT bytes FROM journals WHERE hash = ?1") &&
              Prepare(known_, "SELECT EXISTS (SELECT 1 FROM verified WHERE user = ?1)"
                              " OR EXISTS (SELECT 1 FROM scores WHERE user = ?1)");
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

// The next place in the order of equal scores; inside a write transaction.
bool SqliteScoreStore::Ticket(long long& ticket) {
    bool ok = sqlite3_step(ticket_) == SQLITE_ROW;
    ticket = ok ? sqlite3_column_int64(ticket_, 0) : 0;
    ok = ok && sqlite3_step(ticket_) == SQLITE_DONE;
    sqlite3_reset(ticket_);
    return ok;
}

bool SqliteScoreStore::Record(const ScoreMessage& m) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!Done(begin_)) return false;

    long long ticket = 0;
    bool ok = Ticket(ticket);

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

bool SqliteScoreStore::OwnerLocked(const std::string& hash, std::string& user) {
    user.clear();
    sqlite3_bind_text(owner_, 1, hash.c_str(), -1, SQLITE_TRANSIENT);
    int rc = sqlite3_step(owner_);
    if (rc == SQLITE_ROW) user = Text(owner_, 0);
    sqlite3_reset(owner_);
    sqlite3_clear_bindings(owner_);
    return rc == SQLITE_ROW || rc == SQLITE_DONE;
}

ScoreStore::Kept SqliteScoreStore::RecordVerified(const VerifiedGame& g) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!Done(begin_)) return Kept::Failed;
    std::string owner;
    long long ticket = 0;
    bool ok = OwnerLocked(g.Hash, owner);
    if (ok && !owner.empty()) {
        Done(rollback_);
        return owner == g.User ? Kept::Again : Kept::OtherPlayer;
    }
    ok = ok && Ticket(ticket);
    if (ok) {
        sqlite3_bind_text(keepJournal_, 1, g.Hash.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(keepJournal_, 2, g.Board);
        sqlite3_bind_text(keepJournal_, 3, g.User.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(keepJournal_, 4, g.Name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(keepJournal_, 5, g.Score);
        sqlite3_bind_int64(keepJournal_, 6, ticket);
        sqlite3_bind_blob(keepJournal_, 7, g.Journal.data(), int(g.Journal.size()), SQLITE_TRANSIENT);
        ok = Done(keepJournal_);
    }
    if (ok) {
        sqlite3_bind_int(raiseVerified_, 1, g.Board);
        sqlite3_bind_text(raiseVerified_, 2, g.User.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(raiseVerified_, 3, g.Name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(raiseVerified_, 4, g.Score);
        sqlite3_bind_int64(raiseVerified_, 5, ticket);
        sqlite3_bind_text(raiseVerified_, 6, g.Hash.c_str(), -1, SQLITE_TRANSIENT);
        ok = Done(raiseVerified_);
    }
    if (ok && Done(commit_)) return Kept::New;
    Done(rollback_);
    return Kept::Failed;
}

bool SqliteScoreStore::JournalOwner(const std::string& hash, std::string& user) {
    std::lock_guard<std::mutex> guard(lock_);
    return OwnerLocked(hash, user);
}

bool SqliteScoreStore::JournalBytes(const std::string& hash, std::string& bytes, bool& found) {
    std::lock_guard<std::mutex> guard(lock_);
    found = false;
    bytes.clear();
    sqlite3_bind_text(bytes_, 1, hash.c_str(), -1, SQLITE_TRANSIENT);
    int rc = sqlite3_step(bytes_);
    if (rc == SQLITE_ROW) {
        found = true;
        const void* blob = sqlite3_column_blob(bytes_, 0);
        bytes.assign(static_cast<const char*>(blob), std::size_t(sqlite3_column_bytes(bytes_, 0)));
    }
    sqlite3_reset(bytes_);
    sqlite3_clear_bindings(bytes_);
    return rc == SQLITE_ROW || rc == SQLITE_DONE;
}

bool SqliteScoreStore::KnownUser(const std::string& user, bool& known) {
    std::lock_guard<std::mutex> guard(lock_);
    sqlite3_bind_text(known_, 1, user.c_str(), -1, SQLITE_TRANSIENT);
    int rc = sqlite3_step(known_);
    known = rc == SQLITE_ROW && sqlite3_column_int(known_, 0) != 0;
    sqlite3_reset(known_);
    sqlite3_clear_bindings(known_);
    return rc == SQLITE_ROW;
}

bool SqliteScoreStore::TopLocked(int board, int n, std::vector<RankedScore>& out) {
    out.clear();
    sqlite3_stmt* top = rankClaims_ ? topAll_ : topVerified_;
    sqlite3_bind_int(top, 1, board);
    sqlite3_bind_int(top, 2, n);
    int rc;
    while ((rc = sqlite3_step(top)) == SQLITE_ROW)
        out.push_back({Text(top, 0), sqlite3_column_int(top, 1), sqlite3_column_int(top, 2) != 0, Text(top, 3)});
    sqlite3_reset(top);
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

bool SqliteScoreStore::AllVerified(std::vector<VerifiedGame>& out) {
    std::lock_guard<std::mutex> guard(lock_);
    out.clear();
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db_, "SELECT hash, board, user, name, score FROM journals", -1, &s, nullptr) != SQLITE_OK)
        return false;
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW)
        out.push_back({Text(s, 0), sqlite3_column_int(s, 1), Text(s, 2), Text(s, 3), sqlite3_column_int(s, 4), ""});
    sqlite3_finalize(s);
    return rc == SQLITE_DONE;
}
