// Replay state of the renderer, shared with the tests and the benchmarks;
// what it exchanges with the input poll (wireframe switch, overscan factors
// for mouse mapping) is in sys/InputGlobals.h. Free of GL types so that code
// outside sys/ may include it.
#pragma once

#include "sys/InputGlobals.h"
#include "sys/ZARNSys.h"

// One recorded command: the layout of a 30-double record of the draw list.
struct DrawCmd {
    double d[DrawCmdSize];
};
static_assert(sizeof(DrawCmd) == sizeof(double) * DrawCmdSize, "records are copied as raw doubles");

// The renderer's state across one replay of the handed-over list.
struct ReplayState {
    DrawCmd DrawR[ReplayRecords];  // replay copy of the last handed-over list
    int DrawToRT = 0;              // records in DrawR
    int DrawToR = 0;               // replay cursor, reset at every swap
    int TexUse = -1;               // texture of the open batch (-1 none, -2 white block)
    int TriCount = 0;              // primitives in the open batch
    // Texture filter of this replay (GL_NEAREST / GL_LINEAR); GL_NEAREST
    // until the first replay sets it.
    int RenderMode = 0x2600;

    // Per-replay texture traffic, reset at the start of every replay.
    int TexUploads = 0;            // glTexImage2D calls
    long long TexUploadBytes = 0;  // bytes handed to them
    int TexBinds = 0;              // batches begun (texture switches)

    // Unfocused renders that left an unchanged frame on screen instead of
    // replaying it.
    long ReplaysSkipped = 0;

    // Set at the start of every replay: mirrors GL_ALPHA_TEST, and the
    // mapping from record coordinates to window pixels.
    bool AlphaTestOn = false;
    double ViewSx = 0, ViewSy = 0;
    int ViewW = 0, ViewH = 0;
};
extern ReplayState Replayer;

// Called when the window system asks for the window's contents again
// (uncovered, resized): the next render replays even an unchanged frame.
void WindowContentsLost();

// Swap interval asked of every GL context the renderer meets: 1 (vertical
// sync, what the game uses) unless changed. The frame benchmark sets 0 so a
// render is timed without waiting for the display. Applies at once to the
// current context, and to any later one.
void SetSwapInterval(int interval);

// Turns off (or back on) the work the replay skips because it cannot change
// a pixel, so tests and the benchmark can compare both ways. On by default.
void SetRenderShortcuts(bool on);

// Draws the replay list into the back buffer without presenting it: the whole
// of RenderSys up to the buffer swap. Tests read the frame back after it.
void ReplayFrame(float overscan);
