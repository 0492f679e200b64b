// particles.png: 12 groups of 12 frames, 32 pixels each, one group per row.
// A particle picks a random frame of its group, so each row holds twelve
// variants of one kind of shape (size, turn, thickness). The game tints them
// by hue, so they are drawn white and grey with soft glows.
//
//   0 sparkles   1 chips   2 shards   3 rings    4 stars   5 orbs
//   6 crosses    7 hearts  8 gems     9 comets  10 pellets 11 flakes
#include "Pictures.h"

#include <functional>

namespace {

constexpr int F = 32;
constexpr float C = 16;  // frame centre

using Sdf = std::function<float(float, float)>;

// Shaded shape: a glow, a grey rim and a face lit from the upper left.
void shape(Canvas& c, const Sdf& d, float glowAlpha, float face = 0.9f) {
    if (glowAlpha > 0) c.glow(d, grey(1.f, glowAlpha), 3.5f);
    c.fillCol([&](float x, float y) { return d(x, y) - 0.8f; }, grey(0.45f));
    c.fill(d, [&](float x, float y) {
        float lit = clamp01(0.5f + ((C - x) + (C - y)) / 24.f);
        return grey(std::min(1.f, face - 0.15f + 0.25f * lit));
    });
}

Sdf rotated(const Sdf& d, float deg) {
    return [d, deg](float x, float y) {
        sd::rotate(x, y, C, C, -deg);
        return d(x, y);
    };
}

Canvas sparkle(int i, Rng& rng) {
    Canvas c(F, F);
    float r = 7 + i * 0.7f, turn = rng.range(0, 45);
    auto pts = sd::starPoints(C, C, 4, r, r * 0.24f, turn);
    Sdf star = [pts](float x, float y) { return sd::polygon(x, y, pts); };
    c.glow(star, grey(1.f, 0.4f), 4.f);
    c.fillCol(star, grey(1.f));
    c.fillCol([&](float x, float y) { return sd::circle(x, y, C, C, r * 0.2f); }, grey(1.f));
    return c;
}

Canvas chip(int i, Rng& rng) {
    Canvas c(F, F);
    float h = 4 + (i % 6) * 1.1f, w = h * rng.range(0.7f, 1.3f);
    shape(c, rotated([=](float x, float y) { return sd::box(x, y, C, C, w, h, 1.5f); }, rng.range(0, 90)), 0);
    return c;
}

Canvas shard(int i, Rng& rng) {
    Canvas c(F, F);
    float r = 6 + (i % 6) * 1.3f;
    std::vector<sd::Pt> pts;
    float a0 = rng.range(0, 360);
    for (int k = 0; k < 3; ++k) {
        float a = rad(a0 + k * 120 + rng.range(-30, 30));
        float rr = r * rng.range(0.6f, 1.f);
        pts.push_back({C + std::cos(a) * rr, C + std::sin(a) * rr});
    }
    shape(c, [pts](float x, float y) { return sd::polygon(x, y, pts) - 0.6f; }, 0);
    return c;
}

Canvas ringShape(int i, Rng&) {
    Canvas c(F, F);
    float r = 5 + (i % 6) * 1.4f, w = 1.4f + (i / 6) * 0.8f;
    Sdf d = [=](float x, float y) { return sd::ring(x, y, C, C, r, w); };
    c.glow(d, grey(1.f, 0.35f), 3.f);
    c.fillCol(d, grey(1.f));
    return c;
}

Canvas star5(int i, Rng& rng) {
    Canvas c(F, F);
    float r = 6 + (i % 6) * 1.3f;
    auto pts = sd::starPoints(C, C, 5, r, r * 0.45f, rng.range(0, 72));
    shape(c, [pts](float x, float y) { return sd::polygon(x, y, pts) - 0.8f; }, 0.3f);
    return c;
}

Canvas orb(int i, Rng&) {
    Canvas c(F, F);
    float r = 3.5f + (i % 6) * 1.2f;
    c.glow([=](float x, float y) { return sd::circle(x, y, C, C, r); }, grey(1.f, 0.45f), r * 0.9f + 2);
    c.fill([=](float x, float y) { return sd::circle(x, y, C, C, r); },
           [=](float x, float y) { return grey(1.f - 0.25f * clamp01(std::hypot(x - C + r * 0.3f, y - C + r * 0.3f) / r)); });
    return c;
}

Canvas cross(int i, Rng& rng) {
    Canvas c(F, F);
    float r = 6 + (i % 6) * 1.2f, w = 1.8f + (i / 6) * 0.7f;
    shape(c,
          rotated([=](float x, float y) {
              return std::min(sd::capsule(x, y, C - r, C, C + r, C, w), sd::capsule(x, y, C, C - r, C, C + r, w));
          },
                  rng.range(-20, 20) + (i % 2) * 45),
          0.3f);
    return c;
}

Canvas heart(int i, Rng& rng) {
    Canvas c(F, F);
    float s = 0.55f + (i % 6) * 0.09f;
    Sdf d = [=](float x, float y) {
        float u = (x - C) / s, v = (y - C) / s;
        // Two lobes and a point, in a 24-unit design box.
        float lobes = std::min(sd::circle(u, v, -5, -3, 6), sd::circle(u, v, 5, -3, 6));
        auto tip = std::vector<sd::Pt>{{-10.6f, -0.6f}, {10.6f, -0.6f}, {0, 11}};
        return std::min(lobes, sd::polygon(u, v, tip)) * s;
    };
    shape(c, rotated(d, rng.range(-25, 25)), 0.3f);
    return c;
}

Canvas gem(int i, Rng& rng) {
    Canvas c(F, F);
    float h = 7 + (i % 6) * 1.2f, w = h * 0.7f;
    auto pts = std::vector<sd::Pt>{{C, C - h}, {C + w, C}, {C, C + h}, {C - w, C}};
    float turn = rng.range(-30, 30);
    Sdf d = rotated([pts](float x, float y) { return sd::polygon(x, y, pts) - 0.6f; }, turn);
    c.glow(d, grey(1.f, 0.3f), 3.f);
    c.fillCol([&](float x, float y) { return d(x, y) - 0.8f; }, grey(0.45f));
    // Facets: each quarter of the gem a different grey.
    c.fill(d, [=](float x, float y) {
        sd::rotate(x, y, C, C, -turn);
        int q = (x < C ? 0 : 1) + (y < C ? 0 : 2);
        const float tone[4] = {1.f, 0.85f, 0.78f, 0.62f};
        return grey(tone[q]);
    });
    return c;
}

Canvas comet(int i, Rng& rng) {
    Canvas c(F, F);
    float len = 12 + (i % 6) * 2.f, r = 2.6f + (i / 6) * 0.9f;
    float turn = rng.range(0, 360);
    float hx = C + std::cos(rad(turn)) * len * 0.5f, hy = C + std::sin(rad(turn)) * len * 0.5f;
    float tx = C - std::cos(rad(turn)) * len * 0.5f, ty = C - std::sin(rad(turn)) * len * 0.5f;
    // The tail thins and fades away from the head.
    for (int k = 0; k <= 12; ++k) {
        float t = k / 12.f;
        float x = lerp(tx, hx, t), y = lerp(ty, hy, t);
        c.fillCol([=](float px, float py) { return sd::circle(px, py, x, y, r * (0.35f + 0.65f * t)); }, grey(1.f, 0.15f + 0.3f * t));
    }
    c.glow([=](float x, float y) { return sd::circle(x, y, hx, hy, r); }, grey(1.f, 0.4f), 3.f);
    c.fillCol([=](float x, float y) { return sd::circle(x, y, hx, hy, r); }, grey(1.f));
    return c;
}

Canvas pellets(int i, Rng& rng) {
    Canvas c(F, F);
    int n = 2 + i % 3;
    for (int k = 0; k < n; ++k) {
        float a = rad(rng.range(0, 360)), d = rng.range(3, 9);
        float x = C + std::cos(a) * d, y = C + std::sin(a) * d, r = rng.range(2.2f, 3.6f);
        shape(c, [=](float px, float py) { return sd::circle(px, py, x, y, r); }, 0.25f);
    }
    return c;
}

Canvas flake(int i, Rng& rng) {
    Canvas c(F, F);
    float r = 6 + (i % 6) * 1.2f;
    float turn = rng.range(0, 60);
    Sdf d = [=](float x, float y) {
        float best = 1e9f;
        for (int k = 0; k < 6; ++k) {
            float a = rad(turn + k * 60), ca = std::cos(a), sa = std::sin(a);
            float ex = C + ca * r, ey = C + sa * r;
            best = std::min(best, sd::capsule(x, y, C, C, ex, ey, 1.2f));
            // Small side twigs two thirds out.
            float bx = C + ca * r * 0.6f, by = C + sa * r * 0.6f;
            float a1 = a + rad(45), a2 = a - rad(45);
            best = std::min(best, sd::capsule(x, y, bx, by, bx + std::cos(a1) * r * 0.3f, by + std::sin(a1) * r * 0.3f, 1.f));
            best = std::min(best, sd::capsule(x, y, bx, by, bx + std::cos(a2) * r * 0.3f, by + std::sin(a2) * r * 0.3f, 1.f));
        }
        return best;
    };
    c.glow(d, grey(1.f, 0.3f), 2.5f);
    c.fillCol(d, grey(1.f));
    return c;
}

}  // namespace

Canvas makeParticles() {
    using Maker = Canvas (*)(int, Rng&);
    const Maker groups[12] = {sparkle, chip, shard, ringShape, star5, orb, cross, heart, gem, comet, pellets, flake};
    Canvas sheet(12 * F, 12 * F);
    for (int g = 0; g < 12; ++g) {
        Rng rng(1000 + g);
        for (int i = 0; i < 12; ++i) placeFrame(sheet, groups[g](i, rng), g * 12 + i, 12, F);
    }
    return sheet;
}
