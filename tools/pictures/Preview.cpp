// Previews for checking the pictures by eye: text set the way the engine sets
// it, a board assembled from the sprite sheet, and enlarged sheets. They are
// written only on request, never into the game's data directory.
#include "Glyphs.h"
#include "Pictures.h"

#include <cstdio>
#include <cstring>

namespace {

// Draws one frame of a sheet centred at (cx, cy), scaled with nearest-neighbour
// sampling like the game's renderer, tinted by multiplying with tint.
void sprite(Canvas& dst, const Canvas& sheet, int f, int frame, float cx, float cy, float sx, float sy, Col tint,
            float rotDeg = 0) {
    int cols = sheet.width() / f;
    int fx = (frame % cols) * f, fy = (frame / cols) * f;
    float half = f * std::max(std::fabs(sx), std::fabs(sy)) * 0.75f;
    float c = std::cos(rad(-rotDeg)), s = std::sin(rad(-rotDeg));
    for (int y = int(cy - half); y <= int(cy + half); ++y)
        for (int x = int(cx - half); x <= int(cx + half); ++x) {
            float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
            float rx = dx * c - dy * s, ry = dx * s + dy * c;
            float u = rx / sx + f / 2.f, v = ry / sy + f / 2.f;
            if (u < 0 || v < 0 || u >= f || v >= f) continue;
            Col p = sheet.get(fx + int(u), fy + int(v));
            if (p.a <= 0) continue;
            dst.over(x, y, {p.r * tint.r, p.g * tint.g, p.b * tint.b, p.a}, tint.a);
        }
}

// Sets a string with the engine's layout rule: the pen starts one space advance
// right of the origin (shifted left by half the width times the alignment),
// each glyph's cell centre goes on the pen, the pen moves on by fontw - 1.
void text(Canvas& dst, const Canvas& font, float x, float y, const char* str, float size, float align, Col tint) {
    float width = 0;
    for (const char* p = str; *p; ++p)
        if (*p >= 32) width += (fontw[*p - 32] - 1) * size;
    float px = x - width * 0.5f * align + (fontw[0] - 1) * size;
    for (const char* p = str; *p; ++p) {
        int k = *p - 32;
        sprite(dst, font, fontmetrics::cell, k, px, y, size, size, tint);
        if (k >= 0) px += (fontw[k] - 1) * size;
    }
}

void background(Canvas& c, Col top, Col bottom) {
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) c.set(x, y, mix(top, bottom, float(y) / c.height()));
}

Canvas textPreview(const Canvas& font) {
    Canvas c(900, 620);
    background(c, rgb(40, 0, 80), rgb(80, 0, 40));
    const char* lines[] = {"Eat 42  Bonus 15  Game Over", "The quick brown fox jumps over the lazy dog.",
                           "SPHINX OF BLACK QUARTZ, JUDGE MY VOW!", "0123456789 +-*/=<>?@#$%&()[]{}|~^_'\"`;:,."};
    float y = 24;
    for (float size : {0.5f, 0.7f, 1.f, 1.5f, 2.f}) {
        for (const char* l : lines) {
            if (size >= 1.5f && std::strlen(l) > 30) continue;
            text(c, font, 10, y, l, size, 0, Col{1, 1, 1, 1});
            y += 34 * size + 4;
        }
    }
    // Tinted and centred, as the play display and the end banner use them.
    text(c, font, 450, y + 10, "Eat 17", 2, 1, rgb(255, 180, 100));
    text(c, font, 450, y + 60, "Bonus 35", 1.5f, 1, rgb(100, 180, 255));
    text(c, font, 450, y + 100, "12345", 1, 1, rgb(100, 255, 180));
    for (int i = 0; i < 3; ++i) c.set(450, int(y) + 10 + i * 45, rgb(255, 0, 0));
    return c;
}

// Wall letter for a cell of a wall/floor grid, from its wall neighbours.
char wallLetter(const bool* wall, int w, int h, int x, int y) {
    auto at = [&](int cx, int cy) { return wall[((cy + h) % h) * w + (cx + w) % w]; };
    bool up = at(x, y - 1), right = at(x + 1, y), down = at(x, y + 1), left = at(x - 1, y);
    static const char* order[] = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "O", "P"};
    // Same table as the level format: which neighbours are walls.
    static const bool table[16][4] = {
        {0, 1, 1, 1}, {1, 0, 1, 1}, {1, 1, 0, 1}, {1, 1, 1, 0}, {0, 0, 1, 1}, {1, 0, 0, 1}, {1, 1, 0, 0}, {0, 1, 1, 0},
        {0, 1, 0, 1}, {1, 0, 1, 0}, {0, 0, 0, 1}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 0}, {1, 1, 1, 1}};
    for (int k = 0; k < 16; ++k)
        if (table[k][0] == up && table[k][1] == right && table[k][2] == down && table[k][3] == left)
            return order[k][0];
    return 'P';
}

Canvas boardPreview(const Canvas& gfx, Col level) {
    const int W = 25, H = 15, cell = 32;
    const char* maze[H] = {
        "#########################", "#...........#...........#", "#.###.####..#..####.###.#", "#.#.....#.......#.....#.#",
        "#.#.###.#.#####.#.###.#.#", "..........#...#..........", "###.##.#..#.#.#..#.##.###", "#......#.........#......#",
        "#.####.###.###.###.####.#", "#.#......#.....#......#.#", "#.#.####.#.#.#.#.####.#.#", "#...#......#.#......#...#",
        "#.#.#.###.#...#.###.#.#.#", "#.#.......##.##.......#.#", "#########################"};
    bool wall[W * H];
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) wall[y * W + x] = maze[y][x] == '#';
    Canvas c(W * cell + 64, H * cell + 96);
    background(c, scale(level, 0.15f), scale(level, 0.1f));
    float sc = cell / 16.f;
    Col floorTint = scale(level, 0.75f);
    floorTint.a = 1;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            float cx = 32 + x * cell + cell / 2.f, cy = 64 + y * cell + cell / 2.f;
            if (wall[y * W + x]) continue;
            int frame = 86;
            if (y == 7 && x >= 2 && x <= 4) frame = 90 + (x - 2);
            if (y == 9 && x >= 17 && x <= 19) frame = 94 + (x - 17);
            if (!(y == 5 && x == 13)) sprite(c, gfx, 16, frame, cx, cy, sc, sc, floorTint);
            if (y == 5 && x == 13) continue;  // fallen cell
            int pellet = 20;
            if (x == 1 && y == 1) pellet = 21;
            if (y == 3 && x > 2 && x < 8) pellet = 22;
            if (!(y == 5 && x > 10 && x < 16)) sprite(c, gfx, 16, pellet, cx, cy, sc, sc, Col{1, 1, 1, 1});
        }
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            if (wall[y * W + x]) {
                float cx = 32 + x * cell + cell / 2.f, cy = 64 + y * cell + cell / 2.f;
                sprite(c, gfx, 16, 70 + wallLetter(wall, W, H, x, y) - 'A', cx, cy, sc, sc, level);
            }
    // Hero in its four facings, then the life icons.
    Col white{1, 1, 1, 1};
    sprite(c, gfx, 16, 0, 32 + 11 * cell + 16, 64 + 5 * cell + 16, sc, sc, white);
    sprite(c, gfx, 16, 1, 32 + 15 * cell + 16, 64 + 5 * cell + 16, -sc, sc, white);
    sprite(c, gfx, 16, 0, 32 + 12 * cell + 16, 64 + 7 * cell + 16, sc, sc, white, -90);
    sprite(c, gfx, 16, 0, 32 + 12 * cell + 16, 64 + 11 * cell + 16, sc, sc, white, 90);
    for (int i = 0; i < 2; ++i) sprite(c, gfx, 16, 29, 64 + i * 32, 28, 2, 2, rgb(255, 180, 100));
    return c;
}

// Every frame of a sheet enlarged with a grid, over a mid background.
Canvas sheetPreview(const Canvas& sheet, int f, int zoom, Col bg, Col tint) {
    int cols = sheet.width() / f, rows = sheet.height() / f;
    int cellPx = f * zoom + 4;
    Canvas c(cols * cellPx, rows * cellPx);
    background(c, bg, bg);
    for (int k = 0; k < cols * rows; ++k) {
        float cx = (k % cols) * cellPx + cellPx / 2.f, cy = (k / cols) * cellPx + cellPx / 2.f;
        sprite(c, sheet, f, k, cx, cy, float(zoom), float(zoom), tint);
    }
    return c;
}

Col hsv(float h, float s, float v) {
    h = std::fmod(h, 360.f);
    int i = int(h / 60);
    float f = h / 60 - i, p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    const float tab[6][3] = {{v, t, p}, {q, v, p}, {p, v, t}, {p, q, v}, {t, p, v}, {v, p, q}};
    return {tab[i % 6][0], tab[i % 6][1], tab[i % 6][2], 1};
}

// The title page at one moment, laid out the way the menu draws it.
Canvas titlePreview(const Canvas& font, float t) {
    const float W = 800, H = 450;
    Canvas c(800, 450);
    Col bg = hsv(t / 64, 1, 0.2f);
    background(c, bg, bg);
    Canvas back = makeMenuBack(), front = makeMenuFront(), logo = makeLogo(), icons = makeIcons();
    sprite(c, back, 512, 0, W / 2 + std::sin(rad(t / 160)) * 96, H / 2 - std::cos(rad(t / 170)) * 80, 2.25f, 2.25f,
           alpha(hsv(t / 64, 1, 0.3f), 0.3f), t / 240);
    sprite(c, back, 512, 0, W / 2 + std::sin(rad(t / 240)) * 80, H / 2 - std::cos(rad(t / 200)) * 96, 2.25f, 2.25f,
           alpha(hsv(t / 72 + 120, 1, 0.3f), 0.3f), -t / 320);
    sprite(c, front, 512, 0, W / 2, H / 2, 1, 1, Col{1, 1, 1, 0.3f});
    float s = (W - 32) / 1024;
    if (s * 512 > H - 196) s = (H - 196) / 512;
    sprite(c, logo, 1024, 0, W / 2, s * 256 + 16, s, s, Col{1, 1, 1, 1});
    float y = H - 96;
    c.fillCol([&](float x, float py) { return sd::circle(x, py, W / 2, y, 80); }, rgb(60, 200, 60, 0.75f));
    sprite(c, icons, 64, 1, std::max(128.f, W / 2 - 160), y, 1, 1, Col{1, 1, 1, 1});
    sprite(c, icons, 64, 3, W - 52, y, 0.75f, 0.75f, Col{1, 1, 1, 1}, -20);
    sprite(c, icons, 64, 4, W - 52, y, 0.75f, 0.75f, Col{1, 1, 1, 1}, 20);
    sprite(c, icons, 64, 5, 52, y, 1, 1, Col{1, 1, 1, 1});
    text(c, font, W / 2, y + 80, "Start", 1, 1, Col{1, 1, 1, 1});
    text(c, font, W - 52, y + 32, "Options", 0.75f, 1, Col{1, 1, 1, 1});
    text(c, font, 52, y + 32, "Credits", 0.75f, 1, Col{1, 1, 1, 1});
    text(c, font, W - 8, H - 16, "A Gobbit Team game", 1, 2, Col{1, 1, 1, 1});
    return c;
}

// The loading screen once the logo has settled: 625 tiles at half size.
Canvas loadingPreview(const Canvas& font) {
    const float W = 800, H = 450;
    Canvas c(800, 450);
    background(c, rgb(40, 0, 80), rgb(80, 0, 40));
    Canvas logo = makeZarnLogo();
    for (int i = 0; i < 25; ++i)
        for (int j = 0; j < 25; ++j)
            sprite(c, logo, 32, i * 25 + j, W / 2 - 200 + j * 16, H / 2 - 200 + i * 16, 0.5f, 0.5f, Col{1, 1, 1, 1});
    text(c, font, W / 2, H - 32, "Loading...", 1, 1, Col{1, 1, 1, 0.8f});
    return c;
}

// The backdrop of the option screens: the tile stamped 16 x 16 and drawn at 0.3.
Canvas platPreview(const Canvas& font) {
    Canvas c(800, 450);
    background(c, rgb(50, 20, 40), rgb(50, 20, 40));
    Canvas icons = makeIcons();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 13; ++x) sprite(c, icons, 64, 8, x * 64.f + 32, y * 64.f + 32, 1, 1, Col{1, 1, 1, 0.3f});
    Canvas opts = makeOptionIcons();
    const int frames[] = {0, 1, 2, 3, 6, 7, 8, 10, 11};
    for (int i = 0; i < 9; ++i) {
        float y = 40 + i * 46.f;
        Col bar = hsv(y, 1, 0.35f);
        c.fillCol([&](float px, float py) { return sd::box(px, py, 400, y, 200, 16); }, alpha(bar, 0.5f));
        sprite(c, opts, 32, frames[i], 400 - 182, y, 1, 1, Col{1, 1, 1, 1});
        text(c, font, 400 - 160, y, "Option row", 0.7f, 0, Col{1, 1, 1, 1});
    }
    return c;
}

}  // namespace

bool writePreviews(const std::string& dir) {
    Canvas font = makeFont(), gfx = makeGameSheet();
    bool ok = textPreview(font).save(dir + "/text.png");
    ok = boardPreview(gfx, rgb(255, 102, 34)).save(dir + "/board_orange.png") && ok;
    ok = boardPreview(gfx, rgb(68, 136, 255)).save(dir + "/board_blue.png") && ok;
    ok = titlePreview(font, 20000).save(dir + "/title.png") && ok;
    ok = titlePreview(font, 47000).save(dir + "/title2.png") && ok;
    ok = loadingPreview(font).save(dir + "/loading.png") && ok;
    ok = platPreview(font).save(dir + "/options_screen.png") && ok;
    ok = sheetPreview(gfx, 16, 6, rgb(40, 30, 60), Col{1, 1, 1, 1}).save(dir + "/gfx_big.png") && ok;
    ok = sheetPreview(gfx, 16, 6, rgb(40, 30, 60), rgb(102, 255, 170)).save(dir + "/gfx_big_tinted.png") && ok;
    ok = sheetPreview(makeParticles(), 32, 2, rgb(20, 10, 30), rgb(120, 200, 255)).save(dir + "/particles_big.png") && ok;
    ok = sheetPreview(makeIcons(), 64, 2, rgb(60, 40, 90), Col{1, 1, 1, 1}).save(dir + "/icons_big.png") && ok;
    ok = sheetPreview(makeOptionIcons(), 32, 4, rgb(60, 40, 90), Col{1, 1, 1, 1}).save(dir + "/options_big.png") && ok;
    return ok;
}
