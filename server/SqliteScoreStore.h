// The score tables in one SQLite file, for a single server process.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "ScoreStore.h"

struct sqlite3;
struct sqlite3_stmt;

class SqliteScoreStore : public ScoreStore {
public:
    ~SqliteScoreStore() override;
    // Opens (or creates, mode 0600) the file. False with a reason on failure.
    bool Open(const std::string& path, std::string& reason);

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
    bool Exec(const char* sql);
    bool Prepare(sqlite3_stmt*& s, const char* sql);
    bool TopLocked(int board, int n, std::vector<RankedScore>& out);
    bool OwnerLocked(const std::string& hash, std::string& user);
    bool Ticket(long long& ticket);
    void Checkpoints(std::string path);

    sqlite3* db_ = nullptr;
    // Kept for the life of the store: preparing costs more than running them.
    sqlite3_stmt* begin_ = nullptr;
    sqlite3_stmt* commit_ = nullptr;
    sqlite3_stmt* rollback_ = nullptr;
    sqlite3_stmt* ticket_ = nullptr;
    sqlite3_stmt* rename_ = nullptr;
    sqlite3_stmt* upsert_ = nullptr;
    sqlite3_stmt* topVerified_ = nullptr;
    sqlite3_stmt* topAll_ = nullptr;
    sqlite3_stmt* owner_ = nullptr;
    sqlite3_stmt* keepJournal_ = nullptr;
    sqlite3_stmt* raiseVerified_ = nullptr;
    sqlite3_stmt* bytes_ = nullptr;
    sqlite3_stmt* known_ = nullptr;
    // One connection, used by one thread at a time; SQLite has one writer
    // anyway.
    std::mutex lock_;

    // Copies the WAL back into the database file on a connection of its own,
    // so no request waits for the syncs that copying needs.
    std::thread checkpointer_;
    std::mutex stopLock_;
    std::condition_variable stopSignal_;
    bool stopping_ = false;
};
