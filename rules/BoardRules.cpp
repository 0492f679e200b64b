// The rules of the board: which cell the hero may enter, what happens to the
// cell it leaves and to the one it enters. A floor cell can be entered only
// while it still carries a pellet; the board wraps on both axes.
#include <cmath>

#include "rules/Match.h"

void Match::GetMatrix(int x, int y, int mode) {
    OpenUp = OpenDown = OpenLeft = OpenRight = 0;
    if (isSolid(x - 1, y, Dir::Left, mode) == 0) OpenLeft = 1;
    if (isSolid(x + 1, y, Dir::Right, mode) == 0) OpenRight = 1;
    if (isSolid(x, y - 1, Dir::Up, mode) == 0) OpenUp = 1;
    if (isSolid(x, y + 1, Dir::Down, mode) == 0) OpenDown = 1;
}

void Match::Drop(int x, int y) {
    CellAt(x, y).Speed = 0.1f;
    CellsMayMove = true;
}

void Match::Eat(int x, int y) {
    PlayState& P = Play;
    BoardCell& cell = CellAt(x, y);
    const float p = cell.Pellet;
    const bool regrown = p == Carry::Regrown;

    Gimme(1);
    if (!regrown) Gimme(1);
    if (P.Eaten > P.Target) {
        // Past the target every pellet pays a bonus; the pop-ups stay off screen.
        Gimme(5);
        if (Out) Out->PopUp(5, -5000, -5000);
        if (!regrown) {
            P.Eaten += 4;
            Gimme(20);
            if (Out) Out->PopUp(20, -5000, -5000);
        }
    }
    P.Eaten += 1;

    if (Out) Out->PelletsLeft(int(std::floor(P.Target - P.Eaten)));

    if (p == Carry::PowerItem) {
        // A power item raises every fallen floor cell again.
        Emit(&MatchEvents::PowerItem);
        for (int cx = 0; cx < int(P.BoardW); ++cx) {
            for (int cy = 0; cy < int(P.BoardH); ++cy) {
                BoardCell& c = Board[cy * BoardPitch + cx];
                if (c.Type > CellType::LastWall && c.Pellet == Carry::None) {
                    c.Pellet = Carry::Regrown;
                    c.Speed = -Rng.Rnd(0.4f, 3.4f);
                    CellsMayMove = true;
                }
            }
        }
    }
    cell.Pellet = Carry::None;

    P.ChompToggle += 1;
    if (P.ChompToggle < 0 || P.ChompToggle > 1) P.ChompToggle = 0;
    float pitch = regrown ? Rng.Rnd(1.35f, 1.45f) : Rng.Rnd(0.95f, 1.05f);
    if (Out) Out->Chomp(int(P.ChompToggle), pitch);
}

void Match::Eat2(int x, int y) {
    BoardCell& cell = CellAt(x, y);
    if (cell.Trial == Carry::PowerItem) {
        for (int cx = 0; cx < int(Play.BoardW); ++cx)
            for (int cy = 0; cy < int(Play.BoardH); ++cy) {
                BoardCell& c = Board[cy * BoardPitch + cx];
                if (c.Type > CellType::LastWall && c.Trial == Carry::None) c.Trial = Carry::Regrown;
            }
    }
    cell.Trial = Carry::None;
}

// Once the game has ended its score stays what it was at that moment: that
// is the score the tables record.
void Match::Gimme(int points) {
    if (EndReason == 0) Play.Score += points;
}
