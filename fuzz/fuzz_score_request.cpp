// The score server's request handling: the bytes as a request's head
// through ParseHead, the raw request target through ParseScoreRequest, and
// what it accepts through the score store (an in-memory database, ranking
// claims as a server with --accept-unverified does) and back out as a top
// five.
#include <string>

#include "FuzzSupport.h"
#include "HttpFront.h"
#include "ScoreMessage.h"
#include "SqliteScoreStore.h"

namespace {

SqliteScoreStore* Store = nullptr;
int Recorded = 0;

SqliteScoreStore& FreshStore() {
    delete Store;
    Store = new SqliteScoreStore;
    std::string why;
    if (!Store->Open(":memory:", why)) FuzzFail(why.c_str());
    Store->RankClaims(true);
    Recorded = 0;
    return *Store;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string target(reinterpret_cast<const char*>(data), size);

    HttpRequest head;
    int refused = ParseHead(target, head);
    FUZZ_CHECK(refused == 0 || refused == 400 || refused == 411);
    if (refused == 0) FUZZ_CHECK(!head.Method.empty() && head.Target[0] == '/' && head.Length < 1000000000000ULL);

    std::string unescaped;
    if (Unescape(target, unescaped)) FUZZ_CHECK(unescaped.size() <= target.size());

    ScoreMessage m;
    std::string why;
    if (!ParseScoreRequest(target, m, why)) {
        FUZZ_CHECK(!why.empty());
        return 0;
    }
    FUZZ_CHECK(!m.User.empty() && m.User.size() <= 18);
    for (char c : m.User) FUZZ_CHECK(c >= 'A' && c <= 'Z');
    FUZZ_CHECK(!m.Name.empty() && m.Name.size() <= 12 && m.Name.back() != ' ');
    FUZZ_CHECK(m.Boards.size() == size_t(ServerBoards));
    for (const BoardScore& b : m.Boards) FUZZ_CHECK(b.Best >= 0 && b.Latest >= 0 && b.Best <= 999999999);

    SqliteScoreStore& store = (!Store || Recorded >= 2000) ? FreshStore() : *Store;
    FUZZ_CHECK(store.Record(m));
    Recorded++;
    for (int b = 1; b <= ServerBoards; b++) {
        std::vector<RankedScore> top;
        FUZZ_CHECK(store.Top(b, 5, top));
        FUZZ_CHECK(top.size() <= 5);
        for (size_t r = 1; r < top.size(); r++) FUZZ_CHECK(top[r - 1].Score >= top[r].Score);
        if (m.Boards[size_t(b - 1)].Best > 0) FUZZ_CHECK(!top.empty() && top[0].Score >= m.Boards[size_t(b - 1)].Best);
    }
    return 0;
}
