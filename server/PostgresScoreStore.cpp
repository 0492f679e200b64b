// The PostgreSQL engine. Each calling thread borrows a connection of its own
// from a small pool; a connection that broke (the database restarted, the
// network dropped) is reset and its statements prepared again on next use.
#include "PostgresScoreStore.h"

#include <libpq-fe.h>

#include <cstdlib>
#include <cstring>

namespace {

// Several processes may start at once on an empty database: the advisory
// lock lets one of them create the schema while the others wait.
const char Schema[] =
    "SET client_min_messages = warning;"
    "BEGIN;"
    "SELECT pg_advisory_xact_lock(564);"
    "CREATE SEQUENCE IF NOT EXISTS score_order;"
    "CREATE TABLE IF NOT EXISTS scores ("
    " board integer NOT NULL,"
    " \"user\" text NOT NULL,"
    " name text NOT NULL,"
    " best integer NOT NULL,"
    " reached bigint NOT NULL,"
    " PRIMARY KEY (board, \"user\"));"
    "CREATE INDEX IF NOT EXISTS scores_rank ON scores (board, best DESC, reached);"
    "CREATE INDEX IF NOT EXISTS scores_user ON scores (\"user\");"
    // Every verified journal, named by its hash, and each user's best
    // verified game per board.
    "CREATE TABLE IF NOT EXISTS journals ("
    " hash text PRIMARY KEY,"
    " board integer NOT NULL,"
    " \"user\" text NOT NULL,"
    " name text NOT NULL,"
    " score integer NOT NULL,"
    " reached bigint NOT NULL,"
    " received timestamptz NOT NULL DEFAULT now(),"
    " bytes bytea NOT NULL);"
    "CREATE TABLE IF NOT EXISTS verified ("
    " board integer NOT NULL,"
    " \"user\" text NOT NULL,"
    " name text NOT NULL,"
    " best integer NOT NULL,"
    " reached bigint NOT NULL,"
    " hash text NOT NULL,"
    " PRIMARY KEY (board, \"user\"));"
    "CREATE INDEX IF NOT EXISTS verified_rank ON verified (board, best DESC, reached);"
    "CREATE INDEX IF NOT EXISTS verified_user ON verified (\"user\");"
    "COMMIT;";

// One statement for the whole message: each sent board's best goes up and
// takes a new place in the tie order only when it improves; the user's
// other rows take the new name. $1 user, $2 name, $3 boards, $4 bests.
const char RecordSql[] =
    "WITH sent (board, best) AS (SELECT * FROM unnest($3::integer[], $4::integer[])),"
    " up AS (INSERT INTO scores (board, \"user\", name, best, reached)"
    "  SELECT board, $1, $2, best, nextval('score_order') FROM sent WHERE best > 0"
    "  ON CONFLICT (board, \"user\") DO UPDATE SET"
    "   reached = CASE WHEN excluded.best > scores.best THEN excluded.reached ELSE scores.reached END,"
    "   best = GREATEST(scores.best, excluded.best),"
    "   name = excluded.name"
    "  RETURNING board)"
    " UPDATE scores SET name = $2 WHERE \"user\" = $1 AND name <> $2 AND board NOT IN (SELECT board FROM up)";

// One statement for a verified game: the journal is kept unless its hash is
// there already, and only a kept journal can raise the user's best (an equal
// score keeps its earlier place). Returns whether it was kept, and the
// user of a journal that was there before. $1 hash, $2 board, $3 user,
// $4 name, $5 score, $6 bytes.
const char KeepVerifiedSql[] =
    "WITH kept AS (INSERT INTO journals (hash, board, \"user\", name, score, reached, bytes)"
    "  VALUES ($1, $2, $3, $4, $5, nextval('score_order'), $6)"
    "  ON CONFLICT (hash) DO NOTHING RETURNING reached),"
    " up AS (INSERT INTO verified (board, \"user\", name, best, reached, hash)"
    "  SELECT $2, $3, $4, $5, reached, $1 FROM kept"
    "  ON CONFLICT (board, \"user\") DO UPDATE SET"
    "   name = excluded.name, best = excluded.best, reached = excluded.reached, hash = excluded.hash"
    "  WHERE excluded.best > verified.best)"
    " SELECT EXISTS (SELECT 1 FROM kept), (SELECT \"user\" FROM journals WHERE hash = $1)";

// The best n of board $1: verified ones only, or (ClaimsSql) verified and
// claimed scores side by side, each user once with whichever of the two is
// higher, the verified one when they are equal.
const char TopSql[] =
    "SELECT name, best, true, hash FROM verified WHERE board = $1 ORDER BY best DESC, reached ASC LIMIT $2";
const char TopClaimsSql[] =
    "SELECT name, best, verified, hash FROM ("
    " SELECT v.name, v.best, v.reached, true AS verified, v.hash FROM verified v WHERE v.board = $1"
    "  AND NOT EXISTS (SELECT 1 FROM scores s WHERE s.board = v.board AND s.\"user\" = v.\"user\" AND s.best > v.best)"
    " UNION ALL"
    " SELECT s.name, s.best, s.reached, false, '' FROM scores s WHERE s.board = $1"
    "  AND NOT EXISTS (SELECT 1 FROM verified v WHERE v.board = s.board AND v.\"user\" = s.\"user\" AND v.best >= s.best)"
    ") ranked ORDER BY best DESC, reached ASC LIMIT $2";

const char KnownSql[] =
    "SELECT EXISTS (SELECT 1 FROM verified WHERE \"user\" = $1) OR EXISTS (SELECT 1 FROM scores WHERE \"user\" = $1)";

bool Ok(PGresult* r, ExecStatusType want) {
    bool ok = r && PQresultStatus(r) == want;
    return ok;
}

// Two writers of the same user can deadlock on its rows; PostgreSQL then
// cancels one of them, which is safe to run again.
bool Retryable(PGresult* r) {
    const char* state = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
    return state && (std::strcmp(state, "40P01") == 0 || std::strcmp(state, "40001") == 0);
}

}  // namespace

PostgresScoreStore::~PostgresScoreStore() {
    for (Link& l : links_)
        if (l.conn) PQfinish(l.conn);
}

bool PostgresScoreStore::Open(const std::string& url, int connections, std::string& reason) {
    url_ = url;
    links_.resize(std::size_t(connections < 1 ? 1 : connections));
    for (Link& l : links_) {
        l.conn = PQconnectdb(url.c_str());
        if (PQstatus(l.conn) != CONNECTION_OK) {
            reason = PQerrorMessage(l.conn);
            while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' ')) reason.pop_back();
            return false;
        }
        idle_.push_back(&l);
    }
    PGresult* r = PQexec(links_[0].conn, Schema);
    bool ok = Ok(r, PGRES_COMMAND_OK);
    if (!ok) reason = PQerrorMessage(links_[0].conn);
    PQclear(r);
    if (!ok) return false;
    for (Link& l : links_)
        if (!Ready(l)) {
            reason = PQerrorMessage(l.conn);
            return false;
        }
    return true;
}

PostgresScoreStore::Link* PostgresScoreStore::Take() {
    std::unique_lock<std::mutex> guard(lock_);
    freed_.wait(guard, [this] { return !idle_.empty(); });
    Link* l = idle_.back();
    idle_.pop_back();
    return l;
}

void PostgresScoreStore::Give(Link* link) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        idle_.push_back(link);
    }
    freed_.notify_one();
}

bool PostgresScoreStore::Ready(Link& link) {
    if (PQstatus(link.conn) != CONNECTION_OK) {
        PQreset(link.conn);
        link.prepared = false;
        if (PQstatus(link.conn) != CONNECTION_OK) return false;
    }
    if (link.prepared) return true;
    bool ok = true;
    for (auto [name, sql] : {std::pair{"record", RecordSql}, {"keep_verified", KeepVerifiedSql}, {"top", TopSql},
                             {"top_claims", TopClaimsSql}, {"known", KnownSql},
                             {"owner", "SELECT \"user\" FROM journals WHERE hash = $1"},
                             {"bytes", "SELECT bytes FROM journals WHERE hash = $1"}}) {
        PGresult* r = PQprepare(link.conn, name, sql, 0, nullptr);
        ok = ok && Ok(r, PGRES_COMMAND_OK);
        PQclear(r);
    }
    link.prepared = ok;
    return ok;
}

bool PostgresScoreStore::Record(const ScoreMessage& m) {
    std::string boards = "{", bests = "{";
    for (std::size_t b = 0; b < m.Boards.size(); b++) {
        boards += (b ? "," : "") + std::to_string(b + 1);
        bests += (b ? "," : "") + std::to_string(m.Boards[b].Best);
    }
    boards += "}";
    bests += "}";
    const char* values[4] = {m.User.c_str(), m.Name.c_str(), boards.c_str(), bests.c_str()};

    Link* link = Take();
    bool ok = false;
    // A broken connection is reset once; a cancelled deadlock runs again.
    for (int attempt = 0; attempt < 3 && !ok; attempt++) {
        if (!Ready(*link)) continue;
        PGresult* r = PQexecPrepared(link->conn, "record", 4, values, nullptr, nullptr, 0);
        ok = Ok(r, PGRES_COMMAND_OK);
        bool again = !ok && (Retryable(r) || PQstatus(link->conn) != CONNECTION_OK);
        PQclear(r);
        if (!ok && !again) break;
    }
    Give(link);
    return ok;
}

// Runs a prepared statement on a borrowed connection, resetting a broken
// connection once; the result (null when there is none) is the caller's.
PGresult* PostgresScoreStore::Run(const char* name, int n, const char* const* values, const int* lengths,
                                  const int* formats, int resultFormat) {
    Link* link = Take();
    PGresult* r = nullptr;
    for (int attempt = 0; attempt < 2; attempt++) {
        if (!Ready(*link)) continue;
        r = PQexecPrepared(link->conn, name, n, values, lengths, formats, resultFormat);
        if (PQstatus(link->conn) == CONNECTION_OK) break;
        PQclear(r);
        r = nullptr;
    }
    Give(link);
    return r;
}

ScoreStore::Kept PostgresScoreStore::RecordVerified(const VerifiedGame& g) {
    std::string board = std::to_string(g.Board), score = std::to_string(g.Score);
    const char* values[6] = {g.Hash.c_str(), board.c_str(), g.User.c_str(), g.Name.c_str(), score.c_str(),
                             g.Journal.data()};
    const int lengths[6] = {0, 0, 0, 0, 0, int(g.Journal.size())};
    const int formats[6] = {0, 0, 0, 0, 0, 1};  // the journal goes as binary
    Kept kept = Kept::Failed;
    // A deadlock PostgreSQL cancelled is safe to run again.
    for (int attempt = 0; attempt < 3 && kept == Kept::Failed; attempt++) {
        PGresult* r = Run("keep_verified", 6, values, lengths, formats, 0);
        if (Ok(r, PGRES_TUPLES_OK) && PQntuples(r) == 1) {
            if (PQgetvalue(r, 0, 0)[0] == 't') {
                kept = Kept::New;
            } else {
                // Kept by a transaction this statement could not see yet:
                // ask again now that it has committed.
                std::string owner = PQgetisnull(r, 0, 1) ? "" : PQgetvalue(r, 0, 1);
                if (owner.empty() && !JournalOwner(g.Hash, owner)) owner.clear();
                if (!owner.empty()) kept = owner == g.User ? Kept::Again : Kept::OtherPlayer;
            }
        }
        bool again = kept == Kept::Failed && Retryable(r);
        PQclear(r);
        if (!again) break;
    }
    return kept;
}

bool PostgresScoreStore::JournalOwner(const std::string& hash, std::string& user) {
    const char* values[1] = {hash.c_str()};
    PGresult* r = Run("owner", 1, values, nullptr, nullptr, 0);
    bool ok = Ok(r, PGRES_TUPLES_OK);
    user = ok && PQntuples(r) > 0 ? PQgetvalue(r, 0, 0) : "";
    PQclear(r);
    return ok;
}

bool PostgresScoreStore::JournalBytes(const std::string& hash, std::string& bytes, bool& found) {
    const char* values[1] = {hash.c_str()};
    PGresult* r = Run("bytes", 1, values, nullptr, nullptr, 1);
    bool ok = Ok(r, PGRES_TUPLES_OK);
    found = ok && PQntuples(r) > 0;
    bytes = found ? std::string(PQgetvalue(r, 0, 0), std::size_t(PQgetlength(r, 0, 0))) : "";
    PQclear(r);
    return ok;
}

bool PostgresScoreStore::KnownUser(const std::string& user, bool& known) {
    const char* values[1] = {user.c_str()};
    PGresult* r = Run("known", 1, values, nullptr, nullptr, 0);
    bool ok = Ok(r, PGRES_TUPLES_OK) && PQntuples(r) == 1;
    known = ok && PQgetvalue(r, 0, 0)[0] == 't';
    PQclear(r);
    return ok;
}

bool PostgresScoreStore::TopAll(std::vector<RankedScore> (&tops)[ServerBoards]) {
    for (int b = 0; b < ServerBoards; b++)
        if (!Top(b + 1, 5, tops[b])) return false;
    return true;
}

bool PostgresScoreStore::Top(int board, int n, std::vector<RankedScore>& out) {
    std::string b = std::to_string(board), limit = std::to_string(n);
    const char* values[2] = {b.c_str(), limit.c_str()};
    PGresult* r = Run(rankClaims_ ? "top_claims" : "top", 2, values, nullptr, nullptr, 0);
    bool ok = Ok(r, PGRES_TUPLES_OK);
    out.clear();
    for (int i = 0; ok && i < PQntuples(r); i++)
        out.push_back({PQgetvalue(r, i, 0), std::atoi(PQgetvalue(r, i, 1)), PQgetvalue(r, i, 2)[0] == 't',
                       PQgetvalue(r, i, 3)});
    PQclear(r);
    return ok;
}

bool PostgresScoreStore::All(std::vector<StoredScore>& out) {
    Link* link = Take();
    PGresult* r = Ready(*link) ? PQexec(link->conn, "SELECT board, \"user\", name, best FROM scores") : nullptr;
    bool ok = Ok(r, PGRES_TUPLES_OK);
    out.clear();
    for (int i = 0; ok && i < PQntuples(r); i++)
        out.push_back({std::atoi(PQgetvalue(r, i, 0)), PQgetvalue(r, i, 1), PQgetvalue(r, i, 2),
                       std::atoi(PQgetvalue(r, i, 3))});
    PQclear(r);
    Give(link);
    return ok;
}

bool PostgresScoreStore::AllVerified(std::vector<VerifiedGame>& out) {
    Link* link = Take();
    PGresult* r =
        Ready(*link) ? PQexec(link->conn, "SELECT hash, board, \"user\", name, score FROM journals") : nullptr;
    bool ok = Ok(r, PGRES_TUPLES_OK);
    out.clear();
    for (int i = 0; ok && i < PQntuples(r); i++)
        out.push_back({PQgetvalue(r, i, 0), std::atoi(PQgetvalue(r, i, 1)), PQgetvalue(r, i, 2), PQgetvalue(r, i, 3),
                       std::atoi(PQgetvalue(r, i, 4)), ""});
    PQclear(r);
    Give(link);
    return ok;
}
