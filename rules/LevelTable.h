// The levels as the game builds them, without a window: one line per level
// (`gobbit --levels D FIRST LAST`), the same line the game logs when a
// level's target is set. For designers, and for tests and tools to read.
#pragma once

#include <ostream>
#include <string>

class Match;

// The line of the level a match has built once its target is set, e.g.
//   Level 50, difficulty 2: layout 10, hero 14,6, power items 23,10 19,11,
//   gate rows 3,1< 21,13>, target 220, lowered from 240 (walk 221)
// on one line. Power items are column,row; gate rows are the middle cell's
// column,row and the way they let the hero through (> rightwards, < left).
// The target is either the estimator's, confirmed by a walk that reaches
// it, or lowered to the longest walk the winnability check found (down to a
// multiple of 5); the walk is the one the check stopped at.
std::string LevelLine(const Match& m);

// Builds levels first to last of a difficulty as the game does (the stream
// seeded, the level built, the estimator's thirty passes with the check)
// and prints each one's line.
void PrintLevelTable(int difficulty, int first, int last, std::ostream& out);

// The command: difficulty, first and last level as given on the command
// line. Prints the table and returns 0, or a usage line to err and 2 when
// the numbers are not whole numbers in range (difficulty 1-3, levels
// 1-MaxTableLevel, first no later than last).
int LevelTableCommand(const char* difficulty, const char* first, const char* last, std::ostream& out,
                      std::ostream& err);

constexpr int MaxTableLevel = 9999;
