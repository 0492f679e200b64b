// The board rules: entering cells (wrap, gates, fallen cells, the trial
// layer), eating with its scoring past the target, power items, and the
// estimator's silent eating.
#include <gtest/gtest.h>

#include "support/PlayFixture.h"

using BoardRules = PlayFixture;

TEST_F(BoardRules, EnteringFollowsWrapGatesPelletsAndTrialLayer) {
    LayBoard({}, 60);  // all walls
    At(24, 5).Type = 16, At(24, 5).Pellet = 1;  // (0, 5) stays a wall
    At(3, 0).Type = 16, At(3, 0).Pellet = 1;    // (3, 14) stays a wall
    At(10, 5).Type = 20, At(10, 5).Pellet = 1;
    At(11, 5).Type = 24, At(11, 5).Pellet = 1;
    At(12, 5).Type = 16;                        // fallen: no pellet
    At(13, 5).Type = 16, At(13, 5).Pellet = 1;  // Trial stays 0
    At(14, 5).Type = 16, At(14, 5).Pellet = 3, At(14, 5).Trial = 3;
    At(15, 5).Type = 20;                        // a gate that has fallen

    struct Case { const char* what; int x, y, dir, mode, solid; };
    const Case cases[] = {
        {"column -1 is column 24", -1, 5, 3, 1, 0},
        {"column 25 is column 0", 25, 5, 1, 1, 1},
        {"row 15 is row 0", 3, 15, 2, 1, 0},
        {"row -1 is row 14", 3, -1, 0, 1, 1},
        {"rightwards gate, moving right", 10, 5, 1, 1, 0},
        {"rightwards gate, moving up", 10, 5, 0, 1, 1},
        {"rightwards gate, moving down", 10, 5, 2, 1, 1},
        {"rightwards gate, moving left", 10, 5, 3, 1, 1},
        {"leftwards gate, moving left", 11, 5, 3, 1, 0},
        {"leftwards gate, moving right", 11, 5, 1, 1, 1},
        {"leftwards gate, moving up", 11, 5, 0, 1, 1},
        {"fallen floor, play", 12, 5, 1, 1, 1},
        {"fallen floor, estimator", 12, 5, 3, 2, 1},
        {"fallen gate, its own direction", 15, 5, 1, 1, 1},
        {"trial eaten, estimator", 13, 5, 1, 2, 1},
        {"trial eaten, play ignores it", 13, 5, 1, 1, 0},
        {"regrown pellet, estimator", 14, 5, 2, 2, 0},
        {"wall", 5, 5, 1, 1, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ThisGame.isSolid(c.x, c.y, c.dir, c.mode), c.solid) << c.what;
}

TEST_F(BoardRules, MatrixOpensOnlyTheEnterableNeighbours) {
    LayBoard({"#########################",
              "#########.###############",
              "########>H>##############",
              "#########_###############"},
             60);
    ThisGame.GetMatrix(9, 2, 1);
    // Left gate can't be entered moving left; right gate can moving right.
    EXPECT_EQ(ThisGame.OpenUp, 1);
    EXPECT_EQ(ThisGame.OpenRight, 1);
    EXPECT_EQ(ThisGame.OpenLeft, 0);
    EXPECT_EQ(ThisGame.OpenDown, 0);
}

TEST_F(BoardRules, EatingScoresAndCountsTowardTheTarget) {
    struct Case { const char* what; char pellet; float eatenBefore, eatenAfter, points; int popups; };
    const Case cases[] = {
        {"the 60th pellet", '.', 59, 60, 2, 0},
        {"the 61st pellet pays only its own points", '.', 60, 61, 2, 0},
        {"the 62nd pellet pays the bonus", '.', 61, 66, 27, 2},
        {"a regrown pellet below the target", ',', 10, 11, 1, 0},
        {"a regrown pellet past the target", ',', 61, 62, 6, 1},
        {"a power item", 'o', 10, 11, 2, 0},
    };
    for (const Case& c : cases) {
        ThisGame.FlushGame();
        LayBoard({std::string("H") + c.pellet}, 60);
        ThisGame.Play.Eaten = c.eatenBefore;
        ThisGame.Play.Score = 100;
        ThisGame.Eat(1, 0);
        EXPECT_EQ(ThisGame.Play.Eaten, c.eatenAfter) << c.what;
        EXPECT_EQ(ThisGame.Play.Score, 100 + c.points) << c.what;
        EXPECT_EQ(LiveParticles(), c.popups) << c.what;
        EXPECT_EQ(At(1, 0).Pellet, 0) << c.what;
        for (int i = 0; i < c.popups; ++i)  // bonus numbers are kept off screen
            EXPECT_EQ(ThisGame.Scene.Particle[i].X, -5000) << c.what;
    }
}

TEST_F(BoardRules, EatingWrapsAndAlternatesTheChompStartingWithTheSecond) {
    LayBoard({"H.......................,"}, 60);
    ThisGame.Eat(-1, 15);  // column 24, row 0
    EXPECT_EQ(At(24, 0).Pellet, 0);
    EXPECT_EQ(ThisGame.Play.ChompToggle, 1);  // slot 5 first
    ThisGame.Eat(1, 0);
    EXPECT_EQ(ThisGame.Play.ChompToggle, 0);
    ThisGame.Eat(2, 0);
    EXPECT_EQ(ThisGame.Play.ChompToggle, 1);
}

TEST_F(BoardRules, PowerItemRaisesEveryFallenFloorCellButItsOwn) {
    LayBoard({"#########################",
              "#___o#__________________#",
              "#_##_#######>_<##########"},
             60);
    At(3, 1).Speed = 0.1f;  // just left by the hero, falling
    At(12, 2).Pellet = At(14, 2).Pellet = 0;  // fallen gates
    ThisGame.Eat(4, 1);
    int raised = 0;
    for (int y = 0; y < BoardRows; ++y)
        for (int x = 0; x < BoardCols; ++x) {
            const BoardCell& c = At(x, y);
            if (c.Type <= 15) {
                EXPECT_EQ(c.Pellet, 0) << x << "," << y;  // walls never carry pellets
                EXPECT_EQ(c.Speed, 0) << x << "," << y;
            } else if (x == 4 && y == 1) {
                EXPECT_EQ(c.Pellet, 0);  // the hero stands on it
            } else {
                EXPECT_EQ(c.Pellet, 3) << x << "," << y;
                EXPECT_LT(c.Speed, -0.39f) << x << "," << y;  // rising back
                ++raised;
            }
        }
    EXPECT_EQ(raised, 21 + 5);  // row 1 less the power cell and walls; row 2's floor and gates
}

TEST_F(BoardRules, TrialEatingRegrowsOnlyTheTrialLayer) {
    LayBoard({"#_.o_#"}, 60);
    for (BoardCell& c : ThisGame.Board) c.Trial = c.Pellet;
    ThisGame.Eat2(3, 0);
    EXPECT_EQ(At(1, 0).Trial, 3);
    EXPECT_EQ(At(4, 0).Trial, 3);
    EXPECT_EQ(At(2, 0).Trial, 1);
    EXPECT_EQ(At(3, 0).Trial, 0);
    EXPECT_EQ(At(0, 0).Trial, 0);  // wall
    EXPECT_EQ(At(1, 0).Pellet, 0);
    EXPECT_EQ(At(3, 0).Pellet, 2);
    EXPECT_EQ(ThisGame.Play.Score, 0);
}
