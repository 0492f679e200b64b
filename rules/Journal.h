// The journal of one game: who made it, how it ended, the input of every
// play update and a checkpoint at the end of every level attempt. Replaying
// the inputs with the rules (rules/Replay.h) must reach every checkpoint
// exactly; a checkpoint that differs names the level where the replay went
// another way.
//
// The file, all numbers little-endian:
//   header     "GobJ", format version (u16), game version (u16), rules
//              fingerprint (u32), difficulty (u8), ending (u8), checkpoint
//              count (u16), claimed score (i32), play updates (u32), size of
//              the input section in bytes (u32): 28 bytes
//   checkpoints  24 bytes each: update (u32), level, score, pellets eaten,
//              target, spare lives (i32 each)
//   inputs     runs of equal input: the input's code (one byte, see
//              Controls::Code) then the run's length in updates as an
//              unsigned LEB128 number
// A game's inputs change a few times a second, so a typical game of a few
// levels takes a few KB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Ending {
enum : int {
    Playing = 0,   // not ended: the game was still going when recorded
    LostAll = 1,   // the last life was lost
    Quit = 2,      // quit from the pause menu
};
}

struct Checkpoint {
    std::uint32_t Update = 0;  // play updates done when it was taken
    std::int32_t Level = 0, Score = 0, Eaten = 0, Target = 0, Lives = 0;

    bool operator==(const Checkpoint& o) const {
        return Update == o.Update && Level == o.Level && Score == o.Score && Eaten == o.Eaten &&
               Target == o.Target && Lives == o.Lives;
    }
    bool operator!=(const Checkpoint& o) const { return !(*this == o); }
};

struct InputRun {
    std::uint8_t Code = 0;       // Controls::Code
    std::uint32_t Updates = 0;   // how many updates in a row read it
};

struct Journal {
    int FormatVersion = 0;
    int GameVersion = 0;
    std::uint32_t Fingerprint = 0;
    int Difficulty = 0;
    int Ending = Ending::Playing;
    std::int32_t Score = 0;      // the score the game claims it ended with
    std::uint32_t Updates = 0;   // play updates in all
    std::vector<Checkpoint> Checkpoints;
    std::vector<InputRun> Runs;

    // Appends one update's input, extending the last run when it is the same.
    void AddUpdate(std::uint8_t code);
};

// Reads a journal's inputs back one update at a time.
class JournalCursor {
public:
    JournalCursor() = default;
    explicit JournalCursor(const Journal& journal) : J(&journal) {}
    // The next update's input; false once every update has been read.
    bool Next(std::uint8_t& code) {
        if (!J) return false;
        while (Run < J->Runs.size() && Used >= J->Runs[Run].Updates) {
            ++Run;
            Used = 0;
        }
        if (Run >= J->Runs.size()) return false;
        ++Used;
        code = J->Runs[Run].Code;
        return true;
    }
    bool AtEnd() const {
        return !J || Run >= J->Runs.size() || (Run + 1 == J->Runs.size() && Used >= J->Runs[Run].Updates);
    }

private:
    const Journal* J = nullptr;
    std::size_t Run = 0;
    std::uint32_t Used = 0;
};

constexpr int JournalFormatVersion = 1;
constexpr std::size_t JournalHeaderBytes = 28;
constexpr std::size_t CheckpointBytes = 24;
// Bounds on what a reader accepts, so no file can make it allocate or replay
// without end: a day of play at 60 updates a second, and a file of 4 MiB.
// The checkpoint count is a 16-bit field, bounded by its size.
constexpr std::uint32_t MaxJournalUpdates = 24u * 60u * 60u * 60u;
constexpr std::size_t MaxJournalBytes = 4u << 20;

// The journal as the bytes of its file.
std::vector<std::uint8_t> EncodeJournal(const Journal& journal);

// Reads a journal file's bytes; false with a message saying what is wrong
// when they are not a whole, well-formed journal (the versions and the
// fingerprint are not checked here).
bool DecodeJournal(const std::uint8_t* bytes, std::size_t size, Journal& out, std::string& error);

// A short name of an ending, for messages.
const char* EndingName(int ending);
