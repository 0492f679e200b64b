// Journals are replayed in checker processes: the server program run again
// as "--checker", so the rules are the very code, built with the very flags,
// that this server was built with. Each checker replays one journal at a
// time under limits the kernel enforces: processor time per replay, memory
// for the whole process, no files, no new processes. A journal that trips a
// fault in the rules, or would run too long, ends one checker, never the
// server; the server starts a new one.
//
// Between the server and a checker, over its standard input and output:
//   server:  the journal's size (4 bytes, little-endian), then its bytes
//   checker: one line, "verified SCORE", "differs SCORE MESSAGE" or
//            "unusable MESSAGE"
#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

// Processor time one replay may take. A ten-level game replays in about
// 20 ms; a day of play, the longest journal there is, in a few seconds.
constexpr int ReplayCpuMs = 10000;
// Address space of a checker process (its program, libraries and the
// replay's own few megabytes).
constexpr std::size_t CheckerMemoryBytes = 512u << 20;
// AddressSanitizer reserves terabytes of address space for its shadow
// memory: a sanitizer build leaves the checkers' address space unbounded.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool CheckerMemoryCapped = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool CheckerMemoryCapped = false;
#else
constexpr bool CheckerMemoryCapped = true;
#endif
#else
constexpr bool CheckerMemoryCapped = true;
#endif
// A checker that has not answered in this time is stuck (or starved): it
// is ended and the journal answered as busy.
constexpr int ReplayWallMs = 30000;

struct ReplayOutcome {
    enum Kind {
        Verified,   // the replay reached every checkpoint and the claimed score
        Differs,    // the replay went another way (Message says where)
        Unusable,   // not a journal these rules can replay
        TooCostly,  // the replay ran out of processor time or memory
        Failed,     // no checker answered (Message says why)
    };
    Kind Result = Failed;
    int Score = 0;
    std::string Message;
};

class ReplayCheckers {
public:
    ~ReplayCheckers();
    // Opens the checker's program, this server's own, while the server may
    // still read it wherever it lies (before it gives up root). False with a
    // reason when it cannot.
    bool Open(std::string& reason);
    // Starts count checkers. False with a reason when they do not answer.
    bool Start(int count, std::string& reason);
    // Replays on the next free checker, waiting for one. Safe to call from
    // several threads at once.
    ReplayOutcome Replay(const std::string& journal);
    // The checkers' process IDs (for the tests).
    std::vector<pid_t> Pids();

private:
    struct Checker {
        pid_t Pid = -1;
        int In = -1;   // its standard input
        int Out = -1;  // its standard output
    };
    bool Spawn(Checker& c);
    // Ends a checker and reaps it; the signal that ended it, or 0.
    int End(Checker& c);

    int program_ = -1;
    std::vector<Checker> checkers_;
    std::vector<int> free_;
    std::mutex lock_;
    std::condition_variable freed_;
};

// The checker's side: replays journals from standard input until it ends.
// Returns the process's exit status.
int RunChecker();
