// The journals kept in the save folder: the latest game's, and the best
// game of each board, written whenever the board gets a new best.
#pragma once

#include <string>

#include "rules/Journal.h"

// "Latest.journal" for board 0, "Best_Easy.journal" and so on for boards 1-3.
std::string JournalFileName(int board);

// Reads and checks a journal file: a whole journal, made by this game
// version under these rules. False with the reason otherwise.
bool LoadJournal(const std::string& path, Journal& out, std::string& error);
