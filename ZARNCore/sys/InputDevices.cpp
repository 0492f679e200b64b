// The input devices: keyboard, mouse and up to four controllers, read once
// per update into the fixed buttons, the pointer record, the controller
// table and the redefinable virtual keys.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "sys/CloseSignals.h"
#include "sys/DeviceReads.h"
#include "sys/InputGlobals.h"
#include "sys/SysGlobals.h"
#include "sys/ZARNSys.h"

#include "sys/RendererGlobals.h"

const char* KeyName[350] = {};
InputPoll Input;

namespace {

constexpr int MaxElements = 45;  // buttons or axes taken from one controller

struct FixedKey {
    int entry;
    int code;
};

// The hard-wired keys folded into numbered buttons.
const FixedKey FixedKeys[] = {
    {Fixed::Up, GLFW_KEY_UP}, {Fixed::Up, GLFW_KEY_W}, {Fixed::Up, GLFW_KEY_KP_8},
    {Fixed::Left, GLFW_KEY_LEFT}, {Fixed::Left, GLFW_KEY_A}, {Fixed::Left, GLFW_KEY_KP_4},
    {Fixed::Right, GLFW_KEY_RIGHT}, {Fixed::Right, GLFW_KEY_D}, {Fixed::Right, GLFW_KEY_KP_6},
    {Fixed::Down, GLFW_KEY_DOWN}, {Fixed::Down, GLFW_KEY_S}, {Fixed::Down, GLFW_KEY_KP_5}, {Fixed::Down, GLFW_KEY_KP_2},
    {Fixed::Action1, GLFW_KEY_Z}, {Fixed::Action1, GLFW_KEY_J}, {Fixed::Action1, GLFW_KEY_SPACE},
    {Fixed::Action1, GLFW_KEY_ENTER}, {Fixed::Action1, GLFW_KEY_KP_7},
    {Fixed::Action2, GLFW_KEY_X}, {Fixed::Action2, GLFW_KEY_K}, {Fixed::Action2, GLFW_KEY_LEFT_CONTROL},
    {Fixed::Action2, GLFW_KEY_RIGHT_CONTROL}, {Fixed::Action2, GLFW_KEY_KP_9},
    {Fixed::Action3, GLFW_KEY_C}, {Fixed::Action3, GLFW_KEY_L}, {Fixed::Action3, GLFW_KEY_LEFT_SHIFT},
    {Fixed::Action3, GLFW_KEY_RIGHT_SHIFT},
    {Fixed::Action4, GLFW_KEY_V}, {Fixed::Action4, GLFW_KEY_I}, {Fixed::Action4, GLFW_KEY_LEFT_ALT},
    {Fixed::Action4, GLFW_KEY_RIGHT_ALT},
    {Fixed::Action5, GLFW_KEY_B}, {Fixed::Action5, GLFW_KEY_U},
    {Fixed::Action6, GLFW_KEY_N}, {Fixed::Action6, GLFW_KEY_O},
    {Fixed::ScreenshotModeToggle, GLFW_KEY_F2}, {Fixed::FullScreenToggle, GLFW_KEY_F11},
    {Fixed::Screenshot, GLFW_KEY_F10}, {Fixed::Wireframe, GLFW_KEY_F9}, {Fixed::StatsToggle, GLFW_KEY_F1},
    {Fixed::Accept, GLFW_KEY_ENTER}, {Fixed::Back, GLFW_KEY_ESCAPE}, {Fixed::Quit, GLFW_KEY_F4},
};

// Developer window shapes on Q + 1..7: width over height.
const float DevRatios[7] = {1.3333f, 1.77777f, 0.75f, 1.775f, 0.5633f, 2.16f, 0.4618f};

int F11WasDown = 0;
int DevKeyWasDown = 0;

bool Counts(const ControllerRecord& pad) { return pad.Ready == 1.0f && pad.Present == 1.0f; }

// The controller record a code names, or null when the code names none.
const ControllerRecord* PadOf(int code) {
    int j = code / 100 - 5;
    if (j < 0 || j > 3) return nullptr;
    return &ASys.Joy[j];
}

bool Beyond(float x, float t) { return x > t || x < -t; }

}  // namespace

void ClearInputTables() {
    std::memset(ASys.Button, 0, sizeof ASys.Button);
    std::memset(ASys.Touch, 0, sizeof ASys.Touch);
    std::memset(ASys.Joy, 0, sizeof ASys.Joy);
    std::memset(ASys.redef, 0, sizeof ASys.redef);
    std::memset(ASys.Keyv, 0, sizeof ASys.Keyv);
    std::memset(Input.ignorePress, 0, sizeof Input.ignorePress);
    F11WasDown = 0;
    DevKeyWasDown = 0;
}

void FillKeyNames() {
    static const char* const digits[10] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    static const char* const letters[26] = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
                                            "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z"};
    static const char* const fkeys[25] = {"F1",  "F2",  "F3",  "F4",  "F5",  "F6",  "F7",  "F8",  "F9",
                                          "F10", "F11", "F12", "F13", "F14", "F15", "F16", "F17", "F18",
                                          "F19", "F20", "F21", "F22", "F23", "F24", "F25"};
    static const char* const numpad[10] = {"Num 0", "Num 1", "Num 2", "Num 3", "Num 4",
                                           "Num 5", "Num 6", "Num 7", "Num 8", "Num 9"};
    for (const char*& name : KeyName) name = "???";
    for (int i = 0; i < 10; ++i) KeyName[48 + i] = digits[i];
    for (int i = 0; i < 26; ++i) KeyName[65 + i] = letters[i];
    for (int i = 0; i < 25; ++i) KeyName[290 + i] = fkeys[i];
    for (int i = 0; i < 10; ++i) KeyName[320 + i] = numpad[i];
    static const struct { int code; const char* name; } named[] = {
        {32, "Space"}, {39, "'"}, {44, ","}, {45, "-"}, {46, "."}, {47, "/"}, {59, ";"}, {61, "="},
        {91, "["}, {92, "\\"}, {93, "]"}, {96, "`"},
        {256, "Escape"}, {257, "Return"}, {258, "Tab"}, {259, "Backspace"}, {260, "Insert"},
        {261, "Delete"}, {262, "Right"}, {263, "Left"}, {264, "Down"}, {265, "Up"},
        {266, "Page Up"}, {267, "Page Down"}, {268, "Home"}, {269, "End"},
        {280, "Caps Lock"}, {281, "Scroll Lock"}, {282, "Num Lock"}, {283, "Print Screen"}, {284, "Pause"},
        {330, "Num ."}, {331, "Num /"}, {332, "Num *"}, {333, "Num -"}, {334, "Num +"},
        {335, "Num Enter"}, {336, "Num ="},
        {340, "Left Shift"}, {341, "Left Ctrl"}, {342, "Left Alt"}, {343, "Left Super"},
        {344, "Right Shift"}, {345, "Right Ctrl"}, {346, "Right Alt"}, {347, "Right Super"}, {348, "Menu"},
    };
    for (const auto& k : named) KeyName[k.code] = k.name;
}

void ZARNSys::FlushKeys() {
    for (int i = 0; i < 127; ++i) Button[i] = 0;
}

int ZARNSys::IsBut(int entry) { return entry >= 0 && entry < 128 ? Button[entry] : 0; }

float ZARNSys::vKey(int key) { return vKey(key, 0); }

float ZARNSys::vKey(int key, int row) {
    if (key < 0 || key > 15 || row < 0 || row > 7) return 0;
    return Keyv[row][key];
}

void ZARNSys::ClearKeys() { std::memset(redef, 0, sizeof redef); }

// Mouse: pointer record 0.
void ZARNSys::ReadPointer() {
    DeviceReader& dev = Devices();
    PointerRecord& m = Touch[0];
    m.Down = dev.MouseButtonDown(0) ? 1.0f : 0.0f;
    m.AltDown = dev.MouseButtonDown(1) ? 1.0f : 0.0f;
    m.PrevX = m.X;
    m.PrevY = m.Y;
    m.Held += 1.0f;
    if (m.Down == 0.0f) {
        m.Held = 0;
        m.PrevX = -100;
        m.PrevY = -100;
    }
    double cx = 0, cy = 0;
    dev.CursorPos(cx, cy);
    // The cursor comes in window coordinates; the canvas is laid over the
    // framebuffer, which is larger on high-density displays.
    int winW = 0, winH = 0, fbW = 0, fbH = 0;
    dev.WindowSize(winW, winH);
    dev.FramebufferSize(fbW, fbH);
    if (winW > 0 && fbW > 0) cx = cx * fbW / winW;
    if (winH > 0 && fbH > 0) cy = cy * fbH / winH;
    if (FrameW > 0) {
        float s = TargetScale / float(FrameW);
        m.X = float(cx - FrameW / 2) * Input.OverscanScaleX * s + offx;
        m.Y = float(cy - FrameH / 2) * Input.OverscanScaleY * s + offy;
    }
    if (m.PrevX < 0) {
        m.MoveX = m.MoveY = 0;
    } else {
        m.MoveX = m.X - m.PrevX;
        m.MoveY = m.Y - m.PrevY;
    }
}

bool ZARNSys::ReadFixedKeys() {
    DeviceReader& dev = Devices();
    for (const FixedKey& k : FixedKeys)
        if (dev.KeyDown(k.code)) Button[k.entry] = 1;
    if (dev.CloseRequested() || CloseSignalled()) Button[Fixed::Quit] = 1;
    Input.Wireframe = Button[Fixed::Wireframe] ? 1 : 0;
    bool flip = Button[Fixed::FullScreenToggle] && !F11WasDown;
    F11WasDown = Button[Fixed::FullScreenToggle];
    return flip;
}

// Never 0 after a poll.
void ZARNSys::ReadFocus() {
    Button[Fixed::Focus] -= 1;
    if (Devices().Focused()) Button[Fixed::Focus] = 1;
}

bool ZARNSys::ReadWindowSizeKeys(int& w, int& h) {
    DeviceReader& dev = Devices();
    int devKey = 0;
    if (dev.KeyDown(GLFW_KEY_Q))
        for (int d = 1; d <= 7 && !devKey; ++d)
            if (dev.KeyDown(GLFW_KEY_0 + d)) devKey = d;
    bool asked = false;
    if (devKey && devKey != DevKeyWasDown) {
        int monW = 0, monH = 0;
        if (dev.MonitorSize(monW, monH)) {
            h = monH - 128;
            if (devKey == 6 && h * 2.16f > monW) h -= 64;
            w = int(h * DevRatios[devKey - 1]);
            asked = true;
        }
    }
    DevKeyWasDown = devKey;
    return asked;
}

void ZARNSys::ReadControllers(int invertY) {
    for (int j = 0; j < 4; ++j) ReadController(j, invertY);
}

void ZARNSys::ReadController(int j, int invertY) {
    DeviceReader& dev = Devices();
    ControllerRecord& pad = Joy[j];
    pad.Present = 0.0f;
    if (!dev.JoystickPresent(j)) return;
    pad.Present = 1.0f;
    const char* name = dev.JoystickName(j);
    int axisCount = 0, buttonCount = 0;
    const float* axes = dev.JoystickAxes(j, axisCount);
    const unsigned char* buttons = dev.JoystickButtons(j, buttonCount);
    if (!axes) axisCount = 0;
    if (!buttons) buttonCount = 0;
    if (axisCount > MaxElements) axisCount = MaxElements;
    if (buttonCount > MaxElements) buttonCount = MaxElements;

    bool atRest = true;
    for (int k = 0; k < axisCount; ++k) {
        pad.Axes[k] = axes[k];
        if (k < 4 && Beyond(axes[k], 0.3f)) atRest = false;
    }
    if (invertY == 1) {
        pad.Axes[1] = -pad.Axes[1];
        pad.Axes[3] = -pad.Axes[3];
    }
    for (int n = 0; n < buttonCount; ++n) {
        pad.Buttons[n] = buttons[n] ? 1.0f : 0.0f;
        if (pad.Buttons[n] > 0.3f) atRest = false;
    }
    // A controller that wakes up with a stick off-centre or a button held
    // is ignored until it has once been seen at rest.
    if (atRest && pad.Ready == 0.0f) {
        std::printf("\n\n--=--\nController ID '%s'\n--=--\n\n", name ? name : "");
        std::fflush(stdout);
    }
    if (atRest) pad.Ready = 1.0f;
    if (pad.Ready == 0.0f) {
        for (float& b : pad.Buttons) b = 0.0f;
        for (float& a : pad.Axes) a = 0.0f;
    }
}

void ZARNSys::PollRedef() {
    DeviceReader& dev = Devices();
    for (int v = 0; v < Pad::Count; ++v) {
        float value = 0.0f;
        for (int r = FirstSlot; r <= LastSlot; ++r) {
            int code = redef[r][v];
            if (code >= 1 && code <= 499) {
                if (dev.KeyDown(code)) value = 1.0f;
            } else if (code >= 500 && code % 100 <= 97) {
                const ControllerRecord* pad = PadOf(code);
                if (!pad || !Counts(*pad)) continue;
                float x = pad->Element(code % 100);
                // Only whole values register: a part-way axis never beats
                // what is there, a full deflection or a pressed button does.
                if (Beyond(x, 0.25f) && std::fabs(std::trunc(x)) > std::fabs(std::trunc(value))) value = x;
            }
        }
        for (int j = 0; j < 4; ++j) {
            const ControllerRecord& pad = Joy[j];
            if (!Counts(pad)) continue;
            const float* axis = pad.Axes;
            float a0 = axis[0], a1 = axis[1], a2 = axis[2], a3 = axis[3];
            if (Beyond(a0, 0.25f) || Beyond(a1, 0.25f)) {
                float x = v == Pad::Up ? -a1 : v == Pad::Down ? a1
                          : v == Pad::Right ? a0 : v == Pad::Left ? -a0 : value;
                if (x > value) value = x;
            }
            if (Beyond(a2, 0.25f) || Beyond(a3, 0.25f)) {
                float x = v == Pad::RightStickUp ? -a3 : v == Pad::RightStickDown ? a3
                          : v == Pad::RightStickRight ? a2 : v == Pad::RightStickLeft ? -a2 : value;
                if (x > value) value = x;
            }
        }
        Keyv[0][v] = value;
    }
}

void ZARNSys::DefineKey(int key, int code) {
    if (key < 0 || key > 15) return;
    for (auto& row : redef)
        for (int& entry : row)
            if (entry == code) entry = 0;
    for (int r = FirstSlot; r < LastSlot; ++r) {
        int entry = redef[r + 1][key];
        // One binding per controller and virtual key: a new button of the
        // same pad replaces the old one.
        if (code / 100 > 4 && entry / 100 == code / 100) entry = 0;
        redef[r][key] = entry;
    }
    redef[LastSlot][key] = code;
}

void ZARNSys::LockAll() {
    for (int i = 0; i < 1000; ++i) Input.ignorePress[i] = 1;
}

int ZARNSys::AnyKey() {
    DeviceReader& dev = Devices();
    for (int code = GLFW_KEY_SPACE; code <= GLFW_KEY_LAST; ++code) {
        if (!dev.KeyDown(code)) {
            Input.ignorePress[code] = 0;
        } else if (Input.ignorePress[code] == 0) {
            return code;
        }
    }
    for (int j = 0; j < 4; ++j) {
        if (!Counts(Joy[j])) continue;
        for (int n = 0; n < PadField::Axes; ++n) {
            float x = Joy[j].Buttons[n];
            int code = PadCode(j, n);
            if (!Beyond(x, 0.25f)) {
                Input.ignorePress[code] = 0;
            } else if (Input.ignorePress[code] == 0) {
                return code;
            }
        }
    }
    return -1;
}

std::string ZARNSys::ButtonName(int code) {
    if (code >= 1 && code <= 349) {
        const char* name = KeyName[code] ? KeyName[code] : "???";
        return std::string("[ ") + name + " ]";
    }
    if (code >= 500 && code <= 899 && Counts(*PadOf(code))) {
        int j = code / 100 - 5, n = code % 100;
        char text[64];
        if (n < PadField::Axes)
            std::snprintf(text, sizeof text, "Joy %i Button %i", j + 1, n);
        else
            std::snprintf(text, sizeof text, "Joy %i Axis %i", j + 1, n - PadField::Axes);
        return text;
    }
    return "N/A";
}

void ZARNSys::BumpCursorSys() {
    // FrameW is in framebuffer pixels; the cursor is placed in window coordinates.
    int winW = 0, winH = 0, fbW = 0, fbH = 0;
    Devices().WindowSize(winW, winH);
    Devices().FramebufferSize(fbW, fbH);
    double x = FrameW + 16, y = FrameH / 2;
    if (winW > 0 && fbW > 0) x = x * winW / fbW;
    if (winH > 0 && fbH > 0) y = y * winH / fbH;
    Devices().SetCursorPos(x, y);
}
