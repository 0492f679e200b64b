// Every level's target can be reached: for each difficulty and the first 15
// levels, a search over the game's own rules finds a walk at least as long
// as the target the estimator set, and the game's rules accept it move by
// move.
//
// GOBBIT_SOLVER_MARGINS=1 prints the best walk over the target for every
// level; GOBBIT_SOLVER_BUDGET sets the positions searched per stretch.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <utility>

#include "support/PathSolver.h"
#include "support/PlayFixture.h"

using Fairness = PlayFixture;

// Known unfair levels. The estimator puts the target halfway between its
// best random walk and a pellet-supply figure that counts a full board per
// power item; on these two boards the power items cannot be used that well
// and the target is beyond every walk (Easy 15: longest 146 of 190; Hard
// 13: 253 of 260). The search proves it; a change that makes them fair, or
// others unfair, shows up here.
const std::set<std::pair<int, int>> Unreachable = {{1, 15}, {3, 13}};

TEST_F(Fairness, EveryTargetOfTheFirstFifteenLevelsCanBeReached) {
    const bool margins = std::getenv("GOBBIT_SOLVER_MARGINS") != nullptr;
    const char* budgetText = std::getenv("GOBBIT_SOLVER_BUDGET");
    const long budget = budgetText ? std::atol(budgetText) : 20000;
    const char* names[] = {"", "Easy", "Normal", "Hard"};

    for (int difficulty = 1; difficulty <= 3; ++difficulty) {
        for (int level = 1; level <= 15; ++level) {
            ThisGame.FlushGame();
            ThisGame.Difficulty = difficulty;
            ThisGame.Play.Level = float(level - 1);
            ThisGame.GetLev(1);
            while (ThisGame.Play.PathRuns < 31) ThisGame.FindPaths();
            const int target = int(ThisGame.Play.Target);

            SolveResult r = LongestWalk(budget);
            EXPECT_TRUE(r.replayed) << names[difficulty] << " level " << level;
            if (Unreachable.count({difficulty, level})) {
                EXPECT_TRUE(r.exhausted && r.best < target)
                    << names[difficulty] << " level " << level << " has become reachable: " << r.best;
            } else {
                EXPECT_GE(r.best, target) << names[difficulty] << " level " << level
                                          << (r.exhausted ? ": no longer walk exists" : "");
            }
            if (margins)
                std::printf("%-6s %2d  target %3d  best %3d%s  margin %.2f  power %d  gates %d  estimator walk %3d  "
                            "positions %ld\n",
                            names[difficulty], level, target, r.best, r.exhausted ? " (longest)" : "",
                            double(r.best) / target, int(ThisGame.Play.PowerCount),
                            int(ThisGame.Play.GateCount), int(ThisGame.Play.BestWalk), r.nodes);
        }
    }
}
