// The score table: for each board, each user's best score and latest name.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "ScoreMessage.h"

struct sqlite3;

struct RankedScore {
    std::string Name;
    int Score = 0;
};

class ScoreStore {
public:
    ~ScoreStore();
    // Opens (or creates) the database file. False with a reason on failure.
    bool Open(const std::string& path, std::string& reason);
    // Stores one accepted message in one transaction.
    bool Record(const ScoreMessage& m);
    // The best five of a board, best first.
    std::vector<RankedScore> Top(int board);

private:
    bool Exec(const char* sql);
    sqlite3* db_ = nullptr;
    std::mutex lock_;
};
