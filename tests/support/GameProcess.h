// Runs the real gobbit binary as a child process for end-to-end tests: in a
// home folder of its own, with its standard output captured, and with a few
// ways to talk to its window (X11 close request, xdotool keys and mouse).
#pragma once

#include <sys/types.h>

#include <functional>

#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class GameProcess {
public:
    GameProcess();
    ~GameProcess();

    // Extra environment for the child (NAME, VALUE); an empty VALUE unsets it.
    void SetEnv(const std::string& name, const std::string& value);
    // Makes the fresh temporary home that links to the build's binary and
    // Data folder (once), so a test can put files there before Start.
    bool MakeHome();
    // Runs in the child just before the program is started (after the fork),
    // e.g. to give it a network of its own. Returning false ends the child
    // with status 77.
    void BeforeExec(std::function<bool()> step) { beforeExec_ = std::move(step); }
    // Arguments given to the program after its name.
    void SetArgs(std::vector<std::string> args) { args_ = std::move(args); }
    // Starts gobbit in its home. Returns false if the process could not start.
    bool Start();
    // Starts program as a player would type it (a bare name is looked up in
    // PATH) in workDir, with no home folder of its own: for an installed copy.
    bool StartProgram(const std::string& program, const std::string& workDir);

    const std::string& Home() const { return home_; }
    pid_t Pid() const { return pid_; }

    // Everything the game has written to standard output so far.
    std::string Output();
    // Waits until the output contains text (after position from), or the
    // time-out passes. Returns the position just after the match, or npos.
    size_t WaitForText(const std::string& text, int timeoutMs, size_t from = 0);

    // The X window of this process (matched by _NET_WM_PID), 0 if none yet.
    unsigned long FindWindow(int timeoutMs);
    // Title, position and size of the window as the X server sees them.
    std::string WindowTitle(unsigned long win);
    void WindowGeometry(unsigned long win, int& x, int& y, int& w, int& h);
    // Asks the window to close the way a window manager does (WM_DELETE_WINDOW).
    bool RequestClose();
    // Gives the input focus to the root window, taking it from the game.
    void TakeFocusAway();
    void GiveFocusBack();

    // Keys are xdotool key names ("Right", "Return", "Escape", "a").
    // A key is held for holdMs so that at least a couple of updates see it.
    void PressKey(const std::string& key, int holdMs = 120);
    void KeyDown(const std::string& key);
    void KeyUp(const std::string& key);
    // Moves the pointer to window coordinates and optionally clicks.
    void MoveMouse(int x, int y);
    void Click(int x, int y, int holdMs = 120);
    // Saves a picture of the game's window as PNG (via ImageMagick import).
    bool Screenshot(const std::string& path);

    // Waits for the process to end; returns its exit status, or -1 on
    // time-out (the process is then still running) or on a signal.
    int WaitExit(int timeoutMs);
    bool Running();
    void Kill();

private:
    bool Spawn(const std::string& program, const std::string& workDir);
    void ReadLoop(int fd);
    int RunTool(const std::vector<std::string>& args);

    std::vector<std::pair<std::string, std::string>> env_;
    std::vector<std::string> args_;
    std::function<bool()> beforeExec_;
    std::string home_;
    pid_t pid_ = -1;
    int status_ = -1;
    bool exited_ = false;
    std::thread reader_;
    std::mutex mutex_;
    std::string output_;
    unsigned long window_ = 0;
};
