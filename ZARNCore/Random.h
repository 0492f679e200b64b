// State of the two pseudo-random generators. The seeded stream must come out
// the same for the same seed and game number, so its whole state is plain
// globals that tests can inspect and restore.
#pragma once

extern int jRand_Seed;   // the seed
extern int jRand_Count;  // draw counter, +7 per draw
extern int jRand_Bit;    // table index 0-255
extern int jRand_Plus;   // running accumulator
extern int jRand_Out;    // last raw output
extern int jRand_Tot;    // zeroed by seeding
extern int jRand_tSeed;  // clock generator's counter, never reset

// The 256 characters (codes 48-112) both generators draw from.
extern const char jRand_Txt[257];
