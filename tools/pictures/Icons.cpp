// icons.png (64-pixel frames, 3 x 3) and options.png (32-pixel frames, 4 x 3).
//
// icons:   0 resume, 1 quit, 3 and 4 the outer and inner cog of the options
//          button (drawn turning against each other), 5 credits, 8 the tile
//          stamped 16 x 16 times for the scrolling backdrop.
// options: 0 back, 1 sound, 2 music, 3 screen, 6 debug, 7 controller,
//          8 thumbstick, 10 name, 11 motion.
#include "Pictures.h"

#include <functional>

namespace {

using Sdf = std::function<float(float, float)>;

float unite(float a, float b) { return std::min(a, b); }
float cut(float a, float hole) { return std::max(a, -hole); }

// White symbol with the house outline and a soft drop shadow, like the font.
void pictogram(Canvas& c, const Sdf& shape, float outline, float shadowDrop) {
    c.fill([&](float x, float y) { return shape(x - shadowDrop * 0.6f, y - shadowDrop) - outline; },
           [](float, float) { return alpha(palette::shadow, 0.5f); }, 2.f);
    c.fillCol([&](float x, float y) { return shape(x, y) - outline; }, alpha(palette::outline, 0.95f));
    c.fill(shape, [](float, float y) { return mix(grey(1.f), grey(0.9f), clamp01(y / float(64))); });
}

// A glossy round badge in the given colours, with a symbol on it.
Canvas badge(Col top, Col bottom, const Sdf& symbol) {
    Canvas c(64, 64);
    const float cx = 32, cy = 32, r = 27;
    auto disc = [=](float x, float y) { return sd::circle(x, y, cx, cy, r); };
    c.fill([&](float x, float y) { return disc(x - 1, y - 2) - 3; }, [](float, float) { return alpha(palette::shadow, 0.45f); },
           2.5f);
    c.fillCol([&](float x, float y) { return disc(x, y) - 3; }, palette::outline);
    c.fill(disc, [=](float x, float y) {
        float t = clamp01((y - (cy - r)) / (2 * r));
        Col col = mix(top, bottom, t);
        // Rim light along the top-left edge.
        float rim = clamp01(1 - std::fabs(disc(x, y) + 1.5f) / 1.5f) * clamp01(((cx - x) + (cy - y)) / r);
        return mix(col, grey(1.f), rim * 0.5f);
    });
    // Gloss on the upper half.
    c.fill([=](float x, float y) { return sd::ellipse(x, y, cx, cy - 12, 19, 11); },
           [=](float, float y) { return grey(1.f, 0.32f * clamp01(1 - (y - (cy - 23)) / 22)); });
    pictogram(c, symbol, 2.2f, 2.f);
    return c;
}

// Gear outline: teeth between root and tip radius, a round hole in the middle.
float gear(float x, float y, float cx, float cy, int teeth, float root, float tip, float hole, float turnDeg) {
    float dx = x - cx, dy = y - cy;
    float r = std::hypot(dx, dy);
    float a = std::atan2(dy, dx) - rad(turnDeg);
    float f = a / (2 * kPi) * teeth;
    f -= std::floor(f);                                   // 0..1 across one tooth period
    float w = std::fabs(f - 0.5f) * 2;                    // 0 at the tooth centre, 1 between teeth
    float rim = lerp(tip, root, smoothstep(0.42f, 0.62f, w));
    return std::max(r - rim, hole - r);
}

Canvas cog(int teeth, float root, float tip, float hole, Col light, Col dark, int boltHoles, float boltRadius) {
    Canvas c(64, 64);
    auto shape = [=](float x, float y) {
        float d = gear(x, y, 32, 32, teeth, root, tip, hole, 0);
        for (int i = 0; i < boltHoles; ++i) {
            float a = rad(i * 360.f / boltHoles - 90);
            d = cut(d, sd::circle(x, y, 32 + std::cos(a) * boltRadius, 32 + std::sin(a) * boltRadius, 2.4f));
        }
        return d;
    };
    c.fill([&](float x, float y) { return shape(x - 1, y - 1.5f) - 2; }, [](float, float) { return alpha(palette::shadow, 0.4f); },
           2.f);
    c.fillCol([&](float x, float y) { return shape(x, y) - 2; }, palette::outline);
    c.fill(shape, [&](float x, float y) {
        float t = clamp01(((x - 8) + (y - 8)) / 96.f);
        Col col = mix(light, dark, t);
        // Bevel: light on edges that face the upper left.
        float d = shape(x, y);
        if (d > -1.8f) {
            float nx = shape(x + 0.5f, y) - shape(x - 0.5f, y), ny = shape(x, y + 0.5f) - shape(x, y - 0.5f);
            float len = std::max(1e-4f, std::hypot(nx, ny));
            float lit = -(nx * 0.6f + ny * 0.8f) / len;
            col = lit > 0 ? mix(col, grey(1.f), lit * 0.6f) : mix(col, scale(dark, 0.6f), -lit * 0.5f);
        }
        return col;
    });
    return c;
}

// The backdrop tile: one soft slab carrying a pellet. Everything stays inside
// the tile, so the stamped field repeats without seams.
Canvas backdropTile() {
    Canvas c(64, 64);
    const float C = 32;
    auto slab = [=](float x, float y) { return sd::box(x, y, C, C, 28, 28, 12); };
    c.fill(slab, [&](float x, float y) {
        float d = -slab(x, y);
        if (d < 1.5f) return rgb(80, 70, 160, 0.9f);
        float lit = ((C - x) + (C - y)) / 56.f;
        Col face = mix(rgb(170, 166, 250), rgb(130, 140, 235), clamp01(y / 64.f));
        if (d < 4.f) return mix(face, lit > 0 ? rgb(236, 236, 255) : rgb(96, 96, 200), std::fabs(lit) * 0.8f);
        return face;
    });
    c.fillCol([=](float x, float y) { return sd::circle(x, y, C, C, 9); }, rgb(110, 100, 200));
    c.fillCol([=](float x, float y) { return sd::circle(x, y, C, C, 7); }, rgb(255, 236, 170));
    c.fillCol([=](float x, float y) { return sd::circle(x, y, C - 2.5f, C - 2.5f, 2.2f); }, rgb(255, 255, 240));
    return c;
}

}  // namespace

Canvas makeIcons() {
    const int F = 64;
    Canvas sheet(3 * F, 3 * F);
    auto put = [&](int k, const Canvas& c) { placeFrame(sheet, c, k, 3, F); };

    put(0, badge(rgb(140, 240, 120), rgb(30, 150, 70), [](float x, float y) {
        auto tri = std::vector<sd::Pt>{{26, 20}, {26, 44}, {45, 32}};
        return sd::polygon(x, y, tri) - 2.f;
    }));
    put(1, badge(rgb(255, 130, 110), rgb(190, 30, 60), [](float x, float y) {
        float ring = sd::arc(x, y, 32, 33, 11.5f, -50, 230, 2.6f);
        return unite(ring, sd::capsule(x, y, 32, 17, 32, 30, 2.6f));
    }));
    put(3, cog(10, 24, 29.5f, 16.5f, rgb(236, 240, 250), rgb(110, 124, 150), 5, 20.5f));
    put(4, cog(7, 11, 14, 4.5f, rgb(255, 232, 130), rgb(214, 120, 40), 0, 0));
    put(5, badge(rgb(180, 150, 255), rgb(90, 50, 190), [](float x, float y) {
        auto star = sd::starPoints(32, 33.5f, 5, 14, 6.2f, 0);
        return sd::polygon(x, y, star) - 1.5f;
    }));
    put(8, backdropTile());
    return sheet;
}

Canvas makeOptionIcons() {
    const int F = 32;
    Canvas sheet(4 * F, 3 * F);
    auto put = [&](int k, const Sdf& shape) {
        Canvas c(F, F);
        pictogram(c, shape, 1.6f, 1.5f);
        placeFrame(sheet, c, k, 4, F);
    };
    // Back: an arrow pointing left.
    put(0, [](float x, float y) {
        auto head = std::vector<sd::Pt>{{5, 16}, {15, 7}, {15, 25}};
        return unite(sd::polygon(x, y, head) - 1, sd::capsule(x, y, 13, 16, 26, 16, 3));
    });
    // Sound: a speaker and two waves.
    put(1, [](float x, float y) {
        auto cone = std::vector<sd::Pt>{{5, 12}, {10, 12}, {16, 6}, {16, 26}, {10, 20}, {5, 20}};
        float d = sd::polygon(x, y, cone) - 0.8f;
        d = unite(d, sd::arc(x, y, 16, 16, 6, -45, 45, 1.3f));
        return unite(d, sd::arc(x, y, 16, 16, 11, -50, 50, 1.3f));
    });
    // Music: two beamed notes.
    put(2, [](float x, float y) {
        float d = sd::ellipse(x, y, 9.5f, 23.5f, 4, 3);
        d = unite(d, sd::ellipse(x, y, 21.5f, 21.5f, 4, 3));
        d = unite(d, sd::capsule(x, y, 12.8f, 23, 12.8f, 9, 1.2f));
        d = unite(d, sd::capsule(x, y, 24.8f, 21, 24.8f, 7, 1.2f));
        auto beam = std::vector<sd::Pt>{{11.6f, 7.5f}, {26, 4.5f}, {26, 9.5f}, {11.6f, 12.5f}};
        return unite(d, sd::polygon(x, y, beam));
    });
    // Screen: a monitor on a stand.
    put(3, [](float x, float y) {
        float d = cut(sd::box(x, y, 16, 13.5f, 12.5f, 9, 2), sd::box(x, y, 16, 13.5f, 9.5f, 6, 0.5f));
        d = unite(d, sd::box(x, y, 16, 24.5f, 2, 2.5f));
        return unite(d, sd::capsule(x, y, 10, 27.5f, 22, 27.5f, 1.6f));
    });
    // Debug: a bug.
    put(6, [](float x, float y) {
        float d = cut(sd::ellipse(x, y, 16, 19, 6.5f, 8), sd::box(x, y, 16, 20, 0.6f, 6));
        d = unite(d, sd::circle(x, y, 16, 9.5f, 4));
        for (int s = -1; s <= 1; s += 2)
            for (int i = 0; i < 3; ++i) {
                float ly = 15 + i * 5.f;
                d = unite(d, sd::capsule(x, y, 16 + s * 6.f, ly, 16 + s * 11.f, ly - 2.f + i * 2.f, 1.1f));
            }
        d = unite(d, sd::capsule(x, y, 14, 6.5f, 11, 3, 1));
        return unite(d, sd::capsule(x, y, 18, 6.5f, 21, 3, 1));
    });
    // Controller: a gamepad with a cross pad and two buttons.
    put(7, [](float x, float y) {
        float d = sd::box(x, y, 16, 15, 12, 6.5f, 5);
        d = unite(d, sd::circle(x, y, 8.5f, 20, 5));
        d = unite(d, sd::circle(x, y, 23.5f, 20, 5));
        float pad = unite(sd::box(x, y, 9.5f, 15, 3.5f, 1.1f), sd::box(x, y, 9.5f, 15, 1.1f, 3.5f));
        float buttons = unite(sd::circle(x, y, 21.5f, 13.5f, 1.7f), sd::circle(x, y, 24.5f, 17, 1.7f));
        return cut(cut(d, pad), buttons);
    });
    // Stick: a thumbstick on its base.
    put(8, [](float x, float y) {
        float d = sd::box(x, y, 16, 26, 11, 3.5f, 3);
        d = unite(d, sd::capsule(x, y, 16, 24, 16, 13, 2.2f));
        return unite(d, cut(sd::circle(x, y, 16, 10, 6), sd::ring(x, y, 16, 10, 3.2f, 0.7f)));
    });
    // Name: a person's head and shoulders.
    put(10, [](float x, float y) {
        float d = sd::circle(x, y, 16, 10, 5.5f);
        float body = std::max(sd::ellipse(x, y, 16, 28, 10.5f, 10), y - 27.f);
        return unite(d, body);
    });
    // Motion: a ball trailing speed lines.
    put(11, [](float x, float y) {
        float d = sd::circle(x, y, 21, 16, 6.5f);
        d = unite(d, sd::capsule(x, y, 4, 11, 10, 11, 1.3f));
        d = unite(d, sd::capsule(x, y, 2, 16, 11, 16, 1.3f));
        return unite(d, sd::capsule(x, y, 4, 21, 10, 21, 1.3f));
    });
    return sheet;
}
