// A fixture for the options, redefinition and name-entry screens: it keeps
// every piece of shared state these screens touch, hands each test a clean
// 800-wide canvas with no input held, and puts everything back afterwards.
// Input is set straight into the platform tables, and sounds are counted by
// the effect source rotation.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "shell/MyGame.h"
#include "sys/DeviceReads.h"
#include "sys/InputGlobals.h"
#include "sys/SoundGlobals.h"
#include "sys/ZARNSys.h"

// A keyboard whose held keys are the test's; no mouse, pads or window.
class HeldKeys : public DeviceReader {
public:
    std::set<int> keys;
    int KeyDown(int code) override { return keys.count(code) ? 1 : 0; }
    int MouseButtonDown(int) override { return 0; }
    void CursorPos(double& x, double& y) override { x = y = 0; }
    void SetCursorPos(double, double) override {}
    void WindowSize(int& w, int& h) override { w = 800, h = 600; }
    void FramebufferSize(int& w, int& h) override { w = 800, h = 600; }
    int Focused() override { return 1; }
    int CloseRequested() override { return 0; }
    int MonitorSize(int& w, int& h) override { w = 1920, h = 1080; return 1; }
    int JoystickPresent(int) override { return 0; }
    const char* JoystickName(int) override { return ""; }
    const float* JoystickAxes(int, int& n) override { n = 0; return nullptr; }
    const unsigned char* JoystickButtons(int, int& n) override { n = 0; return nullptr; }
};

class OverlayFixture : public ::testing::Test {
protected:
    // Virtual keys and fixed buttons by name, for readable tests.
    enum VKey { Up = 0, Right = 1, Down = 2, Left = 3, Start = 8, Select = 9, B1 = 10, B2 = 11, B3 = 12, B4 = 13 };
    enum Fixed { FUp = 0, FLeft = 3, FRight = 5, FDown = 8, FFire = 10, FEnter = 98, FEscape = 99 };

    void SetUp() override {
        MyGame& g = ThisGame;
        std::memcpy(settings_, g.Settings, sizeof settings_);
        std::memcpy(keyLock_, g.KeyLock, sizeof keyLock_);
        std::memcpy(touchLock_, g.TouchLock, sizeof touchLock_);
        ints_ = {g.Overlay, g.GameMode, g.OptRow, g.OptScroll, g.OptRowY, g.OptRowCount, g.DragY,
                 g.RedefRow, g.RedefCol, g.CaptureGrace, g.CaptureTimer, g.TestTimer, g.PointerDown,
                 g.ShowStats, g.SavePending, g.MixJoy, g.NetValid, ASys.DrawTo};
        screenW_ = g.ScreenW;
        screenH_ = g.ScreenH;
        std::memcpy(keyv_, ASys.Keyv, sizeof keyv_);
        std::memcpy(button_, ASys.Button, sizeof button_);
        std::memcpy(touch_, ASys.Touch, sizeof touch_);
        std::memcpy(joy_, ASys.Joy, sizeof joy_);
        std::memcpy(redef_, ASys.redef, sizeof redef_);
        std::memcpy(ignore_, ignorePress, sizeof ignore_);
        std::memcpy(sourceBuffer_, ALsourcebuffer, sizeof sourceBuffer_);
        channel_ = ALChannel;
        active98_ = ALbufferActive[98];
        active99_ = ALbufferActive[99];
        reader_ = SetDeviceReader(&keys);

        std::memset(ASys.Keyv, 0, sizeof ASys.Keyv);
        std::memset(ASys.Button, 0, sizeof ASys.Button);
        std::memset(ASys.Touch, 0, sizeof ASys.Touch);
        std::memset(ASys.Joy, 0, sizeof ASys.Joy);
        std::memset(g.KeyLock, 0, sizeof g.KeyLock);
        std::memset(g.TouchLock, 0, sizeof g.TouchLock);
        g.MixJoy = 1;
        g.PointerDown = 0;
        g.SavePending = 0;
        g.ScreenW = 800;
        g.ScreenH = 600;
        for (int i = 50; i <= 55; ++i) g.Settings[i] = 0;  // no online name: nothing is sent
        // Sound slots 98 and 99 count as loaded so that playing them shows.
        ALbufferActive[98] = 1;
        ALbufferActive[99] = 1;
    }

    void TearDown() override {
        MyGame& g = ThisGame;
        SetDeviceReader(reader_);
        std::memcpy(g.Settings, settings_, sizeof settings_);
        std::memcpy(g.KeyLock, keyLock_, sizeof keyLock_);
        std::memcpy(g.TouchLock, touchLock_, sizeof touchLock_);
        int* back[] = {&g.Overlay, &g.GameMode, &g.OptRow, &g.OptScroll, &g.OptRowY, &g.OptRowCount, &g.DragY,
                       &g.RedefRow, &g.RedefCol, &g.CaptureGrace, &g.CaptureTimer, &g.TestTimer,
                       &g.PointerDown, &g.ShowStats, &g.SavePending, &g.MixJoy, &g.NetValid, &ASys.DrawTo};
        for (std::size_t i = 0; i < ints_.size(); ++i) *back[i] = ints_[i];
        g.ScreenW = screenW_;
        g.ScreenH = screenH_;
        std::memcpy(ASys.Keyv, keyv_, sizeof keyv_);
        std::memcpy(ASys.Button, button_, sizeof button_);
        std::memcpy(ASys.Touch, touch_, sizeof touch_);
        std::memcpy(ASys.Joy, joy_, sizeof joy_);
        std::memcpy(ASys.redef, redef_, sizeof redef_);
        std::memcpy(ignorePress, ignore_, sizeof ignore_);
        std::memcpy(ALsourcebuffer, sourceBuffer_, sizeof sourceBuffer_);
        ALChannel = channel_;
        ALbufferActive[98] = active98_;
        ALbufferActive[99] = active99_;
    }

    void Hold(int vkey, float value = 1.0f) { ASys.Keyv[0][vkey] = value; }
    void Press(int entry, bool on = true) { ASys.Button[entry] = on ? 1 : 0; }
    void ReleaseAll() {
        std::memset(ASys.Keyv, 0, sizeof ASys.Keyv);
        std::memset(ASys.Button, 0, sizeof ASys.Button);
        keys.keys.clear();
        Pointer(ASys.Touch[0][1], ASys.Touch[0][2], false);
    }
    // The mouse at (x, y) in canvas units, with its left button down or up.
    // PointerDown is what the frame update derives from the poll.
    void Pointer(float x, float y, bool down) {
        ASys.Touch[0][1] = x;
        ASys.Touch[0][2] = y;
        ASys.Touch[0][5] = down ? 1.0f : 0.0f;
        ThisGame.PointerDown = down ? 1 : 0;
    }

    // Runs one update of a screen and returns how many effects it started.
    template <class Screen>
    int Step(Screen screen) {
        int before = ALChannel;
        ASys.DrawTo = 0;
        (ThisGame.*screen)();
        return (ALChannel - before + 31) % 31;
    }

    HeldKeys keys;

private:
    int settings_[200], keyLock_[100], touchLock_[100];
    std::vector<int> ints_;
    float screenW_ = 0, screenH_ = 0;
    float keyv_[8][16], touch_[10][10], joy_[4][100];
    int button_[128], redef_[64][16], ignore_[1024], sourceBuffer_[32];
    int channel_ = 0, active98_ = 0, active99_ = 0;
    DeviceReader* reader_ = nullptr;
};
