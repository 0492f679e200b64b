// A fixture for gameplay tests: it saves the parts of the global game and
// platform objects that play touches, starts every test from a cleared play
// state, and puts everything back afterwards. Boards can be drawn as text.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "shell/MyGame.h"
#include "sys/ZARNSys.h"

class PlayFixture : public ::testing::Test {
protected:
    void SetUp() override {
        MyGame& g = ThisGame;
        std::memcpy(savedBoard_, g.Board, sizeof savedBoard_);
        savedPlay_ = g.Play;
        std::memcpy(savedParticles_, g.Particle, sizeof savedParticles_);
        savedInts_ = {g.Difficulty, g.GameMode, g.Overlay, g.Paused, g.EndReason, g.EndBanner,
                      g.Settings[100], g.ScreenshotMode, g.LoadTo, g.PauseChoice, g.ShowPauseIcon};
        savedEndTimer_ = g.EndTimer;
        savedW_ = g.ScreenW;
        savedH_ = g.ScreenH;
        std::memcpy(savedKeyLock_, g.KeyLock, sizeof savedKeyLock_);
        std::memcpy(savedTouchLock_, g.TouchLock, sizeof savedTouchLock_);
        std::memcpy(savedKeyv_, ASys.Keyv, sizeof savedKeyv_);
        std::memcpy(savedButton_, ASys.Button, sizeof savedButton_);
        std::memcpy(savedFrames_, ASys.iFrames, sizeof savedFrames_);

        g.FlushGame();
        g.Overlay = 0;
        g.ScreenshotMode = 0;
        g.ScreenW = 800;
        g.ScreenH = 600;
        std::memset(ASys.Keyv, 0, sizeof ASys.Keyv);
        std::memset(ASys.Button, 0, sizeof ASys.Button);
        // Drawing records only for loaded slots: mark the sprite sheet, the
        // particles and the font (in its own slot, as the game loads it) as
        // loaded so the draw list shows what play drew.
        savedFont_ = ASys.FontImage;
        ASys.FontImage = 51;
        ASys.iFrames[0] = 1;
        ASys.iFrames[51] = 1;
        ASys.iFrames[55] = 1;
        ASys.DrawTo = 0;
    }

    void TearDown() override {
        MyGame& g = ThisGame;
        std::memcpy(g.Board, savedBoard_, sizeof savedBoard_);
        g.Play = savedPlay_;
        std::memcpy(g.Particle, savedParticles_, sizeof savedParticles_);
        g.Difficulty = savedInts_[0];
        g.GameMode = savedInts_[1];
        g.Overlay = savedInts_[2];
        g.Paused = savedInts_[3];
        g.EndReason = savedInts_[4];
        g.EndBanner = savedInts_[5];
        g.Settings[100] = savedInts_[6];
        g.ScreenshotMode = savedInts_[7];
        g.LoadTo = savedInts_[8];
        g.PauseChoice = savedInts_[9];
        g.ShowPauseIcon = savedInts_[10];
        g.EndTimer = savedEndTimer_;
        g.ScreenW = savedW_;
        g.ScreenH = savedH_;
        std::memcpy(g.KeyLock, savedKeyLock_, sizeof savedKeyLock_);
        std::memcpy(g.TouchLock, savedTouchLock_, sizeof savedTouchLock_);
        std::memcpy(ASys.Keyv, savedKeyv_, sizeof savedKeyv_);
        std::memcpy(ASys.Button, savedButton_, sizeof savedButton_);
        std::memcpy(ASys.iFrames, savedFrames_, sizeof savedFrames_);
        ASys.FontImage = savedFont_;
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

    static BoardCell& At(int x, int y) { return ThisGame.Board[y * BoardPitch + x]; }

    static void Hold(int key, float value = 1.0f) { ASys.Keyv[0][key] = value; }
    static void ReleaseAll() { std::memset(ASys.Keyv, 0, sizeof ASys.Keyv); }

    // Number of particle slots in use among the 256.
    static int LiveParticles() {
        int n = 0;
        for (int i = 0; i < ParticleSlots; ++i)
            if (ThisGame.Particle[i][PF::Kind] != 0) ++n;
        return n;
    }

private:
    BoardCell savedBoard_[BoardRows * BoardPitch];
    PlayState savedPlay_;
    float savedParticles_[260][10];
    std::vector<int> savedInts_;
    float savedEndTimer_ = 0, savedW_ = 0, savedH_ = 0;
    int savedKeyLock_[100], savedTouchLock_[100];
    float savedKeyv_[8][16];
    int savedButton_[128];
    int savedFrames_[ImageSlots];
    int savedFont_ = 0;
};
