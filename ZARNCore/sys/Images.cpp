// Image slots: PNG loading (single images and sprite sheets repacked into a
// square power-of-two texture), PNG saving, screenshots and the full-screen
// copy. Everything here must survive hostile files and any slot number.
#include <lodepng.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "sys/AssetDecode.h"
#include "sys/DecodeAhead.h"
#include "sys/FileSys.h"
#include "sys/ImageTable.h"
#include "sys/SysGlobals.h"
#include "sys/TextureStrips.h"
#include "sys/ZARNSys.h"

std::vector<unsigned char> Image[ImageSlots];
std::vector<unsigned char> ImageBlur[ImageSlots];
int iFramesW[ImageSlots] = {};
float iFramesWz[ImageSlots] = {};
int iSize[ImageSlots] = {};
unsigned ImageVersion[ImageSlots] = {};

namespace {

// lodepng's number for a file it could not write, kept for the log line.
constexpr unsigned CannotWritePng = 79;

std::string Formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Formatted(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

bool IsKeyColour(const unsigned char* p) {
    bool magenta = p[0] > 250 && p[1] < 5 && p[2] > 250;
    bool cyan = p[0] < 5 && p[1] > 250 && p[2] > 250;
    return magenta || cyan;
}

// Reads the PNG header first so that a file claiming a huge picture is
// refused before anything is allocated for it.
bool DecodePNG(const char* path, std::vector<unsigned char>& px, unsigned& w, unsigned& h,
               std::vector<std::string>& lines) {
    std::vector<unsigned char> file;
    if (!ReadRegularFile(path, file) || file.empty()) return false;
    lodepng::State state;
    if (lodepng_inspect(&w, &h, &state, file.data(), file.size()) != 0) return false;
    if (w == 0 || h == 0 || w > unsigned(MaxImageSide) || h > unsigned(MaxImageSide)) {
        lines.push_back(Formatted("Image too large: %ux%u", w, h));
        return false;
    }
    if (lodepng::decode(px, w, h, file) != 0) return false;
    return px.size() == size_t(w) * h * 4;
}

int SheetSide(long side) {
    if (side <= 64) return 64;
    long p = 64;
    while (p < side) p *= 2;
    return int(p);
}

// Sets every alpha-0 pixel's colour to the average of its opaque neighbours,
// so that linear filtering at a frame's edge blends towards the frame's own
// colours instead of black. Alphas never change, so the order is free.
void BleedEdges(std::vector<unsigned char>& img, int S) {
    for (int y = 1; y <= S - 2; ++y) {
        for (int x = 1; x <= S - 2; ++x) {
            unsigned char* p = &img[(size_t(y) * S + x) * 4];
            if (p[3] != 0) continue;
            int r = 0, g = 0, b = 0, n = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                const unsigned char* row = &img[(size_t(y + dy) * S + x - 1) * 4];
                for (int dx = 0; dx < 3; ++dx) {
                    const unsigned char* q = row + dx * 4;
                    if (q[3] == 0) continue;
                    r += q[0];
                    g += q[1];
                    b += q[2];
                    n += 1;
                }
            }
            if (n > 0) {
                p[0] = (unsigned char)(r / n);
                p[1] = (unsigned char)(g / n);
                p[2] = (unsigned char)(b / n);
            } else {
                p[0] = p[1] = p[2] = 0;
            }
        }
    }
}

bool ReadScreen(std::vector<unsigned char>& dst, int w, int h) {
    if (!Win.window || w <= 0 || h <= 0 || w > 16384 || h > 16384) return false;
    dst.assign(size_t(w) * h * 4, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    // The back buffer: the renderer reads it before presenting, which is the
    // one reliable moment; elsewhere it holds whatever the platform left.
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, dst.data());
    return true;
}

// Slot 101 = the raw read (bottom row first), slot 100 = upright and opaque.
bool ScreenToSlots() {
    int w = ASys.FrameW, h = ASys.FrameH;
    if (!ReadScreen(Image[101], w, h)) return false;
    TouchImage(101);
    Image[100].resize(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        const unsigned char* src = &Image[101][size_t(h - 1 - y) * w * 4];
        unsigned char* dst = &Image[100][size_t(y) * w * 4];
        std::memcpy(dst, src, size_t(w) * 4);
        for (int x = 0; x < w; ++x) dst[x * 4 + 3] = 255;
    }
    TouchImage(100);
    return true;
}

}  // namespace

bool SlotHasPixels(int slot) {
    if (slot < 0 || slot >= ImageSlots) return false;
    long s = iSize[slot];
    return s > 0 && s <= MaxImageSide && Image[slot].size() >= size_t(s) * s * 4;
}

void ClearImageTable() {
    for (int s = 0; s < ImageSlots; ++s) {
        ASys.iFrames[s] = -1;
        TouchImage(s);
    }
}

// The slow half of a load: no slot and no shared table is touched here.
PreparedImage PrepareImage(const char* path, unsigned F) {
    PreparedImage out;
    out.F = F;
    std::vector<unsigned char> px;
    unsigned w = 0, h = 0;
    if (!DecodePNG(path, px, w, h, out.Lines)) return out;
    out.Decoded = true;
    if (F == 0 || F > unsigned(MaxImageSide)) {
        out.Lines.push_back(Formatted("Frame size %u refused", F));
        return out;
    }
    out.FrameOk = true;

    if (w <= F) {
        // Single image: an F x F texture; a smaller picture fills its top left.
        out.Pixels.assign(size_t(F) * F * 4, 0);
        unsigned rows = h < F ? h : F;
        for (unsigned y = 0; y < rows; ++y) {
            for (unsigned x = 0; x < w; ++x) {
                const unsigned char* s = &px[(size_t(y) * w + x) * 4];
                if (IsKeyColour(s)) continue;  // stays transparent black
                std::memcpy(&out.Pixels[(size_t(y) * F + x) * 4], s, 4);
            }
        }
        out.Lines.push_back(Formatted("    Loaded %ix%i Image", int(F), int(F)));
        out.Kind = PreparedImage::Single;
        out.Side = int(F);
        return out;
    }

    // Sprite sheet.
    for (size_t i = 0; i < px.size(); i += 4)
        if (IsKeyColour(&px[i])) px[i + 3] = 0;
    int cell = int(F) + 8;
    int cols = int(w / F), rows = int(h / F);
    long wanted = long(cols) * cell;
    if (wanted > MaxSheetSide) {
        out.Lines.push_back(
            Formatted("Spritesheet too wide: %i x %i-pixel frames need a %li texture", cols, int(F), wanted));
        return out;
    }
    int S = SheetSide(wanted);
    out.Lines.push_back(Formatted("    Loaded Spritesheet of %i x %ix%i sprites", cols * rows, int(F), int(F)));
    // S follows the column count only, so tall sheets may not fit: keep the
    // frames that do, in reading order.
    int perRow = S / cell;
    int frames = cols * rows;
    int capacity = perRow * perRow;
    if (frames > capacity) {
        out.Lines.push_back(Formatted("    Only %i of %i sprites fit", capacity, frames));
        frames = capacity;
    }
    out.Pixels.assign(size_t(S) * S * 4, 0);
    for (int k = 0; k < frames; ++k) {
        int c = k % cols, r = k / cols;
        int ox = (k % perRow) * cell + 4, oy = (k / perRow) * cell + 4;
        for (unsigned j = 0; j < F; ++j) {
            const unsigned char* src = &px[((size_t(r) * F + j) * w + size_t(c) * F) * 4];
            unsigned char* dst = &out.Pixels[((size_t(oy) + j) * S + ox) * 4];
            std::memcpy(dst, src, size_t(F) * 4);
        }
    }
    BleedEdges(out.Pixels, S);
    out.Kind = PreparedImage::Sheet;
    out.Side = S;
    out.Frames = frames;
    out.PerRow = perRow;
    out.Cell = cell;
    return out;
}

// The quick half, on the main thread: the slot and the log.
void InstallImage(int slot, PreparedImage& img) {
    ZARNSys& sys = ASys;
    for (const std::string& line : img.Lines) SysLog("%s", line.c_str());
    if (!img.Decoded) {
        sys.Debuglog("OMGERRORZ");
        return;
    }
    if (!img.FrameOk) return;
    TouchImage(slot);
    if (img.Kind == PreparedImage::None) return;
    Image[slot] = std::move(img.Pixels);
    DropBlurCopy(slot);
    if (img.Kind == PreparedImage::Single) {
        DescribeSingleImage(slot, img.Side, CellScale(float(img.F)));
    } else {
        sys.iFrames[slot] = img.Frames;
        iFramesW[slot] = img.PerRow;
        iFramesWz[slot] = float(img.Cell) / float(img.Side);
        iSize[slot] = img.Side;
        sys.iFramesSquare[slot] = int(img.F);
        sys.iSizeScaled[slot] = CellScale(float(img.Cell));
    }
    UploadInStrips(slot);
}

void ZARNSys::GetPNG(int slot, const char* path, unsigned F) {
    if (slot < 0 || slot > 99) {
        std::printf("Image number out of bounds");
        std::fflush(stdout);
        return;
    }
    iFrames[slot] = -1;
    // Decoded ahead while the loading screen played, or decoded now.
    PreparedImage img;
    if (!TakeDecodedImage(path, F, img)) img = PrepareImage(path, F);
    InstallImage(slot, img);
}

void ZARNSys::SavePNG(const char* path, int slot, int w, int h) {
    SysLog("Saving Image - %ix%i  to %s", w, h, path ? path : "");
    if (!path || slot < 0 || slot >= ImageSlots || w <= 0 || h <= 0 ||
        Image[slot].size() < size_t(w) * size_t(h) * 4) {
        SysLog("Nothing to save in slot %i", slot);
        return;
    }
    std::vector<unsigned char> png;
    unsigned error = lodepng::encode(png, Image[slot].data(), unsigned(w), unsigned(h));
    if (!error) {
        // A screenshot's name is easy to guess: what someone put there in
        // advance is never written through, only a file of the game's own
        // (the last frame's, while the key is held) is replaced.
        FILE* file = CreateFileAnew(path, 0666);
        bool whole = file && std::fwrite(png.data(), 1, png.size(), file) == png.size();
        if (file && std::fclose(file) != 0) whole = false;
        if (!whole) error = CannotWritePng;
    }
    if (error) SysLog("The image save didn't work.  All the images are unsaved!! %i", int(error));
}

void ZARNSys::Screenshot() {
    if (ScreenshotName[0] == 0) {
        // A cut name would land in the wrong file or folder: refuse instead.
        SysLog("Screenshot not saved: its file name does not fit");
        return;
    }
    if (ScreenToSlots()) SavePNG(ScreenshotName, 100, FrameW, FrameH);
}

void ZARNSys::ScreenToBuffer() { ScreenToSlots(); }

void ZARNSys::GrabBuffer() {
    int fw = FrameW, fh = FrameH;
    if (!ReadScreen(Image[101], fw, fh)) return;
    TouchImage(101);
    int m = fw > fh ? fw : fh;
    int S = 64;
    while (S < m && S < MaxImageSide) S *= 2;
    DescribeSingleImage(102, S, float(S) / float(fw));
    // Outside the copied screen the texture keeps what it held.
    Image[102].resize(size_t(S) * S * 4, 0);
    int ox = S / 2 - fw / 2, oy = S / 2 - fh / 2;
    for (int y = 0; y < fh; ++y) {
        int ty = oy + y;
        if (ty < 0 || ty >= S) continue;  // a screen larger than the texture is cut
        const unsigned char* src = &Image[101][size_t(fh - 1 - y) * fw * 4];
        for (int x = 0; x < fw; ++x) {
            int tx = ox + x;
            if (tx < 0 || tx >= S) continue;
            unsigned char* dst = &Image[102][(size_t(ty) * S + tx) * 4];
            std::memcpy(dst, src + size_t(x) * 4, 3);
            dst[3] = 255;
        }
    }
    TouchImage(102);
}
