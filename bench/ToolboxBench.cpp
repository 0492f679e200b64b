#include <benchmark/benchmark.h>

#include <string>

#include "Random.h"
#include "shell/MyGame.h"

static void BM_Rnd(benchmark::State& state) {
    ThisGame.SeedRnd(12345);
    for (auto _ : state) benchmark::DoNotOptimize(ThisGame.Rnd(0, 100));
}
BENCHMARK(BM_Rnd);

static void BM_Fstr(benchmark::State& state) {
    int i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(ThisGame.fstr("Score %06i Level %i", i++, 3));
}
BENCHMARK(BM_Fstr);

static void BM_Checksum100(benchmark::State& state) {
    std::string text;
    for (int i = 0; i < 100; i++) text += char('A' + i % 26);
    for (auto _ : state) benchmark::DoNotOptimize(ThisGame.Checksum(text, 564));
}
BENCHMARK(BM_Checksum100);

static void BM_ScrambleScoreMessage(benchmark::State& state) {
    ThisGame.GameNum = 564;
    ThisGame.SetKeyword("Quiet ferns tapping gravel and drifting past the hollows, slowly, slowly.");
    // Shaped like one score message: user ID, name, game, version, board,
    // best and latest score of three boards, and the closing field.
    std::string msg = "ABCDEFGHIJKLMNOPQR{Gobbit Fan{0564{0001{0000{";
    for (int b = 0; b < 3; b++) msg += std::to_string(123450 + b) + "{" + std::to_string(9870 + b) + "{";
    msg += "ZARN{";
    state.counters["chars"] = double(msg.size());
    for (auto _ : state) benchmark::DoNotOptimize(ThisGame.ScrambleTxt(msg));
}
BENCHMARK(BM_ScrambleScoreMessage);
