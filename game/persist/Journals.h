// The journals kept in the save folder: the latest game's, and the best
// game of each board, written whenever the board gets a new best.
#pragma once

#include <string>

#include "rules/Journal.h"

// "Latest.journal" for board 0, "Best_Easy.journal" and so on for boards 1-3.
std::string JournalFileName(int board);
// "Unsent_Easy.journal" and so on: a board's best journal that the score
// server has not yet answered for.
std::string UnsentJournalName(int board);

// The request path of a journal sent for user (the ID's letters) under the
// online name: "journal?game=0564&user=...&name=..." with the name's
// trailing blanks cut and its spaces as %20.
std::string JournalUploadPath(int gameNum, const std::string& user, const std::string& name);

// Whether a status the score server answered a journal with is final: it
// was verified or stored before (200), or it never will be (400 malformed,
// 409 another game version or another player's, 413 too large, 422 the
// replay differs). Anything else (no answer, busy, too many at once) is
// tried again at the next send.
bool FinalJournalAnswer(int status);

// Reads and checks a journal file: a whole journal, made by this game
// version under these rules. False with the reason otherwise.
bool LoadJournal(const std::string& path, Journal& out, std::string& error);
