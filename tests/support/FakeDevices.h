// A device reader whose keyboard, mouse, window and controllers are whatever
// the test sets: by default a focused 800 x 600 window, nothing pressed and
// no pads. It notes where the cursor was last sent.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "sys/DeviceReads.h"

struct FakePad {
    bool present = false;
    std::string name = "Test Pad";
    std::vector<float> axes = std::vector<float>(6, 0.0f);
    std::vector<unsigned char> buttons = std::vector<unsigned char>(16, 0);
};

class FakeDevices : public DeviceReader {
public:
    std::set<int> keys;  // GLFW key codes held
    int mouse[2] = {0, 0};
    double cx = 0, cy = 0;
    int winW = 800, winH = 600, fbW = 800, fbH = 600;
    int focused = 1, closing = 0;
    FakePad pads[4];
    int cursorMoves = 0;  // SetCursorPos calls
    double setX = -1, setY = -1;

    int KeyDown(int code) override { return keys.count(code) ? 1 : 0; }
    int MouseButtonDown(int b) override { return b >= 0 && b < 2 ? mouse[b] : 0; }
    void CursorPos(double& x, double& y) override { x = cx, y = cy; }
    void SetCursorPos(double x, double y) override {
        ++cursorMoves;
        setX = x, setY = y;
    }
    void WindowSize(int& w, int& h) override { w = winW, h = winH; }
    void FramebufferSize(int& w, int& h) override { w = fbW, h = fbH; }
    int Focused() override { return focused; }
    int CloseRequested() override { return closing; }
    int MonitorSize(int& w, int& h) override { w = 1920, h = 1080; return 1; }
    int JoystickPresent(int j) override { return pads[j].present; }
    const char* JoystickName(int j) override { return pads[j].name.c_str(); }
    const float* JoystickAxes(int j, int& n) override {
        n = int(pads[j].axes.size());
        return pads[j].axes.data();
    }
    const unsigned char* JoystickButtons(int j, int& n) override {
        n = int(pads[j].buttons.size());
        return pads[j].buttons.data();
    }
};

// Installs a reader for its lifetime, then puts the previous one back.
class DevicesInstalled {
public:
    explicit DevicesInstalled(DeviceReader& reader) : previous_(SetDeviceReader(&reader)) {}
    ~DevicesInstalled() { SetDeviceReader(previous_); }
    DevicesInstalled(const DevicesInstalled&) = delete;
    DevicesInstalled& operator=(const DevicesInstalled&) = delete;

private:
    DeviceReader* previous_;
};
