#include "rules/Replay.h"

#include <cstdio>

#include "rules/GameIdentity.h"
#include "rules/Match.h"

namespace {

std::string Hex(std::uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", unsigned(v));
    return text;
}

std::string Numbered(std::size_t i, std::size_t of) {
    return "checkpoint " + std::to_string(i + 1) + " of " + std::to_string(of);
}

}  // namespace

std::string DescribeCheckpoint(const Checkpoint& c) {
    return "update " + std::to_string(c.Update) + ", level " + std::to_string(c.Level) + ", score " +
           std::to_string(c.Score) + ", eaten " + std::to_string(c.Eaten) + ", target " + std::to_string(c.Target) +
           ", lives " + std::to_string(c.Lives);
}

bool JournalFitsTheseRules(const Journal& j, std::string& why) {
    if (j.GameVersion != Gobbit::Version) {
        why = "made by game version " + std::to_string(j.GameVersion) + "; this is version " +
              std::to_string(Gobbit::Version);
        return false;
    }
    if (j.Fingerprint != Gobbit::RulesFingerprint()) {
        why = "made under other rules or mazes (fingerprint " + Hex(j.Fingerprint) + "; these are " +
              Hex(Gobbit::RulesFingerprint()) + ")";
        return false;
    }
    return true;
}

ReplayResult ReplayJournal(const Journal& j) {
    ReplayResult r;
    if (!JournalFitsTheseRules(j, r.Message)) return r;

    SeededRandom stream;
    Match m(stream);
    m.Start(j.Difficulty);
    const std::size_t claimed = j.Checkpoints.size();
    std::size_t compared = 0;
    // Compares the checkpoints the replay has reached so far; false at the
    // first that differs from the journal's (or that the journal lacks).
    auto compare = [&]() {
        for (; compared < m.Record.Checkpoints.size(); ++compared) {
            const Checkpoint& got = m.Record.Checkpoints[compared];
            if (compared >= claimed) {
                r.Message = "the replay reached a checkpoint the journal does not have (" + DescribeCheckpoint(got) +
                            ")";
                r.FirstDiffering = int(compared);
                return false;
            }
            const Checkpoint& want = j.Checkpoints[compared];
            if (got != want) {
                r.Message = Numbered(compared, claimed) + " (level " + std::to_string(want.Level) +
                            ") differs: the journal has " + DescribeCheckpoint(want) + "; the replay has " +
                            DescribeCheckpoint(got);
                r.FirstDiffering = int(compared);
                return false;
            }
        }
        return true;
    };

    bool same = true;
    JournalCursor cursor(j);
    std::uint8_t code = 0;
    while (same && cursor.Next(code)) {
        if (m.EndReason != 0) {
            r.Message = "the game ended by " + std::string(EndingName(m.Record.Ending)) + " at update " +
                        std::to_string(m.Record.Updates) + ", but the journal goes on to update " +
                        std::to_string(j.Updates);
            r.FirstDiffering = int(compared);
            same = false;
            break;
        }
        m.Update(Controls::FromCode(code));
        same = compare();
    }
    if (same) {
        if (j.Ending == Ending::Quit) m.End(EndBy::Quitting);
        if (j.Ending == Ending::LostAll && m.EndReason == 0) {
            r.Message = "the journal says the last life was lost at update " + std::to_string(j.Updates) +
                        ", but the replay is still playing there";
            r.FirstDiffering = int(compared);
            same = false;
        } else {
            same = compare();
        }
    }
    if (same && compared < claimed) {
        r.Message = Numbered(compared, claimed) + " (" + DescribeCheckpoint(j.Checkpoints[compared]) +
                    ") was never reached";
        r.FirstDiffering = int(compared);
        same = false;
    }

    r.Score = std::int32_t(m.Play.Score);
    r.Reached = m.Record.Checkpoints;
    if (!same) {
        r.Outcome = ReplayResult::Differs;
        return r;
    }
    if (r.Score != j.Score) {
        r.Outcome = ReplayResult::Differs;
        r.Message = "the journal claims a score of " + std::to_string(j.Score) + " but the replay scored " +
                    std::to_string(r.Score);
        return r;
    }
    r.Outcome = ReplayResult::Verified;
    return r;
}
