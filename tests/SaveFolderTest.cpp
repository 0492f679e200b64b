// A save folder that others can write to (a portable copy on a shared disk):
// names planted where the game is about to write, special files where it
// reads, a link slipped into the temporary file's place before the rename,
// links players make to their own saves, journals, and who may read the
// saves.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "persist/Journals.h"
#include "persist/SaveFormat.h"
#include "shell/MyGame.h"
#include "support/FileKinds.h"
#include "support/InChild.h"
#include "support/PersistFixture.h"

namespace fs = std::filesystem;

namespace {

const int U1 = 20251210, U2 = 134501, U3 = 75234321;
const std::vector<uint8_t> VictimBytes = {'k', 'e', 'e', 'p'};

// Things someone else can leave under a name in the folder, made at path;
// "victim" in the same folder stands for a file of the player's elsewhere.
struct Planted {
    const char* what;
    const char* kind;  // what Kind says of it
    std::function<bool(const std::string& path, const std::string& victim)> make;
};
const Planted Plants[] = {
    {"a link to another file", "link", [](auto& p, auto& v) { return symlink(v.c_str(), p.c_str()) == 0; }},
    {"a link to nowhere", "link", [](auto& p, auto& v) { return symlink((v + "-gone").c_str(), p.c_str()) == 0; }},
    {"a FIFO", "fifo", [](auto& p, auto&) { return MakeFifo(p); }},
    {"a folder", "folder", [](auto& p, auto&) { return MakeFolder(p); }},
    {"a device", "device", [](auto& p, auto&) { return MakeZeroDevice(p); }},
    {"a second name of another file", "file", [](auto& p, auto& v) { return link(v.c_str(), p.c_str()) == 0; }},
    {"another user's file", "file",
     [](auto& p, auto&) {
         FILE* f = std::fopen(p.c_str(), "wb");
         if (f) std::fclose(f);
         return f && chown(p.c_str(), 65534, 65534) == 0;
     }},
};

}  // namespace

class SaveFolder : public PersistTest {
protected:
    void SetUp() override {
        PersistTest::SetUp();
        SetUser(U1, U2, U3);
        Player(3);
    }
    // Settings and scores that tell one player's save from the defaults.
    void Player(int sfx) {
        ThisGame.Settings[Setting::SfxVolume] = sfx;
        ThisGame.Scores[20] = 4321;
        ThisGame.Scores[21000] = 17;
    }
    // The bytes of a regular file, and none of anything else a fault may
    // have left under the name: reading a FIFO would wait for ever.
    std::vector<uint8_t> ReadBytes(const std::string& name) const {
        return Kind(Path(name)) == "file" ? PersistTest::ReadBytes(name) : std::vector<uint8_t>{};
    }
    // Empties the folder between the rows of a table.
    void ClearFolder() {
        for (const auto& entry : fs::directory_iterator(dir_)) fs::remove_all(entry.path());
    }
    // Plants something under the temporary name of each of files in a
    // child process and saves there (the settings and score files unless
    // save says otherwise), so that a write that waits on a FIFO ends in the
    // child (status 142). temps gets the child's temporary names (they carry
    // its pid); the result is what the save printed, or "" when plant failed.
    std::string SaveInChild(const std::function<bool(const std::string& path)>& plant,
                            std::vector<std::string>& temps,
                            const std::vector<std::string>& files = {SettingsFile, ScoreFile},
                            const std::function<void()>& save = nullptr) {
        int status = -1;
        std::string log = InChild(
            [&] {
                for (const std::string& file : files)
                    if (!plant(Path(TempNameFor(file.c_str())))) return 77;
                std::printf("pid %d\n", int(getpid()));
                if (save)
                    save();
                else
                    SaveAll();
                FinishReplacements(10000);
                return 0;
            },
            &status, 10);
        temps.clear();
        if (status == 77) return "";
        EXPECT_EQ(status, 0) << "the save waited on something (142) or failed\n" << log;
        int pid = 0;
        EXPECT_EQ(std::sscanf(log.c_str(), "pid %d", &pid), 1) << log;
        for (const std::string& file : files) temps.push_back(file + "." + std::to_string(pid) + ".tmp");
        return log;
    }
    std::string LoadCaught() {
        ThisGame.InstallDefaults();
        for (int& s : ThisGame.Scores) s = 0;
        testing::internal::CaptureStdout();
        ThisGame.Load();
        return testing::internal::GetCapturedStdout();
    }
    // Both save files are whole regular files of this player's.
    void ExpectSavedWhole() {
        EXPECT_EQ(ReadBytes(SettingsFile).size(), 4496u);
        EXPECT_EQ(ReadBytes(ScoreFile).size(), 90788u);
        if (Kind(Path(SettingsFile)) != "file" || Kind(Path(ScoreFile)) != "file") {
            ADD_FAILURE() << "a save file is not a regular file";
            return;
        }
        std::string log = LoadCaught();
        EXPECT_EQ(log.find("Checksum Error"), std::string::npos) << log;
        EXPECT_EQ(ThisGame.Settings[Setting::SfxVolume], 3);
        EXPECT_EQ(ThisGame.Settings[Setting::UserIdDate], U1);
        EXPECT_EQ(ThisGame.Scores[20], 4321);
    }
};

// The pid in the temporary name is easy to guess: whatever is planted under
// it is never written through, never removed, and the save goes ahead under
// the next name.
TEST_F(SaveFolder, ANamePlantedAsTheTemporaryFileIsPassedOverAndLeftAlone) {
    std::vector<std::string> temps;
    for (const Planted& plant : Plants) {
        SCOPED_TRACE(plant.what);
        ClearFolder();
        WriteBytes("victim", VictimBytes);
        Player(3);
        const std::string victim = Path("victim");
        std::string log = SaveInChild([&](const std::string& path) { return plant.make(path, victim); }, temps);
        if (temps.empty()) {
            std::printf("%s could not be made here; its row is left out\n", plant.what);
            continue;
        }
        EXPECT_EQ(ReadBytes("victim"), VictimBytes);
        for (const std::string& temp : temps) {
            EXPECT_EQ(Kind(Path(temp)), plant.kind) << temp;
            EXPECT_NE(log.find(temp + " is taken by a file the game did not leave; saving as " +
                               temp.substr(0, temp.size() - 4) + "-1.tmp"),
                      std::string::npos)
                << log;
        }
        EXPECT_EQ(log.find("Error Writing File"), std::string::npos) << log;
        ExpectSavedWhole();
    }

    // A regular file of this user's under the name is what an earlier copy
    // of the game with the same pid left when it crashed: it is replaced.
    ClearFolder();
    std::string log = SaveInChild(
        [](const std::string& path) {
            FILE* f = std::fopen(path.c_str(), "wb");
            return f && std::fclose(f) == 0;
        },
        temps);
    EXPECT_EQ(log.find("is taken"), std::string::npos) << log;
    for (const std::string& temp : temps) EXPECT_EQ(Kind(Path(temp)), "") << temp;
    ExpectSavedWhole();
}

// Journals go to the same folder the same way: a name planted as the
// temporary file is left alone and the journal written under the next one;
// a FIFO, device or folder under a journal's name is not read, nor waited on.
TEST_F(SaveFolder, JournalsAreWrittenAndReadTheSameWay) {
    const std::string journal = JournalFileName(0);
    const std::vector<uint8_t> bytes = {'j', 'o', 'u', 'r', 'n', 'a', 'l'};
    std::vector<std::string> temps;
    for (const Planted& plant : Plants) {
        SCOPED_TRACE(plant.what);
        ClearFolder();
        WriteBytes("victim", VictimBytes);
        const std::string victim = Path("victim");
        std::string log = SaveInChild([&](const std::string& path) { return plant.make(path, victim); }, temps,
                                      {journal}, [&] { SaveWholeFile(dir_.c_str(), journal.c_str(), bytes.data(), bytes.size()); });
        if (temps.empty()) continue;  // said by the save files' test
        EXPECT_EQ(ReadBytes("victim"), VictimBytes);
        EXPECT_EQ(Kind(Path(temps[0])), plant.kind);
        EXPECT_EQ(ReadBytes(journal), bytes);
        EXPECT_EQ(ModeOf(Path(journal)), 0600u);
        EXPECT_EQ(log.find("Error Writing File"), std::string::npos) << log;
    }

    ClearFolder();
    ASSERT_EQ(mkfifo(Path("fifo.journal").c_str(), 0666), 0);
    ASSERT_EQ(mkdir(Path("folder.journal").c_str(), 0777), 0);
    ASSERT_EQ(symlink("fifo.journal", Path("link.journal").c_str()), 0);
    int status = -1;
    std::string out = InChild(
        [&] {
            for (const char* name : {"fifo.journal", "folder.journal", "link.journal"}) {
                Journal read;
                std::string error;
                bool loaded = LoadJournal(Path(name), read, error);
                std::printf("%s: %d %s\n", name, int(loaded), error.c_str());
            }
            return 0;
        },
        &status, 10);
    ASSERT_EQ(status, 0) << "a journal read waited (142) or failed\n" << out;
    for (const char* name : {"fifo.journal", "folder.journal", "link.journal"})
        EXPECT_NE(out.find(std::string(name) + ": 0 not a regular file\n"), std::string::npos) << out;
}

// A FIFO, a device or a folder in place of a save file is reported with the
// read-error line and counts as missing: nothing is read from it, nothing
// waits on it, and the next save puts a file in its place instead of
// writing through it.
TEST_F(SaveFolder, SpecialFilesInPlaceOfTheSaveFilesAreNeitherReadNorWaitedOn) {
    for (const SpecialFile& special : SpecialFiles) {
        for (const char* file : {SettingsFile, ScoreFile}) {
            SCOPED_TRACE(std::string(special.what) + " as " + file);
            ClearFolder();
            Player(3);
            SaveAll();
            std::remove(Path(file).c_str());
            if (!special.make(Path(file))) {
                std::printf("%s could not be made here; its row is left out\n", special.what);
                continue;
            }
            // In a child, so that a wait on the FIFO ends there (limit 10 s).
            int status = -1;
            std::string out = InChild(
                [&] {
                    std::string log = LoadCaught();
                    std::printf("%s\nloaded: sfx %d user %d score %d\n", log.c_str(),
                                ThisGame.Settings[Setting::SfxVolume], ThisGame.Settings[Setting::UserIdDate],
                                ThisGame.Scores[20]);
                    SaveAll();
                    return 0;
                },
                &status, 10);
            ASSERT_EQ(status, 0) << "the load or save waited on it (142) or failed\n" << out;
            EXPECT_NE(out.find("Error Reading File"), std::string::npos) << out;
            if (std::string(file) == SettingsFile) {
                // The defaults stay (a read of the zeros would give 0), and
                // without its settings the player is a new one.
                EXPECT_NE(out.find("loaded: sfx 7 user 2"), std::string::npos) << out;
                EXPECT_NE(out.find("Reset User"), std::string::npos) << out;
            } else {
                // Missing scores: none, nothing to fail a check, and the
                // player is kept.
                EXPECT_NE(out.find("loaded: sfx 3 user " + std::to_string(U1) + " score 0"), std::string::npos)
                    << out;
                EXPECT_EQ(out.find("Checksum Error"), std::string::npos) << out;
            }
            EXPECT_EQ(Kind(Path(file)), special.replacedBySave ? "file" : "folder");
            if (special.replacedBySave) {
                EXPECT_EQ(ReadBytes(file).size(), std::string(file) == SettingsFile ? 4496u : 90788u);
                EXPECT_EQ(ModeOf(Path(file)), 0600u);
            }
        }
    }
}

// Players link their save files into a synced folder: a link to a regular
// file is read as the file itself, and saving never writes through it.
TEST_F(SaveFolder, ALinkToARegularSaveFileIsRead) {
    SaveAll();
    fs::create_directory(Path("synced"));
    for (const char* file : {SettingsFile, ScoreFile}) {
        fs::rename(Path(file), Path(std::string("synced/") + file));
        fs::create_symlink(std::string("synced/") + file, Path(file));
    }
    const std::vector<uint8_t> synced = ReadBytes(std::string("synced/") + SettingsFile);
    std::string log = LoadCaught();
    EXPECT_EQ(log.find("Error Reading File"), std::string::npos) << log;
    EXPECT_EQ(log.find("Reset User"), std::string::npos) << log;
    EXPECT_EQ(log.find("Checksum Error"), std::string::npos) << log;
    EXPECT_EQ(ThisGame.Settings[Setting::SfxVolume], 3);
    EXPECT_EQ(ThisGame.Settings[Setting::UserIdDate], U1);
    EXPECT_EQ(ThisGame.Scores[20], 4321);
    EXPECT_EQ(ThisGame.Scores[21000], 17);

    ThisGame.Settings[Setting::SfxVolume] = 5;
    SaveAll();
    EXPECT_EQ(ReadBytes(std::string("synced/") + SettingsFile), synced);
}

// The saves hold the player's ID and scores: each file is made readable by
// the player alone from its first byte, whatever the umask allows and
// whatever mode the file it replaces had.
TEST_F(SaveFolder, SaveFilesAreMadeForThePlayerAlone) {
    SaveAll();
    chmod(Path(SettingsFile).c_str(), 0644);
    chmod(Path(ScoreFile).c_str(), 0644);
    mode_t umaskWas = umask(0);
    ThisGame.Save();
    mode_t tempModes[2] = {};
    for (int n = 0; n < 10000 && ThisGame.Saving.SavePending != 0; n++) {
        ThisGame.SaveBit();
        if (ThisGame.Saving.SavePending == SaveStep::WriteSettings) tempModes[0] = ModeOf(Path(TempNameFor(SettingsFile)));
        if (ThisGame.Saving.SavePending == SaveStep::WriteScoreSettings) tempModes[1] = ModeOf(Path(TempNameFor(ScoreFile)));
        if (ThisGame.Saving.SavePending == SaveStep::Requested || ThisGame.Saving.SavePending == SaveStep::BeforeScores) usleep(100);
    }
    FinishReplacements(10000);
    umask(umaskWas);
    EXPECT_EQ(tempModes[0], 0600u);
    EXPECT_EQ(tempModes[1], 0600u);
    EXPECT_EQ(ModeOf(Path(SettingsFile)), 0600u);
    EXPECT_EQ(ModeOf(Path(ScoreFile)), 0600u);
}

namespace {

// The folder, and what is put in place of each finished temporary file
// just before the worker opens it to flush it, or while it flushes it.
std::string SwapDir;
const Planted* SwapIn = nullptr;
void SwapTheTempFile() {
    for (const char* file : {PersistTest::SettingsFile, PersistTest::ScoreFile}) {
        std::string temp = SwapDir + "/" + TempNameFor(file);
        if (Kind(temp) != "file") continue;
        unlink(temp.c_str());
        SwapIn->make(temp, SwapDir + "/victim");
    }
}
int SwapWhileFlushing(int fd) {
    SwapTheTempFile();
    return fsync(fd);
}

}  // namespace

// Someone who can write to the folder swaps the finished temporary file for
// a link or a FIFO: the worker renames only the regular file it flushed, so
// the old saves stay, nothing is written through and nothing waits.
TEST_F(SaveFolder, WhatReplacesAFinishedTemporaryFileIsNeverPutInPlace) {
    SaveAll();
    const std::vector<uint8_t> oldSettings = ReadBytes(SettingsFile), oldScores = ReadBytes(ScoreFile);
    WriteBytes("victim", VictimBytes);
    SwapDir = dir_;
    for (bool duringFlush : {false, true}) {
        for (const Planted& plant : Plants) {
            std::string kind = plant.kind;
            if (kind != "link" && kind != "fifo") continue;
            SCOPED_TRACE(std::string(plant.what) + (duringFlush ? " during the flush" : " before the flush"));
            SwapIn = &plant;
            int status = -1;
            std::string log = InChild(
                [&] {
                    std::printf("pid %d\n", int(getpid()));
                    if (duringFlush)
                        SyncToDisk = SwapWhileFlushing;
                    else
                        BeforeReplacement = SwapTheTempFile;
                    // One file after the other, so that only the file the
                    // worker has in hand is there to swap.
                    Player(4);
                    ThisGame.Save();
                    while (ThisGame.Saving.SavePending != 0) {
                        ThisGame.SaveBit();
                        if (ThisGame.Saving.SavePending == SaveStep::CloseSettings) FinishReplacements(10000);
                    }
                    FinishReplacements(10000);
                    return 0;
                },
                &status, 10);
            ASSERT_EQ(status, 0) << "the worker waited on it (142) or failed\n" << log;
            EXPECT_EQ(ReadBytes(SettingsFile), oldSettings);
            EXPECT_EQ(ReadBytes(ScoreFile), oldScores);
            EXPECT_EQ(Kind(Path(SettingsFile)), "file");
            EXPECT_EQ(Kind(Path(ScoreFile)), "file");
            EXPECT_EQ(ReadBytes("victim"), VictimBytes);
            // Said for each file, and what took the name is not the game's
            // to remove. The names are the child's, with its pid.
            const std::string why = duringFlush      ? "Stale file handle"
                                    : kind == "link" ? "Too many levels of symbolic links"
                                                     : "Invalid argument";
            int pid = 0;
            ASSERT_EQ(std::sscanf(log.c_str(), "pid %d", &pid), 1) << log;
            for (const char* file : {SettingsFile, ScoreFile}) {
                std::string temp = std::string(file) + "." + std::to_string(pid) + ".tmp";
                EXPECT_NE(log.find("Error Writing File " + Path(temp) + ": " + why), std::string::npos) << log;
                EXPECT_EQ(Kind(Path(temp)), kind) << temp;
                std::remove(Path(temp).c_str());
            }
        }
    }
}
