#include "Glyphs.h"

#include "Canvas.h"

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

const int fontw[132] = {
    15, 5,  12, 19, 15, 22, 15, 5,  10, 10, 15, 15, 5,  15, 5,  15,  // space to /
    16, 16, 16, 16, 16, 16, 16, 16, 16, 16,                          // 0 to 9
    5,  5,  15, 15, 15, 15, 25,                                      // : to @
    15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 22,              // A to M
    15, 15, 15, 15, 15, 15, 15, 15, 16, 22, 15, 15, 15,              // N to Z
    10, 15, 10, 12, 16, 5,                                           // [ to `
    15, 15, 15, 15, 15, 15, 15, 15, 5,  10, 15, 5,  25,              // a to m
    15, 15, 15, 15, 15, 15, 15, 15, 15, 22, 15, 15, 15,              // n to z
    11, 5,  12, 25, 0,                                               // { to code 127
};

namespace {

// Skeletons in the glyph box (u across, v down; 0.36 is the x-height).
//   M u v        start a new stroke        L u v           line to
//   Q cu cv u v  quadratic curve to        D u v           a dot
//   A cu cv ru rv a0 a1   elliptic arc from angle a0 to a1 (degrees, 90 = down),
//                         joined to the stroke so far
//   a ...        the same arc as a new stroke      O cu cv ru rv   a whole ellipse
const char* const kSkeleton[96] = {
    "",                                                                                   // space
    "M0 0 L0 0.66 D0 1",                                                                  // !
    "M0 0 L0 0.26 M1 0 L1 0.26",                                                          // "
    "M0.38 0.08 L0.22 0.96 M0.82 0.08 L0.66 0.96 M0 0.34 L1 0.34 M0 0.7 L0.96 0.7",       // #
    "a0.5 0.25 0.5 0.25 -25 -270 A0.5 0.75 0.5 0.25 -90 155 M0.5 -0.12 L0.5 1.12",        // $
    "M0.9 0.02 L0.1 0.98 O0.15 0.17 0.15 0.17 O0.85 0.83 0.15 0.17",                      // %
    "M1 1 L0.28 0.42 Q0.05 0.22 0.25 0.06 Q0.45 -0.06 0.62 0.1 Q0.75 0.3 0.4 0.5 "
    "Q0 0.72 0.12 0.9 Q0.3 1.08 0.62 0.9 L0.95 0.58",                                     // &
    "M0 0 L0 0.26",                                                                       // '
    "M1 -0.06 Q-0.1 0.5 1 1.06",                                                          // (
    "M0 -0.06 Q1.1 0.5 0 1.06",                                                           // )
    "M0.5 0.04 L0.5 0.52 M0.08 0.16 L0.92 0.4 M0.92 0.16 L0.08 0.4",                      // *
    "M0.5 0.32 L0.5 0.92 M0 0.62 L1 0.62",                                                // +
    "M0 0.96 L0 1.22",                                                                    // ,
    "M0.1 0.62 L0.9 0.62",                                                                // -
    "D0 1",                                                                               // .
    "M1 0 L0 1",                                                                          // /
    "O0.5 0.5 0.5 0.5 M0.7 0.3 L0.3 0.7",                                                 // 0
    "M0.15 0.22 L0.55 0 L0.55 1 M0.15 1 L0.95 1",                                         // 1
    "a0.5 0.28 0.5 0.28 195 380 L0 1 L1 1",                                               // 2
    "a0.5 0.25 0.5 0.25 -155 90 A0.5 0.75 0.5 0.25 -90 155",                              // 3
    "M0.72 1 L0.72 0 L0 0.68 L1 0.68",                                                    // 4
    "M0.92 0 L0.12 0 L0.06 0.46 A0.5 0.68 0.5 0.32 -140 150",                             // 5
    "O0.5 0.68 0.5 0.32 M0.85 0.02 Q0 0.15 0 0.68",                                       // 6
    "M0 0 L1 0 L0.35 1",                                                                  // 7
    "O0.5 0.25 0.43 0.25 O0.5 0.75 0.5 0.25",                                             // 8
    "O0.5 0.32 0.5 0.32 M1 0.32 Q1 0.85 0.15 0.98",                                       // 9
    "D0 0.45 D0 1",                                                                       // :
    "D0 0.45 M0 0.96 L0 1.22",                                                            // ;
    "M1 0.28 L0 0.62 L1 0.96",                                                            // <
    "M0 0.46 L1 0.46 M0 0.78 L1 0.78",                                                    // =
    "M0 0.28 L1 0.62 L0 0.96",                                                            // >
    "a0.5 0.25 0.5 0.25 190 450 L0.5 0.66 D0.5 1",                                        // ?
    "O0.5 0.57 0.2 0.22 M0.7 0.35 L0.7 0.72 Q0.72 0.9 0.88 0.84 Q1 0.76 1 0.55 "
    "A0.5 0.55 0.5 0.5 0 -300",                                                           // @
    "M0 1 L0.5 0 L1 1 M0.2 0.64 L0.8 0.64",                                               // A
    "M0 1 L0 0 L0.55 0 A0.55 0.25 0.4 0.25 -90 90 L0 0.5 M0.55 0.5 "
    "A0.58 0.75 0.42 0.25 -90 90 L0 1",                                                   // B
    "a0.5 0.5 0.5 0.5 -40 -320",                                                          // C
    "M0 0 L0 1 L0.4 1 A0.4 0.5 0.6 0.5 90 -90 L0 0",                                      // D
    "M1 0 L0 0 L0 1 L1 1 M0 0.5 L0.8 0.5",                                                // E
    "M1 0 L0 0 L0 1 M0 0.5 L0.8 0.5",                                                     // F
    "a0.5 0.5 0.5 0.5 -40 -360 L1 0.56 L0.55 0.56",                                       // G
    "M0 0 L0 1 M1 0 L1 1 M0 0.5 L1 0.5",                                                  // H
    "M0.5 0 L0.5 1 M0.15 0 L0.85 0 M0.15 1 L0.85 1",                                      // I
    "M1 0 L1 0.68 A0.5 0.68 0.5 0.32 0 180",                                              // J
    "M0 0 L0 1 M1 0 L0 0.62 M0.32 0.42 L1 1",                                             // K
    "M0 0 L0 1 L1 1",                                                                     // L
    "M0 1 L0 0 L0.5 0.62 L1 0 L1 1",                                                      // M
    "M0 1 L0 0 L1 1 L1 0",                                                                // N
    "O0.5 0.5 0.5 0.5",                                                                   // O
    "M0 1 L0 0 L0.58 0 A0.58 0.26 0.42 0.26 -90 90 L0 0.52",                              // P
    "O0.5 0.5 0.5 0.5 M0.62 0.72 L1 1.08",                                                // Q
    "M0 1 L0 0 L0.58 0 A0.58 0.26 0.42 0.26 -90 90 L0 0.52 M0.5 0.52 L1 1",               // R
    "a0.5 0.25 0.5 0.25 -25 -270 A0.5 0.75 0.5 0.25 -90 155",                             // S
    "M0 0 L1 0 M0.5 0 L0.5 1",                                                            // T
    "M0 0 L0 0.62 A0.5 0.62 0.5 0.38 180 0 L1 0",                                         // U
    "M0 0 L0.5 1 L1 0",                                                                   // V
    "M0 0 L0.24 1 L0.5 0.32 L0.76 1 L1 0",                                                // W
    "M0 0 L1 1 M1 0 L0 1",                                                                // X
    "M0 0 L0.5 0.52 L1 0 M0.5 0.52 L0.5 1",                                               // Y
    "M0 0 L1 0 L0 1 L1 1",                                                                // Z
    "M1 -0.06 L0 -0.06 L0 1.06 L1 1.06",                                                  // [
    "M0 0 L1 1",                                                                          // backslash
    "M0 -0.06 L1 -0.06 L1 1.06 L0 1.06",                                                  // ]
    "M0 0.34 L0.5 0 L1 0.34",                                                             // ^
    "M0 1.24 L1 1.24",                                                                    // _
    "M0 0 L0 0.2",                                                                        // `
    "O0.5 0.68 0.5 0.32 M1 0.36 L1 1",                                                    // a
    "M0 0 L0 1 O0.5 0.68 0.5 0.32",                                                       // b
    "a0.5 0.68 0.5 0.32 -40 -320",                                                        // c
    "M1 0 L1 1 O0.5 0.68 0.5 0.32",                                                       // d
    "M0 0.68 L1 0.68 A0.5 0.68 0.5 0.32 0 -320",                                          // e
    "M0.95 0.04 Q0.35 -0.06 0.35 0.32 L0.35 1 M0 0.36 L0.85 0.36",                        // f
    "O0.5 0.68 0.5 0.32 M1 0.36 L1 1.1 A0.5 1.1 0.5 0.26 0 150",                          // g
    "M0 0 L0 1 a0.5 0.7 0.5 0.34 180 360 L1 1",                                           // h
    "M0 0.36 L0 1 D0 0.1",                                                                // i
    "M1 0.36 L1 1.1 Q1 1.36 0 1.32 D1 0.1",                                               // j
    "M0 0 L0 1 M1 0.36 L0 0.76 M0.34 0.62 L1 1",                                          // k
    "M0 0 L0 1",                                                                          // l
    "M0 1 L0 0.36 a0.25 0.7 0.25 0.34 180 360 L0.5 1 a0.75 0.7 0.25 0.34 180 360 L1 1",   // m
    "M0 1 L0 0.36 a0.5 0.7 0.5 0.34 180 360 L1 1",                                        // n
    "O0.5 0.68 0.5 0.32",                                                                 // o
    "M0 0.36 L0 1.36 O0.5 0.68 0.5 0.32",                                                 // p
    "M1 0.36 L1 1.36 O0.5 0.68 0.5 0.32",                                                 // q
    "M0 1 L0 0.36 a0.62 0.76 0.62 0.4 180 292",                                           // r
    "a0.5 0.52 0.5 0.16 -25 -270 A0.5 0.84 0.5 0.16 -90 155",                             // s
    "M0.35 0.08 L0.35 0.82 Q0.35 1 0.62 1 L0.95 1 M0 0.36 L0.9 0.36",                     // t
    "M0 0.36 L0 0.66 A0.5 0.66 0.5 0.34 180 0 M1 0.36 L1 1",                              // u
    "M0 0.36 L0.5 1 L1 0.36",                                                             // v
    "M0 0.36 L0.24 1 L0.5 0.5 L0.76 1 L1 0.36",                                           // w
    "M0 0.36 L1 1 M1 0.36 L0 1",                                                          // x
    "M0 0.36 L0.5 0.96 M1 0.36 L0.42 1.14 Q0.32 1.36 0.02 1.32",                          // y
    "M0 0.36 L1 0.36 L0 1 L1 1",                                                          // z
    "M1 -0.06 Q0.45 -0.06 0.45 0.22 L0.45 0.34 Q0.45 0.5 0 0.5 Q0.45 0.5 0.45 0.66 "
    "L0.45 0.78 Q0.45 1.06 1 1.06",                                                       // {
    "M0 -0.08 L0 1.12",                                                                   // |
    "M0 -0.06 Q0.55 -0.06 0.55 0.22 L0.55 0.34 Q0.55 0.5 1 0.5 Q0.55 0.5 0.55 0.66 "
    "L0.55 0.78 Q0.55 1.06 0 1.06",                                                       // }
    "M0 0.66 Q0.25 0.3 0.5 0.6 Q0.75 0.9 1 0.54",                                         // ~
    "",                                                                                   // code 127
};

class StrokeBuilder {
public:
    StrokeBuilder(const GlyphBox& b, std::vector<Seg>& out) : box_(b), out_(out) {}
    void moveTo(float u, float v) {
        cu_ = u;
        cv_ = v;
        open_ = true;
    }
    void lineTo(float u, float v) {
        if (open_) out_.push_back({X(cu_), Y(cv_), X(u), Y(v)});
        moveTo(u, v);
    }
    void dot(float u, float v) {
        out_.push_back({X(u), Y(v), X(u), Y(v)});
        open_ = false;
    }
    void quadTo(float qu, float qv, float u, float v) {
        float su = cu_, sv = cv_;
        const int n = 12;
        for (int i = 1; i <= n; ++i) {
            float t = float(i) / n, s = 1 - t;
            lineTo(s * s * su + 2 * s * t * qu + t * t * u, s * s * sv + 2 * s * t * qv + t * t * v);
        }
    }
    void arc(float cu, float cv, float ru, float rv, float a0, float a1, bool join) {
        int n = std::max(8, int(std::fabs(a1 - a0) / 8));
        float u0 = cu + ru * std::cos(rad(a0)), v0 = cv + rv * std::sin(rad(a0));
        if (join && open_)
            lineTo(u0, v0);
        else
            moveTo(u0, v0);
        for (int i = 1; i <= n; ++i) {
            float a = rad(a0 + (a1 - a0) * i / n);
            lineTo(cu + ru * std::cos(a), cv + rv * std::sin(a));
        }
    }

private:
    float X(float u) const { return box_.left + u * box_.width; }
    float Y(float v) const { return box_.top + v * box_.height; }
    GlyphBox box_;
    std::vector<Seg>& out_;
    float cu_ = 0, cv_ = 0;
    bool open_ = false;
};

}  // namespace

bool glyphStrokes(int c, const GlyphBox& box, std::vector<Seg>& out) {
    if (c < 32 || c > 127) return false;
    const char* src = kSkeleton[c - 32];
    if (!*src) return false;
    StrokeBuilder b(box, out);
    std::istringstream in(src);
    std::string tok;
    auto num = [&in]() {
        std::string t;
        in >> t;
        return float(std::atof(t.c_str()));
    };
    while (in >> tok) {
        char cmd = tok[0];
        // A number may be glued to its command letter ("M0" then "0").
        if (tok.size() > 1) in.seekg(-std::streamoff(tok.size() - 1), std::ios::cur);
        if (cmd == 'M') {
            float u = num(), v = num();
            b.moveTo(u, v);
        } else if (cmd == 'L') {
            float u = num(), v = num();
            b.lineTo(u, v);
        } else if (cmd == 'D') {
            float u = num(), v = num();
            b.dot(u, v);
        } else if (cmd == 'Q') {
            float qu = num(), qv = num(), u = num(), v = num();
            b.quadTo(qu, qv, u, v);
        } else if (cmd == 'A' || cmd == 'a') {
            float cu = num(), cv = num(), ru = num(), rv = num(), a0 = num(), a1 = num();
            b.arc(cu, cv, ru, rv, a0, a1, cmd == 'A');
        } else if (cmd == 'O') {
            float cu = num(), cv = num(), ru = num(), rv = num();
            b.arc(cu, cv, ru, rv, 0, 360, false);
        }
    }
    return true;
}

float strokeDistance(const std::vector<Seg>& segs, float x, float y) {
    float best = 1e9f;
    for (const Seg& s : segs) best = std::min(best, sd::segment(x, y, s.ax, s.ay, s.bx, s.by));
    return best;
}

void strokeBounds(const std::vector<Seg>& segs, float& x0, float& y0, float& x1, float& y1) {
    x0 = y0 = 1e9f;
    x1 = y1 = -1e9f;
    for (const Seg& s : segs) {
        x0 = std::min({x0, s.ax, s.bx});
        x1 = std::max({x1, s.ax, s.bx});
        y0 = std::min({y0, s.ay, s.by});
        y1 = std::max({y1, s.ay, s.by});
    }
}

DistanceField::DistanceField(int w, int h, const std::vector<Seg>& segs, float maxDist)
    : w_(w), h_(h), max_(maxDist), d_(size_t(w) * h, maxDist) {
    // Splat each segment over its neighbourhood only: cheap even for big letters.
    for (const Seg& s : segs) {
        int x0 = std::max(0, int(std::floor(std::min(s.ax, s.bx) - maxDist)));
        int x1 = std::min(w - 1, int(std::ceil(std::max(s.ax, s.bx) + maxDist)));
        int y0 = std::max(0, int(std::floor(std::min(s.ay, s.by) - maxDist)));
        int y1 = std::min(h - 1, int(std::ceil(std::max(s.ay, s.by) + maxDist)));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                float d = sd::segment(x + 0.5f, y + 0.5f, s.ax, s.ay, s.bx, s.by);
                float& cell = d_[size_t(y) * w + x];
                if (d < cell) cell = d;
            }
    }
}

float DistanceField::at(float x, float y) const {
    float fx = x - 0.5f, fy = y - 0.5f;
    int ix = int(std::floor(fx)), iy = int(std::floor(fy));
    float tx = fx - ix, ty = fy - iy;
    auto g = [this](int x, int y) {
        if (x < 0 || y < 0 || x >= w_ || y >= h_) return max_;
        return d_[size_t(y) * w_ + x];
    };
    return lerp(lerp(g(ix, iy), g(ix + 1, iy), tx), lerp(g(ix, iy + 1), g(ix + 1, iy + 1), tx), ty);
}
