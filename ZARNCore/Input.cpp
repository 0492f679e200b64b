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
    return pad >= 0 && pad < 4 && ASys.Joy[pad].Ready == 1.0f && ASys.Joy[pad].Present == 1.0f;
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
bool PadHolds(const ControllerRecord& pad, int entry) {
    auto button = [&pad](int n) { return pad.Buttons[n] > 0.5f; };
    float ax = pad.Axes[0], ay = pad.Axes[1];
    switch (entry) {
    case Fixed::Up: return button(PadButton::DpadUp) || ay < -0.5f;
    case Fixed::Left: return button(PadButton::DpadLeft) || ax < -0.5f;
    case Fixed::Right: return button(PadButton::DpadRight) || ax > 0.5f;
    case Fixed::Down: return button(PadButton::DpadDown) || ay > 0.5f;
    case Fixed::Accept: return button(PadButton::Start);
    case Fixed::Back: return button(PadButton::Back);
    default:
        return entry >= Fixed::Action1 && entry <= Fixed::Action6 &&
               button(PadButton::Action1 + entry - Fixed::Action1);
    }
}

bool ValidPointer(int p) { return p >= 0 && p < Pointers; }

}  // namespace

void ZARNCore::PollInput(int invertY) {
    CountPerSecond(Mills(), Loop.UpdateCountLive, UpdateSec, UpdateCount);

    ASys.PollInputB(invertY);

    Latch(ASys.Button[Fixed::StatsToggle], Loop.DebugToggle, ShowStats);
    Latch(ASys.Button[Fixed::ScreenshotModeToggle], Loop.ScreenshotToggle, ScreenshotMode);
    if (ASys.Button[Fixed::Quit] == 1) GameBreak = 1;
    Active = ASys.Button[Fixed::Focus];

    std::string name = std::string(home) + "/Screenshot_" + std::to_string(GameNum) + "_" + DateTime_fileb() + ".png";
    if (name.size() < sizeof ASys.ScreenshotName)
        std::memcpy(ASys.ScreenshotName, name.c_str(), name.size() + 1);
    else
        ASys.ScreenshotName[0] = 0;
}

int ZARNCore::PlayKey(int entry) {
    if (entry < 0 || entry > 127) return 0;
    int result = ASys.Button[entry] ? 1 : 0;
    if (MixJoy == 1 && entry <= Fixed::Back)
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
        if (PadCounts(j)) sum += ASys.Joy[j].Axes[0];
    return sum;
}

float ZARNCore::StickY() {
    float sum = 0;
    for (int j = 0; j < 4; ++j)
        if (PadCounts(j)) sum += ASys.Joy[j].Axes[1];
    return sum;
}

int ZARNCore::JoyDown(int button) { return JoyDown(button, 0); }

int ZARNCore::JoyDown(int button, int pad) {
    if (button < 0 || button > 49 || !PadCounts(pad)) return 0;
    return ASys.Joy[pad].Buttons[button] > 0.5f ? 1 : 0;
}

float ZARNCore::JoyAxis(int axis) { return JoyAxis(axis, 0); }

float ZARNCore::JoyAxis(int axis, int pad) {
    if (axis < 0 || axis > 47 || !PadCounts(pad)) return 0;
    return ASys.Joy[pad].Axes[axis];
}

float ZARNCore::MouseX(int p) { return ValidPointer(p) ? ASys.Touch[p].X : 0; }
float ZARNCore::MouseY(int p) { return ValidPointer(p) ? ASys.Touch[p].Y : 0; }
int ZARNCore::MouseDown(int p) { return ValidPointer(p) && ASys.Touch[p].Down == 1.0f ? 1 : 0; }
int ZARNCore::MouseDown_Alt(int p) { return ValidPointer(p) && ASys.Touch[p].AltDown == 1.0f ? 1 : 0; }
int ZARNCore::MouseHeld(int p) { return ValidPointer(p) ? int(ASys.Touch[p].Held) : 0; }
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
static bool PointerAbsent(const PointerRecord& t) { return t.X <= 0 && t.Y <= 0; }

int ZARNCore::MouseIn(float x, float y, float w, float h) {
    for (int p = 0; p < Pointers; ++p) {
        const PointerRecord& t = ASys.Touch[p];
        if (PointerAbsent(t)) continue;
        const float px = t.X, py = t.Y;
        if (x <= px && px <= x + w && y <= py && py <= y + h) return p + 1;
    }
    return 0;
}

int ZARNCore::MouseIn_Centered(float cx, float cy, float w, float h) {
    return MouseIn(cx - w / 2, cy - h / 2, w, h);
}

int ZARNCore::MouseIn_Radius(float cx, float cy, float r) {
    for (int p = 0; p < Pointers; ++p) {
        const PointerRecord& t = ASys.Touch[p];
        if (PointerAbsent(t)) continue;
        float dx = t.X - cx, dy = t.Y - cy;
        if (dx * dx + dy * dy <= r * r) return p + 1;
    }
    return 0;
}

int ZARNCore::Button(int image, float x, float y, int frame) {
    if (image < 0 || image > 99) return 0;
    // The draw state keeps the draw size divided by ViewScale.
    float s = float(ASys.iFramesSquare[image]) * ASys.DrawSet[DrawSlot::SizeX] * Canvas.ViewScale;
    DrawImg(image, x, y, frame);
    int p = MouseIn(x - s / 2, y - s / 2, s, s);
    if (p == 0) return 0;
    return MouseDown(p - 1) ? p : 0;
}

void ZARNCore::BumpCursor() { ASys.BumpCursorSys(); }
