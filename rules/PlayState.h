// The per-game play state: every value that a new game starts from zero.
// Kept in one struct so that a new game clears it in one assignment.
#pragma once

// A cell's Type: 0-15 is a wall piece (its layout letter less 'A'); above
// that the cells the hero may walk on.
namespace CellType {
enum : int { LastWall = 15, Floor = 16, GateRight = 20, GateLeft = 24 };
}

// What a cell's Pellet (and the estimator's Trial copy) holds. A floor cell
// with None has fallen away, or the hero stands on it.
namespace Carry {
enum : int { None = 0, Pellet = 1, PowerItem = 2, Regrown = 3 };
}

struct BoardCell {
    float Type;     // a CellType
    float Offset;   // animation offset in pixels, 0 = in place
    float Speed;    // change of Offset per update
    float Pellet;   // a Carry
    float Trial;    // working copy of Pellet for the target estimator
    float Settled;  // 1 once risen into place
};

constexpr int BoardPitch = 30;   // cells are addressed as row * 30 + column
constexpr int BoardRows = 15;
constexpr int BoardCols = 25;
constexpr int BoardCells = BoardRows * BoardPitch;

struct PlayState {
    // Level builder
    float Level, LevelSeed, BoardW, BoardH;
    float HeroX, HeroY, HeroDX, HeroDY;
    float Facing;           // a Dir (rules/Controls.h)
    float LevelState, PlayStarted;
    float DotCount, PowerCount, Target, Eaten, GateCount;
    float WallR, WallG, WallB;
    float PathRuns, BestWalk;
    // Board rules and the target estimator
    float ChompToggle;      // alternates the two eating sounds
    float RunLen[4];        // free run per direction, up/right/down/left
    float PickDir, PickLen; // the walker's preferred direction this step
    float WalkEst;          // pellet-supply estimate of the last target
    // The winnability check
    float Estimate;         // the estimator's target; Target is lower when
                            // no walk was found that reaches it
    float WalkFound;        // longest walk the check found (it stops at
                            // the first that reaches the estimate)
    // Play loop, scoring and game flow
    float RepeatX, RepeatY; // move repeat countdowns, in updates
    float GateFrame;        // 0-15; gate animation frame is GateFrame / 4
    float Score, ShownScore;
    float Lives;            // spare lives
};
