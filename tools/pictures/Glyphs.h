// Letter shapes shared by the font and the logos: every printable character is
// a skeleton of strokes (lines, arcs and curves) drawn with round ends, which
// gives the game its soft, chunky lettering at any size.
#pragma once

#include <vector>

struct Seg {
    float ax, ay, bx, by;
};

// Where a skeleton is placed: u = 0..1 runs across width from left; v = 0 is
// the top of the capitals and v = 1 the baseline (the x-height is at about
// v = 0.36 and descenders reach v = 1.36).
struct GlyphBox {
    float left, top, width, height;
};

// The engine's advance widths in font pixels, indexed by character code - 32.
extern const int fontw[132];

// Appends the skeleton of character code c, mapped into box, to out.
// Returns false for characters without ink (the space, code 127, unknown codes).
bool glyphStrokes(int c, const GlyphBox& box, std::vector<Seg>& out);

// Unsigned distance from (x, y) to the nearest segment.
float strokeDistance(const std::vector<Seg>& segs, float x, float y);

// Bounding box of a set of segments.
void strokeBounds(const std::vector<Seg>& segs, float& x0, float& y0, float& x1, float& y1);

// A grid of distances to a skeleton, so large lettering can be sampled many
// times (outlines, extrusion, shadows) without recomputing it.
class DistanceField {
public:
    DistanceField(int w, int h, const std::vector<Seg>& segs, float maxDist);
    // Distance at a pixel position (bilinear between pixel centres).
    float at(float x, float y) const;

private:
    int w_, h_;
    float max_;
    std::vector<float> d_;
};
