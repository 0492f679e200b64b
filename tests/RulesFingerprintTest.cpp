// A journal replays only under the rules it was made with, so the rules'
// fingerprint must change whenever they do. It covers the layouts and the
// random table by itself; a change of the rules' code shows only through
// RulesRevision (rules/GameIdentity.cpp), which is raised by hand. This test
// catches a change of what the rules do that came without it: it sums up
// the first levels and two deep ones of every difficulty and a whole
// wandering game, and fails when that summary moves while the fingerprint
// stays.
#include <gtest/gtest.h>

#include <cstdio>

#include "rules/GameIdentity.h"
#include "rules/LevelData.h"
#include "rules/Match.h"

namespace {

struct Summary {
    std::uint32_t h = 2166136261u;
    void Add(std::int64_t v) {
        for (int i = 0; i < 8; ++i) {
            h ^= std::uint8_t(v >> (8 * i));
            h *= 16777619u;
        }
    }
};

// A game played by always taking the first open way, turning now and then.
Journal Wander(int difficulty) {
    SeededRandom stream;
    Match m(stream);
    m.Start(difficulty);
    while (m.EndReason == 0 && m.Record.Updates < 100000) {
        Controls c;
        c.Fast = (m.Record.Updates / 50) % 2;
        if (m.Play.PlayStarted == 1 && m.Play.LevelState == 0) {
            m.GetMatrix(int(m.Play.HeroX), int(m.Play.HeroY), 1);
            const int open[4] = {m.OpenUp, m.OpenRight, m.OpenDown, m.OpenLeft};
            for (int k = 0; k < 4; ++k) {
                const int d = int(k + m.Record.Updates / 37) % 4;
                if (open[d]) {
                    c.Way[d] = Controls::Held;
                    break;
                }
            }
        }
        m.Update(c);
    }
    return m.Record;
}

TEST(RulesFingerprint, MovesWheneverTheLevelsOrThePlayChange) {
    Summary s;
    for (int difficulty = 1; difficulty <= 3; ++difficulty) {
        // The first levels, and two deep ones where the winnability check
        // has the most to do.
        for (int level : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 48, 50}) {
            SeededRandom stream;
            Match m(stream);
            m.Difficulty = difficulty;
            m.Play.Lives = 2;
            m.Play.Level = float(level - 1);
            m.GetLev(1);
            while (m.Play.PathRuns > 0 && m.Play.PathRuns < 31) m.FindPaths();
            s.Add(LayoutFor(difficulty, m.Play.Level));
            for (float v : {m.Play.HeroX, m.Play.HeroY, m.Play.Target, m.Play.GateCount, m.Play.PowerCount,
                            m.Play.WalkFound})
                s.Add(std::int64_t(v));
            for (const BoardCell& c : m.Board) s.Add(std::int64_t(c.Type * 4 + c.Pellet));
        }
        const Journal j = Wander(difficulty);
        for (const Checkpoint& c : j.Checkpoints) s.Add(std::int64_t(c.Update) << 32 | std::uint32_t(c.Score));
    }

    // Pinned together: change both when RulesRevision is raised.
    const std::uint32_t pinnedFingerprint = 0x04d47333u, pinnedSummary = 0x6d1098aeu;
    const std::uint32_t fingerprint = Gobbit::RulesFingerprint();
    if (fingerprint == pinnedFingerprint) {
        EXPECT_EQ(s.h, pinnedSummary) << "The rules build other levels or play differently, but their fingerprint "
                                         "is the same: raise RulesRevision in rules/GameIdentity.cpp";
    } else {
        ADD_FAILURE() << "The rules' fingerprint moved: pin the new values here, fingerprint 0x" << std::hex
                      << fingerprint << " and summary 0x" << s.h;
    }
}

}  // namespace
