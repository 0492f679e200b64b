#include "Canvas.h"

#include <lodepng.h>

#include <cstdio>

namespace sd {
float polygon(float x, float y, const std::vector<Pt>& p) {
    size_t n = p.size();
    if (n < 3) return 1e9f;
    float d = (x - p[0].x) * (x - p[0].x) + (y - p[0].y) * (y - p[0].y);
    float s = 1;
    for (size_t i = 0, j = n - 1; i < n; j = i, ++i) {
        float ex = p[j].x - p[i].x, ey = p[j].y - p[i].y;
        float wx = x - p[i].x, wy = y - p[i].y;
        float t = clamp01((wx * ex + wy * ey) / (ex * ex + ey * ey));
        float bx = wx - ex * t, by = wy - ey * t;
        d = std::min(d, bx * bx + by * by);
        bool c1 = y >= p[i].y, c2 = y < p[j].y, c3 = ex * wy > ey * wx;
        if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) s = -s;
    }
    return s * std::sqrt(d);
}

std::vector<Pt> starPoints(float cx, float cy, int n, float outer, float inner, float rotDeg) {
    std::vector<Pt> p;
    int steps = inner == outer ? n : n * 2;
    for (int i = 0; i < steps; ++i) {
        float r = (inner == outer || i % 2 == 0) ? outer : inner;
        float a = rad(rotDeg - 90) + i * 2 * kPi / steps;
        p.push_back({cx + std::cos(a) * r, cy + std::sin(a) * r});
    }
    return p;
}
}  // namespace sd

float hash2(int x, int y, int seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + uint32_t(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xffffff) / 16777215.f;
}

float noise2(float x, float y, int seed, int period) {
    int xi = int(std::floor(x)), yi = int(std::floor(y));
    float fx = x - xi, fy = y - yi;
    auto wrap = [period](int v) { return period > 0 ? ((v % period) + period) % period : v; };
    float a = hash2(wrap(xi), wrap(yi), seed), b = hash2(wrap(xi + 1), wrap(yi), seed);
    float c = hash2(wrap(xi), wrap(yi + 1), seed), d = hash2(wrap(xi + 1), wrap(yi + 1), seed);
    float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    return lerp(lerp(a, b, sx), lerp(c, d, sx), sy);
}

float fbm(float x, float y, int seed, int octaves, int period) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * noise2(x, y, seed + i * 17, period);
        norm += amp;
        x *= 2;
        y *= 2;
        if (period > 0) period *= 2;
        amp *= 0.5f;
    }
    return sum / norm;
}

void Canvas::over(int x, int y, Col c, float coverage) {
    if (!inside(x, y)) return;
    Col& d = px_[size_t(y) * w_ + x];
    float sa = clamp01(c.a * coverage);
    if (sa <= 0) return;
    float da = d.a * (1 - sa);
    float oa = sa + da;
    d.r = (c.r * sa + d.r * da) / oa;
    d.g = (c.g * sa + d.g * da) / oa;
    d.b = (c.b * sa + d.b * da) / oa;
    d.a = oa;
}

void Canvas::draw(const Canvas& src, int dx, int dy, float alpha) {
    for (int y = 0; y < src.h_; ++y)
        for (int x = 0; x < src.w_; ++x) {
            const Col& c = src.px_[size_t(y) * src.w_ + x];
            if (c.a > 0) over(x + dx, y + dy, c, alpha);
        }
}

void Canvas::copy(const Canvas& src, int dx, int dy) {
    for (int y = 0; y < src.h_; ++y)
        for (int x = 0; x < src.w_; ++x) set(x + dx, y + dy, src.px_[size_t(y) * src.w_ + x]);
}

Canvas Canvas::reduced(int f) const {
    Canvas out(w_ / f, h_ / f);
    float n = float(f * f);
    for (int y = 0; y < out.h_; ++y)
        for (int x = 0; x < out.w_; ++x) {
            // Average premultiplied colour so transparent pixels do not darken edges.
            float r = 0, g = 0, b = 0, a = 0;
            for (int j = 0; j < f; ++j)
                for (int i = 0; i < f; ++i) {
                    const Col& c = px_[size_t(y * f + j) * w_ + x * f + i];
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            if (a > 0) out.px_[size_t(y) * out.w_ + x] = {r / a, g / a, b / a, a / n};
        }
    return out;
}

void Canvas::fade(float k) {
    for (Col& c : px_) c.a *= k;
}

std::vector<unsigned char> Canvas::rgba8() const {
    std::vector<unsigned char> out(px_.size() * 4);
    auto byte = [](float v) { return (unsigned char)std::lround(clamp01(v) * 255.f); };
    for (size_t i = 0; i < px_.size(); ++i) {
        const Col& c = px_[i];
        unsigned char a = byte(c.a);
        unsigned char r = 0, g = 0, b = 0;
        if (a > 0) {
            r = byte(c.r);
            g = byte(c.g);
            b = byte(c.b);
            // The loader keys out magenta and cyan; keep painted pixels clear of them.
            if (r > 250 && g < 5 && b > 250) g = 5;
            if (r < 5 && g > 250 && b > 250) r = 5;
        }
        out[i * 4 + 0] = r;
        out[i * 4 + 1] = g;
        out[i * 4 + 2] = b;
        out[i * 4 + 3] = a;
    }
    return out;
}

bool Canvas::save(const std::string& path) const {
    // Always 8-bit RGBA, whatever the picture holds (no automatic grey or palette).
    lodepng::State state;
    state.encoder.auto_convert = 0;
    state.info_raw.colortype = LCT_RGBA;
    state.info_raw.bitdepth = 8;
    state.info_png.color.colortype = LCT_RGBA;
    state.info_png.color.bitdepth = 8;
    std::vector<unsigned char> png;
    unsigned err = lodepng::encode(png, rgba8(), unsigned(w_), unsigned(h_), state);
    if (!err) err = lodepng::save_file(png, path);
    if (err) {
        std::fprintf(stderr, "make_pictures: cannot write %s: %s\n", path.c_str(), lodepng_error_text(err));
        return false;
    }
    return true;
}
