// The factory bindings and the redefinition screen driven update by update:
// cursor moves on the fixed buttons, capture with its grace and time-out,
// Test mode and Save.
#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include <set>
#include <vector>

#include "support/OverlayFixture.h"

namespace {

class RedefineKeysTest : public OverlayFixture {
protected:
    void SetUp() override {
        OverlayFixture::SetUp();
        Fresh();
    }
    // Factory bindings, nothing held or set aside, the cursor on Test.
    void Fresh() {
        ReleaseAll();
        ThisGame.FlushKeys();
        ThisGame.KeyDefaults();
        std::memset(Input.ignorePress, 0, sizeof Input.ignorePress);
        ThisGame.Overlay = Overlays::RedefineKeys;
        ThisGame.Screen.RedefRow = -1;
        ThisGame.Screen.RedefCol = 0;
        ThisGame.Screen.TestTimer = 0;
        ThisGame.Screen.CaptureTimer = 0;
        ThisGame.CaptureState = 0;
    }
    int Update() { return Step(&MyGame::RedefineKeys); }
    // Nothing held for one update, then the fixed button for one update.
    void Tap(int entry) {
        ReleaseAll();
        Update();
        Press(entry);
        Update();
    }
    // Starts a capture for the element at (row, col) with Z as the fire key.
    void StartCapture(int row, int col) {
        ThisGame.Screen.RedefRow = row;
        ThisGame.Screen.RedefCol = col;
        ReleaseAll();
        Update();
        Press(FFire);
        keys.keys = {GLFW_KEY_Z};
        Update();
        ASSERT_EQ(ThisGame.CaptureState, 2);
    }
    static std::vector<int> Codes(int button) {
        std::vector<int> codes;
        for (int slot = 0; slot < 64; ++slot)
            if (ThisGame.KeyValue(button, slot) != 0) codes.push_back(ThisGame.KeyValue(button, slot));
        return codes;
    }
    static void ExpectTableEqual(const int (&before)[64][16], const char* what) {
        for (int s = 0; s < 64; ++s)
            for (int k = 0; k < 16; ++k) ASSERT_EQ(ASys.redef[s][k], before[s][k]) << what << " slot " << s << " key " << k;
    }
};

TEST_F(RedefineKeysTest, FactoryBindingsSitOldestFirstInTheSlots) {
    auto pads = [](int n) { return std::vector<int>{500 + n, 600 + n, 700 + n, 800 + n}; };
    auto join = [](std::vector<int> a, const std::vector<int>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const std::vector<int> expected[16] = {
        join({GLFW_KEY_UP, GLFW_KEY_KP_8, GLFW_KEY_W}, pads(10)),
        join({GLFW_KEY_RIGHT, GLFW_KEY_KP_6, GLFW_KEY_D}, pads(11)),
        join({GLFW_KEY_DOWN, GLFW_KEY_KP_5, GLFW_KEY_S}, pads(12)),
        join({GLFW_KEY_LEFT, GLFW_KEY_KP_4, GLFW_KEY_A}, pads(13)),
        {}, {}, {}, {},
        join({GLFW_KEY_ESCAPE}, pads(7)),
        join({GLFW_KEY_BACKSPACE}, pads(6)),
        join({GLFW_KEY_Z, GLFW_KEY_K, GLFW_KEY_SPACE, GLFW_KEY_ENTER, GLFW_KEY_KP_ENTER}, pads(0)),
        join({GLFW_KEY_X, GLFW_KEY_L, GLFW_KEY_LEFT_CONTROL, GLFW_KEY_RIGHT_CONTROL}, pads(1)),
        join({GLFW_KEY_C, GLFW_KEY_J, GLFW_KEY_LEFT_ALT, GLFW_KEY_RIGHT_ALT}, pads(2)),
        join({GLFW_KEY_V, GLFW_KEY_I, GLFW_KEY_LEFT_SHIFT, GLFW_KEY_RIGHT_SHIFT}, pads(3)),
        join({GLFW_KEY_B, GLFW_KEY_U}, pads(4)),
        join({GLFW_KEY_N, GLFW_KEY_O}, pads(5)),
    };
    for (int b = 0; b < 16; ++b) {
        EXPECT_EQ(Codes(b), expected[b]) << "button " << b;
        // Packed against the newest slot, 63.
        if (!expected[b].empty()) {
            EXPECT_EQ(ThisGame.KeyValue(b, 63), expected[b].back()) << "button " << b;
        }
    }
}

TEST_F(RedefineKeysTest, CursorMovesOneStepPerPressWrapsRowsAndClampsColumns) {
    struct Case {
        int row, col, entry, rowAfter, colAfter;
    } cases[] = {
        {-2, 0, FUp, 4, 0},     // up from Save to the bottom row
        {4, 1, FDown, -2, 0},   // down from Start to Save
        {2, 3, FDown, 3, 1},    // Button 2 down lands on Button 1
        {-1, 0, FDown, 0, 0},   // Test down to the left shoulder
        {0, 0, FRight, 0, 1},
        {0, 1, FRight, 0, 1},
        {2, 0, FLeft, 2, 0},
        {3, 1, FUp, 2, 1},
    };
    for (const Case& c : cases) {
        ThisGame.Screen.RedefRow = c.row;
        ThisGame.Screen.RedefCol = c.col;
        Tap(c.entry);
        for (int i = 0; i < 10; ++i) Update();  // held: no repeat
        ReleaseAll();
        Update();  // the cursor settles on the grid at the start of an update
        EXPECT_EQ(ThisGame.Screen.RedefRow, c.rowAfter) << c.row << "," << c.col << " entry " << c.entry;
        EXPECT_EQ(ThisGame.Screen.RedefCol, c.colAfter) << c.row << "," << c.col << " entry " << c.entry;
    }
}

TEST_F(RedefineKeysTest, TheFireKeyThatOpenedTheScreenMustBeReleasedFirst) {
    ThisGame.LockKeys();  // as the options row does when it opens the screen
    ThisGame.Screen.RedefRow = 3;
    Press(FFire);
    for (int i = 0; i < 5; ++i) Update();
    EXPECT_EQ(ThisGame.CaptureState, 1);
    ReleaseAll();
    Update();
    EXPECT_EQ(ThisGame.CaptureState, 0);
    Press(FFire);
    Update();
    EXPECT_EQ(ThisGame.CaptureState, 2);
}

TEST_F(RedefineKeysTest, CaptureSkipsTheStartingKeyAndBindsTheNextNewInput) {
    struct Case {
        const char* what;
        std::vector<std::set<int>> held;  // keys held in capture updates 1, 2, ...
        int boundAt, code;                // update that binds, and the code bound
    } cases[] = {
        // Updates 1 and 2 set everything aside; from then on a key that is
        // seen up and then down is caught.
        {"fire key held, new key after the grace", {{'Z'}, {'Z'}, {'Z'}, {'Z', 'P'}}, 4, 'P'},
        {"a key pressed in the grace must come up first", {{'P'}, {'P'}, {'P'}, {}, {'P'}}, 5, 'P'},
        {"the grace lasts two updates", {{'Z'}, {}, {'P'}, {'P'}, {}, {'P'}}, 6, 'P'},
        {"the fire key itself, pressed anew", {{}, {}, {}, {'Z'}}, 4, 'Z'},
        {"the lowest new key wins", {{'Z'}, {'Z'}, {'Z'}, {'Z', 'Q', GLFW_KEY_F5}}, 4, 'Q'},
    };
    for (const Case& c : cases) {
        Fresh();
        StartCapture(2, 1);  // d-pad right
        for (std::size_t u = 0; u < c.held.size(); ++u) {
            keys.keys = c.held[u];
            Update();
            bool bound = int(u) + 1 >= c.boundAt;
            EXPECT_EQ(ThisGame.CaptureState, bound ? 0 : 2) << c.what << " update " << u + 1;
        }
        EXPECT_EQ(ThisGame.KeyValue(Pad::Right, 63), c.code) << c.what;
        EXPECT_EQ(ThisGame.KeyValue(Pad::Right, 62), 800 + 11) << c.what << ": the older bindings shift down";
        if (c.code != 'Z') {
            EXPECT_EQ(ThisGame.KeyValue(Pad::Button1, 55), 'Z') << c.what << ": Z stays Button 1";
        }
    }
}

TEST_F(RedefineKeysTest, CaptureWithNoInputEndsAfterItsTimeAndBindsNothing) {
    int before[64][16];
    std::memcpy(before, ASys.redef, sizeof before);
    StartCapture(3, 1);  // Button 1
    keys.keys.clear();
    ReleaseAll();
    for (int u = 1; u <= 359; ++u) Update();
    // The timer has run down from 359 to 0; the next update ends it.
    EXPECT_EQ(ThisGame.CaptureState, 2);
    Update();
    EXPECT_EQ(ThisGame.CaptureState, 0);
    ExpectTableEqual(before, "time-out");

    Tap(FUp);
    ReleaseAll();
    Update();
    EXPECT_EQ(ThisGame.Screen.RedefRow, 2) << "the cursor moves again";
}

TEST_F(RedefineKeysTest, TestModeIgnoresNavigationUntilItEnds) {
    ThisGame.Screen.RedefRow = -1;
    Tap(FFire);
    EXPECT_GT(ThisGame.Screen.TestTimer, 0);
    for (int u = 1; u <= 358; ++u) {
        if (u % 2) Press(FUp); else ReleaseAll();
        Update();
        ASSERT_EQ(ThisGame.Screen.RedefRow, -1) << u;
        ASSERT_EQ(ThisGame.CaptureState, 0) << u;
    }
    Tap(FUp);
    EXPECT_EQ(ThisGame.Screen.RedefRow, -2);
    EXPECT_EQ(ThisGame.Screen.TestTimer, 0);
}

TEST_F(RedefineKeysTest, OnlySaveLeavesTheScreen) {
    struct Case {
        const char* what;
        int row, vkey, entry;
        int overlay, savePending;
    } cases[] = {
        {"Save", -2, -1, FFire, 1, 1},
        {"Escape", -1, Start, FEscape, 3, 0},
        {"Back/Select", 2, Select, -1, 3, 0},
    };
    for (const Case& c : cases) {
        ThisGame.Overlay = Overlays::RedefineKeys;
        ThisGame.Saving.SavePending = 0;
        ThisGame.Screen.RedefRow = c.row;
        ThisGame.Screen.RedefCol = 0;
        ReleaseAll();
        Update();
        if (c.vkey >= 0) Hold(c.vkey);
        if (c.entry >= 0) Press(c.entry);
        Update();
        EXPECT_EQ(ThisGame.Overlay, c.overlay) << c.what;
        EXPECT_EQ(ThisGame.Saving.SavePending, c.savePending) << c.what;
        ThisGame.Screen.TestTimer = 0;
    }
}

}  // namespace
