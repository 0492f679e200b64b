// Starting a game and the in-play controls that open the pause menu.
#include "shell/MyGame.h"

void MyGame::LoadGame() {
    FlushGame();
    if (Rewatch.Watching == Watch::None) Settings[Setting::GamesStarted] += 1;
    Rules.Start(Difficulty);
    GameMode = Modes::Play;
}

void MyGame::Ingame() {
    // The game has ended and its banner shows: there is nothing to pause,
    // and a pause menu (or its options) would hold up the way back.
    if (EndReason != 0) return;
    if (Rewatch.Watching != Watch::None) {
        WatchControls();
        return;
    }
    ResetDraw();
    SetSize(1.0f);
    // Invisible unless the game was started with a pointer, but it still
    // answers to one.
    SetCol(255, 255, 255, Screen.ShowPauseIcon ? 0.4f : 0.0f);
    if (Button(Img::Icons, 32, 32, 0) > 0) {
        Scene.Paused = 1;
        LockKeys();
        Screen.PauseChoice = 1;
    }
    // Enter (or Start) must be let go before Escape can pause, so the press
    // that resumed the game cannot pause it again.
    if (!PlayKey(Fixed::Accept) && Joy(Pad::Start) < 0.3f) KeyLock[Lock::Pause] = 0;
    if ((PlayKey(Fixed::Back) || Joy(Pad::Start) > 0.5f) && KeyLock[Lock::Pause] == 0) {
        Scene.Paused = 1;
        Screen.PauseChoice = 1;
        LockKeys();
    }
}
