// The main loop's slot decisions, kept free of the clock and of the game so
// that they can be checked with any sequence of times. Times are the 32-bit
// millisecond count of Mills, which wraps: they are only ever compared by
// their difference, never by < or >.
#pragma once

constexpr int ActivePeriod = 16;    // ms between updates (and renders) while focused
constexpr int InactivePeriod = 150; // ms between polls (and renders) while unfocused

// How far target lies ahead of now (negative when it has passed), and now
// plus ms, both across the wrap.
int MsAhead(int target, int now);
int MsAfter(int now, int ms);

// Focused: a slot is due when its time has come. The next slot is set from
// now: late slots run late and missed ones are dropped, never caught up. A
// target further ahead than one period means the clock went back (by any
// amount): the slot runs at once and the rhythm starts again from now.
bool ActiveSlotDue(int now, int& next);

// Unfocused: the target advances from its previous value, so after a stall
// several passes in a row may be due until the target has caught up; a
// target more than one period ahead restarts from now.
bool InactiveSlotDue(int now, int& next);

// How long a focused pass may sleep without passing either slot.
int ActiveSleepMs(int now, int nextUpdate, int nextRender);
