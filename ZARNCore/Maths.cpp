// Angles in degrees, distances, turning and the collision tests.
#include <cmath>

#include "ZARNCore.h"

namespace {
constexpr float DegToRad = 0.0174532925f;
// Not the exact 180/pi: headings have always come out with this factor.
constexpr float RadPerDeg = 0.017453f;
}  // namespace

float ZARNCore::Sin(float a) { return std::sin(a * DegToRad); }
float ZARNCore::Cos(float a) { return std::cos(a * DegToRad); }

float ZARNCore::Atan2(float y, float x) { return std::atan2(y, x) / RadPerDeg; }
float ZARNCore::aTan2(float y, float x) { return Atan2(y, x); }

// Heading from point 1 to point 2: 0 is up the screen, 90 is to the right.
float ZARNCore::Atan2(float x1, float y1, float x2, float y2) {
    return std::atan2(x2 - x1, y1 - y2) / RadPerDeg;
}
float ZARNCore::aTan2(float x1, float y1, float x2, float y2) { return Atan2(x1, y1, x2, y2); }

float ZARNCore::Mod(float a, float b) { return std::fmod(a, b); }
float ZARNCore::Abs(float f) { return std::fabs(f); }
int ZARNCore::Abs(int i) { return i < 0 ? -i : i; }

float ZARNCore::Dist(float x1, float y1, float x2, float y2) { return Pyth(x2 - x1, y2 - y1); }
float ZARNCore::Pyth(float a, float b) { return std::sqrt(a * a + b * b); }

float ZARNCore::WhichWayDoIGo(float from, float to) { return WhichWayDoIGo(from, to, 0, 359); }

float ZARNCore::WhichWayDoIGo(float from, float to, float lo, float hi) {
    float n = hi - lo + 1;
    float a = Mod(from, n);
    if (a < 0) a += n;
    float b = Mod(to, n);
    if (b < 0) b += n;
    float d = Mod(b - a, n);
    if (d < 0) d += n;
    float t = d + lo;
    // A turn of exactly half a circle goes the negative way.
    if (t <= (hi - lo) / 2 + lo) return t;
    return t - n;
}

int ZARNCore::SpiralAt(int x, int y, int w, int h) {
    enum { Up, Right, Down, Left };
    const int cx = (w + 1) / 2;
    const int cy = (h + 1) / 2;
    int px = cx, py = cy;
    int step = 1, r = 0, dir = Up;
    for (;;) {
        if (px == x && py == y) return step;
        switch (dir) {
        case Up:
            py -= 1;
            if (py < cy - r) {
                r += 1;
                dir = Right;
            }
            break;
        case Right:
            px += 1;
            if (px + 1 > cx + r) {
                px = cx + r;
                dir = Down;
            }
            break;
        case Down:
            py += 1;
            if (py + 1 > cy + r) {
                py = cy + r;
                dir = Left;
            }
            break;
        default:
            px -= 1;
            if (px - 1 < cx - r) {
                px = cx - r;
                dir = Up;
            }
            break;
        }
        if (px < 1 || px > w || py < 1 || py > h) return 0;
        step += 1;
    }
}

int ZARNCore::Collide_Point_Circle(float px, float py, float cx, float cy, float r) {
    LastColPointX = LastColPointY = NoCrossing;
    float dx = px - cx, dy = py - cy;
    return r * r >= dx * dx + dy * dy ? 1 : 0;
}

int ZARNCore::Collide_Circle_Circle(float x1, float y1, float r1, float x2, float y2, float r2) {
    LastColPointX = LastColPointY = NoCrossing;
    float dx = x1 - x2, dy = y1 - y2, rr = r1 + r2;
    return rr * rr >= dx * dx + dy * dy ? 1 : 0;
}

int ZARNCore::Collide_Line_Line(float x1, float y1, float x2, float y2, float x3, float y3, float x4,
                                float y4) {
    LastColPointX = LastColPointY = NoCrossing;
    float d = (y4 - y3) * (x2 - x1) - (x4 - x3) * (y2 - y1);
    if (d == 0) return 0;
    float na = (x4 - x3) * (y1 - y3) - (y4 - y3) * (x1 - x3);
    float nb = (x2 - x1) * (y1 - y3) - (y2 - y1) * (x1 - x3);
    float ua = na / d;
    float ub = nb / d;
    if (ua < 0 || ua > 1 || ub < 0 || ub > 1) return 0;
    LastColPointX = x1 + ua * (x2 - x1);
    LastColPointY = y1 + ua * (y2 - y1);
    return 1;
}

int ZARNCore::Collide_Rect_Rect(float x1, float y1, float w1, float h1, float x2, float y2, float w2,
                                float h2) {
    float l1 = x1 - w1 / 2, t1 = y1 - h1 / 2;
    float l2 = x2 - w2 / 2, t2 = y2 - h2 / 2;
    return (l2 + w2 >= l1 && l1 + w1 >= l2 && t2 + h2 >= t1 && t1 + h1 >= t2) ? 1 : 0;
}

namespace {
struct Edges {
    float l, r, t, b;
};

Edges EdgesOf(float x, float y, float w, float h) {
    return {x - w / 2, x + w / 2, y - h / 2, y + h / 2};
}

bool Within(float v, float lo, float hi) { return v >= lo && v <= hi; }

// Some vertical edge of `in` lies in `out`'s horizontal span and some
// horizontal edge in its vertical span.
bool EdgeInside(const Edges& in, const Edges& out) {
    bool h = Within(in.l, out.l, out.r) || Within(in.r, out.l, out.r);
    bool v = Within(in.t, out.t, out.b) || Within(in.b, out.t, out.b);
    return h && v;
}
}  // namespace

int ZARNCore::Collide_Rect_Rect_Complex(float x1, float y1, float w1, float h1, float x2, float y2,
                                        float w2, float h2) {
    Edges a = EdgesOf(x1, y1, w1, h1);
    Edges b = EdgesOf(x2, y2, w2, h2);
    return (EdgeInside(b, a) || EdgeInside(a, b)) ? 1 : 0;
}
