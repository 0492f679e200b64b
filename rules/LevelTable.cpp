#include "rules/LevelTable.h"

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "rules/LevelData.h"
#include "rules/Match.h"

namespace {

std::string Cell(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }

// A whole decimal number in [lo, hi], nothing else.
bool ParseNumber(const char* text, int lo, int hi, int& value) {
    if (!text || *text < '0' || *text > '9') return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
    value = int(v);
    return true;
}

}  // namespace

std::string LevelLine(const Match& m) {
    const PlayState& P = m.Play;
    std::string items, gates;
    for (int y = 0; y < BoardRows; ++y)
        for (int x = 0; x < BoardCols; ++x)
            if (m.Board[y * BoardPitch + x].Pellet == Carry::PowerItem) items += " " + Cell(x, y);
    // A gate row is three cells of one kind; rows side by side make a
    // longer run, taken three cells at a time from its left.
    for (int y = 0; y < BoardRows; ++y) {
        for (int x = 0; x < BoardCols;) {
            const float type = m.Board[y * BoardPitch + x].Type;
            int run = 1;
            while (x + run < BoardCols && m.Board[y * BoardPitch + x + run].Type == type) ++run;
            if (type == CellType::GateRight || type == CellType::GateLeft) {
                const char* way = type == CellType::GateRight ? ">" : "<";
                for (int k = 0; k + 3 <= run; k += 3) gates += " " + Cell(x + k + 1, y) + way;
            }
            x += run;
        }
    }
    std::string line = "Level " + std::to_string(int(P.Level)) + ", difficulty " + std::to_string(m.Difficulty) +
                       ": layout " + std::to_string(LayoutFor(m.Difficulty, P.Level)) + ", hero " +
                       Cell(int(P.HeroX), int(P.HeroY)) + ", power items" + (items.empty() ? " none" : items) +
                       ", gate rows" + (gates.empty() ? " none" : gates) + ", target " +
                       std::to_string(int(P.Target));
    if (P.Target < P.Estimate)
        line += ", lowered from " + std::to_string(int(P.Estimate));
    else
        line += ", confirmed";
    return line + " (walk " + std::to_string(int(P.WalkFound)) + ")";
}

void PrintLevelTable(int difficulty, int first, int last, std::ostream& out) {
    for (int level = first; level <= last; ++level) {
        // A level depends on its difficulty and number alone; a fresh match
        // builds it as a game reaching it would.
        SeededRandom stream;
        std::unique_ptr<Match> m(new Match(stream));
        m->Difficulty = difficulty;
        m->Play.Lives = 2;
        m->Play.Level = float(level - 1);
        m->GetLev(1);
        while (m->Play.PathRuns > 0 && m->Play.PathRuns < 31) m->FindPaths();
        out << LevelLine(*m) << "\n";
    }
}

int LevelTableCommand(const char* difficulty, const char* first, const char* last, std::ostream& out,
                      std::ostream& err) {
    int d = 0, a = 0, b = 0;
    if (!ParseNumber(difficulty, 1, 3, d) || !ParseNumber(first, 1, MaxTableLevel, a) ||
        !ParseNumber(last, 1, MaxTableLevel, b) || a > b) {
        err << "usage: gobbit --levels DIFFICULTY FIRST LAST  (difficulty 1 Easy, 2 Normal, 3 Hard; levels 1-"
            << MaxTableLevel << ", first <= last)\n";
        return 2;
    }
    PrintLevelTable(d, a, b, out);
    return 0;
}
