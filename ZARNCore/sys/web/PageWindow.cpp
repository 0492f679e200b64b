// What a browser page does differently from the desktop's window
// (sys/DesktopWindow.cpp): the window is the page's canvas, as large as the
// page shows it; full screen is the browser's; the browser runs the loop's
// passes, so a pass never sleeps; and the page, not the window system, says
// whether the game is seen.
#include <emscripten.h>
#include <emscripten/html5.h>
#include <sys/stat.h>

#include "sys/DeviceReads.h"
#include "sys/SysGlobals.h"
#include "sys/ZARNSys.h"
#include "sys/web/WebPlatform.h"

namespace {

// The canvas's size on the page in CSS pixels: the framebuffer is made that
// size, which keeps a software rasteriser's work down on dense screens.
void PageSize(int& w, int& h) {
    double cw = 0, ch = 0;
    emscripten_get_element_css_size("#canvas", &cw, &ch);
    w = int(cw + 0.5);
    h = int(ch + 0.5);
}

// GLFW's answers, but for the focus: a page never has GLFW's focus
// attribute, so the game is taken as focused while the page is shown (a
// hidden page gets no animation frames at all).
class PageReader : public DeviceReader {
public:
    explicit PageReader(DeviceReader& glfw) : glfw_(glfw) {}
    int KeyDown(int code) override { return glfw_.KeyDown(code); }
    int MouseButtonDown(int button) override { return glfw_.MouseButtonDown(button); }
    void CursorPos(double& x, double& y) override { glfw_.CursorPos(x, y); }
    void SetCursorPos(double x, double y) override { glfw_.SetCursorPos(x, y); }
    void WindowSize(int& w, int& h) override { glfw_.WindowSize(w, h); }
    void FramebufferSize(int& w, int& h) override { glfw_.FramebufferSize(w, h); }
    int Focused() override { return Win.window && EM_ASM_INT({ return document.hidden ? 0 : 1; }); }
    int CloseRequested() override { return glfw_.CloseRequested(); }
    int MonitorSize(int& w, int& h) override { return glfw_.MonitorSize(w, h); }
    int JoystickPresent(int j) override { return glfw_.JoystickPresent(j); }
    const char* JoystickName(int j) override { return glfw_.JoystickName(j); }
    const float* JoystickAxes(int j, int& count) override { return glfw_.JoystickAxes(j, count); }
    const unsigned char* JoystickButtons(int j, int& count) override { return glfw_.JoystickButtons(j, count); }

private:
    DeviceReader& glfw_;
};

}  // namespace

GLFWwindow* OpenGameWindow(int& w, int& h) {
    int pw = 0, ph = 0;
    PageSize(pw, ph);
    if (pw > 0 && ph > 0) {
        w = pw;
        h = ph;
    }
    // The game draws with neither depth nor stencil, and its picture is
    // opaque: without an alpha channel the page shows the colours drawn
    // (a canvas's alpha would be taken as premultiplied) and composites the
    // canvas with less work.
    glfwWindowHint(GLFW_ALPHA_BITS, 0);
    glfwWindowHint(GLFW_DEPTH_BITS, 0);
    glfwWindowHint(GLFW_STENCIL_BITS, 0);
    GLFWwindow* made = glfwCreateWindow(w, h, Win.GameTitleSys, nullptr, nullptr);
    if (made) ASys.Debuglog("Opened Window");
    return made;
}

// Browsers enter full screen only while handling a key, click or tap: the
// page asks at once and, if refused, again at the next release.
void ZARNSys::FlipFull() {
    Win.isFullscreen = 1 - Win.isFullscreen;
    EM_ASM({ Module.gobbitFullScreen($0); }, Win.isFullscreen);
}

void ZARNSys::RestSys(int) {}

void StartPagePlatform() {
    static PageReader reader(Devices());
    SetDeviceReader(&reader);
}

void FollowPage() {
    if (!Win.window) return;
    int w = 0, h = 0, fw = 0, fh = 0;
    PageSize(w, h);
    glfwGetFramebufferSize(Win.window, &fw, &fh);
    // Through the browser library, which tells GLFW the window's new size.
    if (w > 0 && h > 0 && (w != fw || h != fh)) EM_ASM({ Browser.setCanvasSize($0, $1); }, w, h);
    Win.isFullscreen = EM_ASM_INT({ return document.fullscreenElement ? 1 : 0; });
}

int PersistSaveFolder(int fd) {
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) EM_ASM({ Module.gobbitPersist(); });
    return 0;
}

void TellPageClosed(int exitCode) { EM_ASM({ Module.gobbitClosed($0); }, exitCode); }
