// What the plain replay (sys/Renderer.cpp) and the work it may skip without
// changing a pixel (sys/RendererShortcuts.cpp) share: the batch constants,
// vertex colours and texture corners, and the calls each makes into the
// other. Only those two files include it.
#pragma once

#include "sys/SysGlobals.h"
#include "sys/ZARNSys.h"

namespace Replay {

constexpr int BatchLimit = 50001;
constexpr double DegToRad = 0.017453;
constexpr int WhiteUse = -2;
constexpr int BlurBase = 200;

struct Colour {
    GLubyte r, g, b, a;
};

inline GLubyte ToByte(double v) {
    if (!(v > 0)) return 0;
    if (v >= 255) return 255;
    return GLubyte(int(v));
}

inline Colour Bottom(const double* r) {
    return {ToByte(r[DrawField::BottomR]), ToByte(r[DrawField::BottomG]), ToByte(r[DrawField::BottomB]),
            ToByte(r[DrawField::BottomA])};
}
inline Colour Top(const double* r) {
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

// The box an image record is drawn as: its cell, or with a linear filter
// only the frame within it (see FrameOnly).
struct FrameBox {
    double w, h;  // the extent drawn, in record units
    Tex4 tc;
};
// ---- In sys/Renderer.cpp ----

// Counts a box (two triangles, one record) in the batch and the statistics.
void CountBox();
// Sends a centred box of full extent w x h, turned by the record's rotation.
void EmitBox(const double* r, double w, double h, const Tex4& tc);

// ---- In sys/RendererShortcuts.cpp ----

// Starts the texture cache afresh when the GL context changed.
void CheckContext();
// Binds the texture of a batch, uploading it only when its pixels changed.
void BindTexture(int use);
// True when a record with these colours cannot change a pixel.
bool Invisible(const Colour& lo, const Colour& hi);
// Draws an image record the cheaper way when that leaves every pixel as the
// whole box would; false, having drawn nothing, when it does not apply.
bool DrawImageShortcut(const double* r, int slot, int use, int frame, double w, double h, const Tex4& tc,
                       const FrameBox& drawn);

}  // namespace Replay

// True when replaying now would draw exactly the frame on screen.
bool SameAsShown(float overscan);
// Notes what the frame just presented was drawn from.
void RememberShown(float overscan);
