#include "rules/VerifyCommand.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "rules/Replay.h"

namespace {
const char* const DifficultyNames[] = {"", "Easy", "Normal", "Hard"};
}  // namespace

bool ReadJournalFile(const std::string& path, std::string& bytes, std::string& error) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec) {
        error = ec.message();
        return false;
    }
    if (!std::filesystem::is_regular_file(status)) {
        error = "not a regular file";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot be opened";
        return false;
    }
    bytes.assign(MaxJournalBytes + 1, '\0');
    in.read(&bytes[0], std::streamsize(bytes.size()));
    if (in.bad()) {
        error = "cannot be read";
        return false;
    }
    bytes.resize(std::size_t(in.gcount()));
    return true;
}

int VerifyJournalFile(const std::string& path, std::ostream& out) {
    std::string bytes, error;
    Journal journal;
    if (!ReadJournalFile(path, bytes, error) ||
        !DecodeJournal(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), journal, error)) {
        out << path << ": not a journal this game can replay: " << error << "\n";
        return 2;
    }
    out << path << ": " << DifficultyNames[journal.Difficulty] << ", ended by " << EndingName(journal.Ending)
        << " after " << journal.Updates << " updates, " << journal.Checkpoints.size()
        << " checkpoints, claims score " << journal.Score << "\n";

    ReplayResult r = ReplayJournal(journal);
    if (r.Outcome == ReplayResult::Unusable) {
        out << path << ": not a journal this game can replay: " << r.Message << "\n";
        return 2;
    }
    for (std::size_t i = 0; i < r.Reached.size(); ++i) {
        const bool bad = int(i) >= r.FirstDiffering && r.FirstDiffering >= 0;
        out << "checkpoint " << (i + 1) << ": " << DescribeCheckpoint(r.Reached[i]) << (bad ? "  DIFFERS" : "")
            << "\n";
    }
    out << "reproduced score " << r.Score << "\n";
    if (r.Outcome == ReplayResult::Differs) {
        out << "FAILED: " << r.Message << "\n";
        return 1;
    }
    out << "verified: every checkpoint and the score match the journal\n";
    return 0;
}
