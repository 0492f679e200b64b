// The options screen driven update by update: keyboard and controller
// navigation, sliders, toggles, taps, dragging and the rows that hand over
// to other screens.
#include <gtest/gtest.h>

#include "support/OverlayFixture.h"

namespace {

// Unscrolled y of each of the ten rows: labels take 56, rows 86.
const int RowBase[10] = {64, 206, 292, 434, 576, 662, 748, 890, 976, 1118};

class OptionsTest : public OverlayFixture {
protected:
    void SetUp() override {
        OverlayFixture::SetUp();
        // A portrait canvas (512 wide, as the game keeps it for a window
        // taller than wide), tall enough for every row to sit in the band
        // where the highlighted row stays put, with the first row just at
        // its top.
        ThisGame.ScreenW = 512;
        ThisGame.ScreenH = 1400;
        ThisGame.Screen.OptScroll = 16;
        ThisGame.Screen.OptRow = 0;
        ThisGame.Overlay = Overlays::Options;
    }
    int Update() { return Step(&MyGame::Options); }
    int RowY(int row) const { return ThisGame.Screen.OptScroll + RowBase[row]; }
    // The column the rows are centred on.
    float Centre() const { return ThisGame.ScreenW / 2; }
    // The x of slider step k on a highlighted row (lifted 8 to the left).
    float StepX(int k, int max = 10) const {
        float w = 320.0f / float(max + 1);
        return Centre() - 8 - 160 + w + k * w;
    }
};

TEST_F(OptionsTest, UpAndDownStepOncePerPressAndStopAtTheEnds) {
    struct Case {
        int from, key, to;
    } cases[] = {{0, Up, 0}, {9, Down, 9}, {4, Up, 3}, {4, Down, 5}, {8, Down, 9}};
    for (const Case& c : cases) {
        ReleaseAll();
        ThisGame.Screen.OptRow = c.from;
        Update();
        Hold(c.key);
        for (int i = 0; i < 20; ++i) Update();
        EXPECT_EQ(ThisGame.Screen.OptRow, c.to) << "from " << c.from << " key " << c.key;
        EXPECT_EQ(ThisGame.Screen.OptRowCount, 10);
    }
}

TEST_F(OptionsTest, Button1OnASliderMutesThenFillsIt) {
    ThisGame.Screen.OptRow = 1;
    ThisGame.Settings[Setting::SfxVolume] = 7;
    ThisGame.Settings[Setting::MusicVolume] = 7;
    const int expected[] = {0, 10, 0};
    for (int want : expected) {
        ReleaseAll();
        Update();
        Hold(B1);
        EXPECT_EQ(Update(), 1);
        EXPECT_EQ(ThisGame.Settings[Setting::SfxVolume], want);
        for (int i = 0; i < 5; ++i) Update();  // held: no repeat
        EXPECT_EQ(ThisGame.Settings[Setting::SfxVolume], want);
    }
    EXPECT_EQ(ThisGame.Settings[Setting::MusicVolume], 7) << "the music volume row was not touched";
}

TEST_F(OptionsTest, LeftAndRightStepASliderAndAreSilentAtItsEnds) {
    struct Case {
        int value, key, after, sounds;
    } cases[] = {{0, Left, 0, 0}, {10, Right, 10, 0}, {5, Left, 4, 1}, {5, Right, 6, 1}, {0, Right, 1, 1}};
    for (const Case& c : cases) {
        ReleaseAll();
        ThisGame.Screen.OptRow = 6;  // overscan
        ThisGame.Settings[Setting::Overscan] = c.value;
        Update();
        Hold(c.key);
        int sounds = Update();
        for (int i = 0; i < 5; ++i) sounds += Update();
        EXPECT_EQ(ThisGame.Settings[Setting::Overscan], c.after) << c.value << " key " << c.key;
        EXPECT_EQ(sounds, c.sounds) << c.value << " key " << c.key;
    }
}

TEST_F(OptionsTest, FirstTapHighlightsAndSecondTapActs) {
    struct Case {
        const char* what;
        int row, setting, before, after;
        int step;  // slider step tapped, or -1 for the middle of a toggle row
    } cases[] = {
        {"toggle", 5, 23, 0, 1, -1},
        {"toggle back", 8, 10, 1, 0, -1},
        {"slider", 1, 0, 7, 3, 3},
        {"slider end", 2, 1, 7, 10, 10},
    };
    for (const Case& c : cases) {
        ReleaseAll();
        ThisGame.Screen.OptRow = 0;
        ThisGame.Settings[c.setting] = c.before;
        Update();
        // The row is not lit yet: it sits 8 lower and further right.
        float x = c.step < 0 ? Centre() : StepX(c.step) + 8;
        float y = float(RowY(c.row));
        Pointer(x, y, true);
        Update();
        EXPECT_EQ(ThisGame.Screen.OptRow, c.row) << c.what;
        EXPECT_EQ(ThisGame.Settings[c.setting], c.before) << c.what << ": the first tap only highlights";
        Update();  // still held: nothing more
        EXPECT_EQ(ThisGame.Settings[c.setting], c.before) << c.what;

        Pointer(x, y, false);
        Update();
        Pointer(x - 8, y - 8, true);
        Update();
        EXPECT_EQ(ThisGame.Settings[c.setting], c.after) << c.what;
    }
}

TEST_F(OptionsTest, DraggingScrollsTheListInsteadOfChangingValues) {
    // From a label, and from the highlighted slider after its first update.
    struct Case {
        const char* what;
        int row;  // highlighted row
        float x, y;      // x 0: on slider step 2
        int valueAfter;  // SFX volume once the drag is over
    } cases[] = {
        {"label", 3, Centre() - 100, float(16 + 150), 7},
        {"slider", 1, 0, float(16 + 206 - 8), 2},
    };
    for (const Case& c : cases) {
        ReleaseAll();
        ThisGame.Screen.OptScroll = 16;
        ThisGame.Screen.OptRow = c.row;
        ThisGame.Settings[Setting::SfxVolume] = 7;
        Update();
        float x = c.x > 0 ? c.x : StepX(2);
        Pointer(x, c.y, true);
        Update();
        const int scroll = ThisGame.Screen.OptScroll;
        // Sideways over the other steps, then 40 up.
        Pointer(StepX(8), c.y, true);
        Update();
        Pointer(StepX(8), c.y - 40, true);
        Update();
        EXPECT_EQ(ThisGame.Settings[Setting::SfxVolume], c.valueAfter) << c.what;
        EXPECT_EQ(ThisGame.Screen.OptScroll, scroll - 40) << c.what;
        Pointer(StepX(8), c.y - 40, false);
        Update();
        Pointer(StepX(8), c.y - 10, false);
        Update();
        EXPECT_EQ(ThisGame.Screen.OptScroll, scroll - 40) << c.what << ": released, the list stays";
    }
}

TEST_F(OptionsTest, HighlightedRowGlidesBackIntoTheBand) {
    ThisGame.ScreenH = 600;
    struct Case {
        int row, scroll;
    } cases[] = {{9, 0}, {0, -900}, {5, 2000}};
    for (const Case& c : cases) {
        ThisGame.Screen.OptRow = c.row;
        ThisGame.Screen.OptScroll = c.scroll;
        for (int i = 0; i < 200; ++i) Update();
        int y = RowY(c.row);
        EXPECT_GE(y, 80) << c.row;
        EXPECT_LE(y, 600 - 80) << c.row;
        const int settled = ThisGame.Screen.OptScroll;
        Update();
        EXPECT_EQ(ThisGame.Screen.OptScroll, settled) << c.row << ": it stops once in view";
    }
}

TEST_F(OptionsTest, ActionRowsAndTheThreeWaysOut) {
    struct Case {
        const char* what;
        int row, vkey, fixed;
        int overlay, savePending, optRow;
    } cases[] = {
        {"Back row", 0, B1, -1, 0, 1, 0},
        {"Back/Select", 4, Select, -1, 0, 1, 4},
        {"Escape", 4, -1, FEscape, 0, 1, 4},
        {"Online Name by Enter", 3, -1, FEnter, 4, 0, 0},
        {"Online Name", 3, B1, -1, 4, 0, 0},
        {"Controller", 7, B2, -1, 3, 0, 7},
        {"Debug Stats", 9, B1, -1, 1, 0, 9},
    };
    for (const Case& c : cases) {
        ReleaseAll();
        ThisGame.Overlay = Overlays::Options;
        ThisGame.Saving.SavePending = 0;
        ThisGame.Settings[Setting::DebugStats] = 0;
        ThisGame.ShowStats = 0;
        ThisGame.Screen.RedefRow = 3;
        ThisGame.Screen.RedefCol = 1;
        ThisGame.Screen.OptRow = c.row;
        Update();
        if (c.vkey >= 0) Hold(c.vkey);
        if (c.fixed >= 0) Press(c.fixed);
        Update();
        EXPECT_EQ(ThisGame.Overlay, c.overlay) << c.what;
        EXPECT_EQ(ThisGame.Saving.SavePending, c.savePending) << c.what;
        EXPECT_EQ(ThisGame.Screen.OptRow, c.optRow) << c.what;
        if (c.overlay != 1) {
            EXPECT_EQ(ThisGame.KeyLock[Lock::Choose], 1) << c.what << ": the change locks the keys";
        }
        if (c.overlay == 3) {
            EXPECT_EQ(ThisGame.Screen.RedefRow, -1);
            EXPECT_EQ(ThisGame.Screen.RedefCol, 0);
            EXPECT_EQ(ThisGame.CaptureState, 1) << "waits for fire to be released";
        }
        if (c.row == 9) {
            EXPECT_EQ(ThisGame.Settings[Setting::DebugStats], 1);
            EXPECT_EQ(ThisGame.ShowStats, 1);
        }
    }
}

}  // namespace

// Name entry and the pause menu hand over to the options with LockKeys while
// Escape may still be down: the options wait for it to be let go.
TEST_F(OptionsTest, AnEscapeHeldAcrossTheChangeWaitsForARelease) {
    ReleaseAll();
    ThisGame.Overlay = Overlays::Options;
    ThisGame.Saving.SavePending = 0;
    ThisGame.LockKeys();
    Press(FEscape);
    for (int i = 0; i < 25; i++) Update();  // 0.4 s of a held Escape
    EXPECT_EQ(ThisGame.Overlay, Overlays::Options);
    EXPECT_EQ(ThisGame.Saving.SavePending, 0);
    Press(FEscape, false);
    Update();
    Press(FEscape);
    Update();
    EXPECT_EQ(ThisGame.Overlay, Overlays::None);
    EXPECT_EQ(ThisGame.Saving.SavePending, 1);
}

// F1 flips the statistics on any screen; the options row shows the live value.
TEST_F(OptionsTest, TheDebugStatsRowShowsWhatF1Set) {
    ReleaseAll();
    for (int shown : {1, 0, 1}) {
        ThisGame.ShowStats = shown;
        Update();
        EXPECT_EQ(ThisGame.Settings[Setting::DebugStats], shown);
    }
}
