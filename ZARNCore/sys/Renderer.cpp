// The renderer: replays the handed-over draw list with immediate-mode OpenGL,
// batching consecutive primitives that use the same texture into one
// GL_TRIANGLES run, then presents the frame.
//
// Each image slot (and its blur copy, and the white block for shapes) keeps
// its own texture object, uploaded again only when the slot's pixels changed
// (ImageVersion). Batches still start and end exactly where a re-upload on
// every texture change would put them, so the picture is the same; only the
// copying is saved.
//
// While the alpha test is on (blend modes 1 and 2), a fragment whose alpha is
// 0 is dropped, so work that can only make such fragments is skipped
// without changing a pixel:
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
//
// Without focus the game renders every 150 ms but no longer updates, so the
// list to replay is usually the frame already on screen; such a replay is
// skipped (see SameAsShown).
#include <cmath>
#include <cstring>
#include <vector>

#include "sys/ImageTable.h"
#include "sys/RendererGlobals.h"
#include "sys/SysGlobals.h"
#include "sys/TextureStrips.h"
#include "sys/ZARNSys.h"

DrawCmd DrawR[ReplayRecords];
int DrawToRT = 0;
int DrawToR = 0;
int TexUse = -1;
int TriCount = 0;
int RenderMode = GL_NEAREST;
int Wireframe = 0;
float OverscanScaleX = 1, OverscanScaleY = 1;
int TexUploads = 0;
long long TexUploadBytes = 0;
int TexBinds = 0;
long ReplaysSkipped = 0;

namespace {

constexpr int BatchLimit = 50001;
constexpr double DegToRad = 0.017453;
constexpr int WhiteUse = -2;
constexpr int BlurBase = 200;

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

bool Shortcuts = true;     // the pixel-neutral skips described above
bool AlphaTestOn = false;  // mirrors GL_ALPHA_TEST during a replay
// The mapping of this replay from record coordinates to window pixels.
double ViewSx = 0, ViewSy = 0;
int ViewW = 0, ViewH = 0;

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
double WindowX(double x) { return (x * ViewSx + 1) * ViewW / 2; }
double WindowY(double y) { return (y * ViewSy + 1) * ViewH / 2; }

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
    p.x1 = int(std::min(double(ViewW), std::ceil(hi[0]) + 1));
    p.y1 = int(std::min(double(ViewH), std::ceil(hi[1]) + 1));
    return p;
}

void BindTexture(int use);

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
    TexUploads += 1;
    TexUploadBytes += (long long)side * side * 4;
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
        pixels = WhiteBlock.size() >= 256 ? WhiteBlock.data() : fallback.data();
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
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, RenderMode);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, RenderMode);
    unsigned current = version ? ImageVersion[use >= BlurBase ? use - BlurBase : use] : 0;
    if (!*loaded || (version && *version != current)) {
        Upload(pixels, side);
        *loaded = true;
        if (version) *version = current;
    }
}

// Opens a batch for the texture unless the open one already uses it and
// still has room.
void NeedTexture(int use) {
    if (TexUse == use && TriCount < BatchLimit) return;
    if (TexUse != -1) glEnd();
    TexUse = use;
    BindTexture(use);
    TexBinds += 1;
    glBegin(GL_TRIANGLES);
    TriCount = 0;
}

void EndBatch() {
    if (TexUse != -1) glEnd();
    TexUse = -1;
}

struct Colour {
    GLubyte r, g, b, a;
};

GLubyte ToByte(double v) {
    if (!(v > 0)) return 0;
    if (v >= 255) return 255;
    return GLubyte(int(v));
}

// With the alpha test on, a record whose colour alpha is 0 at both ends
// draws nothing: every fragment's alpha is 0.
bool Invisible(const Colour& lo, const Colour& hi) {
    return Shortcuts && AlphaTestOn && Wireframe != 1 && lo.a == 0 && hi.a == 0;
}

// Counts a box (two triangles, one record); also for a box that was not
// sent because it could not change a pixel, so batches split as before.
void CountBox() {
    TriCount += 1;
    ASys.PolyCount += 2;
    ASys.ObjCount += 1;
}

Colour Bottom(const double* r) {
    return {ToByte(r[DrawField::BottomR]), ToByte(r[DrawField::BottomG]), ToByte(r[DrawField::BottomB]),
            ToByte(r[DrawField::BottomA])};
}
Colour Top(const double* r) {
    return {ToByte(r[DrawField::TopR]), ToByte(r[DrawField::TopG]), ToByte(r[DrawField::TopB]),
            ToByte(r[DrawField::TopA])};
}

inline void Vertex(float s, float t, const Colour& c, double x, double y) {
    glTexCoord2f(s, t);
    glColor4ub(c.r, c.g, c.b, c.a);
    glVertex2d(x, y);
}

struct Tex4 {
    float s00, t00, s10, t10, s11, t11, s01, t01;
};
constexpr Tex4 ShapeTex = {0, 0, 1, 0, 1, 1, 0, 1};

// A centred box of full extent w x h (h negative: c00 and c10 lie on the
// lower edge on screen), turned by the record's rotation.
void EmitBox(const double* r, double w, double h, const Tex4& tc) {
    Colour lo = Bottom(r), hi = Top(r);
    if (Invisible(lo, hi)) {
        CountBox();
        return;
    }
    double ox[4] = {-w / 2, w / 2, w / 2, -w / 2};
    double oy[4] = {-h / 2, -h / 2, h / 2, h / 2};
    if (r[DrawField::Rotation] != 0) {
        double th = r[DrawField::Rotation] * DegToRad, c = std::cos(th), s = std::sin(th);
        for (int k = 0; k < 4; ++k) {
            double dx = ox[k], dy = oy[k];
            ox[k] = dx * c - dy * s;
            oy[k] = dx * s + dy * c;
        }
    }
    double x = r[DrawField::X], y = r[DrawField::Y];
    Vertex(tc.s00, tc.t00, lo, x + ox[0], y + oy[0]);
    Vertex(tc.s10, tc.t10, lo, x + ox[1], y + oy[1]);
    Vertex(tc.s11, tc.t11, hi, x + ox[2], y + oy[2]);
    Vertex(tc.s00, tc.t00, lo, x + ox[0], y + oy[0]);
    Vertex(tc.s11, tc.t11, hi, x + ox[2], y + oy[2]);
    Vertex(tc.s01, tc.t01, hi, x + ox[3], y + oy[3]);
    CountBox();
}

// Slot of an image record if it may be drawn, else -1. Also clamps a frame
// outside the slot's range to 0, in the record.
int ImageSlotOf(double* r, bool allowCopy, bool blur) {
    double v = r[DrawField::Slot];
    if (!(v >= 0 && v < ImageSlots)) return -1;
    int slot = int(v);
    if (slot > 99 && !(allowCopy && slot == 102)) return -1;
    if (ASys.iFrames[slot] < 0) return -1;
    if (!SlotHasPixels(slot) || iFramesW[slot] <= 0) return -1;
    if (blur && ImageBlur[slot].size() != Image[slot].size()) ImageBlur[slot].assign(Image[slot].size(), 0);
    double f = r[DrawField::Frame];
    if (!(f >= 0 && f <= ASys.iFrames[slot] - 1)) r[DrawField::Frame] = 0;
    return slot;
}

// Texture coordinates of a frame's cell, upright.
Tex4 CellTex(int slot, int frame) {
    int W = iFramesW[slot];
    float Z = iFramesWz[slot];
    float s0 = (frame % W) * Z, t0 = (frame / W) * Z;
    float s1 = s0 + Z, t1 = t0 + Z;
    return {s0, t1, s1, t1, s1, t0, s0, t0};
}

bool NearWhole(double v, double tolerance) { return std::fabs(v - std::round(v)) < tolerance; }

// A sheet packs every frame into a larger cell with a transparent margin.
// With a linear filter the frame's outer texels blend half with the
// margin's alpha 0, so a frame that is opaque to its edge fades out there
// and tiles laid edge to edge are parted by a faint line of background.
// Then only the frame is drawn, its edges sampling half a texel in, at the
// centres of its outer texels. A nearest filter draws the whole cell as it
// always has: its margin texels are dropped by the alpha test, and where
// texel edges fall exactly on pixel centres (sprites at half size, say) any
// other corner arithmetic could pick the other texel.
struct FrameBox {
    double w, h;  // the extent drawn, in record units
    Tex4 tc;
};
FrameBox FrameOnly(int slot, double w, double h, const Tex4& cell) {
    const int S = iSize[slot];
    const int C = int(std::lround(double(iFramesWz[slot]) * S));  // cell side in texels
    const int F = ASys.iFramesSquare[slot];
    const int margin = (C - F) / 2;
    if (RenderMode != GL_LINEAR || S <= 0 || F <= 0 || margin <= 0 || C != F + 2 * margin) return {w, h, cell};
    const double keep = double(F) / C;
    const double in = (margin + 0.5) / S;
    const float ds = float(cell.s10 > cell.s00 ? in : -in), dt = float(cell.t11 > cell.t00 ? in : -in);
    Tex4 tc = {cell.s00 + ds, cell.t00 + dt, cell.s10 - ds, cell.t10 + dt,
               cell.s11 - ds, cell.t11 - dt, cell.s01 + ds, cell.t01 - dt};
    return {w * keep, h * keep, tc};
}

// Draws only the visible texels [u0,u1) x [v0,v1) of an upright, one-colour
// image record when the cut is exact (see the top of the file); false,
// having drawn nothing, when it is not.
bool DrawTrimmed(const double* r, double w, double h, double F, const CellBox& box, const Tex4& tc) {
    if (r[DrawField::Rotation] != 0 || RenderMode != GL_NEAREST) return false;
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

void ImageBox(double* r, int slot, int use) {
    NeedTexture(use);
    // The record carries the size factor over the canvas half-width basis;
    // doubling gives one texture pixel per canvas unit at size 1.
    double w = r[DrawField::W] * ASys.iSizeScaled[slot] * 2, h = r[DrawField::H] * ASys.iSizeScaled[slot] * 2;
    const int frame = int(r[DrawField::Frame]);
    const Tex4 tc = CellTex(slot, frame);
    const FrameBox drawn = FrameOnly(slot, w, h, tc);
    const CellBox* box = nullptr;
    if (Shortcuts && AlphaTestOn && Wireframe != 1) box = VisibleBox(slot, use >= BlurBase, frame);
    if (!box) {
        EmitBox(r, drawn.w, drawn.h, drawn.tc);
        return;
    }
    if (box->u0 >= box->u1) {  // not one texel to show
        CountBox();
        return;
    }
    if (Invisible(Bottom(r), Top(r))) {
        CountBox();
        return;
    }
    const double F = (use >= BlurBase ? BlurBoxes : Boxes)[slot].F;
    if (DrawTrimmed(r, w, h, F, *box, tc)) return;
    // Small images are drawn whole (the rotation at most doubles the box).
    if (2 * std::fabs(w * ViewSx * ViewW / 2 * h * ViewSy * ViewH / 2) < ScissorMinArea) {
        EmitBox(r, drawn.w, drawn.h, drawn.tc);
        return;
    }
    // One texel of margin: a linear filter reaches that far.
    PixelBox whole = Footprint(r, w, h, F, 0, 0, F, F);
    PixelBox seen = Footprint(r, w, h, F, std::max(0, box->u0 - 1), std::max(0.0, box->v0 - 1.0),
                              std::min(F, box->u1 + 1.0), std::min(F, box->v1 + 1.0));
    if (whole.Area() < ScissorMinArea || seen.Area() > whole.Area() * 0.85) {
        EmitBox(r, drawn.w, drawn.h, drawn.tc);
        return;
    }
    if (seen.Area() == 0) {  // nothing of it lands in the window
        CountBox();
        return;
    }
    glEnd();
    glScissor(seen.x0, seen.y0, seen.x1 - seen.x0, seen.y1 - seen.y0);
    glEnable(GL_SCISSOR_TEST);
    glBegin(GL_TRIANGLES);
    EmitBox(r, drawn.w, drawn.h, drawn.tc);
    glEnd();
    glDisable(GL_SCISSOR_TEST);
    glBegin(GL_TRIANGLES);  // the batch goes on with the same texture
}

void Rim(int i, double x, double y, double rx, double ry, double turn, double& px, double& py) {
    double th = (10.0 * i - turn) * DegToRad;
    px = x + std::sin(th) * rx;
    py = y - std::cos(th) * ry;
}

void EmitRound(const double* r, bool fan) {
    NeedTexture(WhiteUse);
    double x = r[DrawField::X], y = r[DrawField::Y], rx = r[DrawField::W] / 2, ry = r[DrawField::H] / 2;
    double turn = fan ? r[DrawField::Rotation] : 0;
    Colour lo = Bottom(r), hi = Top(r);
    if (!Invisible(lo, hi)) {
        double ax, ay, bx, by;
        Rim(0, x, y, rx, ry, turn, ax, ay);
        for (int i = 0; i < 36; ++i) {
            Rim(i + 1, x, y, rx, ry, turn, bx, by);
            const Colour& centre = fan ? ((i % 2) ? lo : hi) : lo;
            const Colour& edge = fan ? centre : hi;
            Vertex(0, 0, centre, x, y);
            Vertex(0, 1, edge, ax, ay);
            Vertex(1, 1, edge, bx, by);
            ax = bx;
            ay = by;
        }
    }
    TriCount += 36;
    ASys.PolyCount += 36;
    ASys.ObjCount += 1;
}

void FadeClearColour() {
    float* s = ASys.DrawSet;
    float divisor = s[DrawSlot::ClearFade] >= 1 ? s[DrawSlot::ClearFade] : 1;
    for (int k = 0; k < 3; ++k) {
        float& shown = s[DrawSlot::ClearR + k];
        float target = s[DrawSlot::ClearToR + k];
        shown -= (shown - target) / divisor;
        if (std::fabs(float(int(shown - target))) < 2) shown = target;
    }
    glClearColor(s[DrawSlot::ClearR] / 255.0f, s[DrawSlot::ClearG] / 255.0f, s[DrawSlot::ClearB] / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
}

}  // namespace

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
    Shown.window = window;
    Shown.records.assign(DrawR, DrawR + DrawToRT);
    std::memcpy(Shown.set, ASys.DrawSet, sizeof Shown.set);
    std::memcpy(Shown.versions, ImageVersion, sizeof Shown.versions);
    glfwGetFramebufferSize(window, &Shown.fw, &Shown.fh);
    Shown.wireframe = Wireframe;
    Shown.overscan = overscan;
    RefreshWanted = false;
}

// True when replaying now would draw exactly the frame on screen: the same
// records, settings and image pixels, the clear colour's fade finished, the
// same window at the same size, and no request to draw its contents again.
bool SameAsShown(float overscan) {
    if (!Shown.valid || RefreshWanted || Shown.window != window) return false;
    const float* s = ASys.DrawSet;
    if (s[DrawSlot::ClearR] != s[DrawSlot::ClearToR] || s[DrawSlot::ClearG] != s[DrawSlot::ClearToG] ||
        s[DrawSlot::ClearB] != s[DrawSlot::ClearToB])
        return false;
    int fw = 0, fh = 0;
    glfwGetFramebufferSize(window, &fw, &fh);
    return fw == Shown.fw && fh == Shown.fh && Wireframe == Shown.wireframe && overscan == Shown.overscan &&
           size_t(DrawToRT) == Shown.records.size() &&
           std::memcmp(DrawR, Shown.records.data(), sizeof(DrawCmd) * size_t(DrawToRT)) == 0 &&
           std::memcmp(s, Shown.set, sizeof Shown.set) == 0 &&
           std::memcmp(ImageVersion, Shown.versions, sizeof Shown.versions) == 0;
}

void SetRenderShortcuts(bool on) { Shortcuts = on; }

void WindowContentsLost() { RefreshWanted = true; }

void SetSwapInterval(int interval) {
    SwapInterval = interval;
    if (glfwGetCurrentContext()) glfwSwapInterval(interval);
}

void ZARNSys::RenderBuffer() {
    DrawToR = 0;
    int n = DrawTo;
    if (n < 0) n = 0;
    if (n > DrawListRecords) n = DrawListRecords;
    if (n > ReplayRecords) n = ReplayRecords;
    DrawToRT = n;
    std::memcpy(DrawR, Draw, sizeof(DrawCmd) * size_t(n));
}

void ZARNSys::RenderRect(int i) {
    NeedTexture(WhiteUse);
    const double* r = DrawR[i].d;
    EmitBox(r, r[DrawField::W], r[DrawField::H], ShapeTex);
}

void ZARNSys::RenderQuad(int i) {
    NeedTexture(WhiteUse);
    const double* r = DrawR[i].d;
    Colour lo = Bottom(r), hi = Top(r);
    if (!Invisible(lo, hi)) {
        Vertex(0, 0, lo, r[DrawField::X1], r[DrawField::Y1]);
        Vertex(1, 0, hi, r[DrawField::X2], r[DrawField::Y2]);
        Vertex(1, 1, hi, r[DrawField::X3], r[DrawField::Y3]);
        Vertex(0, 0, lo, r[DrawField::X1], r[DrawField::Y1]);
        Vertex(1, 1, hi, r[DrawField::X3], r[DrawField::Y3]);
        Vertex(0, 1, lo, r[DrawField::X4], r[DrawField::Y4]);
    }
    CountBox();
}

void ZARNSys::RenderOval(int i) { EmitRound(DrawR[i].d, false); }

void ZARNSys::RenderFan(int i) { EmitRound(DrawR[i].d, true); }

void ZARNSys::RenderTri(int i) {
    NeedTexture(WhiteUse);
    const double* r = DrawR[i].d;
    Colour lo = Bottom(r), hi = Top(r);
    if (!Invisible(lo, hi)) {
        Vertex(0, 0, hi, r[DrawField::X1], r[DrawField::Y1]);
        Vertex(1, 0, lo, r[DrawField::X2], r[DrawField::Y2]);
        Vertex(1, 1, lo, r[DrawField::X3], r[DrawField::Y3]);
    }
    TriCount += 1;
    PolyCount += 1;
    ObjCount += 1;
}

void ZARNSys::RenderImage(int i) {
    double* r = DrawR[i].d;
    int slot = ImageSlotOf(r, true, false);
    if (slot >= 0) ImageBox(r, slot, slot);
}

void ZARNSys::RenderImageBlur(int i) {
    double* r = DrawR[i].d;
    int slot = ImageSlotOf(r, true, true);
    if (slot >= 0) ImageBox(r, slot, BlurBase + slot);
}

void ZARNSys::RenderQuadImage(int i) {
    double* r = DrawR[i].d;
    int slot = ImageSlotOf(r, false, false);
    if (slot < 0) return;
    NeedTexture(slot);
    Tex4 tc = CellTex(slot, int(r[DrawField::Frame]));
    Colour lo = Bottom(r), hi = Top(r);
    if (!Invisible(lo, hi)) {
        Vertex(tc.s00, tc.t00, lo, r[DrawField::X1], r[DrawField::Y1]);
        Vertex(tc.s10, tc.t10, lo, r[DrawField::X2], r[DrawField::Y2]);
        Vertex(tc.s11, tc.t11, hi, r[DrawField::X3], r[DrawField::Y3]);
        Vertex(tc.s00, tc.t00, lo, r[DrawField::X1], r[DrawField::Y1]);
        Vertex(tc.s11, tc.t11, hi, r[DrawField::X3], r[DrawField::Y3]);
        Vertex(tc.s01, tc.t01, hi, r[DrawField::X4], r[DrawField::Y4]);
    }
    CountBox();
}

void ReplayFrame(float overscan) {
    ZARNSys& sys = ASys;
    TexUploads = 0;
    TexUploadBytes = 0;
    TexBinds = 0;
    if (!window) return;
    CheckContext();

    RenderMode = sys.DrawSet[DrawSlot::Smoothing] == 1 ? GL_LINEAR : GL_NEAREST;
    int fw = 0, fh = 0;
    glfwGetFramebufferSize(window, &fw, &fh);
    sys.FrameW = fw;
    sys.FrameH = fh;
    // A minimised window has no area; keep the last shape until it returns.
    if (fw > 0 && fh > 0) sys.Ratio = float(fw) / float(fh);
    glViewport(0, 0, fw, fh);
    glPolygonMode(GL_FRONT_AND_BACK, Wireframe == 1 ? GL_LINE : GL_FILL);

    FadeClearColour();

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    // In blend modes 1 and 2 a fragment of alpha 0 leaves the pixel exactly
    // as it was, so it is dropped before blending: the transparent margins
    // of sprite cells then cost a software rasteriser much less. Mode 3
    // ignores alpha, so it turns the test off.
    glAlphaFunc(GL_GREATER, 0);
    glEnable(GL_ALPHA_TEST);
    AlphaTestOn = true;
    if (Wireframe == 1) glDisable(GL_TEXTURE_2D);
    else glEnable(GL_TEXTURE_2D);

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    float sx = (2 - overscan) / sys.TargetScale;
    float sy = -((2 - sys.Ratio * overscan) / sys.TargetScale) * sys.Ratio;
    glScalef(sx, sy, 1);
    ViewSx = sx;
    ViewSy = sy;
    ViewW = fw;
    ViewH = fh;
    OverscanScaleX = 1 / (1 - overscan / 2);
    OverscanScaleY = 1 / (1 - overscan / 2 * sys.Ratio);

    TexUse = -1;
    TriCount = 0;
    sys.PolyCount = 0;
    sys.ObjCount = 0;

    for (DrawToR = 0; DrawToR < DrawToRT; ++DrawToR) {
        int i = DrawToR;
        double k = DrawR[i].d[DrawField::Kind];
        int kind = (k >= 0 && k < 100) ? int(k) : 0;
        switch (kind) {
            case DrawKind::Rect: sys.RenderRect(i); break;
            case DrawKind::Quad: sys.RenderQuad(i); break;
            case DrawKind::Oval: sys.RenderOval(i); break;
            case DrawKind::Fan: sys.RenderFan(i); break;
            case DrawKind::Tri: sys.RenderTri(i); break;
            case DrawKind::Image: sys.RenderImage(i); break;
            case DrawKind::QuadImage: sys.RenderQuadImage(i); break;
            case DrawKind::ImageBlur: sys.RenderImageBlur(i); break;
            case DrawKind::Blend: {
                EndBatch();
                double m = DrawR[i].d[DrawField::Mode];
                if (m == Blend::Alpha) {
                    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
                    glEnable(GL_ALPHA_TEST);
                    AlphaTestOn = true;
                } else if (m == Blend::Add) {
                    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
                    glEnable(GL_ALPHA_TEST);
                    AlphaTestOn = true;
                } else if (m == Blend::SoftAdd) {
                    glBlendFunc(GL_ONE_MINUS_SRC_COLOR, GL_ONE);
                    glDisable(GL_ALPHA_TEST);
                    AlphaTestOn = false;
                }
                break;
            }
            default: break;
        }
    }
    EndBatch();
    glPopMatrix();
}

void ZARNSys::RenderSys(float overscan) {
    // Unfocused, an unchanged frame is left on screen as it is: a software
    // rasteriser would spend several ms of two cores on every such replay.
    // F10 still shoots every frame.
    if (window && Button[63] < 1 && Button[66] == 0 && SameAsShown(overscan)) {
        ReplaysSkipped += 1;
        glfwPollEvents();
        return;
    }
    ReplayFrame(overscan);
    if (!window) return;
    // Read before presenting: after the swap the back buffer is undefined.
    if (Button[66]) Screenshot();
    glfwSwapBuffers(window);
    RememberShown(overscan);
    UploadStripsAhead();
    glfwPollEvents();
}
