// The level builder: layout and seed per difficulty and level, the board it
// lays out, the random stream it consumes, power items and gate rows, and
// rebuilding the same level after a lost life.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "rules/LevelData.h"
#include "support/PlayFixture.h"

using LevelBuilder = PlayFixture;

static void Build(int difficulty, int level) {
    ThisGame.FlushGame();
    ThisGame.Difficulty = difficulty;
    ThisGame.Play.Level = float(level - 1);
    ThisGame.GetLev(1);
}

// Horizontal runs of gate cells, as (leftmost column, row, type).
struct GateRun { int x, y, type, length; };
static std::vector<GateRun> GateRuns() {
    std::vector<GateRun> runs;
    for (int y = 0; y < BoardRows; ++y)
        for (int x = 0; x < BoardCols; ++x) {
            float t = ThisGame.Board[y * BoardPitch + x].Type;
            if (t != 20 && t != 24) continue;
            if (!runs.empty() && runs.back().y == y && runs.back().x + runs.back().length == x &&
                runs.back().type == int(t))
                ++runs.back().length;
            else
                runs.push_back({x, y, int(t), 1});
        }
    return runs;
}

TEST_F(LevelBuilder, LayoutAndSeedFollowDifficultyAndLevel) {
    struct Case { int difficulty, level, layout; float seed; };
    const Case cases[] = {
        {1, 1, 1, 11322},  // v = 14
        {2, 1, 2, 22644},  // v = 28
        {3, 1, 3, 33966},  // v = 42
        {2, 4, 0, 2 * 6128 + 46 * 371},  // v = 46: 46 mod 13 = 7
        {0, 1, 0, 0},      // never chosen from the menu: the thirteenth, seed 0
        {0, 9, 0, 0},
    };
    for (const Case& c : cases) {
        Build(c.difficulty, c.level);
        const PlayState& P = ThisGame.Play;
        const float v = c.difficulty * 11 + c.level * 3 * c.difficulty;
        const char* layout = LevDat(c.layout ? c.layout : int(v) % 13);
        SCOPED_TRACE(::testing::Message() << "difficulty " << c.difficulty << " level " << c.level);
        EXPECT_EQ(P.Level, c.level);
        EXPECT_EQ(P.LevelSeed, c.seed);
        EXPECT_EQ(P.BoardW, 25);
        EXPECT_EQ(P.BoardH, 15);

        int floors = 0;
        for (int y = 0; y < BoardRows; ++y)
            for (int x = 0; x < BoardCols; ++x) {
                const BoardCell& cell = At(x, y);
                const int type = layout[y * 25 + x] - 'A';
                if (cell.Type == 20 || cell.Type == 24) {
                    EXPECT_EQ(type, 16) << "gate off the floor at " << x << "," << y;
                } else {
                    ASSERT_EQ(cell.Type, type) << x << "," << y;
                }
                EXPECT_EQ(cell.Offset, 240);
                EXPECT_LE(cell.Speed, -0.4f);
                EXPECT_GT(cell.Speed, -3.4f);
                EXPECT_EQ(cell.Settled, 0);
                if (type == 16) {
                    ++floors;
                    bool hero = x == P.HeroX && y == P.HeroY;
                    EXPECT_EQ(cell.Pellet, hero ? 0 : cell.Pellet == 2 ? 2 : 1) << x << "," << y;
                } else {
                    EXPECT_EQ(cell.Pellet, 0);
                }
            }
        EXPECT_EQ(P.DotCount, floors - P.PowerCount);

        EXPECT_GE(P.HeroX, 10);
        EXPECT_LE(P.HeroX, 14);
        EXPECT_GE(P.HeroY, 1);
        EXPECT_LE(P.HeroY, 13);
        EXPECT_EQ(P.Facing, 1);
        EXPECT_EQ(P.HeroDX, 0);
        EXPECT_EQ(P.HeroDY, 0);

        const float rgb[3] = {P.WallR, P.WallG, P.WallB};
        for (float ch : rgb) {
            EXPECT_EQ(std::fmod(ch, 17.0f), 0);
            EXPECT_GE(ch, 17);
            EXPECT_LE(ch, 255);
        }
        EXPECT_TRUE(rgb[0] > 220 || rgb[1] > 220 || rgb[2] > 220);
        EXPECT_GE(std::fabs(rgb[0] - rgb[1]), 75);
        EXPECT_GE(std::fabs(rgb[0] - rgb[2]), 75);
        EXPECT_GE(std::fabs(rgb[1] - rgb[2]), 75);

        EXPECT_EQ(P.PathRuns, 1);
        EXPECT_EQ(P.BestWalk, 0);
        EXPECT_EQ(P.Target, 0);
        EXPECT_EQ(P.PlayStarted, 0);
        EXPECT_EQ(P.LevelState, 0);
    }
}

TEST_F(LevelBuilder, PowerItemsAndGateRowsByDifficultyAndLevel) {
    struct Case { int difficulty, level, power, gateRows; };
    const Case cases[] = {
        {1, 1, 1, 0}, {1, 3, 1, 0}, {1, 4, 2, 1}, {1, 6, 2, 3}, {1, 7, 2, 4}, {1, 15, 2, 4},
        {2, 1, 0, 0}, {2, 2, 0, 1}, {2, 3, 1, 2}, {2, 4, 1, 3}, {2, 5, 2, 4}, {2, 15, 2, 4},
        {3, 1, 0, 2}, {3, 2, 0, 3}, {3, 3, 0, 4}, {3, 5, 0, 4}, {3, 6, 1, 4}, {3, 10, 1, 4},
        {3, 11, 2, 4}, {3, 15, 2, 4},
    };
    int rowsPlaced = 0;
    for (const Case& c : cases) {
        Build(c.difficulty, c.level);
        const PlayState& P = ThisGame.Play;
        SCOPED_TRACE(::testing::Message() << "difficulty " << c.difficulty << " level " << c.level);
        EXPECT_EQ(P.PowerCount, c.power);
        EXPECT_EQ(P.GateCount, c.gateRows);

        int items = 0;
        for (int y = 0; y < BoardRows; ++y)
            for (int x = 0; x < BoardCols; ++x)
                if (At(x, y).Pellet == 2) {
                    ++items;
                    EXPECT_GE(std::abs(y - int(P.HeroY)), 3) << "power item near the hero's row";
                    EXPECT_GE(x, 1);
                    EXPECT_LE(x, 23);
                }
        EXPECT_EQ(items, c.power);

        std::vector<GateRun> runs = GateRuns();
        EXPECT_LE(int(runs.size()), c.gateRows);
        for (const GateRun& g : runs) {
            EXPECT_EQ(g.length, 3) << "gate row at " << g.x << "," << g.y;
            EXPECT_GE(std::abs(g.y - int(P.HeroY)), 3);
            for (int x = g.x; x < g.x + 3; ++x) {
                EXPECT_EQ(At(x, g.y).Pellet, 1);  // gates keep their pellets
                EXPECT_NE(At(x, g.y - 1).Type, 16);
                EXPECT_NE(At(x, g.y + 1).Type, 16);
            }
        }
        rowsPlaced += int(runs.size());
    }
    EXPECT_GT(rowsPlaced, 0);
}

TEST_F(LevelBuilder, DrawsItsNumbersInTheDocumentedOrder) {
    // Replays the start of the stream by hand: the 100 discarded numbers,
    // the colour tries, one speed per cell in reading order, then the hero.
    Build(2, 5);
    const PlayState& P = ThisGame.Play;
    ThisGame.SeedRnd(int(P.LevelSeed));
    for (int i = 0; i < 100; ++i) ThisGame.Rand(0, 250);
    float r, g, b;
    do {
        r = ThisGame.Rand(1, 15) * 17;
        g = ThisGame.Rand(1, 15) * 17;
        b = ThisGame.Rand(1, 15) * 17;
    } while (!((r > 220 || g > 220 || b > 220) && std::fabs(r - g) >= 75 && std::fabs(r - b) >= 75 &&
               std::fabs(g - b) >= 75));
    EXPECT_EQ(P.WallR, r);
    EXPECT_EQ(P.WallG, g);
    EXPECT_EQ(P.WallB, b);
    for (int y = 0; y < BoardRows; ++y)
        for (int x = 0; x < BoardCols; ++x)
            ASSERT_EQ(At(x, y).Speed, -ThisGame.Rnd(0.4f, 3.4f)) << x << "," << y;
    int hx, hy;
    do {
        hx = 12 + ThisGame.Rand(-2, 2);
        hy = ThisGame.Rand(1, 13);
    } while (At(hx, hy).Type < 16);
    EXPECT_EQ(P.HeroX, hx);
    EXPECT_EQ(P.HeroY, hy);
}

TEST_F(LevelBuilder, GateRowsSitWhereTheirDrawsPutThem) {
    // Replays the whole stream by hand up to the last gate row and lays the
    // rows where the draws say: centred on the drawn column, each drawn from
    // its band of the width with the band's edges as they fall (21 / 4 =
    // 5.25 columns for four rows, 10.5 for two), as Rand draws.
    struct Case { int difficulty, level, rows; };
    const Case cases[] = {{3, 1, 2}, {2, 4, 3}, {3, 3, 4}, {2, 5, 4}, {1, 9, 4}, {3, 12, 4}, {2, 20, 4}};
    int placed = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "difficulty " << c.difficulty << " level " << c.level);
        Build(c.difficulty, c.level);
        const PlayState& P = ThisGame.Play;
        ASSERT_EQ(P.GateCount, c.rows);
        const char* layout = LevDat(LayoutFor(c.difficulty, float(c.level)));
        float type[BoardRows][BoardCols], pellet[BoardRows][BoardCols];
        for (int y = 0; y < BoardRows; ++y)
            for (int x = 0; x < BoardCols; ++x) {
                type[y][x] = float(layout[y * BoardCols + x] - 'A');
                pellet[y][x] = type[y][x] == 16 ? 1 : 0;
            }

        MyGame& g = ThisGame;
        g.SeedRnd(int(P.LevelSeed));
        for (int i = 0; i < 100; ++i) g.Rand(0, 250);
        float r, gr, b;
        do {
            r = g.Rand(1, 15) * 17;
            gr = g.Rand(1, 15) * 17;
            b = g.Rand(1, 15) * 17;
        } while (!((r > 220 || gr > 220 || b > 220) && std::fabs(r - gr) >= 75 && std::fabs(r - b) >= 75 &&
                   std::fabs(gr - b) >= 75));
        for (int i = 0; i < BoardRows * BoardCols; ++i) g.Rnd(0.4f, 3.4f);
        int hx, hy;
        do {
            hx = 12 + g.Rand(-2, 2);
            hy = g.Rand(1, 13);
        } while (type[hy][hx] < 16);
        pellet[hy][hx] = 0;
        for (int k = 0; k < int(P.PowerCount); ++k) {
            int x, y;
            do {
                x = g.Rand(1, 23);
                y = g.Rand(1, 13);
            } while (!(pellet[y][x] == 1 && std::abs(y - hy) >= 3));
            pellet[y][x] = 2;
        }
        const float band = 21.0f / float(c.rows);
        for (int row = 0; row < c.rows; ++row) {
            for (int attempt = 1;; ++attempt) {
                int t = g.Rand(20, 21) == 21 ? 24 : 20;
                const float lo = row * band + 2, hi = (row + 1) * band + 2;
                const int x = int(std::floor(g.Rnd(lo, hi + 0.9999f)));
                const int y = g.Rand(1, 13);
                bool ok = std::abs(y - hy) >= 3;
                for (int dx = -1; dx <= 1; ++dx)
                    ok = ok && pellet[y][x + dx] == 1 && type[y][x + dx] == 16 && type[y - 1][x + dx] != 16 &&
                         type[y + 1][x + dx] != 16;
                if (attempt > 100) break;
                if (ok) {
                    for (int dx = -1; dx <= 1; ++dx) type[y][x + dx] = float(t);
                    ++placed;
                    break;
                }
            }
        }
        for (int y = 0; y < BoardRows; ++y)
            for (int x = 0; x < BoardCols; ++x) EXPECT_EQ(At(x, y).Type, type[y][x]) << x << "," << y;
    }
    EXPECT_GE(placed, 20) << "most rows find a place";
}

TEST_F(LevelBuilder, RebuildingTheLevelGivesTheSameLevelAndTarget) {
    for (int difficulty = 1; difficulty <= 3; ++difficulty) {
        Build(difficulty, 6);
        while (ThisGame.Play.PathRuns < 31) ThisGame.FindPaths();
        BoardCell fresh[BoardRows * BoardPitch];
        std::memcpy(fresh, ThisGame.Board, sizeof fresh);
        const PlayState first = ThisGame.Play;

        // Play a little: eat some cells, lose the level, score some points.
        for (int i = 0; i < 10; ++i) ThisGame.Eat(i, 3);
        ThisGame.Play.HeroX = 3;
        ThisGame.Play.LevelState = -121;
        ThisGame.Play.Score = 345;

        ThisGame.GetLev(0);
        const PlayState& P = ThisGame.Play;
        SCOPED_TRACE(::testing::Message() << "difficulty " << difficulty);
        EXPECT_EQ(P.Level, 6);
        EXPECT_EQ(P.Score, 345);
        EXPECT_EQ(P.HeroX, first.HeroX);
        EXPECT_EQ(P.HeroY, first.HeroY);
        EXPECT_EQ(P.WallR, first.WallR);
        EXPECT_EQ(P.WallG, first.WallG);
        EXPECT_EQ(P.WallB, first.WallB);
        EXPECT_EQ(P.LevelState, 0);
        EXPECT_EQ(P.Target, 0);
        for (int i = 0; i < BoardRows * BoardPitch; ++i) {
            ASSERT_EQ(ThisGame.Board[i].Type, fresh[i].Type) << "cell " << i;
            ASSERT_EQ(ThisGame.Board[i].Pellet, fresh[i].Pellet) << "cell " << i;
            ASSERT_EQ(ThisGame.Board[i].Speed, fresh[i].Speed) << "cell " << i;
        }
        while (ThisGame.Play.PathRuns < 31) ThisGame.FindPaths();
        EXPECT_EQ(P.Target, first.Target);
        EXPECT_EQ(P.BestWalk, first.BestWalk);
    }
}
