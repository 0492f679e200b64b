// The reference score server run as its own process on 127.0.0.1, with its
// log in a file, and the engines it can run on: an SQLite file, or a fresh
// database in the PostgreSQL cluster the test command starts (its URL in
// GOBBIT_TEST_POSTGRES).
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

class ScoreServerProcess {
public:
    // Starts the server on database; port 0 picks a free one. Port() is 0
    // when it did not start. A test run as root starts it as root too, as a
    // careless operator would: it then runs as "nobody", so the folder of an
    // SQLite database is handed to nobody first.
    ScoreServerProcess(const std::string& database, const std::string& logFile, int port = 0,
                       const std::vector<std::string>& options = {});
    ~ScoreServerProcess();
    int Port() const { return port_; }
    pid_t Pid() const { return pid_; }
    // Sends a signal and reaps the process.
    void Kill(int signal);

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

// A fresh database for one test on the chosen engine, removed afterwards.
class ScoreDatabase {
public:
    enum class Engine { Sqlite, Postgres };
    ScoreDatabase(Engine engine, const std::string& folder);
    ~ScoreDatabase();
    // What the server takes as DATABASE; empty when the engine is missing.
    const std::string& Name() const { return name_; }
    // Why the engine is missing.
    const std::string& Missing() const { return missing_; }

private:
    std::string name_, missing_, admin_, dbName_;
};

const char* EngineName(ScoreDatabase::Engine e);

// The request the game sends for one player with one best score on Easy,
// built by the game's own message code, scrambler and escapes.
std::string ScoreClaimTarget(const std::string& user, const std::string& name12, int easyBest);

// A folder of the test's own in the system's temporary folder; "" when none
// could be made.
std::string MakeServerFolder();
// A whole file as it stands; "" when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// A test run on each engine: a folder of its own (dir_) with a fresh
// database (db_), both removed afterwards; skipped where the engine is
// missing.
class OnScoreEngine : public ::testing::TestWithParam<ScoreDatabase::Engine> {
public:
    void SetUp() override;
    void TearDown() override;

    std::string dir_;
    std::unique_ptr<ScoreDatabase> db_;
};

// Gives the folder to the user a server started as root runs as.
void HandToServerUser(const std::string& folder);

// One request from the loopback address from (127.0.0.1, 127.0.0.2, ...)
// to 127.0.0.1:port, with a body when there is one; the status (0 when no
// reply came) and the reply's body.
int HttpFrom(const std::string& from, int port, const std::string& method, const std::string& target,
             const std::string& body = "", std::string* reply = nullptr);
// A connection from that address with nothing sent; -1 when it failed.
int ConnectFrom(const std::string& from, int port);

// Runs a program to its end with stdout and stderr in one string; its exit
// status, or -1 when it could not be run.
int RunProgram(const std::vector<std::string>& argv, std::string& output);
