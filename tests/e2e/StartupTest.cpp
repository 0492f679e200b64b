// The real program, started and closed the way a player would.
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/GameProcess.h"

namespace {

bool HaveDisplay() { return std::getenv("DISPLAY") != nullptr; }

// True when the lines appear in this order in the output.
bool InOrder(const std::string& out, std::initializer_list<const char*> lines) {
    size_t at = 0;
    for (const char* line : lines) {
        at = out.find(line, at);
        if (at == std::string::npos) return false;
        at += std::string(line).size();
    }
    return true;
}

}  // namespace

TEST(Startup, OpensTheWindowRunsAndSaysFarewellWhenClosed) {
    if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
    GameProcess game;
    game.SetEnv("ALSOFT_DRIVERS", "null");
    ASSERT_TRUE(game.Start());
    unsigned long win = game.FindWindow(10000);
    ASSERT_NE(win, 0u) << game.Output();
    EXPECT_EQ(game.WindowTitle(win), "Gobbit");
    int x, y, w, h;
    game.WindowGeometry(win, x, y, w, h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);

    // Let the loader and a few hundred updates run, then close it properly.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ASSERT_TRUE(game.Running()) << game.Output();
    ASSERT_TRUE(game.RequestClose());
    EXPECT_EQ(game.WaitExit(10000), 0);

    std::string out = game.Output();
    EXPECT_TRUE(InOrder(out, {"ZARNFrame - v0.95", "> Opened Window", "> OpenAL Audio Engaged!", "> Opened Window",
                              "Runtime : 0:0", "Farewell happy gamer"}))
        << out;
    // Every log line carries its running number right-aligned in 8 columns.
    EXPECT_NE(out.find("       1> "), std::string::npos) << out;
}

TEST(Startup, UnfocusedGameStillAnswersTheCloseRequest) {
    if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
    GameProcess game;
    game.SetEnv("ALSOFT_DRIVERS", "null");
    ASSERT_TRUE(game.Start());
    ASSERT_NE(game.FindWindow(10000), 0u) << game.Output();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    game.TakeFocusAway();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(game.Running());
    ASSERT_TRUE(game.RequestClose());
    EXPECT_EQ(game.WaitExit(10000), 0);
    EXPECT_NE(game.Output().find("Farewell happy gamer"), std::string::npos);
}

TEST(Startup, RunsSilentlyWithoutAnAudioDevice) {
    if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
    GameProcess game;
    game.SetEnv("ALSOFT_DRIVERS", "no-such-backend");
    ASSERT_TRUE(game.Start());
    ASSERT_NE(game.FindWindow(10000), 0u) << game.Output();
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    ASSERT_TRUE(game.RequestClose());
    EXPECT_EQ(game.WaitExit(10000), 0);
    std::string out = game.Output();
    EXPECT_TRUE(InOrder(out, {"> Opened Window", "> Audio Device Error", "> Opened Window"})) << out;
    EXPECT_EQ(out.find("OpenAL Audio Engaged!"), std::string::npos);
}

TEST(Startup, WithoutAnyDisplayItSaysSoAndFails) {
    GameProcess game;
    game.SetEnv("DISPLAY", "");
    game.SetEnv("WAYLAND_DISPLAY", "");
    game.SetEnv("ALSOFT_DRIVERS", "null");
    ASSERT_TRUE(game.Start());
    int status = game.WaitExit(10000);
    EXPECT_NE(status, 0);
    EXPECT_NE(status, -1) << "still running without a window";
    EXPECT_NE(game.Output().find("could not open a window"), std::string::npos) << game.Output();
}
