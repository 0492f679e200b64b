// Replaying a journal with the rules alone, as gobbit --verify and the score
// server do: a game of ten levels won on Normal, played by the test
// solver's longest walks and quit at the start of the eleventh. The
// counters give the journal's size and its length in updates.
#include <benchmark/benchmark.h>

#include "rules/Replay.h"
#include "support/RecordedGames.h"

namespace {

const Journal& TenLevels() {
    static const Journal journal = PlayScriptedGame({2, 10, 10, 0, 20000});
    return journal;
}

void BM_ReplayTenLevelGame(benchmark::State& state) {
    const Journal& journal = TenLevels();
    for (auto _ : state) {
        ReplayResult r = ReplayJournal(journal);
        if (r.Outcome != ReplayResult::Verified) {
            state.SkipWithError(r.Message.c_str());
            break;
        }
        benchmark::DoNotOptimize(r.Score);
    }
    state.counters["updates"] = double(journal.Updates);
    state.counters["levels"] = double(journal.Checkpoints.back().Level);
    state.counters["journal_bytes"] = double(EncodeJournal(journal).size());
    state.counters["updates_per_s"] =
        benchmark::Counter(double(journal.Updates), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ReplayTenLevelGame)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_ReadJournal(benchmark::State& state) {
    const std::vector<std::uint8_t> bytes = EncodeJournal(TenLevels());
    Journal out;
    std::string error;
    for (auto _ : state) {
        benchmark::DoNotOptimize(DecodeJournal(bytes.data(), bytes.size(), out, error));
    }
}
BENCHMARK(BM_ReadJournal);

}  // namespace
