// The renderer: replays the handed-over draw list with immediate-mode OpenGL,
// batching consecutive primitives that use the same texture into one
// GL_TRIANGLES run, then presents the frame.
//
// This file is the plain replay: every record drawn whole, in order. The
// work it may leave out without changing a pixel (the texture cache, records
// that cannot show, the clear margins of sprites, the scissor box, the
// unchanged frame while unfocused) is in sys/RendererShortcuts.cpp, with
// the tests that cover each; the replay calls into it through
// sys/RendererShared.h.
#include <cmath>
#include <cstring>

#include "sys/ImageTable.h"
#include "sys/RendererGlobals.h"
#include "sys/RendererShared.h"
#include "sys/SysGlobals.h"
#include "sys/TextureStrips.h"
#include "sys/ZARNSys.h"

ReplayState Replayer;
static_assert(GL_NEAREST == 0x2600, "the replay's filter starts as GL_NEAREST");

namespace Replay {

// Opens a batch for the texture unless the open one already uses it and
// still has room.
void NeedTexture(int use) {
    if (Replayer.TexUse == use && Replayer.TriCount < BatchLimit) return;
    if (Replayer.TexUse != -1) glEnd();
    Replayer.TexUse = use;
    BindTexture(use);
    Replayer.TexBinds += 1;
    glBegin(GL_TRIANGLES);
    Replayer.TriCount = 0;
}

void EndBatch() {
    if (Replayer.TexUse != -1) glEnd();
    Replayer.TexUse = -1;
}

// Counts a box (two triangles, one record); also for a box that was not
// sent because it could not change a pixel, so batches split as before.
void CountBox() {
    Replayer.TriCount += 1;
    ASys.PolyCount += 2;
    ASys.ObjCount += 1;
}

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

// A sheet packs every frame into a larger cell with a transparent margin.
// With a linear filter the frame's outer texels blend half with the
// margin's alpha 0, so a frame that is opaque to its edge fades out there
// and tiles laid edge to edge are parted by a faint line of background.
// Then only the frame is drawn, its edges sampling half a texel in, at the
// centres of its outer texels. A nearest filter draws the whole cell as it
// always has: its margin texels are dropped by the alpha test, and where
// texel edges fall exactly on pixel centres (sprites at half size, say) any
// other corner arithmetic could pick the other texel.
FrameBox FrameOnly(int slot, double w, double h, const Tex4& cell) {
    const int S = iSize[slot];
    const int C = int(std::lround(double(iFramesWz[slot]) * S));  // cell side in texels
    const int F = ASys.iFramesSquare[slot];
    const int margin = (C - F) / 2;
    if (Replayer.RenderMode != GL_LINEAR || S <= 0 || F <= 0 || margin <= 0 || C != F + 2 * margin) return {w, h, cell};
    const double keep = double(F) / C;
    const double in = (margin + 0.5) / S;
    const float ds = float(cell.s10 > cell.s00 ? in : -in), dt = float(cell.t11 > cell.t00 ? in : -in);
    Tex4 tc = {cell.s00 + ds, cell.t00 + dt, cell.s10 - ds, cell.t10 + dt,
               cell.s11 - ds, cell.t11 - dt, cell.s01 + ds, cell.t01 - dt};
    return {w * keep, h * keep, tc};
}

void ImageBox(double* r, int slot, int use) {
    NeedTexture(use);
    // The record carries the size factor over the canvas half-width basis;
    // doubling gives one texture pixel per canvas unit at size 1.
    double w = r[DrawField::W] * ASys.iSizeScaled[slot] * 2, h = r[DrawField::H] * ASys.iSizeScaled[slot] * 2;
    const int frame = int(r[DrawField::Frame]);
    const Tex4 tc = CellTex(slot, frame);
    const FrameBox drawn = FrameOnly(slot, w, h, tc);
    if (DrawImageShortcut(r, slot, use, frame, w, h, tc, drawn)) return;
    EmitBox(r, drawn.w, drawn.h, drawn.tc);
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
    Replayer.TriCount += 36;
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

}  // namespace Replay

using namespace Replay;

void ZARNSys::RenderBuffer() {
    Replayer.DrawToR = 0;
    int n = DrawTo;
    if (n < 0) n = 0;
    if (n > DrawListRecords) n = DrawListRecords;
    if (n > ReplayRecords) n = ReplayRecords;
    Replayer.DrawToRT = n;
    std::memcpy(Replayer.DrawR, Draw, sizeof(DrawCmd) * size_t(n));
}

void ZARNSys::RenderRect(int i) {
    NeedTexture(WhiteUse);
    const double* r = Replayer.DrawR[i].d;
    EmitBox(r, r[DrawField::W], r[DrawField::H], ShapeTex);
}

void ZARNSys::RenderQuad(int i) {
    NeedTexture(WhiteUse);
    const double* r = Replayer.DrawR[i].d;
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

void ZARNSys::RenderOval(int i) { EmitRound(Replayer.DrawR[i].d, false); }

void ZARNSys::RenderFan(int i) { EmitRound(Replayer.DrawR[i].d, true); }

void ZARNSys::RenderTri(int i) {
    NeedTexture(WhiteUse);
    const double* r = Replayer.DrawR[i].d;
    Colour lo = Bottom(r), hi = Top(r);
    if (!Invisible(lo, hi)) {
        Vertex(0, 0, hi, r[DrawField::X1], r[DrawField::Y1]);
        Vertex(1, 0, lo, r[DrawField::X2], r[DrawField::Y2]);
        Vertex(1, 1, lo, r[DrawField::X3], r[DrawField::Y3]);
    }
    Replayer.TriCount += 1;
    PolyCount += 1;
    ObjCount += 1;
}

void ZARNSys::RenderImage(int i) {
    double* r = Replayer.DrawR[i].d;
    int slot = ImageSlotOf(r, true, false);
    if (slot >= 0) ImageBox(r, slot, slot);
}

void ZARNSys::RenderImageBlur(int i) {
    double* r = Replayer.DrawR[i].d;
    int slot = ImageSlotOf(r, true, true);
    if (slot >= 0) ImageBox(r, slot, BlurBase + slot);
}

void ZARNSys::RenderQuadImage(int i) {
    double* r = Replayer.DrawR[i].d;
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

// A blend command: the blend function of what follows.
static void ApplyBlend(double m) {
    EndBatch();
    if (m == Blend::Alpha) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_ALPHA_TEST);
        Replayer.AlphaTestOn = true;
    } else if (m == Blend::Add) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glEnable(GL_ALPHA_TEST);
        Replayer.AlphaTestOn = true;
    } else if (m == Blend::SoftAdd) {
        glBlendFunc(GL_ONE_MINUS_SRC_COLOR, GL_ONE);
        glDisable(GL_ALPHA_TEST);
        Replayer.AlphaTestOn = false;
    }
}

// Every command of the replay copy, in order.
static void ReplayCommands(ZARNSys& sys) {
    for (Replayer.DrawToR = 0; Replayer.DrawToR < Replayer.DrawToRT; ++Replayer.DrawToR) {
        int i = Replayer.DrawToR;
        double k = Replayer.DrawR[i].d[DrawField::Kind];
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
            case DrawKind::Blend: ApplyBlend(Replayer.DrawR[i].d[DrawField::Mode]); break;
            default: break;
        }
    }
}

void ReplayFrame(float overscan) {
    ZARNSys& sys = ASys;
    Replayer.TexUploads = 0;
    Replayer.TexUploadBytes = 0;
    Replayer.TexBinds = 0;
    if (!Win.window) return;
    CheckContext();

    Replayer.RenderMode = sys.DrawSet[DrawSlot::Smoothing] == 1 ? GL_LINEAR : GL_NEAREST;
    int fw = 0, fh = 0;
    glfwGetFramebufferSize(Win.window, &fw, &fh);
    sys.FrameW = fw;
    sys.FrameH = fh;
    // A minimised window has no area; keep the last shape until it returns.
    if (fw > 0 && fh > 0) sys.Ratio = float(fw) / float(fh);
    glViewport(0, 0, fw, fh);
    glPolygonMode(GL_FRONT_AND_BACK, Input.Wireframe == 1 ? GL_LINE : GL_FILL);

    FadeClearColour();

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    // In blend modes 1 and 2 a fragment of alpha 0 leaves the pixel exactly
    // as it was, so it is dropped before blending: the transparent margins
    // of sprite cells then cost a software rasteriser much less. Mode 3
    // ignores alpha, so it turns the test off.
    glAlphaFunc(GL_GREATER, 0);
    glEnable(GL_ALPHA_TEST);
    Replayer.AlphaTestOn = true;
    if (Input.Wireframe == 1) glDisable(GL_TEXTURE_2D);
    else glEnable(GL_TEXTURE_2D);

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    float sx = (2 - overscan) / sys.TargetScale;
    float sy = -((2 - sys.Ratio * overscan) / sys.TargetScale) * sys.Ratio;
    glScalef(sx, sy, 1);
    Replayer.ViewSx = sx;
    Replayer.ViewSy = sy;
    Replayer.ViewW = fw;
    Replayer.ViewH = fh;
    Input.OverscanScaleX = 1 / (1 - overscan / 2);
    Input.OverscanScaleY = 1 / (1 - overscan / 2 * sys.Ratio);

    Replayer.TexUse = -1;
    Replayer.TriCount = 0;
    sys.PolyCount = 0;
    sys.ObjCount = 0;
    ReplayCommands(sys);
    EndBatch();
    glPopMatrix();
}

void ZARNSys::RenderSys(float overscan) {
    // Unfocused, an unchanged frame is left on screen as it is: a software
    // rasteriser would spend several ms of two cores on every such replay.
    // F10 still shoots every frame.
    if (Win.window && Button[Fixed::Focus] < 1 && Button[Fixed::Screenshot] == 0 && SameAsShown(overscan)) {
        Replayer.ReplaysSkipped += 1;
        glfwPollEvents();
        return;
    }
    ReplayFrame(overscan);
    if (!Win.window) return;
    // Read before presenting: after the swap the back buffer is undefined.
    if (Button[Fixed::Screenshot]) Screenshot();
    glfwSwapBuffers(Win.window);
    RememberShown(overscan);
    UploadStripsAhead();
    glfwPollEvents();
}
