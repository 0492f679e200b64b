// The keyed text scrambler on its own, free of the game object, so the score
// server can read back what the game sends.
#pragma once

#include <string>

constexpr int ScrambleTableSize = 64;
constexpr int ScrambleAlphabet = 92;  // codes 32 (space) to 123 ("{")

// Fills table from the keyword and game number. An empty keyword or a game
// number of 0 or less leaves the table as it was.
void DeriveScrambleTable(const char* keyword, int gameNum, char table[ScrambleTableSize]);

// Same length out as in. Characters outside the alphabet go in as spaces.
std::string ScrambleWithTable(const std::string& text, const char table[ScrambleTableSize]);

// Undoes ScrambleWithTable under the same table (out-of-alphabet input
// characters come back as spaces).
std::string UnscrambleWithTable(const std::string& text, const char table[ScrambleTableSize]);
