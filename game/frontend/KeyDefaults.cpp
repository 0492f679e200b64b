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
    {Pad::Up, KeyUp}, {Pad::Right, KeyRight}, {Pad::Down, KeyDown}, {Pad::Left, KeyLeft},
    {Pad::Up, KeyPad8}, {Pad::Right, KeyPad6}, {Pad::Down, KeyPad5}, {Pad::Left, KeyPad4},
    {Pad::Button1, KeyZ}, {Pad::Button2, KeyX}, {Pad::Button3, KeyC}, {Pad::Button4, KeyV},
    {Pad::LeftShoulder, KeyB}, {Pad::RightShoulder, KeyN},
    {Pad::Up, KeyW}, {Pad::Right, KeyD}, {Pad::Down, KeyS}, {Pad::Left, KeyA},
    {Pad::Button1, KeyK}, {Pad::Button2, KeyL}, {Pad::Button3, KeyJ}, {Pad::Button4, KeyI},
    {Pad::LeftShoulder, KeyU}, {Pad::RightShoulder, KeyO},
    {Pad::Button1, KeySpace}, {Pad::Button1, KeyEnter}, {Pad::Button1, KeyPadEnter},
    {Pad::Button2, KeyLeftControl}, {Pad::Button2, KeyRightControl},
    {Pad::Button3, KeyLeftAlt}, {Pad::Button3, KeyRightAlt},
    {Pad::Button4, KeyLeftShift}, {Pad::Button4, KeyRightShift},
    {Pad::Start, KeyEscape}, {Pad::Select, KeyBackspace},
};

// Per pad: its d-pad steers, its action buttons are the four face buttons
// and the shoulders, and Start and Back are Start and Back/Select.
const Binding PadDefaults[] = {
    {Pad::Up, PadButton::DpadUp}, {Pad::Right, PadButton::DpadRight},
    {Pad::Down, PadButton::DpadDown}, {Pad::Left, PadButton::DpadLeft},
    {Pad::Button1, PadButton::Action1}, {Pad::Button2, PadButton::Action2},
    {Pad::Button3, PadButton::Action3}, {Pad::Button4, PadButton::Action4},
    {Pad::LeftShoulder, PadButton::Action5}, {Pad::RightShoulder, PadButton::Action6},
    {Pad::Start, PadButton::Start}, {Pad::Select, PadButton::Back},
};

}  // namespace

void MyGame::KeyDefaults() {
    for (const Binding& b : KeyboardDefaults) SetKey(b.button, b.code);
    for (int pad = 0; pad < 4; ++pad)
        for (const Binding& b : PadDefaults) SetKey(b.button, PadCode(pad, b.code));
}
