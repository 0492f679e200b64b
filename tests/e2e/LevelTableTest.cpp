// gobbit --levels against the real game: a game that reaches level 4 on
// Normal, watched in the real program's window, logs one line for every
// level it builds, and each is the line `gobbit --levels 2 1 100` prints
// for that level, without a display.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/GameProcess.h"
#include "support/PlayFixture.h"
#include "support/RecordedGames.h"

namespace {

using LevelTableEndToEnd = PlayFixture;

// The lines of text that start with `start`, a log line's running number
// cut off, in order.
std::vector<std::string> LinesStarting(const std::string& text, const std::string& start) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(start, 0) == 0) {
            lines.push_back(line);
        } else {
            const size_t at = line.find("> " + start);
            if (at != std::string::npos) lines.push_back(line.substr(at + 2));
        }
    }
    return lines;
}

TEST_F(LevelTableEndToEnd, TheTablePrintsTheLevelsAGameBuilds) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs a display";
    // Three levels won, then the fourth lost three times over.
    const Journal journal = PlayScriptedGame({2, 3, -1, 0, 20000});
    ASSERT_EQ(journal.Checkpoints.back().Level, 4);

    GameProcess game;
    game.SetEnv("ALSOFT_DRIVERS", "null");
    ASSERT_TRUE(game.MakeHome());
    const std::string path = game.Home() + "/run.journal";
    const std::vector<std::uint8_t> bytes = EncodeJournal(journal);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    game.SetArgs({"--replay", path});
    ASSERT_TRUE(game.Start());
    ASSERT_NE(game.FindWindow(15000), 0u) << game.Output();
    ASSERT_NE(game.WaitForText("Watching", 15000), std::string::npos) << game.Output();
    game.KeyDown("space");
    const size_t ended = game.WaitForText("Game ended by losing the last life", 120000);
    game.KeyUp("space");
    ASSERT_NE(ended, std::string::npos) << game.Output();
    EXPECT_EQ(game.WaitExit(10000), 0) << game.Output();
    const std::vector<std::string> built = LinesStarting(game.Output(), "Level ");

    GameProcess table;
    table.SetEnv("DISPLAY", "");  // no window: none is needed
    ASSERT_TRUE(table.MakeHome());
    table.SetArgs({"--levels", "2", "1", "100"});
    ASSERT_TRUE(table.Start());
    ASSERT_EQ(table.WaitExit(120000), 0) << table.Output();
    const std::vector<std::string> lines = LinesStarting(table.Output(), "Level ");
    ASSERT_EQ(lines.size(), 100u) << table.Output();

    // Levels 1-3 once each, level 4 once per life.
    std::map<int, int> seen;
    for (const std::string& line : built) {
        const int level = std::atoi(line.c_str() + 6);
        ASSERT_GE(level, 1) << line;
        ASSERT_LE(level, 100) << line;
        EXPECT_EQ(line, lines[size_t(level - 1)]) << "level " << level;
        ++seen[level];
    }
    EXPECT_EQ(seen, (std::map<int, int>{{1, 1}, {2, 1}, {3, 1}, {4, 3}}));
}

}  // namespace
