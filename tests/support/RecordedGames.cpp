#include "support/RecordedGames.h"

#include <deque>

#include "Random.h"
#include "rules/Controls.h"
#include "rules/Replay.h"
#include "shell/MyGame.h"
#include "support/PathSolver.h"

namespace {

// More updates than any scripted game takes: a stuck script fails a test
// instead of hanging it.
constexpr std::uint32_t UpdateLimit = 2000000;

}  // namespace

Controls WalkStep(Match& m, int walkMove) {
    Controls in;
    in.Fast = true;
    int dir = walkMove;
    if (dir < 0) {
        m.GetMatrix(int(m.Play.HeroX), int(m.Play.HeroY), 1);
        const int open[4] = {m.OpenUp, m.OpenRight, m.OpenDown, m.OpenLeft};
        for (int d = 0; d < 4 && dir < 0; ++d)
            if (open[d]) dir = d;
    }
    if (dir >= 0) in.Way[dir] = Controls::Held;
    return in;
}

Journal PlayScriptedGame(const ScriptedGame& script) {
    MyGame& g = ThisGame;
    Match& m = g.Rules;
    g.FlushGame();
    m.Start(script.Difficulty);

    std::deque<int> walk;
    bool planned = false;
    int won = 0;
    float lastLevel = m.Play.Level, lastLives = m.Play.Lives;
    while (m.EndReason == 0 && m.Record.Updates < UpdateLimit) {
        const PlayState& P = m.Play;
        if (P.Level != lastLevel || P.Lives != lastLives) {
            if (P.Level != lastLevel) ++won;
            lastLevel = P.Level;
            lastLives = P.Lives;
            planned = false;
            walk.clear();
        }
        if ((script.QuitAfterLevels >= 0 && won >= script.QuitAfterLevels) ||
            (script.QuitAtUpdate > 0 && m.Record.Updates >= script.QuitAtUpdate)) {
            m.End(-1);
            break;
        }
        Controls in;
        in.Fast = true;
        if (P.PlayStarted == 1 && P.LevelState == 0) {
            if (!planned && int(P.Level) <= script.SolvedLevels) {
                // The search plays moves of its own on the board and puts it
                // back; the stream it draws from is put back too, so the
                // game goes on exactly as if it had not looked.
                const SeededRandom stream = SharedStream;
                SolveResult r = LongestWalk(script.SearchBudget);
                SharedStream = stream;
                walk.assign(r.walk.begin(), r.walk.end());
            }
            planned = true;
            in = WalkStep(m, walk.empty() ? -1 : walk.front());
        }
        const float x = P.HeroX, y = P.HeroY;
        m.Update(in);
        if ((P.HeroX != x || P.HeroY != y) && !walk.empty()) walk.pop_front();
    }
    return m.Record;
}

Journal OneInputChanged(const Journal& j) {
    std::vector<std::uint8_t> codes;
    JournalCursor cursor(j);
    for (std::uint8_t c; cursor.Next(c);) codes.push_back(c);
    for (std::size_t at = codes.size() / 2; at < codes.size(); at++)
        for (int dir = 0; dir < 4; dir++) {
            Controls held;
            held.Way[dir] = Controls::Held;
            if (held.Code() == codes[at]) continue;
            Journal t = j;
            t.Runs.clear();
            t.Updates = 0;
            for (std::size_t u = 0; u < codes.size(); u++) t.AddUpdate(u == at ? held.Code() : codes[u]);
            if (ReplayJournal(t).Outcome == ReplayResult::Differs) return t;
        }
    return j;
}
