// Small services the whole game calls: save requests, the end of a game,
// the per-game reset and the input latches.
#include "shell/MyGame.h"

MyGame::MyGame() = default;
MyGame::~MyGame() = default;

void MyGame::Save() { SavePending = 1; }

void MyGame::EndGame(int reason) {
    if (EndReason != 0) return;  // the first reason wins
    EndReason = reason;
    EndBanner = reason;
    EndTimer = 0.0f;
    // The score here is the one the tables will record.
    Debuglog(fstr("Game ended by %s with score %i", reason == -1 ? "quitting" : "losing the last life",
                  int(Play.Score)));
}

void MyGame::FlushGame() {
    Paused = 0;
    EndReason = 0;
    EndTimer = 0.0f;
    for (BoardCell& c : Board) c = BoardCell{};
    Play = PlayState{};
    for (auto& p : Particle)
        for (float& f : p) f = 0;
    ViewX = ViewY = 0;
}

void MyGame::LockKeys() {
    for (int i = 0; i < 100; ++i) {
        KeyLock[i] = 1;
        TouchLock[i] = 1;
    }
}
