// Input devices and the input API, driven by a device reader whose keyboard,
// mouse, window and controllers are whatever each test says.
#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "CoreGlobals.h"
#include "shell/MyGame.h"
#include "support/FakeDevices.h"
#include "support/StateGuards.h"
#include "sys/InputGlobals.h"
#include "sys/SysGlobals.h"
#include "sys/ZARNSys.h"

namespace {

// Installs the fake devices on a canvas of 800 x 600 and puts every input
// table and flag back afterwards: the tests share ASys and ThisGame.
class InputTest : public ::testing::Test {
protected:
    FakeDevices dev;

    void SetUp() override {
        saved_.Keep(ASys.Button, ASys.Touch, ASys.Joy, ASys.redef, ASys.Keyv, Input.ignorePress, ASys.FrameW,
                    ASys.FrameH, ASys.TargetScale, ASys.offx, ASys.offy, Input.OverscanScaleX, Input.OverscanScaleY,
                    ThisGame.GameBreak, ThisGame.Active, ThisGame.ShowStats, ThisGame.ScreenshotMode, ThisGame.MixJoy,
                    Loop.DebugToggle, Loop.ScreenshotToggle, Input.Wireframe);

        ClearInputTables();
        FillKeyNames();
        ASys.FrameW = 800, ASys.FrameH = 600;
        ASys.TargetScale = 800, ASys.offx = 400, ASys.offy = 300;
        Input.OverscanScaleX = Input.OverscanScaleY = 1;
        ThisGame.GameBreak = 0;
        ThisGame.MixJoy = 1;
        ThisGame.ShowStats = 0;
        Loop.DebugToggle = 0;
    }

    void TearDown() override { saved_.Restore(); }

    void Poll(int invertY = 0) { ASys.PollInputB(invertY); }

    // A pad that is plugged in and has been seen at rest.
    void ReadyPad(int j) {
        dev.pads[j].present = true;
        Poll();
        ASSERT_EQ(ASys.Joy[j].Ready, 1.0f);
    }

private:
    DevicesInstalled installed_{dev};
    StateGuard saved_;
};

TEST_F(InputTest, FixedKeysSetExactlyTheirButtons) {
    struct Case {
        int key;
        std::set<int> entries;
    } cases[] = {
        {GLFW_KEY_RIGHT, {Fixed::Right}},
        {GLFW_KEY_W, {Fixed::Up}},
        {GLFW_KEY_KP_2, {Fixed::Down}},
        {GLFW_KEY_KP_5, {Fixed::Down}},
        {GLFW_KEY_ENTER, {Fixed::Action1, Fixed::Accept}},
        {GLFW_KEY_SPACE, {Fixed::Action1}},
        {GLFW_KEY_RIGHT_CONTROL, {Fixed::Action2}},
        {GLFW_KEY_LEFT_SHIFT, {Fixed::Action3}},
        {GLFW_KEY_RIGHT_ALT, {Fixed::Action4}},
        {GLFW_KEY_U, {Fixed::Action5}},
        {GLFW_KEY_O, {Fixed::Action6}},
        {GLFW_KEY_ESCAPE, {Fixed::Back}},
        {GLFW_KEY_F4, {Fixed::Quit}},
        {GLFW_KEY_F1, {Fixed::StatsToggle}},
        {GLFW_KEY_F2, {Fixed::ScreenshotModeToggle}},
        {GLFW_KEY_F10, {Fixed::Screenshot}},
        {GLFW_KEY_F9, {Fixed::Wireframe}},
        {GLFW_KEY_Q, {}},
    };
    for (const Case& c : cases) {
        dev.keys = {c.key};
        Poll();
        for (int e = 0; e < 127; ++e) {
            if (e == Fixed::Focus) continue;
            EXPECT_EQ(ASys.Button[e], c.entries.count(e) ? 1 : 0) << "key " << c.key << " entry " << e;
        }
        EXPECT_EQ(Input.Wireframe, c.key == GLFW_KEY_F9 ? 1 : 0) << c.key;
    }
    dev.keys.clear();
    Poll();
    EXPECT_EQ(Input.Wireframe, 0);
}

TEST_F(InputTest, BoundArrowKeyReachesItsVirtualKey) {
    ThisGame.SetKey(Pad::Right, GLFW_KEY_RIGHT);
    ThisGame.SetKey(Pad::Left, GLFW_KEY_LEFT);
    dev.keys = {GLFW_KEY_RIGHT};
    ThisGame.PollInput(0);
    EXPECT_EQ(ThisGame.Joy(Pad::Right), 1.0f);
    EXPECT_EQ(ThisGame.Joy(Pad::Left), 0.0f);
    EXPECT_EQ(ThisGame.PlayKey(Fixed::Right), 1);
    dev.keys.clear();
    ThisGame.PollInput(0);
    EXPECT_EQ(ThisGame.Joy(Pad::Right), 0.0f);
}

TEST_F(InputTest, CursorMapsToCanvasUnits) {
    struct Case {
        const char* what;
        double cx, cy;
        int winW, winH, fbW, fbH;
        float overX, overY, offx, offy, scale;
        float x, y;
    } cases[] = {
        {"centre", 400, 300, 800, 600, 800, 600, 1, 1, 400, 300, 800, 400, 300},
        {"corner", 0, 0, 800, 600, 800, 600, 1, 1, 400, 300, 800, 0, 0},
        {"wide window", 1280, 720, 1280, 720, 1280, 720, 1, 1, 400, 225, 800, 800, 450},
        {"overscan", 0, 0, 800, 600, 800, 600, 1.25f, 1.5f, 400, 300, 800, -100, -150},
        // Framebuffer twice the window: the window coordinates are doubled first.
        {"high density", 200, 150, 800, 600, 1600, 1200, 1, 1, 400, 300, 800, 200, 150},
        {"portrait", 600, 800, 600, 800, 600, 800, 1, 1, 256, 341, 512, 512, 682.3333f},
    };
    for (const Case& c : cases) {
        dev.cx = c.cx, dev.cy = c.cy;
        dev.winW = c.winW, dev.winH = c.winH, dev.fbW = c.fbW, dev.fbH = c.fbH;
        ASys.FrameW = c.fbW, ASys.FrameH = c.fbH;
        Input.OverscanScaleX = c.overX, Input.OverscanScaleY = c.overY;
        ASys.offx = c.offx, ASys.offy = c.offy, ASys.TargetScale = c.scale;
        Poll();
        EXPECT_NEAR(ThisGame.MouseX(), c.x, 1e-3) << c.what;
        EXPECT_NEAR(ThisGame.MouseY(), c.y, 1e-3) << c.what;
    }
}

TEST_F(InputTest, MouseButtonRecordsHoldAndMovement) {
    dev.cx = 100, dev.cy = 100;
    Poll();
    const PointerRecord& m = ASys.Touch[0];
    EXPECT_EQ(m.PrevX, -100);
    EXPECT_EQ(m.PrevY, -100);
    EXPECT_EQ(m.Held, 0);
    EXPECT_EQ(m.MoveX, 0);
    EXPECT_EQ(ThisGame.mdall(), 0);

    // First poll with the button down: the previous position is real at once.
    dev.mouse[0] = 1;
    dev.cx = 110, dev.cy = 95;
    Poll();
    EXPECT_EQ(ThisGame.MouseHeld(), 1);
    EXPECT_EQ(m.PrevX, 100);
    EXPECT_EQ(m.PrevY, 100);
    EXPECT_EQ(m.MoveX, 10);
    EXPECT_EQ(m.MoveY, -5);
    EXPECT_EQ(ThisGame.MouseDown(), 1);
    EXPECT_EQ(ThisGame.mdall(), 1);
    Poll();
    EXPECT_EQ(ThisGame.MouseHeld(), 2);
    EXPECT_EQ(m.MoveX, 0);

    dev.mouse[0] = 0;
    dev.mouse[1] = 1;
    Poll();
    EXPECT_EQ(ThisGame.MouseHeld(), 0);
    EXPECT_EQ(ThisGame.MouseDown(), 0);
    EXPECT_EQ(ThisGame.MouseDown_Alt(), 1);
    EXPECT_EQ(m.PrevX, -100);
}

TEST_F(InputTest, CloseRequestAndF4EndTheLoopAndFocusSetsActive) {
    ThisGame.PollInput(0);
    EXPECT_EQ(ThisGame.GameBreak, 0);
    EXPECT_EQ(ThisGame.Active, 1);

    dev.focused = 0;
    ThisGame.PollInput(0);
    EXPECT_EQ(ThisGame.Active, -1);
    ThisGame.PollInput(0);
    EXPECT_EQ(ThisGame.Active, -1);  // never 0 after a poll

    dev.closing = 1;
    ThisGame.PollInput(0);
    EXPECT_EQ(ThisGame.GameBreak, 1);

    ThisGame.GameBreak = 0;
    dev.closing = 0;
    dev.keys = {GLFW_KEY_F4};
    ThisGame.PollInput(0);
    EXPECT_EQ(ThisGame.GameBreak, 1);
}

TEST_F(InputTest, StatisticsAndScreenshotKeysToggleOncePerPress) {
    struct Case {
        int key;
        int* value;
    } cases[] = {{GLFW_KEY_F1, &ThisGame.ShowStats}, {GLFW_KEY_F2, &ThisGame.ScreenshotMode}};
    for (const Case& c : cases) {
        int before = *c.value;
        dev.keys = {c.key};
        for (int i = 0; i < 5; ++i) ThisGame.PollInput(0);
        EXPECT_EQ(*c.value, 1 - before) << c.key;
        dev.keys.clear();
        ThisGame.PollInput(0);
        dev.keys = {c.key};
        ThisGame.PollInput(0);
        EXPECT_EQ(*c.value, before) << c.key;
        dev.keys.clear();
        ThisGame.PollInput(0);
    }
}

TEST_F(InputTest, ScreenshotNameFollowsHomeAndGame) {
    std::string home = ThisGame.home;
    int game = ThisGame.GameNum;
    std::snprintf(ThisGame.home, sizeof ThisGame.home, "%s", "/tmp/gobbit-home");
    ThisGame.GameNum = 564;
    ThisGame.PollInput(0);
    std::string name = ASys.ScreenshotName;
    std::snprintf(ThisGame.home, sizeof ThisGame.home, "%s", home.c_str());
    ThisGame.GameNum = game;
    EXPECT_EQ(name.rfind("/tmp/gobbit-home/Screenshot_564_", 0), 0u) << name;
    EXPECT_EQ(name.substr(name.size() - 4), ".png") << name;
}

TEST_F(InputTest, ScreenshotNamesFitAnyHome) {
    std::string savedHome = ThisGame.home;
    // Past 88 characters the old 128-byte name was cut; 4097 is the longest
    // home the game keeps.
    for (size_t length : {89, 128, 200, 4097}) {
        SCOPED_TRACE(length);
        std::string home = "/" + std::string(length - 1, 'h');
        std::snprintf(ThisGame.home, sizeof ThisGame.home, "%s", home.c_str());
        ASSERT_EQ(std::string(ThisGame.home), home);
        ThisGame.PollInput(0);
        std::string name = ASys.ScreenshotName;
        EXPECT_EQ(name.rfind(home + "/Screenshot_" + std::to_string(ThisGame.GameNum) + "_", 0), 0u);
        EXPECT_EQ(name.substr(name.size() - 4), ".png");
        // The date and time are all there, so shots of a day never share a name.
        EXPECT_EQ(name.size(), home.size() + std::string("/Screenshot_" + std::to_string(ThisGame.GameNum) +
                                                         "_2026-12-10_15-11-53.png").size());
    }
    std::snprintf(ThisGame.home, sizeof ThisGame.home, "%s", savedHome.c_str());
    ThisGame.PollInput(0);
}

TEST_F(InputTest, PadOffCentreAtPlugInStaysUnreadyUntilFirstAtRest) {
    struct Case {
        const char* what;
        int axis;  // -1: a button instead
        float value;
    } cases[] = {{"stick x", 0, 0.9f}, {"second stick y", 3, -0.31f}, {"button", -1, 1}};
    for (const Case& c : cases) {
        ClearInputTables();
        FakePad& pad = dev.pads[1];
        pad = FakePad{};
        pad.present = true;
        pad.name = "Gobbit Test Pad";
        if (c.axis >= 0) pad.axes[c.axis] = c.value; else pad.buttons[2] = 1;
        pad.axes[5] = 0.7f;  // axes past the first four do not matter
        ThisGame.SetKey(Pad::Right, 650);  // pad 2 axis 0

        testing::internal::CaptureStdout();
        Poll();
        Poll();
        std::string held = testing::internal::GetCapturedStdout();
        EXPECT_EQ(held, "") << c.what;
        EXPECT_EQ(ASys.Joy[1].Present, 1.0f) << c.what;
        EXPECT_EQ(ASys.Joy[1].Ready, 0.0f) << c.what;
        for (int n = 0; n < 98; ++n) EXPECT_EQ(ASys.Joy[1].Element(n), 0.0f) << c.what << " element " << n;
        EXPECT_EQ(ThisGame.StickX(), 0.0f);
        EXPECT_EQ(ThisGame.JoyDown(2, 1), 0);
        EXPECT_EQ(ThisGame.KeyName(650), "N/A");

        pad.axes = std::vector<float>(6, 0.0f);
        pad.buttons = std::vector<unsigned char>(16, 0);
        testing::internal::CaptureStdout();
        Poll();
        Poll();
        std::string released = testing::internal::GetCapturedStdout();
        EXPECT_EQ(released, "\n\n--=--\nController ID 'Gobbit Test Pad'\n--=--\n\n") << c.what;
        EXPECT_EQ(ASys.Joy[1].Ready, 1.0f);

        // Ready is kept when unplugged; Present drops and every reader ignores it.
        pad.axes[0] = 1.0f;
        Poll();
        EXPECT_EQ(ThisGame.StickX(), 1.0f);
        pad.present = false;
        Poll();
        EXPECT_EQ(ASys.Joy[1].Ready, 1.0f);
        EXPECT_EQ(ThisGame.StickX(), 0.0f);
        EXPECT_EQ(ThisGame.Joy(Pad::Right), 0.0f);
    }
}

TEST_F(InputTest, InvertYSwapsUpAndDownOfBothSticks) {
    ReadyPad(0);
    dev.pads[0].axes[1] = -1.0f;  // first stick pushed up
    dev.pads[0].axes[3] = -1.0f;  // second stick pushed up
    Poll(0);
    EXPECT_EQ(ThisGame.Joy(Pad::Up), 1.0f);
    EXPECT_EQ(ThisGame.Joy(Pad::Down), 0.0f);
    EXPECT_EQ(ThisGame.Joy(Pad::RightStickUp), 1.0f);
    Poll(1);
    EXPECT_EQ(ASys.Joy[0].Axes[1], 1.0f);
    EXPECT_EQ(ThisGame.Joy(Pad::Up), 0.0f);
    EXPECT_EQ(ThisGame.Joy(Pad::Down), 1.0f);
    EXPECT_EQ(ThisGame.Joy(Pad::RightStickDown), 1.0f);
    EXPECT_EQ(ThisGame.Joy(Pad::RightStickUp), 0.0f);
}

TEST_F(InputTest, SticksGiveTheirDeflectionToDirectionKeys) {
    ReadyPad(0);
    dev.pads[0].axes[0] = 0.6f;
    dev.pads[0].axes[2] = -0.4f;
    Poll();
    EXPECT_FLOAT_EQ(ThisGame.Joy(Pad::Right), 0.6f);
    EXPECT_EQ(ThisGame.Joy(Pad::Left), 0.0f);
    EXPECT_FLOAT_EQ(ThisGame.Joy(Pad::RightStickLeft), 0.4f);
    dev.pads[0].axes[0] = 0.2f;  // inside the dead zone
    Poll();
    EXPECT_EQ(ThisGame.Joy(Pad::Right), 0.0f);
}

TEST_F(InputTest, BoundAxisRegistersOnlyAtFullDeflection) {
    ReadyPad(0);
    ThisGame.SetKey(Pad::Select, 554);   // pad 1 axis 4
    ThisGame.SetKey(Pad::Button1, 503);  // pad 1 button 3
    struct Case {
        float axis;
        float key9;
    } cases[] = {{0.8f, 0.0f}, {0.99f, 0.0f}, {1.0f, 1.0f}, {-1.0f, -1.0f}, {0.2f, 0.0f}};
    for (const Case& c : cases) {
        dev.pads[0].axes[4] = c.axis;
        Poll();
        EXPECT_EQ(ThisGame.Joy(Pad::Select), c.key9) << c.axis;
    }
    dev.pads[0].buttons[3] = 1;
    Poll();
    EXPECT_EQ(ThisGame.Joy(Pad::Button1), 1.0f);
}

TEST_F(InputTest, DefineKeyKeepsACodeOnOneKeyAndOneBindingPerPad) {
    ThisGame.SetKey(Pad::Button3, GLFW_KEY_SPACE);
    ThisGame.SetKey(Pad::Button1, GLFW_KEY_SPACE);
    for (int r = 0; r < 64; ++r) EXPECT_EQ(ThisGame.KeyValue(Pad::Button3, r), 0) << r;
    EXPECT_EQ(ThisGame.KeyValue(Pad::Button1, 63), GLFW_KEY_SPACE);

    ThisGame.SetKey(Pad::RightStickRight, 510);  // pad 1 button 10
    ThisGame.SetKey(Pad::RightStickRight, GLFW_KEY_X);
    ThisGame.SetKey(Pad::RightStickRight, 603);  // pad 2 button 3
    ThisGame.SetKey(Pad::RightStickRight, 512);  // pad 1 again: replaces 510
    std::vector<int> rows;
    for (int r = 48; r < 64; ++r) rows.push_back(ThisGame.KeyValue(Pad::RightStickRight, r));
    std::vector<int> expected(16, 0);
    expected[12] = 0;  // was 510
    expected[13] = GLFW_KEY_X;
    expected[14] = 603;
    expected[15] = 512;
    EXPECT_EQ(rows, expected);

    // Only the sixteen newest bindings are kept.
    for (int k = 0; k < 17; ++k) ThisGame.SetKey(Pad::RightStickLeft, GLFW_KEY_A + k);
    EXPECT_EQ(ThisGame.KeyValue(Pad::RightStickLeft, 48), GLFW_KEY_A + 1);
    EXPECT_EQ(ThisGame.KeyValue(Pad::RightStickLeft, 63), GLFW_KEY_A + 16);

    ThisGame.FlushKeys();
    for (int r = 0; r < 64; ++r)
        for (int k = 0; k < 16; ++k) ASSERT_EQ(ThisGame.KeyValue(k, r), 0);
}

TEST_F(InputTest, AnyKeyAfterLockAllWaitsForARelease) {
    dev.keys = {GLFW_KEY_ENTER};
    ThisGame.LockForGet();
    EXPECT_EQ(ThisGame.GetKey(), -1);
    EXPECT_EQ(ThisGame.GetKey(), -1);
    dev.keys.clear();
    EXPECT_EQ(ThisGame.GetKey(), -1);
    dev.keys = {GLFW_KEY_ENTER};
    EXPECT_EQ(ThisGame.GetKey(), GLFW_KEY_ENTER);

    // The lowest new key wins, keyboard before any controller button.
    ReadyPad(2);
    ThisGame.LockForGet();
    dev.keys.clear();
    EXPECT_EQ(ThisGame.GetKey(), -1);
    dev.pads[2].buttons[4] = 1;
    dev.keys = {GLFW_KEY_Z, GLFW_KEY_A};
    Poll();
    EXPECT_EQ(ThisGame.GetKey(), GLFW_KEY_A);
    dev.keys.clear();
    EXPECT_EQ(ThisGame.GetKey(), 704);
    // Axes are never captured.
    dev.pads[2].buttons[4] = 0;
    dev.pads[2].axes[0] = 1.0f;
    Poll();
    ThisGame.LockForGet();
    EXPECT_EQ(ThisGame.GetKey(), -1);
    EXPECT_EQ(ThisGame.GetKey(), -1);
}

TEST_F(InputTest, ButtonNames) {
    ReadyPad(0);
    struct Case {
        int code;
        const char* name;
    } cases[] = {{0, "N/A"},           {350, "N/A"},          {499, "N/A"},
                 {300, "[ F11 ]"},     {32, "[ Space ]"},     {92, "[ \\ ]"},
                 {1, "[ ??? ]"},       {257, "[ Return ]"},   {335, "[ Num Enter ]"},
                 {552, "Joy 1 Axis 2"}, {503, "Joy 1 Button 3"}, {652, "N/A"},
                 {900, "N/A"},         {-5, "N/A"}};
    for (const Case& c : cases) EXPECT_EQ(ThisGame.KeyName(c.code), c.name) << c.code;
}

TEST_F(InputTest, ControllersMergeIntoFixedButtonsAndSticksSum) {
    ReadyPad(0);
    ReadyPad(1);
    dev.pads[2].present = true;
    dev.pads[2].axes[0] = 0.9f;  // held off-centre at plug-in: never counts
    dev.pads[2].buttons[7] = 1;
    dev.pads[0].axes[0] = 0.5f;
    dev.pads[1].axes[0] = 0.7f;
    Poll();
    EXPECT_NEAR(ThisGame.StickX(), 1.2f, 1e-6);
    EXPECT_EQ(ThisGame.PlayKey(Fixed::Accept), 0);

    struct Case {
        int entry;
        int button;  // -1: none
        int axis;
        float value;
        int expected;
    } cases[] = {
        {Fixed::Action1, 0, -1, 0, 1}, {Fixed::Action6, 5, -1, 0, 1}, {Fixed::Accept, 7, -1, 0, 1},
        {Fixed::Back, 6, -1, 0, 1},    {Fixed::Up, 10, -1, 0, 1},     {Fixed::Up, -1, 1, -0.6f, 1},
        {Fixed::Up, -1, 1, -0.4f, 0},  {Fixed::Down, -1, 1, 0.6f, 1}, {Fixed::Left, -1, 0, -0.6f, 1},
        {Fixed::Right, -1, 0, 0.6f, 1}, {Fixed::Quit, 7, -1, 0, 0},   {Fixed::Focus, 0, -1, 0, 0},
    };
    for (const Case& c : cases) {
        dev.pads[1] = FakePad{};
        dev.pads[1].present = true;
        if (c.button >= 0) dev.pads[1].buttons[c.button] = 1;
        if (c.axis >= 0) dev.pads[1].axes[c.axis] = c.value;
        dev.pads[0].axes[0] = 0;
        Poll();
        if (c.entry == Fixed::Focus) ASys.Button[Fixed::Focus] = 0;  // focus entry read raw
        EXPECT_EQ(ThisGame.PlayKey(c.entry), c.expected) << c.entry;
        ThisGame.MixJoy = 0;
        EXPECT_EQ(ThisGame.PlayKey(c.entry), 0) << c.entry;
        ThisGame.MixJoy = 1;
    }
    EXPECT_EQ(ThisGame.JoyDown(7, 2), 0);
}

TEST_F(InputTest, OutOfRangeQueriesReadZero) {
    ReadyPad(0);
    dev.pads[0].buttons[1] = 1;
    Poll();
    for (PointerRecord& t : ASys.Touch) t = {7, 7, 7, 7, 7, 7, 7, 7, 7, 7};
    EXPECT_EQ(ThisGame.JoyDown(1), 1);
    EXPECT_EQ(ThisGame.PlayKey(-1), 0);
    EXPECT_EQ(ThisGame.PlayKey(128), 0);
    EXPECT_EQ(ThisGame.Joy(-1), 0.0f);
    EXPECT_EQ(ThisGame.Joy(16), 0.0f);
    EXPECT_EQ(ThisGame.KeyValue(16, 63), 0);
    EXPECT_EQ(ThisGame.KeyValue(Pad::Up, 64), 0);
    EXPECT_EQ(ThisGame.KeyValue(-1, -1), 0);
    EXPECT_EQ(ThisGame.JoyDown(50, 0), 0);
    EXPECT_EQ(ThisGame.JoyDown(1, 4), 0);
    EXPECT_EQ(ThisGame.JoyDown(1, -1), 0);
    EXPECT_EQ(ThisGame.JoyAxis(48, 0), 0.0f);
    EXPECT_EQ(ThisGame.JoyAxis(0, 4), 0.0f);
    EXPECT_EQ(ThisGame.MouseX(10), 0.0f);
    EXPECT_EQ(ThisGame.MouseDown(-1), 0);
    EXPECT_EQ(ThisGame.MouseHeld(10), 0);
    EXPECT_EQ(ThisGame.Button(100, 0, 0, 0), 0);
    EXPECT_EQ(ThisGame.Button(-1, 0, 0, 0), 0);
    ASys.DefineKey(16, 5);  // ignored, nothing written outside the table
    ASys.DefineKey(-1, 5);
    EXPECT_EQ(ASys.vKey(3, 8), 0.0f);
}

TEST_F(InputTest, PointerHitTests) {
    struct Case {
        float px, py;
        int rect, radius;
    } cases[] = {
        {0, 0, 0, 0},      // at the origin: no pointer
        {0, 5, 1, 0},      {100, 100, 1, 0}, {100.01f, 50, 0, 0},
        {50, 50, 1, 1},    {-1, 50, 0, 0},   {50 + 30, 50 + 40, 1, 1},
        {50 + 30, 50 + 41, 1, 0},
    };
    for (const Case& c : cases) {
        ASys.Touch[0].X = c.px, ASys.Touch[0].Y = c.py;
        EXPECT_EQ(ThisGame.MouseIn(0, 0, 100, 100), c.rect) << c.px << "," << c.py;
        EXPECT_EQ(ThisGame.MouseIn_Centered(50, 50, 100, 100), c.rect) << c.px << "," << c.py;
        EXPECT_EQ(ThisGame.MouseIn_Radius(50, 50, 50), c.radius) << c.px << "," << c.py;
    }
    // A later pointer answers with its own number.
    ASys.Touch[0].X = ASys.Touch[0].Y = 500;
    ASys.Touch[3].X = ASys.Touch[3].Y = 10;
    EXPECT_EQ(ThisGame.MouseIn(0, 0, 100, 100), 4);
    ASys.Touch[3].Down = 1;
    EXPECT_EQ(ThisGame.mdall(), 1);
}

TEST_F(InputTest, ImageButtonAnswersOnlyToAPressOverIt) {
    int savedSquare = ASys.iFramesSquare[5];
    float savedSize = ASys.DrawSet[DrawSlot::SizeX];
    ASys.iFramesSquare[5] = 64;
    ASys.DrawSet[DrawSlot::SizeX] = 1.0f / Canvas.ViewScale;  // draw size 1: the button is 64 units wide
    struct Case {
        float x, y;
        int down, expected;
    } cases[] = {{100, 100, 0, 0}, {100, 100, 1, 1}, {131, 69, 1, 1}, {133, 100, 1, 0}, {100, 140, 1, 0}};
    for (const Case& c : cases) {
        ASys.Touch[0].X = c.x, ASys.Touch[0].Y = c.y;
        ASys.Touch[0].Down = float(c.down);
        EXPECT_EQ(ThisGame.Button(5, 100, 100, 0), c.expected) << c.x << "," << c.y;
    }
    ASys.iFramesSquare[5] = savedSquare;
    ASys.DrawSet[DrawSlot::SizeX] = savedSize;
}

TEST_F(InputTest, BumpCursorLeavesTheWindowOnTheRight) {
    ASys.FrameW = 1600, ASys.FrameH = 1200;
    dev.winW = 800, dev.winH = 600, dev.fbW = 1600, dev.fbH = 1200;
    ThisGame.BumpCursor();
    EXPECT_GT(dev.setX, 800);
    EXPECT_EQ(dev.setY, 300);
}

}  // namespace
