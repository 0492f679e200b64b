// What the desktop's window does differently from a browser page's
// (sys/web/PageWindow.cpp): a window of its own size placed on the monitor,
// full screen as a window over the whole monitor, and a loop that sleeps.
#include <unistd.h>

#include "sys/PipelineWarmUp.h"
#include "sys/SysGlobals.h"
#include "sys/ZARNSys.h"

GLFWwindow* OpenGameWindow(int& w, int& h) {
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
    GLFWwindow* made = nullptr;
    if (Win.isFullscreen == 0 || !mode) {
        made = glfwCreateWindow(w, h, Win.GameTitleSys, nullptr, nullptr);
        if (made && mode) glfwSetWindowPos(made, mode->width / 2 - w / 2, mode->height / 2 - h / 2);
        if (made) ASys.Debuglog("Opened Window");
    } else {
        made = glfwCreateWindow(mode->width, mode->height, Win.GameTitleSys, monitor, nullptr);
        if (made) ASys.Debuglog("Opened Fullscreen");
    }
    return made;
}

void ZARNSys::FlipFull() {
    Win.isFullscreen = 1 - Win.isFullscreen;
    SetScreen(800, 600);
    WarmUpPipeline();
}

void ZARNSys::RestSys(int ms) {
    if (ms > 0) usleep(useconds_t(ms) * 1000);
}
