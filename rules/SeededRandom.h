// The seeded random stream: the same seed and game number give the same
// numbers on every machine, which is what makes a level a function of its
// difficulty and number and a recorded game replayable. Integer arithmetic
// throughout, but for the last step into a float range.
#pragma once

// The 256 characters (codes 48-112) the stream draws from; changing one
// changes every level.
extern const char RandomTable[257];

struct SeededRandom {
    int Seed = 0;   // the seed
    int Count = 0;  // draw counter, +7 per draw
    int Bit = 0;    // table index 0-255
    int Plus = 0;   // running accumulator
    int Out = 0;    // last raw output
    int Tot = 0;    // zeroed by seeding

    void Reseed(int seed, int gameNumber);
    // The next number, from lo up to (not including) hi.
    float Rnd(float lo, float hi);
    // An integer from lo to hi inclusive.
    int Rand(int lo, int hi);
};

// Table entry i (taken modulo 256) as the signed byte it is read as.
inline int RandomTableEntry(int i) { return static_cast<signed char>(RandomTable[i & 255]); }

// Wrapping 32-bit arithmetic: sane seeds never reach the limits, but a draw
// counter left running long enough must wrap, not misbehave.
inline int WrapAdd(int a, int b) { return int(unsigned(a) + unsigned(b)); }
inline int WrapMul(int a, int b) { return int(unsigned(a) * unsigned(b)); }
