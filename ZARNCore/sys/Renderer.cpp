// The renderer: replays the handed-over draw list with immediate-mode OpenGL,
// batching consecutive primitives that use the same texture into one
// GL_TRIANGLES run, then presents the frame.
//
// Each image slot (and its blur copy, and the white block for shapes) keeps
// its own texture object, uploaded again only when the slot's pixels changed
// (ImageVersion). Batches still start and end exactly where a re-upload on
// every texture change would put them, so the picture is the same; only the
// copying is saved.
#include <cmath>
#include <cstring>

#include "sys/ImageTable.h"
#include "sys/RendererGlobals.h"
#include "sys/SysGlobals.h"
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
        if (current) glfwSwapInterval(1);
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

Colour Bottom(const double* r) { return {ToByte(r[11]), ToByte(r[12]), ToByte(r[13]), ToByte(r[10])}; }
Colour Top(const double* r) { return {ToByte(r[15]), ToByte(r[16]), ToByte(r[17]), ToByte(r[14])}; }

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
    double ox[4] = {-w / 2, w / 2, w / 2, -w / 2};
    double oy[4] = {-h / 2, -h / 2, h / 2, h / 2};
    if (r[18] != 0) {
        double th = r[18] * DegToRad, c = std::cos(th), s = std::sin(th);
        for (int k = 0; k < 4; ++k) {
            double dx = ox[k], dy = oy[k];
            ox[k] = dx * c - dy * s;
            oy[k] = dx * s + dy * c;
        }
    }
    double x = r[1], y = r[2];
    Colour lo = Bottom(r), hi = Top(r);
    Vertex(tc.s00, tc.t00, lo, x + ox[0], y + oy[0]);
    Vertex(tc.s10, tc.t10, lo, x + ox[1], y + oy[1]);
    Vertex(tc.s11, tc.t11, hi, x + ox[2], y + oy[2]);
    Vertex(tc.s00, tc.t00, lo, x + ox[0], y + oy[0]);
    Vertex(tc.s11, tc.t11, hi, x + ox[2], y + oy[2]);
    Vertex(tc.s01, tc.t01, hi, x + ox[3], y + oy[3]);
    TriCount += 1;
    ASys.PolyCount += 2;
    ASys.ObjCount += 1;
}

// Slot of an image record if it may be drawn, else -1. Also clamps a frame
// outside the slot's range to 0, in the record.
int ImageSlotOf(double* r, bool allowCopy, bool blur) {
    double v = r[28];
    if (!(v >= 0 && v < ImageSlots)) return -1;
    int slot = int(v);
    if (slot > 99 && !(allowCopy && slot == 102)) return -1;
    if (ASys.iFrames[slot] < 0) return -1;
    if (!SlotHasPixels(slot) || iFramesW[slot] <= 0) return -1;
    if (blur && ImageBlur[slot].size() < Image[slot].size()) return -1;
    double f = r[29];
    if (!(f >= 0 && f <= ASys.iFrames[slot] - 1)) r[29] = 0;
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

void ImageBox(double* r, int slot, int use) {
    NeedTexture(use);
    // The record carries the size factor over the canvas half-width basis;
    // doubling gives one texture pixel per canvas unit at size 1.
    double w = r[3] * ASys.iSizeScaled[slot] * 2, h = r[4] * ASys.iSizeScaled[slot] * 2;
    EmitBox(r, w, h, CellTex(slot, int(r[29])));
}

void Rim(int i, double x, double y, double rx, double ry, double turn, double& px, double& py) {
    double th = (10.0 * i - turn) * DegToRad;
    px = x + std::sin(th) * rx;
    py = y - std::cos(th) * ry;
}

void EmitRound(const double* r, bool fan) {
    NeedTexture(WhiteUse);
    double x = r[1], y = r[2], rx = r[3] / 2, ry = r[4] / 2;
    double turn = fan ? r[18] : 0;
    Colour lo = Bottom(r), hi = Top(r);
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
        TriCount += 1;
        ASys.PolyCount += 1;
    }
    ASys.ObjCount += 1;
}

void FadeClearColour() {
    float* s = ASys.DrawSet;
    float divisor = s[27] >= 1 ? s[27] : 1;
    for (int k = 0; k < 3; ++k) {
        float& shown = s[21 + k];
        float target = s[24 + k];
        shown -= (shown - target) / divisor;
        if (std::fabs(float(int(shown - target))) < 2) shown = target;
    }
    glClearColor(s[21] / 255.0f, s[22] / 255.0f, s[23] / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
}

}  // namespace

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
    EmitBox(r, r[3], r[4], ShapeTex);
}

void ZARNSys::RenderQuad(int i) {
    NeedTexture(WhiteUse);
    const double* r = DrawR[i].d;
    Colour lo = Bottom(r), hi = Top(r);
    Vertex(0, 0, lo, r[1], r[2]);
    Vertex(1, 0, hi, r[3], r[4]);
    Vertex(1, 1, hi, r[5], r[6]);
    Vertex(0, 0, lo, r[1], r[2]);
    Vertex(1, 1, hi, r[5], r[6]);
    Vertex(0, 1, lo, r[7], r[8]);
    TriCount += 1;
    PolyCount += 2;
    ObjCount += 1;
}

void ZARNSys::RenderOval(int i) { EmitRound(DrawR[i].d, false); }

void ZARNSys::RenderFan(int i) { EmitRound(DrawR[i].d, true); }

void ZARNSys::RenderTri(int i) {
    NeedTexture(WhiteUse);
    const double* r = DrawR[i].d;
    Colour lo = Bottom(r), hi = Top(r);
    Vertex(0, 0, hi, r[1], r[2]);
    Vertex(1, 0, lo, r[3], r[4]);
    Vertex(1, 1, lo, r[5], r[6]);
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
    Tex4 tc = CellTex(slot, int(r[29]));
    Colour lo = Bottom(r), hi = Top(r);
    Vertex(tc.s00, tc.t00, lo, r[1], r[2]);
    Vertex(tc.s10, tc.t10, lo, r[3], r[4]);
    Vertex(tc.s11, tc.t11, hi, r[5], r[6]);
    Vertex(tc.s00, tc.t00, lo, r[1], r[2]);
    Vertex(tc.s11, tc.t11, hi, r[5], r[6]);
    Vertex(tc.s01, tc.t01, hi, r[7], r[8]);
    TriCount += 1;
    PolyCount += 2;
    ObjCount += 1;
}

void ReplayFrame(float overscan) {
    ZARNSys& sys = ASys;
    TexUploads = 0;
    TexUploadBytes = 0;
    TexBinds = 0;
    if (!window) return;
    CheckContext();

    RenderMode = sys.DrawSet[49] == 1 ? GL_LINEAR : GL_NEAREST;
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
    if (Wireframe == 1) glDisable(GL_TEXTURE_2D);
    else glEnable(GL_TEXTURE_2D);

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    float sx = (2 - overscan) / sys.TargetScale;
    float sy = -((2 - sys.Ratio * overscan) / sys.TargetScale) * sys.Ratio;
    glScalef(sx, sy, 1);
    OverscanScaleX = 1 / (1 - overscan / 2);
    OverscanScaleY = 1 / (1 - overscan / 2 * sys.Ratio);

    TexUse = -1;
    TriCount = 0;
    sys.PolyCount = 0;
    sys.ObjCount = 0;

    for (DrawToR = 0; DrawToR < DrawToRT; ++DrawToR) {
        int i = DrawToR;
        double k = DrawR[i].d[0];
        int kind = (k >= 0 && k < 100) ? int(k) : 0;
        switch (kind) {
            case 1: sys.RenderRect(i); break;
            case 2: sys.RenderQuad(i); break;
            case 3: sys.RenderOval(i); break;
            case 5: sys.RenderFan(i); break;
            case 6: sys.RenderTri(i); break;
            case 11: sys.RenderImage(i); break;
            case 12: sys.RenderQuadImage(i); break;
            case 13: sys.RenderImageBlur(i); break;
            case 50: {
                EndBatch();
                double m = DrawR[i].d[1];
                if (m == 1) {
                    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
                    glEnable(GL_ALPHA_TEST);
                } else if (m == 2) {
                    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
                    glEnable(GL_ALPHA_TEST);
                } else if (m == 3) {
                    glBlendFunc(GL_ONE_MINUS_SRC_COLOR, GL_ONE);
                    glDisable(GL_ALPHA_TEST);
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
    ReplayFrame(overscan);
    if (!window) return;
    // Read before presenting: after the swap the back buffer is undefined.
    if (Button[66]) Screenshot();
    glfwSwapBuffers(window);
    glfwPollEvents();
}
