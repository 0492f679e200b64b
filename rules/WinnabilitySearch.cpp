#include "rules/WinnabilitySearch.h"

#include "rules/Controls.h"

namespace {

const int StepX[4] = {0, 1, 0, -1};  // by Dir
const int StepY[4] = {-1, 0, 1, 0};

// The searches of each stretch, in the order they run, every stretch taking
// its turn before the next search: a quick plain one, so every stretch soon
// has a path and an easy level is confirmed at once; a deep plain one; then
// short ones with shuffled tie-breaks. Shares are sixteenths of the
// stretch's budget and add up to the whole.
struct SearchPass {
    long Sixteenths;
    unsigned Shuffle;  // 0: plain order
};
const SearchPass Schedule[] = {{1, 0}, {8, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}, {1, 6}, {1, 7}};
constexpr int ScheduleLength = int(sizeof Schedule / sizeof Schedule[0]);

bool Opens(std::uint8_t enter, int dir) { return (enter >> dir) & 1; }

}  // namespace

void WinnabilitySearch::Begin(const BoardCell* board, int heroX, int heroY, int goal) {
    // Every field back to its start, the scratch stamps included.
    *this = WinnabilitySearch{};
    for (int y = 0; y < BoardRows; ++y) {
        for (int x = 0; x < BoardCols; ++x) {
            const int i = y * BoardPitch + x;
            for (int d = 0; d < 4; ++d) {
                const int nx = (x + StepX[d] + BoardCols) % BoardCols;
                const int ny = (y + StepY[d] + BoardRows) % BoardRows;
                Next[i][d] = std::int16_t(ny * BoardPitch + nx);
            }
            // The entering rule of Match::isSolid, a pellet aside.
            const int type = int(board[i].Type);
            Enter[i] = type == CellType::Floor       ? 0xf
                       : type == CellType::GateRight ? 1 << Dir::Right
                       : type == CellType::GateLeft  ? 1 << Dir::Left
                                                     : 0;
            Floor[i] = type > CellType::LastWall;
            Pellet[i] = Floor[i] && board[i].Pellet != Carry::None;
            if (Floor[i] && board[i].Pellet == Carry::PowerItem) {
                if (ItemCount < MaxItems) {
                    Items[ItemCount++] = i;
                    Item[i] = std::uint8_t(ItemCount);
                } else {
                    Item[i] = Untracked;
                }
            }
        }
    }
    const int start = ((heroY % BoardRows + BoardRows) % BoardRows) * BoardPitch +
                      (heroX % BoardCols + BoardCols) % BoardCols;

    // The orders of eating the items, the most items first: the longest
    // walks are usually among them, so the goal is met soonest.
    int sequences[MaxOrders][MaxItems] = {};
    int lengths[MaxOrders] = {};
    if (ItemCount == 2) {
        const int two[MaxOrders][MaxItems] = {{0, 1}, {1, 0}, {0, 0}, {1, 0}, {0, 0}};
        const int twoLengths[MaxOrders] = {2, 2, 1, 1, 0};
        for (int o = 0; o < MaxOrders; ++o) {
            for (int k = 0; k < MaxItems; ++k) sequences[o][k] = two[o][k];
            lengths[o] = twoLengths[o];
        }
        OrderCount = 5;
    } else if (ItemCount == 1) {
        lengths[0] = 1;
        OrderCount = 2;
    } else {
        OrderCount = 1;
    }
    const unsigned all = (1u << ItemCount) - 1;
    for (int o = 0; o < OrderCount; ++o) {
        Order& order = Orders[o];
        int from = start;
        bool fromStart = true;
        unsigned eaten = 0;
        for (int k = 0; k <= lengths[o]; ++k) {
            const bool last = k == lengths[o];
            const int item = last ? -1 : sequences[o][k];
            const unsigned closed = all & ~eaten & (last ? all : ~(1u << item));
            order.Parts[order.Count++] = AddStretch(from, last ? -1 : Items[item], closed, fromStart);
            if (!last) {
                eaten |= 1u << item;
                from = Items[item];
                fromStart = false;
            }
        }
    }

    GoalLength = goal;
    Begun = true;
    Evaluate();
}

bool WinnabilitySearch::Finished() const { return !Begun || Done || BestTotal >= GoalLength; }

int WinnabilitySearch::AddStretch(int from, int to, unsigned closed, bool fromStart) {
    for (int s = 0; s < StretchCount; ++s) {
        const Stretch& t = Stretches[s];
        if (t.From == from && t.To == to && t.Closed == closed && t.FromStart == fromStart) return s;
    }
    Stretch& s = Stretches[StretchCount];
    s.From = from;
    s.To = to;
    s.Closed = closed;
    s.FromStart = fromStart;
    Lay(s);
    bool reachesEnd = false;
    s.Bound = Reach(from, to, reachesEnd);
    if (to >= 0 && !reachesEnd) {
        s.Bound = -1;  // the item cannot be reached: no walk takes this way
        s.Settled = true;
    } else if (to < 0) {
        s.Length = 0;  // stuck at once is a walk too
        s.Settled = s.Bound == 0;
    }
    return StretchCount++;
}

// The pellets of one stretch: the level's own in the first, a full board
// after a power item; items not to be eaten in it are shut, and so is the
// cell it starts on.
void WinnabilitySearch::Lay(const Stretch& s) {
    for (int i = 0; i < Cells; ++i) Have[i] = (s.FromStart ? Pellet[i] : Floor[i]) && Item[i] != Untracked;
    for (int k = 0; k < ItemCount; ++k)
        if ((s.Closed >> k) & 1) Have[Items[k]] = 0;
    Have[s.From] = 0;
}

// Cells with a pellet that some walk from `from` could still enter, the end
// cell included but not walked past: no path from here eats more.
int WinnabilitySearch::Reach(int from, int to, bool& reachesEnd) {
    ++Stamp;
    int head = 0, tail = 0, count = 0;
    Queue[tail++] = std::int16_t(from);
    Seen[from] = Stamp;
    while (head < tail) {
        const int at = Queue[head++];
        if (at == to) continue;
        for (int d = 0; d < 4; ++d) {
            const int n = Next[at][d];
            if (Seen[n] == Stamp || !Have[n] || !Opens(Enter[n], d)) continue;
            Seen[n] = Stamp;
            if (n == to) reachesEnd = true;
            ++count;
            Queue[tail++] = std::int16_t(n);
        }
    }
    return count;
}

void WinnabilitySearch::Spend(long positions) {
    Visited += positions;
    SliceLeft -= positions;
}

// Every step below runs whole, whatever the goal: the goal and the slice
// only decide whether the next step is taken. So the search takes the same
// steps in the same order however it is sliced and whatever goals it was
// given on the way, and stops at the same step for the same last goal.
bool WinnabilitySearch::Run(long positions) {
    SliceLeft = positions;
    while (!Finished() && SliceLeft > 0) {
        if (Depth < 0) {
            if (!StartNextSearch()) break;
            continue;
        }
        Frame& f = Stack[Depth];
        if (f.NextWay == f.Count) {
            if (Depth == 0) {
                EndSearch(true);
            } else {
                Have[f.Cell] = 1;
                --Depth;
            }
            continue;
        }
        if (SearchLeft <= 0) {
            EndSearch(false);
            continue;
        }
        const int d = f.Ways[f.NextWay++];
        const int n = Next[f.Cell][d];
        Have[n] = 0;
        Path[Depth] = std::uint8_t(d);
        ++Depth;
        Stack[Depth].Cell = std::int16_t(n);
        Visit(Depth);
    }
    return Finished();
}

bool WinnabilitySearch::StartNextSearch() {
    for (;;) {
        ++Current;
        if (Current >= StretchCount) {
            Current = 0;
            ++Pass;
        }
        if (Pass >= ScheduleLength) {
            Done = true;
            return false;
        }
        const Stretch& s = Stretches[Current];
        if (!s.Settled && Worthwhile(Current)) break;
    }
    Stretch& s = Stretches[Current];
    Lay(s);
    if (s.To >= 0 && s.Length < 0) {
        SeedWithShortestPath(Current);
        if (s.Settled) return true;
        Lay(s);
    }
    SearchLeft = StretchBudget * Schedule[Pass].Sixteenths / 16;
    Shuffle = Schedule[Pass].Shuffle;
    Depth = 0;
    Stack[0].Cell = std::int16_t(s.From);
    Visit(0);
    return true;
}

void WinnabilitySearch::EndSearch(bool complete) {
    Stretch& s = Stretches[Current];
    // A search run to its end was only ever cut where no longer path could
    // lie, whatever order it took the ways in.
    if (complete) s.Settled = true;
    Depth = -1;
    if (!s.Settled) Widen(Current);
}

void WinnabilitySearch::Visit(int depth) {
    Frame& f = Stack[depth];
    f.Count = f.NextWay = 0;
    Spend(1);
    --SearchLeft;
    Stretch& s = Stretches[Current];
    const int c = f.Cell;
    if ((s.To < 0 || c == s.To) && depth > s.Length) Improve(Current, Path, depth);
    if (c == s.To) return;  // eating the item ends the stretch
    // Entered by the only way on, the cell reaches what the one before it
    // did, but itself: the same bound, without a count.
    if (depth > 0 && Stack[depth - 1].Count == 1) {
        f.Reach = Stack[depth - 1].Reach - 1;
    } else {
        bool reachesEnd = false;
        f.Reach = std::int16_t(Reach(c, s.To, reachesEnd));
        if (s.To >= 0 && !reachesEnd) return;
    }
    if (depth + f.Reach <= s.Length) return;

    // Fewest onward ways first: long walks leave the dead ends for last.
    int exits[4];
    for (int d = 0; d < 4; ++d) {
        const int n = Next[c][d];
        if (!Have[n] || !Opens(Enter[n], d)) continue;
        int e = 0;
        for (int k = 0; k < 4; ++k) {
            const int o = Next[n][k];
            e += Have[o] && Opens(Enter[o], k);
        }
        if (Shuffle) {
            Shuffle = Shuffle * 1103515245u + 12345u;
            e = e * 4 + int((Shuffle >> 16) % 7);
        }
        int i = f.Count++;
        for (; i > 0 && exits[i - 1] > e; --i) {
            f.Ways[i] = f.Ways[i - 1];
            exits[i] = exits[i - 1];
        }
        f.Ways[i] = std::uint8_t(d);
        exits[i] = e;
    }
}

void WinnabilitySearch::Improve(int s, const std::uint8_t* dirs, int length) {
    Stretch& st = Stretches[s];
    for (int i = 0; i < length; ++i) st.Dirs[i] = dirs[i];
    st.Length = length;
    if (st.Length >= st.Bound) st.Settled = true;
    Evaluate();
}

// A shortest way to the stretch's item, lengthened: a path to beat before
// the depth-first search starts.
void WinnabilitySearch::SeedWithShortestPath(int s) {
    const Stretch& st = Stretches[s];
    std::int16_t came[Cells];
    std::uint8_t dirTo[Cells];
    ++Stamp;
    int head = 0, tail = 0;
    Queue[tail++] = std::int16_t(st.From);
    Seen[st.From] = Stamp;
    while (head < tail && Seen[st.To] != Stamp) {
        const int at = Queue[head++];
        for (int d = 0; d < 4; ++d) {
            const int n = Next[at][d];
            if (Seen[n] == Stamp || !Have[n] || !Opens(Enter[n], d)) continue;
            Seen[n] = Stamp;
            came[n] = std::int16_t(at);
            dirTo[n] = std::uint8_t(d);
            Queue[tail++] = std::int16_t(n);
        }
    }
    Spend(head);
    if (Seen[st.To] != Stamp) return;
    int length = 0;
    for (int at = st.To; at != st.From; at = came[at]) ++length;
    int i = length;
    for (int at = st.To; at != st.From; at = came[at]) Path[--i] = dirTo[at];
    Improve(s, Path, length);
    if (!Stretches[s].Settled) Widen(s);
}

// Lengthens the stretch's best path by two cells wherever it passes two free
// cells side by side with one of its steps: u->v becomes u->a->b->v round
// the square. Cells taken stay taken, so no step that could not be widened
// before can be widened later, and one sweep along the path does it.
void WinnabilitySearch::Widen(int s) {
    Stretch& st = Stretches[s];
    if (st.Length <= 0) return;
    Lay(st);
    std::int16_t cells[MaxPath + 1];
    std::uint8_t dirs[MaxPath];
    int length = st.Length;
    cells[0] = std::int16_t(st.From);
    for (int i = 0; i < length; ++i) {
        dirs[i] = st.Dirs[i];
        cells[i + 1] = Next[cells[i]][dirs[i]];
        Have[cells[i + 1]] = 0;
    }
    long work = 0;
    for (int i = 0; i < length;) {
        ++work;
        const int d = dirs[i], u = cells[i], v = cells[i + 1];
        bool grew = false;
        for (int turn = 1; turn <= 3 && !grew && length + 2 <= MaxPath; turn += 2) {
            const int p = (d + turn) & 3, back = (p + 2) & 3;
            const int a = Next[u][p], b = Next[v][p];
            if (!Have[a] || !Have[b]) continue;
            if (!Opens(Enter[a], p) || !Opens(Enter[b], d) || !Opens(Enter[v], back)) continue;
            for (int k = length; k > i; --k) cells[k + 2] = cells[k];
            for (int k = length - 1; k > i; --k) dirs[k + 2] = dirs[k];
            cells[i + 1] = std::int16_t(a);
            cells[i + 2] = std::int16_t(b);
            dirs[i] = std::uint8_t(p);
            dirs[i + 1] = std::uint8_t(d);
            dirs[i + 2] = std::uint8_t(back);
            Have[a] = Have[b] = 0;
            work += length - i;
            length += 2;
            grew = true;
        }
        // A step just widened is looked at again: its first new step may
        // widen in turn.
        if (!grew) ++i;
    }
    Spend(work);
    if (length > st.Length) Improve(s, dirs, length);
}

void WinnabilitySearch::Evaluate() {
    int best = -1, bestOrder = -1;
    for (int o = 0; o < OrderCount; ++o) {
        int total = 0;
        bool possible = true;
        for (int k = 0; k < Orders[o].Count && possible; ++k) {
            const int length = Stretches[Orders[o].Parts[k]].Length;
            if (length < 0) possible = false;
            total += length;
        }
        if (possible && total > best) {
            best = total;
            bestOrder = o;
        }
    }
    BestTotal = best;
    BestOrder = bestOrder;
}

void WinnabilitySearch::SetGoal(int goal) { GoalLength = goal; }

// Whether a longer path for this stretch could make a longer walk: some
// order it is part of could still beat the best walk found.
bool WinnabilitySearch::Worthwhile(int s) const {
    for (int o = 0; o < OrderCount; ++o) {
        int bound = 0;
        bool part = false, possible = true;
        for (int k = 0; k < Orders[o].Count; ++k) {
            const Stretch& st = Stretches[Orders[o].Parts[k]];
            if (Orders[o].Parts[k] == s) part = true;
            if (st.Bound < 0) possible = false;
            bound += st.Settled ? st.Length : st.Bound;
        }
        if (part && possible && bound > BestTotal) return true;
    }
    return false;
}

bool WinnabilitySearch::Exhaustive() const {
    if (StretchCount == 0) return false;
    for (int s = 0; s < StretchCount; ++s)
        if (!Stretches[s].Settled && Worthwhile(s)) return false;
    return true;
}

std::vector<int> WinnabilitySearch::Walk() const {
    std::vector<int> moves;
    if (BestOrder < 0) return moves;
    for (int k = 0; k < Orders[BestOrder].Count; ++k) {
        const Stretch& s = Stretches[Orders[BestOrder].Parts[k]];
        moves.insert(moves.end(), s.Dirs, s.Dirs + (s.Length > 0 ? s.Length : 0));
    }
    return moves;
}
