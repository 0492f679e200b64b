// Journal files as --verify, the watch screen and the score server read
// them: whatever the bytes, the reader either refuses them or reads a
// journal that writes back to exactly the same bytes (one game, one file),
// and a replay of what it read ends, whatever the inputs.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <string>

#include "FuzzSupport.h"
#include "rules/GameIdentity.h"
#include "rules/Replay.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Journal journal;
    std::string error;
    if (!DecodeJournal(data, size, journal, error)) {
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    const std::vector<std::uint8_t> again = EncodeJournal(journal);
    FUZZ_CHECK(again.size() == size && std::equal(again.begin(), again.end(), data));
    // A long game replays correctly but slowly; the fuzzer's time goes to
    // the many short ones.
    if (journal.Updates > 20000) return 0;
    // Most inputs carry another fingerprint; replay them under these rules
    // too, so the replay itself meets strange inputs.
    journal.GameVersion = Gobbit::Version;
    journal.Fingerprint = Gobbit::RulesFingerprint();
    const ReplayResult r = ReplayJournal(journal);
    FUZZ_CHECK(r.Outcome != ReplayResult::Unusable);
    FUZZ_CHECK(r.Outcome == ReplayResult::Verified || !r.Message.empty());
    return 0;
}
