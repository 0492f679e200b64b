// Replaying a journal with the rules alone: no window, no sound, no clock.
// The same code the game plays with, so a journal that replays to all its
// checkpoints and its score is a game these rules really produced.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rules/Journal.h"

struct ReplayResult {
    enum Verdict {
        Verified,  // every checkpoint and the score came out as the journal says
        Differs,   // the replay went another way: Message names where
        Unusable,  // not a journal these rules can replay (Message says why)
    };
    Verdict Outcome = Unusable;
    std::string Message;
    std::int32_t Score = 0;            // the score the replay reached
    std::vector<Checkpoint> Reached;   // the replay's own checkpoints
    int FirstDiffering = -1;           // index of the first checkpoint that differs
};

// Whether the journal was made by this game version under these rules;
// false with the reason if not.
bool JournalFitsTheseRules(const Journal& journal, std::string& why);

ReplayResult ReplayJournal(const Journal& journal);

// "update 1503, level 2, score 220, eaten 61, target 60, lives 2"
std::string DescribeCheckpoint(const Checkpoint& c);
