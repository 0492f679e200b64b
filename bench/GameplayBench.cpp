// Costs of gameplay: building a level, one estimator pass (five walks), and
// one whole play update on a full board with its drawing recorded.
#include <benchmark/benchmark.h>

#include "shell/MyGame.h"
#include "sys/ZARNSys.h"

namespace {

// Normal difficulty, level 5: two power items and four gate rows.
void BuildLevel() {
    ThisGame.FlushGame();
    ThisGame.Difficulty = 2;
    ThisGame.Play.Level = 4;
    ThisGame.GetLev(1);
}

// A built level, its target worked out, every cell in place, play running.
void ReadyToPlay(bool pastTarget) {
    BuildLevel();
    while (ThisGame.Play.PathRuns < 31) ThisGame.FindPaths();
    for (BoardCell& c : ThisGame.Board) {
        c.Offset = 0;
        c.Speed = 0;
        c.Settled = 1;
    }
    ThisGame.Play.PlayStarted = 1;
    if (pastTarget) ThisGame.Play.Eaten = ThisGame.Play.Target + 10;  // rainbow maze
    ThisGame.ScreenW = 800;
    ThisGame.ScreenH = 600;
    // Record every sprite and glyph as the loaded game would.
    ASys.iFrames[Img::Sprites] = 1;
    ASys.iFrames[ASys.FontImage] = 1;
}

void BM_GetLev(benchmark::State& state) {
    BuildLevel();
    for (auto _ : state) {
        ThisGame.Play.Level = 4;
        ThisGame.GetLev(1);
        benchmark::DoNotOptimize(ThisGame.Board[0].Speed);
    }
}
BENCHMARK(BM_GetLev);

void BM_FindPathsPass(benchmark::State& state) {
    BuildLevel();
    for (auto _ : state) {
        ThisGame.Play.PathRuns = 1;
        ThisGame.FindPaths();
        benchmark::DoNotOptimize(ThisGame.Play.BestWalk);
    }
}
BENCHMARK(BM_FindPathsPass);

void BM_PlayUpdate(benchmark::State& state) {
    ReadyToPlay(state.range(0) != 0);
    int records = 0;
    for (auto _ : state) {
        ASys.DrawTo = 0;
        ThisGame.DoGame();
        records = ASys.DrawTo;
    }
    state.counters["records"] = records;
    ASys.DrawTo = 0;
}
BENCHMARK(BM_PlayUpdate)->Arg(0)->Arg(1)->ArgName("pastTarget");

}  // namespace
