// The journals a played game leaves in the save folder, and a kept journal
// watched again in the game: the same game drawn once more, with nothing
// scored, saved or sent.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "persist/Journals.h"
#include "persist/SaveFormat.h"
#include "support/PersistFixture.h"
#include "support/RecordedGames.h"

namespace {

constexpr int Normal = 2;

class GameJournals : public PersistTest {
protected:
    void SetUp() override {
        PersistTest::SetUp();
        MyGame& g = ThisGame;
        Screen800x600();
        NoInputHeld();
        g.Settings[Setting::LastDifficulty] = Normal;
        g.Difficulty = Normal;
        g.GameMode = Modes::Play;
        g.Overlay = Overlays::None;
    }

    // A game played to its end, as the banner then hands it to the title.
    static Journal Played(const ScriptedGame& script) {
        Journal j = PlayScriptedGame(script);
        ThisGame.LoadMenu();
        FinishReplacements(10000);
        return j;
    }

    // One update of the screens and the banner, as the frame update runs them.
    static void Frame() {
        MyGame& g = ThisGame;
        g.Delta = 1;
        g.ResetDraw();
        g.LoopTarget();
        g.DrawEndBanner();
        ASys.DrawTo = 0;
    }

    std::vector<uint8_t> Kept(int board) const { return ReadBytes(JournalFileName(board)); }
};

TEST_F(GameJournals, AFinishedGameKeepsTheLatestJournalAndANewBestTheBoardsBest) {
    const Journal best = Played({Normal, 1, 1, 0, 20000});
    ASSERT_GT(best.Score, 0);
    EXPECT_EQ(ThisGame.Scores[20 * Normal], best.Score);
    EXPECT_EQ(Kept(0), EncodeJournal(best));
    EXPECT_EQ(Kept(Normal), EncodeJournal(best));
    EXPECT_TRUE(Kept(1).empty()) << "no other board's best is written";
    EXPECT_TRUE(ThisGame.HasBestJournal[Normal]);
    for (int board : {0, Normal}) {
        struct stat st;
        ASSERT_EQ(stat(Path(JournalFileName(board)).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u) << JournalFileName(board);
    }

    // A lower score is the latest game but not the best.
    const Journal lower = Played({Normal, 1, -1, 200, 20000});
    ASSERT_LT(lower.Score, best.Score);
    EXPECT_EQ(Kept(0), EncodeJournal(lower));
    EXPECT_EQ(Kept(Normal), EncodeJournal(best));
}

TEST_F(GameJournals, AWatchedBestRunPlaysTheSameGameAndChangesNothing) {
    const Journal best = Played({Normal, 2, 2, 0, 20000});
    const std::vector<int> scores(ThisGame.Scores, ThisGame.Scores + 200);
    const int started = ThisGame.Settings[Setting::GamesStarted];
    const std::vector<uint8_t> latest = Kept(0);
    ThisGame.Saving.SavePending = 0;

    for (bool faster : {false, true}) {
        SCOPED_TRACE(faster ? "held to go faster" : "at normal speed");
        MyGame& g = ThisGame;
        g.Screen.MenuPage = 1;
        g.GameMode = Modes::Title;
        ASSERT_TRUE(g.StartWatching(Path(JournalFileName(Normal)), Watch::FromMenu));
        if (faster) TableInput::Hold(Pad::Button1);
        int frames = 0;
        for (; frames < 200000 && !(g.GameMode == Modes::Title && g.Rewatch.Watching == Watch::None); ++frames) Frame();
        TableInput::ReleaseAll();

        EXPECT_EQ(g.Play.Score, float(best.Score));
        EXPECT_EQ(g.Rules.Record.Checkpoints, best.Checkpoints);
        EXPECT_EQ(g.Screen.MenuPage, 1) << "back on the difficulty page";
        EXPECT_EQ(std::vector<int>(g.Scores, g.Scores + 200), scores);
        EXPECT_EQ(g.Settings[Setting::GamesStarted], started);
        EXPECT_EQ(g.Saving.SavePending, 0);
        EXPECT_EQ(g.Online.NetWaiting, 0);
        FinishReplacements(10000);
        EXPECT_EQ(Kept(0), latest);
        if (faster) {
            EXPECT_LT(frames, int(best.Updates) / 2);
        }
    }
}

TEST_F(GameJournals, EscapeStopsAWatchedGameAndAnUnreadableJournalIsNotWatched) {
    Played({Normal, 1, 1, 0, 20000});
    MyGame& g = ThisGame;
    g.GameMode = Modes::Title;
    g.Screen.MenuPage = 1;
    ASSERT_TRUE(g.StartWatching(Path(JournalFileName(Normal)), Watch::FromMenu));
    for (int i = 0; i < 120; ++i) Frame();
    EXPECT_EQ(g.GameMode, Modes::Play);
    ASys.Button[Fixed::Back] = 1;
    Frame();
    ASys.Button[Fixed::Back] = 0;
    EXPECT_EQ(g.GameMode, Modes::Title);
    EXPECT_EQ(g.Rewatch.Watching, Watch::None);
    EXPECT_EQ(g.GameBreak, 0) << "only a replay from the command line closes the game";

    // A replay sends nothing, not even the scores the loader sends at start.
    SetUser(20251210, 134501, 75234321);
    SetName("Watcher");
    g.Rewatch.Watching = Watch::FromCommandLine;
    g.LoaderStep(54);
    EXPECT_EQ(g.Online.NetWaiting, 0);
    g.Rewatch.Watching = Watch::None;
    g.LoaderStep(54);
    EXPECT_EQ(g.Online.NetWaiting, 1) << "a player's start does send them";

    WriteBytes("Best_Hard.journal", {'G', 'o', 'b', 'J', 1});
    EXPECT_FALSE(g.StartWatching(Path("Best_Hard.journal"), Watch::FromMenu));
    EXPECT_EQ(g.Rewatch.Watching, Watch::None);
    EXPECT_EQ(g.GameMode, Modes::Title);
}

TEST_F(GameJournals, TheDifficultyPageOffersTheBestRunOfTheSelectedBoardOnly) {
    Played({Normal, 1, 1, 0, 20000});
    MyGame& g = ThisGame;
    const struct {
        const char* name;
        int selected;
        bool key, tap;
        bool watches;
    } cases[] = {
        {"B on Normal, which has a best run", Normal, true, false, true},
        {"a tap on the offer on Normal", Normal, false, true, true},
        {"B on Easy, which has none", 1, true, false, false},
        {"nothing pressed on Normal", Normal, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NoInputHeld();
        g.Rewatch.Watching = Watch::None;
        g.GameMode = Modes::Title;
        g.Screen.MenuPage = 1;
        g.Settings[Setting::LastDifficulty] = c.selected;
        if (c.key) TableInput::Hold(Pad::LeftShoulder);
        if (c.tap) TableInput::Pointer(60, g.ScreenH - 16, true);
        g.DoMenu();
        EXPECT_EQ(g.Rewatch.Watching, c.watches ? Watch::FromMenu : Watch::None);
        EXPECT_EQ(g.GameMode, c.watches ? Modes::StartGame : Modes::Title);
        if (c.watches) {
            EXPECT_EQ(g.Difficulty, Normal);
        }
    }
    TableInput::ReleaseAll();
}

}  // namespace
