// The winnability check over levels 1-100 of every difficulty (300 levels):
//   BM_WinnabilitySearch  the search of one level, given the estimator's
//                         target from the start: median and maximum over
//                         the levels, in time and in positions visited
//   BM_EstimatorPasses    one update's share as the game runs it: the
//                         slowest single estimator pass (its five walks and
//                         its slice of the search) and the slowest level's
//                         thirty passes in all
// Each level is built as the game builds it, by the rules alone; the times are the machine's,
// the positions are the same everywhere.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "rules/Match.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The rules alone, as a replay runs them (the game's own match would log a
// line per level).
std::unique_ptr<Match> Build(SeededRandom& stream, int difficulty, int level) {
    std::unique_ptr<Match> m(new Match(stream));
    m->Difficulty = difficulty;
    m->Play.Lives = 2;
    m->Play.Level = float(level - 1);
    m->GetLev(1);
    return m;
}

template <class T>
T Median(std::vector<T> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void BM_WinnabilitySearch(benchmark::State& state) {
    SeededRandom stream;
    std::unique_ptr<WinnabilitySearch> search(new WinnabilitySearch);
    std::vector<double> ms;
    std::vector<long> positions;
    for (auto _ : state) {
        ms.clear();
        positions.clear();
        for (int difficulty = 1; difficulty <= 3; ++difficulty) {
            for (int level = 1; level <= 100; ++level) {
                std::unique_ptr<Match> m = Build(stream, difficulty, level);
                while (m->Play.PathRuns < 31) m->FindPaths();
                const PlayState& P = m->Play;
                const Clock::time_point start = Clock::now();
                search->Begin(m->Board, int(P.HeroX), int(P.HeroY), int(P.Estimate));
                search->Run(1L << 40);
                ms.push_back(MsSince(start));
                positions.push_back(search->Positions());
            }
        }
    }
    state.counters["median_ms"] = Median(ms);
    state.counters["max_ms"] = *std::max_element(ms.begin(), ms.end());
    state.counters["median_positions"] = double(Median(positions));
    state.counters["max_positions"] = double(*std::max_element(positions.begin(), positions.end()));
}
BENCHMARK(BM_WinnabilitySearch)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_EstimatorPasses(benchmark::State& state) {
    SeededRandom stream;
    std::vector<double> levelMs;
    double worstPass = 0;
    for (auto _ : state) {
        levelMs.clear();
        for (int difficulty = 1; difficulty <= 3; ++difficulty) {
            for (int level = 1; level <= 100; ++level) {
                std::unique_ptr<Match> m = Build(stream, difficulty, level);
                double total = 0;
                while (m->Play.PathRuns < 31) {
                    const Clock::time_point start = Clock::now();
                    m->FindPaths();
                    const double ms = MsSince(start);
                    worstPass = std::max(worstPass, ms);
                    total += ms;
                }
                levelMs.push_back(total);
            }
        }
    }
    state.counters["worst_pass_ms"] = worstPass;
    state.counters["median_level_ms"] = Median(levelMs);
    state.counters["max_level_ms"] = *std::max_element(levelMs.begin(), levelMs.end());
}
BENCHMARK(BM_EstimatorPasses)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
