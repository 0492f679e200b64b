#include "persist/Journals.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "persist/SaveFormat.h"
#include "rules/Replay.h"
#include "shell/MyGame.h"
#include "sys/FileSys.h"

std::string JournalFileName(int board) {
    static const char* const Names[] = {"Latest.journal", "Best_Easy.journal", "Best_Normal.journal",
                                        "Best_Hard.journal"};
    return board >= 0 && board <= 3 ? Names[board] : Names[0];
}

// Read through the file layer, like the save files: the save folder may
// hold anything under a journal's name, and only a regular file is read,
// never waited on. One byte more than a journal may have lets the decoder
// tell a file that is too long.
bool LoadJournal(const std::string& path, Journal& out, std::string& error) {
    std::vector<unsigned char> bytes;
    if (!ReadRegularFile(path.c_str(), bytes, MaxJournalBytes + 1)) {
        error = errno == EISDIR || errno == EINVAL ? "not a regular file" : std::strerror(errno);
        return false;
    }
    return DecodeJournal(bytes.data(), bytes.size(), out, error) && JournalFitsTheseRules(out, error);
}

void MyGame::KeepJournals(int board, bool newBest) {
    if (Rules.Record.Updates == 0) return;  // nothing was played
    const std::vector<std::uint8_t> bytes = EncodeJournal(Rules.Record);
    SaveWholeFile(home, JournalFileName(0).c_str(), bytes.data(), bytes.size());
    if (newBest && board >= 1 && board <= 3 &&
        SaveWholeFile(home, JournalFileName(board).c_str(), bytes.data(), bytes.size()))
        HasBestJournal[board] = true;
}
