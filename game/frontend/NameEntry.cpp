// Name entry: twelve arcade-style letter reels, spun with up and down. The
// name is packed two 6-bit cells per int into Settings 50-55 and every
// change is written at once.
#include "persist/SaveFormat.h"
#include "shell/MyGame.h"

namespace {

constexpr int Alphabet = 64;

}  // namespace

void MyGame::EnterYourName() {
    AddPlatBG();
    ResetDraw();

    int& cursor = Screen.OptRow;
    if (cursor < 0 || cursor >= NameCells) cursor = 0;

    const float y = float(int(ScreenH / 2));
    for (int i = 0; i < NameCells; ++i) NameReel(i, i == cursor, y);

    // Held up or down repeats after 30, 22, 14 and 6 updates, then every 2.
    if (KeyLock[Lock::LetterRepeat] > 0) KeyLock[Lock::LetterRepeat] -= 1;
    if (KeyLock[Lock::LetterDelay] < 2) KeyLock[Lock::LetterDelay] = 2;
    if (Joy(Pad::Up) < 0.3f && Joy(Pad::Down) < 0.3f) {
        KeyLock[Lock::LetterRepeat] = 0;
        KeyLock[Lock::LetterDelay] = 30;
    }

    if (Joy(Pad::Right) < 0.3f && Joy(Pad::Left) < 0.3f) KeyLock[Lock::LeftRight] = 0;
    if (Joy(Pad::Right) > 0.4f && KeyLock[Lock::LeftRight] == 0) {
        KeyLock[Lock::LeftRight] = 1;
        cursor = (cursor + 1) % NameCells;
        PlaySFX(Sfx::Confirm, 1.2f);
    }
    if (Joy(Pad::Left) > 0.4f && KeyLock[Lock::LeftRight] == 0) {
        KeyLock[Lock::LeftRight] = 1;
        cursor = (cursor + NameCells - 1) % NameCells;
        PlaySFX(Sfx::Confirm, 0.8f);
    }

    // The heading goes over the reel: on a short canvas the reel's top
    // letter reaches up to it.
    ResetDraw();
    SetGradient(255, 255, 64, 1, 255, 128, 64, 1);
    SetSize(1.5f);
    Text(ScreenW / 2, 32, "Enter Your Name", 1);
    ResetDraw();

    NameButtons(cursor);
}

// Cell i of the name at height y; the one under the cursor shows its reel
// and turns with up and down.
void MyGame::NameReel(int i, bool here, float y) {
    const float x = float(int(float(i * 40) + ScreenW / 2 - 220));
    int code = NameCell(Settings, i);

    if (here)
        SetCol(0, 128, 0, 0.5f);
    else
        SetCol(0, 0, 0, 0.5f);
    Rect(x, y, 36, 64);
    SetCol(255, 255, 255, 1);
    Text(x, y, fstr("%c", Char64b(code)), 1);

    SetAlpha(0.7f);
    if (!here) return;
    for (int d = -4; d <= 4; ++d)
        Text(x, y + float(d * 64), fstr("%c", Char64b((code + d + Alphabet) % Alphabet)), 1);

    // Up runs the reel backwards (space to "z"), down forwards.
    if (Joy(Pad::Up) > 0.3f && KeyLock[Lock::LetterRepeat] <= 0) {
        code = (code + Alphabet - 1) % Alphabet;
        KeyLock[Lock::LetterRepeat] = KeyLock[Lock::LetterDelay];
        KeyLock[Lock::LetterDelay] -= 8;
        PlaySFX(Sfx::Move, 0.5f);
    }
    if (Joy(Pad::Down) > 0.3f && KeyLock[Lock::LetterRepeat] <= 0) {
        code = (code + 1) % Alphabet;
        KeyLock[Lock::LetterRepeat] = KeyLock[Lock::LetterDelay];
        KeyLock[Lock::LetterDelay] -= 8;
        PlaySFX(Sfx::Move, 0.6f);
    }
    SetNameCell(Settings, i, code);
}

// Next, rub out, and done.
void MyGame::NameButtons(int& cursor) {
    const bool escape = PlayKey(Fixed::Back) != 0, enter = PlayKey(Fixed::Accept) != 0;
    if (Joy(Pad::Button1) < 0.3f && Joy(Pad::Button2) < 0.3f && !escape && !enter) KeyLock[Lock::NameButtons] = 0;

    // Next carries the letter along, so runs of equal letters are quick.
    // Enter is also Button 1, but it means done, not next.
    if (Joy(Pad::Button1) > 0.4f && !enter && KeyLock[Lock::NameButtons] == 0 && cursor <= NameCells - 2) {
        KeyLock[Lock::NameButtons] = 1;
        cursor += 1;
        SetNameCell(Settings, cursor, NameCell(Settings, cursor - 1));
        PlaySFX(Sfx::Confirm, 1.5f);
    }
    if (Joy(Pad::Button2) > 0.4f && KeyLock[Lock::NameButtons] == 0) {
        SetNameCell(Settings, cursor, 0);
        if (cursor > 0) cursor -= 1;
        KeyLock[Lock::NameButtons] = 1;
        PlaySFX(Sfx::Confirm, 0.5f);
    }
    if ((Joy(Pad::Button3) > 0.4f || Joy(Pad::Button4) > 0.4f || escape || enter) && KeyLock[Lock::NameButtons] == 0) {
        Screen.OptRow = 0;
        Overlay = Overlays::Options;
        LockKeys();
    }
}
