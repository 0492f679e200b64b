// The winnability search: looks for a walk on a freshly built level that
// eats at least a given number of pellets, so that a level's target can be
// checked against what the board allows (Match::FindPaths).
//
// A walk falls into stretches cut by the power items it eats: eating one
// raises every fallen cell, so the stretch after it starts on a full board.
// The longest walk is therefore the best sum, over the orders in which to
// eat the power items (none, either, both either way round), of independent
// longest simple paths: start to the first item, item to item, last item to
// anywhere. Each stretch is searched depth first over the cells that still
// carry a pellet, by the board's entering rule (gates included), fewest
// onward ways first, cut where the cells still reachable cannot beat the
// best path so far; then again with other tie-breaks, as the first choices
// matter most and one search rarely revisits them. Every path found is
// lengthened round any two free cells side by side with it (a step u->v
// becomes u->a->b->v), which fills the open rooms that the depth-first
// search is slowest in.
//
// The work is counted in positions visited, never timed, and every choice
// is made with integers, so a board gives the same walk on every machine,
// in the game, in a replay and in the level table. The amount is fixed per
// stretch. It can be done in slices (Run) without changing the result: the
// game spreads it over the estimator's passes, while the board rises.
#pragma once

#include <cstdint>
#include <vector>

#include "rules/PlayState.h"

class WinnabilitySearch {
public:
    // Power items taken into account; any others are treated as never eaten
    // (the built levels have at most two).
    static constexpr int MaxItems = 2;
    // Positions one stretch may visit, over all its searches.
    static constexpr long StretchBudget = 24000;

    // Starts a search of the board from the hero's cell that stops once a
    // walk of `goal` pellets is found. Reads the board's cell types and
    // pellets only, and copies what it needs.
    void Begin(const BoardCell* board, int heroX, int heroY, int goal);
    // Another goal. A search stopped at a goal goes on towards a higher one;
    // as long as the goals only rise, it stops where a search given the last
    // goal from the start would have stopped.
    void SetGoal(int goal);
    // Visits about `positions` more positions (the step that passes the
    // count is finished); true once the search is finished: the goal
    // reached or the work all done.
    bool Run(long positions);

    bool Started() const { return Begun; }
    bool Finished() const;
    // Ends the search: Started() is false until the next Begin. What it
    // found stays readable until then.
    void Stop() { Begun = false; }

    // The longest whole walk found so far, in pellets eaten (one per move).
    int Best() const { return BestTotal; }
    int Goal() const { return GoalLength; }
    // Positions visited so far.
    long Positions() const { return Visited; }
    // True when every stretch was searched to the end, so no longer walk
    // exists than Best().
    bool Exhaustive() const;
    // The moves of the longest walk found: 0 up, 1 right, 2 down, 3 left.
    std::vector<int> Walk() const;

private:
    static constexpr int Cells = BoardCells;
    static constexpr int MaxPath = BoardRows * BoardCols;
    static constexpr int MaxStretches = 9;  // for two items
    static constexpr int MaxOrders = 5;     // none, a, b, a then b, b then a
    static constexpr std::uint8_t Untracked = 0xff;  // Item[] of an item never eaten

    struct Stretch {
        int From = 0, To = -1;   // To -1: the stretch ends anywhere
        unsigned Closed = 0;     // items not to be eaten in it, by bit
        bool FromStart = false;  // the level's own pellets, not a full board
        int Length = -1;         // best path found; -1 none yet
        int Bound = 0;           // no path is longer
        bool Settled = false;    // Length is the longest there is
        std::uint8_t Dirs[MaxPath] = {};
    };
    struct Order {
        int Count = 0;
        int Parts[MaxItems + 1] = {};  // stretch indices, in walking order
    };
    struct Frame {
        std::int16_t Cell;
        std::int16_t Reach;  // cells still reachable from it
        std::uint8_t Ways[4];
        std::uint8_t Count, NextWay;
    };

    int AddStretch(int from, int to, unsigned closed, bool fromStart);
    void Lay(const Stretch& s);
    int Reach(int from, int to, bool& reachesEnd);
    void Visit(int depth);
    void Improve(int s, const std::uint8_t* dirs, int length);
    void Widen(int s);
    void SeedWithShortestPath(int s);
    void Evaluate();
    bool Worthwhile(int s) const;
    bool StartNextSearch();
    void EndSearch(bool complete);
    void Spend(long positions);

    // The board, as the search sees it.
    std::int16_t Next[Cells][4] = {};  // neighbour in each direction, wrapped
    std::uint8_t Enter[Cells] = {};    // directions it can be entered in, by bit
    std::uint8_t Floor[Cells] = {};    // floor or gate: regrows after a power item
    std::uint8_t Pellet[Cells] = {};   // carries a pellet on the fresh board
    std::uint8_t Item[Cells] = {};     // 1 + index in Items, Untracked, or 0
    int Items[MaxItems] = {};
    int ItemCount = 0;

    Stretch Stretches[MaxStretches];
    int StretchCount = 0;
    Order Orders[MaxOrders];
    int OrderCount = 0;
    int BestOrder = -1;
    int BestTotal = 0;
    int GoalLength = 0;
    long Visited = 0;
    bool Begun = false, Done = false;

    // The schedule: search `Pass` of every stretch in turn, then the next.
    int Pass = 0, Current = -1;
    long SearchLeft = 0;  // positions the current search may still visit
    long SliceLeft = 0;   // positions this Run may still visit
    unsigned Shuffle = 0; // 0: plain order; otherwise drives the tie-breaks

    // The current depth-first search.
    std::uint8_t Have[Cells] = {};  // still carries a pellet in the stretch
    Frame Stack[MaxPath + 1] = {};
    std::uint8_t Path[MaxPath] = {};
    int Depth = -1;  // -1: no search running

    // Reach's scratch.
    int Seen[Cells] = {};
    int Stamp = 0;
    std::int16_t Queue[Cells] = {};
};
