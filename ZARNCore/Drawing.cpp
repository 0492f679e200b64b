// The draw state and the recording of draw commands. Game code never touches
// OpenGL: every call appends one 30-double record to ASys.Draw, stamped with
// a copy of the current state, and the renderer replays the list later.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "CoreGlobals.h"
#include "ZARNCore.h"
#include "sys/ZARNSys.h"

namespace {

float Clamp255(float v) {
    if (!(v > 0)) return 0;  // also turns NaN into 0
    if (v > 255) return 255;
    return v;
}

float SizeX() { return ASys.DrawSet[11] * ViewScale; }
float SizeY() { return ASys.DrawSet[12] * ViewScale; }

// Claims the next record, or returns null once the list is full: a frame
// that records too much loses its last commands rather than overrunning.
double* Append(int kind) {
    if (ASys.DrawTo < 0 || ASys.DrawTo >= DrawListRecords) return nullptr;
    double* r = ASys.Draw + static_cast<long>(ASys.DrawTo) * DrawCmdSize;
    std::memset(r, 0, sizeof(double) * DrawCmdSize);
    r[0] = kind;
    if (kind != 50) {
        const float* s = ASys.DrawSet;
        for (int k = 0; k < 10; ++k) r[10 + k] = s[k];
        r[20] = s[10];
        r[21] = s[31];
        r[22] = s[32];
        r[23] = s[13];
        r[24] = s[14];
        r[25] = s[15];
    }
    ASys.DrawTo += 1;
    return r;
}

// A record of this kind centred on (x, y), with these size fields.
double* AppendAt(int kind, float x, float y, float sizeX, float sizeY) {
    double* r = Append(kind);
    if (r) {
        r[1] = x - rw2;
        r[2] = y - rh2;
        r[3] = sizeX;
        r[4] = sizeY;
    }
    return r;
}

// A shape w x h canvas units at the current size.
double* AppendSized(int kind, float x, float y, float w, float h) {
    return AppendAt(kind, x, y, SizeX() * w, SizeY() * h);
}

// A frame of an image slot at the current size and image zoom.
double* AppendImage(int kind, int slot, float x, float y, int frame) {
    double* r = AppendAt(kind, x, y, ASys.DrawSet[11] * ASys.ImageZoom, ASys.DrawSet[12] * ASys.ImageZoom);
    if (r) {
        r[28] = slot;
        r[29] = frame;
    }
    return r;
}

// Canvas points x1, y1, x2, y2, ... into the record from field 1 on, as
// offsets from the canvas centre.
void PutPoints(double* r, std::initializer_list<float> xy) {
    int field = 1;
    for (float v : xy) {
        r[field] = v - (field % 2 ? rw2 : rh2);
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
    for (int k = 0; k < 8; ++k) s[k] = 255;
    s[8] = 0;
    s[9] = 0.5f;
    s[11] = 1 / ViewScale;
    s[12] = -1 / ViewScale;
    s[31] = 0.5f;
    s[32] = 0.5f;
}

void ZARNCore::SetSize(float s) { SetSize(s, s); }

void ZARNCore::SetSize(float sx, float sy) {
    ASys.DrawSet[11] = sx / ViewScale;
    ASys.DrawSet[12] = -sy / ViewScale;
}

void ZARNCore::SetRot(float deg) { ASys.DrawSet[8] = deg; }

void ZARNCore::SetLineThickness(float t) {
    if (!(t >= 0.05f)) t = 0.05f;
    ASys.DrawSet[9] = t * 0.5f;
}
void ZARNCore::Width(float t) { SetLineThickness(t); }
void ZARNCore::Thick(float t) { SetLineThickness(t); }
void ZARNCore::SetLineWidth(float t) { SetLineThickness(t); }
void ZARNCore::SetLineThick(float t) { SetLineThickness(t); }

void ZARNCore::SetCol(float r, float g, float b) {
    float* s = ASys.DrawSet;
    s[1] = s[5] = Clamp255(r);
    s[2] = s[6] = Clamp255(g);
    s[3] = s[7] = Clamp255(b);
}

void ZARNCore::SetCol(float r, float g, float b, float a) {
    SetCol(r, g, b);
    SetAlpha(a);
}

void ZARNCore::SetGradient(float r1, float g1, float b1, float a1, float r2, float g2, float b2, float a2) {
    float* s = ASys.DrawSet;
    s[4] = Clamp255(a1 * 255);
    s[5] = Clamp255(r1);
    s[6] = Clamp255(g1);
    s[7] = Clamp255(b1);
    s[0] = Clamp255(a2 * 255);
    s[1] = Clamp255(r2);
    s[2] = Clamp255(g2);
    s[3] = Clamp255(b2);
}

void ZARNCore::SetAlpha(float a) { ASys.DrawSet[0] = ASys.DrawSet[4] = Clamp255(a * 255); }
void ZARNCore::Alpha(float a) { SetAlpha(a); }

float ZARNCore::GetCol(int i) { return (i >= 0 && i < 31) ? ASys.DrawSet[i] : 0; }

void ZARNCore::SetDepth(float d) { SetDepth(d, d); }
void ZARNCore::Depth(float d) { SetDepth(d, d); }
void ZARNCore::SetDepth(float a, float b) {
    ASys.DrawSet[31] = a;
    ASys.DrawSet[32] = b;
}

void ZARNCore::Smooth(int n) { ASys.DrawSet[49] = float(n); }
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
    s[21] = s[24] = Clamp255(r);
    s[22] = s[25] = Clamp255(g);
    s[23] = s[26] = Clamp255(b);
    s[27] = 1;
}
void ZARNCore::SetCLS(float r, float g, float b) { CLS(r, g, b); }

void ZARNCore::FadeCLS(float r, float g, float b, float d) {
    float* s = ASys.DrawSet;
    s[24] = Clamp255(r);
    s[25] = Clamp255(g);
    s[26] = Clamp255(b);
    s[27] = (d >= 1) ? d : 1;
}

void ZARNCore::SetCLSRot(float a, float lo, float hi) {
    lo = Clamp255(lo);
    hi = Clamp255(hi);
    float d = hi - lo;
    float* s = ASys.DrawSet;
    for (int k = 0; k < 3; ++k) s[21 + k] = s[24 + k] = Clamp255(Sin(a + 120 * k) * d + hi);
    s[27] = 1;
}

void ZARNCore::SetBlend(int m) {
    if (m == ASys.CurBlend) return;
    if (double* r = Append(50)) r[1] = m;
    ASys.CurBlend = m;
}

// ---- Recording ----

void ZARNCore::Rect(float x, float y, float w, float h) { AppendSized(1, x, y, w, h); }
void ZARNCore::Rect(float x, float y, float s) { Rect(x, y, s, s); }
void ZARNCore::Plot(float x, float y) { Rect(x, y, 1, 1); }
void ZARNCore::Rect_UL(float x, float y, float s) { Rect(x + s / 2, y + s / 2, s, s); }
void ZARNCore::Rect_UL(float x, float y, float w, float h) { Rect(x + w / 2, y + h / 2, w, h); }

void ZARNCore::Quad(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4) {
    if (double* r = Append(2)) PutPoints(r, {x1, y1, x2, y2, x3, y3, x4, y4});
}

void ZARNCore::Oval(float x, float y, float w, float h) { AppendSized(3, x, y, w, h); }
void ZARNCore::Oval(float x, float y, float r) { Oval(x, y, 2 * r, 2 * r); }
void ZARNCore::Circle(float x, float y, float r) { Oval(x, y, 2 * r, 2 * r); }
void ZARNCore::Circle(float x, float y, float w, float h) { Oval(x, y, w, h); }
void ZARNCore::Oval_UL(float x, float y, float w, float h) { Oval(x + w / 2, y + h / 2, w, h); }
void ZARNCore::Oval_UL(float x, float y, float r) { Oval(x + r, y + r, 2 * r, 2 * r); }
void ZARNCore::Circle_UL(float x, float y, float r) { Oval(x + r, y + r, 2 * r, 2 * r); }

void ZARNCore::FullTri(float x1, float y1, float x2, float y2, float x3, float y3) {
    if (double* r = Append(6)) PutPoints(r, {x1, y1, x2, y2, x3, y3});
}

void ZARNCore::Tri(float x, float y, float w, float h) {
    float rot = ASys.DrawSet[8];
    float cx[3], cy[3];
    for (int k = 0; k < 3; ++k) {
        cx[k] = x + Sin(rot + 120 * k) * SizeX() * w;
        cy[k] = y + Cos(rot + 120 * k) * SizeY() * h;
    }
    FullTri(cx[0], cy[0], cx[1], cy[1], cx[2], cy[2]);
}

void ZARNCore::Tri_Fix(float x, float y, float w, float h, float k) {
    float rot = ASys.DrawSet[8];
    float m = (Cos(60) - Cos(0)) * SizeY() * h * k;
    x += Sin(rot + 180) * m;
    y -= Cos(rot + 180) * m;
    Tri(x, y, w, h);
}

void ZARNCore::Fan(float x, float y, float rad) { AppendSized(5, x, y, 2 * rad, 2 * rad); }

void ZARNCore::Line(float x1, float y1, float x2, float y2) {
    float t = ASys.DrawSet[9];
    float a = Atan2(x2 - x1, y1 - y2);
    float p = a + 90, q = a - 90;
    float spt = Sin(p) * t, cpt = Cos(p) * t, sqt = Sin(q) * t, cqt = Cos(q) * t;
    Quad(x1 + spt, y1 - cpt, x2 + spt, y2 - cpt, x2 + sqt, y2 - cqt, x1 + sqt, y1 - cqt);
}

void ZARNCore::DrawImg(int slot, float x, float y) { DrawImg(slot, x, y, 0); }
void ZARNCore::DrawImg(int slot, float x, float y, int frame, float) { DrawImg(slot, x, y, frame); }

void ZARNCore::DrawImg(int slot, float x, float y, int frame) {
    if (!SlotLoaded(slot)) return;
    if (double* r = AppendImage(11, slot, x, y, frame)) r[27] = frame;
}

void ZARNCore::DrawBlur(int slot, float x, float y) { DrawBlur(slot, x, y, 0); }

void ZARNCore::DrawBlur(int slot, float x, float y, int frame) {
    if (!SlotLoaded(slot)) {
        LogMissing(slot);
        return;
    }
    AppendImage(13, slot, x, y, frame);
}

void ZARNCore::QuadImg(int slot, float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, int frame) {
    if (!SlotLoaded(slot)) {
        LogMissing(slot);
        return;
    }
    if (double* r = Append(12)) {
        PutPoints(r, {x1, y1, x2, y2, x3, y3, x4, y4});
        r[28] = slot;
        r[29] = frame;
    }
}

void ZARNCore::DrawBuffer() {
    if (ASys.iFrames[102] < 0) {
        ASys.Debuglog("Previous Buffer Missing");
        return;
    }
    if (double* r = Append(11)) {
        r[3] = ASys.DrawSet[11];
        r[4] = ASys.DrawSet[12];
        r[28] = 102;
        r[29] = 0;
    }
}

void ZARNCore::CLSGradient(float r1, float g1, float b1, float a1, float r2, float g2, float b2, float a2) {
    SetGradient(r1, g1, b1, a1, r2, g2, b2, a2);
    float m = OverscanFrac > 0 ? 128 : 8;
    float w = float(jscrWide), h = float(jscrHigh);
    Quad(w + m, h + m, w + m, -m, -m, -m, -m, h + m);
}
