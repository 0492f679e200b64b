// Picks the engine from the DATABASE argument, and keeps its password out of
// anything the server prints.
#include "ScoreStore.h"

#include <algorithm>

#include "SqliteScoreStore.h"
#ifdef GOBBIT_WITH_POSTGRES
#include "PostgresScoreStore.h"
#endif

namespace {

bool IsPostgresUrl(const std::string& s) {
    return s.rfind("postgresql://", 0) == 0 || s.rfind("postgres://", 0) == 0;
}

// Where the password of a URL lies in it: [at, at + size) of each one,
// in the user part ("user:secret@") and as password=... settings.
std::vector<std::pair<std::size_t, std::size_t>> PasswordSpans(const std::string& url) {
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    if (!IsPostgresUrl(url)) return spans;
    std::size_t start = url.find("://") + 3;
    std::size_t query = url.find('?', start);
    std::size_t authority = std::min(url.find('/', start), query);
    std::size_t at = url.rfind('@', authority == std::string::npos ? url.size() : authority);
    if (at != std::string::npos && at >= start) {
        std::size_t colon = url.find(':', start);
        if (colon != std::string::npos && colon < at) spans.push_back({colon + 1, at - colon - 1});
    }
    for (std::size_t p = query; p != std::string::npos && p < url.size(); p = url.find('&', p + 1)) {
        const std::string key = "password=";
        if (url.compare(p + 1, key.size(), key) != 0) continue;
        std::size_t from = p + 1 + key.size();
        std::size_t end = url.find('&', from);
        spans.push_back({from, (end == std::string::npos ? url.size() : end) - from});
    }
    return spans;
}

}  // namespace

std::string ShownDatabase(const std::string& database) {
    std::string shown = database;
    auto spans = PasswordSpans(database);
    // From the last, so earlier places stay where they were.
    for (auto it = spans.rbegin(); it != spans.rend(); ++it) shown.replace(it->first, it->second, "***");
    return shown;
}

namespace {

// A message about the database with any password in it replaced, in case
// the library quotes a piece of the URL back.
std::string Scrubbed(std::string text, const std::string& database) {
    for (auto [at, size] : PasswordSpans(database)) {
        if (size == 0) continue;
        std::string secret = database.substr(at, size);
        for (std::size_t p = text.find(secret); p != std::string::npos; p = text.find(secret, p + 3))
            text.replace(p, secret.size(), "***");
    }
    return text;
}

}  // namespace

std::unique_ptr<ScoreStore> OpenScoreStore(const std::string& database, int connections, std::string& reason) {
    if (IsPostgresUrl(database)) {
#ifdef GOBBIT_WITH_POSTGRES
        auto pg = std::make_unique<PostgresScoreStore>();
        if (!pg->Open(database, connections, reason)) {
            reason = Scrubbed(reason, database);
            return nullptr;
        }
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
