// The GLFW device reader: the only file that asks GLFW about the keyboard,
// the mouse, the controllers, the focus, the close request and the monitor.
#include "sys/DeviceReads.h"

#include "sys/SysGlobals.h"

namespace {

class GlfwReader : public DeviceReader {
public:
    int KeyDown(int code) override {
        // glfwGetKey complains about codes outside its range; a binding may hold any.
        if (!Win.window || code < GLFW_KEY_SPACE || code > GLFW_KEY_LAST) return 0;
        return glfwGetKey(Win.window, code) == GLFW_PRESS ? 1 : 0;
    }
    int MouseButtonDown(int button) override {
        if (!Win.window) return 0;
        return glfwGetMouseButton(Win.window, button) == GLFW_PRESS ? 1 : 0;
    }
    void CursorPos(double& x, double& y) override {
        x = y = 0;
        if (Win.window) glfwGetCursorPos(Win.window, &x, &y);
    }
    void SetCursorPos(double x, double y) override {
        if (Win.window) glfwSetCursorPos(Win.window, x, y);
    }
    void WindowSize(int& w, int& h) override {
        w = h = 0;
        if (Win.window) glfwGetWindowSize(Win.window, &w, &h);
    }
    void FramebufferSize(int& w, int& h) override {
        w = h = 0;
        if (Win.window) glfwGetFramebufferSize(Win.window, &w, &h);
    }
    int Focused() override { return Win.window && glfwGetWindowAttrib(Win.window, GLFW_FOCUSED) ? 1 : 0; }
    int CloseRequested() override { return Win.window && glfwWindowShouldClose(Win.window) ? 1 : 0; }
    int MonitorSize(int& w, int& h) override {
        w = h = 0;
        GLFWmonitor* monitor = Win.window ? glfwGetPrimaryMonitor() : nullptr;
        const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
        if (!mode) return 0;
        w = mode->width;
        h = mode->height;
        return 1;
    }
    // Without a window GLFW may not be initialised, and every joystick call
    // would report an error on each poll.
    int JoystickPresent(int j) override {
        return Win.window && glfwJoystickPresent(GLFW_JOYSTICK_1 + j) ? 1 : 0;
    }
    const char* JoystickName(int j) override {
        const char* name = Win.window ? glfwGetJoystickName(GLFW_JOYSTICK_1 + j) : nullptr;
        return name ? name : "";
    }
    const float* JoystickAxes(int j, int& count) override {
        count = 0;
        return Win.window ? glfwGetJoystickAxes(GLFW_JOYSTICK_1 + j, &count) : nullptr;
    }
    const unsigned char* JoystickButtons(int j, int& count) override {
        count = 0;
        return Win.window ? glfwGetJoystickButtons(GLFW_JOYSTICK_1 + j, &count) : nullptr;
    }
};

GlfwReader glfwReader;
DeviceReader* current = nullptr;

}  // namespace

DeviceReader& Devices() { return current ? *current : glfwReader; }

DeviceReader* SetDeviceReader(DeviceReader* reader) {
    DeviceReader* previous = current;
    current = reader;
    return previous;
}
