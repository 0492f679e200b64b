// One update of the options screen, the redefinition screen (idle and while
// capturing) and name entry, with the font and pictures loaded so that the
// text and icons are recorded as in the game.
#include <benchmark/benchmark.h>

#include "GameStart.h"
#include "shell/MyGame.h"
#include "sys/ZARNSys.h"

namespace {

void StartOnce() {
    static bool started = false;
    if (started) return;
    started = true;
    StartGameOnce();
    MyGame& g = ThisGame;
    g.LoadFont(Img::Font, "entplain");
    g.LoadImgFull(Img::Icons, "icons", 64);
    g.LoadImgFull(Img::OptionIcons, "options", 32);
    g.CreateBuffer(Img::PlatBackdrop, 1024);
    g.MakePlatBG();
    g.FlushKeys();
    g.KeyDefaults();
    g.Settings[Setting::SfxVolume] = 7;
    g.Settings[Setting::MusicVolume] = 7;
    g.ScreenW = 800;
    g.ScreenH = 600;
}

bool Ready(benchmark::State& state) {
    StartOnce();
    if (!ASys.HasWindow()) {
        state.SkipWithError("needs a display");
        return false;
    }
    for (int& k : ThisGame.KeyLock) k = 0;
    return true;
}

// One update of the screen per iteration; reports the records it drew.
void Measure(benchmark::State& state, void (MyGame::*screen)()) {
    for (auto _ : state) {
        ASys.DrawTo = 0;
        (ThisGame.*screen)();
    }
    state.counters["records"] = ASys.DrawTo;
}

void BM_OptionsUpdate(benchmark::State& state) {
    if (!Ready(state)) return;
    MyGame& g = ThisGame;
    g.Overlay = Overlays::Options;
    g.Screen.OptRow = 1;
    g.Screen.OptScroll = 0;
    Measure(state, &MyGame::Options);
}
BENCHMARK(BM_OptionsUpdate);

// The cursor on Button 1, so its binding list is drawn too.
void BM_RedefineKeysUpdate(benchmark::State& state) {
    if (!Ready(state)) return;
    MyGame& g = ThisGame;
    g.Overlay = Overlays::RedefineKeys;
    g.Screen.RedefRow = 3;
    g.Screen.RedefCol = 1;
    g.CaptureState = 0;
    g.Screen.TestTimer = 0;
    Measure(state, &MyGame::RedefineKeys);
}
BENCHMARK(BM_RedefineKeysUpdate);

// Waiting for a key: every update scans the keyboard and the pads.
void BM_RedefineKeysCapture(benchmark::State& state) {
    if (!Ready(state)) return;
    MyGame& g = ThisGame;
    g.Overlay = Overlays::RedefineKeys;
    g.Screen.RedefRow = 3;
    g.Screen.RedefCol = 1;
    g.CaptureState = 2;
    g.Screen.CaptureGrace = 2;
    for (auto _ : state) {
        g.Screen.CaptureTimer = 300;
        ASys.DrawTo = 0;
        g.RedefineKeys();
    }
    if (g.CaptureState != 2) state.SkipWithError("a key was caught during the run");
    g.CaptureState = 0;
    state.counters["records"] = ASys.DrawTo;
}
BENCHMARK(BM_RedefineKeysCapture);

void BM_EnterYourNameUpdate(benchmark::State& state) {
    if (!Ready(state)) return;
    MyGame& g = ThisGame;
    g.Overlay = Overlays::EnterName;
    g.Screen.OptRow = 3;
    Measure(state, &MyGame::EnterYourName);
}
BENCHMARK(BM_EnterYourNameUpdate);

}  // namespace
