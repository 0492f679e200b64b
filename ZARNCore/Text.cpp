// Bitmap-font text: every character is one image-frame command from the font
// sheet (32-pixel cells, frame k = character code 32 + k), so text follows the
// colour, alpha, size and rotation like any image.
#include <cstdio>
#include <string>

#include "CoreGlobals.h"
#include "ImagePath.h"
#include "ZARNCore.h"
#include "sys/ZARNSys.h"

// Advance widths in font pixels, by character code - 32.
const int fontw[132] = {
    // space ! " # $ % & ' ( ) * + , - . /
    15, 5, 12, 19, 15, 22, 15, 5, 10, 10, 15, 15, 5, 15, 5, 15,
    // 0-9
    16, 16, 16, 16, 16, 16, 16, 16, 16, 16,
    // : ; < = > ? @
    5, 5, 15, 15, 15, 15, 25,
    // A-Z (M, V and W are wider)
    15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 22,
    15, 15, 15, 15, 15, 15, 15, 15, 16, 22, 15, 15, 15,
    // [ \ ] ^ _ `
    10, 15, 10, 12, 16, 5,
    // a-z (i, j, l, m and w differ)
    15, 15, 15, 15, 15, 15, 15, 15, 5, 10, 15, 5, 25,
    15, 15, 15, 15, 15, 15, 15, 15, 15, 22, 15, 15, 15,
    // { | } ~ DEL
    11, 5, 12, 25, 0,
    // unused
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};

namespace {

float TextSize() { return ASys.DrawSet[DrawSlot::SizeX] * Canvas.ViewScale; }

// Table index of a byte; bytes above 127 read as negative, like signed chars.
int GlyphIndex(char c) { return int(static_cast<signed char>(c)) - 32; }

float Advance(int k, float s) { return (k >= 0 && k < 132) ? (fontw[k] - 1) * s : 0; }

}  // namespace

void ZARNCore::LoadFont(int slot, const char* name) {
    const char* path = ResolveImagePath(*this, name, "Load Font  : ");
    ASys.GetPNG(slot, path, 32);
    ASys.FontImage = slot;
}

float ZARNCore::StringWidth(const char* text) {
    if (!text) return 0;
    float s = TextSize(), w = 0;
    for (const char* p = text; *p; ++p) {
        int k = GlyphIndex(*p);
        if (k >= 0) w += Advance(k, s);
    }
    return w;
}

float ZARNCore::StringWidth(const std::string& text) { return StringWidth(text.c_str()); }

float ZARNCore::StringWidth(char ch) {
    int k = GlyphIndex(ch);
    return k >= 0 ? Advance(k, TextSize()) : 0;
}

float ZARNCore::CharWidth(char ch) { return StringWidth(ch); }

void ZARNCore::Text(float x, float y, const char* text, float a, float) {
    if (!text) return;
    float r = ASys.DrawSet[DrawSlot::Rotation], s = TextSize();
    float half = StringWidth(text) * 0.5f;
    float px = x + Sin(r - 90) * half * a;
    float py = y - Cos(r - 90) * half * a;
    // Step direction along the (rotated) baseline.
    float dx = Sin(r + 90), dy = -Cos(r + 90);
    float space = (fontw[0] - 1) * s;
    px += dx * space;
    py += dy * space;
    for (const char* p = text; *p; ++p) {
        int k = GlyphIndex(*p);
        DrawImg(ASys.FontImage, px, py, k);
        if (k >= 0 && k < 132) {
            float adv = (fontw[k] - 1) * s;
            px += dx * adv;
            py += dy * adv;
        }
    }
}

void ZARNCore::Text(float x, float y, const std::string& text, float a, float f) { Text(x, y, text.c_str(), a, f); }

void ZARNCore::Text(float x, float y, int n, float a, float f) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%i", n);
    Text(x, y, buf, a, f);
}

void ZARNCore::Text(float x, float y, float v, float a, float f) { Text(x, y, double(v), a, f); }

void ZARNCore::Text(float x, float y, double v, float a, float f) {
    char buf[400];  // "%f" of the largest double needs 316 characters
    std::snprintf(buf, sizeof buf, "%f", v);
    Text(x, y, buf, a, f);
}

int ZARNCore::Text(float x, float y, char c, float a, float) {
    float r = ASys.DrawSet[DrawSlot::Rotation], s = TextSize();
    int k = GlyphIndex(c);
    float w = k >= 0 ? fontw[k] - 0.5f : 0;
    // The alignment shift is in font pixels, not scaled by the size.
    float px = x + Sin(r - 90) * w * a;
    float py = y - Cos(r - 90) * w * a;
    float halfSpace = (fontw[0] - 1) * s * 0.5f;
    px += Sin(r + 90) * halfSpace;
    py -= Cos(r + 90) * halfSpace;
    DrawImg(ASys.FontImage, px, py, k);
    return k >= 0 ? fontw[k] - 1 : 0;
}
