#include "persist/Journals.h"

#include <cstdint>

#include "persist/SaveFormat.h"
#include "rules/Replay.h"
#include "rules/VerifyCommand.h"
#include "shell/MyGame.h"

std::string JournalFileName(int board) {
    static const char* const Names[] = {"Latest.journal", "Best_Easy.journal", "Best_Normal.journal",
                                        "Best_Hard.journal"};
    return board >= 0 && board <= 3 ? Names[board] : Names[0];
}

bool LoadJournal(const std::string& path, Journal& out, std::string& error) {
    std::string bytes;
    return ReadJournalFile(path, bytes, error) &&
           DecodeJournal(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), out, error) &&
           JournalFitsTheseRules(out, error);
}

void MyGame::KeepJournals(int board, bool newBest) {
    if (Rules.Record.Updates == 0) return;  // nothing was played
    const std::vector<std::uint8_t> bytes = EncodeJournal(Rules.Record);
    SaveWholeFile(home, JournalFileName(0).c_str(), bytes.data(), bytes.size());
    if (newBest && board >= 1 && board <= 3 &&
        SaveWholeFile(home, JournalFileName(board).c_str(), bytes.data(), bytes.size()))
        HasBestJournal[board] = true;
}
