// The draw state and the recording of draw commands. Game code never touches
// OpenGL: every call appends one 30-double record to ASys.Draw, stamped with
// a copy of the current state, and the renderer replays the list later.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "CoreGlobals.h"
#include "DrawCodes.h"
#include "ZARNCore.h"
#include "sys/ZARNSys.h"

namespace {

float Clamp255(float v) {
    if (!(v > 0)) return 0;  // also turns NaN into 0
    if (v > 255) return 255;
    return v;
}

float SizeX() { return ASys.DrawSet[DrawSlot::SizeX] * Canvas.ViewScale; }
float SizeY() { return ASys.DrawSet[DrawSlot::SizeY] * Canvas.ViewScale; }

// Claims the next record, or returns null once the list is full: a frame
// that records too much loses its last commands rather than overrunning.
double* Append(int kind) {
    if (ASys.DrawTo < 0 || ASys.DrawTo >= DrawListRecords) return nullptr;
    double* r = ASys.Draw + static_cast<long>(ASys.DrawTo) * DrawCmdSize;
    std::memset(r, 0, sizeof(double) * DrawCmdSize);
    r[DrawField::Kind] = kind;
    if (kind != DrawKind::Blend) {
        const float* s = ASys.DrawSet;
        for (int k = 0; k <= DrawSlot::HalfThick; ++k) r[DrawField::BottomA + k] = s[DrawSlot::BottomA + k];
        r[DrawField::Spare10] = s[DrawSlot::Spare10];
        r[DrawField::DepthA] = s[DrawSlot::DepthA];
        r[DrawField::DepthB] = s[DrawSlot::DepthB];
        r[DrawField::Spare13] = s[DrawSlot::Spare13];
        r[DrawField::Spare14] = s[DrawSlot::Spare14];
        r[DrawField::Spare15] = s[DrawSlot::Spare15];
    }
    ASys.DrawTo += 1;
    return r;
}

// A record of this kind centred on (x, y), with these size fields.
double* AppendAt(int kind, float x, float y, float sizeX, float sizeY) {
    double* r = Append(kind);
    if (r) {
        r[DrawField::X] = x - Canvas.rw2;
        r[DrawField::Y] = y - Canvas.rh2;
        r[DrawField::W] = sizeX;
        r[DrawField::H] = sizeY;
    }
    return r;
}

// A shape w x h canvas units at the current size.
double* AppendSized(int kind, float x, float y, float w, float h) {
    return AppendAt(kind, x, y, SizeX() * w, SizeY() * h);
}

// A frame of an image slot at the current size and image zoom.
double* AppendImage(int kind, int slot, float x, float y, int frame) {
    double* r = AppendAt(kind, x, y, ASys.DrawSet[DrawSlot::SizeX] * ASys.ImageZoom,
                         ASys.DrawSet[DrawSlot::SizeY] * ASys.ImageZoom);
    if (r) {
        r[DrawField::Slot] = slot;
        r[DrawField::Frame] = frame;
    }
    return r;
}

// Canvas points x1, y1, x2, y2, ... into the record from field X1 on, as
// offsets from the canvas centre.
void PutPoints(double* r, std::initializer_list<float> xy) {
    int field = DrawField::X1;
    for (float v : xy) {
        r[field] = v - (field % 2 ? Canvas.rw2 : Canvas.rh2);
        ++field;
    }
}

bool SlotLoaded(int slot) {
    return slot >= 0 && slot < ImageSlots && ASys.iFrames[slot] >= 0;
}

void LogMissing(int slot) {
    char line[64];
    std::snprintf(line, sizeof line, "Missing Image %i", slot);
    ASys.Debuglog(line);
}

}  // namespace

// ---- State setters ----

void ZARNCore::ResetDraw() {
    float* s = ASys.DrawSet;
    for (int k = DrawSlot::BottomA; k <= DrawSlot::TopB; ++k) s[k] = 255;
    s[DrawSlot::Rotation] = 0;
    s[DrawSlot::HalfThick] = 0.5f;
    s[DrawSlot::SizeX] = 1 / Canvas.ViewScale;
    s[DrawSlot::SizeY] = -1 / Canvas.ViewScale;
    s[DrawSlot::DepthA] = 0.5f;
    s[DrawSlot::DepthB] = 0.5f;
}

void ZARNCore::SetSize(float s) { SetSize(s, s); }

void ZARNCore::SetSize(float sx, float sy) {
    ASys.DrawSet[DrawSlot::SizeX] = sx / Canvas.ViewScale;
    ASys.DrawSet[DrawSlot::SizeY] = -sy / Canvas.ViewScale;
}

void ZARNCore::SetRot(float deg) { ASys.DrawSet[DrawSlot::Rotation] = deg; }

void ZARNCore::SetLineThickness(float t) {
    if (!(t >= 0.05f)) t = 0.05f;
    ASys.DrawSet[DrawSlot::HalfThick] = t * 0.5f;
}
#ifndef ZARN_DISABLE_OTHER_NAMES
void ZARNCore::Width(float t) { SetLineThickness(t); }
void ZARNCore::Thick(float t) { SetLineThickness(t); }
void ZARNCore::SetLineWidth(float t) { SetLineThickness(t); }
void ZARNCore::SetLineThick(float t) { SetLineThickness(t); }
#endif

void ZARNCore::SetCol(float r, float g, float b) {
    float* s = ASys.DrawSet;
    s[DrawSlot::BottomR] = s[DrawSlot::TopR] = Clamp255(r);
    s[DrawSlot::BottomG] = s[DrawSlot::TopG] = Clamp255(g);
    s[DrawSlot::BottomB] = s[DrawSlot::TopB] = Clamp255(b);
}

void ZARNCore::SetCol(float r, float g, float b, float a) {
    SetCol(r, g, b);
    SetAlpha(a);
}

void ZARNCore::SetGradient(float r1, float g1, float b1, float a1, float r2, float g2, float b2, float a2) {
    float* s = ASys.DrawSet;
    s[DrawSlot::TopA] = Clamp255(a1 * 255);
    s[DrawSlot::TopR] = Clamp255(r1);
    s[DrawSlot::TopG] = Clamp255(g1);
    s[DrawSlot::TopB] = Clamp255(b1);
    s[DrawSlot::BottomA] = Clamp255(a2 * 255);
    s[DrawSlot::BottomR] = Clamp255(r2);
    s[DrawSlot::BottomG] = Clamp255(g2);
    s[DrawSlot::BottomB] = Clamp255(b2);
}

void ZARNCore::SetAlpha(float a) { ASys.DrawSet[DrawSlot::BottomA] = ASys.DrawSet[DrawSlot::TopA] = Clamp255(a * 255); }
void ZARNCore::Alpha(float a) { SetAlpha(a); }

float ZARNCore::GetCol(int i) { return (i >= 0 && i < 31) ? ASys.DrawSet[i] : 0; }

void ZARNCore::SetDepth(float d) { SetDepth(d, d); }
void ZARNCore::Depth(float d) { SetDepth(d, d); }
void ZARNCore::SetDepth(float a, float b) {
    ASys.DrawSet[DrawSlot::DepthA] = a;
    ASys.DrawSet[DrawSlot::DepthB] = b;
}

void ZARNCore::Smooth(int n) { ASys.DrawSet[DrawSlot::Smoothing] = float(n); }
void ZARNCore::SetSmooth(int n) { Smooth(n); }
void ZARNCore::SetFont(int n) { ASys.FontImage = n; }

void ZARNCore::Ink(int n) {
    static const float palette[10][3] = {
        {0, 0, 0},   {255, 0, 0},   {255, 128, 0}, {255, 255, 0}, {0, 255, 0},
        {0, 255, 255}, {0, 0, 255}, {180, 0, 255}, {255, 0, 180}, {255, 255, 255},
    };
    int m = n % 10;
    if (m < 0) m = 9;  // every negative remainder is white
    SetCol(palette[m][0], palette[m][1], palette[m][2], 1);
}

void ZARNCore::HSV2RGB(double h, double s, double v) {
    double r, g, b;
    if (s <= 0) {
        r = g = b = v;
    } else {
        double hh = std::fmod(h, 360.0);
        if (hh >= 360) hh = 0;
        int i = int(hh / 60);
        double f = hh / 60 - i;
        double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
        switch (i) {
            case 0: r = v; g = t; b = p; break;
            case 1: r = q; g = v; b = p; break;
            case 2: r = p; g = v; b = t; break;
            case 3: r = p; g = q; b = v; break;
            case 4: r = t; g = p; b = v; break;
            default: r = v; g = p; b = q; break;
        }
    }
    SetCol(float(r * 255), float(g * 255), float(b * 255), 1);
}

void ZARNCore::InkRot(double h) { HSV2RGB(h, 1, 1); }
void ZARNCore::InkRot(double h, double s) { HSV2RGB(h, s, 1); }
void ZARNCore::InkRot(double h, double s, double v) { HSV2RGB(h, s, v); }

void ZARNCore::CLS(float r, float g, float b) {
    float* s = ASys.DrawSet;
    s[DrawSlot::ClearR] = s[DrawSlot::ClearToR] = Clamp255(r);
    s[DrawSlot::ClearG] = s[DrawSlot::ClearToG] = Clamp255(g);
    s[DrawSlot::ClearB] = s[DrawSlot::ClearToB] = Clamp255(b);
    s[DrawSlot::ClearFade] = 1;
}
void ZARNCore::SetCLS(float r, float g, float b) { CLS(r, g, b); }

void ZARNCore::FadeCLS(float r, float g, float b, float d) {
    float* s = ASys.DrawSet;
    s[DrawSlot::ClearToR] = Clamp255(r);
    s[DrawSlot::ClearToG] = Clamp255(g);
    s[DrawSlot::ClearToB] = Clamp255(b);
    s[DrawSlot::ClearFade] = (d >= 1) ? d : 1;
}

void ZARNCore::SetCLSRot(float a, float lo, float hi) {
    lo = Clamp255(lo);
    hi = Clamp255(hi);
    float d = hi - lo;
    float* s = ASys.DrawSet;
    for (int k = 0; k < 3; ++k)
        s[DrawSlot::ClearR + k] = s[DrawSlot::ClearToR + k] = Clamp255(Sin(a + 120 * k) * d + hi);
    s[DrawSlot::ClearFade] = 1;
}

void ZARNCore::SetBlend(int m) {
    if (m == ASys.CurBlend) return;
    if (double* r = Append(DrawKind::Blend)) r[DrawField::Mode] = m;
    ASys.CurBlend = m;
}

// ---- Recording ----

void ZARNCore::Rect(float x, float y, float w, float h) { AppendSized(DrawKind::Rect, x, y, w, h); }
void ZARNCore::Rect(float x, float y, float s) { Rect(x, y, s, s); }
void ZARNCore::Plot(float x, float y) { Rect(x, y, 1, 1); }
void ZARNCore::Rect_UL(float x, float y, float s) { Rect(x + s / 2, y + s / 2, s, s); }
void ZARNCore::Rect_UL(float x, float y, float w, float h) { Rect(x + w / 2, y + h / 2, w, h); }

void ZARNCore::Quad(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4) {
    if (double* r = Append(DrawKind::Quad)) PutPoints(r, {x1, y1, x2, y2, x3, y3, x4, y4});
}

void ZARNCore::Oval(float x, float y, float w, float h) { AppendSized(DrawKind::Oval, x, y, w, h); }
void ZARNCore::Oval(float x, float y, float r) { Oval(x, y, 2 * r, 2 * r); }
void ZARNCore::Circle(float x, float y, float r) { Oval(x, y, 2 * r, 2 * r); }
void ZARNCore::Circle(float x, float y, float w, float h) { Oval(x, y, w, h); }
void ZARNCore::Oval_UL(float x, float y, float w, float h) { Oval(x + w / 2, y + h / 2, w, h); }
void ZARNCore::Oval_UL(float x, float y, float r) { Oval(x + r, y + r, 2 * r, 2 * r); }
void ZARNCore::Circle_UL(float x, float y, float r) { Oval(x + r, y + r, 2 * r, 2 * r); }

void ZARNCore::FullTri(float x1, float y1, float x2, float y2, float x3, float y3) {
    if (double* r = Append(DrawKind::Tri)) PutPoints(r, {x1, y1, x2, y2, x3, y3});
}

void ZARNCore::Tri(float x, float y, float w, float h) {
    float rot = ASys.DrawSet[DrawSlot::Rotation];
    float cx[3], cy[3];
    for (int k = 0; k < 3; ++k) {
        cx[k] = x + Sin(rot + 120 * k) * SizeX() * w;
        cy[k] = y + Cos(rot + 120 * k) * SizeY() * h;
    }
    FullTri(cx[0], cy[0], cx[1], cy[1], cx[2], cy[2]);
}

void ZARNCore::Tri_Fix(float x, float y, float w, float h, float k) {
    float rot = ASys.DrawSet[DrawSlot::Rotation];
    float m = (Cos(60) - Cos(0)) * SizeY() * h * k;
    x += Sin(rot + 180) * m;
    y -= Cos(rot + 180) * m;
    Tri(x, y, w, h);
}

void ZARNCore::Fan(float x, float y, float rad) { AppendSized(DrawKind::Fan, x, y, 2 * rad, 2 * rad); }

void ZARNCore::Line(float x1, float y1, float x2, float y2) {
    float t = ASys.DrawSet[DrawSlot::HalfThick];
    float a = Atan2(x2 - x1, y1 - y2);
    float p = a + 90, q = a - 90;
    float spt = Sin(p) * t, cpt = Cos(p) * t, sqt = Sin(q) * t, cqt = Cos(q) * t;
    Quad(x1 + spt, y1 - cpt, x2 + spt, y2 - cpt, x2 + sqt, y2 - cqt, x1 + sqt, y1 - cqt);
}

void ZARNCore::DrawImg(int slot, float x, float y) { DrawImg(slot, x, y, 0); }
void ZARNCore::DrawImg(int slot, float x, float y, int frame, float) { DrawImg(slot, x, y, frame); }

void ZARNCore::DrawImg(int slot, float x, float y, int frame) {
    if (!SlotLoaded(slot)) return;
    if (double* r = AppendImage(DrawKind::Image, slot, x, y, frame)) r[DrawField::DrawnFrame] = frame;
}

void ZARNCore::DrawBlur(int slot, float x, float y) { DrawBlur(slot, x, y, 0); }

void ZARNCore::DrawBlur(int slot, float x, float y, int frame) {
    if (!SlotLoaded(slot)) {
        LogMissing(slot);
        return;
    }
    AppendImage(DrawKind::ImageBlur, slot, x, y, frame);
}

void ZARNCore::QuadImg(int slot, float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, int frame) {
    if (!SlotLoaded(slot)) {
        LogMissing(slot);
        return;
    }
    if (double* r = Append(DrawKind::QuadImage)) {
        PutPoints(r, {x1, y1, x2, y2, x3, y3, x4, y4});
        r[DrawField::Slot] = slot;
        r[DrawField::Frame] = frame;
    }
}

void ZARNCore::DrawBuffer() {
    if (ASys.iFrames[102] < 0) {
        ASys.Debuglog("Previous Buffer Missing");
        return;
    }
    if (double* r = Append(DrawKind::Image)) {
        r[DrawField::W] = ASys.DrawSet[DrawSlot::SizeX];
        r[DrawField::H] = ASys.DrawSet[DrawSlot::SizeY];
        r[DrawField::Slot] = 102;
        r[DrawField::Frame] = 0;
    }
}

void ZARNCore::CLSGradient(float r1, float g1, float b1, float a1, float r2, float g2, float b2, float a2) {
    SetGradient(r1, g1, b1, a1, r2, g2, b2, a2);
    float m = OverscanFrac > 0 ? 128 : 8;
    float w = float(jscrWide), h = float(jscrHigh);
    Quad(w + m, h + m, w + m, -m, -m, -m, -m, h + m);
}
