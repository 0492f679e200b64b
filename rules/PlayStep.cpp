// One update of a level in progress, by the rules: the rising and falling
// board, the hero's sliding moves, the end of the level and the lives, and
// the journal that records it all. Motion advances a fixed step per update.
#include <cmath>

#include "rules/GameIdentity.h"
#include "rules/Match.h"

void Match::Reset() {
    for (BoardCell& c : Board) c = BoardCell{};
    Play = PlayState{};
    EndReason = 0;
    OpenUp = OpenDown = OpenLeft = OpenRight = 0;
    CellsMayMove = true;
    CellLanded = BoardStill = false;
    Input = Controls{};
    Record = Journal{};
    Search = WinnabilitySearch{};
}

void Match::Start(int difficulty) {
    Reset();
    Difficulty = difficulty;
    Record.FormatVersion = JournalFormatVersion;
    Record.GameVersion = Gobbit::Version;
    Record.Fingerprint = Gobbit::RulesFingerprint();
    Record.Difficulty = difficulty;
    Play.Lives = 2;  // two spare lives: three attempts in all
    GetLev(1);
}

void Match::End(int reason) {
    if (EndReason != 0) return;  // the first reason wins
    EndReason = reason;
    TakeCheckpoint();
    Record.Ending = reason == EndBy::Quitting ? Ending::Quit : Ending::LostAll;
    Record.Score = std::int32_t(Play.Score);
    if (Out) Out->Ended(reason);
}

Checkpoint Match::CheckpointNow() const {
    Checkpoint c;
    c.Update = Record.Updates;
    c.Level = std::int32_t(Play.Level);
    c.Score = std::int32_t(Play.Score);
    c.Eaten = std::int32_t(Play.Eaten);
    c.Target = std::int32_t(Play.Target);
    c.Lives = std::int32_t(Play.Lives);
    return c;
}

void Match::TakeCheckpoint() { Record.Checkpoints.push_back(CheckpointNow()); }

void Match::Update(const Controls& in) {
    BeginUpdate(in);
    MoveCells();
    MoveHero();
}

void Match::BeginUpdate(const Controls& in) {
    Input = in;
    // Updates after the end (the banner's) belong to no game.
    if (EndReason == 0) Record.AddUpdate(in.Code());
    if (Play.PathRuns > 0 && Play.PathRuns < 31) FindPaths();
}

void Match::MoveCells() {
    PlayState& P = Play;
    P.GateFrame += 1;
    if (P.GateFrame > 15 || P.GateFrame < 0) P.GateFrame = 0;

    CellLanded = false;
    BoardStill = true;
    // At a level's end the board flies apart, but only as a picture: the
    // next level's build replaces every cell, so the game animates that
    // (MyGame::FlyBoardApart) and the rules leave the cells be.
    if (P.LevelState == 0 && CellsMayMove) {
        bool moving = false, still = true, landed = false;
        for (int y = 0; y < BoardRows; ++y) {
            for (int x = 0; x < BoardCols; ++x) {
                BoardCell& c = Board[y * BoardPitch + x];
                if (c.Speed == 0) continue;  // at rest, as most of the board is in play
                if (c.Speed > 0) {           // falling after the hero left it
                    c.Speed += 0.1f;
                    c.Offset += c.Speed;
                    if (c.Offset > 128) {
                        c.Offset = 128;
                        c.Speed = 0;
                    } else {
                        moving = true;
                    }
                } else {  // rising into place
                    still = false;
                    c.Speed -= Rng.Rnd(0.1f, 0.15f);
                    c.Offset += c.Speed;
                    if (c.Offset < 0.1f) {
                        c.Offset = 0;
                        c.Speed = 0;
                        if (c.Settled == 0) {
                            c.Settled = 1;
                            landed = true;
                        }
                    } else {
                        moving = true;
                    }
                }
            }
        }
        CellsMayMove = moving;
        BoardStill = still;
        CellLanded = landed;
    }

    // Play starts, with the level's tune, once the whole board has risen.
    if (BoardStill && P.PlayStarted == 0) {
        P.PlayStarted = 1;
        Emit(&MatchEvents::MusicStart);
    }
    if (CellLanded) {
        float pitch = Rng.Rnd(0.5f, 1.5f);  // one thud however many landed
        if (Out) Out->Landing(pitch);
    }
}

void Match::MoveHero() {
    PlayState& P = Play;
    if (P.PlayStarted == 1) StepHero();

    if (P.HeroX < 0) P.HeroX += P.BoardW;
    if (P.HeroY < 0) P.HeroY += P.BoardH;
    if (P.HeroX > P.BoardW - 1) P.HeroX -= P.BoardW;
    if (P.HeroY > P.BoardH - 1) P.HeroY -= P.BoardH;
}

void Match::StepHero() {
    PlayState& P = Play;
    float delay = 12, step = 0.15f;
    if (Input.Fast) {  // the action button moves fast
        delay = 5;
        step = 0.3f;
    }
    EaseSlide(step);
    CountDownRepeat();
    GetMatrix(int(P.HeroX), int(P.HeroY), PlayMode);

    // A game that has ended takes no more moves, so the banner's two
    // seconds cannot add to the score it ended with.
    if (P.HeroDX == 0 && P.HeroDY == 0 && P.LevelState == 0 && EndReason == 0) TryMoves(delay);
    EndLevelIfStuck();
    RunLevelEnd();
}

// The hero's slide into its cell eases off by step an update.
void Match::EaseSlide(float step) {
    PlayState& P = Play;
    if (P.HeroDX > 0) P.HeroDX = P.HeroDX > step ? P.HeroDX - step : 0;
    if (P.HeroDX < 0) P.HeroDX = P.HeroDX < -step ? P.HeroDX + step : 0;
    if (P.HeroDY > 0) P.HeroDY = P.HeroDY > step ? P.HeroDY - step : 0;
    if (P.HeroDY < 0) P.HeroDY = P.HeroDY < -step ? P.HeroDY + step : 0;
}

// One countdown for both axes; released keys clear it so a fresh press
// moves at once.
void Match::CountDownRepeat() {
    PlayState& P = Play;
    if (P.RepeatX > 0) P.RepeatY = P.RepeatX;
    if (P.RepeatY > 0) P.RepeatX = P.RepeatY;
    P.RepeatX -= 1;
    P.RepeatY -= 1;
    if (Input.IsAtRest(Dir::Left) && Input.IsAtRest(Dir::Right) && Input.IsAtRest(Dir::Up) &&
        Input.IsAtRest(Dir::Down))
        P.RepeatX = P.RepeatY = 0;
}

// A held direction that is open moves the hero one cell: the cell left
// falls, the hero slides in from it and eats what it finds.
void Match::TryMoves(float delay) {
    PlayState& P = Play;
    auto move = [&](int dir, int open, float& repeat, float& pos, float& slide, float step, float facing) {
        if (Input.IsHeld(dir) && open && repeat < 1 && P.HeroDX == 0 && P.HeroDY == 0) {
            Drop(int(P.HeroX), int(P.HeroY));
            pos += step;
            slide = -step;
            repeat = delay;
            P.Facing = facing;
            Eat(int(P.HeroX), int(P.HeroY));
        }
    };
    auto left = [&] { move(Dir::Left, OpenLeft, P.RepeatX, P.HeroX, P.HeroDX, -1, Dir::Left); };
    auto right = [&] { move(Dir::Right, OpenRight, P.RepeatX, P.HeroX, P.HeroDX, 1, Dir::Right); };
    auto up = [&] { move(Dir::Up, OpenUp, P.RepeatY, P.HeroY, P.HeroDY, -1, Dir::Up); };
    auto down = [&] { move(Dir::Down, OpenDown, P.RepeatY, P.HeroY, P.HeroDY, 1, Dir::Down); };
    // The axis not moved along last is tried first, so a held
    // perpendicular direction wins and two held directions zig-zag.
    if (P.Facing == Dir::Up || P.Facing == Dir::Down) {
        left();
        right();
        up();
        down();
    }
    if (P.Facing == Dir::Right || P.Facing == Dir::Left) {
        up();
        down();
        left();
        right();
    }
}

// Stuck: the level is over. A move leaves the hero sliding, so this
// never fires in the update of a move.
void Match::EndLevelIfStuck() {
    PlayState& P = Play;
    if (!OpenUp && !OpenDown && !OpenLeft && !OpenRight && P.HeroDX == 0 && P.HeroDY == 0 &&
        P.LevelState == 0) {
        Emit(&MatchEvents::MusicStop);
        const bool won = P.Target - P.Eaten < 1;
        P.LevelState = won ? 1 : -1;
        if (EndReason == 0) TakeCheckpoint();
        if (Out) Out->LevelDecided(won);
    }
}

// A decided level runs two seconds, then the next level or the same one
// again for a life, or the game ends.
void Match::RunLevelEnd() {
    PlayState& P = Play;
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
            End(EndBy::LastLife);  // later calls are ignored
        }
    }
}
