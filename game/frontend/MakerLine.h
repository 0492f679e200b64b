// The small credit line in the bottom right corner of the title pages.
#pragma once

#include "shell/MyGame.h"

inline constexpr const char* MakerLineText = "Gobbit - made with ZARNCore";

inline void DrawMakerLine(MyGame& g) {
    g.ResetDraw();
    g.SetSize(0.5f);
    g.SetCol(255, 255, 255, 0.6f);
    g.Text(g.ScreenW - 8, g.ScreenH - 16, MakerLineText, 2);
}
