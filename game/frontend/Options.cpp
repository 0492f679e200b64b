// The options screen: a scrolling list of sliders, toggles and action rows,
// rebuilt every update. Each row draws itself, tests the pointer and takes
// its input in the call that adds it, and edits its setting in place.
#include "shell/MyGame.h"

namespace {

// Rows lift by this much when highlighted, and their border grows.
constexpr int Lift = 8;
constexpr int Grow = 6;
// The band in which elements are drawn and take the pointer.
constexpr int DrawAbove = -127, DrawBelow = 128;
// The highlighted row glides back into this margin from either edge.
constexpr int ScrollMargin = 80, ScrollStep = 16;

}  // namespace

void MyGame::Options() {
    AddPlatBG();
    ResetDraw();
    Screen.OptRowY = 64;
    Screen.OptRowCount = 0;
    OptionsList();
    ResetDraw();

    if (Joy(Pad::Up) < 0.3f && Joy(Pad::Down) < 0.3f) KeyLock[Lock::UpDown] = 0;
    if (Joy(Pad::Left) < 0.3f && Joy(Pad::Right) < 0.3f) KeyLock[Lock::Sideways] = 0;
    if (Joy(Pad::Up) > 0.5f && KeyLock[Lock::UpDown] == 0) {
        KeyLock[Lock::UpDown] = 1;
        Screen.OptRow -= 1;
        PlaySFX(Sfx::Move, 1.5f);
    }
    if (Joy(Pad::Down) > 0.5f && KeyLock[Lock::UpDown] == 0) {
        KeyLock[Lock::UpDown] = 1;
        Screen.OptRow += 1;
        PlaySFX(Sfx::Move, 1.5f);
    }
    if (Screen.OptRow > Screen.OptRowCount - 1) Screen.OptRow = Screen.OptRowCount - 1;
    if (Screen.OptRow < 0) Screen.OptRow = 0;

    if (Joy(Pad::Select) < 0.3f) KeyLock[Lock::Close] = 0;
    if (Joy(Pad::Select) > 0.5f && KeyLock[Lock::Close] == 0) {
        Overlay = Overlays::None;
        LockKeys();
        Save();
        PlaySFX(Sfx::Confirm);
        SendScores(0);
    }

    for (int p = 0; p < 10; ++p)
        if (!TouchDown(p)) TouchLock[p + 1] = 0;

    // A press that did not land on a row (or that stays down after setting a
    // slider) drags the list.
    if (PointerDown > 0 && KeyLock[Lock::Activate] < 1) {
        int y = int(MouseY());
        if (KeyLock[Lock::Activate] == 0) Screen.DragY = y;
        KeyLock[Lock::Activate] = -1;
        Screen.OptScroll += y - Screen.DragY;
        Screen.DragY = y;
    }
}

void MyGame::OptionsList() {
    // Latched like the title's: an Escape still held from name entry or the
    // pause menu lands here and stays until pressed again.
    if (PlayKey(Fixed::Back) == 0) {
        KeyLock[Lock::Escape] = 0;
    } else if (KeyLock[Lock::Escape] == 0) {
        Overlay = Overlays::None;
        LockKeys();
        Save();
    }

    if (AddToggleOption(-1, 0, "Back", "Return", "Return") == 1) {
        Overlay = Overlays::None;
        LockKeys();
        Save();
    }

    AddOptionLabel("Sound");
    AddLinearOption(Setting::SfxVolume, 1, "SFX Volume", 10);
    AddLinearOption(Setting::MusicVolume, 2, "Music Volume", 10);

    AddOptionLabel("Player");
    // Trailing blank cells would pull the centred name to the left.
    std::string name = ShowName();
    name.erase(name.find_last_not_of(' ') + 1);
    if (AddToggleOption(-1, 10, "Online Name", name, name) == 1) {
        Overlay = Overlays::EnterName;
        LockKeys();
        Screen.OptRow = 0;
    }

    AddOptionLabel("Screen");
    if (AddToggleOption(-1, 3, "Fullscreen [F11]", "Switch", "Switch") == 1) {
        FlipFullscreen();
        LockKeys();
    }
    AddToggleOption(Setting::ReduceMotion, 11, "Motion Reduction", "Normal", "Less Motion");
    AddLinearOption(Setting::Overscan, 3, "Overscan", 10);

    AddOptionLabel("Input");
    if (AddToggleOption(-1, 7, "Controller", "Define", "Define") == 1) {
        Overlay = Overlays::RedefineKeys;
        Screen.RedefRow = -1;
        Screen.RedefCol = 0;
        LockKeys();
    }
    AddToggleOption(Setting::InvertStickY, 8, "Invert Thumbstick Y", "Normal", "Inverted");

    AddOptionLabel("System");
    // F1 flips the statistics anywhere: the row shows what is on screen.
    Settings[Setting::DebugStats] = ShowStats;
    if (AddToggleOption(Setting::DebugStats, 6, "Debug Stats [F1]", "Off", "On") == 1)
        ShowStats = Settings[Setting::DebugStats];

    // Corner marks: how much of the canvas the display cuts off shows
    // against the overscan setting.
    ResetDraw();
    Rect(0, 0, 8, 8);
    Rect(0, ScreenH, 8, 8);
    Rect(ScreenW, 0, 8, 8);
    Rect(ScreenW, ScreenH, 8, 8);
}

void MyGame::AddOptionLabel(const std::string& text) {
    int x = int(ScreenW) / 2;
    int y = Screen.OptScroll + Screen.OptRowY;
    if (y >= DrawAbove && y < ScreenH + DrawBelow) {
        ResetDraw();
        SetSize(0.7f);
        Text(float(x - 224), float(y), text, 0);
        SetSize(1.0f);
    }
    Screen.OptRowY += 56;
}

namespace {

// What the shared row frame found out for the caller.
struct RowFrame {
    int x, y;        // centre after the highlight lift
    bool lit;        // this row is highlighted
    bool visible;    // drawn and pointer-tested this update
    bool pointerOn;  // the pointer is down on the row
};

// Held inputs that activate the highlighted row.
bool ActivateHeld(MyGame& g) {
    return g.Joy(Pad::Button1) > 0.5f || g.PlayKeyAll(Fixed::Accept) || g.Joy(Pad::Button2) > 0.5f;
}

// The select-and-press latch opens again once everything that sets it is up.
void ReleaseSelect(MyGame& g) {
    if (!(g.Joy(Pad::Button1) > 0.5f) && !g.PlayKeyAll(Fixed::Accept) && g.Joy(Pad::Button2) < 0.3f && g.PointerDown == 0)
        g.KeyLock[Lock::Activate] = 0;
}

// The part shared by sliders and toggles: glide, shadow, border, bar, icon
// and caption.
RowFrame DrawRow(MyGame& g, int icon, const std::string& text) {
    RowFrame f;
    f.x = int(g.ScreenW) / 2;
    f.y = g.Screen.OptScroll + g.Screen.OptRowY;
    f.lit = g.Screen.OptRow == g.Screen.OptRowCount;
    f.pointerOn = false;

    // The highlighted row is kept on screen even while it is not drawn.
    if (f.lit) {
        if (f.y < ScrollMargin) g.Screen.OptScroll += ScrollStep;
        if (f.y > g.ScreenH - ScrollMargin) g.Screen.OptScroll -= ScrollStep;
    }

    f.visible = f.y >= DrawAbove && f.y < g.ScreenH + DrawBelow;
    if (!f.visible) return f;

    g.ResetDraw();
    g.SetCol(0, 0, 0, 0.5f);
    g.Rect(float(f.x + 1), float(f.y + 1), 404, 36);
    g.SetAlpha(1);

    int grow = 0;
    float bright = 0.15f;
    if (f.lit) {
        f.x -= Lift;
        f.y -= Lift;
        grow = Grow;
        bright = 0.35f;
    }

    f.pointerOn = g.MouseIn_Centered(float(f.x), float(f.y), 400, 32) > 0 && g.PointerDown > 0;

    g.InkRot(g.Screen.OptRowY, 1, 1);
    g.SetAlpha(0.5f);
    g.Rect(float(f.x), float(f.y), float(404 + grow), float(36 + grow));
    g.InkRot(g.Screen.OptRowY, 1.0, bright);
    g.SetAlpha(0.5f);
    g.Rect(float(f.x), float(f.y), 400, 32);

    g.SetCol(255, 255, 255, 1);
    g.DrawImg(Img::OptionIcons, float(f.x - 182), float(f.y), icon);
    g.SetSize(0.7f);
    g.Text(float(f.x - 196), float(f.y - 28), text, 0);
    g.SetSize(1.0f);
    return f;
}

// A press on a row that is not highlighted highlights it, and nothing else.
void TakeHighlight(MyGame& g, const RowFrame& f) {
    if (f.pointerOn && !f.lit && g.KeyLock[Lock::Activate] == 0) {
        g.KeyLock[Lock::Activate] = 1;
        g.Screen.OptRow = g.Screen.OptRowCount;
        g.PlaySFX(Sfx::Move, 1.5f);
    }
}

}  // namespace

int MyGame::AddLinearOption(int option, int icon, const std::string& text, int max) {
    RowFrame f = DrawRow(*this, icon, text);
    int& value = Settings[option];

    float w = 320.0f / float(max + 1);
    for (int k = 0; k <= max; ++k) {
        float px = float(f.x) - 160 + w + float(k) * w;
        if (f.visible) {
            Text(px, float(f.y), ".", 1);
            if (k == value) Text(px, float(f.y), "|", 1);
            if (f.pointerOn && f.lit && KeyLock[Lock::Activate] == 0 && MouseIn_Centered(px, float(f.y), w, 32) > 0 &&
                value != k) {
                value = k;
                PlaySFX(Sfx::Move, 1.0f);
            }
        }
    }

    if (f.lit && KeyLock[Lock::Activate] == 0 && ActivateHeld(*this)) {
        value = value > 0 ? 0 : max;
        KeyLock[Lock::Activate] = 1;
        PlaySFX(Sfx::Move, 1.0f);
    }
    if (f.lit && KeyLock[Lock::Sideways] == 0) {
        if (Joy(Pad::Left) > 0.5f && value > 0) {
            value -= 1;
            KeyLock[Lock::Sideways] = 1;
            PlaySFX(Sfx::Move, 1.0f);
        } else if (Joy(Pad::Right) > 0.5f && value < max) {
            value += 1;
            KeyLock[Lock::Sideways] = 1;
            PlaySFX(Sfx::Move, 1.0f);
        }
    }

    TakeHighlight(*this, f);
    ReleaseSelect(*this);
    Screen.OptRowY += 86;
    Screen.OptRowCount += 1;
    return -1;
}

int MyGame::AddToggleOption(int option, int icon, const std::string& text, const std::string& offText,
                            const std::string& onText) {
    RowFrame f = DrawRow(*this, icon, text);
    bool on = option >= 0 && Settings[option] == 1;
    if (f.visible) Text(float(f.x), float(f.y), on ? onText : offText, 1);

    TakeHighlight(*this, f);
    ReleaseSelect(*this);

    int result = -1;
    if (f.lit && KeyLock[Lock::Activate] == 0 && (ActivateHeld(*this) || f.pointerOn)) {
        KeyLock[Lock::Activate] = 1;
        KeyLock[Lock::Sideways] = 1;
        if (option >= 0) Settings[option] = 1 - Settings[option];
        PlaySFX(Sfx::Confirm);
        result = 1;
    }

    Screen.OptRowY += 86;
    Screen.OptRowCount += 1;
    return result;
}
