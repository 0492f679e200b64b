// The target estimator: the walks obey the board rules on the trial layer
// only, and the thirtieth pass turns the estimates into the level's target
// (Estimate, before the winnability check has its say).
#include <gtest/gtest.h>

#include "support/PlayFixture.h"

using TargetEstimator = PlayFixture;

// Runs the estimator passes of a level's first 30 updates.
static void RunAllPasses() {
    ThisGame.Play.PathRuns = 1;
    while (ThisGame.Play.PathRuns < 31) ThisGame.FindPaths();
}

TEST_F(TargetEstimator, ThirtiethPassSetsTheTarget) {
    struct Case { const char* what; int difficulty; float level, dots, power, bestWalk, target; };
    const Case cases[] = {
        {"Normal level 1: the ramp", 2, 1, 170, 0, 30, 60},
        {"a low supply is raised to 40", 1, 1, 80, 0, 0, 40},
        {"halfway to the best walk, down to a multiple of 5", 3, 2, 170, 0, 33, 75},
        {"power items multiply the supply", 1, 5, 176, 1, 300, 120},
        {"halfway between walk and supply", 2, 5, 175, 1, 60, 150},
        {"the supply alone", 2, 9, 170, 0, 500, 120},
    };
    for (const Case& c : cases) {
        ThisGame.FlushGame();
        LayBoard({"H"}, 0);  // boxed in: every walk has 0 steps
        ThisGame.Difficulty = c.difficulty;
        PlayState& P = ThisGame.Play;
        P.Level = c.level;
        P.DotCount = c.dots;
        P.PowerCount = c.power;
        P.BestWalk = c.bestWalk;
        P.Eaten = 7;
        P.PathRuns = 29;
        ThisGame.FindPaths();
        EXPECT_EQ(P.Target, 0) << c.what << ": not before the thirtieth pass";
        EXPECT_EQ(P.Eaten, 7) << c.what;
        ThisGame.FindPaths();
        EXPECT_EQ(P.PathRuns, 31) << c.what;
        EXPECT_EQ(P.Estimate, c.target) << c.what;
        // Boxed in, no walk reaches any target: the winnability check lowers
        // it to the walk there is (WinnabilityTest.cpp has the check).
        EXPECT_EQ(P.Target, 0) << c.what;
        EXPECT_EQ(P.Eaten, 0) << c.what;
        EXPECT_EQ(P.BestWalk, c.bestWalk) << c.what;
    }
}

TEST_F(TargetEstimator, WalksFollowTheRulesAndLeavePelletsAlone) {
    struct Case { const char* what; std::string row; float best; };
    const Case cases[] = {
        // A full-width row: the walker wraps round to where it started.
        {"wrapping row", ".........................", 24},
        {"leftwards gate stops a walk moving right", "#H..<...#", 2},
        {"rightwards gate lets it through", "#H..>...#", 6},
        // The power item regrows the cells behind the walker, so it comes
        // back; the start cell, whose real pellet is gone, stays shut.
        {"power item", "#....H...o#", 7},
    };
    for (const Case& c : cases) {
        ThisGame.FlushGame();
        std::string row = c.row;
        if (row.find('H') == std::string::npos) row[12] = 'H';
        LayBoard({"#########################", row}, 0);
        ThisGame.Difficulty = 2;
        BoardCell before[BoardRows * BoardPitch];
        std::memcpy(before, ThisGame.Board, sizeof before);
        RunAllPasses();
        EXPECT_EQ(ThisGame.Play.BestWalk, c.best) << c.what;
        for (int i = 0; i < BoardRows * BoardPitch; ++i)
            ASSERT_EQ(ThisGame.Board[i].Pellet, before[i].Pellet) << c.what << " cell " << i;
    }
}

TEST_F(TargetEstimator, SamePassesGiveTheSameEstimate) {
    LayBoard({"#########################",
              "#.......................#",
              "#.#.#.#.#.#.#.#.#.#.#.#.#",
              "#...........H...........#",
              "#.#.#.#.#.#.#.#.#.#.#.#.#",
              "#.......................#"},
             0);
    ThisGame.Difficulty = 2;
    ThisGame.Play.Level = 3;
    RunAllPasses();
    const float best = ThisGame.Play.BestWalk;
    EXPECT_GT(best, 20);
    ThisGame.Play.BestWalk = 0;
    RunAllPasses();
    EXPECT_EQ(ThisGame.Play.BestWalk, best);
}

TEST_F(TargetEstimator, AWalkerTurnsTowardALongerRunThreeTimesInFourTwice) {
    // From the hero's cell the only way is right. One cell on, a run of four
    // leads up and another of four carries on right. Up comes first in the
    // walker's order, so it is picked with odds 3 in 4, and then taken with
    // odds 3 in 4 again: 9 walks in 16 go up. Otherwise the walker keeps
    // going right.
    LayBoard({"#########################",
              "###.#####################",
              "###.#####################",
              "###.#####################",
              "###.#####################",
              "##H........##############"},
             0);
    ThisGame.Difficulty = 2;
    PlayState& P = ThisGame.Play;
    int walks = 0, up = 0;
    // Each pass is seeded from level and pass number; the trial layer keeps
    // the last of its five walks.
    for (int level = 1; level <= 267; ++level) {
        for (int pass = 1; pass <= 30; ++pass) {
            P.Level = float(level);
            P.PathRuns = float(pass);
            ThisGame.FindPaths();
            ++walks;
            const bool wentUp = At(3, 1).Trial == 0;
            const bool wentRight = At(10, 5).Trial == 0;
            ASSERT_NE(wentUp, wentRight) << "level " << level << " pass " << pass << ": one way to the end";
            up += wentUp;
        }
    }
    EXPECT_NEAR(double(up) / walks, 9.0 / 16, 0.02) << up << " of " << walks << " walks went up";
}
