// The real program restarted on the files of a previous run, twice: every
// setting, key binding, the online name and every score come back as they
// were. The files of the first run are written by the game's own save code;
// the second run starts from what the first one wrote.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/GameProcess.h"
#include "support/PersistFixture.h"

namespace fs = std::filesystem;

namespace {

class Restart : public PersistTest {
protected:
    // What the two files mean to a freshly started game: the tables as start-up
    // leaves them after loading the files in the fixture's home.
    struct Tables {
        std::vector<int> settings, scores, bindings;
    };
    Tables LoadedTables() {
        MyGame& g = ThisGame;
        g.InstallDefaults();
        for (int& v : g.Scores) v = 0;
        testing::internal::CaptureStdout();
        g.Load();
        testing::internal::GetCapturedStdout();
        Tables t;
        t.settings.assign(g.Settings, g.Settings + 200);
        t.scores.assign(g.Scores, g.Scores + 22000);
        for (auto& row : ASys.redef) t.bindings.insert(t.bindings.end(), row, row + 16);
        return t;
    }
    static void CopyFiles(const std::string& from, const std::string& to) {
        for (const char* name : {SettingsFile, ScoreFile})
            fs::copy_file(from + "/" + name, to + "/" + name, fs::copy_options::overwrite_existing);
    }
};

TEST_F(Restart, SettingsBindingsNameAndEveryScoreComeBack) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs a display";
    MyGame& g = ThisGame;
    // A player who has changed everything there is to change.
    SetUser(20251210, 134501, 75234321);
    SetName("Restart-Me");
    int* s = g.Settings;
    s[0] = 3;     // effect volume
    s[1] = 9;     // music volume
    s[10] = 1;    // inverted stick
    s[13] = 1;    // choose and back swapped
    s[20] = 4;    // overscan
    s[23] = 1;    // motion reduction
    s[100] = 17;  // games started
    s[101] = 3;   // Hard chosen last
    g.SetKey(Pad::Up, 81);       // Q for up
    g.SetKey(Pad::Right, 69);    // E for right
    g.SetKey(Pad::Button1, 84);  // T as button 1
    g.SetKey(Pad::Start, 512);   // a pad button for Start
    for (int b = 1; b <= 3; b++)
        for (int r = 0; r < 5; r++) {
            g.Scores[20 * b + r] = 1000 * b - 100 * r + 7;  // best five
            g.Scores[20 * b + 5 + r] = 50 * b + 3 * r + 1;  // last five
        }
    SaveAll();
    const Tables before = LoadedTables();
    ASSERT_EQ(g.ShowName().rfind("Restart-Me", 0), 0u) << g.ShowName();

    for (int run = 1; run <= 2; run++) {
        SCOPED_TRACE("run " + std::to_string(run));
        GameProcess game;
        game.SetEnv("ALSOFT_DRIVERS", "null");
        ASSERT_TRUE(game.MakeHome());
        CopyFiles(dir_, game.Home());
        ASSERT_TRUE(game.Start());
        ASSERT_NE(game.FindWindow(10000), 0u) << game.Output();
        // The name came back: the scores go out at launch (to no server).
        EXPECT_NE(game.WaitForText("> Sending Highscores", 10000), std::string::npos) << game.Output();
        // Start-up writes the files back during its first updates.
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        ASSERT_TRUE(game.RequestClose());
        ASSERT_EQ(game.WaitExit(10000), 0) << game.Output();
        CopyFiles(game.Home(), dir_);
    }

    const Tables after = LoadedTables();
    EXPECT_EQ(after.settings, before.settings);
    EXPECT_EQ(after.bindings, before.bindings);
    EXPECT_EQ(after.scores, before.scores);
    EXPECT_EQ(g.ShowName().rfind("Restart-Me", 0), 0u) << g.ShowName();
    EXPECT_EQ(g.Settings[Setting::SfxVolume], 3);
    EXPECT_EQ(g.Settings[Setting::LastDifficulty], 3);
    EXPECT_EQ(g.KeyValue(Pad::Up, 63), 81);
    EXPECT_EQ(g.Scores[60], 3007);
}

}  // namespace
