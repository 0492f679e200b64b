#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "CoreGlobals.h"
#include "Random.h"
#include "shell/MyGame.h"
#include "support/StateGuards.h"

namespace {

int FakeClock = 0;
int TickingClock() { return FakeClock += 13; }

// Saves and restores every piece of global state these tests touch: the
// generator, the game number and the clock hook.
class RandomTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_.Keep(jRand_Seed, jRand_Count, jRand_Bit, jRand_Plus, jRand_Out, jRand_Tot, jRand_tSeed,
                    ThisGame.GameNum, Loop.MillsSource);
        ThisGame.GameNum = 564;
        FakeClock = 5000;
        Loop.MillsSource = TickingClock;
    }
    void TearDown() override { saved_.Restore(); }

    static std::vector<float> Draws(int seed, int n) {
        ThisGame.SeedRnd(seed);
        std::vector<float> v;
        for (int i = 0; i < n; i++) v.push_back(ThisGame.Rnd(0, 1000));
        return v;
    }

private:
    StateGuard saved_;
};

}  // namespace

TEST_F(RandomTest, TableHas256CharactersFrom48To112) {
    int distinct[256] = {};
    for (int i = 0; i < 256; i++) {
        int c = static_cast<signed char>(jRand_Txt[i]);
        ASSERT_GE(c, 48) << i;
        ASSERT_LE(c, 112) << i;
        distinct[c] = 1;
    }
    EXPECT_EQ(jRand_Txt[256], '\0');
    int used = 0;
    for (int d : distinct) used += d;
    EXPECT_GT(used, 50);  // spread over the range, not a handful of values
}

TEST_F(RandomTest, SeedingSetsTheStateFromSeedAndGameNumber) {
    jRand_Tot = 9;
    jRand_Out = 9;
    ThisGame.SeedRnd(70000);
    EXPECT_EQ(jRand_Seed, 70000);
    EXPECT_EQ(jRand_Bit, 70000 % 256);
    EXPECT_EQ(jRand_Plus, 70000 / 256 + 564);
    EXPECT_EQ(jRand_Count, 0);
    EXPECT_EQ(jRand_Tot, 0);
    EXPECT_EQ(jRand_Out, 0);
}

TEST_F(RandomTest, FirstDrawMatchesTheStepsWorkedByHand) {
    // Seed 1000, game 564: Bit 232, Plus 567. Count 7; Bit 31 (T = 'h' 104);
    // Plus 678; Bit 197 (T = 'j' 106); Plus 1784; Bit 196 (T = '_' 95), and
    // T[7] = 'a' 97: Out = (192 * 16 + 196 + 7) * 1024 + 1784 mod 1310725.
    ThisGame.SeedRnd(1000);
    float f = ThisGame.Rnd(0, 1);
    EXPECT_EQ(jRand_Count, 7);
    EXPECT_EQ(jRand_Bit, 196);
    EXPECT_EQ(jRand_Plus, 1784);
    EXPECT_EQ(jRand_Out, 733934);
    EXPECT_EQ(f, 733934.0f / 1310725.0f);

    // Later draws, where the counter has passed 256, from a separate
    // step-by-step replay of the same arithmetic over the same table.
    for (int i = 2; i <= 40; i++) ThisGame.Rnd(0, 1);
    EXPECT_EQ(jRand_Out, 704103);
    for (int i = 41; i <= 1000; i++) ThisGame.Rnd(0, 1);
    EXPECT_EQ(jRand_Out, 600207);
}

TEST_F(RandomTest, SameSeedSameStreamAndGameNumberChangesIt) {
    std::vector<float> a = Draws(4242, 500);
    EXPECT_EQ(Draws(4242, 500), a);
    EXPECT_NE(Draws(4243, 500), a);
    ThisGame.GameNum = 565;
    EXPECT_NE(Draws(4242, 500), a);
}

TEST_F(RandomTest, RangeIsScaledFromOneUnitDraw) {
    ThisGame.SeedRnd(77);
    std::vector<float> unit;
    for (int i = 0; i < 200; i++) unit.push_back(ThisGame.Rnd(0, 1));
    ThisGame.SeedRnd(77);
    for (int i = 0; i < 200; i++) {
        float v = ThisGame.Rnd(-5, 15);
        EXPECT_EQ(v, 20.0f * unit[size_t(i)] + -5.0f);
        EXPECT_GE(v, -5.0f);
        EXPECT_LT(v, 15.0f);
    }
    ThisGame.SeedRnd(77);
    EXPECT_EQ(ThisGame.Rnd(8), 8.0f * unit[0]);
}

TEST_F(RandomTest, RandCoversBothEndsAndNoMore) {
    ThisGame.SeedRnd(31337);
    int seen[6] = {};
    for (int i = 0; i < 4000; i++) {
        int v = ThisGame.Rand(0, 3);
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 3);
        seen[v]++;
    }
    for (int v = 0; v <= 3; v++) EXPECT_GT(seen[v], 0) << v;

    int seenN[7] = {};
    for (int i = 0; i < 4000; i++) {
        int v = ThisGame.Rand(5);
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 5);
        seenN[v]++;
    }
    for (int v = 0; v <= 5; v++) EXPECT_GT(seenN[v], 0) << v;
}

TEST_F(RandomTest, CounterOverflowRestartsAtZero) {
    ThisGame.SeedRnd(5);
    jRand_Count = INT_MAX - 3;
    ThisGame.Rnd(0, 1);
    EXPECT_EQ(jRand_Count, 0);
    ThisGame.Rnd(0, 1);
    EXPECT_EQ(jRand_Count, 7);
}

TEST_F(RandomTest, ClockStreamLeavesTheSeededStreamAlone) {
    ThisGame.SeedRnd(999);
    float first = ThisGame.Rnd(0, 1);
    float second = ThisGame.Rnd(0, 1);

    ThisGame.SeedRnd(999);
    EXPECT_EQ(ThisGame.Rnd(0, 1), first);
    int tBefore = jRand_tSeed;
    int bit = jRand_Bit, plus = jRand_Plus, count = jRand_Count, out = jRand_Out;
    for (int i = 0; i < 50; i++) {
        float t = ThisGame.tRnd(2, 4);
        EXPECT_GE(t, 2.0f);
        EXPECT_LT(t, 4.0f);
        int r = ThisGame.tRand(1, 3);
        EXPECT_GE(r, 1);
        EXPECT_LE(r, 3);
    }
    EXPECT_EQ(jRand_tSeed, tBefore + 100);
    EXPECT_EQ(jRand_Bit, bit);
    EXPECT_EQ(jRand_Plus, plus);
    EXPECT_EQ(jRand_Count, count);
    EXPECT_EQ(jRand_Out, out);
    EXPECT_EQ(ThisGame.Rnd(0, 1), second);
}

TEST_F(RandomTest, ClockStreamMovesWithTheClock) {
    // Same counter, different clock readings: different values.
    int start = jRand_tSeed;
    FakeClock = 1000;
    float a = ThisGame.tRnd(0, 1);
    jRand_tSeed = start;
    FakeClock = 1000 + 13 * 7;
    float b = ThisGame.tRnd(0, 1);
    EXPECT_NE(a, b);
    jRand_tSeed = start;
    FakeClock = 1000;
    EXPECT_EQ(ThisGame.tRnd(0, 1), a);
}
