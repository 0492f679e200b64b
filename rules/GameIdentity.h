// What a recorded game must agree on with the game that replays it.
#pragma once

#include <cstdint>

namespace Gobbit {
// Names the data folder and the save files, keys the score scrambler and
// enters every seeded random sequence: a level built with any other number
// is not the level players get.
constexpr int Number = 564;
// The version the score message and every journal carry.
constexpr int Version = 1;
constexpr const char* Title = "Gobbit";

// A hash of everything that decides a game's outcome and is not code: the
// layouts, the random table and the revision of the rules below. A journal
// made under another fingerprint cannot be replayed to the same result.
std::uint32_t RulesFingerprint();
}  // namespace Gobbit
