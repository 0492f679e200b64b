// The score tables in a PostgreSQL database, shared by any number of server
// processes: every write is one statement, ranked by a database sequence, so
// no process keeps state another one needs.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "ScoreStore.h"

struct pg_conn;
struct pg_result;
typedef struct pg_result PGresult;

class PostgresScoreStore : public ScoreStore {
public:
    ~PostgresScoreStore() override;
    // Connects connections times (one per thread that will call at once)
    // and creates the schema when missing. False with a reason on failure.
    bool Open(const std::string& url, int connections, std::string& reason);

    bool Record(const ScoreMessage& m) override;
    Kept RecordVerified(const VerifiedGame& g) override;
    bool JournalOwner(const std::string& hash, std::string& user) override;
    bool JournalBytes(const std::string& hash, std::string& bytes, bool& found) override;
    bool KnownUser(const std::string& user, bool& known) override;
    bool TopAll(std::vector<RankedScore> (&tops)[ServerBoards]) override;
    bool Top(int board, int n, std::vector<RankedScore>& out) override;
    bool All(std::vector<StoredScore>& out) override;
    bool AllVerified(std::vector<VerifiedGame>& out) override;

private:
    struct Link {
        pg_conn* conn = nullptr;
        bool prepared = false;
    };
    Link* Take();
    PGresult* Run(const char* name, int n, const char* const* values, const int* lengths, const int* formats,
                  int resultFormat);
    void Give(Link* link);
    bool Ready(Link& link);

    std::string url_;
    std::vector<Link> links_;
    std::vector<Link*> idle_;
    std::mutex lock_;
    std::condition_variable freed_;
};
