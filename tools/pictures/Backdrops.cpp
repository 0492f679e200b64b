// menu_back.png and menu_front.png, 512 x 512 each, and the large Gobbit that
// the title art shares.
//
// menu_back is drawn huge, tinted dark and half transparent, slowly turning,
// twice over behind the menus and play: a big ghostly Gobbit in a burst of
// rays that fade out before the picture's edge, so no corner ever shows.
// menu_front is drawn untinted at low alpha over the middle of the title
// page: a soft pool of light ringed with pellets.
#include "Pictures.h"

void drawBigGobbit(Canvas& c, float cx, float cy, float half, bool inColour, bool chomping) {
    using namespace palette;
    const float u = half / 100.f;  // design units: the body is 200 wide
    auto tone = [inColour](Col col) {
        if (inColour) return col;
        float l = 0.3f * col.r + 0.55f * col.g + 0.15f * col.b;
        return Col{l, l, l, col.a};
    };
    auto body = [=](float x, float y) { return sd::box(x, y, cx, cy, half, half, 40 * u); };
    c.fillCol([&](float x, float y) { return body(x, y) - 9 * u; }, outline);
    c.fill(body, [&](float, float y) {
        float t = clamp01((y - (cy - half)) / (2 * half));
        Col col = t < 0.5f ? mix(heroLight, heroMid, t * 2) : mix(heroMid, heroDark, (t - 0.5f) * 2);
        return tone(col);
    });
    // Rim light on the upper left, shade on the lower right.
    c.fill([&](float x, float y) { return std::max(body(x, y), -body(x, y) - 12 * u); },
           [&](float x, float y) {
               float lit = ((cx - x) + (cy - y)) / (2 * half);
               return lit > 0 ? tone(rgb(255, 250, 215, 0.9f * clamp01(lit * 2.5f)))
                              : tone(rgb(150, 50, 30, 0.55f * clamp01(-lit * 2.5f)));
           },
           2 * u);
    // Gloss.
    c.fill([&](float x, float y) { return sd::ellipse(x, y, cx - 45 * u, cy - 62 * u, 34 * u, 14 * u); },
           [&](float, float) { return tone(rgb(255, 255, 240, 0.55f)); }, 3 * u);
    // Eyes looking right.
    for (int i = 0; i < 2; ++i) {
        float ex = cx + (8 + i * 46) * u, ey = cy - 32 * u;
        c.fillCol([=](float x, float y) { return sd::box(x, y, ex, ey, 22 * u, 30 * u, 14 * u); }, outline);
        c.fillCol([=](float x, float y) { return sd::box(x, y, ex, ey, 15 * u, 23 * u, 10 * u); }, tone(eyeWhite));
        c.fillCol([=](float x, float y) { return sd::box(x, y, ex + 5 * u, ey + 4 * u, 9 * u, 14 * u, 8 * u); }, pupil);
        c.fillCol([=](float x, float y) { return sd::circle(x, y, ex + 8 * u, ey - 3 * u, 4 * u); }, tone(eyeWhite));
    }
    float mx = cx + 32 * u, my = cy + 42 * u;
    if (chomping) {
        // A wide open grin: flat on top, round below, tongue showing.
        float top = my - 14 * u;
        auto m = [=](float x, float y) { return std::max(sd::circle(x, y, mx, top, 36 * u), top - y); };
        c.fillCol([&](float x, float y) { return m(x, y) - 7 * u; }, outline);
        c.fillCol(m, mouth);
        c.fillCol([&](float x, float y) { return std::max(m(x, y), sd::ellipse(x, y, mx + 4 * u, top + 32 * u, 24 * u, 14 * u)); },
                  tone(tongue));
    } else {
        c.fillCol([=](float x, float y) {
            return std::max(sd::ring(x, y, mx, my - 30 * u, 34 * u, 7 * u), (my - 30 * u) + 8 * u - y);
        },
                  tone(mouth));
    }
    c.fillCol([=](float x, float y) { return sd::ellipse(x, y, cx - 42 * u, cy + 38 * u, 16 * u, 9 * u); },
              alpha(tone(blush), 0.7f), 3 * u);
}

Canvas makeMenuBack() {
    const float C = 256;
    Canvas c(512, 512);
    // Rays: alternating soft wedges, gone by the edge of the inscribed circle.
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            float dx = x + 0.5f - C, dy = y + 0.5f - C;
            float r = std::hypot(dx, dy), a = std::atan2(dy, dx);
            float ray = 0.5f + 0.5f * std::cos(a * 12);
            ray = smoothstep(0.35f, 0.75f, ray);
            float fade = clamp01(1 - r / 250.f);
            fade *= fade;
            if (ray * fade > 0) c.over(x, y, grey(0.75f, 0.55f * ray * fade));
        }
    // Pellets orbiting the face.
    for (int i = 0; i < 12; ++i) {
        float a = rad(i * 30.f + 15), px = C + std::cos(a) * 196, py = C + std::sin(a) * 196;
        c.fillCol([=](float x, float y) { return sd::circle(x, y, px, py, 13); }, grey(0.15f, 0.9f));
        c.fill([=](float x, float y) { return sd::circle(x, y, px, py, 9); },
               [=](float, float y) { return grey(1.f - 0.3f * clamp01((y - py + 9) / 18)); });
    }
    drawBigGobbit(c, C, C, 118, false, false);
    return c;
}

Canvas makeMenuFront() {
    const float C = 256;
    Canvas c(512, 512);
    // A pool of light, brightest in the middle.
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            float r = std::hypot(x + 0.5f - C, y + 0.5f - C) / 250.f;
            float k = clamp01(1 - r);
            c.set(x, y, rgb(255, 250, 235, 0.6f * k * k));
        }
    // A ring of pellets and a scatter of sparkles.
    for (int i = 0; i < 24; ++i) {
        float a = rad(i * 15.f), px = C + std::cos(a) * 214, py = C + std::sin(a) * 214;
        float r = i % 2 ? 5.f : 7.f;
        c.glow([=](float x, float y) { return sd::circle(x, y, px, py, r); }, rgb(255, 240, 190, 0.35f), 8);
        c.fillCol([=](float x, float y) { return sd::circle(x, y, px, py, r); }, rgb(255, 246, 210, 0.95f));
    }
    Rng rng(57);
    for (int i = 0; i < 14; ++i) {
        float a = rad(rng.range(0, 360)), d = rng.range(60, 190), r = rng.range(8, 16);
        float px = C + std::cos(a) * d, py = C + std::sin(a) * d;
        auto pts = sd::starPoints(px, py, 4, r, r * 0.22f, rng.range(0, 20));
        auto star = [pts](float x, float y) { return sd::polygon(x, y, pts); };
        c.glow(star, rgb(255, 255, 255, 0.3f), 6);
        c.fillCol(star, rgb(255, 255, 255, 0.9f));
    }
    return c;
}
