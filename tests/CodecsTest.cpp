#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Scrambler.h"
#include "shell/MyGame.h"

namespace {

ZARNCore& Core() { return ThisGame; }

// The scrambler works on the game object's keyword, table and number; every
// test puts them back.
class CodecsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::memcpy(key_, Core().GameKey, sizeof key_);
        std::memcpy(table_, Core().GameScramble, sizeof table_);
        num_ = Core().GameNum;
    }
    void TearDown() override {
        std::memcpy(Core().GameKey, key_, sizeof key_);
        std::memcpy(Core().GameScramble, table_, sizeof table_);
        Core().GameNum = num_;
    }
    static void FillTable(char v) { std::memset(Core().GameScramble, v, ScrambleTableSize); }

private:
    char key_[1024];
    char table_[64];
    int num_ = 0;
};

std::string Repeat(char c, int n) { return std::string(size_t(n), c); }

}  // namespace

TEST_F(CodecsTest, ChecksumWeighsPositionAndKey) {
    EXPECT_EQ(Core().Checksum("abc", 564), 1760);
    EXPECT_EQ(Core().Checksum("", 564), 0);
    EXPECT_NE(Core().Checksum("bac", 564), 1760);
    EXPECT_NE(Core().Checksum("abc", 565), 1760);
    // Code 128 counts as -128 wrapped into 32 bits: (11 * (2^32 - 128)) mod 2^32 mod 3717.
    EXPECT_EQ(Core().Checksum("\x80", 0), 2124);
    Core().GameNum = 564;
    EXPECT_EQ(Core().Checksum("abc"), 1760);
    std::string long_text = Repeat('~', 5000);
    int sum = Core().Checksum(long_text, 564);
    EXPECT_GE(sum, 0);
    EXPECT_LT(sum, 3717);
}

TEST_F(CodecsTest, RunLengthPacking) {
    std::string a_to_l = "abcdefghijkl";
    struct Case {
        std::string text, packed;
    } cases[] = {
        {"aaab", "CaAb"},
        {Repeat('a', 53), "zaAa"},
        {Repeat('a', 52), "za"},
        {Repeat('a', 27), "aa"},
        {a_to_l, "AaAbAcAdAeAfAgAhAiAj AkAl"},
        {"abcdefghij", "AaAbAcAdAeAfAgAhAiAj"},  // no space after the last pair
        {"x", "Ax"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Core().JNKrunch(c.text), c.packed) << c.text;
        EXPECT_EQ(Core().JuNKrunch(c.packed), c.text) << c.packed;
    }
    EXPECT_EQ(Core().JuNKrunch(""), "");
    EXPECT_EQ(Core().JuNKrunch("[x"), Repeat('x', 21));  // between Z and a
    EXPECT_EQ(Core().JuNKrunch("`y"), Repeat('y', 26));
    for (std::string t : {"Hello World  !!", "mississippi", "Gobbit eats 1000 pellets....."})
        EXPECT_EQ(Core().JuNKrunch(Core().JNKrunch(t)), t);
    EXPECT_EQ(Core().JuNKrunch(Core().JNKrunch(Repeat('q', 200) + "rr" + Repeat('q', 120))),
              Repeat('q', 200) + "rr" + Repeat('q', 120));
}

TEST_F(CodecsTest, TableComesFromKeywordAndGameNumber) {
    Core().GameNum = 564;
    Core().SetKeyword("ab");
    EXPECT_STREQ(Core().GameKey, "ab");
    // (code + i + 564) % 92 with the keyword repeating.
    EXPECT_EQ(Core().GameScramble[0], (97 + 0 + 564) % 92);
    EXPECT_EQ(Core().GameScramble[1], (98 + 1 + 564) % 92);
    EXPECT_EQ(Core().GameScramble[2], (97 + 2 + 564) % 92);
    EXPECT_EQ(Core().GameScramble[63], (98 + 63 + 564) % 92);

    char before[64];
    std::memcpy(before, Core().GameScramble, 64);
    Core().GameNum = 0;
    Core().Rescramble();
    EXPECT_EQ(std::memcmp(before, Core().GameScramble, 64), 0);
    Core().GameNum = 564;
    Core().SetKeyword("");
    EXPECT_EQ(std::memcmp(before, Core().GameScramble, 64), 0);

    Core().SetKeyword("ab");
    Core().SetNum(565);  // a new game number re-derives the table
    EXPECT_EQ(Core().GameScramble[0], (97 + 0 + 565) % 92);

    // The largest game number: keyword code + position + number passes the int limit.
    Core().SetNum(2147483647);
    EXPECT_EQ(Core().GameScramble[0], (97 + 0 + 2147483647LL) % 92);
    EXPECT_EQ(Core().GameScramble[63], (98 + 63 + 2147483647LL) % 92);
}

TEST_F(CodecsTest, ScramblingWithFixedTables) {
    EXPECT_EQ(Core().ScrambleTxt(""), "");
    FillTable(0);
    EXPECT_EQ(Core().ScrambleTxt("    "), "    ");
    EXPECT_EQ(Core().ScrambleTxt("a{b"), "a{b");
    // Out-of-alphabet characters go in as spaces.
    EXPECT_EQ(Core().ScrambleTxt("|}~\n\x80"), "     ");

    FillTable(1);
    EXPECT_EQ(Core().ScrambleTxt("    "), "!\"#$");
    EXPECT_EQ(Core().ScrambleTxt("a}b"), Core().ScrambleTxt("a b"));
    // The shift runs on past position 64: no period of 64.
    std::string out = Core().ScrambleTxt(Repeat(' ', 128));
    for (int i = 0; i < 64; i++) EXPECT_NE(out[size_t(i)], out[size_t(i) + 64]) << i;
}

TEST_F(CodecsTest, ScrambledTextReadsBackWithTheSameTable) {
    Core().GameNum = 564;
    Core().SetKeyword("Quiet ferns w4lK tapping Gravel, s10wly drifting. {Yes}!");
    std::string msg;
    for (int c = 32; c <= 123; c++) msg += char(c);
    msg += msg + "GOBBITUSERABC{Bob{3{12500{";
    std::string scrambled = Core().ScrambleTxt(msg);
    ASSERT_EQ(scrambled.size(), msg.size());
    EXPECT_NE(scrambled, msg);
    for (char c : scrambled) {
        EXPECT_GE(c, 32);
        EXPECT_LE(c, 123);
    }
    EXPECT_EQ(UnscrambleWithTable(scrambled, Core().GameScramble), msg);

    char other[64];
    std::memset(other, 0, sizeof other);
    DeriveScrambleTable(Core().GameKey, 565, other);
    EXPECT_NE(UnscrambleWithTable(scrambled, other), msg);

    EXPECT_EQ(UnscrambleWithTable(Core().ScrambleTxt("a~b"), Core().GameScramble), "a b");
    EXPECT_EQ(Core().UnscrambleTxt(scrambled), "I haven't coded this bit yet!");
}

TEST_F(CodecsTest, SixtyFourCharacterAlphabet) {
    const std::string alphabet = "_-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    for (int v = 0; v < 64; v++) {
        EXPECT_EQ(Core().Char64(v), alphabet[size_t(v)]) << v;
        EXPECT_EQ(Core().Char64(v + 64), alphabet[size_t(v)]) << v;
        EXPECT_EQ(Core().Int64(alphabet[size_t(v)]), v) << alphabet[size_t(v)];
    }
    EXPECT_EQ(Core().Char64(-1), 'z');
    EXPECT_EQ(Core().Char64b(0), ' ');
    EXPECT_EQ(Core().Char64b(64), ' ');
    EXPECT_EQ(Core().Char64b(5), '3');
    EXPECT_EQ(Core().Int64(' '), 50);
}

TEST_F(CodecsTest, FourCharacterNumbersRoundTrip) {
    EXPECT_EQ(Core().Char64x4(0), "____");
    EXPECT_EQ(Core().Char64x4(1), "-___");   // lowest six bits first
    EXPECT_EQ(Core().Char64x4(64), "_-__");
    EXPECT_EQ(Core().Char64x4(16777215), "zzzz");
    int failures = 0, first_failure = -1;
    for (int v = 0; v <= 16777215; v++) {
        if (Core().Int64x4(Core().Char64x4(v)) != v) {
            if (failures++ == 0) first_failure = v;
        }
    }
    EXPECT_EQ(failures, 0) << "first at " << first_failure;
}
