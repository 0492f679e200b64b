// The real program's loading screen: it loads its assets in the loader's
// order, and closing the window while loading ends cleanly.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/GameProcess.h"

namespace {

bool InOrder(const std::string& out, const std::vector<std::string>& lines, std::string& missing) {
    size_t at = 0;
    for (const std::string& line : lines) {
        size_t found = out.find(line, at);
        if (found == std::string::npos) {
            missing = line;
            return false;
        }
        at = found + line.size();
    }
    return true;
}

TEST(LoaderOrder, TheProgramLoadsItsAssetsInTheLoadersOrder) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs a display";
    GameProcess game;
    game.SetEnv("ALSOFT_DRIVERS", "null");
    ASSERT_TRUE(game.Start());
    size_t end = game.WaitForText("Load SFX   : 18\n", 15000);
    game.RequestClose();
    game.WaitExit(10000);
    ASSERT_NE(end, std::string::npos) << game.Output();
    std::vector<std::string> expected = {
        "Load Font  : entplain", "Load Image : ZARNLogo", "Load SFX   : 95\n",
        "Load Image : icons",    "Load Image : particles", "Load SFX   : 1\n",
        "Load Image : options",  "Load SFX   : 99\n",      "Load SFX   : 98\n",
        "Load Image : menu_back", "Load Image : menu_front", "Load Image : logo",
        "Load Image : gfx",      "Load SFX   : 1\n",       "Load SFX   : 4\n",
        "Load SFX   : 5\n",      "Load SFX   : 6\n",       "Load SFX   : 2\n",
        "Load SFX   : 3\n"};
    for (int n = 11; n <= 18; ++n) expected.push_back("Load SFX   : " + std::to_string(n) + "\n");
    std::string missing;
    EXPECT_TRUE(InOrder(game.Output(), expected, missing)) << "missing or out of order: " << missing << "\n"
                                                           << game.Output();
}

}  // namespace

// Closing the window on the loading screen, with files still being decoded
// ahead: the program stops its worker and ends normally (under the sanitizers
// a stray thread or a use after exit would show here).
TEST(LoaderOrder, ClosingTheWindowWhileLoadingEndsCleanly) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs a display";
    GameProcess game;
    game.SetEnv("ALSOFT_DRIVERS", "null");
    ASSERT_TRUE(game.Start());
    ASSERT_NE(game.WaitForText("Load Image : ZARNLogo", 15000), std::string::npos) << game.Output();
    ASSERT_TRUE(game.RequestClose());
    EXPECT_EQ(game.WaitExit(15000), 0) << game.Output();
    std::string out = game.Output();
    EXPECT_NE(out.find("Farewell happy gamer"), std::string::npos) << out;
    EXPECT_EQ(out.find("Load SFX   : 18\n"), std::string::npos) << "loading finished before the close";
}
