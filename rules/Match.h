// One game under the rules: the board, the play state, the level builder,
// the target estimator, the board rules and the play step, and the journal
// of everything the player did. Nothing here draws, plays a sound or reads a
// device: the game reads this state to draw it, hears about sounds and
// music through MatchEvents, and hands each update's input in as Controls.
// Built from these alone, the same inputs give the same game on every
// machine, which is what lets a journal be watched again and a score be
// checked by replaying it.
//
// One play update runs in three phases, so the game can draw the board as
// it stands between the cells' motion and the hero's move:
//   BeginUpdate(controls)  records the input; a target estimator pass
//                          during the level's first 30 updates
//   MoveCells()            cells rise, fall and fly; music starts once the
//                          board has risen; the landing thud
//   MoveHero()             the hero's move, eating, the level's end, lives
// Update() runs all three, as a replay without a window does.
#pragma once

#include "rules/Controls.h"
#include "rules/Journal.h"
#include "rules/PlayState.h"
#include "rules/SeededRandom.h"
#include "rules/WinnabilitySearch.h"

// What the rules tell the game, in the order it happens. Every call is made
// in the middle of the rules' work, before any later random number is drawn.
class MatchEvents {
public:
    virtual ~MatchEvents() = default;
    virtual void MusicStart() {}  // the board has risen: play begins
    virtual void MusicStop() {}
    virtual void Landing(float /*pitch*/) {}
    virtual void PelletsLeft(int /*left*/) {}   // after each pellet eaten
    virtual void PowerItem() {}
    virtual void Chomp(int /*which*/, float /*pitch*/) {}  // which: 0 or 1, alternating
    virtual void PopUp(int /*points*/, float /*x*/, float /*y*/) {}
    virtual void LevelDecided(bool /*won*/) {}
    virtual void TargetSet() {}
    virtual void Ended(int /*reason*/) {}
};

// How a game ended (Match::EndReason); the journal keeps its own codes
// (Ending, rules/Journal.h).
namespace EndBy {
enum : int { Playing = 0, LastLife = 1, Quitting = -1 };
}

class Match {
public:
    // The stream the rules draw from: the game shares its own with them, a
    // replay brings a fresh one. Events go to events, or nowhere.
    explicit Match(SeededRandom& stream, MatchEvents* events = nullptr) : Rng(stream), Out(events) {}
    Match(const Match&) = delete;
    Match& operator=(const Match&) = delete;

    BoardCell Board[BoardCells] = {};
    PlayState Play = {};
    int Difficulty = 0;  // 1 Easy, 2 Normal, 3 Hard
    // How the game ended: an EndBy, Playing while it runs.
    // Once set, the hero takes no more moves and the score stays.
    int EndReason = EndBy::Playing;
    // Open directions from the hero's cell, filled by GetMatrix.
    int OpenUp = 0, OpenDown = 0, OpenLeft = 0, OpenRight = 0;
    // The journal of the game so far.
    Journal Record;

    // Clears the board, the play state, the ending and the journal; the
    // difficulty stays.
    void Reset();
    // A new game of a difficulty: two spare lives and the first level.
    void Start(int difficulty);
    // Ends the game (the first reason wins): the last checkpoint is taken
    // and the journal is complete.
    void End(int reason);
    // The checkpoint the game would take now.
    Checkpoint CheckpointNow() const;

    void BeginUpdate(const Controls& in);
    void MoveCells();
    void MoveHero();
    void Update(const Controls& in);

    // Level builder and target estimator.
    void GetLev(int advance);
    void FindPaths();
    // The target the estimator sets for the level as built, given its best
    // walk; walkEst gets the pellet-supply estimate.
    float EstimatedTarget(float bestWalk, float& walkEst) const;

    // The winnability check: a search for a walk that reaches the level's
    // target, begun with the level's first estimator pass and run a slice
    // of SearchSlice positions per pass, so no update carries all of it.
    // On the thirtieth pass it is finished, and the target lowered to what
    // it found if it found no walk reaching the estimator's.
    WinnabilitySearch Search;
    static constexpr long SearchSlice = 8000;

    // Board rules; every cell access wraps around the board. The first two
    // are here to be inlined: the estimator's walks ask them millions of
    // times a game.
    BoardCell& CellAt(int x, int y) {
        // An unbuilt board has no size yet; fall back to the fixed one. A
        // board is a whole number of cells across and down, so the
        // remainder is an integer's.
        const int w = Play.BoardW > 0 ? int(Play.BoardW) : BoardCols;
        const int h = Play.BoardH > 0 ? int(Play.BoardH) : BoardRows;
        int cx = x % w;
        if (cx < 0) cx += w;
        int cy = y % h;
        if (cy < 0) cy += h;
        return Board[cy * BoardPitch + cx];
    }
    // 1 when the hero may not enter (x, y) going dir (a Dir); mode
    // EstimatorMode asks the estimator's scratch layer too.
    static constexpr int PlayMode = 1, EstimatorMode = 2;
    int isSolid(int x, int y, int dir, int mode) {
        const BoardCell& c = CellAt(x, y);
        if (c.Pellet == Carry::None) return 1;
        if (mode == EstimatorMode && c.Trial == Carry::None) return 1;
        if (c.Type == CellType::Floor) return 0;
        if (c.Type == CellType::GateRight && dir == Dir::Right) return 0;
        if (c.Type == CellType::GateLeft && dir == Dir::Left) return 0;
        return 1;
    }
    void GetMatrix(int x, int y, int mode);
    void Drop(int x, int y);
    void Eat(int x, int y);
    void Eat2(int x, int y);
    // Adds points to the score while the game runs.
    void Gimme(int points);

    // This update's input, as BeginUpdate took it.
    Controls Input;
    // Whether some cell may be rising or falling. Set by everything that
    // starts one moving (building a level, dropping a cell, a power item;
    // a test that moves a cell by hand sets it too) and cleared by the
    // update that finds every cell at rest, so play on a board at rest
    // passes over its cells.
    bool CellsMayMove = true;
    // Cell motion of this update.
    bool CellLanded = false;  // some cell settled into place this update
    bool BoardStill = false;  // no cell is rising

private:
    void BeginSearch();
    void CheckWinnable();
    // The level builder's steps, in the order they draw from the stream.
    void LayOutCells(const char* layout);
    int PlaceHero();
    void PlacePowerItems(int heroRow);
    void PlaceGateRows(int heroRow);
    void StepHero();
    // The hero's update, in its order.
    void EaseSlide(float step);
    void CountDownRepeat();
    void TryMoves(float delay);
    void EndLevelIfStuck();
    void RunLevelEnd();
    void TakeCheckpoint();
    void Emit(void (MatchEvents::*event)()) {
        if (Out) (Out->*event)();
    }

    SeededRandom& Rng;
    MatchEvents* Out;
};
