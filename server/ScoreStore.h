// Where the scores live: for each board, each user's best score, the order in
// which equal scores were reached, and the user's latest name. Two engines sit
// behind this one interface: an SQLite file (one server process) and a
// PostgreSQL database (any number of server processes sharing it).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ScoreMessage.h"

struct RankedScore {
    std::string Name;
    int Score = 0;
};

// One row of the table, for checks and tools.
struct StoredScore {
    int Board = 0;
    std::string User;
    std::string Name;
    int Best = 0;
};

class ScoreStore {
public:
    virtual ~ScoreStore() = default;
    // Stores one accepted message atomically: every board's best score goes
    // up (never down) and every row of the user takes the message's name.
    // Safe to call from several threads at once.
    virtual bool Record(const ScoreMessage& m) = 0;
    // The best five of every board 1..ServerBoards, best first; equal scores
    // in the order they were reached. False when the database cannot be read.
    virtual bool TopAll(std::vector<RankedScore> (&tops)[ServerBoards]) = 0;
    // The best n of one board (for the leaderboard page).
    virtual bool Top(int board, int n, std::vector<RankedScore>& out) = 0;
    // Every stored row.
    virtual bool All(std::vector<StoredScore>& out) = 0;
};

// DATABASE is either a "postgresql://" (or "postgres://") URL or the path of
// an SQLite file, created when missing. connections is how many threads will
// call the store at once. Null, with a reason, when it cannot be opened.
std::unique_ptr<ScoreStore> OpenScoreStore(const std::string& database, int connections, std::string& reason);
