// The score table in a PostgreSQL database, shared by any number of server
// processes: every write is one statement, ranked by a database sequence, so
// no process keeps state another one needs.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "ScoreStore.h"

struct pg_conn;

class PostgresScoreStore : public ScoreStore {
public:
    ~PostgresScoreStore() override;
    // Connects connections times (one per thread that will call at once)
    // and creates the schema when missing. False with a reason on failure.
    bool Open(const std::string& url, int connections, std::string& reason);

    bool Record(const ScoreMessage& m) override;
    bool TopAll(std::vector<RankedScore> (&tops)[ServerBoards]) override;
    bool Top(int board, int n, std::vector<RankedScore>& out) override;
    bool All(std::vector<StoredScore>& out) override;

private:
    struct Link {
        pg_conn* conn = nullptr;
        bool prepared = false;
    };
    Link* Take();
    void Give(Link* link);
    bool Ready(Link& link);

    std::string url_;
    std::vector<Link> links_;
    std::vector<Link*> idle_;
    std::mutex lock_;
    std::condition_variable freed_;
};
