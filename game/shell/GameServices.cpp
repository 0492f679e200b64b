// Small services the whole game calls: save requests, the end of a game,
// the per-game reset and the input latches.
#include "shell/MyGame.h"

MyGame::MyGame() = default;
MyGame::~MyGame() = default;

void MyGame::Save() { SavePending = 1; }

// The first reason wins; the banner follows from the rules' Ended event.
void MyGame::EndGame(int reason) { Rules.End(reason); }

void MyGame::FlushGame() {
    Paused = 0;
    EndTimer = 0.0f;
    Rules.Reset();
    for (ParticleRecord& p : Particle) p = ParticleRecord{};
    ViewX = ViewY = 0;
}

void MyGame::LockKeys() {
    for (int i = 0; i < 100; ++i) {
        KeyLock[i] = 1;
        TouchLock[i] = 1;
    }
}
