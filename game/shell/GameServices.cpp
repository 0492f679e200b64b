// Small services the whole game calls: save requests, the end of a game,
// the per-game reset and the input latches.
#include "shell/MyGame.h"

MyGame::MyGame() = default;
MyGame::~MyGame() = default;

void MyGame::Save() { Saving.SavePending = 1; }

// The first reason wins; the banner follows from the rules' Ended event.
void MyGame::EndGame(int reason) { Rules.End(reason); }

void MyGame::FlushGame() {
    Scene = GameScene{};
    Rules.Reset();
}

void MyGame::LockKeys() {
    for (int i = 0; i < 100; ++i) {
        KeyLock[i] = 1;
        TouchLock[i] = 1;
    }
}
