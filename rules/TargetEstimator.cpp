// The target estimator: semi-random walks on a scratch copy of the pellets
// (the Trial layer) decide how many pellets a level asks for. One pass runs
// per update during the level's first 30 updates, while the board rises.
#include <cmath>

#include "rules/GameIdentity.h"
#include "rules/Match.h"

namespace {
const int StepX[4] = {0, 1, 0, -1};  // by Dir
const int StepY[4] = {-1, 0, 1, 0};
}  // namespace

void Match::FindPaths() {
    PlayState& P = Play;
    if (P.PathRuns == 1 || !Search.Started()) BeginSearch();
    Rng.Reseed(int(P.Level * 1234 + Difficulty * 69 + P.PathRuns * 3177), Gobbit::Number);

    int passBest = 0;
    for (int walk = 0; walk < 5; ++walk) {
        for (BoardCell& c : Board) c.Trial = c.Pellet;
        int x = int(P.HeroX), y = int(P.HeroY);
        int dir = Dir::None, steps = 0, stall = 0;
        while (stall < 50) {
            for (int d = 0; d < 4; ++d) {
                int run = 0;
                while (run < 4 && isSolid(x + StepX[d] * (run + 1), y + StepY[d] * (run + 1), d, EstimatorMode) == 0)
                    ++run;
                P.RunLen[d] = float(run);
            }
            // Prefer the longest straight run, each candidate with odds 3 in 4.
            P.PickDir = Dir::None;
            P.PickLen = 0;
            for (int d = 0; d < 4; ++d) {
                if (P.RunLen[d] > P.PickLen && Rng.Rnd(0, 20) < 15) {
                    P.PickDir = float(d);
                    P.PickLen = P.RunLen[d];
                }
            }
            // A run of 0 means the next cell that way is closed.
            if (dir != Dir::None && P.RunLen[dir] == 0) dir = Dir::None;
            bool boxedIn = true;
            for (int d = 0; d < 4; ++d)
                if (P.RunLen[d] > 0) boxedIn = false;
            if (P.PickDir != Dir::None && Rng.Rnd(0, 20) < 15) dir = int(P.PickDir);
            if (dir == Dir::None) {
                stall += 1;
            } else {
                x += StepX[dir];
                y += StepY[dir];
                steps += 1;
                Eat2(x, y);
            }
            if (boxedIn) break;
        }
        if (steps > passBest) passBest = steps;
    }
    if (passBest > P.BestWalk) P.BestWalk = float(passBest);

    P.PathRuns += 1;
    // The walks only ever raise the estimate, so the search can chase each
    // pass's estimate and stop where it would have stopped for the last.
    float walkEst = 0;
    const float estimate = EstimatedTarget(P.BestWalk, walkEst);
    Search.SetGoal(int(estimate));
    if (P.PathRuns > 30) {
        P.Target = estimate;
        P.WalkEst = walkEst;
        P.Estimate = estimate;
        CheckWinnable();
        P.Eaten = 0;
        Emit(&MatchEvents::TargetSet);
    } else {
        Search.Run(SearchSlice);
    }
}

// The smallest of a difficulty ramp, the pellet supply and a value halfway
// between the supply and the best walk found; at least 40, and a multiple
// of 5.
float Match::EstimatedTarget(float bestWalk, float& walkEst) const {
    const PlayState& P = Play;
    float target = Difficulty * P.Level * 20 + 20;
    float k = Difficulty == 1 ? 60 : Difficulty == 3 ? 40 : 50;
    walkEst = 20 * std::floor((P.PowerCount + 1) * (P.DotCount - k) / 20);
    if (walkEst < target) target = walkEst;
    float m = walkEst;
    if (bestWalk < m) m = bestWalk + (walkEst - bestWalk) / 2;
    if (m < target) target = m;
    if (target < 40) target = 40;
    return 5 * std::floor(target / 5);
}

void Match::CheckWinnable() {
    PlayState& P = Play;
    while (!Search.Run(SearchSlice)) {
    }
    // No walk found reaches the estimate: the target becomes the longest
    // walk found, down to a multiple of 5 as every target is.
    if (Search.Best() < P.Target) P.Target = float(5 * (Search.Best() / 5));
    P.WalkFound = float(Search.Best());
    Search.Stop();
}

// The search starts with the level's first pass and goes on a slice per
// pass while the board rises.
void Match::BeginSearch() { Search.Begin(Board, int(Play.HeroX), int(Play.HeroY), 0); }
