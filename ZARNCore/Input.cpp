// The game's side of input: one poll per update with its housekeeping, and
// the queries that read what the poll stored.
#include <cstdio>
#include <cstring>
#include <string>

#include "CoreGlobals.h"
#include "ZARNCore.h"
#include "sys/ZARNSys.h"

namespace {

constexpr int Pointers = 10;

bool PadCounts(int pad) {
    return pad >= 0 && pad < 4 && ASys.Joy[pad][98] == 1.0f && ASys.Joy[pad][99] == 1.0f;
}

// Holding a key flips the switch once; it must be released to flip again.
void Latch(int held, int& latch, int& value) {
    if (held == 0) latch = 0;
    if (held == 1 && latch == 0) {
        latch = 1;
        value = 1 - value;
    }
}

// Whether controller pad holds the fixed button entry.
bool PadHolds(const float* pad, int entry) {
    auto button = [pad](int n) { return pad[n] > 0.5f; };
    float ax = pad[50], ay = pad[51];
    switch (entry) {
    case 0: return button(10) || ay < -0.5f;
    case 3: return button(13) || ax < -0.5f;
    case 5: return button(11) || ax > 0.5f;
    case 8: return button(12) || ay > 0.5f;
    case 98: return button(7);
    case 99: return button(6);
    default: return entry >= 10 && entry <= 15 && button(entry - 10);
    }
}

bool ValidPointer(int p) { return p >= 0 && p < Pointers; }

}  // namespace

void ZARNCore::PollInput(int invertY) {
    CountPerSecond(Mills(), UpdateCountLive, UpdateSec, UpdateCount);

    ASys.PollInputB(invertY);

    Latch(ASys.Button[68], DebugToggle, ShowStats);
    Latch(ASys.Button[64], ScreenshotToggle, ScreenshotMode);
    if (ASys.Button[100] == 1) GameBreak = 1;
    Active = ASys.Button[63];

    std::string name = std::string(home) + "/Screenshot_" + std::to_string(GameNum) + "_" + DateTime_fileb() + ".png";
    if (name.size() < sizeof ASys.ScreenshotName)
        std::memcpy(ASys.ScreenshotName, name.c_str(), name.size() + 1);
    else
        ASys.ScreenshotName[0] = 0;
}

int ZARNCore::PlayKey(int entry) {
    if (entry < 0 || entry > 127) return 0;
    int result = ASys.Button[entry] ? 1 : 0;
    if (MixJoy == 1 && entry <= 99)
        for (int j = 0; j < 4; ++j)
            if (PadCounts(j) && PadHolds(ASys.Joy[j], entry)) result = 1;
    return result;
}

int ZARNCore::PlayKeyAll(int entry) { return PlayKey(entry); }

float ZARNCore::Joy(int key) { return ASys.vKey(key); }

void ZARNCore::SetKey(int key, int code) { ASys.DefineKey(key, code); }

int ZARNCore::KeyValue(int key, int slot) {
    if (key < 0 || key > 15 || slot < 0 || slot > 63) return 0;
    return ASys.redef[slot][key];
}

void ZARNCore::FlushKeys() { ASys.ClearKeys(); }

std::string ZARNCore::KeyName(int code) { return ASys.ButtonName(code); }

void ZARNCore::LockForGet() { ASys.LockAll(); }

int ZARNCore::GetKey() { return ASys.AnyKey(); }

float ZARNCore::StickX() {
    float sum = 0;
    for (int j = 0; j < 4; ++j)
        if (PadCounts(j)) sum += ASys.Joy[j][50];
    return sum;
}

float ZARNCore::StickY() {
    float sum = 0;
    for (int j = 0; j < 4; ++j)
        if (PadCounts(j)) sum += ASys.Joy[j][51];
    return sum;
}

int ZARNCore::JoyDown(int button) { return JoyDown(button, 0); }

int ZARNCore::JoyDown(int button, int pad) {
    if (button < 0 || button > 49 || !PadCounts(pad)) return 0;
    return ASys.Joy[pad][button] > 0.5f ? 1 : 0;
}

float ZARNCore::JoyAxis(int axis) { return JoyAxis(axis, 0); }

float ZARNCore::JoyAxis(int axis, int pad) {
    if (axis < 0 || axis > 47 || !PadCounts(pad)) return 0;
    return ASys.Joy[pad][50 + axis];
}

float ZARNCore::MouseX(int p) { return ValidPointer(p) ? ASys.Touch[p][1] : 0; }
float ZARNCore::MouseY(int p) { return ValidPointer(p) ? ASys.Touch[p][2] : 0; }
int ZARNCore::MouseDown(int p) { return ValidPointer(p) && ASys.Touch[p][5] == 1.0f ? 1 : 0; }
int ZARNCore::MouseDown_Alt(int p) { return ValidPointer(p) && ASys.Touch[p][6] == 1.0f ? 1 : 0; }
int ZARNCore::MouseHeld(int p) { return ValidPointer(p) ? int(ASys.Touch[p][7]) : 0; }
float ZARNCore::TouchX(int p) { return MouseX(p); }
float ZARNCore::TouchY(int p) { return MouseY(p); }
int ZARNCore::TouchDown(int p) { return MouseDown(p); }
int ZARNCore::TouchDown_Alt(int p) { return MouseDown_Alt(p); }
int ZARNCore::TouchHeld(int p) { return MouseHeld(p); }

int ZARNCore::mdall() {
    for (int p = 0; p < Pointers; ++p)
        if (MouseDown(p)) return 1;
    return 0;
}

// A pointer at or left of and above the origin has never been placed.
static bool PointerAbsent(const float* t) { return t[1] <= 0 && t[2] <= 0; }

int ZARNCore::MouseIn(float x, float y, float w, float h) {
    for (int p = 0; p < Pointers; ++p) {
        const float* t = ASys.Touch[p];
        if (PointerAbsent(t)) continue;
        if (x <= t[1] && t[1] <= x + w && y <= t[2] && t[2] <= y + h) return p + 1;
    }
    return 0;
}

int ZARNCore::MouseIn_Centered(float cx, float cy, float w, float h) {
    return MouseIn(cx - w / 2, cy - h / 2, w, h);
}

int ZARNCore::MouseIn_Radius(float cx, float cy, float r) {
    for (int p = 0; p < Pointers; ++p) {
        const float* t = ASys.Touch[p];
        if (PointerAbsent(t)) continue;
        float dx = t[1] - cx, dy = t[2] - cy;
        if (dx * dx + dy * dy <= r * r) return p + 1;
    }
    return 0;
}

int ZARNCore::Button(int image, float x, float y, int frame) {
    if (image < 0 || image > 99) return 0;
    // The draw state keeps the draw size divided by ViewScale.
    float s = float(ASys.iFramesSquare[image]) * ASys.DrawSet[DrawSlot::SizeX] * ViewScale;
    DrawImg(image, x, y, frame);
    int p = MouseIn(x - s / 2, y - s / 2, s, s);
    if (p == 0) return 0;
    return MouseDown(p - 1) ? p : 0;
}

void ZARNCore::BumpCursor() { ASys.BumpCursorSys(); }
