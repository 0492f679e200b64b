// The name-entry reels driven update by update: letter steps and their
// repeat timing, the packing into the settings, next, delete and done.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/OverlayFixture.h"

namespace {

class NameEntryTest : public OverlayFixture {
protected:
    void SetUp() override {
        OverlayFixture::SetUp();
        ThisGame.Overlay = Overlays::EnterName;
        ThisGame.Screen.OptRow = 0;
    }
    int Update() { return Step(&MyGame::EnterYourName); }
    // Puts a name into the cells (codes of the 64-character alphabet).
    static void SetName(const std::vector<int>& codes) {
        for (int i = Setting::OnlineName; i <= Setting::OnlineNameLast; ++i) ThisGame.Settings[i] = 0;
        for (std::size_t i = 0; i < codes.size(); ++i)
            ThisGame.Settings[Setting::OnlineName + i / 2] |= codes[i] << (i % 2 ? 8 : 0);
    }
    static int Code(int cell) {
        return (ThisGame.Settings[Setting::OnlineName + cell / 2] >> (cell % 2 ? 8 : 0)) & 63;
    }
    // One press: nothing held, then the input held for one update.
    void Tap(int vkey, int fixed = -1) {
        ReleaseAll();
        Update();
        if (vkey >= 0) Hold(vkey);
        if (fixed >= 0) Press(fixed);
        Update();
    }
};

constexpr int Space = 0, Dash = 1, A = 12, B = 13, K = 22, Nine = 11, Z = 37, SmallZ = 63;

TEST_F(NameEntryTest, UpAndDownSpinTheCursorCellsReel) {
    struct Case {
        int cell, from, key, to;
    } cases[] = {
        {0, Space, Up, SmallZ}, {0, SmallZ, Down, Space}, {0, A, Down, B},
        {0, A, Up, Nine}, {5, Space, Up, SmallZ}, {5, Z, Down, 38}, {11, Dash, Up, Space},
    };
    for (const Case& c : cases) {
        // Both neighbours hold letters that must survive the packing.
        std::vector<int> name(12, K);
        name[c.cell] = c.from;
        SetName(name);
        ThisGame.Screen.OptRow = c.cell;
        Tap(c.key);
        EXPECT_EQ(Code(c.cell), c.to) << "cell " << c.cell << " from " << c.from;
        for (int i = 0; i < 12; ++i)
            if (i != c.cell) {
                EXPECT_EQ(Code(i), K) << "cell " << i;
            }
    }
}

TEST_F(NameEntryTest, SpaceToZAndBackShowsInTheName) {
    SetName({});
    EXPECT_EQ(ThisGame.ShowName(), "Enter Your Name");
    Tap(Up);
    EXPECT_EQ(ThisGame.ShowName(), "z           ");
    Tap(Down);
    EXPECT_EQ(ThisGame.ShowName(), "Enter Your Name");
}

TEST_F(NameEntryTest, AHeldDirectionRepeatsAfter30_22_14_6ThenEvery2) {
    for (int key : {Down, Up}) {
        SetName({});
        ReleaseAll();
        Update();
        Hold(key);
        std::vector<int> steps;
        int last = Code(0);
        for (int u = 0; u < 85; ++u) {
            Update();
            if (Code(0) != last) steps.push_back(u);
            last = Code(0);
        }
        EXPECT_EQ(steps, (std::vector<int>{0, 30, 52, 66, 72, 74, 76, 78, 80, 82, 84})) << "key " << key;
    }
}

TEST_F(NameEntryTest, NextDeleteAndTheCursor) {
    struct Case {
        const char* what;
        int cursor;
        int vkey;
        int cursorAfter;
        std::string nameAfter;
    } cases[] = {
        {"next carries the letter", 4, B1, 5, "ABCDKK      "},
        {"next on the last cell", 11, B1, 11, "ABCDK       "},
        {"delete on cell 0", 0, B2, 0, " BCDK       "},
        {"delete steps back", 3, B2, 2, "ABC K       "},
        {"right wraps", 11, Right, 0, "ABCDK       "},
        {"left wraps", 0, Left, 11, "ABCDK       "},
    };
    for (const Case& c : cases) {
        SetName({A, B, 14, 15, K});
        ThisGame.Screen.OptRow = c.cursor;
        Tap(c.vkey);
        EXPECT_EQ(ThisGame.Screen.OptRow, c.cursorAfter) << c.what;
        EXPECT_EQ(ThisGame.ShowName(), c.nameAfter) << c.what;
        EXPECT_EQ(ThisGame.Overlay, Overlays::EnterName) << c.what;
        for (int i = 0; i < 5; ++i) Update();  // held: one step per press
        EXPECT_EQ(ThisGame.Screen.OptRow, c.cursorAfter) << c.what;
    }
}

TEST_F(NameEntryTest, DoneReturnsToOptionsWithoutAdvancing) {
    struct Case {
        const char* what;
        int vkey, fixed;
    } cases[] = {
        {"Enter", B1, FEnter},  // Enter is Button 1 as well
        {"Escape", Start, FEscape},
        {"Button 3", B3, -1},
        {"Button 4", B4, -1},
    };
    for (const Case& c : cases) {
        SetName({A, B, 14, 15, K});
        ThisGame.Overlay = Overlays::EnterName;
        ThisGame.Screen.OptRow = 4;
        Tap(c.vkey, c.fixed);
        EXPECT_EQ(ThisGame.Overlay, Overlays::Options) << c.what;
        EXPECT_EQ(ThisGame.Screen.OptRow, 0) << c.what;
        EXPECT_EQ(ThisGame.ShowName(), "ABCDK       ") << c.what;
        EXPECT_EQ(ThisGame.KeyLock[Lock::Activate], 1) << c.what << ": the options screen waits for release";
    }
}

TEST_F(NameEntryTest, ActionsWaitForTheButtonThatOpenedTheScreen) {
    SetName({A});
    ThisGame.Screen.OptRow = 0;
    ThisGame.LockKeys();  // as the options row does
    Press(FEnter);
    Hold(B1);
    for (int i = 0; i < 5; ++i) Update();
    EXPECT_EQ(ThisGame.Overlay, Overlays::EnterName);
    EXPECT_EQ(ThisGame.Screen.OptRow, 0);
}

}  // namespace
