// One update of a level in progress as the player sees it: the rules move
// the board and the hero (rules/PlayStep.cpp), and this draws them.
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

Controls MyGame::PlayControls() {
    if (Rewatch.Watching == Watch::None)
        return Controls::FromStick(Joy(Pad::Up), Joy(Pad::Right), Joy(Pad::Down), Joy(Pad::Left), Joy(Pad::Button1));
    std::uint8_t code = 0;
    if (Rewatch.WatchCursor.Next(code)) return Controls::FromCode(code);
    // Every recorded update played: a game that was quit ends here (one
    // that lost its last life has ended already).
    EndGame(EndBy::Quitting);
    return Controls{};
}

void MyGame::DoGame() {
    PlayState& P = Play;
    if (Rewatch.Watching != Watch::None && Joy(Pad::Button1) > 0.5f) {
        // Faster: updates of the rules alone between the drawn ones.
        for (int i = 0; i < WatchFastSteps && EndReason == 0; ++i) Rules.Update(PlayControls());
    }
    Rules.BeginUpdate(PlayControls());
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
    // The board is drawn as it stands after the cells' motion and before
    // the hero moves (and perhaps starts the next level).
    Rules.MoveCells();
    FlyBoardApart();
    DrawCells(v, now);
    Rules.MoveHero();

    DrawHero(v);
    DrawWalls(v);
    DrawHud(v);
}

void MyGame::FlyBoardApart() {
    const float state = Play.LevelState;
    if (state == 0) return;
    for (int y = 0; y < BoardRows; ++y) {
        for (int x = 0; x < BoardCols; ++x) {
            BoardCell& c = Board[y * BoardPitch + x];
            c.Offset += c.Speed;
            c.Settled = 0;
            if (state < 0)
                c.Speed -= Rnd(0.1f, 0.2f);  // lost: everything flies up
            else
                c.Speed += Rnd(0.1f, 0.2f);  // won: everything falls away
            if (c.Offset > 5000) c.Offset = 5000;
            if (c.Offset < -5000) c.Offset = -5000;
        }
    }
}

void MyGame::DrawCells(const BoardView& v, int now) {
    PlayState& P = Play;
    if (EndReason != 0) return;
    const bool ripple = P.Target - P.Eaten < 1;
    for (int y = 0; y < BoardRows; ++y) {
        for (int x = 0; x < BoardCols; ++x) {
            const BoardCell& c = Board[y * BoardPitch + x];
            const float px = float(int(v.x0 + x * v.cell));
            const float py = float(int(v.y0 + y * v.cell));
            int t = int(c.Type);
            if (t == CellType::GateRight || t == CellType::GateLeft) t += int(P.GateFrame) / 4;
            if (t > CellType::LastWall) {
                Depth(0.4f);
                SetCol(v.r * 0.75f, v.g * 0.75f, v.b * 0.75f, 1 - c.Offset / 128);
                if (ripple) {
                    InkRot(now * 0.15 + x * 12 + y * 32, 0.6, 1.4);
                    Alpha(1 - c.Offset / 128);
                }
                DrawImg(Img::Sprites, px, py + c.Offset, t + SpriteFrame::CellBase);
            }
            if (c.Pellet > Carry::None) {
                Depth(0.47f);
                float bob = 2 * Sin(float(now / 8 + x * 7 + y * 13));
                if (c.Pellet == Carry::PowerItem) {
                    bob = 3 * Sin(float(now / 3 + x * 7 + y * 13));
                    Depth(0.6f);
                }
                if (c.Pellet == Carry::Regrown) Depth(0.42f);
                SetCol(255, 255, 255, 1);
                DrawImg(Img::Sprites, px, py - c.Offset * 3 + std::fabs(bob), SpriteFrame::PelletBase + int(c.Pellet));
            }
        }
    }
}

void MyGame::DrawHero(const BoardView& v) {
    PlayState& P = Play;
    const float hx = float(int(v.x0 + (P.HeroDX + P.HeroX) * v.cell));
    const float hy = float(int(v.y0 + (P.HeroDY + P.HeroY) * v.cell));
    const float moving = std::fabs(P.HeroDX) + std::fabs(P.HeroDY);
    int frame = moving > 0.2f && moving < 0.7f ? SpriteFrame::HeroMidStep : SpriteFrame::HeroStanding;

    SetCol(255, 255, 255, 1);
    SetSize(v.scale, v.scale);
    switch (int(P.Facing)) {
    case Dir::Up: SetRot(-90); break;
    case Dir::Down: SetRot(90); break;
    case Dir::Left:
        SetSize(-v.scale, v.scale);  // mirrored rather than upside down
        SetRot(0);
        break;
    default: SetRot(0); break;
    }

    if (P.LevelState > 0) {
        SetRot(90 * std::floor(P.LevelState / 8));
        frame = SpriteFrame::HeroWinning + int(std::floor(P.LevelState / 12));
        if (frame > SpriteFrame::HeroLastSpin) frame = SpriteFrame::HeroLastSpin;
        float jx = Rnd(-v.cell, v.cell) / 2;
        float jy = Rnd(-v.cell, v.cell) / 2;
        float hue = Rnd(200, 250);
        int group = Rand(0, 4);
        float speed = Rnd(4, 12);
        ThrowParticle(hx + jx, hy + jy, hue, group, ParticleKind::Spark, 0, speed);
    } else if (P.LevelState < 0) {
        SetRot(90 * std::floor(P.LevelState / 8));
        frame = SpriteFrame::HeroLosing + int(std::floor(std::fabs(P.LevelState) / 12));
        if (frame > SpriteFrame::HeroLastLosing) frame = SpriteFrame::HeroLastSpin;
        SetSize(v.scale);
        if (P.LevelState > -180) {
            for (int k = 0; k < 2; ++k) {
                float jx = Rnd(-v.cell, v.cell) / 2;
                float jy = Rnd(-v.cell, v.cell) / 2;
                int group = Rand(0, 2);
                float speed = Rnd(3, 6);
                ThrowParticle(hx + jx, hy + jy, 60, group, ParticleKind::Debris, P.LevelState * 6 + k * 180, speed);
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
            if (c.Type >= CellType::Floor) continue;
            float lift = c.Settled == 0 ? c.Offset * 8 : 0;
            DrawImg(Img::Sprites, float(int(v.x0 + x * v.cell)), float(int(v.y0 + y * v.cell)) - lift,
                    SpriteFrame::CellBase + int(c.Type));
        }
    }
}
