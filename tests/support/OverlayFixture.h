// A fixture for the options, redefinition and name-entry screens: it hands
// each test a clean 800-wide canvas with no input held (the shared state is
// put back after every test, see SharedState.h).
// Input is set straight into the platform tables, and sounds are counted by
// the effect source rotation.
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "shell/MyGame.h"
#include "support/FakeDevices.h"
#include "support/StateGuards.h"
#include "sys/InputGlobals.h"
#include "sys/SoundGlobals.h"
#include "sys/ZARNSys.h"

class OverlayFixture : public ::testing::Test, protected TableInput {
protected:
    // Virtual keys and fixed buttons by name, for readable tests.
    enum VKey {
        Up = Pad::Up, Right = Pad::Right, Down = Pad::Down, Left = Pad::Left, Start = Pad::Start,
        Select = Pad::Select, B1 = Pad::Button1, B2 = Pad::Button2, B3 = Pad::Button3, B4 = Pad::Button4
    };
    enum FixedEntry {
        FUp = Fixed::Up, FLeft = Fixed::Left, FRight = Fixed::Right, FDown = Fixed::Down,
        FFire = Fixed::Action1, FEnter = Fixed::Accept, FEscape = Fixed::Back
    };

    void SetUp() override {
        MyGame& g = ThisGame;
        NoInputHeld();
        std::memset(ASys.Joy, 0, sizeof ASys.Joy);
        g.MixJoy = 1;
        g.Saving.SavePending = 0;
        g.ScreenW = 800;
        g.ScreenH = 600;
        for (int i = Setting::OnlineName; i <= Setting::OnlineNameLast; ++i) g.Settings[i] = 0;  // no online name: nothing is sent
        // Sound slots 98 and 99 count as loaded so that playing them shows.
        Effects.ALbufferActive[Sfx::Confirm] = 1;
        Effects.ALbufferActive[Sfx::Move] = 1;
    }

    void Press(int entry, bool on = true) { ASys.Button[entry] = on ? 1 : 0; }
    void ReleaseAll() {
        TableInput::ReleaseAll();
        keys.keys.clear();
    }

    // Runs one update of a screen and returns how many effects it started.
    template <class Screen>
    int Step(Screen screen) {
        int before = Effects.ALChannel;
        ASys.DrawTo = 0;
        (ThisGame.*screen)();
        return (Effects.ALChannel - before + 31) % 31;
    }

    // A keyboard whose held keys are the test's, in a focused window.
    FakeDevices keys;

private:
    DevicesInstalled devices_{keys};
};
