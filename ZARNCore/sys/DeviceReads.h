// Every question the input poll asks the devices goes through this one
// interface. The real reader asks GLFW; tests install a reader of their own
// that answers with the values they choose (there may be no keyboard, mouse
// or controller at all on the machine running them).
#pragma once

class DeviceReader {
public:
    virtual ~DeviceReader() = default;

    // 1 while the key with this GLFW key code is down. Codes GLFW does not
    // know read as up.
    virtual int KeyDown(int code) = 0;
    // 1 while mouse button 0 (left) or 1 (right) is down.
    virtual int MouseButtonDown(int button) = 0;
    // Cursor position in window coordinates.
    virtual void CursorPos(double& x, double& y) = 0;
    virtual void SetCursorPos(double x, double y) = 0;
    // Window size in window coordinates, framebuffer size in pixels. On a
    // high-density display the framebuffer is larger than the window.
    virtual void WindowSize(int& w, int& h) = 0;
    virtual void FramebufferSize(int& w, int& h) = 0;
    virtual int Focused() = 0;
    virtual int CloseRequested() = 0;
    // The primary monitor's current mode; 0 when there is none.
    virtual int MonitorSize(int& w, int& h) = 0;

    // Controllers 0-3.
    virtual int JoystickPresent(int j) = 0;
    virtual const char* JoystickName(int j) = 0;
    virtual const float* JoystickAxes(int j, int& count) = 0;
    virtual const unsigned char* JoystickButtons(int j, int& count) = 0;
};

// The reader in use: GLFW unless a test installed its own.
DeviceReader& Devices();
// Installs a reader (nullptr goes back to GLFW); returns the previous one,
// or nullptr if that was GLFW.
DeviceReader* SetDeviceReader(DeviceReader* reader);
