// The seeded stream (SeedRnd, Rnd, Rand), which level building and path
// finding replay exactly, and the clock-driven stream (tRnd, tRand), which
// reads but never moves the seeded one.
#include "Random.h"

#include <cmath>

#include "ZARNCore.h"

int jRand_Seed = 0;
int jRand_Count = 0;
int jRand_Bit = 0;
int jRand_Plus = 0;
int jRand_Out = 0;
int jRand_Tot = 0;
int jRand_tSeed = 0;

// Every sequence depends on these characters; changing one changes every level.
const char jRand_Txt[257] =
    "2<hLhLia8XBAi;ogGS2D_[f[KSgh]j4h"
    "MBe:HMFJiLH7enVeE<[mZfe7K6UYi0Vm"
    "m]GR=\\F>@c`WMX]<2nTD]:]Tn?UaO14Q"
    "CI3NFhS>a`;kjO<:0?ik7p;]b@fYfI`4"
    "PToCTjh2D>i4\\Z<M3l\\cL=`lGc3P;aZd"
    "D?`NN@5XB9QBUo7lOM9FGQYmY_QfWX`W"
    "c<d?_jAl?Sfp9DUJ2ONB;;>73JPV36m:"
    "fL^P09o2b@lPB5A5^UP2>7?VAb=LcC[G";

namespace {

// Wrapping 32-bit arithmetic: sane seeds never reach the limits, but a draw
// counter left running long enough must wrap, not misbehave.
inline int Add(int a, int b) { return int(unsigned(a) + unsigned(b)); }
inline int Mul(int a, int b) { return int(unsigned(a) * unsigned(b)); }

// Table entries are signed bytes; indices are taken modulo 256.
inline int T(int i) { return static_cast<signed char>(jRand_Txt[i & 255]); }

constexpr float RandSpan = 0.9999f;

}  // namespace

void ZARNCore::SeedRnd(int s) {
    jRand_Seed = s;
    jRand_Bit = s % 256;
    jRand_Plus = Add(s / 256, GameNum);
    jRand_Count = 0;
    jRand_Tot = 0;
    jRand_Out = 0;
}

void ZARNCore::SeedRnd() { SeedRnd(Mills()); }

float ZARNCore::Rnd(float lo, float hi) {
    jRand_Count = Add(jRand_Count, 7);
    if (jRand_Count < 0) jRand_Count = 0;
    jRand_Bit = Add(jRand_Bit, jRand_Plus) % 256;
    jRand_Plus = Add(Add(T(jRand_Bit), jRand_Count), jRand_Plus) % 13817278;
    jRand_Bit = Add(jRand_Bit, jRand_Plus) % 256;
    jRand_Plus = Add(Add(T(jRand_Bit), jRand_Plus), jRand_Seed) % 15215178;
    jRand_Bit = Add(Add(jRand_Bit, jRand_Plus), jRand_Count) % 256;
    jRand_Out = T(jRand_Bit) + T(jRand_Count % 256);
    jRand_Out = Add(Add(Mul(jRand_Out, 16), jRand_Bit), jRand_Count) % 371716;
    jRand_Out = Add(Mul(jRand_Out, 1024), jRand_Plus) % 1310725;
    float f = float(jRand_Out) / 1310725.0f;
    return (hi - lo) * f + lo;
}

float ZARNCore::Rnd(float n) { return Rnd(0, n); }

int ZARNCore::Rand(int lo, int hi) {
    return int(std::floor(Rnd(float(lo), float(hi) + RandSpan)));
}

int ZARNCore::Rand(int n) { return Rand(0, n); }

float ZARNCore::tRnd(float lo, float hi) {
    jRand_tSeed = Add(jRand_tSeed, 1);
    int m = Mills();
    int p = jRand_Plus;
    int i = Add(Add(Add(m, Add(Mills(), 37171)), p), p) % 256;
    p = Add(Add(T(i), m), p) % 13817278;
    i = Add(i, p) % 256;
    p = Add(Add(T(i), p), jRand_tSeed) % 15215178;
    i = Add(Add(i, p), m) % 256;
    int o = Add(Add(T(i), jRand_tSeed), T(m % 256));
    o = Add(Add(Mul(o, 16), i), m) % 371716;
    o = Add(Add(Mul(o, 1024), p), Mul(7, jRand_tSeed)) % 1310725;
    float f = float(o) / 1310725.0f;
    return (hi - lo) * f + lo;
}

float ZARNCore::tRnd(float n) { return tRnd(0, n); }

int ZARNCore::tRand(int lo, int hi) {
    return int(std::floor(tRnd(float(lo), float(hi) + RandSpan)));
}

int ZARNCore::tRand(int n) { return tRand(0, n); }
