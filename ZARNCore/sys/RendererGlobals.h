// Replay state of the renderer, shared with the input poll (wireframe switch,
// overscan factors for mouse mapping), the tests and the benchmarks. Free of
// GL types so that code outside sys/ may include it.
#pragma once

#include "sys/ZARNSys.h"

// One recorded command: the layout of a 30-double record of the draw list.
struct DrawCmd {
    double d[DrawCmdSize];
};
static_assert(sizeof(DrawCmd) == sizeof(double) * DrawCmdSize, "records are copied as raw doubles");

extern DrawCmd DrawR[ReplayRecords];  // replay copy of the last handed-over list
extern int DrawToRT;                  // records in DrawR
extern int DrawToR;                   // replay cursor, reset at every swap
extern int TexUse;                    // texture of the open batch (-1 none, -2 white block)
extern int TriCount;                  // primitives in the open batch
extern int RenderMode;                // texture filter of this replay (GL_NEAREST / GL_LINEAR)
extern int Wireframe;                 // 1: outlines only, untextured
extern float OverscanScaleX, OverscanScaleY;

// Per-replay texture traffic, reset at the start of every replay.
extern int TexUploads;             // glTexImage2D calls
extern long long TexUploadBytes;   // bytes handed to them
extern int TexBinds;               // batches begun (texture switches)

// Unfocused renders that left an unchanged frame on screen instead of
// replaying it.
extern long ReplaysSkipped;

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
