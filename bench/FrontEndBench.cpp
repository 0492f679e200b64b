// One update of each title, list, pause, loading and credits screen: the
// input logic and the recording of its drawing, with no input held.
#include <benchmark/benchmark.h>

#include "shell/MyGame.h"
#include "support/StateGuards.h"
#include "sys/ZARNSys.h"

namespace {

// An 800 x 600 canvas with the front end's pictures and the font counted
// as loaded, so that every draw call records as it does in the game.
void Prepare() {
    MyGame& g = ThisGame;
    Screen800x600();
    FrontEndArtLoaded();
    NoInputHeld();
    g.Overlay = Overlays::None;
    g.GameBreak = 0;
    g.Screen.LogoZoom = 1;
    g.Settings[Setting::LastDifficulty] = 2;
    g.BoardCount = 3;
    if (g.CreditCount < 0) g.AddDefaultCredits();
}

void Measure(benchmark::State& state, void (MyGame::*screen)()) {
    int records = 0;
    for (auto _ : state) {
        ASys.DrawTo = 0;
        ThisGame.ResetDraw();
        (ThisGame.*screen)();
        records = ASys.DrawTo;
    }
    state.counters["records"] = records;
}

void BM_TitlePage(benchmark::State& state) {
    Prepare();
    ThisGame.Screen.MenuPage = 0;
    Measure(state, &MyGame::DoMenu);
}
BENCHMARK(BM_TitlePage);

// The list with the score panel beside it.
void BM_DifficultyPage(benchmark::State& state) {
    Prepare();
    ThisGame.Screen.MenuPage = 1;
    ThisGame.GameMode = Modes::Title;
    Measure(state, &MyGame::DoMenu);
}
BENCHMARK(BM_DifficultyPage);

void BM_PauseMenu(benchmark::State& state) {
    Prepare();
    ThisGame.Scene.Paused = 1;
    ThisGame.Screen.PauseChoice = 1;
    Measure(state, &MyGame::PauseMenu);
    ThisGame.Scene.Paused = 0;
}
BENCHMARK(BM_PauseMenu);

// Mid-wave, when every one of the 625 logo tiles is drawn.
void BM_LoadingScreen(benchmark::State& state) {
    Prepare();
    ThisGame.LoadTo = 20;
    Measure(state, &MyGame::LoadingScreen);
    ThisGame.LoadTo = 0;
}
BENCHMARK(BM_LoadingScreen);

// The overlay with the first lines in view.
void BM_Credits(benchmark::State& state) {
    Prepare();
    ThisGame.Overlay = Overlays::Credits;
    for (auto _ : state) {
        ThisGame.Screen.CreditScroll = -144;  // keep the text in view
        ASys.DrawTo = 0;
        ThisGame.ResetDraw();
        ThisGame.Credits();
    }
    state.counters["records"] = ASys.DrawTo;
    ThisGame.Overlay = Overlays::None;
}
BENCHMARK(BM_Credits);

}  // namespace
