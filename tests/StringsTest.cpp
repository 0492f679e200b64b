#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "shell/MyGame.h"
#include "sys/ZARNSys.h"

namespace {
ZARNCore& Core() { return ThisGame; }
}

TEST(StringsTest, RingKeepsEachTextForTwentyNineMoreCalls) {
    char* kept = Core().fstr("kept %d", 7);
    int slot = TempstrUse;
    ASSERT_EQ(kept, Core().Tempstr[slot]);
    for (int i = 0; i < 29; i++) {
        char* other = Core().fstr("other %d", i);
        ASSERT_NE(other, kept);
    }
    EXPECT_STREQ(kept, "kept 7");
    Core().tstr("%s-%03d", "wrap", 5);  // the thirtieth call takes the slot back
    EXPECT_EQ(TempstrUse, slot);
    EXPECT_STREQ(kept, "wrap-005");
}

TEST(StringsTest, RingIndexWrapsAfterTwentyNine) {
    while (TempstrUse != 29) Core().fstr("x");
    Core().fstr("y");
    EXPECT_EQ(TempstrUse, 0);
    EXPECT_STREQ(Core().Tempstr[0], "y");
}

TEST(StringsTest, SplitFieldsAndMissingOnes) {
    struct Case {
        const char* s;
        char sep;
        int k;
        const char* want;
    } cases[] = {
        {"12{34{56", '{', 1, "12"},   {"12{34{56", '{', 2, "34"},     {"12{34{56", '{', 3, "56"},
        {"12{34{56", '{', 4, "-=+=-"}, {"12{34{56", '{', 0, "-=+=-"}, {"", '{', 1, "-=+=-"},
        {"{a", '{', 1, ""},            {"a{{b", '{', 2, ""},          {"solo", '{', 1, "solo"},
        // A trailing separator stays with the last field.
        {"12{34{", '{', 2, "34{"},    {"12{34{", '{', 3, "-=+=-"},
    };
    for (const Case& c : cases) EXPECT_EQ(Core().Split(c.s, c.sep, c.k), c.want) << c.s << " #" << c.k;
    EXPECT_EQ(Core().SplitCount("12{34{56", '{'), 3);
    EXPECT_EQ(Core().SplitCount("12{34{", '{'), 3);
    EXPECT_EQ(Core().SplitCount("", '{'), 1);
}

TEST(StringsTest, PaddingCutsAndFills) {
    EXPECT_EQ(Core().LeftPad("AB", 5, '*'), "AB***");
    EXPECT_EQ(Core().RightPad("AB", 5, '*'), "***AB");
    EXPECT_EQ(Core().LeftPad("AB", 1, '*'), "A");
    EXPECT_EQ(Core().RightPad("AB", 1, '*'), "B");
    EXPECT_EQ(Core().LeftPad("AB", 0, '*'), "");
    EXPECT_EQ(Core().RightPad("ABC", 3, '*'), "ABC");
    // The field is limited to 1023 less the text's length.
    EXPECT_EQ(Core().LeftPad("AB", 5000, '.').size(), 1021u);
    EXPECT_EQ(Core().RightPad("AB", 5000, '.').size(), 1021u);
}

TEST(StringsTest, LeftRightMidTrimStrip) {
    EXPECT_EQ(Core().Left("Gobbit", 3), "Gob");
    EXPECT_EQ(Core().Left("Gobbit", 10), "Gobbit");
    EXPECT_EQ(Core().Right("Gobbit", 3), "bit");
    EXPECT_EQ(Core().Right("Gobbit", 6), "Gobbit");
    EXPECT_EQ(Core().Mid("Gobbit", 1, 3), "obb");
    EXPECT_EQ(Core().Mid("Gobbit", 4, 9), "it");
    EXPECT_EQ(Core().Mid("Gobbit", 6, 2), "");
    EXPECT_EQ(Core().Trim("     "), "");
    EXPECT_EQ(Core().Trim(" \t a b \n"), "a b");
    EXPECT_EQ(Core().Trim("\x80x y\xff"), "x y");  // high bytes count as blank
    EXPECT_EQ(Core().Strip(" a\tb c "), "a\tbc");
}

TEST(StringsTest, IniHalvesAndNumberTexts) {
    EXPECT_EQ(Core().iniLeft("Name=Bob=2"), "Name");
    EXPECT_EQ(Core().iniRight("Name=Bob=2"), "Bob=2");
    EXPECT_EQ(Core().iniLeft("no equals"), "-=+=-");
    EXPECT_EQ(Core().iniRight("no equals"), "-=+=-");
    EXPECT_EQ(Core().Hex(255), "FF");
    EXPECT_EQ(Core().Hex(-1), "FFFFFFFF");
    EXPECT_EQ(Core().Bin(5), "5");  // decimal, whatever the name says
    EXPECT_EQ(Core().Bin(-1), "4294967295");
    EXPECT_EQ(Core().HexToInt("1fz"), 31);
    EXPECT_EQ(Core().BinToInt("101x"), 5);
    EXPECT_EQ(Core().StrToInt("42abc"), 42);
    EXPECT_EQ(Core().ToInt("-7"), -7);
    EXPECT_EQ(Core().ToInt("x"), 0);
    EXPECT_EQ(Core().HexToInt(""), 0);
}

TEST(StringsTest, Ordinals) {
    struct Case {
        int n;
        const char* want;
    } cases[] = {{1, "1st"},     {2, "2nd"},     {3, "3rd"},     {4, "4th"},     {11, "11th"},
                 {12, "12th"},   {13, "13th"},   {21, "21st"},   {22, "22nd"},   {23, "23rd"},
                 {101, "101st"}, {111, "111st"}, {112, "112nd"}, {113, "113rd"}, {0, "0th"},
                 {-1, "-1th"}};
    for (const Case& c : cases) EXPECT_EQ(Core().nth(c.n), c.want);
}

TEST(StringsTest, SixLetterPacking) {
    EXPECT_EQ(Core().SixDigitString("Abc"), (1 << 25) | (2 << 20) | (3 << 15));
    EXPECT_EQ(Core().SixDigitString((1 << 25) | (2 << 20) | (3 << 15)), "ABC   ");
    EXPECT_EQ(Core().SixDigitString(Core().SixDigitString("gobbit")), "GOBBIT");
    EXPECT_EQ(Core().SixDigitString(Core().SixDigitString("Zz9 a!x")), "ZZ  A ");  // cut at six
    EXPECT_EQ(Core().SixDigitString(""), 0);
    // Fields 27-31 show as spaces.
    EXPECT_EQ(Core().SixDigitString(31 << 25 | 26 << 20), " Z    ");
    int a = Core().SixDigitString("ABCDEF"), b = Core().SixDigitString("GHIJKL"),
        c = Core().SixDigitString("MNO");
    EXPECT_EQ(Core().SixDigitString(a, b), "ABCDEFGHIJKL");
    EXPECT_EQ(Core().SixDigitString(a, b, c), "ABCDEFGHIJKLMNO   ");
}

TEST(StringsTest, DateAndTimeTexts) {
    const std::regex date(R"(\d\d/\d\d/\d{4})"), time(R"(\d\d:\d\d:\d\d)");
    EXPECT_TRUE(std::regex_match(Core().Date_str(), date)) << Core().Date_str();
    EXPECT_TRUE(std::regex_match(Core().Time_str(), time)) << Core().Time_str();
    EXPECT_TRUE(std::regex_match(Core().DateTime_str(), std::regex(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d)")));
    EXPECT_TRUE(std::regex_match(Core().DateTime_file(), std::regex(R"(\d\d-\d\d-\d{4}_\d\d-\d\d-\d\d)")));
    EXPECT_TRUE(std::regex_match(Core().DateTime_fileb(), std::regex(R"(\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d)")));
    EXPECT_GE(Core().Date_Month(), 1);
    EXPECT_LE(Core().Date_Month(), 12);
    EXPECT_GE(Core().Date_Year(), 2024);
    EXPECT_LE(Core().Time_Hour(), 23);
}

TEST(StringsTest, EveryLogFormWritesOneNumberedLine) {
    int before = DebugMessages;
    testing::internal::CaptureStdout();
    int r = Core().Print("alpha") + Core().Debuglog("beta") + Core().DebugLog("gamma") + Core().Debug("delta");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(r, 4);
    EXPECT_EQ(DebugMessages, before + 4);
    char want[256];
    std::snprintf(want, sizeof want, "% 8i> alpha\n% 8i> beta\n% 8i> gamma\n% 8i> delta\n", before + 1,
                  before + 2, before + 3, before + 4);
    EXPECT_EQ(out, want);
}
