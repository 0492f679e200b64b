// The window: brought up once at start-up (with the audio device, which
// lives in sys/AudioDevice.cpp), recreated whenever the screen mode changes,
// released at the end.
#include <cstdio>
#include <cstring>

#include "sys/PipelineWarmUp.h"
#include "sys/RendererGlobals.h"
#include "sys/SysGlobals.h"
#include "sys/TextureStrips.h"
#include "sys/ZARNSys.h"

ZARNSys ASys;

WindowState Win;
char TempstrSys[1024] = {};

ZARNSys::ZARNSys() {}

void error_callback(int, const char* text) {
    std::fprintf(stderr, "Error: %s\n", text);
}

void ZARNSys::SysInit(const char* title) {
    std::snprintf(Win.GameTitleSys, sizeof Win.GameTitleSys, "%s", title ? title : "");
    FlushKeys();
    TargetScale = 800;
    ImageZoom = 1.0f;

    // Registered before the initialisation so that its own failure is explained too.
    glfwSetErrorCallback(error_callback);
    if (!glfwInit()) Debuglog("Initialisation Failed");

    Win.WhiteBlock.assign(256, 255);

    std::memset(DrawSet, 0, sizeof DrawSet);
    DrawSet[DrawSlot::ClearFade] = 1;
    ClearInputTables();
    ClearImageTable();

    Win.isFullscreen = 0;
    SetScreen(256, 128);

    OpenAudio();

    SetScreen(800, 600);
    WarmUpPipeline();
    FillKeyNames();
}

void ZARNSys::SetScreen(int w, int h) {
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 2);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 0);
    if (Win.window) {
        ForgetStripTextures();
        glfwDestroyWindow(Win.window);
        Win.window = nullptr;
    }
    Win.window = OpenGameWindow(w, h);
    FrameW = w;
    FrameH = h;
    if (!Win.window) {
        Debuglog("ERRORRZ");
        return;
    }
    Win.WindowEverOpened = 1;
    // A recreated window must take the keyboard over from the one it replaced,
    // also where no window manager hands focus around.
    glfwFocusWindow(Win.window);
    glfwMakeContextCurrent(Win.window);
    glViewport(0, 0, w, h);
    glfwSetInputMode(Win.window, GLFW_CURSOR, GLFW_CURSOR_NORMAL);
    glfwSetInputMode(Win.window, GLFW_STICKY_KEYS, GLFW_FALSE);
    glfwSetInputMode(Win.window, GLFW_STICKY_MOUSE_BUTTONS, GLFW_FALSE);
    glfwSetWindowRefreshCallback(Win.window, [](GLFWwindow*) { WindowContentsLost(); });
}

bool ZARNSys::HasWindow() { return Win.window != nullptr; }

bool WindowLost() { return Win.WindowEverOpened && Win.window == nullptr; }

void ZARNSys::HiResRender() {
    if (Win.window) glfwMakeContextCurrent(Win.window);
}

void ZARNSys::Force1920() {}

void ZARNSys::Close() {
    CloseAudio();
    Debuglog("Closing OpenGL Window");
    ForgetStripTextures();
    if (Win.window) glfwDestroyWindow(Win.window);
    Win.window = nullptr;
    glfwTerminate();
}
