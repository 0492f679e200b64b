// Picks the engine from the DATABASE argument.
#include "ScoreStore.h"

#include "SqliteScoreStore.h"
#ifdef GOBBIT_WITH_POSTGRES
#include "PostgresScoreStore.h"
#endif

namespace {
bool IsPostgresUrl(const std::string& s) {
    return s.rfind("postgresql://", 0) == 0 || s.rfind("postgres://", 0) == 0;
}
}  // namespace

std::unique_ptr<ScoreStore> OpenScoreStore(const std::string& database, int connections, std::string& reason) {
    if (IsPostgresUrl(database)) {
#ifdef GOBBIT_WITH_POSTGRES
        auto pg = std::make_unique<PostgresScoreStore>();
        if (!pg->Open(database, connections, reason)) return nullptr;
        return pg;
#else
        (void)connections;
        reason = "this server was built without PostgreSQL (libpq-dev)";
        return nullptr;
#endif
    }
    auto lite = std::make_unique<SqliteScoreStore>();
    if (!lite->Open(database, reason)) return nullptr;
    return lite;
}
