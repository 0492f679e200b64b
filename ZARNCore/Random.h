// State of the two pseudo-random generators. The seeded stream must come out
// the same for the same seed and game number, so its whole state is one
// plain object (shared with the rules of play, which draw from it) whose
// fields the names below give tests to inspect and restore.
#pragma once

#include "rules/SeededRandom.h"

// The seeded stream of the running game.
extern SeededRandom SharedStream;

extern int& jRand_Seed;   // the seed
extern int& jRand_Count;  // draw counter, +7 per draw
extern int& jRand_Bit;    // table index 0-255
extern int& jRand_Plus;   // running accumulator
extern int& jRand_Out;    // last raw output
extern int& jRand_Tot;    // zeroed by seeding
extern int jRand_tSeed;   // clock generator's counter, never reset

// The 256 characters (codes 48-112) both generators draw from.
extern const char (&jRand_Txt)[257];
