// The seeded stream (SeedRnd, Rnd, Rand), which level building and path
// finding replay exactly, and the clock-driven stream (tRnd, tRand), which
// reads but never moves the seeded one.
#include "Random.h"

#include <cmath>

#include "ZARNCore.h"

SeededRandom SharedStream;

int& jRand_Seed = SharedStream.Seed;
int& jRand_Count = SharedStream.Count;
int& jRand_Bit = SharedStream.Bit;
int& jRand_Plus = SharedStream.Plus;
int& jRand_Out = SharedStream.Out;
int& jRand_Tot = SharedStream.Tot;
int jRand_tSeed = 0;

const char (&jRand_Txt)[257] = RandomTable;

namespace {
constexpr float RandSpan = 0.9999f;
}  // namespace

void ZARNCore::SeedRnd(int s) { SharedStream.Reseed(s, GameNum); }

void ZARNCore::SeedRnd() { SeedRnd(Mills()); }

float ZARNCore::Rnd(float lo, float hi) { return SharedStream.Rnd(lo, hi); }

float ZARNCore::Rnd(float n) { return Rnd(0, n); }

int ZARNCore::Rand(int lo, int hi) { return SharedStream.Rand(lo, hi); }

int ZARNCore::Rand(int n) { return Rand(0, n); }

float ZARNCore::tRnd(float lo, float hi) {
    jRand_tSeed = WrapAdd(jRand_tSeed, 1);
    int m = Mills();
    int p = jRand_Plus;
    int i = WrapAdd(WrapAdd(WrapAdd(m, WrapAdd(Mills(), 37171)), p), p) % 256;
    p = WrapAdd(WrapAdd(RandomTableEntry(i), m), p) % 13817278;
    i = WrapAdd(i, p) % 256;
    p = WrapAdd(WrapAdd(RandomTableEntry(i), p), jRand_tSeed) % 15215178;
    i = WrapAdd(WrapAdd(i, p), m) % 256;
    int o = WrapAdd(WrapAdd(RandomTableEntry(i), jRand_tSeed), RandomTableEntry(m % 256));
    o = WrapAdd(WrapAdd(WrapMul(o, 16), i), m) % 371716;
    o = WrapAdd(WrapAdd(WrapMul(o, 1024), p), WrapMul(7, jRand_tSeed)) % 1310725;
    float f = float(o) / 1310725.0f;
    return (hi - lo) * f + lo;
}

float ZARNCore::tRnd(float n) { return tRnd(0, n); }

int ZARNCore::tRand(int lo, int hi) { return int(std::floor(tRnd(float(lo), float(hi) + RandSpan))); }

int ZARNCore::tRand(int n) { return tRand(0, n); }
