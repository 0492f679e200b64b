// A fresh GL context pays once for things a software rasteriser builds on
// first use: a compiled pipeline for each blend mode and texture filter the
// replay uses, and the buffers it presents from. Paid on the first real
// frame, that is a hitch of 10-20 ms in the loading screen's wave; paid as
// the window opens, it only moves start-up work earlier.
#pragma once

// Replays a few tiny shapes in every blend mode with both filters into the
// back buffer and clears it again. Leaves the replay list, the draw
// settings and the frame measurements as they were. Needs the window's
// context current; does nothing without a window.
void WarmUpPipeline();
