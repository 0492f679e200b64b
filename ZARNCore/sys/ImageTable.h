// The per-slot image tables kept beside ZARNSys (which holds iFrames,
// iSizeScaled and iFramesSquare). Free of GL types.
#pragma once

#include <vector>

#include "sys/ZARNSys.h"

extern std::vector<unsigned char> Image[ImageSlots];      // RGBA, rows top to bottom
// Blur copies are never blurred, and the game draws none: a slot's copy is
// made (transparent, the slot's size) only when one is first drawn.
extern std::vector<unsigned char> ImageBlur[ImageSlots];

// Drops a slot's blur copy (its pixels are about to change size).
inline void DropBlurCopy(int slot) { std::vector<unsigned char>().swap(ImageBlur[slot]); }
extern int iFramesW[ImageSlots];    // frames per texture row
extern float iFramesWz[ImageSlots]; // one frame cell in texture coordinates
extern int iSize[ImageSlots];       // side of the square texture

// Bumped by everything that changes a slot's pixels; the renderer uploads a
// slot's texture again only when this moved since its last upload.
extern unsigned ImageVersion[ImageSlots];

// Call after changing a slot's pixels (or its size) directly.
inline void TouchImage(int slot) {
    if (slot >= 0 && slot < ImageSlots) ImageVersion[slot] += 1;
}

// A slot's size factor for a cell of that many pixels: one texel per canvas
// unit at size 1. Records carry sizes times the image zoom, and the zoom
// times the canvas basis is the same in landscape (800 x 1) and portrait
// (512 x 1.5625), so an image is as big whatever shape the window had when
// it was loaded.
inline float CellScale(float cellPixels) {
    const float basis = ASys.TargetScale * ASys.ImageZoom;
    return cellPixels / (basis > 0 ? basis : 800);
}

// The table entries of a slot whose texture, side by side, is one picture:
// a single image, a pixel buffer or the screen copy.
inline void DescribeSingleImage(int slot, int side, float scaled) {
    ASys.iFrames[slot] = 1;
    iFramesW[slot] = side;
    iFramesWz[slot] = 1.0f;
    iSize[slot] = side;
    ASys.iFramesSquare[slot] = side;
    ASys.iSizeScaled[slot] = scaled;
}

// True when the slot holds a square texture of iSize with all its bytes.
bool SlotHasPixels(int slot);

// Largest side accepted for a decoded PNG, a frame and a pixel buffer.
constexpr int MaxImageSide = 4096;
// Largest packed sprite-sheet texture.
constexpr int MaxSheetSide = 2048;
