// Control redefinition: a game controller picture whose buttons can be
// chosen and rebound to the next key or pad button pressed, a Test mode that
// shows live input for six seconds, and Save. The screen is steered with the
// fixed buttons only, so no binding made here can lock the player out.
#include <cstdio>

#include "shell/MyGame.h"

namespace {

constexpr int SaveElement = -2;
constexpr int TestElement = -1;
constexpr int FirstRow = -2, LastRow = 4;
constexpr int CaptureUpdates = 359;
constexpr int TestUpdates = 359;

// The cursor grid: the virtual button under each (row, column). Rows -2 and
// -1 are the Save and Test buttons.
struct GridRow {
    int count;
    int element[4];
};
const GridRow Grid[] = {
    {1, {SaveElement}},
    {1, {TestElement}},
    {2, {Pad::LeftShoulder, Pad::RightShoulder}},
    {2, {Pad::Up, Pad::Button4}},
    {4, {Pad::Left, Pad::Right, Pad::Button3, Pad::Button2}},
    {2, {Pad::Down, Pad::Button1}},
    {2, {Pad::Select, Pad::Start}},
};

const char* const Captions[Pad::Count] = {
    "Up", "Right", "Down", "Left", "", "", "", "",
    "Start", "Back/Select", "Button 1", "Button 2", "Button 3", "Button 4", "Left Shoulder", "Right Shoulder",
};

const GridRow& RowAt(int row) { return Grid[row - FirstRow]; }

struct Colour {
    float r, g, b;
};
const Colour Dark{40, 40, 40};
const Colour Chosen{40, 140, 200};

}  // namespace

void MyGame::RedefineKeys() {
    AddPlatBG();
    ResetDraw();

    if (Screen.RedefRow < FirstRow) Screen.RedefRow = LastRow;
    if (Screen.RedefRow > LastRow) Screen.RedefRow = FirstRow;
    const GridRow& row = RowAt(Screen.RedefRow);
    if (Screen.RedefCol < 0) Screen.RedefCol = 0;
    if (Screen.RedefCol > row.count - 1) Screen.RedefCol = row.count - 1;
    const int selected = row.element[Screen.RedefCol];

    const float cx = ScreenW / 2, cy = ScreenH - 112;
    DrawPadPicture(selected, cx, cy);

    // The fire key that opened the screen must come up before it can start
    // a capture.
    if (CaptureState == 1 && PlayKeyAll(Fixed::Action1) == 0) CaptureState = 0;
    if (CaptureState == 2) RunCapture(selected);
    if (CaptureState == 0) Screen.CaptureTimer = 0;

    if (CaptureState == 0 && Screen.TestTimer == 0 && Screen.CaptureTimer == 0) {
        RedefineMove(selected);
        DrawRedefineButtons(selected, cx, cy);
    }
    if (selected >= 0) DrawBindings(selected, cy);

    Screen.TestTimer -= 1;
    if (Screen.TestTimer > 0 || Screen.CaptureTimer > 0)
        DrawCountdown(Screen.TestTimer > 0 ? Screen.TestTimer : Screen.CaptureTimer);
    if (Screen.TestTimer < 0) Screen.TestTimer = 0;
    if (Screen.CaptureTimer < 0) Screen.CaptureTimer = 0;

    DrawStickMonitors(cx, cy);
}

// The controller, centred at (cx, cy): the chosen button in blue, held
// ones larger.
void MyGame::DrawPadPicture(int selected, float cx, float cy) {
    auto pressed = [this](int b) { return Joy(b) > 0.5f; };
    auto paint = [this](const Colour& c) { SetCol(c.r, c.g, c.b); };

    // Shoulders first, so the body covers their lower halves.
    const int shoulders[2] = {Pad::LeftShoulder, Pad::RightShoulder};
    for (int i = 0; i < 2; ++i) {
        int b = shoulders[i];
        float r = selected == b ? 102.0f : pressed(b) ? 100.0f : 96.0f;
        paint(selected == b ? Colour{40, 120, 200} : Colour{140, 140, 140});
        Circle(cx + (i == 0 ? -153 : 153), cy - 16, r);
    }

    SetCol(170, 170, 170);
    Rect(cx, cy - 5, 290, 190);
    Circle(cx - 150, cy, 100);
    Circle(cx + 150, cy, 100);

    const float px = cx - 150;
    paint(Dark);
    Rect(px, cy, 40, 40);
    struct Spot {
        int button;
        float dx, dy;
    };
    const Spot dpad[4] = {{Pad::Up, 0, -40}, {Pad::Right, 40, 0}, {Pad::Down, 0, 40}, {Pad::Left, -40, 0}};
    for (const Spot& s : dpad) {
        paint(selected == s.button ? Chosen : Dark);
        Rect(px + s.dx, cy + s.dy, pressed(s.button) ? 50 : 40);
    }

    struct Face {
        int button;
        float dx, dy;
        Colour fill, lit, digit;
        const char* label;
    };
    const Face faces[4] = {
        {Pad::Button1, 0, 40, {0, 40, 0}, {0, 140, 0}, {0, 60, 0}, "1"},
        {Pad::Button2, 40, 0, {40, 0, 0}, {140, 0, 0}, {60, 0, 0}, "2"},
        {Pad::Button3, -40, 0, {40, 40, 0}, {140, 140, 0}, {60, 60, 0}, "3"},
        {Pad::Button4, 0, -40, {0, 40, 40}, {0, 140, 140}, {0, 60, 60}, "4"},
    };
    const float fx = cx + 150;
    for (const Face& f : faces) {
        bool lit = selected == f.button;
        float x = fx + f.dx, y = cy + f.dy;
        paint(lit ? f.lit : f.fill);
        Circle(x, y, pressed(f.button) ? 32 : 24);
        paint(lit ? Chosen : f.digit);
        Text(x - 2, y + 2, f.label, 1);
    }

    const Spot centre[2] = {{Pad::Start, 26, 52}, {Pad::Select, -26, 52}};
    for (const Spot& s : centre) {
        float size = pressed(s.button) ? 32 : 24;
        paint(selected == s.button ? Chosen : Dark);
        SetRot(s.button == Pad::Start ? 90 : -90);
        Tri(cx + s.dx, cy + s.dy, size, size * 0.667f);
    }
    SetRot(0);
}

// Waits for the next key or pad button and binds it to the chosen button.
void MyGame::RunCapture(int selected) {
    int k = GetKey();
    // For the first updates everything held is set aside, so the key
    // that started the capture is not caught.
    Screen.CaptureGrace -= 1;
    if (Screen.CaptureGrace >= 0) LockForGet();
    if (k > 0 && Screen.CaptureGrace < 0) {
        CaptureState = 0;
        std::printf("Button Caught %i\n", k);
        std::fflush(stdout);
        SetKey(selected, k);
    }
    Screen.CaptureTimer -= 1;
    if (Screen.CaptureTimer < 0) CaptureState = 0;

    ResetDraw();
    SetSize(2.0f);
    Text(ScreenW / 2, ScreenH * 0.5f - 48, "Hit button for", 1);
    if (selected >= 0) Text(ScreenW / 2, ScreenH * 0.5f + 48, Captions[selected], 1);
}

// The cursor moves one cell per press of the fixed arrows; fire starts a
// capture, the test or the save of what is chosen.
void MyGame::RedefineMove(int selected) {
    const bool up = PlayKeyAll(Fixed::Up), left = PlayKeyAll(Fixed::Left);
    const bool right = PlayKeyAll(Fixed::Right), down = PlayKeyAll(Fixed::Down);
    const bool fire = PlayKeyAll(Fixed::Action1);
    if (!up && !left && !right && !down && !fire) {
        KeyLock[Lock::RedefineNav] = 0;
        return;
    }
    if (KeyLock[Lock::RedefineNav] != 0) return;
    KeyLock[Lock::RedefineNav] = 1;
    if (up) {
        Screen.RedefRow -= 1;
    } else if (down) {
        Screen.RedefRow += 1;
    } else if (left) {
        Screen.RedefCol -= 1;
    } else if (right) {
        Screen.RedefCol += 1;
    } else if (selected >= 0) {  // fire
        Screen.CaptureGrace = 2;
        CaptureState = 2;
        Screen.CaptureTimer = CaptureUpdates;
    } else if (selected == TestElement) {
        Screen.TestTimer = TestUpdates;
    } else {
        Overlay = Overlays::Options;
        Save();
        LockKeys();
    }
}

void MyGame::DrawRedefineButtons(int selected, float cx, float cy) {
    ResetDraw();
    struct ScreenButton {
        int element;
        float y;
        const char* label;
        Colour labelBottom;
    };
    const ScreenButton buttons[2] = {
        {TestElement, cy - 160, "Test", {255, 0, 0}},
        {SaveElement, cy - 200, "Save", {255, 128, 0}},
    };
    for (const ScreenButton& b : buttons) {
        if (selected == b.element)
            SetCol(0, 100, 200);
        else
            SetGradient(0, 120, 120, 1, 0, 60, 120, 1);
        Rect(cx, b.y, 200, 32);
        SetGradient(255, 255, 0, 1, b.labelBottom.r, b.labelBottom.g, b.labelBottom.b, 1);
        Text(cx, b.y, b.label, 1);
    }
    ResetDraw();
}

// The chosen button's bindings, newest at the bottom, up the left edge.
void MyGame::DrawBindings(int selected, float cy) {
    ResetDraw();
    SetSize(0.8f);
    float y = cy - 128;
    for (int slot = 63; slot >= 0; --slot) {
        int code = KeyValue(selected, slot);
        if (code == 0) continue;
        std::string name = KeyName(code);
        if (name == "N/A") continue;
        Text(8, y, name, 0);
        y -= 24;
    }
    ResetDraw();
}

// A dot circling the seconds left of a test or a capture.
void MyGame::DrawCountdown(int timer) {
    float a = float((timer % 60) * 6);
    float mx = ScreenW / 2, my = ScreenH / 2;
    ResetDraw();
    SetSize(2.0f);
    SetCol(100, 255, 100);
    Circle(mx + 48 * Sin(a), my - 48 * Cos(a), 6);
    int seconds = timer / 60;
    if (seconds < 0) seconds = 0;
    SetCol(255, 100, 100);
    Text(mx, my, fstr("%i", seconds), 1);
}

// Both sticks' directions as a dot in a box.
void MyGame::DrawStickMonitors(float cx, float cy) {
    ResetDraw();
    const float mx[2] = {cx - 160, cx + 160};
    const float my = cy - 160;
    SetCol(255, 255, 255, 0.15f);
    for (float x : mx) {
        Circle(x, my, 32);
        Rect(x, my, 64, 64);
    }
    SetCol(255, 100, 100, 1);
    Rect(mx[0] + 32 * (Joy(Pad::Right) - Joy(Pad::Left)), my + 32 * (Joy(Pad::Down) - Joy(Pad::Up)), 6, 6);
    Rect(mx[1] + 32 * (Joy(Pad::RightStickRight) - Joy(Pad::RightStickLeft)),
         my + 32 * (Joy(Pad::RightStickDown) - Joy(Pad::RightStickUp)), 6, 6);
    SetRot(0);
}
