// Every level of the first hundred can be won, at every difficulty: each is
// built as the game builds it (launch values, then difficulty and level, the
// estimator's passes with the winnability check), and the walk the check
// found is played through the game's own play step, key by key, until the
// hero is stuck; the level must be decided as won. The first thirty levels
// keep the estimator's targets. Where the check lowered a target, the
// tests' own solver (support/PathSolver.h), a search of its own, must not
// find a walk that reaches the estimate either.
//
// GOBBIT_SOLVER_MARGINS=1 prints the margin table: the tests' solver runs on
// every level, and the margins are its best walk (or the check's, if
// longer) over the estimate (before the check) and over the target (after).
// GOBBIT_SOLVER_BUDGET sets the solver's positions per stretch.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "rules/LevelData.h"
#include "support/PathSolver.h"
#include "support/RecordedGames.h"
#include "support/PlayFixture.h"

namespace {

using Fairness = PlayFixture;

constexpr int LastLevel = 100;
constexpr int KeptTargets = 30;  // levels whose targets players have always had

// Plays the level just built with the walk held key by key through the play
// step, then any open way until the hero is stuck. True when the level is
// decided as won with every move of the walk made.
bool PlayToTheEnd(const std::vector<int>& walk, std::string& why) {
    Match& m = ThisGame.Rules;
    const PlayState& P = m.Play;
    size_t next = 0;
    for (int update = 0; update < 20000 && P.LevelState == 0; ++update) {
        Controls in;
        in.Fast = true;
        if (P.PlayStarted == 1) in = WalkStep(m, next < walk.size() ? walk[next] : -1);
        const float x = P.HeroX, y = P.HeroY;
        m.Update(in);
        if ((P.HeroX != x || P.HeroY != y) && next < walk.size()) ++next;
    }
    if (next < walk.size()) {
        why = "the rules refused move " + std::to_string(next + 1) + " of " + std::to_string(walk.size());
        return false;
    }
    if (P.LevelState <= 0) {
        why = "lost with " + std::to_string(int(P.Eaten)) + " eaten of " + std::to_string(int(P.Target));
        return false;
    }
    return true;
}

TEST_F(Fairness, EveryLevelOfTheFirstHundredCanBeWon) {
    const bool margins = std::getenv("GOBBIT_SOLVER_MARGINS") != nullptr;
    const char* budgetText = std::getenv("GOBBIT_SOLVER_BUDGET");
    const long budget = budgetText ? std::atol(budgetText) : 20000;
    const char* names[] = {"", "Easy", "Normal", "Hard"};
    std::vector<std::string> lowered;

    if (margins)
        std::printf("%-6s %5s %6s %5s %5s %8s %6s %5s %9s %9s %6s %6s\n", "", "level", "layout", "power", "gates",
                    "estimate", "target", "walk", "positions", "best", "before", "after");
    for (int difficulty = 1; difficulty <= 3; ++difficulty) {
        for (int level = 1; level <= LastLevel; ++level) {
            const std::string what = std::string(names[difficulty]) + " level " + std::to_string(level);
            BuildLevel(difficulty, level);
            const PlayState& P = ThisGame.Play;
            const int estimate = int(P.Estimate), target = int(P.Target), walk = int(P.WalkFound);
            const long positions = ThisGame.Rules.Search.Positions();
            const std::vector<int> moves = ThisGame.Rules.Search.Walk();
            if (level <= KeptTargets) {
                EXPECT_EQ(target, estimate) << what << ": an early level keeps its target";
            }
            EXPECT_LE(target, walk) << what;

            // The tests' own search, where the check gave up on the estimate
            // or where the table asks for it.
            SolveResult r;
            if (target < estimate || margins) {
                r = LongestWalk(budget);
                // A search cut short near the estimate runs again five times
                // deeper: the margins that matter are then close to the truth.
                if (!r.exhausted && r.best < estimate * 1.05) r = LongestWalk(budget * 5);
                EXPECT_TRUE(r.replayed) << what;
            }
            if (target < estimate) {
                EXPECT_LT(r.best, estimate) << what << ": the target was lowered, but a walk reaches the estimate";
                lowered.push_back(what + ": target " + std::to_string(estimate) + " -> " + std::to_string(target) +
                                  ", walk " + std::to_string(walk) + "; the tests' solver's best " +
                                  std::to_string(r.best) + (r.exhausted ? " (all walks)" : ""));
            }

            std::string why;
            EXPECT_TRUE(PlayToTheEnd(moves, why)) << what << ": " << why;

            if (margins) {
                const int best = r.best > walk ? r.best : walk;
                std::printf("%-6s %5d %6d %5d %5d %8d %6d %5d %9ld %4d%-5s %6.2f %6.2f%s\n", names[difficulty], level,
                            LayoutFor(difficulty, float(level)), int(P.PowerCount), int(P.GateCount), estimate,
                            target, walk, positions, best, r.exhausted ? " (all)" : "", double(best) / estimate,
                            double(best) / target, target < estimate ? "  LOWERED" : "");
            }
        }
    }
    std::printf("Targets lowered by the winnability check, levels 1-%d:\n", LastLevel);
    for (const std::string& line : lowered) std::printf("  %s\n", line.c_str());
}

}  // namespace
