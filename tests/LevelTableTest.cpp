// The level table (gobbit --levels): each line is the line the game logs
// when it has built that level and set its target, so what a designer or a
// tool reads is what a player gets.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "rules/LevelTable.h"
#include "support/PlayFixture.h"

namespace {

using LevelTable = PlayFixture;

// The text of the game's log line that starts with `start`, without its
// running number.
std::string LoggedLine(const std::string& log, const std::string& start) {
    const size_t at = log.find("> " + start);
    if (at == std::string::npos) return "";
    const size_t end = log.find('\n', at);
    return log.substr(at + 2, end == std::string::npos ? std::string::npos : end - at - 2);
}

TEST_F(LevelTable, EachLineIsTheGamesLogLineForThatLevel) {
    struct Case { int difficulty, level; };
    // The first level, levels the check confirms and lowers, and the last.
    const Case cases[] = {{1, 1}, {2, 5}, {2, 50}, {3, 34}, {3, 48}, {3, 100}};
    for (const Case& c : cases) {
        const std::string start = "Level " + std::to_string(c.level) + ", difficulty " + std::to_string(c.difficulty);
        ::testing::internal::CaptureStdout();
        BuildLevel(c.difficulty, c.level);
        const std::string logged = LoggedLine(::testing::internal::GetCapturedStdout(), start);
        ASSERT_FALSE(logged.empty()) << start << ": the game logs the level when its target is set";

        std::ostringstream table;
        PrintLevelTable(c.difficulty, c.level, c.level, table);
        EXPECT_EQ(table.str(), logged + "\n") << start;
    }
}

TEST_F(LevelTable, TheLineNamesItemsGateRowsAndWhatTheCheckDid) {
    // Two rightwards rows side by side make one run of six cells.
    LayBoard({"#########################",
              "#o.>>>>>>..<<<.#.........",
              "#.......H.......o........"},
             0);
    ThisGame.Difficulty = 2;
    PlayState& P = ThisGame.Play;
    P.Level = 7;
    P.Target = 220;
    P.Estimate = 240;
    P.WalkFound = 223;
    EXPECT_EQ(LevelLine(ThisGame.Rules),
              "Level 7, difficulty 2: layout 12, hero 8,2, power items 1,1 16,2, gate rows 4,1> 7,1> 12,1<, "
              "target 220, lowered from 240 (walk 223)");
    P.Target = 240;
    P.WalkFound = 251;
    EXPECT_NE(LevelLine(ThisGame.Rules).find(", target 240, confirmed (walk 251)"), std::string::npos)
        << LevelLine(ThisGame.Rules);
}

TEST_F(LevelTable, TheCommandTakesThreeWholeNumbersInRange) {
    struct Case { const char* difficulty; const char* first; const char* last; int status, lines; };
    const Case cases[] = {
        {"2", "1", "3", 0, 3},
        {"3", "9999", "9999", 0, 1},
        {"0", "1", "2", 2, 0},
        {"4", "1", "2", 2, 0},
        {"2", "0", "3", 2, 0},
        {"2", "3", "2", 2, 0},
        {"2", "1", "10000", 2, 0},
        {"2", "1", "x", 2, 0},
        {"2", "1", "3x", 2, 0},
        {"2", "+1", "3", 2, 0},
        {"2", "-1", "3", 2, 0},
        {"2", " 1", "3", 2, 0},
        {"2", "", "3", 2, 0},
        {"2", "99999999999999999999", "1", 2, 0},
        {"2", "1", nullptr, 2, 0},
    };
    for (const Case& c : cases) {
        const std::string what = std::string(c.difficulty) + " " + c.first + " " + (c.last ? c.last : "(none)");
        std::ostringstream out, err;
        EXPECT_EQ(LevelTableCommand(c.difficulty, c.first, c.last, out, err), c.status) << what;
        int lines = 0;
        std::istringstream read(out.str());
        for (std::string line; std::getline(read, line); ++lines)
            EXPECT_EQ(line.rfind("Level ", 0), 0u) << what << ": " << line;
        EXPECT_EQ(lines, c.lines) << what;
        EXPECT_EQ(err.str().empty(), c.status == 0) << what << ": " << err.str();
    }
}

}  // namespace
