// The frame update's loader and end banner: which loader steps load
// something, when loading finishes, and the banner's two seconds measured
// with the update interval.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

#include "CoreGlobals.h"
#include "support/FakeDevices.h"
#include "support/PlayFixture.h"
#include "support/StateGuards.h"

namespace {

int FakeNow = 0;
int FakeClock() { return FakeNow; }

class FrameUpdate : public PlayFixture {
protected:
    void SetUp() override {
        PlayFixture::SetUp();
        saved_.Keep(Loop.MillsSource, ThisGame.ThisMills, ThisGame.LastMills, ThisGame.Delta, ThisGame.ShowStats,
                    ThisGame.Active, ThisGame.Saving.SavePending);
        Loop.MillsSource = FakeClock;
        ThisGame.ShowStats = 0;
        ThisGame.Saving.SavePending = 0;
    }
    void TearDown() override {
        saved_.Restore();
        PlayFixture::TearDown();
    }

    // One update, `ms` after the previous one.
    static void UpdateAfter(int ms) {
        FakeNow += ms;
        ThisGame.Update();
    }

private:
    FakeDevices quiet_;  // a focused window, nothing pressed
    DevicesInstalled devices_{quiet_};
    StateGuard saved_;
};

// No screen of its own: only the overlay, the banner and the particles run.
const int ModeWithoutScreen = 99;

const std::set<int> LoadingSteps = {1,  2,  3,  4,  43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 60,
                                    61, 62, 63, 64, 65, 66, 71, 72, 73, 74, 75, 76, 77, 78};

TEST_F(FrameUpdate, LoaderActsOnlyOnItsStepsAndFinishesAfterEighty) {
    // Steps without an asset can be asked safely; they must not claim one.
    for (int step = 0; step <= 90; ++step) {
        if (!LoadingSteps.count(step)) {
            EXPECT_FALSE(ThisGame.LoaderStep(step)) << "step " << step;
        }
    }

    ThisGame.LoadTo = 5;  // the quiet stretch only animates the loading screen
    for (int step = 5; step < 43; ++step) ThisGame.Loader();
    EXPECT_EQ(ThisGame.LoadTo, 43);
    ThisGame.LoadTo = 79;
    ThisGame.Loader();
    EXPECT_EQ(ThisGame.LoadTo, 80);
    ThisGame.Loader();
    EXPECT_EQ(ThisGame.LoadTo, 0);  // the next update runs the title
}

TEST_F(FrameUpdate, BannerReturnsToTheTitleAboutTwoSecondsLater) {
    ThisGame.GameMode = ModeWithoutScreen;
    ThisGame.LoadTo = 0;
    for (int stepMs : {17, 33, 45}) {
        ThisGame.EndReason = 0;
        ThisGame.Scene.EndTimer = 0;
        ThisGame.GameMode = ModeWithoutScreen;
        UpdateAfter(stepMs);
        ThisGame.EndGame(1);
        int elapsed = 0;
        while (ThisGame.GameMode != Modes::BackToTitle && elapsed < 10000) {
            UpdateAfter(stepMs);
            elapsed += stepMs;
            EXPECT_NEAR(ThisGame.Delta, stepMs / (50.0 / 3), 1e-5);
        }
        // Switched in the first update measured past two seconds.
        EXPECT_GT(elapsed, 2000) << stepMs << " ms updates";
        EXPECT_LE(elapsed - stepMs, 2000) << stepMs << " ms updates";
        EXPECT_EQ(ThisGame.KeyLock[Lock::ListRepeat], 50);  // the title's list waits before repeating

        // Over the title the banner fades three times as fast.
        ThisGame.EndReason = 0;
        ThisGame.GameMode = ModeWithoutScreen;
        float before = ThisGame.Scene.EndTimer;
        UpdateAfter(stepMs);
        EXPECT_NEAR(ThisGame.Scene.EndTimer, before - 3 * ThisGame.Delta, 1e-3);
        for (int u = 0; u < 100; ++u) UpdateAfter(stepMs);
        EXPECT_EQ(ThisGame.Scene.EndTimer, 0);
    }
}

TEST_F(FrameUpdate, DeltaIsClampedSoAStallCannotSkipTheBanner) {
    ThisGame.GameMode = ModeWithoutScreen;
    ThisGame.LoadTo = 0;
    UpdateAfter(16);
    UpdateAfter(1);
    EXPECT_NEAR(ThisGame.Delta, 5 / (50.0 / 3), 1e-6);
    ThisGame.EndGame(1);
    int updates = 0;
    while (ThisGame.GameMode != Modes::BackToTitle && updates < 100) {
        UpdateAfter(400);
        ++updates;
        EXPECT_NEAR(ThisGame.Delta, 7.68, 1e-5);
    }
    EXPECT_GT(updates * 7.68, 120);
    EXPECT_LE((updates - 1) * 7.68, 120);
}

}  // namespace
