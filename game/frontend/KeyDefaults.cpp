// The factory key bindings. Each SetKey pushes the button's older codes one
// slot back, so the order below decides where every code sits.
#include "shell/MyGame.h"

namespace {

// GLFW key codes (the game side never includes GLFW).
enum Key {
    KeySpace = 32,
    KeyA = 65, KeyB = 66, KeyC = 67, KeyD = 68, KeyI = 73, KeyJ = 74, KeyK = 75, KeyL = 76,
    KeyN = 78, KeyO = 79, KeyS = 83, KeyU = 85, KeyV = 86, KeyW = 87, KeyX = 88, KeyZ = 90,
    KeyEscape = 256, KeyEnter = 257, KeyBackspace = 259,
    KeyRight = 262, KeyLeft = 263, KeyDown = 264, KeyUp = 265,
    KeyPad4 = 324, KeyPad5 = 325, KeyPad6 = 326, KeyPad8 = 328, KeyPadEnter = 335,
    KeyLeftShift = 340, KeyLeftControl = 341, KeyLeftAlt = 342,
    KeyRightShift = 344, KeyRightControl = 345, KeyRightAlt = 346,
};

struct Binding {
    int button, code;
};

const Binding KeyboardDefaults[] = {
    {0, KeyUp}, {1, KeyRight}, {2, KeyDown}, {3, KeyLeft},
    {0, KeyPad8}, {1, KeyPad6}, {2, KeyPad5}, {3, KeyPad4},
    {10, KeyZ}, {11, KeyX}, {12, KeyC}, {13, KeyV}, {14, KeyB}, {15, KeyN},
    {0, KeyW}, {1, KeyD}, {2, KeyS}, {3, KeyA},
    {10, KeyK}, {11, KeyL}, {12, KeyJ}, {13, KeyI}, {14, KeyU}, {15, KeyO},
    {10, KeySpace}, {10, KeyEnter}, {10, KeyPadEnter},
    {11, KeyLeftControl}, {11, KeyRightControl},
    {12, KeyLeftAlt}, {12, KeyRightAlt},
    {13, KeyLeftShift}, {13, KeyRightShift},
    {8, KeyEscape}, {9, KeyBackspace},
};

// Per pad: its d-pad (buttons 10-13) steers, 0-5 are the action buttons,
// 7 is Start and 6 Back/Select.
const Binding PadDefaults[] = {
    {0, 10}, {1, 11}, {2, 12}, {3, 13},
    {10, 0}, {11, 1}, {12, 2}, {13, 3}, {14, 4}, {15, 5},
    {8, 7}, {9, 6},
};

}  // namespace

void MyGame::KeyDefaults() {
    for (const Binding& b : KeyboardDefaults) SetKey(b.button, b.code);
    for (int pad = 0; pad < 4; ++pad)
        for (const Binding& b : PadDefaults) SetKey(b.button, (pad + 5) * 100 + b.code);
}
