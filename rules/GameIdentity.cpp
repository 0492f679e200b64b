#include "rules/GameIdentity.h"

#include <cstring>

#include "rules/LevelData.h"
#include "rules/SeededRandom.h"

namespace {

// Raise this with every change to the rules that makes some input give
// another game (a level built differently, another target, another move):
// journals made before it then say they need other rules, instead of
// failing somewhere in the middle of a replay. The fingerprint test fails
// when the levels built change and this was not raised.
// 2: the winnability check lowers a target that no walk reaches.
constexpr std::uint32_t RulesRevision = 2;

std::uint32_t Fnv1a(std::uint32_t h, const void* data, std::size_t size) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        h ^= p[i];
        h *= 16777619u;
    }
    return h;
}

std::uint32_t ComputeFingerprint() {
    std::uint32_t h = 2166136261u;
    const unsigned char revision[4] = {static_cast<unsigned char>(RulesRevision),
                                       static_cast<unsigned char>(RulesRevision >> 8),
                                       static_cast<unsigned char>(RulesRevision >> 16),
                                       static_cast<unsigned char>(RulesRevision >> 24)};
    h = Fnv1a(h, revision, sizeof revision);
    for (int layout = 0; layout <= 12; ++layout) {
        const char* cells = LevDat(layout);
        h = Fnv1a(h, cells, std::strlen(cells));
    }
    h = Fnv1a(h, RandomTable, 256);
    return h;
}

}  // namespace

std::uint32_t Gobbit::RulesFingerprint() {
    static const std::uint32_t fingerprint = ComputeFingerprint();
    return fingerprint;
}
