// Saves that go wrong: a full disk, a read-only folder, a failed flush or
// rename, a worker still busy with the last save, two copies of the game
// saving in one folder, and leaving while a save cannot finish. In every case
// the files on disk stay whole: the old ones or the new ones, never a mix.
#include <gtest/gtest.h>
#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "persist/SaveFormat.h"
#include "shell/MyGame.h"
#include "support/InChild.h"
#include "support/PersistFixture.h"

namespace {

const int U1 = 20251210, U2 = 134501, U3 = 75234321;

std::vector<std::string> TempFiles(const std::string& dir) {
    std::vector<std::string> found;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0) found.push_back(name);
        }
        closedir(d);
    }
    return found;
}

// Holds the save worker before its next replacement until released.
std::atomic<bool> HoldWorker{false};
std::atomic<bool> WorkerHeld{false};
void WaitWhileHeld() {
    while (HoldWorker) {
        WorkerHeld = true;
        usleep(1000);
    }
    WorkerHeld = false;
}

// Every flush to disk the worker asks for: the inode flushed, and the inode
// each final name pointed at in that moment.
struct SyncSeen {
    ino_t flushed;
    ino_t settingsThen, scoresThen;
};
std::vector<SyncSeen> Syncs;
std::string SyncDir;
int SyncError = 0;  // when set, every flush of a regular file fails with it

ino_t InodeOf(const std::string& path) {
    struct stat st{};
    return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

int RecordSync(int fd) {
    struct stat st{};
    fstat(fd, &st);
    if (S_ISREG(st.st_mode)) {
        Syncs.push_back({st.st_ino, InodeOf(SyncDir + "/Settings.sav"), InodeOf(SyncDir + "/Save_564_Gobbit.sav")});
        if (SyncError) {
            errno = SyncError;
            return -1;
        }
    }
    return fsync(fd);
}

}  // namespace

class SaveFailures : public PersistTest {
protected:
    void SetUp() override {
        PersistTest::SetUp();
        SetUser(U1, U2, U3);
        Version(1);
        SaveAll();
        oldSettings_ = ReadBytes(SettingsFile);
        oldScores_ = ReadBytes(ScoreFile);
        ASSERT_EQ(oldSettings_.size(), 4496u);
        ASSERT_EQ(oldScores_.size(), 90788u);
    }
    void TearDown() override {
        HoldWorker = false;
        SyncToDisk = fsync;
        BeforeReplacement = nullptr;
        SyncError = 0;
        chmod(dir_.c_str(), 0700);
        PersistTest::TearDown();
    }
    // Scores and settings that tell one save from another.
    void Version(int v) {
        ThisGame.Settings[Setting::SfxVolume] = v % 11;
        ThisGame.Settings[Setting::GamesStarted] = v;
        for (int i = 20; i < 25; i++) ThisGame.Scores[i] = 1000 * v + i;
        ThisGame.Scores[21000] = v;
    }
    // Loads what is on disk into fresh tables: true when it loaded without a
    // checksum error; version is the save the scores came from.
    bool LoadsWhole(int& version, std::string* log = nullptr) {
        for (int& s : ThisGame.Scores) s = 0;
        testing::internal::CaptureStdout();
        ThisGame.Load();
        std::string text = testing::internal::GetCapturedStdout();
        if (log) *log = text;
        version = ThisGame.Scores[21000];
        for (int i = 20; i < 25; i++)
            if (ThisGame.Scores[i] != 1000 * version + i) return false;
        return text.find("Checksum Error") == std::string::npos &&
               ThisGame.Settings[Setting::UserIdDate] == U1;
    }
    std::vector<uint8_t> oldSettings_, oldScores_;
};

TEST_F(SaveFailures, AFullDiskDuringASaveKeepsTheOldFiles) {
    // File-size limits that cut the settings file, fit it exactly, or cut the
    // score file at its start, in a bulk write, and one byte short.
    for (rlim_t limit : {rlim_t(0), rlim_t(100), rlim_t(4495), rlim_t(4496), rlim_t(20000), rlim_t(90787)}) {
        SCOPED_TRACE("limit " + std::to_string(limit));
        WriteBytes(SettingsFile, oldSettings_);
        WriteBytes(ScoreFile, oldScores_);
        std::string log = InChild([&] {
            signal(SIGXFSZ, SIG_IGN);
            rlimit r{limit, limit};
            setrlimit(RLIMIT_FSIZE, &r);
            Version(2);
            SaveAll();
            return 0;
        });
        bool settingsFit = limit >= 4496;
        EXPECT_EQ(ReadBytes(ScoreFile), oldScores_);
        EXPECT_EQ(ReadBytes(SettingsFile).size(), 4496u);
        EXPECT_EQ(ReadBytes(SettingsFile) == oldSettings_, !settingsFit);
        // Logged once per file that failed, with its name.
        EXPECT_NE(log.find("Error Writing File " + dir_ + "/Save_564_Gobbit.sav"), std::string::npos) << log;
        EXPECT_EQ(log.find("Error Writing File " + dir_ + "/Settings.sav") != std::string::npos, !settingsFit) << log;
        EXPECT_TRUE(TempFiles(dir_).empty());
        int version = 0;
        EXPECT_TRUE(LoadsWhole(version));
        EXPECT_EQ(version, 1);
    }
}

TEST_F(SaveFailures, AReadOnlyFolderKeepsTheOldFilesAndTheGameGoesOn) {
    // The folder is made read-only by a read-only bind mount in a namespace
    // of the child's own, which binds root as much as anyone.
    int status = 0;
    std::string log = InChild(
        [&] {
            uid_t uid = getuid();
            gid_t gid = getgid();
            if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return 77;
            auto put = [](const char* file, const std::string& text) {
                std::ofstream(file) << text;
            };
            put("/proc/self/setgroups", "deny");
            put("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1");
            put("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
            if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                mount(dir_.c_str(), dir_.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
                mount(nullptr, dir_.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
                return 77;
            Version(2);
            SaveAll();
            Version(3);
            SaveAll();
            return 0;
        },
        &status);
    if (status == 77) GTEST_SKIP() << "no user namespaces here to make a read-only folder";
    ASSERT_EQ(status, 0) << log;
    EXPECT_EQ(ReadBytes(SettingsFile), oldSettings_);
    EXPECT_EQ(ReadBytes(ScoreFile), oldScores_);
    // One line per file and save, naming the file: two saves, two files.
    size_t lines = 0;
    for (size_t at = log.find("Error Writing File"); at != std::string::npos; at = log.find("Error Writing File", at + 1))
        lines++;
    EXPECT_EQ(lines, 4u) << log;
    EXPECT_NE(log.find("Error Writing File " + dir_ + "/Settings.sav."), std::string::npos) << log;
    EXPECT_NE(log.find("Read-only file system"), std::string::npos) << log;
    int version = 0;
    EXPECT_TRUE(LoadsWhole(version));
    EXPECT_EQ(version, 1);
}

TEST_F(SaveFailures, AFolderThatIsNoLongerThereFailsEachSaveWithALine) {
    // The home folder replaced by a plain file: nothing can be made in it.
    std::string moved = dir_ + "-moved";
    ASSERT_EQ(rename(dir_.c_str(), moved.c_str()), 0);
    { std::ofstream(dir_) << "not a folder"; }
    testing::internal::CaptureStdout();
    Version(2);
    SaveAll();
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(ThisGame.Saving.SavePending, 0);
    EXPECT_NE(log.find("Error Writing File " + dir_ + "/Settings.sav"), std::string::npos) << log;
    EXPECT_NE(log.find("Error Writing File " + dir_ + "/Save_564_Gobbit.sav"), std::string::npos) << log;
    std::remove(dir_.c_str());
    ASSERT_EQ(rename(moved.c_str(), dir_.c_str()), 0);
    EXPECT_EQ(ReadBytes(SettingsFile), oldSettings_);
    EXPECT_EQ(ReadBytes(ScoreFile), oldScores_);
}

TEST_F(SaveFailures, AFailedRenameKeepsTheOldFileIsLoggedAndTriedAgain) {
    // A folder in the settings file's place cannot be renamed over.
    std::remove(Path(SettingsFile).c_str());
    ASSERT_EQ(mkdir(Path(SettingsFile).c_str(), 0700), 0);
    { std::ofstream(Path(std::string(SettingsFile) + "/keep")) << "x"; }
    testing::internal::CaptureStdout();
    Version(2);
    SaveAll();
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("Error Writing File " + dir_ + "/Settings.sav:"), std::string::npos) << log;
    EXPECT_TRUE(TempFiles(dir_).empty());
    EXPECT_EQ(ReadBytes(std::string(SettingsFile) + "/keep").size(), 1u);
    EXPECT_NE(ReadBytes(ScoreFile), oldScores_);  // the other file went ahead

    // The next save request puts it in place once the way is clear.
    std::remove(Path(std::string(SettingsFile) + "/keep").c_str());
    rmdir(Path(SettingsFile).c_str());
    SaveAll();
    int version = 0;
    EXPECT_TRUE(LoadsWhole(version));
    EXPECT_EQ(version, 2);
    EXPECT_EQ(ThisGame.Settings[Setting::SfxVolume], 2);
}

TEST_F(SaveFailures, EachFileIsOnDiskBeforeItsNameIsAndAFailedFlushKeepsTheOld) {
    SyncDir = dir_;
    SyncToDisk = RecordSync;
    struct Case {
        const char* name;
        int error;
    } cases[] = {{"flush works", 0}, {"flush fails", EIO}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Syncs.clear();
        SyncError = c.error;
        WriteBytes(SettingsFile, oldSettings_);
        WriteBytes(ScoreFile, oldScores_);
        testing::internal::CaptureStdout();
        Version(2);
        SaveAll();
        std::string log = testing::internal::GetCapturedStdout();
        ino_t settings = InodeOf(Path(SettingsFile)), scores = InodeOf(Path(ScoreFile));
        if (c.error == 0) {
            // The file each name now points at was flushed while the name
            // still pointed at the old one.
            bool settingsFlushed = false, scoresFlushed = false;
            for (const SyncSeen& s : Syncs) {
                settingsFlushed |= s.flushed == settings && s.settingsThen != settings;
                scoresFlushed |= s.flushed == scores && s.scoresThen != scores;
            }
            EXPECT_TRUE(settingsFlushed);
            EXPECT_TRUE(scoresFlushed);
            EXPECT_EQ(log.find("Error Writing File"), std::string::npos) << log;
        } else {
            EXPECT_EQ(ReadBytes(SettingsFile), oldSettings_);
            EXPECT_EQ(ReadBytes(ScoreFile), oldScores_);
            EXPECT_NE(log.find("Error Writing File " + dir_ + "/Settings.sav." + std::to_string(getpid()) +
                               ".tmp: Input/output error"),
                      std::string::npos)
                << log;
            EXPECT_TRUE(TempFiles(dir_).empty());
        }
    }
}

TEST_F(SaveFailures, ATempFileIsNotRewrittenWhileItsRenameIsPending) {
    BeforeReplacement = WaitWhileHeld;
    HoldWorker = true;
    Version(2);
    ThisGame.Save();
    // Write the settings file whole; the worker holds it before the rename.
    for (int n = 0; n < 27; n++) ThisGame.SaveBit();
    for (int n = 0; n < 1000 && !WorkerHeld; n++) usleep(1000);
    ASSERT_TRUE(WorkerHeld);
    // A new request while that rename waits: the next save must not reopen
    // the file the worker is about to put in place.
    Version(3);
    ThisGame.Save();
    testing::internal::CaptureStdout();
    for (int n = 0; n < 20; n++) ThisGame.SaveBit();
    HoldWorker = false;
    FinishReplacements(10000);
    // What the held rename put in place is the first save, whole.
    std::vector<uint8_t> placed = ReadBytes(SettingsFile);
    FinishSave();
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(placed.size(), 4496u);
    EXPECT_EQ(placed.empty() ? -1 : placed[0], 2);
    EXPECT_EQ(log.find("Error Writing File"), std::string::npos) << log;
    int version = 0;
    EXPECT_TRUE(LoadsWhole(version));
    EXPECT_EQ(version, 3);
    EXPECT_EQ(ThisGame.Settings[Setting::SfxVolume], 3);
}

TEST_F(SaveFailures, LeavingWhileTheDiskIsStuckEndsInBoundedTimeWithTheOldFiles) {
    BeforeReplacement = WaitWhileHeld;
    HoldWorker = true;
    Version(2);
    ThisGame.Save();
    for (int n = 0; n < 27; n++) ThisGame.SaveBit();  // settings queued, held
    Version(3);
    ThisGame.Save();  // and the next save waits behind it
    testing::internal::CaptureStdout();
    bool done = ThisGame.FinishSaving(300);
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(done);
    EXPECT_EQ(ThisGame.Saving.SavePending, 0);
    EXPECT_NE(log.find("Save not finished"), std::string::npos) << log;
    EXPECT_EQ(ReadBytes(SettingsFile), oldSettings_);
    EXPECT_EQ(ReadBytes(ScoreFile), oldScores_);
    HoldWorker = false;
    FinishReplacements(10000);
}

TEST_F(SaveFailures, LeavingFinishesAPendingSave) {
    // What the main loop does after its last pass: the save asked for just
    // before closing is on disk afterwards.
    Version(2);
    ThisGame.Save();
    for (int n = 0; n < 5; n++) ThisGame.SaveBit();
    EXPECT_TRUE(ThisGame.FinishSaving(ExitSaveWaitMs));
    EXPECT_EQ(ThisGame.Saving.SavePending, 0);
    int version = 0;
    EXPECT_TRUE(LoadsWhole(version));
    EXPECT_EQ(version, 2);
}

TEST_F(SaveFailures, TwoCopiesSavingAtOnceOnlyEverLeaveWholeFiles) {
    std::vector<pid_t> writers;
    std::fflush(stdout);
    for (int w = 0; w < 2; w++) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (int round = 1; round <= 25; round++) {
                Version(10 + 100 * w + round);
                ThisGame.Save();
                while (ThisGame.Saving.SavePending) {
                    int before = ThisGame.Saving.SavePending;
                    ThisGame.SaveBit();
                    if (ThisGame.Saving.SavePending == before) usleep(200);
                }
            }
            FinishReplacements(10000);
            _exit(0);
        }
        writers.push_back(pid);
    }
    // Meanwhile, load what is there now and then: always whole.
    for (int look = 0; look < 20; look++) {
        usleep(20000);
        int version = 0;
        EXPECT_TRUE(LoadsWhole(version)) << "look " << look;
    }
    for (pid_t pid : writers) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(ReadBytes(SettingsFile).size(), 4496u);
    EXPECT_EQ(ReadBytes(ScoreFile).size(), 90788u);
    int version = 0;
    EXPECT_TRUE(LoadsWhole(version));
    EXPECT_TRUE(version == 10 + 25 || version == 110 + 25) << version;
    EXPECT_TRUE(TempFiles(dir_).empty());
}

TEST_F(SaveFailures, TemporaryFilesOfDeadWritersAreClearedAtTheNextSave) {
    std::fflush(stdout);
    pid_t dead = fork();
    if (dead == 0) _exit(0);
    waitpid(dead, nullptr, 0);
    auto temp = [](const char* file, long pid, const char* other = "") {
        return std::string(file) + "." + std::to_string(pid) + other + ".tmp";
    };
    const std::string gone[] = {temp(SettingsFile, dead), temp(ScoreFile, dead), temp(SettingsFile, dead, "-1")};
    const std::string kept[] = {temp(SettingsFile, 1), temp(ScoreFile, 1), std::string(SettingsFile) + ".backup",
                                std::string(SettingsFile) + ".12x.tmp", temp(SettingsFile, dead, "-x")};
    for (const std::string& name : gone) WriteBytes(name, {1, 2, 3});
    for (const std::string& name : kept) WriteBytes(name, {1, 2, 3});
    // Under a dead writer's names, but not files it left: a link and a file
    // with a second name are someone else's to remove.
    WriteBytes("elsewhere", {1, 2, 3});
    const std::string linked[] = {temp(SettingsFile, dead, "-2"), temp(ScoreFile, dead, "-3")};
    ASSERT_EQ(symlink("elsewhere", Path(linked[0]).c_str()), 0);
    ASSERT_EQ(link(Path("elsewhere").c_str(), Path(linked[1]).c_str()), 0);
    SaveAll();
    for (const std::string& name : gone) EXPECT_TRUE(ReadBytes(name).empty()) << name;
    // A running writer's file (pid 1 always runs) and other names stay.
    for (const std::string& name : kept) EXPECT_EQ(ReadBytes(name).size(), 3u) << name;
    for (const std::string& name : linked) EXPECT_EQ(ReadBytes(name).size(), 3u) << name;
    EXPECT_EQ(ReadBytes("elsewhere"), (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(SaveFailures, AJournalCutShortByAFullDiskLeavesTheOldOneWhole) {
    const std::vector<uint8_t> old(3000, 'o'), fresh(5000, 'n');
    for (rlim_t limit : {rlim_t(0), rlim_t(100), rlim_t(4999), rlim_t(5000)}) {
        SCOPED_TRACE("limit " + std::to_string(limit));
        WriteBytes("Latest.journal", old);
        int status = -1;
        std::string log = InChild(
            [&] {
                signal(SIGXFSZ, SIG_IGN);
                rlimit r{limit, limit};
                setrlimit(RLIMIT_FSIZE, &r);
                bool queued = SaveWholeFile(ThisGame.home, "Latest.journal", fresh.data(), fresh.size());
                FinishReplacements(10000);
                return queued ? 0 : 1;
            },
            &status);
        const bool fits = limit >= fresh.size();
        EXPECT_EQ(status, fits ? 0 : 1) << log;
        EXPECT_EQ(ReadBytes("Latest.journal"), fits ? fresh : old);
        EXPECT_EQ(log.find("Error Writing File " + dir_ + "/Latest.journal.") != std::string::npos, !fits) << log;
        EXPECT_TRUE(TempFiles(dir_).empty());
    }
}
