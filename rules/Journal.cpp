#include "rules/Journal.h"

#include "rules/Controls.h"

namespace {

const char Magic[4] = {'G', 'o', 'b', 'J'};

void PutU16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}
void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
}

std::uint32_t GetU16(const std::uint8_t* p) { return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8; }
std::uint32_t GetU32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

bool Fail(std::string& error, std::string why) {
    error = std::move(why);
    return false;
}

}  // namespace

void Journal::AddUpdate(std::uint8_t code) {
    Updates += 1;
    if (!Runs.empty() && Runs.back().Code == code) {
        Runs.back().Updates += 1;
        return;
    }
    Runs.push_back({code, 1});
}

std::vector<std::uint8_t> EncodeJournal(const Journal& j) {
    std::vector<std::uint8_t> inputs;
    for (const InputRun& run : j.Runs) {
        inputs.push_back(run.Code);
        std::uint32_t n = run.Updates;
        while (n >= 0x80) {
            inputs.push_back(std::uint8_t(n | 0x80));
            n >>= 7;
        }
        inputs.push_back(std::uint8_t(n));
    }

    std::vector<std::uint8_t> out(Magic, Magic + 4);
    out.reserve(JournalHeaderBytes + j.Checkpoints.size() * CheckpointBytes + inputs.size());
    PutU16(out, std::uint32_t(j.FormatVersion));
    PutU16(out, std::uint32_t(j.GameVersion));
    PutU32(out, j.Fingerprint);
    out.push_back(std::uint8_t(j.Difficulty));
    out.push_back(std::uint8_t(j.Ending));
    PutU16(out, std::uint32_t(j.Checkpoints.size()));
    PutU32(out, std::uint32_t(j.Score));
    PutU32(out, j.Updates);
    PutU32(out, std::uint32_t(inputs.size()));
    for (const Checkpoint& c : j.Checkpoints) {
        PutU32(out, c.Update);
        for (std::int32_t v : {c.Level, c.Score, c.Eaten, c.Target, c.Lives}) PutU32(out, std::uint32_t(v));
    }
    out.insert(out.end(), inputs.begin(), inputs.end());
    return out;
}

// The inputs, in their one canonical form: no empty run and no run the same
// as the one before, so one game has exactly one journal.
static bool DecodeInputs(const std::uint8_t* p, const std::uint8_t* end, Journal& out, std::string& error) {
    std::uint64_t covered = 0;
    while (p < end) {
        const std::uint8_t code = *p++;
        if (code >= Controls::Codes) return Fail(error, "input code " + std::to_string(code) + " is not an input");
        std::uint64_t n = 0;
        int shift = 0;
        for (;;) {
            if (p == end) return Fail(error, "cut short inside its inputs");
            const std::uint8_t b = *p++;
            n |= std::uint64_t(b & 0x7F) << shift;
            if (!(b & 0x80)) {
                if (b == 0 && shift > 0) return Fail(error, "an input run's length is padded");
                break;
            }
            shift += 7;
            if (shift > 28) return Fail(error, "an input run's length does not fit in 32 bits");
        }
        if (n == 0) return Fail(error, "an input run of no updates");
        if (!out.Runs.empty() && out.Runs.back().Code == code)
            return Fail(error, "two runs of the same input in a row");
        covered += n;
        if (covered > out.Updates)
            return Fail(error, "the inputs cover more than the " + std::to_string(out.Updates) +
                                   " updates the header gives");
        out.Runs.push_back({code, std::uint32_t(n)});
    }
    if (covered != out.Updates)
        return Fail(error, "the inputs cover " + std::to_string(covered) + " updates but the header gives " +
                               std::to_string(out.Updates));
    return true;
}

bool DecodeJournal(const std::uint8_t* bytes, std::size_t size, Journal& out, std::string& error) {
    out = Journal{};
    if (size > MaxJournalBytes) return Fail(error, "larger than any journal (" + std::to_string(size) + " bytes)");
    if (size < 4 || bytes[0] != Magic[0] || bytes[1] != Magic[1] || bytes[2] != Magic[2] || bytes[3] != Magic[3])
        return Fail(error, "not a Gobbit journal (it does not start with \"GobJ\")");
    if (size < JournalHeaderBytes)
        return Fail(error, "cut short inside its header (" + std::to_string(size) + " of " +
                               std::to_string(JournalHeaderBytes) + " bytes)");
    out.FormatVersion = int(GetU16(bytes + 4));
    if (out.FormatVersion != JournalFormatVersion)
        return Fail(error, "journal format " + std::to_string(out.FormatVersion) + " is not one this game reads (" +
                               std::to_string(JournalFormatVersion) + ")");
    out.GameVersion = int(GetU16(bytes + 6));
    out.Fingerprint = GetU32(bytes + 8);
    out.Difficulty = bytes[12];
    out.Ending = bytes[13];
    const std::size_t checkpoints = GetU16(bytes + 14);
    out.Score = std::int32_t(GetU32(bytes + 16));
    out.Updates = GetU32(bytes + 20);
    const std::size_t inputBytes = GetU32(bytes + 24);

    if (out.Difficulty < 1 || out.Difficulty > 3)
        return Fail(error, "difficulty " + std::to_string(out.Difficulty) + " is not one of 1-3");
    if (out.Ending != Ending::Playing && out.Ending != Ending::LostAll && out.Ending != Ending::Quit)
        return Fail(error, "ending " + std::to_string(out.Ending) + " is not a known way for a game to end");
    if (out.Updates > MaxJournalUpdates)
        return Fail(error, std::to_string(out.Updates) + " updates is longer than any game is kept (" +
                               std::to_string(MaxJournalUpdates) + ")");

    const std::size_t whole = JournalHeaderBytes + checkpoints * CheckpointBytes + inputBytes;
    if (size < whole)
        return Fail(error, "cut short: " + std::to_string(whole - size) + " of its " + std::to_string(whole) +
                               " bytes are missing");
    if (size > whole) return Fail(error, std::to_string(size - whole) + " bytes after the end of the journal");

    const std::uint8_t* p = bytes + JournalHeaderBytes;
    out.Checkpoints.resize(checkpoints);
    for (std::size_t i = 0; i < checkpoints; ++i, p += CheckpointBytes) {
        Checkpoint& c = out.Checkpoints[i];
        c.Update = GetU32(p);
        c.Level = std::int32_t(GetU32(p + 4));
        c.Score = std::int32_t(GetU32(p + 8));
        c.Eaten = std::int32_t(GetU32(p + 12));
        c.Target = std::int32_t(GetU32(p + 16));
        c.Lives = std::int32_t(GetU32(p + 20));
        if (c.Update > out.Updates || (i > 0 && c.Update < out.Checkpoints[i - 1].Update))
            return Fail(error, "checkpoint " + std::to_string(i + 1) + " is out of order (update " +
                                   std::to_string(c.Update) + ")");
    }

    return DecodeInputs(p, p + inputBytes, out, error);
}

const char* EndingName(int ending) {
    switch (ending) {
    case Ending::LostAll: return "losing the last life";
    case Ending::Quit: return "quitting";
    default: return "nothing yet (still playing)";
    }
}
