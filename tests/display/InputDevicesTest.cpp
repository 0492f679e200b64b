// The real input devices: X key and pointer events through GLFW into the
// input tables of the game's own window.
#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "shell/MyGame.h"
#include "support/GameWindow.h"
#include "sys/ZARNSys.h"

namespace {

// The real devices: X key and pointer events through GLFW into the tables.
TEST(InputDevices, RealKeyAndPointerReachTheTables) {
    if (!EnsureGameWindow()) GTEST_SKIP() << "needs a display";
    if (std::system("command -v xdotool > /dev/null 2>&1") != 0) GTEST_SKIP() << "needs xdotool";
    char cmd[256];
    std::snprintf(cmd, sizeof cmd, "xdotool search --pid %d --name '^Gobbit$' 2>/dev/null | head -1", int(getpid()));
    unsigned long win = 0;
    if (FILE* p = popen(cmd, "r")) {
        if (std::fscanf(p, "%lu", &win) != 1) win = 0;
        pclose(p);
    }
    ASSERT_NE(win, 0ul) << "no window found";
    auto run = [](const std::string& c) { return std::system(c.c_str()); };
    std::string w = std::to_string(win);
    run("xdotool windowactivate --sync " + w + " > /dev/null 2>&1; xdotool mousemove --window " + w + " 200 150");

    // One render refreshes the framebuffer size and the canvas the pointer maps to.
    ThisGame.RenderGame(ThisGame.ScreenW, ThisGame.ScreenH);
    int savedRedef[64][16];
    std::memcpy(savedRedef, ASys.redef, sizeof savedRedef);
    ThisGame.SetKey(Pad::Right, GLFW_KEY_RIGHT);
    run("xdotool keydown Right");
    int seen = 0;
    float x = 0, y = 0;
    for (int i = 0; i < 40 && !seen; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        glfwPollEvents();
        ThisGame.PollInput(0);
        if (ASys.Button[Fixed::Right] == 1 && ThisGame.Joy(Pad::Right) == 1.0f) seen = 1;
        x = ThisGame.MouseX(), y = ThisGame.MouseY();
    }
    run("xdotool keyup Right");
    for (int i = 0; i < 5; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        glfwPollEvents();
        ThisGame.PollInput(0);
    }
    std::memcpy(ASys.redef, savedRedef, sizeof savedRedef);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(ASys.Button[Fixed::Right], 0);
    // The 800 x 600 window is an 800 x 600 canvas: window point (200, 150) is (200, 150).
    EXPECT_NEAR(x, 200 * ThisGame.ScreenW / ASys.FrameW, 1.0f);
    EXPECT_NEAR(y, 150 * ThisGame.ScreenW / ASys.FrameW, 1.0f);
}

}  // namespace
