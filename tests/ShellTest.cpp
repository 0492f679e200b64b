// The main loop's decisions, the start path, close signals, and the
// game-wide services.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>

#include "CoreGlobals.h"

#include "shell/HomeDirectory.h"
#include "shell/MyGame.h"
#include "shell/Scheduler.h"
#include "support/InChild.h"
#include "sys/CloseSignals.h"
#include "sys/SysGlobals.h"

TEST(Scheduler, FocusedSlotsRunOnTimeAndDropMissedOnes) {
    int next = 0;
    EXPECT_TRUE(ActiveSlotDue(0, next));   // the first pass runs at once
    EXPECT_EQ(next, 16);
    EXPECT_FALSE(ActiveSlotDue(15, next));
    EXPECT_TRUE(ActiveSlotDue(16, next));
    EXPECT_EQ(next, 32);
    // A stall of 100 ms runs one slot late and resumes from now: no catch-up.
    EXPECT_TRUE(ActiveSlotDue(132, next));
    EXPECT_EQ(next, 148);
    EXPECT_FALSE(ActiveSlotDue(147, next));
}

TEST(Scheduler, AClockGoneBackByAnyAmountReschedulesFromNow) {
    struct Case { int next, now; bool due; int after; };
    const Case cases[] = {
        {3600016, 16, true, 32},     // set back by an hour: due at once
        {10016, 15, true, 31},       // ten seconds back
        {5016, 16, true, 32},        // a time sync of five seconds
        {116, 99, true, 115},        // one update's worth
        {116, 100, false, 116},      // exactly one period ahead: keep waiting
    };
    for (const Case& c : cases) {
        int next = c.next;
        EXPECT_EQ(ActiveSlotDue(c.now, next), c.due) << c.next << " at " << c.now;
        EXPECT_EQ(next, c.after);
    }
    // A source stepped back by 5 s in the middle of a run: the slots keep
    // coming every 16 ms from the new time, with no gap.
    int next = 0, due = 0;
    for (int t = 0; t < 1000; t++) {
        int now = t < 500 ? 100000 + t : 95000 + t;
        due += ActiveSlotDue(now, next) ? 1 : 0;
    }
    EXPECT_GE(due, 1000 / ActivePeriod - 1);
    EXPECT_LE(due, 1000 / ActivePeriod + 2);
}

TEST(Scheduler, SlotsKeepTheirRhythmAcrossTheWrapOfTheMillisecondCount) {
    const int start = INT_MAX - 100;
    int next = start, due = 0, unfocusedNext = start, unfocused = 0;
    int sleepAtWrap = -1;
    for (int t = 0; t < 1600; t++) {
        int now = MsAfter(start, t);
        if (ActiveSlotDue(now, next)) {
            due++;
            // Right after a slot near the wrap the sleep is the full period.
            if (t >= 96 && t <= 112 && sleepAtWrap < 0) sleepAtWrap = ActiveSleepMs(now, next, next);
        }
        if (InactiveSlotDue(now, unfocusedNext)) unfocused++;
    }
    EXPECT_EQ(due, 100);  // one every 16 ms, none lost or doubled at the wrap
    EXPECT_EQ(sleepAtWrap, ActivePeriod);
    EXPECT_EQ(unfocused, 11);  // at 1, 151, ..., 1501 ms
    EXPECT_EQ(MsAhead(INT_MIN + 5, INT_MAX - 5), 11);
}

TEST(Clock, MillsIsMonotonicAndWrapsWithoutAJump) {
    MyGame& g = ThisGame;
    timespec savedStart = Loop.starttick;
    int (*savedSource)() = Loop.MillsSource;
    Loop.MillsSource = nullptr;
    // Pretend the game started 24.8 days ago, one second before the count wraps.
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    long long startMs = (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000 - (long long)(INT_MAX - 1000);
    Loop.starttick.tv_sec = time_t(startMs / 1000);
    Loop.starttick.tv_nsec = long((startMs % 1000) * 1000000);
    if (Loop.starttick.tv_nsec < 0) Loop.starttick.tv_sec -= 1, Loop.starttick.tv_nsec += 1000000000L;
    int first = g.Mills();
    EXPECT_GE(MsAhead(first, INT_MAX - 1000), 0);
    EXPECT_LT(MsAhead(first, INT_MAX - 1000), 500);
    // Readings a little apart never go backwards, wrap or not.
    int last = first;
    for (int i = 0; i < 30; i++) {
        usleep(50000);
        int m = g.Mills();
        EXPECT_GE(MsAhead(m, last), 0) << i;
        EXPECT_LT(MsAhead(m, last), 1000) << i;
        last = m;
    }
    EXPECT_LT(last, 0) << "the count wrapped";
    Loop.starttick = savedStart;
    Loop.MillsSource = savedSource;
}

TEST(Scheduler, UnfocusedSlotsAdvanceFromTheirTargetAndCatchUp) {
    int next = 1000;
    EXPECT_FALSE(InactiveSlotDue(1000, next));  // strictly later than the target
    EXPECT_TRUE(InactiveSlotDue(1001, next));
    EXPECT_EQ(next, 1150);
    // After a stall of half a second, several passes in a row are due.
    int due = 0;
    while (InactiveSlotDue(1700, next)) ++due;
    EXPECT_EQ(due, 4);
    EXPECT_EQ(next, 1750);
    // A clock that went back by an hour restarts from now.
    next = 3600000;
    EXPECT_TRUE(InactiveSlotDue(100, next));
    EXPECT_EQ(next, 250);
}

TEST(Scheduler, FocusedSleepEndsAtTheEarlierSlot) {
    EXPECT_EQ(ActiveSleepMs(100, 110, 105), 5);
    EXPECT_EQ(ActiveSleepMs(100, 100, 116), 0);
    EXPECT_EQ(ActiveSleepMs(100, 90, 116), 0);    // overdue: no sleep
    EXPECT_EQ(ActiveSleepMs(100, 20100, 116), 16);  // far targets are capped
}

TEST(Launch, HomeIsTheFolderOfTheStartPath) {
    struct Case { const char* path; const char* home; };
    const Case cases[] = {
        {"/opt/game/run", "/opt/game"},
        {"run", "."},
        {nullptr, "."},
        {"C:\\g\\run.exe", "C:\\g"},
        {"./gobbit", "."},
        {"/gobbit", ""},
    };
    for (const Case& c : cases) {
        char home[4098];
        CutHomeDirectory(c.path, home, sizeof home);
        EXPECT_STREQ(home, c.home) << (c.path ? c.path : "(none)");
    }
}

TEST(Launch, LongPathIsCutToTheBuffer) {
    std::string path(5000, 'a');
    path += "/run";
    char home[16];
    CutHomeDirectory(path.c_str(), home, sizeof home);
    EXPECT_EQ(std::string(home), std::string(15, 'a'));
}

// A close signal before the main loop ends the process at once, even while
// start-up is blocked in a call the signal does not interrupt (an open of a
// FIFO is restarted after the handler); once the loop runs, the first signal
// is noted for the next poll and a second one ends the process.
TEST(Launch, CloseSignalsEndStartUpAtOnceAndAreNotedInTheLoop) {
    std::string dir = ::testing::TempDir() + "gobbit-signals-XXXXXX";
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    const std::string fifo = dir + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(sig));
        int status = -1;
        std::string out = InChild(
            [&] {
                CatchCloseSignals();
                std::thread([sig] {
                    usleep(200000);
                    kill(getpid(), sig);
                }).detach();
                open(fifo.c_str(), O_RDONLY);  // no writer: waits
                return 3;
            },
            &status, 5);
        EXPECT_EQ(status, 0) << "142: the signal left start-up waiting\n" << out;
        EXPECT_EQ(out, "Closed during start-up\n");

        out = InChild(
            [&] {
                CatchCloseSignals();
                CloseSignalsToMainLoop();
                raise(sig);
                std::printf("noted %d\n", int(CloseSignalled()));
                std::fflush(stdout);
                raise(sig);
                return 3;
            },
            &status, 5);
        EXPECT_EQ(status, 128 + sig);
        EXPECT_EQ(out, "noted 1\n");
    }
    unlink(fifo.c_str());
    rmdir(dir.c_str());
}

class GameServices : public ::testing::Test {
protected:
    void SetUp() override { ThisGame.FlushGame(); }
    void TearDown() override { ThisGame.FlushGame(); }
};

TEST_F(GameServices, FirstEndReasonWinsUntilTheNextGame) {
    ThisGame.EndGame(1);
    ThisGame.EndGame(-1);
    EXPECT_EQ(ThisGame.EndReason, 1);
    EXPECT_EQ(ThisGame.EndBanner, 1);
    ThisGame.FlushGame();
    EXPECT_EQ(ThisGame.EndReason, 0);
    EXPECT_EQ(ThisGame.EndBanner, 1);  // the banner words outlive the reset
    ThisGame.EndGame(-1);
    EXPECT_EQ(ThisGame.EndReason, -1);
}

TEST_F(GameServices, FlushClearsBoardPlayAndParticles) {
    ThisGame.Board[14 * BoardPitch + 24].Pellet = 1;
    ThisGame.Play.Level = 7;
    ThisGame.Scene.Particle[259].Frame = 3;
    ThisGame.Scene.Paused = 1;
    ThisGame.FlushGame();
    EXPECT_EQ(ThisGame.Board[14 * BoardPitch + 24].Pellet, 0);
    EXPECT_EQ(ThisGame.Play.Level, 0);
    EXPECT_EQ(ThisGame.Scene.Particle[259].Frame, 0);
    EXPECT_EQ(ThisGame.Scene.Paused, 0);
}

TEST_F(GameServices, LockKeysLatchesEveryKeyAndPointer) {
    ThisGame.KeyLock[0] = ThisGame.KeyLock[99] = 0;
    ThisGame.TouchLock[0] = ThisGame.TouchLock[99] = 0;
    ThisGame.LockKeys();
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(ThisGame.KeyLock[i], 1);
        EXPECT_EQ(ThisGame.TouchLock[i], 1);
    }
}

TEST_F(GameServices, EveryLoopPassDerivesTheLevelsFromTheSettings) {
    int saved[3] = {ThisGame.Settings[Setting::SfxVolume], ThisGame.Settings[Setting::MusicVolume],
                    ThisGame.Settings[Setting::Overscan]};
    int active = ThisGame.Active;
    ThisGame.Settings[Setting::SfxVolume] = 7;
    ThisGame.Settings[Setting::MusicVolume] = 10;
    ThisGame.Settings[Setting::Overscan] = 10;
    ThisGame.Active = 2;  // neither branch of the loop runs
    ThisGame.KeepAlive();
    EXPECT_FLOAT_EQ(ThisGame.SfxLevel, 0.7f);
    EXPECT_FLOAT_EQ(ThisGame.MusicLevel, 1.0f);
    EXPECT_FLOAT_EQ(ThisGame.OverscanFrac, 0.2f);
    ThisGame.Active = active;
    ThisGame.Settings[Setting::SfxVolume] = saved[0];
    ThisGame.Settings[Setting::MusicVolume] = saved[1];
    ThisGame.Settings[Setting::Overscan] = saved[2];
}

// A window that could not be made again (a failed screen mode switch) ends
// the loop at once with a failure status, instead of waiting for ever for a
// close request no window can send; the exit path then finishes the save.
TEST_F(GameServices, ALostWindowEndsTheLoopWithAFailureStatus) {
    GLFWwindow* kept = Win.window;
    int opened = Win.WindowEverOpened, active = ThisGame.Active, exitCode = ThisGame.ExitCode;
    Win.WindowEverOpened = 1;
    Win.window = nullptr;
    ThisGame.Active = 1;
    ThisGame.GameBreak = 0;
    ThisGame.ExitCode = 0;
    testing::internal::CaptureStdout();
    ThisGame.KeepAlive();
    std::string log = testing::internal::GetCapturedStdout();
    Win.window = kept;
    Win.WindowEverOpened = opened;
    EXPECT_EQ(ThisGame.GameBreak, 1);
    EXPECT_EQ(ThisGame.ExitCode, 1);
    EXPECT_NE(log.find("window was lost"), std::string::npos) << log;
    ThisGame.GameBreak = 0;
    ThisGame.ExitCode = exitCode;
    ThisGame.Active = active;
}
