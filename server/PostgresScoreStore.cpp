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

const char TopSql[] = "SELECT name, best FROM scores WHERE board = $1 ORDER BY best DESC, reached ASC LIMIT $2";

const char TopAllSql[] =
    "(SELECT 1, name, best FROM scores WHERE board = 1 ORDER BY best DESC, reached ASC LIMIT 5)"
    " UNION ALL (SELECT 2, name, best FROM scores WHERE board = 2 ORDER BY best DESC, reached ASC LIMIT 5)"
    " UNION ALL (SELECT 3, name, best FROM scores WHERE board = 3 ORDER BY best DESC, reached ASC LIMIT 5)";
static_assert(ServerBoards == 3, "TopAllSql names every board");

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
    for (auto [name, sql] : {std::pair{"record", RecordSql}, {"top", TopSql}, {"top_all", TopAllSql}}) {
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

bool PostgresScoreStore::TopAll(std::vector<RankedScore> (&tops)[ServerBoards]) {
    Link* link = Take();
    PGresult* r = Ready(*link) ? PQexecPrepared(link->conn, "top_all", 0, nullptr, nullptr, nullptr, 0) : nullptr;
    bool ok = Ok(r, PGRES_TUPLES_OK);
    for (auto& t : tops) t.clear();
    for (int i = 0; ok && i < PQntuples(r); i++) {
        int board = std::atoi(PQgetvalue(r, i, 0));
        if (board >= 1 && board <= ServerBoards)
            tops[board - 1].push_back({PQgetvalue(r, i, 1), std::atoi(PQgetvalue(r, i, 2))});
    }
    PQclear(r);
    Give(link);
    return ok;
}

bool PostgresScoreStore::Top(int board, int n, std::vector<RankedScore>& out) {
    std::string b = std::to_string(board), limit = std::to_string(n);
    const char* values[2] = {b.c_str(), limit.c_str()};
    Link* link = Take();
    PGresult* r = Ready(*link) ? PQexecPrepared(link->conn, "top", 2, values, nullptr, nullptr, 0) : nullptr;
    bool ok = Ok(r, PGRES_TUPLES_OK);
    out.clear();
    for (int i = 0; ok && i < PQntuples(r); i++) out.push_back({PQgetvalue(r, i, 0), std::atoi(PQgetvalue(r, i, 1))});
    PQclear(r);
    Give(link);
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
