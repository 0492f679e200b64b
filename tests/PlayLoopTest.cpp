// The play loop driven update by update with the virtual keys set directly:
// moving, repeating, zig-zagging, wrapping, the end of a level (won, lost,
// game over), the rise at the start, and the display.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "CoreGlobals.h"
#include "support/PlayFixture.h"

namespace {

const char* const WallRow = "#########################";

class PlayLoop : public PlayFixture {
protected:
    static void Step() {
        ASys.DrawTo = 0;
        ThisGame.DoGame();
    }

    // Glyphs drawn with the font at canvas height y and x in [lo, hi].
    static std::string TextAt(float y, float lo = -1e9f, float hi = 1e9f) {
        std::string s;
        for (int i = 0; i < ASys.DrawTo; ++i) {
            const double* r = &ASys.Draw[i * DrawCmdSize];
            if (r[DrawField::Kind] != DrawKind::Image || r[DrawField::Slot] != ASys.FontImage) continue;
            double x = r[DrawField::X] + Canvas.rw2;
            if (std::fabs(r[DrawField::Y] + Canvas.rh2 - y) < 0.01 && x >= lo && x <= hi)
                s += char(32 + int(r[DrawField::Frame]));
        }
        return s;
    }

    // Sprite-sheet frames drawn this update, for frames in [lo, hi].
    static int SpriteCount(int lo, int hi) {
        int n = 0;
        for (int i = 0; i < ASys.DrawTo; ++i) {
            const double* r = &ASys.Draw[i * DrawCmdSize];
            if (r[DrawField::Kind] == DrawKind::Image && r[DrawField::Slot] == 0 && r[DrawField::Frame] >= lo &&
                r[DrawField::Frame] <= hi)
                ++n;
        }
        return n;
    }

    // The hero's record: the sprite drawn at depth 0.5.
    static const double* HeroRecord() {
        for (int i = 0; i < ASys.DrawTo; ++i) {
            const double* r = &ASys.Draw[i * DrawCmdSize];
            if (r[DrawField::Kind] == DrawKind::Image && r[DrawField::Slot] == 0 && r[DrawField::DepthA] == 0.5)
                return r;
        }
        return nullptr;
    }

    static int CountKind(int kind) {
        int n = 0;
        for (int i = 0; i < ParticleSlots; ++i)
            if (ThisGame.Scene.Particle[i].Kind == kind) ++n;
        return n;
    }
};

TEST_F(PlayLoop, FreshPressMovesAtOnceAndHeldKeyRepeats) {
    struct Case { bool fast; int gap; };
    for (const Case& c : {Case{false, 12}, Case{true, 5}}) {
        ThisGame.FlushGame();
        LayBoard({WallRow, "#H......................#"}, 100);
        ReleaseAll();
        Hold(Pad::Right);
        if (c.fast) Hold(Pad::Button1);
        std::vector<int> moves;
        float x = ThisGame.Play.HeroX;
        for (int u = 1; u <= 40; ++u) {
            Step();
            if (ThisGame.Play.HeroX != x) {
                moves.push_back(u);
                EXPECT_EQ(ThisGame.Play.HeroX, x + 1);
                EXPECT_EQ(ThisGame.Play.HeroDX, -1);  // drawn sliding in from the left
            }
            x = ThisGame.Play.HeroX;
        }
        ASSERT_GE(moves.size(), 3u) << "fast " << c.fast;
        EXPECT_EQ(moves[0], 1) << "fast " << c.fast;
        for (size_t i = 1; i < moves.size(); ++i) EXPECT_EQ(moves[i] - moves[i - 1], c.gap) << "fast " << c.fast;
    }

    // Let go once the slide is over, press again: it moves straight away.
    ThisGame.FlushGame();
    LayBoard({WallRow, "#H......................#"}, 100);
    ReleaseAll();
    Hold(Pad::Right);
    Step();
    for (int u = 0; u < 7; ++u) Step();
    EXPECT_EQ(ThisGame.Play.HeroX, 2);
    EXPECT_EQ(ThisGame.Play.HeroDX, 0);
    ReleaseAll();
    Step();
    Hold(Pad::Right);
    Step();
    EXPECT_EQ(ThisGame.Play.HeroX, 3);
}

TEST_F(PlayLoop, TheCellLeftBehindFallsOutOfSightAndStaysShut) {
    LayBoard({WallRow, "#.H...#"}, 40);
    Hold(Pad::Right);
    Step();
    ASSERT_EQ(ThisGame.Play.HeroX, 3);
    ReleaseAll();
    EXPECT_GT(At(2, 1).Speed, 0) << "the cell left starts to fall";
    float last = At(2, 1).Offset;
    for (int u = 0; u < 60; ++u) {
        Step();
        EXPECT_GE(At(2, 1).Offset, last) << "update " << u;
        last = At(2, 1).Offset;
    }
    EXPECT_EQ(At(2, 1).Offset, 128) << "dropped out of sight";
    EXPECT_EQ(At(2, 1).Speed, 0);
    EXPECT_EQ(At(3, 1).Offset, 0) << "the hero's cell stays put";

    // Nothing leads back onto it.
    Hold(Pad::Left);
    for (int u = 0; u < 20; ++u) Step();
    EXPECT_EQ(ThisGame.Play.HeroX, 3);
    EXPECT_EQ(ThisGame.OpenLeft, 0);
}

TEST_F(PlayLoop, HeldPerpendicularWinsAndTwoDirectionsZigZag) {
    std::vector<std::string> rows = {WallRow};
    for (int y = 1; y < 14; ++y) rows.push_back("#.......................#");
    rows[2][3] = 'H';
    LayBoard(rows, 100);
    ASSERT_EQ(ThisGame.Play.Facing, 1);  // last move: right
    Hold(Pad::Right);
    Hold(Pad::Down);
    std::string path;
    float x = ThisGame.Play.HeroX, y = ThisGame.Play.HeroY;
    for (int u = 0; u < 100 && path.size() < 6; ++u) {
        Step();
        if (ThisGame.Play.HeroX != x) path += 'R';
        if (ThisGame.Play.HeroY != y) path += 'D';
        x = ThisGame.Play.HeroX;
        y = ThisGame.Play.HeroY;
    }
    EXPECT_EQ(path, "DRDRDR");

    // Holding into a wall does nothing.
    ThisGame.FlushGame();
    LayBoard({WallRow, "#H.#"}, 100);
    ReleaseAll();
    Hold(Pad::Left);
    for (int u = 0; u < 20; ++u) Step();
    EXPECT_EQ(ThisGame.Play.HeroX, 1);
    EXPECT_EQ(ThisGame.Play.LevelState, 0);
}

TEST_F(PlayLoop, LeavingColumn24ToTheRightLandsInColumn0) {
    LayBoard({WallRow, ".#######################H", WallRow}, 100);
    Hold(Pad::Right);
    Step();
    EXPECT_EQ(ThisGame.Play.HeroX, 0);
    EXPECT_EQ(ThisGame.Play.HeroDX, -1);
    EXPECT_EQ(At(0, 1).Pellet, 0);
    EXPECT_EQ(ThisGame.Play.Eaten, 1);
    // Drawn sliding in from one cell beyond the left edge of the board.
    MyGame::BoardView v = ThisGame.PlayLayout();
    const double* hero = HeroRecord();
    ASSERT_NE(hero, nullptr);
    EXPECT_EQ(hero[1] + Canvas.rw2, int(v.x0 - v.cell));
    EXPECT_EQ(hero[2] + Canvas.rh2, int(v.y0 + v.cell));
}

TEST_F(PlayLoop, LevelEndsOnlyOnceTheHeroHasStopped) {
    for (float target : {1.0f, 5.0f}) {
        ThisGame.FlushGame();
        LayBoard({WallRow, "#H..#"}, target);
        Hold(Pad::Right);
        bool ended = false;
        int moves = 0;
        float x = ThisGame.Play.HeroX;
        for (int u = 0; u < 60 && !ended; ++u) {
            Step();
            const PlayState& P = ThisGame.Play;
            if (P.HeroX != x) {
                ++moves;
                EXPECT_EQ(P.LevelState, 0) << "ended in the update of a move";
            }
            if (P.HeroDX != 0) {
                EXPECT_EQ(P.LevelState, 0) << "ended while sliding";
            }
            if (P.LevelState != 0) {
                ended = true;
                EXPECT_EQ(P.HeroX, 3);
                EXPECT_EQ(P.LevelState, target <= 2 ? 2 : -2);  // counted in the same update
            }
            x = P.HeroX;
        }
        EXPECT_TRUE(ended);
        EXPECT_EQ(moves, 2);
    }
}

TEST_F(PlayLoop, WinningBuildsTheNextLevelKeepingScoreAndLives) {
    ThisGame.Difficulty = 2;
    LayBoard({WallRow, "#H.#"}, 1);
    ThisGame.Play.Lives = 2;
    Hold(Pad::Right);
    float last = 0;
    int sparks = 0;
    for (int u = 0; u < 200 && ThisGame.Play.Level == 1; ++u) {
        last = ThisGame.Play.LevelState;
        Step();
        if (ThisGame.Play.LevelState > 0) sparks = CountKind(ParticleKind::Spark);
    }
    const PlayState& P = ThisGame.Play;
    EXPECT_EQ(last, 120);  // rebuilt in the update that passes 120
    EXPECT_EQ(P.Level, 2);
    EXPECT_EQ(P.Lives, 2);
    EXPECT_EQ(P.Score, 2);
    EXPECT_EQ(P.LevelState, 0);
    EXPECT_EQ(P.PlayStarted, 0);
    EXPECT_EQ(P.PathRuns, 1);
    EXPECT_GT(sparks, 100);  // one per update while the win counts
}

TEST_F(PlayLoop, LosingWithALifeLeftBlinksItAndRebuildsTheLevel) {
    ThisGame.Difficulty = 2;
    LayBoard({WallRow, "#H.#"}, 10);
    ThisGame.Play.Lives = 2;
    Hold(Pad::Right);
    bool sawOne = false, sawTwo = false;
    float last = 0;
    for (int u = 0; u < 200 && ThisGame.Play.Lives == 2; ++u) {
        last = ThisGame.Play.LevelState;
        Step();
        const float ls = ThisGame.Play.LevelState;
        const int icons = SpriteCount(29, 29);
        if (ls < 0) {
            EXPECT_EQ(icons, int(std::fabs(ls)) % 30 < 15 ? 1 : 2) << "state " << ls;
            sawOne |= icons == 1;
            sawTwo |= icons == 2;
        } else if (ThisGame.Play.Lives == 2) {
            EXPECT_EQ(icons, 2);
        }
        if (ls == -2) {
            EXPECT_EQ(CountKind(ParticleKind::Debris), 2);  // debris, two per update
        }
    }
    EXPECT_TRUE(sawOne && sawTwo);
    EXPECT_EQ(last, -120);
    const PlayState& P = ThisGame.Play;
    EXPECT_EQ(P.Lives, 1);
    EXPECT_EQ(P.Level, 1);  // the same level again
    EXPECT_EQ(P.LevelState, 0);
    EXPECT_EQ(P.PathRuns, 1);
    EXPECT_EQ(ThisGame.EndReason, 0);
}

TEST_F(PlayLoop, LosingTheLastLifeEndsTheGame) {
    ThisGame.Difficulty = 2;
    LayBoard({WallRow, "#H.#"}, 10);
    ThisGame.Play.Lives = 0;
    Hold(Pad::Right);
    for (int u = 0; u < 200 && ThisGame.EndReason == 0; ++u) {
        Step();
        EXPECT_EQ(SpriteCount(29, 29), 0);
        if (ThisGame.EndReason == 0) {
            EXPECT_GE(ThisGame.Play.LevelState, -120);
        }
    }
    EXPECT_EQ(ThisGame.EndReason, 1);
    EXPECT_EQ(ThisGame.EndBanner, 1);
    EXPECT_EQ(ThisGame.Play.LevelState, -121);
    // Play runs on under the banner, without the board and without a rebuild.
    for (int u = 0; u < 10; ++u) Step();
    EXPECT_EQ(ThisGame.EndReason, 1);
    EXPECT_EQ(ThisGame.Play.Level, 1);
    EXPECT_EQ(ThisGame.Play.Lives, 0);
    EXPECT_EQ(ThisGame.Play.LevelState, -131);
    EXPECT_EQ(SpriteCount(70, 97), 0);
    EXPECT_NE(HeroRecord(), nullptr);
}

TEST_F(PlayLoop, BoardRisesWhileTheTargetIsWorkedOutThenPlayStarts) {
    ThisGame.Difficulty = 2;
    ThisGame.GetLev(1);
    for (int k = 0; k < 4; ++k) Hold(k);  // held all along: ignored during the rise
    const float x = ThisGame.Play.HeroX, y = ThisGame.Play.HeroY;
    int updates = 0;
    while (ThisGame.Play.PlayStarted == 0 && updates < 500) {
        Step();
        ++updates;
        if (updates == 29) {
            EXPECT_EQ(ThisGame.Play.Target, 0);
        }
        if (updates == 30) {
            EXPECT_GT(ThisGame.Play.Target, 0);
        }
        if (ThisGame.Play.PlayStarted == 0) {
            EXPECT_EQ(ThisGame.Play.HeroX, x);
            EXPECT_EQ(ThisGame.Play.HeroY, y);
        }
    }
    EXPECT_GT(updates, 30);
    EXPECT_EQ(ThisGame.Play.Target, 60);
    for (int cy = 0; cy < BoardRows; ++cy)
        for (int cx = 0; cx < BoardCols; ++cx) {
            ASSERT_EQ(At(cx, cy).Offset, 0);
            ASSERT_EQ(At(cx, cy).Settled, 1);
        }
}

TEST_F(PlayLoop, DisplayShowsPelletsToEatThenTheBonus) {
    struct Case { float target, eaten; const char* shown; };
    const Case cases[] = {
        {60, 0, "Eat 60"}, {60, 59, "Eat 1"}, {60, 60, "Bonus 0"}, {60, 66, "Bonus 30"}, {0, 0, ""},
    };
    for (const Case& c : cases) {
        ThisGame.FlushGame();
        LayBoard({WallRow, "#H.#"}, c.target);
        ThisGame.Play.Eaten = c.eaten;
        Step();
        EXPECT_EQ(TextAt(32), c.shown);
    }
    // A short screen puts the count in the thin band at the top.
    ThisGame.ScreenH = 400;
    Step();
    EXPECT_EQ(TextAt(16, 0, 600), "");
    ThisGame.Play.Target = 60;
    Step();
    EXPECT_EQ(TextAt(16, 0, 600), "Eat 60");
}

TEST_F(PlayLoop, ScoreEasesTowardThePoints) {
    LayBoard({WallRow, "#H#"}, 60);
    ThisGame.Play.Score = 100;
    float shown = 0;
    int updates = 0;
    while (ThisGame.Play.ShownScore != 100 && updates < 50) {
        Step();
        ++updates;
        const float now = ThisGame.Play.ShownScore;
        EXPECT_GT(now, shown);
        EXPECT_LE(now, 100);
        EXPECT_EQ(TextAt(16, 600), std::to_string(int(std::floor(now))));
        shown = now;
    }
    EXPECT_EQ(ThisGame.Play.ShownScore, 100);
    EXPECT_LT(updates, 20);
    EXPECT_EQ(ThisGame.Play.ShownScore, 100);

    // Screenshot mode hides the display; the score keeps easing.
    ThisGame.ScreenshotMode = 1;
    ThisGame.Play.Score = 200;
    Step();
    EXPECT_EQ(ThisGame.Play.ShownScore, 125);
    EXPECT_EQ(TextAt(16), "");
    EXPECT_EQ(SpriteCount(29, 29), 0);
}

}  // namespace
