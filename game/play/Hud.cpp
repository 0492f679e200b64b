// The heads-up display of play: pellets still to eat (or the bonus past the
// target), the spare lives, and the score easing toward its true value.
#include <cmath>

#include "shell/MyGame.h"

void MyGame::DrawHud(const BoardView& v) {
    PlayState& P = Play;
    if (!ScreenshotMode) {
        const int left = int(P.Target - P.Eaten);
        ResetDraw();
        // A short screen leaves only a thin band above the board.
        float size = 2, y = 32;
        if (v.y0 < 50) {
            size = 1;
            y = 16;
        }
        SetSize(size);
        if (P.Target > 0) {
            if (left > 0) {
                SetCol(255, 180, 100);
                Text(ScreenW / 2, y, fstr("Eat %i", left), 1);
            } else {
                SetCol(100, 180, 255);
                Text(ScreenW / 2, y, fstr("Bonus %i", std::abs(left * 5)), 1);
            }
        }
        // The last life blinks while it is being lost.
        int lives = int(P.Lives);
        if (P.LevelState < 0 && int(std::fabs(P.LevelState)) % 30 < 15) lives -= 1;
        SetSize(2);
        SetCol(255, 255, 255, 1);
        for (int i = 0; i < lives; ++i) DrawImg(Img::Sprites, float(64 + i * 32), 16, SpriteFrame::LifeIcon);
    }

    SetSize(1);
    P.ShownScore -= (P.ShownScore - P.Score) / 4;
    if (std::fabs(P.ShownScore - P.Score) <= 2) P.ShownScore = P.Score;
    if (!ScreenshotMode) {
        SetCol(100, 255, 180);
        Text(ScreenW - 8, 16, int(std::floor(P.ShownScore)), 2.0f);
    }
}
