// `--verify FILE`: replays a journal file with the rules alone and says
// whether it holds. Exit status 0 when every checkpoint and the score match,
// 1 when the replay differs (naming the first checkpoint that does), 2 when
// the file is not a journal these rules can replay.
#pragma once

#include <ostream>
#include <string>

int VerifyJournalFile(const std::string& path, std::ostream& out);

// Reads a whole journal file of at most MaxJournalBytes; only regular files
// are read (a FIFO could keep the reader waiting for ever). False with the
// reason when it cannot be read.
bool ReadJournalFile(const std::string& path, std::string& bytes, std::string& error);
