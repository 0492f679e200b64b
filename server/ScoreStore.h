// Where the scores live. Two kinds of score:
// - verified: the best replayed game of each user on each board, with the
//   journal it came from (every journal ever verified is kept, named by its
//   hash, so the same game counts once);
// - claimed: each user's best score per board as the score message says,
//   unchecked; ranked only when the server is told to accept unverified
//   scores (a private server).
// Equal scores rank in the order they were reached, from one counter that
// both kinds draw from. Two engines sit behind this one interface: an
// SQLite file (one server process) and a PostgreSQL database (any number of
// server processes sharing it).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ScoreMessage.h"

struct RankedScore {
    std::string Name;
    int Score = 0;
    bool Verified = false;
    std::string Journal;  // the hash of a verified score's journal
};

// One row of the claimed table, for checks and tools.
struct StoredScore {
    int Board = 0;
    std::string User;
    std::string Name;
    int Best = 0;
};

// A journal the replay verified, as it is stored.
struct VerifiedGame {
    std::string Hash;     // Sha256Hex of Journal
    int Board = 0;        // the game's difficulty
    std::string User;
    std::string Name;
    int Score = 0;        // the score the replay reached
    std::string Journal;  // the journal's bytes
};

class ScoreStore {
public:
    virtual ~ScoreStore() = default;

    enum class Kept {
        New,          // stored; the board's best of this user rose if it was higher
        Again,        // this user had sent this very journal before: nothing changed
        OtherPlayer,  // another user had sent it: nothing changed
        Failed,       // the database could not be written
    };

    // Stores a score message's claims atomically: every board's best goes
    // up (never down) and every row of the user takes the message's name.
    // Safe to call from several threads at once (as is everything here).
    virtual bool Record(const ScoreMessage& m) = 0;
    // Stores a verified game, unless its journal is stored already.
    virtual Kept RecordVerified(const VerifiedGame& g) = 0;
    // The user who sent the journal of this hash; empty when none did. False
    // when the database cannot be read.
    virtual bool JournalOwner(const std::string& hash, std::string& user) = 0;
    // A stored journal's bytes; found is false when there is none.
    virtual bool JournalBytes(const std::string& hash, std::string& bytes, bool& found) = 0;
    // Whether the database holds any score of user.
    virtual bool KnownUser(const std::string& user, bool& known) = 0;

    // The best five of every board 1..ServerBoards, best first; equal scores
    // in the order they were reached. False when the database cannot be read.
    virtual bool TopAll(std::vector<RankedScore> (&tops)[ServerBoards]) = 0;
    // The best n of one board (for the leaderboard page).
    virtual bool Top(int board, int n, std::vector<RankedScore>& out) = 0;
    // Every claimed row, and every verified game (Journal left empty).
    virtual bool All(std::vector<StoredScore>& out) = 0;
    virtual bool AllVerified(std::vector<VerifiedGame>& out) = 0;

    // Whether claimed scores rank beside the verified ones; off unless the
    // server is started with --accept-unverified. Set before serving.
    void RankClaims(bool on) { rankClaims_ = on; }

protected:
    bool rankClaims_ = false;
};

// DATABASE is either a "postgresql://" (or "postgres://") URL or the path of
// an SQLite file, created when missing (readable by its owner only).
// connections is how many threads will call the store at once. Null, with a
// reason, when it cannot be opened.
std::unique_ptr<ScoreStore> OpenScoreStore(const std::string& database, int connections, std::string& reason);

// DATABASE as it may be shown: the password of a URL, in its user part or
// as a password= setting, becomes "***".
std::string ShownDatabase(const std::string& database);
