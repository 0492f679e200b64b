// A small RGBA canvas with anti-aliased shape drawing, enough to paint every
// picture of the game procedurally.
//
// Shapes are given as signed distance functions (negative inside, in pixels);
// the coverage of a pixel is taken from the distance at its centre, which gives
// smooth edges at any size without supersampling. Colours are straight-alpha
// floats 0..1 and are composited "over" the canvas.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

struct Col {
    float r = 0, g = 0, b = 0, a = 0;
};

inline Col rgb(int r, int g, int b, float a = 1.f) { return {r / 255.f, g / 255.f, b / 255.f, a}; }
inline Col grey(float v, float a = 1.f) { return {v, v, v, a}; }
inline Col alpha(Col c, float a) { c.a *= a; return c; }
inline float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline float lerp(float a, float b, float t) { return a + (b - a) * t; }
inline Col mix(const Col& x, const Col& y, float t) {
    return {lerp(x.r, y.r, t), lerp(x.g, y.g, t), lerp(x.b, y.b, t), lerp(x.a, y.a, t)};
}
inline Col scale(Col c, float k) { return {c.r * k, c.g * k, c.b * k, c.a}; }
inline float smoothstep(float e0, float e1, float x) {
    float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

constexpr float kPi = 3.14159265358979f;
inline float rad(float deg) { return deg * kPi / 180.f; }

// Signed distance functions, all in pixel units.
namespace sd {
inline float circle(float x, float y, float cx, float cy, float r) { return std::hypot(x - cx, y - cy) - r; }
inline float ellipse(float x, float y, float cx, float cy, float rx, float ry) {
    // Good enough near the edge for anti-aliasing, exact for circles.
    float k = std::hypot((x - cx) / rx, (y - cy) / ry);
    return (k - 1) * std::min(rx, ry);
}
// Axis-aligned box with centre (cx, cy), half sizes (hx, hy) and corner radius r.
inline float box(float x, float y, float cx, float cy, float hx, float hy, float r = 0) {
    float qx = std::fabs(x - cx) - hx + r, qy = std::fabs(y - cy) - hy + r;
    float ox = std::max(qx, 0.f), oy = std::max(qy, 0.f);
    return std::hypot(ox, oy) + std::min(std::max(qx, qy), 0.f) - r;
}
// Box with a separate radius per corner: top-left, top-right, bottom-right, bottom-left.
inline float box4(float x, float y, float cx, float cy, float hx, float hy, float tl, float tr, float br, float bl) {
    float px = x - cx, py = y - cy;
    float r = px > 0 ? (py > 0 ? br : tr) : (py > 0 ? bl : tl);
    return box(px, py, 0, 0, hx, hy, r);
}
inline float segment(float x, float y, float ax, float ay, float bx, float by) {
    float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
    float len2 = dx * dx + dy * dy;
    float t = len2 > 0 ? clamp01((px * dx + py * dy) / len2) : 0.f;
    return std::hypot(px - dx * t, py - dy * t);
}
inline float capsule(float x, float y, float ax, float ay, float bx, float by, float r) {
    return segment(x, y, ax, ay, bx, by) - r;
}
inline float ring(float x, float y, float cx, float cy, float r, float halfWidth) {
    return std::fabs(std::hypot(x - cx, y - cy) - r) - halfWidth;
}
// A stroke along a circular arc from angle a0 to a1 (degrees, 0 = right, 90 = down).
inline float arc(float x, float y, float cx, float cy, float r, float a0, float a1, float halfWidth) {
    float a = std::atan2(y - cy, x - cx) * 180.f / 3.14159265f;
    while (a < a0) a += 360;
    while (a >= a0 + 360) a -= 360;
    if (a <= a1) return std::fabs(std::hypot(x - cx, y - cy) - r) - halfWidth;
    float e0 = std::hypot(x - cx - r * std::cos(a0 * 3.14159265f / 180), y - cy - r * std::sin(a0 * 3.14159265f / 180));
    float e1 = std::hypot(x - cx - r * std::cos(a1 * 3.14159265f / 180), y - cy - r * std::sin(a1 * 3.14159265f / 180));
    return std::min(e0, e1) - halfWidth;
}
struct Pt {
    float x, y;
};
// Exact distance to a simple polygon (any winding).
float polygon(float x, float y, const std::vector<Pt>& p);
// Regular star (n points) or polygon (inner == outer) centred on (cx, cy), first point at angle rot.
std::vector<Pt> starPoints(float cx, float cy, int n, float outer, float inner, float rotDeg);
// Rotate (x, y) around (cx, cy) by deg; used to draw rotated shapes.
inline void rotate(float& x, float& y, float cx, float cy, float deg) {
    float c = std::cos(rad(deg)), s = std::sin(rad(deg));
    float dx = x - cx, dy = y - cy;
    x = cx + dx * c - dy * s;
    y = cy + dx * s + dy * c;
}
}  // namespace sd

// Deterministic hash noise so every build draws the same pictures.
float hash2(int x, int y, int seed);
// Smooth value noise; when period > 0 the noise repeats every period units.
float noise2(float x, float y, int seed, int period = 0);
float fbm(float x, float y, int seed, int octaves, int period = 0);

// Small seeded generator for scattering details.
class Rng {
public:
    explicit Rng(uint32_t seed) : s_(seed * 2654435761u + 1013904223u) {}
    uint32_t next() {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 17;
        s_ ^= s_ << 5;
        return s_;
    }
    float unit() { return (next() >> 8) / 16777216.f; }
    float range(float a, float b) { return a + (b - a) * unit(); }
    int irange(int a, int b) { return a + int(next() % uint32_t(b - a + 1)); }

private:
    uint32_t s_;
};

class Canvas {
public:
    Canvas() = default;
    Canvas(int w, int h) : w_(w), h_(h), px_(size_t(w) * h) {}

    int width() const { return w_; }
    int height() const { return h_; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }
    Col get(int x, int y) const { return inside(x, y) ? px_[size_t(y) * w_ + x] : Col{}; }
    void set(int x, int y, Col c) {
        if (inside(x, y)) px_[size_t(y) * w_ + x] = c;
    }
    // Composite c over the pixel with the given coverage.
    void over(int x, int y, Col c, float coverage = 1.f);

    // Fill a shape: sdf(x, y) is its signed distance, paint(x, y) its colour.
    // soft widens the anti-aliased edge (1 = one pixel). Only pixels inside the
    // bounds (x0, y0)-(x1, y1) are visited.
    template <class Sdf, class Paint>
    void fill(float x0, float y0, float x1, float y1, Sdf sdf, Paint paint, float soft = 1.f) {
        int ix0 = std::max(0, int(std::floor(x0))), iy0 = std::max(0, int(std::floor(y0)));
        int ix1 = std::min(w_, int(std::ceil(x1))), iy1 = std::min(h_, int(std::ceil(y1)));
        for (int y = iy0; y < iy1; ++y)
            for (int x = ix0; x < ix1; ++x) {
                float cx = x + 0.5f, cy = y + 0.5f;
                float cov = clamp01(0.5f - sdf(cx, cy) / soft);
                if (cov > 0) over(x, y, paint(cx, cy), cov);
            }
    }
    template <class Sdf>
    void fillCol(float x0, float y0, float x1, float y1, Sdf sdf, Col c, float soft = 1.f) {
        fill(x0, y0, x1, y1, sdf, [c](float, float) { return c; }, soft);
    }
    // Whole-canvas variants.
    template <class Sdf, class Paint>
    void fill(Sdf sdf, Paint paint, float soft = 1.f) {
        fill(0, 0, float(w_), float(h_), sdf, paint, soft);
    }
    template <class Sdf>
    void fillCol(Sdf sdf, Col c, float soft = 1.f) {
        fillCol(0, 0, float(w_), float(h_), sdf, c, soft);
    }
    // A glow around a shape: full inside, fading to nothing radius pixels out.
    template <class Sdf>
    void glow(Sdf sdf, Col c, float radius) {
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x) {
                float d = sdf(x + 0.5f, y + 0.5f);
                float k = d <= 0 ? 1.f : clamp01(1 - d / radius);
                if (k > 0) over(x, y, c, k * k);
            }
    }

    // Composite another canvas over this one with its top-left at (dx, dy).
    void draw(const Canvas& src, int dx, int dy, float alpha = 1.f);
    // Copy pixels as they are (no blending).
    void copy(const Canvas& src, int dx, int dy);
    // Box-filtered reduction by an integer factor (for supersampled drawing).
    Canvas reduced(int factor) const;
    // Multiply every pixel's alpha.
    void fade(float k);

    // 8-bit RGBA, rows top to bottom. Pixels that would read as the engine's
    // transparent key colours (pure magenta or cyan) are nudged off them.
    std::vector<unsigned char> rgba8() const;
    bool save(const std::string& path) const;

private:
    int w_ = 0, h_ = 0;
    std::vector<Col> px_;
};

// Sheet assembly: frame k of a sheet with cols columns of f-pixel frames.
inline void placeFrame(Canvas& sheet, const Canvas& frame, int k, int cols, int f) {
    sheet.copy(frame, (k % cols) * f, (k / cols) * f);
}
