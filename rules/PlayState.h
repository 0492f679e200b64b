// The per-game play state: every value that a new game starts from zero.
// Kept in one struct so that a new game clears it in one assignment.
#pragma once

struct BoardCell {
    float Type;     // 0-15 wall piece, 16 floor, 20 gate rightwards, 24 gate leftwards
    float Offset;   // animation offset in pixels, 0 = in place
    float Speed;    // change of Offset per update
    float Pellet;   // 0 gone, 1 pellet, 2 power item, 3 regrown pellet
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
    float HeroX, HeroY, HeroDX, HeroDY, Facing;
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
