// The main loop's decisions, the start path, and the game-wide services.
#include <gtest/gtest.h>

#include "shell/HomeDirectory.h"
#include "shell/MyGame.h"
#include "shell/Scheduler.h"

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

TEST(Scheduler, ClockGoingBackMoreThanTenSecondsReschedulesFromNow) {
    struct Case { int next, now; bool due; int after; };
    const Case cases[] = {
        {3600016, 16, true, 32},     // set back by an hour: due at once
        {10016, 15, true, 31},       // just over ten seconds back
        {10016, 16, false, 10016},   // exactly ten seconds: keep waiting
    };
    for (const Case& c : cases) {
        int next = c.next;
        EXPECT_EQ(ActiveSlotDue(c.now, next), c.due) << c.next << " at " << c.now;
        EXPECT_EQ(next, c.after);
    }
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
    ThisGame.Particle[259][9] = 3;
    ThisGame.Paused = 1;
    ThisGame.FlushGame();
    EXPECT_EQ(ThisGame.Board[14 * BoardPitch + 24].Pellet, 0);
    EXPECT_EQ(ThisGame.Play.Level, 0);
    EXPECT_EQ(ThisGame.Particle[259][9], 0);
    EXPECT_EQ(ThisGame.Paused, 0);
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
    int saved[3] = {ThisGame.Settings[0], ThisGame.Settings[1], ThisGame.Settings[20]};
    int active = ThisGame.Active;
    ThisGame.Settings[0] = 7;
    ThisGame.Settings[1] = 10;
    ThisGame.Settings[20] = 10;
    ThisGame.Active = 2;  // neither branch of the loop runs
    ThisGame.KeepAlive();
    EXPECT_FLOAT_EQ(ThisGame.SfxLevel, 0.7f);
    EXPECT_FLOAT_EQ(ThisGame.MusicLevel, 1.0f);
    EXPECT_FLOAT_EQ(ThisGame.OverscanFrac, 0.2f);
    ThisGame.Active = active;
    ThisGame.Settings[0] = saved[0];
    ThisGame.Settings[1] = saved[1];
    ThisGame.Settings[20] = saved[2];
}
