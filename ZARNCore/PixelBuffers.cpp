// Pixel buffers as the game sees them: the colour comes from the draw state.
#include "ZARNCore.h"
#include "sys/ZARNSys.h"

void ZARNCore::CreateBuffer(int slot, int size) { ASys.Buffer_Create(slot, size); }

void ZARNCore::BufferCLS(int slot) { ASys.Buffer_Fill(slot, 0, 0, 0, 0); }

void ZARNCore::BufferFill(int slot, int r, int g, int b, int a) { ASys.Buffer_Fill(slot, r, g, b, a); }

void ZARNCore::BufferLine(int slot, float x1, float y1, float x2, float y2) {
    const float* s = ASys.DrawSet;
    ASys.Buffer_Line(slot, x1, y1, x2, y2, s[DrawSlot::BottomR], s[DrawSlot::BottomG], s[DrawSlot::BottomB],
                     s[DrawSlot::BottomA]);
}

void ZARNCore::BufferPlot(int slot, float x, float y) {
    const float* s = ASys.DrawSet;
    ASys.Buffer_Plot(slot, x, y, s[DrawSlot::BottomR], s[DrawSlot::BottomG], s[DrawSlot::BottomB],
                     s[DrawSlot::BottomA]);
}

void ZARNCore::BufferTile(int dst, int src, float x, float y, int frame) { ASys.Buffer_Tile(dst, src, x, y, frame); }

void ZARNCore::SetWindow(int w, int h) {
    if (w > 0 && h > 0) ASys.SetScreen(w, h);
}
