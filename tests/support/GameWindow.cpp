#include "support/GameWindow.h"

#include <cstdio>
#include <cstdlib>

#include "shell/MyGame.h"
#include "sys/ZARNSys.h"

bool EnsureGameWindow() {
    static int state = 0;  // 0 not tried, 1 up, -1 unavailable
    if (state == 0) {
        if (!std::getenv("DISPLAY")) {
            state = -1;
        } else {
            std::snprintf(ThisGame.home, sizeof ThisGame.home, "%s", GOBBIT_BUILD_DIR);
            ThisGame.Begin(564, "Gobbit");
            state = ASys.HasWindow() ? 1 : -1;
        }
    }
    return state == 1;
}
