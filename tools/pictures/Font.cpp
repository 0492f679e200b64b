// The game font: white ink so the engine's vertex colour tints it, a dark
// outline and a soft shadow so it reads over any background.
//
// The engine puts a glyph's cell centre at the pen and then moves the pen by
// fontw - 1; it also starts a string one space advance to the right. Drawing
// each glyph's ink from x = 2 of its cell, (fontw - 1) - 2 pixels wide, makes
// strings evenly spaced and lets centred text sit centred.
#include "Glyphs.h"
#include "Pictures.h"

using namespace fontmetrics;

namespace {

Canvas drawGlyph(int code) {
    Canvas c(cell, cell);
    const float hw = stroke / 2;
    float inkW = fontw[code - 32] - 1 - gap;
    GlyphBox box{inkLeft + hw, capTop + hw, std::max(0.f, inkW - stroke), (baseline - hw) - (capTop + hw)};
    std::vector<Seg> segs;
    if (!glyphStrokes(code, box, segs)) return c;
    auto ink = [&](float dx, float dy) {
        return [&segs, hw, dx, dy](float x, float y) { return strokeDistance(segs, x - dx, y - dy) - hw; };
    };
    // Soft drop shadow, then the outline, then the ink.
    Col shade = alpha(palette::shadow, 0.55f);
    c.fill([&](float x, float y) { return ink(0.9f, 1.6f)(x, y) - 1.2f; }, [&](float, float) { return shade; }, 1.8f);
    c.fill([&](float x, float y) { return ink(0, 0)(x, y) - 1.3f; },
           [&](float, float) { return alpha(palette::outline, 0.92f); });
    c.fill(ink(0, 0), [](float, float) { return Col{1, 1, 1, 1}; });
    return c;
}

}  // namespace

Canvas makeFont() {
    // 16 columns by 6 rows, codes 32 to 127 in reading order.
    Canvas sheet(16 * cell, 6 * cell);
    for (int code = 32; code < 128; ++code) placeFrame(sheet, drawGlyph(code), code - 32, 16, cell);
    return sheet;
}
