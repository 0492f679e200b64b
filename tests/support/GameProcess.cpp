#include "support/GameProcess.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

static void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Windows come and go while the tree is walked (the game recreates its window
// on a screen switch): a request about a window that just vanished must not
// end the test process, which is what Xlib's default error handler does.
static int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

static Display* OpenDisplay() {
    static bool handlerSet = false;
    if (!handlerSet) {
        XSetErrorHandler(IgnoreXErrors);
        handlerSet = true;
    }
    return XOpenDisplay(nullptr);
}

GameProcess::GameProcess() {}

GameProcess::~GameProcess() {
    if (Running()) Kill();
    if (reader_.joinable()) reader_.join();
    if (!home_.empty()) {
        std::error_code ec;
        fs::remove_all(home_, ec);
    }
}

void GameProcess::SetEnv(const std::string& name, const std::string& value) {
    env_.emplace_back(name, value);
}

bool GameProcess::MakeHome() {
    if (!home_.empty()) return true;
    char pattern[] = "/tmp/gobbit-e2e-XXXXXX";
    if (!mkdtemp(pattern)) return false;
    home_ = pattern;
    std::error_code ec;
    fs::create_symlink(GOBBIT_BINARY, home_ + "/gobbit", ec);
    if (ec) return false;
    fs::create_directory_symlink(std::string(GOBBIT_BUILD_DIR) + "/Data", home_ + "/Data", ec);
    return true;
}

bool GameProcess::Start() { return MakeHome() && Spawn(home_ + "/gobbit", ""); }

bool GameProcess::StartProgram(const std::string& program, const std::string& workDir) {
    return Spawn(program, workDir);
}

bool GameProcess::Spawn(const std::string& program, const std::string& workDir) {
    int pipefd[2];
    if (pipe(pipefd) != 0) return false;
    pid_ = fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) {
        dup2(pipefd[1], 1);
        dup2(pipefd[1], 2);
        close(pipefd[0]);
        close(pipefd[1]);
        setpgid(0, 0);
        for (auto& [name, value] : env_) {
            if (value.empty()) unsetenv(name.c_str());
            else setenv(name.c_str(), value.c_str(), 1);
        }
        if (!workDir.empty() && chdir(workDir.c_str()) != 0) _exit(127);
        if (beforeExec_ && !beforeExec_()) _exit(77);
        // A bare name is looked up in PATH, as a shell would.
        std::vector<char*> argv = {const_cast<char*>(program.c_str())};
        for (std::string& a : args_) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(pipefd[1]);
    reader_ = std::thread([this, fd = pipefd[0]] { ReadLoop(fd); });
    return true;
}

void GameProcess::ReadLoop(int fd) {
    char buf[4096];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) break;
        std::lock_guard<std::mutex> lock(mutex_);
        output_.append(buf, size_t(n));
    }
    close(fd);
}

std::string GameProcess::Output() {
    std::lock_guard<std::mutex> lock(mutex_);
    return output_;
}

size_t GameProcess::WaitForText(const std::string& text, int timeoutMs, size_t from) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            size_t at = output_.find(text, from);
            if (at != std::string::npos) return at + text.size();
        }
        if (std::chrono::steady_clock::now() > end) return std::string::npos;
        SleepMs(20);
    }
}

// Depth-first search of the window tree for a window carrying our pid.
static Window FindByPid(Display* d, Window w, Atom pidAtom, pid_t pid) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, w, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) ==
            Success && data) {
        bool match = count == 1 && pid_t(*(unsigned long*)data) == pid;
        XFree(data);
        if (match) return w;
    }
    Window root, parent, *children = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &n)) return 0;
    Window found = 0;
    for (unsigned int i = 0; i < n && !found; ++i) found = FindByPid(d, children[i], pidAtom, pid);
    if (children) XFree(children);
    return found;
}

unsigned long GameProcess::FindWindow(int timeoutMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    Display* d = OpenDisplay();
    if (!d) return 0;
    Atom pidAtom = XInternAtom(d, "_NET_WM_PID", False);
    Window found = 0;
    // The first, small start-up window is replaced quickly: wait for the real one.
    while (std::chrono::steady_clock::now() < end) {
        found = FindByPid(d, DefaultRootWindow(d), pidAtom, pid_);
        if (found) {
            XWindowAttributes a;
            if (XGetWindowAttributes(d, found, &a) && a.width >= 400 && a.map_state == IsViewable) break;
            found = 0;
        }
        SleepMs(50);
    }
    XCloseDisplay(d);
    window_ = found;
    return found;
}

std::string GameProcess::WindowTitle(unsigned long win) {
    Display* d = OpenDisplay();
    if (!d) return "";
    char* name = nullptr;
    std::string title;
    if (XFetchName(d, win, &name) && name) {
        title = name;
        XFree(name);
    }
    XCloseDisplay(d);
    return title;
}

void GameProcess::WindowGeometry(unsigned long win, int& x, int& y, int& w, int& h) {
    x = y = w = h = 0;
    Display* d = OpenDisplay();
    if (!d) return;
    XWindowAttributes a;
    if (XGetWindowAttributes(d, win, &a)) {
        Window child;
        XTranslateCoordinates(d, win, DefaultRootWindow(d), 0, 0, &x, &y, &child);
        w = a.width;
        h = a.height;
    }
    XCloseDisplay(d);
}

bool GameProcess::RequestClose() {
    if (!window_ && !FindWindow(5000)) return false;
    Display* d = OpenDisplay();
    if (!d) return false;
    XEvent ev;
    std::memset(&ev, 0, sizeof ev);
    ev.xclient.type = ClientMessage;
    ev.xclient.window = window_;
    ev.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, window_, False, NoEventMask, &ev);
    XFlush(d);
    XCloseDisplay(d);
    return true;
}

void GameProcess::TakeFocusAway() {
    Display* d = OpenDisplay();
    if (!d) return;
    XSetInputFocus(d, DefaultRootWindow(d), RevertToNone, CurrentTime);
    XFlush(d);
    XCloseDisplay(d);
}

void GameProcess::GiveFocusBack() {
    if (!window_) return;
    Display* d = OpenDisplay();
    if (!d) return;
    XSetInputFocus(d, window_, RevertToParent, CurrentTime);
    XFlush(d);
    XCloseDisplay(d);
}

int GameProcess::RunTool(const std::vector<std::string>& args) {
    pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, 1);
            dup2(null, 2);
        }
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void GameProcess::KeyDown(const std::string& key) { RunTool({"xdotool", "keydown", key}); }
void GameProcess::KeyUp(const std::string& key) { RunTool({"xdotool", "keyup", key}); }

void GameProcess::PressKey(const std::string& key, int holdMs) {
    KeyDown(key);
    SleepMs(holdMs);
    KeyUp(key);
}

void GameProcess::MoveMouse(int x, int y) {
    if (!window_) FindWindow(5000);
    RunTool({"xdotool", "mousemove", "--window", std::to_string(window_), std::to_string(x), std::to_string(y)});
}

void GameProcess::Click(int x, int y, int holdMs) {
    MoveMouse(x, y);
    SleepMs(60);
    RunTool({"xdotool", "mousedown", "1"});
    SleepMs(holdMs);
    RunTool({"xdotool", "mouseup", "1"});
}

bool GameProcess::Screenshot(const std::string& path) {
    if (!window_) FindWindow(5000);
    return RunTool({"import", "-window", std::to_string(window_), path}) == 0;
}

bool GameProcess::Running() {
    if (pid_ <= 0 || exited_) return false;
    int status = 0;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
        exited_ = true;
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return false;
    }
    return true;
}

int GameProcess::WaitExit(int timeoutMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Running()) {
        if (std::chrono::steady_clock::now() > end) return -1;
        SleepMs(20);
    }
    if (reader_.joinable()) reader_.join();
    return status_;
}

void GameProcess::Kill() {
    if (pid_ > 0 && Running()) {
        kill(-pid_, SIGKILL);
        kill(pid_, SIGKILL);
        WaitExit(5000);
    }
}
