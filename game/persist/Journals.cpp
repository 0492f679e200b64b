#include "persist/Journals.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "persist/OnlineScores.h"
#include "persist/SaveFormat.h"
#include "rules/Replay.h"
#include "shell/MyGame.h"
#include "sys/FileSys.h"

std::string JournalFileName(int board) {
    static const char* const Names[] = {"Latest.journal", "Best_Easy.journal", "Best_Normal.journal",
                                        "Best_Hard.journal"};
    return board >= 0 && board <= 3 ? Names[board] : Names[0];
}

std::string UnsentJournalName(int board) {
    static const char* const Names[] = {"Unsent_Easy.journal", "Unsent_Normal.journal", "Unsent_Hard.journal"};
    return board >= 1 && board <= 3 ? Names[board - 1] : Names[0];
}

std::string JournalUploadPath(int gameNum, const std::string& user, const std::string& name) {
    char game[16];
    std::snprintf(game, sizeof game, "%04d", gameNum);
    std::string shown = name.substr(0, name.find_last_not_of(' ') + 1);
    std::string escaped;
    for (char c : shown) escaped += c == ' ' ? std::string("%20") : std::string(1, c);
    return std::string("journal?game=") + game + "&user=" + user + "&name=" + escaped;
}

bool FinalJournalAnswer(int status) {
    return status == 200 || status == 400 || status == 409 || status == 413 || status == 422;
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
    if (!newBest || board < 1 || board > 3) return;
    if (SaveWholeFile(home, JournalFileName(board).c_str(), bytes.data(), bytes.size())) HasBestJournal[board] = true;
    // The proof of the new best goes with the next score message, and stays
    // until the server has answered for it. A best it replaces goes unsent:
    // the newer one is higher.
    if (!Online.UnsentRead) ReadUnsentJournals();
    Online.UnsentJournal[board].assign(bytes.begin(), bytes.end());
    SaveWholeFile(home, UnsentJournalName(board).c_str(), bytes.data(), bytes.size());
}

void MyGame::ReadUnsentJournals() {
    Online.UnsentRead = true;
    for (int b = 1; b <= 3; ++b) {
        Online.UnsentJournal[b].clear();
        std::vector<unsigned char> bytes;
        if (ReadRegularFile((std::string(home) + "/" + UnsentJournalName(b)).c_str(), bytes, MaxJournalBytes))
            Online.UnsentJournal[b].assign(bytes.begin(), bytes.end());
    }
}

void MyGame::SendUnsentJournals(const std::string& user, const std::string& name) {
    if (!Online.UnsentRead) ReadUnsentJournals();
    const std::string path = JournalUploadPath(GameNum, user, name);
    for (int b = 1; b <= 3; ++b)
        if (!Online.UnsentJournal[b].empty()) UploadURL(ScoreHost(), path.c_str(), Online.UnsentJournal[b], b);
}

void MyGame::JournalAnswered(int board, int status, const std::string& sent) {
    if (board < 1 || board > 3) return;
    static const char* const Boards[] = {"", "Easy", "Normal", "Hard"};
    if (!FinalJournalAnswer(status)) {
        Debuglog(std::string("Journal of the best ") + Boards[board] + " game kept for the next send (" +
                 (status ? "answer " + std::to_string(status) : std::string("no answer")) + ")");
        return;
    }
    Debuglog(std::string("Journal of the best ") + Boards[board] + " game " +
             (status == 200 ? "verified by the score server" : "refused by the score server (" +
                                                                    std::to_string(status) + ")"));
    // A newer best made while this one was on its way stays to be sent.
    if (sent != Online.UnsentJournal[board]) return;
    Online.UnsentJournal[board].clear();
    RemoveLater(home, UnsentJournalName(board).c_str());
}
