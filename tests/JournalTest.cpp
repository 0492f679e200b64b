// The journal of a game: recorded as the rules play, written and read back
// byte for byte, and replayed with the rules alone to the same checkpoints
// and score; a journal changed anywhere fails, each way with its own reason.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "rules/GameIdentity.h"
#include "rules/Replay.h"
#include "rules/VerifyCommand.h"
#include "support/PlayFixture.h"
#include "support/RecordedGames.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

bool Decode(const Bytes& bytes, Journal& out, std::string& error) {
    return DecodeJournal(bytes.data(), bytes.size(), out, error);
}

std::string Show(const ReplayResult& r) {
    const char* names[] = {"verified", "differs", "unusable"};
    return std::string(names[r.Outcome]) + ": " + r.Message;
}

class JournalTest : public PlayFixture {
protected:
    // One game for the tamper tests: two levels won on Normal, then quit
    // partway through the third.
    static const Journal& TwoLevelsThenQuit() {
        static const Journal journal = [] {
            ScriptedGame script;
            script.Difficulty = 2;
            script.SolvedLevels = 3;
            script.QuitAfterLevels = 2;
            return PlayScriptedGame(script);
        }();
        return journal;
    }
};

TEST_F(JournalTest, RecordedGamesReplayToTheirScoreAndEveryCheckpoint) {
    const struct {
        const char* name;
        ScriptedGame script;
        int ending;
        int minLevels;  // levels the game must at least have reached
    } cases[] = {
        {"Easy, two levels won, then quit", {1, 2, 2, 0, 20000}, Ending::Quit, 3},
        {"Normal, three levels won, then quit", {2, 3, 3, 0, 20000}, Ending::Quit, 4},
        {"Hard, two levels won, then quit", {3, 2, 2, 0, 20000}, Ending::Quit, 3},
        {"Normal, one level won, then every life lost", {2, 1, -1, 0, 20000}, Ending::LostAll, 2},
        {"Easy, quit from the pause menu mid-level", {1, 1, -1, 900, 20000}, Ending::Quit, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Journal j = PlayScriptedGame(c.script);
        EXPECT_EQ(j.Ending, c.ending);
        EXPECT_EQ(j.Score, int(ThisGame.Play.Score)) << "the journal claims the game's own score";
        ASSERT_FALSE(j.Checkpoints.empty());
        EXPECT_GE(j.Checkpoints.back().Level, c.minLevels);
        EXPECT_EQ(j.Checkpoints.back().Update, j.Updates);

        Journal read;
        std::string error;
        ASSERT_TRUE(Decode(EncodeJournal(j), read, error)) << error;
        EXPECT_EQ(EncodeJournal(read), EncodeJournal(j));

        const ReplayResult r = ReplayJournal(read);
        EXPECT_EQ(r.Outcome, ReplayResult::Verified) << Show(r);
        EXPECT_EQ(r.Score, j.Score);
        EXPECT_EQ(r.Reached, j.Checkpoints);
    }
}

TEST_F(JournalTest, ChangedJournalsAreRejectedEachWithItsReason) {
    const Journal& original = TwoLevelsThenQuit();
    ASSERT_GE(original.Checkpoints.size(), 3u);
    // The run of the game's first move, and a run long enough to lose an update from.
    std::size_t firstMove = 0, longRun = 0;
    for (std::size_t i = 0; i < original.Runs.size(); ++i) {
        const Controls c = Controls::FromCode(original.Runs[i].Code);
        if (!firstMove && (c.IsHeld(Dir::Up) || c.IsHeld(Dir::Right) || c.IsHeld(Dir::Down) || c.IsHeld(Dir::Left)))
            firstMove = i;
        if (!longRun && original.Runs[i].Updates > 5) longRun = i;
    }
    ASSERT_GT(firstMove, 0u);

    const struct {
        const char* name;
        std::function<void(Journal&)> change;
        ReplayResult::Verdict verdict;
        const char* reason;
    } cases[] = {
        {"one input changed",
         [&](Journal& j) {
             Controls c = Controls::FromCode(j.Runs[firstMove].Code);
             for (int d = 0; d < 4; ++d)
                 if (c.IsHeld(d)) {
                     c.Way[d] = Controls::AtRest;
                     c.Way[(d + 2) % 4] = Controls::Held;  // the other way
                     break;
                 }
             j.Runs[firstMove].Code = c.Code();
         },
         ReplayResult::Differs, "checkpoint 1 of"},
        {"one update dropped",
         [&](Journal& j) {
             j.Runs[longRun].Updates -= 1;
             j.Updates -= 1;
         },
         ReplayResult::Differs, "checkpoint 1 of"},
        {"the difficulty changed", [](Journal& j) { j.Difficulty = 3; }, ReplayResult::Differs, "(level 1) differs"},
        {"the claimed score changed", [](Journal& j) { j.Score += 5; }, ReplayResult::Differs,
         "claims a score of"},
        {"a checkpoint's score changed", [](Journal& j) { j.Checkpoints[1].Score += 1; }, ReplayResult::Differs,
         "checkpoint 2 of"},
        {"another game version", [](Journal& j) { j.GameVersion += 1; }, ReplayResult::Unusable,
         "made by game version"},
        {"another rules fingerprint", [](Journal& j) { j.Fingerprint ^= 1; }, ReplayResult::Unusable,
         "under other rules"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Journal j = original;
        c.change(j);
        const ReplayResult r = ReplayJournal(j);
        EXPECT_EQ(r.Outcome, c.verdict) << Show(r);
        EXPECT_NE(r.Message.find(c.reason), std::string::npos) << Show(r);
    }

    // Changes to the file itself: it no longer reads as a journal.
    const Bytes bytes = EncodeJournal(original);
    const struct {
        const char* name;
        Bytes file;
        const char* reason;
    } files[] = {
        {"cut short", Bytes(bytes.begin(), bytes.end() - 1), "cut short"},
        {"bytes after the end", [&] { Bytes b = bytes; b.push_back(0); return b; }(), "1 bytes after the end"},
        {"not a journal at all", Bytes{'P', 'K', 3, 4, 0, 0}, "not a Gobbit journal"},
        {"cut inside the header", Bytes(bytes.begin(), bytes.begin() + 20), "inside its header"},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        Journal j;
        std::string error;
        EXPECT_FALSE(Decode(f.file, j, error));
        EXPECT_NE(error.find(f.reason), std::string::npos) << error;
    }
}

TEST_F(JournalTest, InputsAreStoredInOneCanonicalForm) {
    // Two journals of the same game differ in no byte: a run is never empty,
    // never split, and its length never padded.
    Journal j;
    j.FormatVersion = JournalFormatVersion;
    j.GameVersion = Gobbit::Version;
    j.Difficulty = 1;
    for (int i = 0; i < 300; ++i) j.AddUpdate(7);
    j.AddUpdate(8);
    ASSERT_EQ(j.Runs.size(), 2u);
    Bytes b = EncodeJournal(j);
    // 300 as LEB128 is AC 02.
    const Bytes tail(b.end() - 5, b.end());
    EXPECT_EQ(tail, (Bytes{7, 0xAC, 0x02, 8, 1}));

    auto withInputs = [&](Bytes inputs, std::uint32_t updates) {
        Journal k = j;
        k.Runs.clear();
        k.Updates = updates;
        Bytes out = EncodeJournal(k);
        out.insert(out.end(), inputs.begin(), inputs.end());
        const std::uint32_t n = std::uint32_t(inputs.size());
        for (int i = 0; i < 4; ++i) out[24 + i] = std::uint8_t(n >> (8 * i));
        return out;
    };
    const struct {
        const char* name;
        Bytes inputs;
        std::uint32_t updates;
        const char* reason;  // nullptr: accepted
    } cases[] = {
        {"canonical", {7, 0xAC, 0x02, 8, 1}, 301, nullptr},
        {"a run split in two", {7, 100, 7, 50}, 150, "same input in a row"},
        {"a padded length", {7, 0x81, 0x00}, 1, "padded"},
        {"an empty run", {7, 0}, 0, "no updates"},
        {"a code that is no input", {200, 1}, 1, "not an input"},
        {"runs that fall short of the header", {7, 5}, 6, "cover 5 updates"},
        {"a length cut off", {7, 0x81}, 1, "cut short inside its inputs"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Journal out;
        std::string error;
        const bool ok = Decode(withInputs(c.inputs, c.updates), out, error);
        EXPECT_EQ(ok, c.reason == nullptr) << error;
        if (c.reason) {
            EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        }
    }
}

TEST_F(JournalTest, VerifyCommandSaysWhatItFoundAndExitsByIt) {
    const Journal& good = TwoLevelsThenQuit();
    Journal changed = good;
    changed.Score += 1;
    const std::string dir = std::filesystem::temp_directory_path() / ("gobbit-verify-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    auto write = [&](const std::string& name, const Bytes& bytes) {
        std::ofstream(dir + "/" + name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return dir + "/" + name;
    };
    const struct {
        std::string path;
        int status;
        std::string says;
    } cases[] = {
        {write("good.journal", EncodeJournal(good)), 0, "reproduced score " + std::to_string(good.Score)},
        {write("claims-more.journal", EncodeJournal(changed)), 1, "FAILED: the journal claims a score of"},
        {write("text.journal", Bytes{'h', 'e', 'l', 'l', 'o'}), 2, "not a journal this game can replay"},
        {dir, 2, "not a regular file"},
        {dir + "/missing.journal", 2, "not a journal this game can replay"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        std::ostringstream out;
        EXPECT_EQ(VerifyJournalFile(c.path, out), c.status) << out.str();
        EXPECT_NE(out.str().find(c.says), std::string::npos) << out.str();
    }
    // Every checkpoint is printed.
    std::ostringstream out;
    VerifyJournalFile(dir + "/good.journal", out);
    EXPECT_NE(out.str().find("checkpoint " + std::to_string(good.Checkpoints.size()) + ": "), std::string::npos);
    std::filesystem::remove_all(dir);
}

}  // namespace
