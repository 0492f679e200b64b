// The work the replay leaves out because it cannot change a pixel, kept apart
// from the plain replay (sys/Renderer.cpp) so that each reads on its own.
// Each shortcut, why it leaves the picture alone, and the tests to run
// after touching it:
//
// Texture cache. Each image slot (and its blur copy, and the white block for
// shapes) keeps its own texture object, uploaded again only when the slot's
// pixels changed (ImageVersion). Batches still start and end exactly where a
// re-upload on every texture change would put them, so the picture is the
// same; only the copying is saved. A picture sent ahead in strips
// (sys/TextureStrips.cpp) is taken over as its texture: it holds exactly the
// pixels a whole upload would. A new window brings a new GL context
// without our textures, and the cache starts afresh there; vertical sync is
// asked once per context for the same reason. Tests:
// RendererTest's UnchangedTexturesAreNotUploadedAgain (a slot whose pixels
// changed is uploaded again and shows them) and CanvasFollowsTheWindowShape
// (images still draw after the window was replaced); the frame benchmark
// counts each frame's uploads against what its records need.
//
// While the alpha test is on (blend modes Alpha and Add), a fragment whose
// alpha is 0 is dropped, so work that can only make such fragments is
// skipped without changing a pixel:
// - records whose colour alpha is 0 at both ends;
// - the transparent margin of a sprite's cell (sheets pad every frame, so a
//   cell is over twice the frame's area), where the sprite is drawn upright,
//   in one colour, at a whole number of pixels per texel from a whole pixel:
//   then every pixel centre falls well inside a texel, and the box is cut
//   down to the cell's visible texels along texel edges, which leaves every
//   pixel that shows with the same texel;
// - for other large images, the parts of the window outside the footprint of
//   the visible texels, with a scissor box (a software rasteriser then never
//   visits those rows).
// SetRenderShortcuts(false) turns these three off, to compare. Tests:
// RendererTest's ShortcutsLeaveEveryPixelAsItWas (sparse sheets and large
// images at whole and fractional sizes and positions, turned, in every blend
// mode and with both filters, drawn both ways and compared pixel by pixel);
// the frame benchmark's --verify replays every frame of every screen both
// ways and counts differing pixels, which must be none; TileSeamTest keeps
// trimmed tiles joined edge to edge at every window size.
//
// Unchanged frame. Without focus the game renders every 150 ms but no longer
// updates, so the list to replay is usually the frame already on screen;
// such a replay is skipped when the records, the draw state, the image
// pixels, the window and its size, the wireframe switch and the overscan all
// match the frame shown, the clear colour's fade is over and the window
// system has not asked for the contents again (see SameAsShown). Test:
// RendererTest's UnfocusedRenderSkipsOnlyAnUnchangedFrame, a table of the
// changes that must each bring a replay; a new input to the picture belongs
// in SameAsShown and in that table.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "sys/ImageTable.h"
#include "sys/RendererGlobals.h"
#include "sys/RendererShared.h"
#include "sys/SysGlobals.h"
#include "sys/TextureStrips.h"
#include "sys/ZARNSys.h"

namespace Replay {

// Texture objects of the current GL context. A new window brings a new
// context without our textures, so the cache is dropped whenever the context
// changes (checked once per replay).
struct TextureCache {
    GLFWwindow* owner = nullptr;
    GLuint white = 0;
    bool whiteLoaded = false;
    GLuint slot[ImageSlots] = {};
    GLuint blur[ImageSlots] = {};
    bool slotLoaded[ImageSlots] = {};
    bool blurLoaded[ImageSlots] = {};
    unsigned slotVersion[ImageSlots] = {};
    unsigned blurVersion[ImageSlots] = {};
};
TextureCache Cache;
int SwapInterval = 1;

bool Shortcuts = true;     // the skips of records, margins and rows described above

// Images whose window footprint is smaller than this are drawn whole: the
// scissor would save less than the extra draw costs.
constexpr double ScissorMinArea = 128 * 128;

// Bounding boxes of the texels with alpha above 0, one per frame cell of a
// slot (or of its blur copy), rebuilt when the slot's pixels change.
struct CellBox {
    int u0, v0, u1, v1;  // texels within the cell, half-open; empty if u0 >= u1
};
struct SlotBoxes {
    bool built = false;
    unsigned version = 0;
    int W = 0;     // frames per row as the texture coordinates count them
    int fit = 0;   // cells that lie inside the texture, per row and column
    int F = 0;     // cell side in texels
    std::vector<CellBox> box;
};
SlotBoxes Boxes[ImageSlots], BlurBoxes[ImageSlots];

const CellBox* VisibleBox(int slot, bool blur, int frame) {
    SlotBoxes& b = blur ? BlurBoxes[slot] : Boxes[slot];
    const std::vector<unsigned char>& px = blur ? ImageBlur[slot] : Image[slot];
    if (!b.built || b.version != ImageVersion[slot]) {
        b = SlotBoxes{};
        b.built = true;
        b.version = ImageVersion[slot];
        // A single image counts its width as frames per row, each cell
        // being the whole texture; only cells inside the texture are kept.
        int S = iSize[slot], W = iFramesW[slot];
        int F = int(iFramesWz[slot] * S + 0.5f);
        // The cell must match the texture coordinates exactly.
        bool exact = F > 0 && std::fabs(double(F) / S - iFramesWz[slot]) < 1e-6;
        if (S > 0 && W > 0 && exact && F <= S && px.size() >= size_t(S) * S * 4) {
            int fit = std::min(W, S / F);
            b.W = W;
            b.fit = fit;
            b.F = F;
            b.box.assign(size_t(fit) * fit, CellBox{F, F, 0, 0});
            for (int y = 0; y < fit * F; ++y) {
                const unsigned char* row = &px[size_t(y) * S * 4];
                for (int x = 0; x < fit * F; ++x) {
                    if (row[x * 4 + 3] == 0) continue;
                    CellBox& c = b.box[size_t(y / F) * fit + x / F];
                    int u = x % F, v = y % F;
                    if (u < c.u0) c.u0 = u;
                    if (v < c.v0) c.v0 = v;
                    if (u + 1 > c.u1) c.u1 = u + 1;
                    if (v + 1 > c.v1) c.v1 = v + 1;
                }
            }
        }
    }
    if (b.W == 0 || frame < 0) return nullptr;
    int col = frame % b.W, row = frame / b.W;
    if (col >= b.fit || row >= b.fit) return nullptr;
    return &b.box[size_t(row) * b.fit + col];
}

// Record coordinates of the corners (u0,v0), (u1,v0), (u1,v1), (u0,v1) of
// texels of a cell of side F, for an image record drawn w x h: the mapping
// of the image's own corners and texture coordinates (texel row 0 is the
// top of the picture, the record's top colour edge).
void TexelCorners(const double* r, double w, double h, double F, double u0, double v0, double u1, double v1,
                  double* xs, double* ys) {
    double c = 1, sn = 0;
    if (r[DrawField::Rotation] != 0) {
        double th = r[DrawField::Rotation] * DegToRad;
        c = std::cos(th);
        sn = std::sin(th);
    }
    const double us[4] = {u0, u1, u1, u0}, vs[4] = {v0, v0, v1, v1};
    for (int k = 0; k < 4; ++k) {
        double dx = w * (us[k] / F - 0.5), dy = h * (0.5 - vs[k] / F);
        xs[k] = r[DrawField::X] + dx * c - dy * sn;
        ys[k] = r[DrawField::Y] + dx * sn + dy * c;
    }
}

// Window pixel position (GL: y up) of a record coordinate in this replay.
double WindowX(double x) { return (x * Replayer.ViewSx + 1) * Replayer.ViewW / 2; }
double WindowY(double y) { return (y * Replayer.ViewSy + 1) * Replayer.ViewH / 2; }

struct PixelBox {
    int x0, y0, x1, y1;  // window pixels (GL: y up), half-open
    long Area() const { return x1 > x0 && y1 > y0 ? long(x1 - x0) * (y1 - y0) : 0; }
};

// The window box around the footprint of cell texels [u0,u1] x [v0,v1] of
// an image record drawn w x h (turned by its rotation), widened by a pixel
// and clipped to the window.
PixelBox Footprint(const double* r, double w, double h, double F, double u0, double v0, double u1, double v1) {
    double xs[4], ys[4];
    TexelCorners(r, w, h, F, u0, v0, u1, v1, xs, ys);
    double lo[2] = {1e30, 1e30}, hi[2] = {-1e30, -1e30};
    for (int k = 0; k < 4; ++k) {
        double X = WindowX(xs[k]), Y = WindowY(ys[k]);
        lo[0] = std::min(lo[0], X);
        lo[1] = std::min(lo[1], Y);
        hi[0] = std::max(hi[0], X);
        hi[1] = std::max(hi[1], Y);
    }
    PixelBox p;
    p.x0 = int(std::max(0.0, std::floor(lo[0]) - 1));
    p.y0 = int(std::max(0.0, std::floor(lo[1]) - 1));
    p.x1 = int(std::min(double(Replayer.ViewW), std::ceil(hi[0]) + 1));
    p.y1 = int(std::min(double(Replayer.ViewH), std::ceil(hi[1]) + 1));
    return p;
}

// The white block is made first in every context and doubles as its marker:
// a window recreated at the same address has a new context without it.
void CheckContext() {
    GLFWwindow* current = glfwGetCurrentContext();
    if (Cache.owner != current || Cache.white == 0 || !glIsTexture(Cache.white)) {
        // The old names died with their context; nothing to delete.
        Cache = TextureCache{};
        Cache.owner = current;
        BindTexture(WhiteUse);
        // Vertical sync belongs to the context too; asking once is enough.
        if (current) glfwSwapInterval(SwapInterval);
    }
}

void Upload(const unsigned char* pixels, int side) {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, side, side, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    Replayer.TexUploads += 1;
    Replayer.TexUploadBytes += (long long)side * side * 4;
}

void BindTexture(int use) {
    GLuint* name;
    bool* loaded;
    unsigned* version = nullptr;
    const unsigned char* pixels;
    int side;
    if (use == WhiteUse) {
        name = &Cache.white;
        loaded = &Cache.whiteLoaded;
        static const std::vector<unsigned char> fallback(256, 255);
        pixels = Win.WhiteBlock.size() >= 256 ? Win.WhiteBlock.data() : fallback.data();
        side = 8;
    } else if (use >= BlurBase) {
        int s = use - BlurBase;
        name = &Cache.blur[s];
        loaded = &Cache.blurLoaded[s];
        version = &Cache.blurVersion[s];
        pixels = ImageBlur[s].data();
        side = iSize[s];
    } else {
        name = &Cache.slot[use];
        loaded = &Cache.slotLoaded[use];
        version = &Cache.slotVersion[use];
        pixels = Image[use].data();
        side = iSize[use];
        // A picture sent ahead in strips needs no whole upload.
        if (!*loaded || *version != ImageVersion[use]) {
            if (GLuint ready = TakeStripTexture(use)) {
                if (*name) glDeleteTextures(1, name);
                *name = ready;
                *loaded = true;
                *version = ImageVersion[use];
            }
        }
    }
    if (*name == 0) {
        glGenTextures(1, name);
        *loaded = false;
    }
    glBindTexture(GL_TEXTURE_2D, *name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, Replayer.RenderMode);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, Replayer.RenderMode);
    unsigned current = version ? ImageVersion[use >= BlurBase ? use - BlurBase : use] : 0;
    if (!*loaded || (version && *version != current)) {
        Upload(pixels, side);
        *loaded = true;
        if (version) *version = current;
    }
}

// With the alpha test on, a record whose colour alpha is 0 at both ends
// draws nothing: every fragment's alpha is 0.
bool Invisible(const Colour& lo, const Colour& hi) {
    return Shortcuts && Replayer.AlphaTestOn && Input.Wireframe != 1 && lo.a == 0 && hi.a == 0;
}

bool NearWhole(double v, double tolerance) { return std::fabs(v - std::round(v)) < tolerance; }

// Draws only the visible texels [u0,u1) x [v0,v1) of an upright, one-colour
// image record when the cut is exact (see the top of the file); false,
// having drawn nothing, when it is not.
bool DrawTrimmed(const double* r, double w, double h, double F, const CellBox& box, const Tex4& tc) {
    if (r[DrawField::Rotation] != 0 || Replayer.RenderMode != GL_NEAREST) return false;
    Colour lo = Bottom(r), hi = Top(r);
    if (lo.r != hi.r || lo.g != hi.g || lo.b != hi.b || lo.a != hi.a) return false;
    if (box.u0 == 0 && box.v0 == 0 && box.u1 == F && box.v1 == F) return false;
    // Pixels per texel along u and v, and where texel 0 starts.
    double xs[4], ys[4];
    TexelCorners(r, w, h, F, 0, 0, F, F, xs, ys);
    double X0 = WindowX(xs[0]), X1 = WindowX(xs[1]), Y0 = WindowY(ys[0]), Y1 = WindowY(ys[3]);
    double kx = (X1 - X0) / F, ky = (Y1 - Y0) / F;
    if (std::fabs(kx) < 0.999 || std::fabs(ky) < 0.999 || std::fabs(kx) > 64 || std::fabs(ky) > 64) return false;
    if (!NearWhole(kx, 1e-4) || !NearWhole(ky, 1e-4) || !NearWhole(X0, 1e-3) || !NearWhole(Y0, 1e-3)) return false;

    TexelCorners(r, w, h, F, box.u0, box.v0, box.u1, box.v1, xs, ys);
    auto S = [&](double u) { return float(tc.s00 + (double(tc.s10) - tc.s00) * u / F); };
    auto T = [&](double v) { return float(tc.t11 + (double(tc.t00) - tc.t11) * v / F); };
    // Corners (u0,v0), (u1,v0), (u1,v1), (u0,v1): two triangles as EmitBox.
    Vertex(S(box.u0), T(box.v0), lo, xs[0], ys[0]);
    Vertex(S(box.u1), T(box.v0), lo, xs[1], ys[1]);
    Vertex(S(box.u1), T(box.v1), lo, xs[2], ys[2]);
    Vertex(S(box.u0), T(box.v0), lo, xs[0], ys[0]);
    Vertex(S(box.u1), T(box.v1), lo, xs[2], ys[2]);
    Vertex(S(box.u0), T(box.v1), lo, xs[3], ys[3]);
    CountBox();  // counted as the whole box
    return true;
}

// The cheaper ways to draw an image record, tried in turn (see the top of the
// file).
bool DrawImageShortcut(const double* r, int slot, int use, int frame, double w, double h, const Tex4& tc,
                       const FrameBox& drawn) {
    const CellBox* box = nullptr;
    if (Shortcuts && Replayer.AlphaTestOn && Input.Wireframe != 1) box = VisibleBox(slot, use >= BlurBase, frame);
    if (!box) return false;
    if (box->u0 >= box->u1) {  // not one texel to show
        CountBox();
        return true;
    }
    if (Invisible(Bottom(r), Top(r))) {
        CountBox();
        return true;
    }
    const double F = (use >= BlurBase ? BlurBoxes : Boxes)[slot].F;
    if (DrawTrimmed(r, w, h, F, *box, tc)) return true;
    // Small images are drawn whole (the rotation at most doubles the box).
    if (2 * std::fabs(w * Replayer.ViewSx * Replayer.ViewW / 2 * h * Replayer.ViewSy * Replayer.ViewH / 2) <
        ScissorMinArea)
        return false;
    // One texel of margin: a linear filter reaches that far.
    PixelBox whole = Footprint(r, w, h, F, 0, 0, F, F);
    PixelBox seen = Footprint(r, w, h, F, std::max(0, box->u0 - 1), std::max(0.0, box->v0 - 1.0),
                              std::min(F, box->u1 + 1.0), std::min(F, box->v1 + 1.0));
    if (whole.Area() < ScissorMinArea || seen.Area() > whole.Area() * 0.85) return false;
    if (seen.Area() == 0) {  // nothing of it lands in the window
        CountBox();
        return true;
    }
    glEnd();
    glScissor(seen.x0, seen.y0, seen.x1 - seen.x0, seen.y1 - seen.y0);
    glEnable(GL_SCISSOR_TEST);
    glBegin(GL_TRIANGLES);
    EmitBox(r, drawn.w, drawn.h, drawn.tc);
    glEnd();
    glDisable(GL_SCISSOR_TEST);
    glBegin(GL_TRIANGLES);  // the batch goes on with the same texture
    return true;
}

}  // namespace Replay

using namespace Replay;

// What the last presented frame was drawn from.
struct ShownFrame {
    bool valid = false;
    GLFWwindow* window = nullptr;
    std::vector<DrawCmd> records;
    float set[DrawSlot::Count] = {};
    unsigned versions[ImageSlots] = {};
    int fw = 0, fh = 0, wireframe = 0;
    float overscan = 0;
};
ShownFrame Shown;
bool RefreshWanted = false;  // the window system lost the window's contents

void RememberShown(float overscan) {
    Shown.valid = true;
    Shown.window = Win.window;
    Shown.records.assign(Replayer.DrawR, Replayer.DrawR + Replayer.DrawToRT);
    std::memcpy(Shown.set, ASys.DrawSet, sizeof Shown.set);
    std::memcpy(Shown.versions, ImageVersion, sizeof Shown.versions);
    glfwGetFramebufferSize(Win.window, &Shown.fw, &Shown.fh);
    Shown.wireframe = Input.Wireframe;
    Shown.overscan = overscan;
    RefreshWanted = false;
}

// True when replaying now would draw exactly the frame on screen: the same
// records, settings and image pixels, the clear colour's fade finished, the
// same window at the same size, and no request to draw its contents again.
bool SameAsShown(float overscan) {
    if (!Shown.valid || RefreshWanted || Shown.window != Win.window) return false;
    const float* s = ASys.DrawSet;
    if (s[DrawSlot::ClearR] != s[DrawSlot::ClearToR] || s[DrawSlot::ClearG] != s[DrawSlot::ClearToG] ||
        s[DrawSlot::ClearB] != s[DrawSlot::ClearToB])
        return false;
    int fw = 0, fh = 0;
    glfwGetFramebufferSize(Win.window, &fw, &fh);
    return fw == Shown.fw && fh == Shown.fh && Input.Wireframe == Shown.wireframe && overscan == Shown.overscan &&
           size_t(Replayer.DrawToRT) == Shown.records.size() &&
           std::memcmp(Replayer.DrawR, Shown.records.data(), sizeof(DrawCmd) * size_t(Replayer.DrawToRT)) == 0 &&
           std::memcmp(s, Shown.set, sizeof Shown.set) == 0 &&
           std::memcmp(ImageVersion, Shown.versions, sizeof Shown.versions) == 0;
}

void SetRenderShortcuts(bool on) { Shortcuts = on; }

void WindowContentsLost() { RefreshWanted = true; }

void SetSwapInterval(int interval) {
    SwapInterval = interval;
    if (glfwGetCurrentContext()) glfwSwapInterval(interval);
}
