// gfx.png: the 16-pixel play sprites, 10 columns by 10 rows.
//
//   0, 1    Gobbit standing and mid-step, facing right
//   2-9     losing: worried, dizzy, cracking, falling apart
//   10-17   winning: happy, jumping, star-eyed, glowing
//   20-22   pellet, power item, regrown pellet      29 life icon
//   70-85   wall pieces 'A'-'P'                     86 floor tile
//   90-93   gate rightwards, 94-97 gate leftwards (four frames each)
//
// Walls, floor and gates are drawn in greys because the game tints them with
// the level colour; Gobbit and the pellets are drawn white-lit in full colour.
#include "Pictures.h"

#include <initializer_list>

namespace {

constexpr int F = 16;

// ---------------------------------------------------------------- Gobbit --

enum class Eyes { Look, Wide, Cross, Happy, Star };
enum class Mouth { Smile, Chomp, Oh, Wavy, Grin };

struct Pose {
    float cx = 8, cy = 8.5f, hx = 6.5f, hy = 6.5f;  // body centre and half size
    Eyes eyes = Eyes::Look;
    Mouth mouth = Mouth::Smile;
    float grey = 0;   // 0 healthy .. 1 drained of colour
    float shine = 0;  // 0 normal .. 1 glowing white-gold
    bool blush = true;
    bool crack = false;
    float halo = 0;  // golden glow around the body, 0..1
    int face = 0;  // face offset to the right of the body centre
};

Col heroTone(Col c, const Pose& p) {
    float l = 0.3f * c.r + 0.55f * c.g + 0.15f * c.b;
    c = mix(c, Col{l * 0.9f, l * 0.9f, l * 0.95f, c.a}, p.grey);
    return mix(c, rgb(255, 248, 214, c.a), p.shine);
}

void star4(Canvas& c, float x, float y, float r, Col col) {
    auto pts = sd::starPoints(x, y, 4, r, r * 0.32f, 0);
    c.fillCol([pts](float px, float py) { return sd::polygon(px, py, pts); }, col, 0.8f);
}

void drawHero(Canvas& c, const Pose& p) {
    using namespace palette;
    auto body = [p](float x, float y) { return sd::box(x, y, p.cx, p.cy, p.hx, p.hy, 3.5f); };
    if (p.halo > 0) c.glow(body, alpha(rgb(255, 236, 140), 0.55f * p.halo), 2.5f);
    c.fillCol([&](float x, float y) { return body(x, y) - 1; }, outline);
    float top = p.cy - p.hy, bottom = p.cy + p.hy;
    c.fill(body, [&](float, float y) {
        float t = clamp01((y - top) / (bottom - top));
        Col col = t < 0.5f ? mix(heroLight, heroMid, t * 2) : mix(heroMid, heroDark, (t - 0.5f) * 2);
        return heroTone(col, p);
    });
    // Top-left rim light and a shaded bottom edge give the block its volume.
    c.fill([&](float x, float y) { return std::max(body(x, y), -body(x, y) - 1.2f); },
           [&](float x, float y) {
               float lit = ((p.cx - x) / p.hx + (p.cy - y) / p.hy) * 0.5f;
               return lit > 0 ? heroTone(rgb(255, 250, 210, 0.85f * clamp01(lit * 1.6f)), p)
                              : heroTone(rgb(150, 50, 30, 0.5f * clamp01(-lit * 1.6f)), p);
           });

    // The face sits toward the right: Gobbit looks where it is going. At this
    // size every pixel of it counts, so it is laid out as little pixel maps.
    int ex = int(std::lround(p.cx)) + p.face, ey = int(std::lround(p.cy - 3.5f));
    auto stamp = [&](int x0, int y0, std::initializer_list<const char*> rows) {
        int y = y0;
        for (const char* row : rows) {
            for (int x = x0; *row; ++row, ++x) {
                switch (*row) {
                case 'w': c.set(x, y, heroTone(eyeWhite, p)); break;
                case 'p': c.set(x, y, pupil); break;
                case 'm': c.set(x, y, mouth); break;
                case 't': c.set(x, y, heroTone(tongue, p)); break;
                case 's': c.set(x, y, rgb(255, 250, 220)); break;
                case 'g': c.set(x, y, rgb(255, 190, 40)); break;
                case 'b': c.over(x, y, heroTone(blush, p), 0.75f); break;
                default: break;
                }
            }
            ++y;
        }
    };
    for (int i = 0; i < 2; ++i) {
        switch (p.eyes) {
        case Eyes::Look: stamp(ex + i * 3, ey, {"ww", "wp", "wp", "ww"}); break;
        case Eyes::Wide: stamp(ex + i * 3, ey, {"wp", "ww", "ww", "ww"}); break;
        case Eyes::Cross: stamp(ex - 1 + i * 4, ey, {"p.p", ".p.", "p.p"}); break;
        case Eyes::Happy: stamp(ex - 1 + i * 4, ey + 1, {".p.", "p.p"}); break;
        case Eyes::Star: stamp(ex - 1 + i * 4, ey, {".s.", "sgs", ".s."}); break;
        }
    }
    if (p.eyes == Eyes::Wide) {  // worried brows
        stamp(ex, ey - 2, {".p", "p."});
        stamp(ex + 3, ey - 2, {"p.", ".p"});
    }
    int mx = ex + 1, my = ey + 6;
    switch (p.mouth) {
    case Mouth::Smile: stamp(mx, my, {"m...m", ".mmm."}); break;
    case Mouth::Chomp: stamp(mx, my - 1, {".mmm.", "mmmmm", "mtttm", ".ttt."}); break;
    case Mouth::Oh: stamp(mx + 1, my, {".m.", "mmm", ".m."}); break;
    case Mouth::Wavy: stamp(mx, my, {".m.m.", "m.m.m"}); break;
    case Mouth::Grin: stamp(mx, my - 1, {"mmmmm", "mtttm", ".mmm."}); break;
    }
    if (p.blush) stamp(mx - 3, my, {"bb"});
    if (p.crack) {
        auto line = [&](float ax, float ay, float bx, float by) {
            c.fillCol([=](float x, float y) { return sd::capsule(x, y, ax, ay, bx, by, 0.5f); }, outline, 0.8f);
        };
        line(p.cx - 0.5f, p.cy - p.hy, p.cx - 1.5f, p.cy - 2);
        line(p.cx - 1.5f, p.cy - 2, p.cx + 0.5f, p.cy + 1);
        line(p.cx + 0.5f, p.cy + 1, p.cx - 0.5f, p.cy + p.hy);
    }
}

Canvas hero(const Pose& p) {
    Canvas c(F, F);
    drawHero(c, p);
    return c;
}

// Breaks a drawn Gobbit into an n x n grid of chunks pushed out from the centre.
Canvas shatter(const Canvas& src, int n, float spread, float fadeTo, int seed) {
    Canvas out(F, F);
    Rng rng(seed);
    float size = float(F) / n;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            float cx = (i + 0.5f) * size - 8, cy = (j + 0.5f) * size - 8.5f;
            float len = std::max(0.5f, std::hypot(cx, cy));
            int dx = int(std::lround(cx / len * spread + rng.range(-0.6f, 0.6f)));
            int dy = int(std::lround(cy / len * spread + rng.range(-0.6f, 0.6f)));
            Canvas piece(F, F);
            for (int y = int(j * size); y < int((j + 1) * size); ++y)
                for (int x = int(i * size); x < int((i + 1) * size); ++x) piece.set(x, y, src.get(x, y));
            out.draw(piece, dx, dy, fadeTo);
        }
    return out;
}

// The last moments of a lost level: small chunks of Gobbit flying apart.
Canvas debris(int count, float radius, float size, float fadeTo, float greyness, int seed) {
    Canvas c(F, F);
    Rng rng(seed);
    Pose tone;
    tone.grey = greyness;
    if (fadeTo < 0.5f)
        c.fillCol([](float x, float y) { return sd::ring(x, y, 8, 8.5f, 5.5f, 1.2f); }, grey(0.85f, 0.25f), 1.5f);
    for (int i = 0; i < count; ++i) {
        float a = rad(i * 360.f / count + rng.range(-25, 25));
        float r = radius * rng.range(0.8f, 1.1f);
        float x = 8 + std::cos(a) * r, y = 8.5f + std::sin(a) * r, h = size * rng.range(0.7f, 1.1f) / 2;
        Col body = heroTone(mix(palette::heroLight, palette::heroDark, rng.unit()), tone);
        c.fillCol([=](float px, float py) { return sd::box(px, py, x, y, h + 0.8f, h + 0.8f, 1.2f); },
                  alpha(palette::outline, fadeTo));
        c.fillCol([=](float px, float py) { return sd::box(px, py, x, y, h, h, 0.8f); }, alpha(body, fadeTo));
    }
    return c;
}

// ------------------------------------------------------------- pickups --

Canvas pellet() {
    Canvas c(F, F);
    c.fillCol([](float x, float y) { return sd::circle(x, y, 8, 8, 3.2f); }, rgb(120, 60, 30));
    c.fill([](float x, float y) { return sd::circle(x, y, 8, 8, 2.3f); },
           [](float, float y) { return mix(rgb(255, 246, 190), rgb(255, 190, 80), clamp01((y - 6) / 4)); });
    c.fillCol([](float x, float y) { return sd::circle(x, y, 7.2f, 7.2f, 0.8f); }, rgb(255, 255, 255, 0.9f));
    return c;
}

Canvas powerItem() {
    Canvas c(F, F);
    auto orb = [](float x, float y) { return sd::circle(x, y, 8, 8, 4.6f); };
    c.glow(orb, rgb(255, 120, 230, 0.5f), 3.f);
    c.fillCol([&](float x, float y) { return orb(x, y) - 0.9f; }, rgb(70, 20, 70));
    c.fill(orb, [](float x, float y) {
        float t = clamp01(std::hypot(x - 6.5f, y - 6.5f) / 6.5f);
        return mix(rgb(255, 220, 250), rgb(214, 60, 190), t);
    });
    star4(c, 6.5f, 6.5f, 3.2f, rgb(255, 255, 255, 0.95f));
    c.fillCol([](float x, float y) { return sd::circle(x, y, 10.2f, 10.2f, 0.8f); }, rgb(255, 255, 255, 0.5f));
    return c;
}

Canvas regrownPellet() {
    Canvas c(F, F);
    c.fillCol([](float x, float y) { return sd::circle(x, y, 8, 9, 3.2f); }, rgb(30, 90, 50));
    c.fill([](float x, float y) { return sd::circle(x, y, 8, 9, 2.3f); },
           [](float, float y) { return mix(rgb(210, 255, 200), rgb(90, 210, 110), clamp01((y - 7) / 4)); });
    c.fillCol([](float x, float y) { return sd::circle(x, y, 7.2f, 8.2f, 0.8f); }, rgb(255, 255, 255, 0.9f));
    // A small sprouting leaf: the cell has grown back.
    auto leaf = [](float x, float y) {
        return std::max(sd::circle(x, y, 11.2f, 6.6f, 2.6f), sd::circle(x, y, 8.6f, 3.6f, 2.6f));
    };
    c.fillCol([&](float x, float y) { return leaf(x, y) - 0.8f; }, rgb(30, 90, 50));
    c.fillCol(leaf, rgb(140, 235, 120));
    return c;
}

Canvas lifeIcon() {
    // Gobbit a little smaller so the HUD row of lives has air between icons.
    Pose p;
    p.hx = p.hy = 5.5f;
    p.face = -1;
    p.cy = 8.5f;
    return hero(p);
}

// --------------------------------------------------------------- walls --

// Which neighbours of each wall letter are walls: up, right, down, left.
const bool kWallNeighbours[16][4] = {
    {0, 1, 1, 1}, {1, 0, 1, 1}, {1, 1, 0, 1}, {1, 1, 1, 0},  // A B C D
    {0, 0, 1, 1}, {1, 0, 0, 1}, {1, 1, 0, 0}, {0, 1, 1, 0},  // E F G H
    {0, 1, 0, 1}, {1, 0, 1, 0}, {0, 0, 0, 1}, {1, 0, 0, 0},  // I J K L
    {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 0}, {1, 1, 1, 1},  // M N O P
};

// Greyscale bevel lighting from the upper left, from a shape's distance field.
template <class Sdf>
float bevelLight(Sdf sdf, float x, float y) {
    const float e = 0.5f;
    float nx = sdf(x + e, y) - sdf(x - e, y), ny = sdf(x, y + e) - sdf(x, y - e);
    float len = std::hypot(nx, ny);
    if (len < 1e-4f) return 0.5f;
    // Outward normal against the direction the light comes from.
    return clamp01(0.5f - 0.5f * (nx * 0.6f + ny * 0.8f) / len);
}

Canvas wallPiece(int letter) {
    const bool* n = kWallNeighbours[letter];
    bool up = n[0], right = n[1], down = n[2], left = n[3];
    // The shape runs past the cell edge toward wall neighbours, so only the
    // edges facing floor get a bevel and pieces join without seams.
    float x0 = left ? -10.f : 1.f, x1 = right ? 26.f : 15.f;
    float y0 = up ? -10.f : 1.f, y1 = down ? 26.f : 15.f;
    const float r = 5.f;
    float tl = (!up && !left) ? r : 0, tr = (!up && !right) ? r : 0;
    float br = (!down && !right) ? r : 0, bl = (!down && !left) ? r : 0;
    auto shape = [=](float x, float y) {
        return sd::box4(x, y, (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2, tl, tr, br, bl);
    };
    Canvas c(F, F);
    c.fill(shape, [&](float x, float y) {
        float depth = -shape(x, y);
        if (depth < 1.f) return grey(0.3f);
        float light = bevelLight(shape, x, y);
        if (depth < 3.f) return grey(lerp(0.5f, 1.f, light));
        // A groove runs along the wall a few pixels in from its edge.
        if (depth > 5.f && depth < 6.2f) return grey(0.62f);
        return grey(0.86f);
    });
    return c;
}

// A floor tile: a slightly rounded stone slab with a speckled face.
void floorTile(Canvas& c, float face) {
    auto shape = [](float x, float y) { return sd::box(x, y, 8, 8, 7, 7, 2.5f); };
    c.fill(shape, [&](float x, float y) {
        float depth = -shape(x, y);
        if (depth < 0.8f) return grey(0.28f);
        if (depth < 2.f) return grey(lerp(face - 0.2f, face + 0.25f, bevelLight(shape, x, y)));
        float speckle = (hash2(int(x), int(y), 86) - 0.5f) * 0.08f;
        return grey(face + speckle);
    });
}

Canvas floorCell() {
    Canvas c(F, F);
    floorTile(c, 0.66f);
    return c;
}

// One-way gate: a dark slab with tall chevrons sliding the way the gate lets
// Gobbit through. The chevrons reach well above and below the middle, so the
// direction still reads while a pellet sits on the gate.
Canvas gate(bool rightwards, int step) {
    Canvas c(F, F);
    floorTile(c, 0.36f);
    float phase = float(step * 2);
    auto chevrons = [=](float x, float y) {
        float lx = rightwards ? x : F - x;  // draw leftwards gates mirrored
        float best = 1e9f;
        for (int k = -1; k < 3; ++k) {
            float tip = 1.f + phase + k * 8.f;
            best = std::min(best, sd::segment(lx, y, tip - 4.5f, 2.f, tip, 8) - 1.1f);
            best = std::min(best, sd::segment(lx, y, tip, 8, tip - 4.5f, 14.f) - 1.1f);
        }
        // Keep the arrows on the slab's face.
        return std::max(best, sd::box(x, y, 8, 8, 6.f, 6.f, 1.5f));
    };
    c.fillCol([&](float x, float y) { return chevrons(x, y) - 0.9f; }, grey(0.12f, 0.9f));
    c.fillCol(chevrons, grey(1.f));
    return c;
}

}  // namespace

Canvas makeGameSheet() {
    Canvas sheet(10 * F, 10 * F);
    auto put = [&](int k, const Canvas& c) { placeFrame(sheet, c, k, 10, F); };

    Pose stand;
    put(0, hero(stand));
    Pose step = stand;
    step.cy -= 1;
    step.hy -= 0.5f;
    step.mouth = Mouth::Chomp;
    put(1, hero(step));

    // Losing.
    Pose sad = stand;
    sad.eyes = Eyes::Wide;
    sad.mouth = Mouth::Oh;
    sad.blush = false;
    sad.grey = 0.15f;
    put(2, hero(sad));
    Pose dizzy = sad;
    dizzy.eyes = Eyes::Cross;
    dizzy.mouth = Mouth::Wavy;
    dizzy.grey = 0.3f;
    put(3, hero(dizzy));
    Pose cracked = dizzy;
    cracked.crack = true;
    cracked.grey = 0.45f;
    put(4, hero(cracked));
    cracked.grey = 0.55f;
    put(5, shatter(hero(cracked), 2, 1.f, 1.f, 5));
    cracked.grey = 0.65f;
    put(6, shatter(hero(cracked), 2, 2.f, 0.95f, 6));
    cracked.grey = 0.75f;
    put(7, shatter(hero(cracked), 2, 3.f, 0.85f, 7));
    put(8, debris(6, 4.5f, 4.f, 0.8f, 0.8f, 8));
    put(9, debris(5, 5.5f, 3.f, 0.55f, 0.9f, 9));

    // Winning.
    Pose happy = stand;
    happy.eyes = Eyes::Happy;
    happy.mouth = Mouth::Grin;
    put(10, hero(happy));
    Pose jump = happy;
    jump.cy -= 1.f;
    jump.hx -= 0.5f;
    jump.hy += 0.5f;
    put(11, hero(jump));
    Pose squash = happy;
    squash.cy += 1.f;
    squash.hx += 0.5f;
    squash.hy -= 1.f;
    put(12, hero(squash));
    Pose starry = happy;
    starry.eyes = Eyes::Star;
    put(13, hero(starry));
    starry.halo = 0.5f;
    put(14, hero(starry));
    starry.halo = 0.8f;
    starry.shine = 0.25f;
    put(15, hero(starry));
    starry.halo = 1.f;
    starry.shine = 0.45f;
    put(16, hero(starry));
    starry.shine = 0.65f;
    Canvas radiant = hero(starry);
    star4(radiant, 2.5f, 2.5f, 2.5f, rgb(255, 255, 240));
    star4(radiant, 13.5f, 13.f, 2.f, rgb(255, 255, 240));
    put(17, radiant);

    put(20, pellet());
    put(21, powerItem());
    put(22, regrownPellet());
    put(29, lifeIcon());

    for (int k = 0; k < 16; ++k) put(70 + k, wallPiece(k));
    put(86, floorCell());
    for (int s = 0; s < 4; ++s) {
        put(90 + s, gate(true, s));
        put(94 + s, gate(false, s));
    }
    return sheet;
}
