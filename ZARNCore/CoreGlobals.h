// Framework globals shared between the core's source files (and readable by
// tests). The game itself reaches them only through ZARNCore.
#pragma once

#include <ctime>

// The clock and the main loop's counters: set up once by Begin.
struct LoopState {
    // Monotonic times: when the clock started, and its last reading.
    timespec starttick = {}, curtick = {};
    clock_t GameStartTime = 0;
    // When set, Mills() reads this instead of the monotonic clock (tests drive time).
    int (*MillsSource)() = nullptr;
    int RenderThread = 0;
    int UpdateCountLive = 0, RenderCountLive = 0;
    int DebugToggle = 0, ScreenshotToggle = 0;
};
extern LoopState Loop;

// The canvas, sized from the window by ApplyCanvas (at start-up and in every
// render).
struct CanvasState {
    int rw2 = 0, rh2 = 0;             // half the canvas, in whole units
    int iBump = 0;                    // 1: a band is kept free at the top, 2: at the left
    float ViewScale = 2.0f / 800.0f;  // 2 / canvas width basis
};
extern CanvasState Canvas;

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
