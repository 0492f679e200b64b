// One update of a level in progress: the rising and falling board, the
// hero's sliding moves, the end of the level, and the drawing of the board
// and the hero. Motion advances a fixed step per update.
#include <cmath>

#include "shell/MyGame.h"

MyGame::BoardView MyGame::PlayLayout() {
    BoardView v;
    v.cell = ScreenW / Play.BoardW;
    float byHeight = (ScreenH - 32) / Play.BoardH;
    if (byHeight < v.cell) v.cell = byHeight;
    v.scale = v.cell / 16;
    // Centred across, sitting on the bottom edge, a band left at the top.
    v.x0 = int(ScreenW / 2 - v.cell * (Play.BoardW - 1) * 0.5f);
    v.y0 = int(ScreenH - v.cell * (Play.BoardH - 0.5f));
    v.r = v.g = v.b = 0;
    return v;
}

void MyGame::DoGame() {
    PlayState& P = Play;
    if (P.PathRuns > 0 && P.PathRuns < 31) FindPaths();
    const int now = Mills();  // one clock reading for the whole update

    BoardView v = PlayLayout();
    v.r = float(int(P.WallR));
    v.g = float(int(P.WallG));
    v.b = float(int(P.WallB));
    InkRot(now * 0.1, 0.3, 0.5);
    if (P.Target - P.Eaten < 0) {
        // Past the target the maze cycles through the rainbow.
        v.r = GetCol(1);
        v.g = GetCol(2);
        v.b = GetCol(3);
    }
    FadeCLS(v.b * 0.15f, v.r * 0.15f, v.g * 0.15f, 8.0f);
    DoGobbitBackground();

    ResetDraw();
    SetSize(v.scale * 1.01f);
    P.GateFrame += 1;
    if (P.GateFrame > 15 || P.GateFrame < 0) P.GateFrame = 0;

    int landed = 0, still = 1;
    StepCells(v, now, landed, still);

    int tune = int(Difficulty + P.Level) % Music::Tunes + 1;
    if (tune < 1) tune = 1;
    if (still == 1 && P.PlayStarted == 0) {
        P.PlayStarted = 1;
        PlayMusic(fstr(Music::TuneFile, tune));
    }
    if (landed == 1) PlaySFX(Sfx::Landing, Rnd(0.5f, 1.5f));  // one thud however many landed

    if (P.PlayStarted == 1) StepHero();

    if (P.HeroX < 0) P.HeroX += P.BoardW;
    if (P.HeroY < 0) P.HeroY += P.BoardH;
    if (P.HeroX > P.BoardW - 1) P.HeroX -= P.BoardW;
    if (P.HeroY > P.BoardH - 1) P.HeroY -= P.BoardH;

    DrawHero(v);
    DrawWalls(v);
    DrawHud(v);
}

void MyGame::StepCells(const BoardView& v, int now, int& landed, int& still) {
    PlayState& P = Play;
    const bool ripple = P.Target - P.Eaten < 1;
    for (int y = 0; y < BoardRows; ++y) {
        for (int x = 0; x < BoardCols; ++x) {
            BoardCell& c = Board[y * BoardPitch + x];
            if (P.LevelState == 0) {
                if (c.Speed > 0) {  // falling after the hero left it
                    c.Speed += 0.1f;
                    c.Offset += c.Speed;
                    if (c.Offset > 128) {
                        c.Offset = 128;
                        c.Speed = 0;
                    }
                }
                if (c.Speed < 0) {  // rising into place
                    still = 0;
                    c.Speed -= Rnd(0.1f, 0.15f);
                    c.Offset += c.Speed;
                    if (c.Offset < 0.1f) {
                        c.Offset = 0;
                        c.Speed = 0;
                        if (c.Settled == 0) {
                            c.Settled = 1;
                            landed = 1;
                        }
                    }
                }
            } else if (P.LevelState < 0) {  // lost: everything flies up
                c.Offset += c.Speed;
                c.Settled = 0;
                c.Speed -= Rnd(0.1f, 0.2f);
            } else {  // won: everything falls away
                c.Offset += c.Speed;
                c.Settled = 0;
                c.Speed += Rnd(0.1f, 0.2f);
            }
            if (c.Offset > 5000) c.Offset = 5000;
            if (c.Offset < -5000) c.Offset = -5000;

            if (EndReason != 0) continue;
            const float px = float(int(v.x0 + x * v.cell));
            const float py = float(int(v.y0 + y * v.cell));
            int t = int(c.Type);
            if (t == 20 || t == 24) t += int(P.GateFrame) / 4;
            if (t > 15) {
                Depth(0.4f);
                SetCol(v.r * 0.75f, v.g * 0.75f, v.b * 0.75f, 1 - c.Offset / 128);
                if (ripple) {
                    InkRot(now * 0.15 + x * 12 + y * 32, 0.6, 1.4);
                    Alpha(1 - c.Offset / 128);
                }
                DrawImg(Img::Sprites, px, py + c.Offset, t + 70);
            }
            if (c.Pellet > 0) {
                Depth(0.47f);
                float bob = 2 * Sin(float(now / 8 + x * 7 + y * 13));
                if (c.Pellet == 2) {
                    bob = 3 * Sin(float(now / 3 + x * 7 + y * 13));
                    Depth(0.6f);
                }
                if (c.Pellet == 3) Depth(0.42f);
                SetCol(255, 255, 255, 1);
                DrawImg(Img::Sprites, px, py - c.Offset * 3 + std::fabs(bob), 19 + int(c.Pellet));
            }
        }
    }
}

void MyGame::StepHero() {
    PlayState& P = Play;
    float delay = 12, step = 0.15f;
    if (Joy(Pad::Button1) > 0.4f) {  // the action button moves fast
        delay = 5;
        step = 0.3f;
    }

    if (P.HeroDX > 0) P.HeroDX = P.HeroDX > step ? P.HeroDX - step : 0;
    if (P.HeroDX < 0) P.HeroDX = P.HeroDX < -step ? P.HeroDX + step : 0;
    if (P.HeroDY > 0) P.HeroDY = P.HeroDY > step ? P.HeroDY - step : 0;
    if (P.HeroDY < 0) P.HeroDY = P.HeroDY < -step ? P.HeroDY + step : 0;

    // One countdown for both axes; released keys clear it so a fresh press
    // moves at once.
    if (P.RepeatX > 0) P.RepeatY = P.RepeatX;
    if (P.RepeatY > 0) P.RepeatX = P.RepeatY;
    P.RepeatX -= 1;
    P.RepeatY -= 1;
    if (Joy(Pad::Left) < 0.4f && Joy(Pad::Right) < 0.4f && Joy(Pad::Up) < 0.4f && Joy(Pad::Down) < 0.4f)
        P.RepeatX = P.RepeatY = 0;

    GetMatrix(int(P.HeroX), int(P.HeroY), 1);

    // A game that has ended takes no more moves, so the banner's two
    // seconds cannot add to the score it ended with.
    if (P.HeroDX == 0 && P.HeroDY == 0 && P.LevelState == 0 && EndReason == 0) {
        // A held direction that is open moves the hero one cell: the cell
        // left falls, the hero slides in from it and eats what it finds.
        auto move = [&](int key, int open, float& repeat, float& pos, float& slide, float step, float facing) {
            if (Joy(key) > 0.5f && open && repeat < 1 && P.HeroDX == 0 && P.HeroDY == 0) {
                Drop(int(P.HeroX), int(P.HeroY));
                pos += step;
                slide = -step;
                repeat = delay;
                P.Facing = facing;
                Eat(int(P.HeroX), int(P.HeroY));
            }
        };
        auto left = [&] { move(Pad::Left, OpenLeft, P.RepeatX, P.HeroX, P.HeroDX, -1, 3); };
        auto right = [&] { move(Pad::Right, OpenRight, P.RepeatX, P.HeroX, P.HeroDX, 1, 1); };
        auto up = [&] { move(Pad::Up, OpenUp, P.RepeatY, P.HeroY, P.HeroDY, -1, 0); };
        auto down = [&] { move(Pad::Down, OpenDown, P.RepeatY, P.HeroY, P.HeroDY, 1, 2); };
        // The axis not moved along last is tried first, so a held
        // perpendicular direction wins and two held directions zig-zag.
        if (P.Facing == 0 || P.Facing == 2) {
            left();
            right();
            up();
            down();
        }
        if (P.Facing == 1 || P.Facing == 3) {
            up();
            down();
            left();
            right();
        }
    }

    // Stuck: the level is over. A move leaves the hero sliding, so this
    // never fires in the update of a move.
    if (!OpenUp && !OpenDown && !OpenLeft && !OpenRight && P.HeroDX == 0 && P.HeroDY == 0 &&
        P.LevelState == 0) {
        StopMusic();
        if (P.Target - P.Eaten > 0) {
            P.LevelState = -1;
            PlaySFX(Sfx::LevelFailed, 1.0f);
        }
        if (P.Target - P.Eaten < 1) {
            P.LevelState = 1;
            PlaySFX(Sfx::LevelComplete, 1.0f);
        }
    }

    if (P.LevelState > 0) P.LevelState += 1;
    if (P.LevelState < 0) P.LevelState -= 1;
    if (P.LevelState > 120) {
        GetLev(1);
    } else if (P.LevelState < -120) {
        if (P.Lives > 0) {
            P.Lives -= 1;
            GetLev(0);
            P.LevelState = 0;
        } else {
            EndGame(1);  // later calls are ignored
        }
    }
}

void MyGame::DrawHero(const BoardView& v) {
    PlayState& P = Play;
    const float hx = float(int(v.x0 + (P.HeroDX + P.HeroX) * v.cell));
    const float hy = float(int(v.y0 + (P.HeroDY + P.HeroY) * v.cell));
    const float moving = std::fabs(P.HeroDX) + std::fabs(P.HeroDY);
    int frame = moving > 0.2f && moving < 0.7f ? 1 : 0;

    SetCol(255, 255, 255, 1);
    SetSize(v.scale, v.scale);
    switch (int(P.Facing)) {
    case 0: SetRot(-90); break;
    case 2: SetRot(90); break;
    case 3:
        SetSize(-v.scale, v.scale);  // mirrored rather than upside down
        SetRot(0);
        break;
    default: SetRot(0); break;
    }

    if (P.LevelState > 0) {
        SetRot(90 * std::floor(P.LevelState / 8));
        frame = 10 + int(std::floor(P.LevelState / 12));
        if (frame > 17) frame = 17;
        float jx = Rnd(-v.cell, v.cell) / 2;
        float jy = Rnd(-v.cell, v.cell) / 2;
        float hue = Rnd(200, 250);
        int group = Rand(0, 4);
        float speed = Rnd(4, 12);
        ThrowParticle(hx + jx, hy + jy, hue, group, 1, 0, speed);
    } else if (P.LevelState < 0) {
        SetRot(90 * std::floor(P.LevelState / 8));
        frame = 2 + int(std::floor(std::fabs(P.LevelState) / 12));
        if (frame > 9) frame = 17;
        SetSize(v.scale);
        if (P.LevelState > -180) {
            for (int k = 0; k < 2; ++k) {
                float jx = Rnd(-v.cell, v.cell) / 2;
                float jy = Rnd(-v.cell, v.cell) / 2;
                int group = Rand(0, 2);
                float speed = Rnd(3, 6);
                ThrowParticle(hx + jx, hy + jy, 60, group, 4, P.LevelState * 6 + k * 180, speed);
            }
        }
    }
    Depth(0.5f);
    DrawImg(Img::Sprites, hx, hy, frame);
}

void MyGame::DrawWalls(const BoardView& v) {
    ResetDraw();
    // Cells sit at whole units, so neighbours are a whole number of units
    // apart, one more than the cell's whole part where it has a fraction
    // (as in most full-screen sizes): a piece as wide as the next whole
    // unit reaches its neighbour. With a whole cell this is the scale.
    SetSize(std::ceil(v.cell) / 16);
    SetCol(v.r, v.g, v.b, 1);
    Depth(0.1f);
    if (EndReason != 0) return;
    for (int x = 0; x < BoardCols; ++x) {
        for (int y = 0; y < BoardRows; ++y) {
            const BoardCell& c = Board[y * BoardPitch + x];
            if (c.Type >= 16) continue;
            float lift = c.Settled == 0 ? c.Offset * 8 : 0;
            DrawImg(Img::Sprites, float(int(v.x0 + x * v.cell)), float(int(v.y0 + y * v.cell)) - lift,
                    70 + int(c.Type));
        }
    }
}
