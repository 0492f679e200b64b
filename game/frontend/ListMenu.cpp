// The vertical list menu of the title screen (the difficulty page): rows
// that scroll to keep the highlighted one on the centre line, direction
// auto-repeat, pointer taps and the back arrow.
#include <algorithm>
#include <cmath>

#include "frontend/MakerLine.h"
#include "shell/MyGame.h"

namespace {

float RowHue(int i) {
    switch (i) {
    case 0: return 220;
    case 1: return 120;
    case 2: return 0;
    default: return float((i + 4) * 50);
    }
}

}  // namespace

void MyGame::Menu_Default(const std::string& items, const std::string& descriptions) {
    (void)descriptions;  // the list shows only the labels
    int& sel = Settings[Setting::LastDifficulty];
    const int n = SplitCount(items, '|');

    float spacing = 46, centre = ScreenH - 128, textSize = 1.0f;
    if (PointerDown == 0) TouchLock[0] = 0;

    float target = centre - float(sel - 1) * 46;
    if (ScreenH > ScreenW) {
        centre = ScreenH - 180;
        spacing = 58;
        textSize = 1.2f;
        // Raised to sit the highlighted row next to the portrait centre line.
        target -= 64;
    }
    Screen.MenuScroll -= (Screen.MenuScroll - target) / 4;

    // On a narrow (portrait) canvas the score panel, fully slid in, would
    // cover the right end of the bars: the list moves left until they clear
    // it. The panel's left edge is ScreenW - 188; the bars end at 228 + 128.
    const float shift = std::min(0.0f, ScreenW - 188 - 8 - (228 + 128));

    bool chosen = false;
    for (int i = 0; i < n; ++i) {
        const float y = Screen.MenuScroll + float(int(float(i) * spacing));
        const float d = std::fabs(centre - y);
        if (d >= 2.4f * spacing) continue;
        float f = 1.0f;
        if (d > 1.2f * spacing) f = 1 - (d - 1.2f * spacing) / (1.2f * spacing);
        if (ListRow(Trim(Split(items, '|', i + 1)), i, y, shift, f, textSize)) chosen = true;
    }

    if (Joy(Pad::Button1) < 0.3f && Joy(Pad::Start) < 0.3f) KeyLock[Lock::Choose] = 0;
    // Escape also drives button 8; it goes back (below) instead of choosing.
    if ((Joy(Pad::Button1) > 0.5f || Joy(Pad::Start) > 0.5f) && PlayKey(Fixed::Back) == 0 &&
        KeyLock[Lock::Choose] == 0) {
        LockKeys();
        chosen = true;
    }

    ListRepeatMove(sel);
    if (sel < 1) sel = n;
    if (sel > n) sel = 1;

    if (chosen) StartChosenGame(sel);
    ListBackArrow();

    DrawMakerLine(*this);
}

// Row i at y, faded by f: a bar, an arrow and its label. A tap on the lit
// row chooses it (true); on another row it lights that one.
bool MyGame::ListRow(const std::string& label, int i, float y, float shift, float f, float textSize) {
    int& sel = Settings[Setting::LastDifficulty];
    const float hue = RowHue(i);
    const bool lit = i + 1 == sel;
    bool chosen = false;

    ResetDraw();
    InkRot(hue, 0.5, 0.5);
    Alpha(f * (lit ? 0.7f : 0.3f));
    Rect(228 + shift, y, 256, 32);

    if (MouseIn_Centered(228 + shift, y, 256, 32) && PointerDown > 0 && TouchLock[0] == 0) {
        TouchLock[0] = 1;
        if (lit) {
            chosen = true;
        } else {
            PlaySFX(Sfx::Confirm);
            sel = i + 1;
            Screen.ScoreTimer = 0;
            Screen.ScorePage = 0;
        }
    }

    SetRot(90);
    InkRot(hue, 0.5, 1.0);
    Alpha(f * 0.3f);
    Tri(116 + shift, y, 32, 16);

    SetRot(0);
    InkRot(hue, 0.8, 1.5);
    Alpha(f);
    SetSize(lit ? textSize * 1.3f : textSize);
    Text((lit ? 132.0f : 100.0f) + shift, y, label, 0);
    return chosen;
}

// Direction auto-repeat: ListRepeat counts down to the next step and
// ListDelay is the delay after it, shrinking 24, 18, 12, 6, then 3.
void MyGame::ListRepeatMove(int& sel) {
    KeyLock[Lock::ListRepeat] -= 1;
    if (KeyLock[Lock::ListDelay] < 3) KeyLock[Lock::ListDelay] = 3;
    if (KeyLock[Lock::ListRepeat] < 0) KeyLock[Lock::ListRepeat] = 0;
    if (Joy(Pad::Up) < 0.25f && Joy(Pad::Right) < 0.25f && Joy(Pad::Down) < 0.25f && Joy(Pad::Left) < 0.25f) {
        KeyLock[Lock::ListRepeat] = 0;
        KeyLock[Lock::ListDelay] = 24;
    }
    if ((Joy(Pad::Up) > 0.5f || Joy(Pad::Left) > 0.5f) && KeyLock[Lock::ListRepeat] == 0) {
        KeyLock[Lock::ListRepeat] = KeyLock[Lock::ListDelay];
        KeyLock[Lock::ListDelay] -= 6;
        sel -= 1;
        PlaySFX(Sfx::Move, 1.2f);
        Screen.ScoreTimer = 0;
        Screen.ScorePage = 0;
    }
    if ((Joy(Pad::Down) > 0.5f || Joy(Pad::Right) > 0.5f) && KeyLock[Lock::ListRepeat] == 0) {
        KeyLock[Lock::ListRepeat] = KeyLock[Lock::ListDelay];
        KeyLock[Lock::ListDelay] -= 6;
        sel += 1;
        PlaySFX(Sfx::Move, 0.8f);
        Screen.ScoreTimer = 0;
        Screen.ScorePage = 0;
    }
}

void MyGame::StartChosenGame(int difficulty) {
    PlaySFX(Sfx::Confirm);
    GameMode = Modes::StartGame;
    Difficulty = difficulty;
    Screen.ShowPauseIcon = 1;
    // Started from the keyboard or a pad: keep the pointer out of play.
    if (Joy(Pad::Button1) > 0.5f || Joy(Pad::Start) > 0.5f) {
        Screen.ShowPauseIcon = 0;
        BumpCursor();
    }
}

// The back arrow in the top-left corner, tapped or with the back button.
void MyGame::ListBackArrow() {
    ResetDraw();
    SetSize(2.0f);
    SetCol(255, 200, 200, 0.75f);
    DrawImg(Img::OptionIcons, 32, 32, 0);
    bool clickBack = MouseIn_Centered(32, 32, 64, 64) && PointerDown > 0 && TouchLock[0] == 0;
    bool keyBack = (Joy(Pad::Button2) > 0.5f || Joy(Pad::Start) > 0.5f) && KeyLock[Lock::Back] == 0;
    if (clickBack || keyBack) {
        Screen.MenuPage = 0;
        LockKeys();
        PlaySFX(Sfx::Confirm);
    }
    if (Joy(Pad::Button2) < 0.3f && Joy(Pad::Start) < 0.3f) KeyLock[Lock::Back] = 0;
}
