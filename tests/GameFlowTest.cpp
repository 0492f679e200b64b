// Starting a game and pausing it from play.
#include <gtest/gtest.h>

#include "support/PlayFixture.h"

using GameFlow = PlayFixture;

TEST_F(GameFlow, EachNewGameStartsAtLevelOneWithTwoSpareLives) {
    ThisGame.Difficulty = 3;
    const int started = ThisGame.Settings[Setting::GamesStarted];
    ThisGame.GameMode = Modes::StartGame;
    ThisGame.LoadGame();
    EXPECT_EQ(ThisGame.GameMode, Modes::Play);
    EXPECT_EQ(ThisGame.Settings[Setting::GamesStarted], started + 1);
    EXPECT_EQ(ThisGame.Play.Level, 1);
    EXPECT_EQ(ThisGame.Play.Lives, 2);
    EXPECT_EQ(ThisGame.Play.LevelSeed, 3 * 6128 + 42 * 371);

    // A game over later, the next game starts from scratch.
    ThisGame.Play.Score = 4321;
    ThisGame.Play.Level = 7;
    ThisGame.Play.Lives = 0;
    ThisGame.EndGame(1);
    ThisGame.LoadGame();
    EXPECT_EQ(ThisGame.Settings[Setting::GamesStarted], started + 2);
    EXPECT_EQ(ThisGame.Play.Score, 0);
    EXPECT_EQ(ThisGame.Play.Level, 1);
    EXPECT_EQ(ThisGame.Play.Lives, 2);
    EXPECT_EQ(ThisGame.EndReason, 0);
}

TEST_F(GameFlow, EscapeOrStartPausesOnceEnterHasBeenLetGo) {
    struct Case { const char* what; int lockEnter, enter, escape; float start; int paused, lockAfter; };
    const Case cases[] = {
        {"nothing held", 0, 0, 0, 0, 0, 0},
        {"a stale latch clears when nothing is held", 1, 0, 0, 0, 0, 0},
        {"Escape", 0, 0, 1, 0, 1, 1},
        {"Start", 0, 0, 0, 1, 1, 1},
        {"Start barely pressed", 0, 0, 0, 0.4f, 0, 0},
        {"Escape after a screen change, Enter released", 1, 0, 1, 0, 1, 1},
        {"Escape while Enter is still held", 1, 1, 1, 0, 0, 1},
        {"Start held since the pause menu", 1, 0, 0, 1, 0, 1},
    };
    for (const Case& c : cases) {
        ThisGame.Scene.Paused = 0;
        ThisGame.Screen.PauseChoice = 0;
        for (int& k : ThisGame.KeyLock) k = 0;
        ThisGame.KeyLock[Lock::Pause] = c.lockEnter;
        ASys.Button[Fixed::Accept] = c.enter;
        ASys.Button[Fixed::Back] = c.escape;
        Hold(Pad::Start, c.start);
        ThisGame.Ingame();
        EXPECT_EQ(ThisGame.Scene.Paused, c.paused) << c.what;
        EXPECT_EQ(ThisGame.KeyLock[Lock::Pause], c.lockAfter) << c.what;
        if (c.paused) {
            EXPECT_EQ(ThisGame.Screen.PauseChoice, 1) << c.what;
            EXPECT_EQ(ThisGame.KeyLock[Lock::UpDown], 1) << c.what << ": every key latched";
        }
    }
}
