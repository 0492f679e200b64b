// The built-in maze layouts.
#pragma once

// Layout n (1-12) as 375 letters: 15 rows of 25 cells, top row first, cell
// (x, y) at y * 25 + x. 'Q' is floor with a pellet, 'A'-'P' a wall piece.
// Any other n selects the thirteenth layout.
const char* LevDat(int n);

// The layout (0-12, as passed to LevDat) a level of a difficulty is built on.
int LayoutFor(int difficulty, float level);
