// Finds long walks for the hero on a freshly built level, to check that the
// level's target can be reached.
//
// A walk falls into stretches cut by the power items it eats: eating one
// raises every fallen cell, so each stretch after a power item starts on a
// full board. The longest walk is therefore the best sum, over the orders in
// which to eat the power items, of independent longest simple paths: start
// to first item, item to item, last item to anywhere. Each stretch is found
// by a bounded depth-first search that enters cells by the game's own rule
// (GetMatrix), and the whole walk is then replayed with the game's Eat.
#pragma once

#include <vector>

struct SolveResult {
    int best = 0;            // longest walk found and replayed, in pellets eaten
    long nodes = 0;          // positions visited by the searches
    bool exhausted = false;  // every search finished: best is the longest walk there is
    bool replayed = false;   // the walk was accepted move by move by the game's rules
    std::vector<int> walk;   // the walk's moves: 0 up, 1 right, 2 down, 3 left
};

// Searches ThisGame's board from the hero's cell, visiting at most `budget`
// positions per stretch. Leaves the game state as it found it.
SolveResult LongestWalk(long budget);
