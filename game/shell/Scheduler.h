// The main loop's slot decisions, kept free of the clock and of the game so
// that they can be checked with any sequence of times.
#pragma once

constexpr int ActivePeriod = 16;    // ms between updates (and renders) while focused
constexpr int InactivePeriod = 150; // ms between polls (and renders) while unfocused
constexpr int ClockJumpBack = 10000;

// Focused: a slot is due when its time has come, or when the clock went back
// by more than ten seconds. The next slot is set from now: late slots run late
// and missed ones are dropped, never caught up.
bool ActiveSlotDue(int now, int& next);

// Unfocused: the target advances from its previous value, so after a stall
// several passes in a row may be due until the target has caught up.
bool InactiveSlotDue(int now, int& next);

// How long a focused pass may sleep without passing either slot.
int ActiveSleepMs(int now, int nextUpdate, int nextRender);
