#include "support/PathSolver.h"

#include <cstring>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "shell/MyGame.h"

namespace {

const int StepX[4] = {0, 1, 0, -1};  // up, right, down, left
const int StepY[4] = {-1, 0, 1, 0};
constexpr int Cells = BoardRows * BoardPitch;

int WrapCol(int x) { return (x % BoardCols + BoardCols) % BoardCols; }
int WrapRow(int y) { return (y % BoardRows + BoardRows) % BoardRows; }
int IndexOf(int x, int y) { return WrapRow(y) * BoardPitch + WrapCol(x); }

struct Stretch {
    int length = -1;  // -1: the end cell cannot be reached
    std::vector<int> dirs;
    long nodes = 0;
    bool exhausted = true;
};

// Longest simple path from one cell, to a given cell or anywhere, over the
// cells of the board that still carry a pellet.
class StretchSearch {
public:
    StretchSearch(int to, long budget, unsigned shuffle) : to_(to), budget_(budget), shuffle_(shuffle) {}

    // Starts from a known stretch, so only longer ones are searched for.
    void Seed(const std::vector<int>& dirs) {
        result_.length = int(dirs.size());
        result_.dirs = dirs;
    }

    Stretch Run(int from) {
        Dfs(from % BoardPitch, from / BoardPitch, 0);
        result_.exhausted = !stopped_;
        return result_;
    }

private:
    MyGame& g_ = ThisGame;
    int to_;
    long budget_;
    unsigned shuffle_;  // 0: plain order; otherwise seeds random tie-breaks
    bool stopped_ = false;
    Stretch result_;
    std::vector<int> path_;
    int seen_[Cells] = {};
    int stamp_ = 0;
    int queue_[Cells] = {};

    // Cells with a pellet reachable from (x, y), ignoring the way gates face:
    // no simple path from here can eat more.
    int Reach(int x, int y, bool& reachesEnd) {
        ++stamp_;
        int head = 0, tail = 0, count = 0;
        queue_[tail++] = IndexOf(x, y);
        seen_[IndexOf(x, y)] = stamp_;
        while (head < tail) {
            int at = queue_[head++];
            for (int d = 0; d < 4; ++d) {
                int n = IndexOf(at % BoardPitch + StepX[d], at / BoardPitch + StepY[d]);
                const BoardCell& c = g_.Board[n];
                if (seen_[n] == stamp_ || c.Pellet == 0 || c.Type < 16) continue;
                seen_[n] = stamp_;
                if (n == to_) reachesEnd = true;
                ++count;
                queue_[tail++] = n;
            }
        }
        return count;
    }

    void Dfs(int x, int y, int depth) {
        if (++result_.nodes > budget_) {
            stopped_ = true;
            return;
        }
        const int here = IndexOf(x, y);
        if ((to_ < 0 || here == to_) && depth > result_.length) {
            result_.length = depth;
            result_.dirs = path_;
        }
        if (here == to_) return;  // eating the end cell closes the stretch
        bool reachesEnd = false;
        const int reach = Reach(x, y, reachesEnd);
        if (to_ >= 0 && !reachesEnd) return;
        if (depth + reach <= result_.length) return;

        g_.GetMatrix(x, y, 1);
        const int open[4] = {g_.OpenUp, g_.OpenRight, g_.OpenDown, g_.OpenLeft};
        // Fewest ways on first: long walks leave the dead ends for last.
        int order[4], exits[4], n = 0;
        for (int d = 0; d < 4; ++d) {
            if (!open[d]) continue;
            int nx = x + StepX[d], ny = y + StepY[d], e = 0;
            for (int k = 0; k < 4; ++k) e += g_.isSolid(nx + StepX[k], ny + StepY[k], k, 1) == 0;
            if (shuffle_) {
                shuffle_ = shuffle_ * 1103515245u + 12345u;
                e = e * 4 + int((shuffle_ >> 16) % 7);
            }
            int i = n++;
            for (; i > 0 && exits[i - 1] > e; --i) {
                order[i] = order[i - 1];
                exits[i] = exits[i - 1];
            }
            order[i] = d;
            exits[i] = e;
        }
        for (int i = 0; i < n && !stopped_; ++i) {
            const int d = order[i];
            const int nx = WrapCol(x + StepX[d]), ny = WrapRow(y + StepY[d]);
            BoardCell& c = g_.Board[IndexOf(nx, ny)];
            const float kept = c.Pellet;
            c.Pellet = 0;
            path_.push_back(d);
            Dfs(nx, ny, depth + 1);
            path_.pop_back();
            c.Pellet = kept;
        }
    }
};

// A shortest stretch from one cell to another by the entering rule, as
// directions; empty when there is none.
std::vector<int> ShortestPath(int from, int to) {
    MyGame& g = ThisGame;
    std::vector<int> came(Cells, -1), dirTo(Cells, -1), queue = {from};
    came[from] = from;
    for (size_t head = 0; head < queue.size() && came[to] < 0; ++head) {
        const int at = queue[head], x = at % BoardPitch, y = at / BoardPitch;
        for (int d = 0; d < 4; ++d) {
            const int n = IndexOf(x + StepX[d], y + StepY[d]);
            if (came[n] >= 0 || g.isSolid(x + StepX[d], y + StepY[d], d, 1)) continue;
            came[n] = at;
            dirTo[n] = d;
            queue.push_back(n);
        }
    }
    std::vector<int> dirs;
    if (came[to] < 0) return dirs;
    for (int at = to; at != from; at = came[at]) dirs.insert(dirs.begin(), dirTo[at]);
    return dirs;
}

// Lengthens a stretch by two cells wherever it runs past two free cells
// side by side: u->v becomes u->a->b->v round the square. Open rooms, where
// the search spends most of its budget, are full of such squares.
void Widen(int from, std::vector<int>& dirs) {
    MyGame& g = ThisGame;
    std::vector<int> cells = {from};
    for (int d : dirs) cells.push_back(IndexOf(cells.back() % BoardPitch + StepX[d], cells.back() / BoardPitch + StepY[d]));
    for (int c : cells) g.Board[c].Pellet = 0;
    // The game's entering rule, asked as if the cell still had its pellet.
    auto enters = [&](int cell, int dir) {
        const float kept = g.Board[cell].Pellet;
        g.Board[cell].Pellet = 1;
        const bool open = g.isSolid(cell % BoardPitch, cell / BoardPitch, dir, 1) == 0;
        g.Board[cell].Pellet = kept;
        return open;
    };
    for (bool grew = true; grew;) {
        grew = false;
        for (size_t i = 0; i + 1 < cells.size() && !grew; ++i) {
            const int d = dirs[i], u = cells[i], v = cells[i + 1];
            for (int turn : {1, 3}) {
                const int p = (d + turn) % 4;
                const int a = IndexOf(u % BoardPitch + StepX[p], u / BoardPitch + StepY[p]);
                const int b = IndexOf(v % BoardPitch + StepX[p], v / BoardPitch + StepY[p]);
                if (g.Board[a].Pellet != 1 || g.Board[b].Pellet != 1) continue;
                if (!enters(a, p) || !enters(b, d) || !enters(v, (p + 2) % 4)) continue;
                cells.insert(cells.begin() + i + 1, {a, b});
                dirs[i] = p;
                dirs.insert(dirs.begin() + i + 1, {d, (p + 2) % 4});
                g.Board[a].Pellet = g.Board[b].Pellet = 0;
                grew = true;
                break;
            }
        }
    }
}

}  // namespace

SolveResult LongestWalk(long budget) {
    MyGame& g = ThisGame;
    std::unique_ptr<BoardCell[]> fresh(new BoardCell[Cells]);
    std::memcpy(fresh.get(), g.Board, sizeof g.Board);
    const PlayState play = g.Play;
    std::unique_ptr<ParticleRecord[]> particles(new ParticleRecord[260]);
    std::memcpy(particles.get(), g.Scene.Particle, sizeof g.Scene.Particle);
    // With the target out of reach eating never pays the bonus, which
    // would fill the particle pool; only the walk length matters here.
    g.Play.Target = 1e9f;

    const int start = IndexOf(int(play.HeroX), int(play.HeroY));
    std::vector<int> power;
    for (int i = 0; i < Cells; ++i)
        if (fresh[i].Type > 15 && fresh[i].Pellet == 2) power.push_back(i);

    SolveResult result;
    result.exhausted = true;
    // One stretch: every floor cell carries a pellet but the one the hero
    // stands on and the power items not to be eaten in this stretch.
    std::map<std::tuple<int, int, unsigned>, Stretch> memo;
    auto stretch = [&](int from, int to, unsigned closedMask) -> const Stretch& {
        auto key = std::make_tuple(from, to, closedMask);
        auto found = memo.find(key);
        if (found != memo.end()) return found->second;
        auto lay = [&] {
            for (int i = 0; i < Cells; ++i) g.Board[i].Pellet = fresh[i].Type > 15 ? 1.0f : 0.0f;
            for (size_t p = 0; p < power.size(); ++p)
                g.Board[power[p]].Pellet = (closedMask >> p) & 1 ? 0.0f : 2.0f;
            g.Board[from].Pellet = 0;
        };
        Stretch s;
        if (to >= 0) {
            // A widened shortest way there gives the search a length to beat.
            lay();
            s.dirs = ShortestPath(from, to);
            if (!s.dirs.empty()) {
                Widen(from, s.dirs);
                s.length = int(s.dirs.size());
            }
        }
        // One plain search, then restarts with shuffled tie-breaks: the
        // first choices matter most and a single search rarely revisits them.
        const int restarts = 8;
        for (int k = 0; k <= restarts; ++k) {
            std::unique_ptr<StretchSearch> search(new StretchSearch(to, k ? budget / 2 / restarts : budget / 2, k));
            if (s.length >= 0) search->Seed(s.dirs);
            lay();
            Stretch found = search->Run(from);
            s.nodes += found.nodes;
            if (k == 0) s.exhausted = found.exhausted;
            if (found.length > s.length) {
                s.length = found.length;
                s.dirs = found.dirs;
            }
            if (s.exhausted) break;
        }
        if (s.length > 0) {
            lay();
            Widen(from, s.dirs);
            s.length = int(s.dirs.size());
        }
        result.nodes += s.nodes;
        result.exhausted = result.exhausted && s.exhausted;
        return memo[key] = s;
    };

    // Every order of eating none, some or all of the power items.
    std::vector<std::vector<int>> orders = {{}};
    for (size_t a = 0; a < power.size(); ++a) {
        orders.push_back({int(a)});
        for (size_t b = 0; b < power.size(); ++b)
            if (b != a) orders.push_back({int(a), int(b)});
    }
    int bestTotal = -1;
    std::vector<int> bestDirs;
    for (const std::vector<int>& order : orders) {
        unsigned unused = (1u << power.size()) - 1;
        int from = start, total = 0;
        std::vector<int> dirs;
        bool possible = true;
        for (size_t k = 0; k <= order.size() && possible; ++k) {
            const bool last = k == order.size();
            const int to = last ? -1 : power[order[k]];
            if (!last) unused &= ~(1u << order[k]);
            const Stretch& s = stretch(from, to, unused);
            if (s.length < 0) {
                possible = false;
                break;
            }
            total += s.length;
            dirs.insert(dirs.end(), s.dirs.begin(), s.dirs.end());
            if (!last) from = to;
        }
        if (possible && total > bestTotal) {
            bestTotal = total;
            bestDirs = dirs;
        }
    }

    // Replay the walk on the level as built, by the game's own rules.
    std::memcpy(g.Board, fresh.get(), sizeof g.Board);
    int x = int(play.HeroX), y = int(play.HeroY), eaten = 0;
    result.replayed = true;
    for (int d : bestDirs) {
        g.GetMatrix(x, y, 1);
        const int open[4] = {g.OpenUp, g.OpenRight, g.OpenDown, g.OpenLeft};
        if (!open[d]) {
            result.replayed = false;
            break;
        }
        g.Drop(x, y);
        x = WrapCol(x + StepX[d]);
        y = WrapRow(y + StepY[d]);
        g.Eat(x, y);
        ++eaten;
    }
    result.best = eaten;
    if (result.replayed) result.walk = bestDirs;

    std::memcpy(g.Board, fresh.get(), sizeof g.Board);
    g.Play = play;
    std::memcpy(g.Scene.Particle, particles.get(), sizeof g.Scene.Particle);
    return result;
}
