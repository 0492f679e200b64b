// The winnability check: on the estimator's thirtieth pass a search looks
// for a walk that reaches the estimate; where it finds none, the target
// becomes the longest walk it found, down to a multiple of 5. The walks it
// reports are replayed with the game's own rules, and the deep levels it
// mends are checked against the tests' own exhaustive solver.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/PathSolver.h"
#include "support/PlayFixture.h"

namespace {

using Winnability = PlayFixture;

const int StepX[4] = {0, 1, 0, -1};  // up, right, down, left
const int StepY[4] = {-1, 0, 1, 0};

// Plays a walk from the hero's cell by the game's rules; the pellets eaten,
// or -1 at the first move the rules refuse. The board is put back.
int ReplayWalk(const std::vector<int>& walk) {
    MyGame& g = ThisGame;
    std::unique_ptr<BoardCell[]> kept(new BoardCell[BoardCells]);
    std::copy(g.Board, g.Board + BoardCells, kept.get());
    const PlayState play = g.Play;
    int x = int(g.Play.HeroX), y = int(g.Play.HeroY), eaten = 0;
    for (int d : walk) {
        g.GetMatrix(x, y, 1);
        const int open[4] = {g.OpenUp, g.OpenRight, g.OpenDown, g.OpenLeft};
        if (!open[d]) {
            eaten = -1;
            break;
        }
        g.Drop(x, y);
        x += StepX[d];
        y += StepY[d];
        g.Eat(x, y);
        ++eaten;
    }
    std::copy(kept.get(), kept.get() + BoardCells, g.Board);
    g.Play = play;
    return eaten;
}

TEST_F(Winnability, ATargetNoWalkReachesBecomesTheLongestWalk) {
    struct Case {
        const char* what;
        std::vector<std::string> rows;
        int walk, target;  // the longest walk there is; the target it gives
    };
    const Case cases[] = {
        {"the longer of two corridors",
         {"#########", "#H......#", "#.#######", "#.#######"}, 6, 5},
        // Eating the item raises the cells behind the hero, its start
        // included, so it walks back the whole row.
        {"a power item", {"#########", "#....H...o#"}, 12, 10},
        {"a leftwards gate stops the walk", {"#########", "#H......<...#"}, 6, 5},
        {"a rightwards gate lets it through", {"#########", "#H......>...#"}, 10, 10},
        {"an item behind a gate is never eaten", {"#########", "#H.......<o#"}, 7, 5},
        // The way round the square below the first step would enter the
        // gate from below.
        {"a detour never enters a gate from the side", {"#######", "#H>..o#", "#..####"}, 6, 5},
        {"a fallen cell stays shut until an item raises it", {"#########", "#o_H....#"}, 4, 0},
        // Right first: 8 to the far item, 11 back to the near one, 11 out
        // again; left first makes 3 + 11 + 11.
        {"two items, the better order", {"##############", "#o..H.......o#"}, 30, 30},
        {"boxed in", {"###", "#H#"}, 0, 0},
        // A room with a walk far longer than the estimate of 60: the target
        // stays, and the search stops at the first walk that reaches it.
        {"a room", {"#########################", "#.......................#", "#.......................#",
                    "#...........H...........#", "#.......................#", "#.......................#"},
         60, 60},
        // The shortest way to the item, lengthened square by square, is
        // the first walk the search has.
        {"a room with an item in the far corner", {"#########################", "#H......................#",
                                                  "#.......................#", "#......................o#"},
         60, 60},
    };
    for (const Case& c : cases) {
        ThisGame.FlushGame();
        LayBoard(c.rows, 0);
        ThisGame.Difficulty = 2;
        PlayState& P = ThisGame.Play;
        // Normal level 1 with a good best walk: an estimate of 60.
        P.Level = 1;
        P.DotCount = 170;
        P.PowerCount = 0;
        P.BestWalk = 500;
        P.PathRuns = 1;
        while (P.PathRuns < 31) ThisGame.FindPaths();
        EXPECT_EQ(P.Estimate, 60) << c.what;
        EXPECT_EQ(P.Target, c.target) << c.what;
        const std::vector<int> walk = ThisGame.Rules.Search.Walk();
        if (c.target < 60) {
            EXPECT_EQ(P.WalkFound, c.walk) << c.what;
        } else {
            EXPECT_GE(P.WalkFound, c.walk) << c.what;
        }
        EXPECT_EQ(int(walk.size()), int(P.WalkFound)) << c.what;
        EXPECT_EQ(ReplayWalk(walk), int(P.WalkFound)) << c.what << ": the rules accept the walk move by move";
    }
}

// Levels deep in a game whose estimate no walk reaches (the tests' own
// solver searches every walk of them): the target becomes the longest walk.
TEST_F(Winnability, DeepLevelsNoWalkCouldWinGetTheLongestWalkAsTarget) {
    struct Case { const char* what; int difficulty, level; };
    const Case cases[] = {{"Normal level 50", 2, 50}, {"Normal level 89", 2, 89}, {"Hard level 48", 3, 48}};
    for (const Case& c : cases) {
        BuildLevel(c.difficulty, c.level);
        const PlayState& P = ThisGame.Play;
        const SolveResult longest = LongestWalk(20000);
        ASSERT_TRUE(longest.exhausted) << c.what;
        EXPECT_LT(longest.best, P.Estimate) << c.what << ": no walk reaches the estimate";
        EXPECT_EQ(P.WalkFound, longest.best) << c.what;
        EXPECT_EQ(P.Target, 5 * (longest.best / 5)) << c.what;
        EXPECT_EQ(ReplayWalk(ThisGame.Rules.Search.Walk()), longest.best) << c.what;
    }
}

// The game runs the search a slice per estimator pass, chasing each pass's
// estimate; it must stop where one search given the final estimate from the
// start stops, or the target would depend on how the work was cut up.
TEST_F(Winnability, SlicedSearchStopsWhereOneWholeSearchStops) {
    struct Case { const char* what; int difficulty, level; };
    const Case cases[] = {
        {"Easy level 7, confirmed", 1, 7},
        {"Normal level 16, confirmed near its limit", 2, 16},
        {"Normal level 50, lowered", 2, 50},
        {"Hard level 34, lowered after all the work", 3, 34},
    };
    for (const Case& c : cases) {
        BuildLevel(c.difficulty, c.level);
        const PlayState& P = ThisGame.Play;
        const std::vector<int> gameWalk = ThisGame.Rules.Search.Walk();

        std::unique_ptr<WinnabilitySearch> whole(new WinnabilitySearch);
        whole->Begin(ThisGame.Board, int(P.HeroX), int(P.HeroY), int(P.Estimate));
        EXPECT_TRUE(whole->Run(1L << 40)) << c.what;
        EXPECT_EQ(whole->Best(), P.WalkFound) << c.what;
        EXPECT_EQ(whole->Walk(), gameWalk) << c.what;

        // Cut finer, with goals rising from nothing.
        std::unique_ptr<WinnabilitySearch> cut(new WinnabilitySearch);
        cut->Begin(ThisGame.Board, int(P.HeroX), int(P.HeroY), 0);
        for (int goal = 0; goal < int(P.Estimate); goal += 7) {
            cut->SetGoal(goal);
            cut->Run(997);
        }
        cut->SetGoal(int(P.Estimate));
        while (!cut->Run(997)) {
        }
        EXPECT_EQ(cut->Best(), P.WalkFound) << c.what;
        EXPECT_EQ(cut->Walk(), gameWalk) << c.what;
        EXPECT_EQ(cut->Positions(), whole->Positions()) << c.what;
        EXPECT_EQ(ThisGame.Rules.Search.Positions(), whole->Positions()) << c.what;
    }
}

}  // namespace
