// Where the score exchange goes, and how a reply is read.
#pragma once

#include <string>
#include <vector>

// The score server as "host" or "host:port" (port 80 when absent). The build
// setting GOBBIT_SCORE_HOST gives the default; tests point it elsewhere.
const char* ScoreHost();
void SetScoreHost(const char* host);

// The text before any online name is entered.
extern const char* const NamePlaceholder;

// The reply's data cut at "{" into fields numbered from 1 (index 0 unused);
// a separator in the last position stays part of the last field, and no
// more than maxFields fields are cut.
std::vector<std::string> ReplyFields(const std::string& data, std::size_t maxFields);

// A score field as a number: leading blanks, an optional sign and digits,
// held within the int range; 0 when it does not start with a number.
int ScoreValue(const std::string& field);

// The score message before scrambling, every field ended by "{": the user ID
// letters, the online name, the game number, version and board, each board's
// best and latest score from a local score table (20 ints per board, board b
// from 20 * b) and "ZARN". The score server's load generator builds its
// messages with it too.
std::string ScoreMessageText(const std::string& user, const std::string& name, int gameNum, int version, int board,
                             const int* scores, int boards);
