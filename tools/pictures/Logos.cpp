// logo.png (1024 x 1024) and ZARNLogo.png (800 x 800).
//
// The title page draws the logo so that only its middle half (rows 256 to
// 768) shows under the top of the screen, so the art lives in that band.
// The loading screen assembles ZARNLogo from 32-pixel tiles at half size.
#include "Glyphs.h"
#include "Pictures.h"

#include <functional>

namespace {

using Sdf = std::function<float(float, float)>;

// Chunky lettering: soft shadow, a deep extruded side, a dark outline round
// both, a gradient face and a glossy upper rim.
struct Lettering {
    Sdf face;           // signed distance of the letter faces
    float extrudeX, extrudeY;
    int depth;          // extrusion steps, one pixel each along (extrudeX, extrudeY)
    float outline;
    Col top, middle, bottom;  // face gradient
    Col side;                 // extruded side
    float y0, y1;             // face gradient range
};

void drawLettering(Canvas& c, const Lettering& l, float x0, float y0, float x1, float y1) {
    auto extruded = [&](float x, float y) {
        float d = l.face(x, y);
        for (int k = 1; k <= l.depth; k += 2) d = std::min(d, l.face(x - l.extrudeX * k, y - l.extrudeY * k));
        return d;
    };
    c.fill(x0, y0, x1, y1, [&](float x, float y) { return extruded(x - 8, y - 16) - l.outline; },
           [](float, float) { return alpha(palette::shadow, 0.45f); }, 10.f);
    c.fillCol(x0, y0, x1, y1, [&](float x, float y) { return extruded(x, y) - l.outline; }, palette::outline);
    c.fill(x0, y0, x1, y1, extruded, [&](float, float y) {
        // Darker toward the back of the extrusion.
        float t = clamp01((y - l.y0) / (l.y1 - l.y0));
        return mix(l.side, scale(l.side, 0.6f), t);
    });
    c.fill(x0, y0, x1, y1, l.face, [&](float, float y) {
        float t = clamp01((y - l.y0) / (l.y1 - l.y0));
        return t < 0.5f ? mix(l.top, l.middle, t * 2) : mix(l.middle, l.bottom, (t - 0.5f) * 2);
    });
    // Gloss along the upper inside edge of every stroke.
    c.fill(x0, y0, x1, y1,
           [&](float x, float y) {
               float d = l.face(x, y);
               return std::max(d, -d - l.outline * 0.8f);
           },
           [&](float x, float y) {
               float ny = l.face(x, y + 1) - l.face(x, y - 1);
               return grey(1.f, 0.55f * clamp01(-ny));
           });
}

}  // namespace

Canvas makeLogo() {
    Canvas c(1024, 1024);
    // Letters of the word, with the hero standing in for the "o" and a pellet
    // dotting the "i"; each letter bobs a little for a playful line.
    const float stroke = 50, hw = stroke / 2;
    const float capTop = 318, base = 604;  // ink top of the capitals and baseline
    const float skTop = capTop + hw, skH = (base - hw) - skTop;
    const float gap = 16, heroHalf = 88;
    // Skeleton widths of G, the hero, b, b, i, t; the word is centred.
    const float widths[6] = {136, 2 * heroHalf - stroke, 110, 110, 0, 80};
    float total = 5 * gap;
    for (float w : widths) total += w + stroke;
    float x = (1024 - total) / 2 - 6;  // the extrusion leans right
    float left[6];
    for (int i = 0; i < 6; ++i) {
        left[i] = x;
        x += widths[i] + stroke + gap;
    }
    std::vector<Seg> segs;
    auto letter = [&](char ch, int i, float bob) {
        glyphStrokes(ch, GlyphBox{left[i] + hw, skTop + bob, widths[i], skH}, segs);
    };
    letter('G', 0, 0);
    const float heroX = left[1] + heroHalf, heroY = base - heroHalf - 8;  // the "o"
    letter('b', 2, 8);
    letter('b', 3, -6);
    const float iX = left[4] + hw, iBob = 10;
    segs.push_back({iX, skTop + skH * 0.42f + iBob, iX, skTop + skH + iBob});  // the i's stem
    letter('t', 5, -4);

    DistanceField field(1024, 1024, segs, 80);
    Sdf face = [&](float x, float y) {
        float d = field.at(x, y) - hw;
        return std::min(d, sd::box(x, y, heroX, heroY, heroHalf, heroHalf, 40 * heroHalf / 100));
    };
    Lettering l{face, 0.35f, 1.f, 16, 13, rgb(255, 240, 130), rgb(255, 176, 56), rgb(236, 96, 44), rgb(170, 56, 60),
                capTop, base};
    drawLettering(c, l, 0, 200, 1024, 800);
    drawBigGobbit(c, heroX, heroY, heroHalf, true, true);

    // The pellet over the "i", and a few sparkles around the word.
    float px = iX, py = capTop + 22;
    c.glow([=](float x, float y) { return sd::circle(x, y, px, py, 30); }, rgb(255, 240, 170, 0.35f), 30);
    c.fillCol([=](float x, float y) { return sd::circle(x, y, px, py, 39); }, palette::outline);
    c.fill([=](float x, float y) { return sd::circle(x, y, px, py, 28); },
           [=](float, float y) { return mix(rgb(255, 250, 210), rgb(255, 190, 80), clamp01((y - py + 28) / 56)); });
    c.fillCol([=](float x, float y) { return sd::circle(x, y, px - 9, py - 9, 8); }, rgb(255, 255, 255, 0.9f));
    const float sparkles[][3] = {{40, 300, 26}, {250, 290, 18}, {990, 640, 22}, {600, 300, 16}, {470, 660, 14}};
    for (const auto& s : sparkles) {
        auto pts = sd::starPoints(s[0], s[1], 4, s[2], s[2] * 0.24f, 0);
        auto star = [pts](float x, float y) { return sd::polygon(x, y, pts); };
        c.fillCol([&](float x, float y) { return star(x, y) - 5; }, palette::outline);
        c.fillCol(star, rgb(255, 255, 236));
    }
    return c;
}

Canvas makeZarnLogo() {
    Canvas c(800, 800);
    const float C = 400;
    // A flat-topped hexagon badge.
    auto hexPts = sd::starPoints(C, C, 6, 360, 360, 30);
    Sdf hex = [hexPts](float x, float y) { return sd::polygon(x, y, hexPts) - 14; };
    c.fill([&](float x, float y) { return hex(x - 6, y - 12) - 10; }, [](float, float) { return alpha(palette::shadow, 0.5f); }, 12);
    c.fillCol([&](float x, float y) { return hex(x, y) - 10; }, palette::outline);
    c.fill(hex, [&](float x, float y) {
        float d = -hex(x, y);
        float t = clamp01(y / 800.f);
        if (d < 26) {
            // Metallic teal rim, lit from above.
            Col rim = mix(rgb(150, 250, 240), rgb(30, 110, 190), t);
            return d < 4 ? mix(rim, grey(1.f), 0.5f) : rim;
        }
        if (d < 34) return rgb(16, 14, 40);
        return mix(rgb(52, 40, 110), rgb(22, 18, 56), t);
    });
    // Faint circuit-like lines across the face.
    for (int i = 0; i < 7; ++i) {
        float y = 250 + i * 50;
        c.fill([&](float x, float py) { return std::max(sd::capsule(x, py, 120, y, 680, y, 2.5f), hex(x, py) + 40); },
               [](float, float) { return rgb(120, 200, 255, 0.12f); });
    }
    // The wordmark.
    const float stroke = 50, hw = stroke / 2;
    const float capTop = 300, base = 500;
    std::vector<Seg> segs;
    const char* word = "ZARN";
    for (int i = 0; i < 4; ++i)
        glyphStrokes(word[i], GlyphBox{120 + i * 138.f + hw, capTop + hw, 88, (base - hw) - (capTop + hw)}, segs);
    DistanceField field(800, 800, segs, 60);
    Lettering l{[&](float x, float y) { return field.at(x, y) - hw; }, 0.3f, 1.f, 12, 10, rgb(255, 255, 255),
                rgb(190, 250, 250), rgb(70, 200, 230), rgb(30, 90, 160), capTop, base};
    drawLettering(c, l, 60, 220, 740, 580);
    // Bars above and below the name.
    for (float y : {236.f, 566.f}) {
        auto bar = [=](float x, float py) { return sd::capsule(x, py, 230, y, 570, y, 7); };
        c.fillCol([&](float x, float py) { return bar(x, py) - 6; }, palette::outline);
        c.fillCol(bar, rgb(120, 240, 230));
    }
    for (int i = -1; i <= 1; ++i) {
        float x = C + i * 44, y = 628;
        c.fillCol([=](float px, float py) { return sd::circle(px, py, x, y, 15); }, palette::outline);
        c.fillCol([=](float px, float py) { return sd::circle(px, py, x, y, 10); }, i == 0 ? rgb(255, 210, 90) : rgb(120, 240, 230));
    }
    return c;
}
