// The pause menu: quit, resume and options as three icon buttons. Left
// alone for a while, the row sinks out of view; any use brings it back.
#include "shell/MyGame.h"

namespace {

constexpr int ChoiceQuit = 0;
constexpr int ChoiceResume = 1;
constexpr int ChoiceOptions = 2;

}  // namespace

void MyGame::PauseMenu() {
    ResetDraw();
    SetCLSRot(float(Mills() / 32), 0, 40);
    Text(100, 100, "Paused!", 0);

    const float y = float(int(ScreenH - 128 + Screen.PauseSlide));
    Screen.PauseIdle -= 1;
    if (Screen.PauseIdle >= -359) Screen.PauseSlide -= 64;
    else Screen.PauseSlide += 4;
    if (Screen.PauseSlide < 0) Screen.PauseSlide = 0;
    if (Screen.PauseSlide > 480) Screen.PauseSlide = 480;
    if (PointerDown > 0) Screen.PauseIdle = 0;

    if (Joy(Pad::Button1) < 0.3f && Joy(Pad::Button2) < 0.3f && Joy(Pad::Select) < 0.3f && Joy(Pad::Start) < 0.3f)
        KeyLock[Lock::PauseButtons] = 0;
    int activate = -1;
    if ((Joy(Pad::Button1) > 0.5f || Joy(Pad::Button2) > 0.5f || Joy(Pad::Select) > 0.5f || Joy(Pad::Start) > 0.5f) &&
        KeyLock[Lock::PauseButtons] == 0) {
        activate = Screen.PauseChoice;
        Screen.PauseIdle = 0;
    }

    // A click activates its button whatever is highlighted.
    SetSize(Screen.PauseChoice == ChoiceResume ? 1.5f : 1.0f);
    if (Button(Img::Icons, ScreenW / 2, y, 0) == 1) activate = ChoiceResume;

    SetSize(Screen.PauseChoice == ChoiceQuit ? 1.5f : 1.0f);
    if (Button(Img::Icons, ScreenW * 0.25f, y, 1) == 1) activate = ChoiceQuit;

    Screen.CogAngle = (Screen.CogAngle + 1) % 360;
    SetSize(Screen.PauseChoice == ChoiceOptions ? 1.5f : 1.0f);
    SetRot(float(-Screen.CogAngle));
    if (Button(Img::Icons, ScreenW * 0.75f, y, 3) == 1) activate = ChoiceOptions;
    SetRot(float(Screen.CogAngle));
    DrawImg(Img::Icons, ScreenW * 0.75f, y, 4);
    SetRot(0);

    // Once the game has ended nothing here may reopen it or open options.
    if (EndReason != 0) activate = -1;
    switch (activate) {
    case ChoiceResume:
        Scene.Paused = 0;
        PlaySFX(Sfx::Confirm, 1.0f);
        LockKeys();
        break;
    case ChoiceQuit:
        Scene.Paused = 0;
        PlaySFX(Sfx::Confirm, 1.0f);
        LockKeys();
        EndGame(-1);
        break;
    case ChoiceOptions:
        Overlay = Overlays::Options;
        PlaySFX(Sfx::Confirm, 1.0f);
        LockKeys();
        break;
    default:
        break;
    }

    if (KeyLock[Lock::LeftRight] == 0 && Joy(Pad::Right) > 0.5f) {
        KeyLock[Lock::LeftRight] = 1;
        Screen.PauseChoice += 1;
        PlaySFX(Sfx::Move);
        Screen.PauseIdle = 0;
    }
    if (KeyLock[Lock::LeftRight] == 0 && Joy(Pad::Left) > 0.5f) {
        KeyLock[Lock::LeftRight] = 1;
        Screen.PauseChoice -= 1;
        PlaySFX(Sfx::Move);
        Screen.PauseIdle = 0;
    }
    if (Screen.PauseChoice < 0) Screen.PauseChoice = 2;
    if (Screen.PauseChoice > 2) Screen.PauseChoice = 0;
    if (Joy(Pad::Left) < 0.3f && Joy(Pad::Right) < 0.3f) KeyLock[Lock::LeftRight] = 0;
}
