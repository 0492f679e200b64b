#include "support/GameWindow.h"

#include <cstdio>
#include <cstdlib>

#include "shell/LaunchValues.h"
#include "shell/MyGame.h"
#include "support/SharedState.h"
#include "sys/ZARNSys.h"

bool EnsureGameWindow() {
    static int state = 0;  // 0 not tried, 1 up, -1 unavailable
    // The shared state as the window's start-up left it. Every test that
    // asks for the window gets it back, as if it had opened the window itself.
    static SharedState* afterStart = nullptr;
    if (state == 0) {
        if (!std::getenv("DISPLAY")) {
            state = -1;
        } else {
            std::snprintf(ThisGame.home, sizeof ThisGame.home, "%s", GOBBIT_BUILD_DIR);
            ThisGame.Begin(GobbitNumber, GobbitTitle);
            state = ASys.HasWindow() ? 1 : -1;
            if (state == 1) afterStart = new SharedState;
        }
    } else if (afterStart) {
        afterStart->PutBack();
    }
    return state == 1;
}
