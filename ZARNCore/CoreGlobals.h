// Framework globals shared between the core's source files (and readable by
// tests). The game itself reaches them only through ZARNCore.
#pragma once

#include <ctime>

// Monotonic times: when the clock started, and its last reading.
extern timespec starttick, curtick;
extern clock_t GameStartTime;
extern int RenderThread;
extern int UpdateCountLive, RenderCountLive;
extern int DebugToggle, ScreenshotToggle;
extern int rw2, rh2;     // half the canvas, in whole units
extern int iBump;        // 1: a band is kept free at the top, 2: at the left
extern float ViewScale;  // 2 / canvas width basis

// When set, Mills() reads this instead of the monotonic clock (tests drive time).
extern int (*MillsSource)();

// Counts one more update or render. Once the clock is a second past
// secondStart (or a second behind it), that second's count becomes
// perSecond and the next second starts.
inline void CountPerSecond(int now, int& live, int& secondStart, int& perSecond) {
    live += 1;
    int since = int(unsigned(now) - unsigned(secondStart));  // safe across the wrap
    if (since >= 1000 || since <= -1000) {
        secondStart = now;
        perSecond = live;
        live = 0;
    }
}
