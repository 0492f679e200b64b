// One input poll against the real window, and one refill step of the music
// stream for each kind of track.
#include <benchmark/benchmark.h>

#include "GameStart.h"
#include "shell/MyGame.h"
#include "sys/SoundGlobals.h"
#include "sys/SysGlobals.h"
#include "sys/ZARNSys.h"

namespace {

void StartOnce() {
    StartGameOnce();
    ThisGame.MusicLevel = 1;
}

void BM_PollInput(benchmark::State& state) {
    StartOnce();
    if (!ASys.HasWindow()) {
        state.SkipWithError("needs a display");
        return;
    }
    for (auto _ : state) ThisGame.PollInput(0);
}
BENCHMARK(BM_PollInput);

// The source is stopped between steps, so every step finds its buffers used
// up: it takes them back, reads or decodes one block and queues it.
void MusicRefill(benchmark::State& state, const char* track) {
    StartOnce();
    if (!Audio.AudioEnabled) {
        state.SkipWithError("needs an audio device");
        return;
    }
    ThisGame.PlayMusic(track, 1);
    if (ASys.MusicPlaying == 0) {
        state.SkipWithError("track missing (build the assets)");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        alSourceStop(Audio.ALsource[MusicSource]);
        state.ResumeTiming();
        ASys.HandleMusicSys();
    }
    ThisGame.StopMusic();
}

void BM_MusicRefillOgg(benchmark::State& state) { MusicRefill(state, "01.ogg"); }
void BM_MusicRefillWav(benchmark::State& state) { MusicRefill(state, "95.wav"); }
BENCHMARK(BM_MusicRefillOgg);
BENCHMARK(BM_MusicRefillWav);

}  // namespace
