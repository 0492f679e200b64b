// Every level a player can reach in practice can be won: for each difficulty
// and levels 1-30, built as the game builds them (launch values, then
// difficulty and level), a search over the game's own rules finds a walk at
// least as long as the target the estimator set, and the game's rules accept
// it move by move.
//
// GOBBIT_SOLVER_MARGINS=1 prints the margin table (best walk over target, and
// whether the search was exhaustive); GOBBIT_SOLVER_BUDGET sets the positions
// searched per stretch.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "rules/LevelData.h"
#include "support/PathSolver.h"
#include "support/PlayFixture.h"

using Fairness = PlayFixture;

TEST_F(Fairness, EveryTargetOfTheFirstThirtyLevelsCanBeReached) {
    const bool margins = std::getenv("GOBBIT_SOLVER_MARGINS") != nullptr;
    const char* budgetText = std::getenv("GOBBIT_SOLVER_BUDGET");
    const long budget = budgetText ? std::atol(budgetText) : 20000;
    const char* names[] = {"", "Easy", "Normal", "Hard"};

    if (margins)
        std::printf("%-6s %5s %6s %6s %-9s %6s %5s %5s %6s %9s\n", "", "level", "layout", "target", "best",
                    "margin", "power", "gates", "walk", "positions");
    for (int difficulty = 1; difficulty <= 3; ++difficulty) {
        for (int level = 1; level <= 30; ++level) {
            BuildLevel(difficulty, level);
            const int target = int(ThisGame.Play.Target);

            SolveResult r = LongestWalk(budget);
            // A search cut short near the target runs again five times
            // deeper: the margins that matter are then close to the truth.
            if (!r.exhausted && r.best < target * 1.05) r = LongestWalk(budget * 5);
            EXPECT_TRUE(r.replayed) << names[difficulty] << " level " << level;
            EXPECT_GE(r.best, target) << names[difficulty] << " level " << level
                                      << (r.exhausted ? ": no longer walk exists" : "");
            if (margins)
                std::printf("%-6s %5d %6d %6d %4d%-5s %6.2f %5d %5d %6d %9ld%s\n", names[difficulty], level,
                            LayoutFor(difficulty, float(level)), target, r.best, r.exhausted ? " (all)" : "",
                            double(r.best) / target, int(ThisGame.Play.PowerCount), int(ThisGame.Play.GateCount),
                            int(ThisGame.Play.BestWalk), r.nodes,
                            r.best < target ? "  UNWINNABLE" : double(r.best) / target < 1.05 ? "  tight" : "");
        }
    }
}
