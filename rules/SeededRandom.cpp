#include "rules/SeededRandom.h"

#include <cmath>

const char RandomTable[257] =
    "2<hLhLia8XBAi;ogGS2D_[f[KSgh]j4h"
    "MBe:HMFJiLH7enVeE<[mZfe7K6UYi0Vm"
    "m]GR=\\F>@c`WMX]<2nTD]:]Tn?UaO14Q"
    "CI3NFhS>a`;kjO<:0?ik7p;]b@fYfI`4"
    "PToCTjh2D>i4\\Z<M3l\\cL=`lGc3P;aZd"
    "D?`NN@5XB9QBUo7lOM9FGQYmY_QfWX`W"
    "c<d?_jAl?Sfp9DUJ2ONB;;>73JPV36m:"
    "fL^P09o2b@lPB5A5^UP2>7?VAb=LcC[G";

namespace {
// Rand's upper end: the floor of a number up to hi + 0.9999 is hi at most.
constexpr float RandSpan = 0.9999f;
}  // namespace

void SeededRandom::Reseed(int seed, int gameNumber) {
    Seed = seed;
    Bit = seed % 256;
    Plus = WrapAdd(seed / 256, gameNumber);
    Count = 0;
    Tot = 0;
    Out = 0;
}

float SeededRandom::Rnd(float lo, float hi) {
    Count = WrapAdd(Count, 7);
    if (Count < 0) Count = 0;
    Bit = WrapAdd(Bit, Plus) % 256;
    Plus = WrapAdd(WrapAdd(RandomTableEntry(Bit), Count), Plus) % 13817278;
    Bit = WrapAdd(Bit, Plus) % 256;
    Plus = WrapAdd(WrapAdd(RandomTableEntry(Bit), Plus), Seed) % 15215178;
    Bit = WrapAdd(WrapAdd(Bit, Plus), Count) % 256;
    Out = RandomTableEntry(Bit) + RandomTableEntry(Count % 256);
    Out = WrapAdd(WrapAdd(WrapMul(Out, 16), Bit), Count) % 371716;
    Out = WrapAdd(WrapMul(Out, 1024), Plus) % 1310725;
    float f = float(Out) / 1310725.0f;
    return (hi - lo) * f + lo;
}

int SeededRandom::Rand(int lo, int hi) { return int(std::floor(Rnd(float(lo), float(hi) + RandSpan))); }
