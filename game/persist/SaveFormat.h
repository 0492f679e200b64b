// The settings and score files: sizes, checksums and the checks on what is
// read back.
#pragma once

#include <cstddef>
#include <string>

constexpr int SettingsFileInts = 1124;   // 100 settings + 16 keys x 64 slots
constexpr int SettingsPerFile = 100;     // Settings 0-99 in the settings file, 100-199 in the score file
constexpr int SlotsPerKey = 64;          // binding slots of each virtual key, all saved
constexpr int ScoreFileInts = 22697;     // 100 settings, their sum, scores, 596 sums
constexpr int ScoreCount = 22000;
constexpr int ScoreSegment = 37;         // a sum follows every score i with i % 37 == 1
constexpr int SettingsSumModulus = 37171652;
constexpr int ScoreSumModulus = 37961356;

// The steps of a save, one per update: SavePending's value once SaveBit has
// advanced it. Steps between these do nothing but keep the pace.
namespace SaveStep {
constexpr int Requested = 1;          // Save() was called; the settings file comes next
constexpr int OpenSettings = 2;
constexpr int WriteSettings = 3;      // Settings 0-99
constexpr int FirstKeyRows = 10;      // the 64 slots of virtual key (step - FirstKeyRows)
constexpr int LastKeyRows = 25;
constexpr int CloseSettings = 27;
constexpr int BeforeScores = 28;      // the score file comes next
constexpr int OpenScores = 29;
constexpr int WriteScoreSettings = 30;  // Settings 100-199 and their sum
constexpr int FirstScoreChunk = 31;   // 1,100 scores a step; the last nine find none left
constexpr int LastScoreChunk = 59;
constexpr int CloseScores = 61;
constexpr int ScoresPerChunk = 1100;
}  // namespace SaveStep

// One step of a running checksum: x in 32-bit integers, taken to single
// precision, reduced with fmodf and truncated back. The rounding to float is
// part of the format.
int ChecksumStep(int x, int modulus);

// The keys of the score checksums, from the user ID and the game number.
struct ScoreKeys {
    int K1, K2, K3;
};
ScoreKeys KeysFor(int u1, int u2, int gameNum);

// The settings sum's term for settings entry i (100-199) and the score sum's
// term for score index i, both before the checksum step. Wraps like the
// 32-bit ints they are.
int SettingsTerm(const ScoreKeys& k, int gameNum, int i, int value, int sum);
int ScoreTerm(const ScoreKeys& k, int gameNum, int i, int value, int sum);

// Check values of the user ID (Setting::UserIdDate to UserIdRandom) and of its
// copy kept with the scores (Setting::UserCopyDate to UserCopyRandom).
int UserIdCheck(int u1, int u2, int u3);
int UserCopyCheck(int c1, int c2, int c3);

// The score file's name: "Save_<number>_<title>.sav" with the characters a
// file name should not carry turned into underscores.
std::string ScoreFileName(const char* title, int gameNum);

// The online name: twelve cells of the 64-character alphabet, two to an int
// in Settings 50-55 (the even cell in bits 0-5, the odd one in bits 8-13).
constexpr int NameCells = 12;
int NameCell(const int* settings, int cell);
void SetNameCell(int* settings, int cell, int code);

// True when code names no input at all (0) or a key or controller element
// that exists; anything else must not reach the binding table.
bool ValidBindingCode(int code);

// The temporary name this process writes final under before putting it in
// place: "<final>.<pid>.tmp", and "<final>.<pid>-<n>.tmp" for the other
// names n = 1, 2, ... Two copies of the game saving in one folder each
// write their own file, so neither can put the other's half-written one in
// place.
std::string TempNameFor(const char* final, int n = 0);
// How many temporary names a save tries.
constexpr int TempNameTries = 8;
// The first n whose temporary name is free, or holds only a regular file
// this user left (a crash of an earlier process with the same pid), which
// creating the file replaces. Whatever else holds a name (a link, a FIFO, a
// folder, another user's file) stays untouched and the next name is tried;
// 0 when none is free, so that creating the file fails and says why.
int FreeTempNumber(const char* home, const char* final);
// Deletes home/temp, the file this process wrote and will not put in place,
// but never what may have taken its name since.
void DiscardTemp(const char* home, const char* temp);
// Deletes the temporary files of final left behind by writers that are no
// longer running (a crash mid-save): regular files of this user only. Those
// of running writers are kept.
void RemoveStaleTemps(const char* home, const char* final);

// Makes the finished file at home/temp the file home/final: flushed to disk,
// then renamed over the old one, so a crash at any moment leaves one whole
// file. Only a regular file is put in place: a link, FIFO or device that
// took the temporary name since it was written is refused (and never waited
// on). When that, flushing or renaming fails, the failure is logged, the
// temporary file deleted and the old file left as it was: false.
bool ReplaceWithTemp(const char* home, const char* temp, const char* final);

// ReplaceWithTemp on the file worker: flushing to disk can take longer than
// a frame, so the game's thread only queues it. Replacements run in order.
void ReplaceLater(const char* home, const char* temp, const char* final);
// True while a queued replacement of home/final has not finished: the next
// save of final waits for it, as its temporary file may have the same name.
bool ReplacePending(const char* home, const char* final);
// Deletes home/final on the file worker, after every replacement queued
// before it: a file being put in place is deleted once it is there. Only a
// file the game left is deleted (RemoveIfLeftByThisUser).
void RemoveLater(const char* home, const char* final);
// Waits at most ms for every queued replacement; true when none is left.
// Also run at exit, so the last save is in place before the process ends.
bool FinishReplacements(int ms);

// Writes a small file whole under its temporary name at once and queues it
// to be put in place like the other saves (ReplaceLater). A failed write is
// logged and leaves the old file: false.
bool SaveWholeFile(const char* home, const char* final, const void* data, std::size_t size);

// How long closing the game waits for a save to reach the disk.
constexpr int ExitSaveWaitMs = 5000;

// Seams for tests: the call that flushes an open file to disk (fsync), and
// a call the worker makes before each replacement (a test may hold it there).
extern int (*SyncToDisk)(int fd);
extern void (*BeforeReplacement)();
