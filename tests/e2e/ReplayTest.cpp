// gobbit --replay: the real program plays a journal back in its window and
// closes when the game has ended, having written nothing; a journal it
// cannot replay is refused before any window opens.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "support/GameProcess.h"
#include "support/PlayFixture.h"
#include "support/RecordedGames.h"

namespace {

using Replay = PlayFixture;

TEST_F(Replay, TheProgramWatchesAJournalToItsEndAndWritesNothing) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs a display";
    const Journal journal = PlayScriptedGame({1, 1, 1, 0, 20000});
    const std::vector<std::uint8_t> bytes = EncodeJournal(journal);

    GameProcess game;
    game.SetEnv("ALSOFT_DRIVERS", "null");
    ASSERT_TRUE(game.MakeHome());
    const std::string path = game.Home() + "/run.journal";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    game.SetArgs({"--replay", path});
    ASSERT_TRUE(game.Start());
    ASSERT_NE(game.FindWindow(15000), 0u) << game.Output();
    ASSERT_NE(game.WaitForText("Watching", 15000), std::string::npos) << game.Output();
    // A picture of the replay for a person to look at, once the hero moves.
    std::this_thread::sleep_for(std::chrono::milliseconds(3500));
    game.Screenshot(std::string(GOBBIT_BUILD_DIR) + "/replay.png");
    // Space held: four updates of the game to each one drawn.
    game.KeyDown("space");
    const size_t ended = game.WaitForText("Game ended by quitting with score ", 60000);
    game.KeyUp("space");
    ASSERT_NE(ended, std::string::npos) << game.Output();
    EXPECT_EQ(std::atoi(game.Output().c_str() + ended), journal.Score);
    EXPECT_EQ(game.WaitExit(10000), 0) << "closes by itself once the banner is over\n" << game.Output();

    for (const auto& entry : std::filesystem::directory_iterator(game.Home())) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "gobbit" || name == "Data" || name == "run.journal") << name << " was written";
    }
}

TEST_F(Replay, AJournalThatCannotBeReplayedIsRefusedWithoutAWindow) {
    GameProcess game;
    ASSERT_TRUE(game.MakeHome());
    const std::string path = game.Home() + "/broken.journal";
    std::ofstream(path, std::ios::binary) << "GobJ";
    game.SetArgs({"--replay", path});
    ASSERT_TRUE(game.Start());
    EXPECT_EQ(game.WaitExit(10000), 2) << game.Output();
    EXPECT_NE(game.Output().find("Cannot replay " + path + ": cut short inside its header"), std::string::npos)
        << game.Output();
}

}  // namespace
