// A fixture for gameplay tests: it starts every test from the framework
// values the game launches with and a cleared play state (the shared state
// is put back after every test, see SharedState.h). Boards can be drawn as
// text, or built as the game builds them.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "shell/MyGame.h"
#include "support/StateGuards.h"
#include "sys/ZARNSys.h"

class PlayFixture : public ::testing::Test {
protected:
    void SetUp() override {
        MyGame& g = ThisGame;
        // The game number enters every seeded random number: levels built
        // with anything but the launch values are not the levels played.
        g.SetLaunchValues();
        g.FlushGame();
        g.Overlay = Overlays::None;
        g.ScreenshotMode = 0;
        g.ScreenW = 800;
        g.ScreenH = 600;
        std::memset(ASys.Keyv, 0, sizeof ASys.Keyv);
        std::memset(ASys.Button, 0, sizeof ASys.Button);
        // Drawing records only for loaded slots: mark the sprite sheet, the
        // particles and the font (in its own slot, as the game loads it) as
        // loaded so the draw list shows what play drew.
        ASys.FontImage = 51;
        ASys.iFrames[Img::Sprites] = 1;
        ASys.iFrames[Img::Font] = 1;
        ASys.iFrames[Img::Particles] = 1;
        ASys.DrawTo = 0;
    }

    void TearDown() override {
        saved_.Restore();
        ASys.DrawTo = 0;
    }

    // Lays out a board from text rows, top row first, padded with walls:
    //   '#' wall, '.' pellet, 'o' power item, ',' regrown pellet,
    //   '_' fallen floor (no pellet), '>' and '<' one-way gates with pellets,
    //   'H' the hero's cell.
    // Every cell is in place and settled; play has started and the target
    // estimator is done.
    static void LayBoard(const std::vector<std::string>& rows, float target) {
        MyGame& g = ThisGame;
        PlayState& P = g.Play;
        P.BoardW = BoardCols;
        P.BoardH = BoardRows;
        for (int y = 0; y < BoardRows; ++y) {
            for (int x = 0; x < BoardCols; ++x) {
                char ch = y < int(rows.size()) && x < int(rows[y].size()) ? rows[y][x] : '#';
                BoardCell& c = g.Board[y * BoardPitch + x];
                c = BoardCell{};
                c.Settled = 1;
                c.Type = 16;
                switch (ch) {
                case '#': c.Type = 15; break;
                case '.': c.Pellet = 1; break;
                case 'o': c.Pellet = 2; break;
                case ',': c.Pellet = 3; break;
                case '>': c.Type = 20; c.Pellet = 1; break;
                case '<': c.Type = 24; c.Pellet = 1; break;
                case 'H':
                    P.HeroX = float(x);
                    P.HeroY = float(y);
                    break;
                default: break;  // '_': fallen floor
                }
            }
        }
        P.Facing = 1;
        P.PlayStarted = 1;
        P.PathRuns = 31;
        P.Target = target;
        P.Level = 1;
    }

public:
    // Builds a level as a game reaches it (a fresh game, then one level
    // after another) and lets the estimator set its target, as the first
    // 30 updates of the level do.
    static void BuildLevel(int difficulty, int level) {
        MyGame& g = ThisGame;
        g.FlushGame();
        g.Difficulty = difficulty;
        g.Play.Lives = 2;
        g.Play.Level = float(level - 1);
        g.GetLev(1);
        while (g.Play.PathRuns > 0 && g.Play.PathRuns < 31) g.FindPaths();
    }

protected:
    static BoardCell& At(int x, int y) { return ThisGame.Board[y * BoardPitch + x]; }

    static void Hold(int key, float value = 1.0f) { ASys.Keyv[0][key] = value; }
    static void ReleaseAll() { std::memset(ASys.Keyv, 0, sizeof ASys.Keyv); }

    // Number of particle slots in use among the 256.
    static int LiveParticles() {
        int n = 0;
        for (int i = 0; i < ParticleSlots; ++i)
            if (ThisGame.Scene.Particle[i].Kind != ParticleKind::Free) ++n;
        return n;
    }

private:
    StateGuard saved_;
};
