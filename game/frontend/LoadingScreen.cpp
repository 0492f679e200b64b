// The loading screen: the framework logo assembles itself tile by tile in a
// diagonal wave from the top-left corner under a fading "Loading...".
#include "DrawCodes.h"
#include "shell/MyGame.h"

void MyGame::LoadingScreen() {
    CLS(40, 0, 80);
    CLSGradient(40, 0, 80, 1, 80, 0, 40, 1);
    ResetDraw();

    if (LoadTo > 5) {
        // The grid starts on a whole unit: with a fractional half height
        // (most window shapes) the edges between tile rows could fall
        // exactly on pixel centres, where a row of pixels may be claimed by
        // neither tile and the backdrop shows through.
        const float midY = float(int(ScreenH / 2));
        for (int i = 0; i < 25; ++i) {
            for (int j = 0; j < 25; ++j) {
                const int f = i * 25 + j;
                // The wave moves 6 degrees an update and reaches tile (i, j)
                // i + j degrees late: the tile shows past 30 degrees, leaps
                // to full size at 90 and settles at half size in its place
                // once past 135.
                const int k = LoadTo * 6 - (i + j);
                float s = Sin(float(k));
                if (s < 0.5f) s = 0;
                if (k > 135) s = 0.5f;
                if (s < 0.5f) continue;
                SetSize(s);
                DrawImg(Img::ZarnLogo, ScreenW / 2 - 200 + j * 16, midY - s * 400 + i * 16, f);
            }
        }
    }

    SetBlend(Blend::Alpha);
    ResetDraw();
    Alpha(1.5f - LoadTo / 60.0f);
    Text(ScreenW / 2, ScreenH - 32, "Loading...", 1);
}
