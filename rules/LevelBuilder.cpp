// The level builder: picks a layout for the difficulty and level, seeds the
// random stream from them and places the hero, power items and gates.
// Everything here is a function of difficulty and level alone, so a level
// rebuilt after a lost life is the same level, and the random numbers must
// be drawn in exactly this order.
#include <cmath>
#include <cstdlib>

#include "rules/GameIdentity.h"
#include "rules/LevelData.h"
#include "rules/Match.h"

static int PowerItemsFor(int difficulty, float level) {
    switch (difficulty) {
    case 1: return level > 3 ? 2 : 1;
    case 2: return level > 4 ? 2 : level > 2 ? 1 : 0;
    case 3: return level > 10 ? 2 : level > 5 ? 1 : 0;
    default: return 0;
    }
}

static float GateRowsFor(int difficulty, float level) {
    float n = level - 1;
    if (difficulty == 1) n = level - 3;
    if (difficulty == 3) n = level + 1;
    if (n < 0) n = 0;
    if (n > 4) n = 4;
    return n;
}

// A colour is vivid enough when one channel is bright and no two channels
// are close together.
static bool VividColour(float r, float g, float b) {
    if (r <= 220 && g <= 220 && b <= 220) return false;
    return std::fabs(r - g) >= 75 && std::fabs(r - b) >= 75 && std::fabs(g - b) >= 75;
}

int LayoutFor(int difficulty, float level) {
    float v = difficulty * 11 + level * 3 * difficulty;
    return int(std::floor(v)) % 13;
}

void Match::GetLev(int advance) {
    PlayState& P = Play;
    Emit(&MatchEvents::MusicStop);
    P.PlayStarted = 0;
    P.LevelState = 0;
    P.Level += advance;

    float v = Difficulty * 11 + P.Level * 3 * Difficulty;
    P.LevelSeed = Difficulty * 6128 + v * 371;
    P.BoardW = BoardCols;
    P.BoardH = BoardRows;

    Rng.Reseed(int(P.LevelSeed), Gobbit::Number);
    for (int i = 0; i < 100; ++i) Rng.Rand(0, 250);

    P.DotCount = 0;
    P.PowerCount = float(PowerItemsFor(Difficulty, P.Level));
    P.Target = 0;

    do {
        P.WallR = Rng.Rand(1, 15) * 17;
        P.WallG = Rng.Rand(1, 15) * 17;
        P.WallB = Rng.Rand(1, 15) * 17;
    } while (!VividColour(P.WallR, P.WallG, P.WallB));

    LayOutCells(LevDat(LayoutFor(Difficulty, P.Level)));
    const int heroRow = PlaceHero();
    PlacePowerItems(heroRow);
    PlaceGateRows(heroRow);

    CellsMayMove = true;
    P.PathRuns = 1;
    P.DotCount -= P.PowerCount;
    P.BestWalk = 0;
}

// Every cell starts 240 below its place and rises at its own speed.
void Match::LayOutCells(const char* layout) {
    PlayState& P = Play;
    for (int y = 0; y < BoardRows; ++y) {
        for (int x = 0; x < BoardCols; ++x) {
            BoardCell& c = Board[y * BoardPitch + x];
            c = BoardCell{};
            c.Type = float(layout[y * BoardCols + x] - 'A');
            c.Offset = 240;
            c.Speed = -Rng.Rnd(0.4f, 3.4f);
            if (c.Type == CellType::Floor) {
                c.Pellet = Carry::Pellet;
                P.DotCount += 1;
            }
        }
    }
}

// The hero starts near the middle column, on floor; returns its row.
int Match::PlaceHero() {
    PlayState& P = Play;
    int hx, hy;
    do {
        hx = 12 + Rng.Rand(-2, 2);
        hy = Rng.Rand(1, 13);
    } while (Board[hy * BoardPitch + hx].Type < CellType::Floor);
    P.HeroX = float(hx);
    P.HeroY = float(hy);
    P.HeroDX = P.HeroDY = 0;
    P.Facing = Dir::Right;
    Board[hy * BoardPitch + hx].Pellet = Carry::None;  // the hero stands on it
    return hy;
}

// Power items go on pellets at least three rows from the hero.
void Match::PlacePowerItems(int hy) {
    PlayState& P = Play;
    for (int i = 0; i < int(P.PowerCount); ++i) {
        int x, y;
        do {
            x = Rng.Rand(1, 23);
            y = Rng.Rand(1, 13);
        } while (!(Board[y * BoardPitch + x].Pellet == Carry::Pellet && std::abs(y - hy) >= 3));
        Board[y * BoardPitch + x].Pellet = Carry::PowerItem;
    }
}

// One band of columns per gate row spreads the rows across the board.
// With 2 or 4 rows the band edges fall between columns (21 / 4 = 5.25).
// They are drawn from as they are, the way Rand draws (the floor of a
// number from lo up to hi + 0.9999), not cut to whole columns first.
void Match::PlaceGateRows(int hy) {
    PlayState& P = Play;
    P.GateCount = GateRowsFor(Difficulty, P.Level);
    float w = P.GateCount > 0 ? (25 - 4) / P.GateCount : 0;
    for (int i = 0; i < int(P.GateCount); ++i) {
        for (int attempt = 1;; ++attempt) {
            // Even odds of either gate: the draw is 20 or 21, and 21 stands
            // for the leftwards one.
            int t = Rng.Rand(CellType::GateRight, CellType::GateRight + 1);
            if (t == CellType::GateRight + 1) t = CellType::GateLeft;
            int x = int(std::floor(Rng.Rnd(i * w + 2, (i + 1) * w + 2 + 0.9999f)));
            int y = Rng.Rand(1, 13);
            bool ok = std::abs(y - hy) >= 3;
            for (int dx = -1; dx <= 1 && ok; ++dx) {
                const BoardCell& c = Board[y * BoardPitch + x + dx];
                ok = c.Pellet == Carry::Pellet && c.Type == CellType::Floor &&
                     Board[(y - 1) * BoardPitch + x + dx].Type != CellType::Floor &&
                     Board[(y + 1) * BoardPitch + x + dx].Type != CellType::Floor;
            }
            if (attempt > 100) break;  // the 101st attempt never places a row
            if (ok) {
                for (int dx = -1; dx <= 1; ++dx) Board[y * BoardPitch + x + dx].Type = float(t);
                break;
            }
        }
    }
}
