// Reading one score request: the raw query, its escapes, the scrambled
// message and every field in it.
#pragma once

#include <string>
#include <vector>

#include "shell/LaunchValues.h"

// The game's own number: the server reads only its messages.
constexpr int ServerGameNumber = GobbitNumber;
constexpr int ServerBoards = 3;
// The keyword the game scrambles its messages with.
constexpr const char* ServerKeyword = GobbitScoreKeyword;

struct BoardScore {
    int Best = 0;
    int Latest = 0;
};

struct ScoreMessage {
    std::string User;  // the user ID as letters
    std::string Name;  // the online name, trailing blanks removed
    std::vector<BoardScore> Boards;  // boards 1..ServerBoards
};

// The request target as it arrived ("/Scores.php?Game=0564&Score=...").
// False, with a reason, for anything that is not a well-formed request.
bool ParseScoreRequest(const std::string& target, ScoreMessage& out, std::string& reason);

// A user ID as the game sends it: 1 to 18 capital letters.
bool ValidUser(const std::string& user);
// An online name as shown: 1 to 12 letters, digits, '-' and spaces, not all
// spaces.
bool ValidName(const std::string& name);

// Undoes the "*!X!*" escapes. False when the text holds characters that the
// client never sends.
bool Unescape(const std::string& text, std::string& out);
