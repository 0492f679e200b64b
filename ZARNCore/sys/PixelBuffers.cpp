// Pixel buffers: image slots drawn into on the processor (cleared, filled,
// lined, plotted and stamped with sprite frames), shown with DrawImg like any
// image. Every write is bounds-checked per pixel.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

#include "sys/ImageTable.h"
#include "sys/ZARNSys.h"

namespace {

unsigned char ToByte(float v) {
    if (!(v > 0)) return 0;
    if (v >= 255) return 255;
    return (unsigned char)(int)v;
}

int ClampInt(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// Writes one pixel if (x, y) lies inside the buffer; x and y are whole numbers.
void Put(int slot, double x, double y, const unsigned char* c) {
    int S = iSize[slot];
    if (!(x >= 0 && x < S && y >= 0 && y < S)) return;  // also skips NaN
    std::memcpy(&Image[slot][(size_t(y) * S + size_t(x)) * 4], c, 4);
}

}  // namespace

void ZARNSys::Buffer_Create(int slot, int size) {
    // Slots 101 and up belong to screenshots and the screen copy.
    if (slot < 0 || slot > 100) return;
    if (size <= 0 || size > MaxImageSide) {
        char line[64];
        std::snprintf(line, sizeof line, "Buffer size %i refused", size);
        Debuglog(line);
        return;
    }
    Image[slot].assign(size_t(size) * size * 4, 0);
    DropBlurCopy(slot);
    DescribeSingleImage(slot, size, CellScale(float(size)));
    TouchImage(slot);
}

void ZARNSys::Buffer_Fill(int slot, int r, int g, int b, int a) {
    if (!SlotHasPixels(slot)) return;
    const unsigned char c[4] = {(unsigned char)ClampInt(r), (unsigned char)ClampInt(g), (unsigned char)ClampInt(b),
                                (unsigned char)ClampInt(a)};
    size_t n = size_t(iSize[slot]) * iSize[slot];
    unsigned char* p = Image[slot].data();
    for (size_t i = 0; i < n; ++i) std::memcpy(p + i * 4, c, 4);
    TouchImage(slot);
}

// Two passes, one stepping along x and one along y, so that no slope leaves
// gaps. The far end point is not drawn.
void ZARNSys::Buffer_Line(int slot, float x1, float y1, float x2, float y2, float r, float g, float b, float a) {
    if (!SlotHasPixels(slot)) return;
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) return;
    const unsigned char c[4] = {ToByte(r), ToByte(g), ToByte(b), ToByte(a)};
    const double S = iSize[slot];

    double ax = x1, ay = y1, bx = x2, by = y2;
    if (ax > bx) {
        std::swap(ax, bx);
        std::swap(ay, by);
    }
    double slope = (by - ay) / (bx - ax);
    // Steps left of the buffer draw nothing; start at its edge.
    for (double x = std::fmax(std::trunc(ax), 0.0); x < bx && x < S; x += 1) {
        double y = std::floor(slope * (x - ax) + ay);
        Put(slot, x, y, c);
    }

    ax = x1; ay = y1; bx = x2; by = y2;
    if (ay > by) {
        std::swap(ax, bx);
        std::swap(ay, by);
    }
    slope = (bx - ax) / (by - ay);
    for (double y = std::fmax(std::trunc(ay), 0.0); y < by && y < S; y += 1) {
        double x = std::floor(slope * (y - ay) + ax);
        Put(slot, x, y, c);
    }
    TouchImage(slot);
}

void ZARNSys::Buffer_Plot(int slot, float x, float y, float r, float g, float b, float a) {
    if (!SlotHasPixels(slot)) return;
    double px = std::floor(x), py = std::floor(y);
    const int S = iSize[slot];
    if (!(px >= 0 && px < S && py >= 0 && py < S)) return;
    const float col[3] = {float(ToByte(r)), float(ToByte(g)), float(ToByte(b))};
    float alpha = ToByte(a);
    unsigned char* p = &Image[slot][(size_t(py) * S + size_t(px)) * 4];
    for (int k = 0; k < 3; ++k) {
        float old = p[k];
        p[k] = ToByte(old - (old - col[k]) / 255 * alpha);
    }
    p[3] = 255;
    TouchImage(slot);
}

void ZARNSys::Buffer_Tile(int dst, int src, float x, float y, int frame) {
    if (!SlotHasPixels(dst) || !SlotHasPixels(src)) return;
    if (frame < 0 || frame >= iFrames[src]) return;
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    const int F = iFramesSquare[src], W = iFramesW[src], SS = iSize[src], DS = iSize[dst];
    if (F <= 0 || W <= 0) return;
    int sx0, sy0;
    if (W == SS) {
        // A single image or a buffer: its one frame starts at the corner.
        sx0 = 0;
        sy0 = 0;
    } else {
        sx0 = (F + 8) * (frame % W) + 4;
        sy0 = (frame / W) * (F + 8) + 4;
    }
    const unsigned char* from = Image[src].data();
    unsigned char* to = Image[dst].data();
    // At a whole-number position (as the backdrops stamp their tiles) pixel
    // i of a row lands at x + i exactly: the row's clipping is worked out
    // once instead of per pixel, which makes a full 1024 x 1024 stamping a
    // millisecond cheaper.
    const double limit = 2.0 * MaxImageSide;
    if (x == std::trunc(x) && y == std::trunc(y) && std::fabs(x) < limit && std::fabs(y) < limit) {
        const int ix = int(x), iy = int(y);
        const int i0 = std::max(0, -ix), i1 = std::min({F, DS - ix, SS - sx0});
        for (int j = std::max(0, -iy); j < F && iy + j < DS && sy0 + j < SS; ++j) {
            const unsigned char* s = from + (size_t(sy0 + j) * SS + size_t(sx0)) * 4;
            unsigned char* d = to + size_t(iy + j) * DS * 4;
            for (int i = i0; i < i1; ++i)
                if (s[i * 4 + 3] != 0) std::memcpy(d + size_t(ix + i) * 4, s + size_t(i) * 4, 4);
        }
        TouchImage(dst);
        return;
    }
    for (int j = 0; j < F; ++j) {
        int sy = sy0 + j;
        double ty = std::trunc(j + double(y));
        if (sy >= SS || !(ty >= 0 && ty < DS)) continue;
        for (int i = 0; i < F; ++i) {
            int sx = sx0 + i;
            double tx = std::trunc(i + double(x));
            if (sx >= SS || !(tx >= 0 && tx < DS)) continue;
            const unsigned char* s = from + (size_t(sy) * SS + sx) * 4;
            if (s[3] == 0) continue;
            std::memcpy(to + (size_t(ty) * DS + size_t(tx)) * 4, s, 4);
        }
    }
    TouchImage(dst);
}
