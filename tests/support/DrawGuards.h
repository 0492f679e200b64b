// Save-and-restore guards for the drawing globals, so that drawing tests
// leave the shared ThisGame/ASys state as they found it.
#pragma once

#include <cstring>
#include <vector>

#include "CoreGlobals.h"
#include "shell/MyGame.h"
#include "sys/ImageTable.h"
#include "sys/ZARNSys.h"

// Draw state, canvas mapping and the recording list's fill level.
class DrawStateGuard {
public:
    DrawStateGuard() {
        std::memcpy(set_, ASys.DrawSet, sizeof set_);
        drawTo_ = ASys.DrawTo;
        curBlend_ = ASys.CurBlend;
        font_ = ASys.FontImage;
        rw2_ = rw2;
        rh2_ = rh2;
        viewScale_ = ViewScale;
        zoom_ = ASys.ImageZoom;
        target_ = ASys.TargetScale;
        showStats_ = ThisGame.ShowStats;
    }
    ~DrawStateGuard() {
        std::memcpy(ASys.DrawSet, set_, sizeof set_);
        ASys.DrawTo = drawTo_;
        ASys.CurBlend = curBlend_;
        ASys.FontImage = font_;
        rw2 = rw2_;
        rh2 = rh2_;
        ViewScale = viewScale_;
        ASys.ImageZoom = zoom_;
        ASys.TargetScale = target_;
        ThisGame.ShowStats = showStats_;
    }

private:
    float set_[50];
    int drawTo_, curBlend_, font_, rw2_, rh2_, showStats_;
    float viewScale_, zoom_, target_;
};

// One image slot's pixels and table entries.
class SlotGuard {
public:
    explicit SlotGuard(int slot)
        : slot_(slot),
          image_(Image[slot]),
          blur_(ImageBlur[slot]),
          frames_(ASys.iFrames[slot]),
          framesW_(iFramesW[slot]),
          wz_(iFramesWz[slot]),
          size_(iSize[slot]),
          scaled_(ASys.iSizeScaled[slot]),
          square_(ASys.iFramesSquare[slot]) {}
    ~SlotGuard() {
        Image[slot_] = image_;
        ImageBlur[slot_] = blur_;
        ASys.iFrames[slot_] = frames_;
        iFramesW[slot_] = framesW_;
        iFramesWz[slot_] = wz_;
        iSize[slot_] = size_;
        ASys.iSizeScaled[slot_] = scaled_;
        ASys.iFramesSquare[slot_] = square_;
        TouchImage(slot_);
    }

private:
    int slot_;
    std::vector<unsigned char> image_, blur_;
    int frames_, framesW_;
    float wz_;
    int size_;
    float scaled_;
    int square_;
};

// Record i of the recording list.
inline const double* Rec(int i) { return ASys.Draw + i * DrawCmdSize; }

// A neutral canvas: centre at (0, 0) offsets, size 1, 800-unit basis.
inline void NeutralCanvas(int halfW = 0, int halfH = 0) {
    rw2 = halfW;
    rh2 = halfH;
    ASys.TargetScale = 800;
    ViewScale = 2.0f / 800.0f;
    ASys.ImageZoom = 1;
    ThisGame.ResetDraw();
    ASys.DrawTo = 0;
    ASys.CurBlend = 1;
}
