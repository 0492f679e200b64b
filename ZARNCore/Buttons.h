// Names for the numbered input slots: the virtual buttons the game reads with
// Joy, the fixed buttons read with PlayKey, a controller's own buttons, and
// the fields of the controller and pointer records. The values are fixed:
// bindings in the settings file and the key tables are stored by number.
#pragma once

// Virtual buttons, read with Joy(n) and bound with SetKey(n, code). Each
// follows whatever the player bound to it; 0-7 also follow the two sticks.
// 8-15 are named after the controller the redefinition screen draws.
namespace Pad {
enum : int {
    Up, Right, Down, Left,                                // d-pad and first stick
    RightStickUp, RightStickRight, RightStickDown, RightStickLeft,  // second stick only
    Start,          // pauses play; chooses on the title
    Select,         // "Back/Select": closes the options screen and credits
    Button1,        // bottom face button: fire, choose, fast move
    Button2,        // right face button: back
    Button3,        // left face button
    Button4,        // top face button: turns the score pages
    LeftShoulder,
    RightShoulder,
};
constexpr int Count = 16;
}  // namespace Pad

// Fixed buttons: hard-wired keys folded into entries of ASys.Button, read
// with PlayKey(n). A few are also driven by controllers (see PlayKey).
namespace Fixed {
enum : int {
    Up = 0,    // Up arrow, W, keypad 8
    Left = 3,  // Left arrow, A, keypad 4
    Right = 5, // Right arrow, D, keypad 6
    Down = 8,  // Down arrow, S, keypad 5 and 2
    Action1 = 10,  // Z, J, Space, Enter, keypad 7: the fire key of the menus
    Action2,       // X, K, Ctrl, keypad 9
    Action3,       // C, L, Shift
    Action4,       // V, I, Alt
    Action5,       // B, U
    Action6,       // N, O
    Focus = 63,                 // 1 while the window has focus, else -1
    ScreenshotModeToggle = 64,  // F2
    FullScreenToggle = 65,      // F11
    Screenshot = 66,            // F10: a screenshot after every frame while held
    Wireframe = 67,             // F9
    StatsToggle = 68,           // F1
    Accept = 98,                // Enter
    Back = 99,                  // Escape
    Quit = 100,                 // F4 or the window's close request
};
}  // namespace Fixed

// A controller's own buttons as GLFW numbers them on the usual pads.
namespace PadButton {
enum : int {
    Action1, Action2, Action3, Action4, Action5, Action6,  // 0-3 face, 4-5 shoulders
    Back = 6,
    Start = 7,
    DpadUp = 10, DpadRight, DpadDown, DpadLeft,
};
}  // namespace PadButton

// The elements of a controller that an input code names (code % 100).
namespace PadField {
enum : int {
    Buttons = 0,   // 0-49: button n at Buttons + n
    Axes = 50,     // 50-97: axis k at Axes + k
};
}  // namespace PadField

// One controller as the last poll read it (ASys.Joy[pad]).
struct ControllerRecord {
    float Buttons[50];  // 0.0 or 1.0
    float Axes[48];     // -1.0 to 1.0
    float Ready;        // 1 once the controller has been seen at rest
    float Present;      // 1 while it is connected
    // The element an input code names: a button, or an axis from PadField::Axes on.
    float Element(int n) const { return n < PadField::Axes ? Buttons[n] : Axes[n - PadField::Axes]; }
};
static_assert(sizeof(ControllerRecord) == 100 * sizeof(float), "a controller record is 100 floats");

// One pointer as the last poll read it (ASys.Touch[p]); on the desktop only
// pointer 0, the mouse, is ever filled.
struct PointerRecord {
    float Unused;
    float X, Y;          // canvas units
    float PrevX, PrevY;  // at the previous poll; -100 while the button is up
    float Down;          // left button held
    float AltDown;       // right button held
    float Held;          // polls the left button has been down, this one included
    float MoveX, MoveY;  // movement since the previous poll
};
static_assert(sizeof(PointerRecord) == 10 * sizeof(float), "a pointer record is 10 floats");

// Input codes: 1-499 are keyboard keys; controller pad (0-3) numbers its
// buttons and axes from (pad + 5) * 100.
constexpr int PadCode(int pad, int element) { return (pad + 5) * 100 + element; }
