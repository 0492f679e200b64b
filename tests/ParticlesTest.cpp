// The particle pool: allocation lowest first, a full pool dropping new ones
// (but not the points), lifetimes, motion and frame groups.
#include <gtest/gtest.h>

#include <cmath>

#include "support/PlayFixture.h"

using Particles = PlayFixture;

TEST_F(Particles, FullPoolStillScoresAndFreedSlotsAreReusedLowestFirst) {
    for (int i = 0; i < ParticleSlots; ++i) ThisGame.Gimme(1, 0, 0);
    EXPECT_EQ(ThisGame.Play.Score, 256);
    EXPECT_EQ(LiveParticles(), 256);
    ThisGame.Gimme(20, 10, 10);
    ThisGame.ThrowParticle(10, 10, 0, 0, ParticleKind::Spark, 0, 4);
    EXPECT_EQ(ThisGame.Play.Score, 276);
    for (int i = ParticleSlots; i < 260; ++i) EXPECT_EQ(ThisGame.Scene.Particle[i].Kind, 0);

    ThisGame.Scene.Particle[3].Kind = 0;
    ThisGame.Scene.Particle[7].Kind = 0;
    ThisGame.Gimme(5, 40, 50, 120);
    const ParticleRecord& p = ThisGame.Scene.Particle[3];
    EXPECT_EQ(p.Kind, ParticleKind::PopUp);
    EXPECT_EQ(p.Frame, 5);
    EXPECT_EQ(p.X, 40);
    EXPECT_EQ(p.Y, 50);
    EXPECT_EQ(p.Hue, 120);
    EXPECT_EQ(p.Life, 1.5f);
    EXPECT_EQ(ThisGame.Scene.Particle[7].Kind, 0);
}

TEST_F(Particles, LifetimesAndMotionByKind) {
    struct Case { const char* what; int kind; int lives; };
    const Case cases[] = {{"pop-up", ParticleKind::PopUp, 31}, {"spark", ParticleKind::Spark, 76}, {"debris", ParticleKind::Debris, 76}};
    for (const Case& c : cases) {
        ThisGame.FlushGame();
        if (c.kind == ParticleKind::PopUp)
            ThisGame.Gimme(5, 100, 100);
        else
            ThisGame.ThrowParticle(100, 100, 60, 0, c.kind, 90, 4);
        if (c.kind == ParticleKind::Debris) {
            // Spinning backwards through 0.
            ThisGame.Scene.Particle[0].Rot = 1;
            ThisGame.Scene.Particle[0].Spin = -1.5f;
        }
        const ParticleRecord& p = ThisGame.Scene.Particle[0];
        float lastVY = p.VY, lastVX = p.VX, lastY = p.Y, lastRot = p.Rot;
        for (int u = 1; u <= c.lives; ++u) {
            ASys.DrawTo = 0;
            ThisGame.DoParticles();
            if (u < c.lives) {
                ASSERT_NE(p.Kind, 0) << c.what << " gone early, update " << u;
                if (c.kind == ParticleKind::PopUp) {
                    EXPECT_LT(p.VY, lastVY) << c.what;  // rising faster and faster
                    if (u > 1) {
                        EXPECT_LT(p.Y, lastY) << c.what;
                    }
                } else if (c.kind == ParticleKind::Debris) {
                    EXPECT_FLOAT_EQ(p.VX, lastVX * 0.98f) << c.what;
                } else {
                    EXPECT_EQ(p.VX, lastVX) << c.what;
                }
                // Turned by its spin and kept within one turn; the remainder
                // keeps the sign, so a spin backwards past 0 goes negative.
                EXPECT_FLOAT_EQ(p.Rot, std::fmod(lastRot + p.Spin, 360.0f)) << c.what;
                EXPECT_LT(std::fabs(p.Rot), 360) << c.what;
            }
            lastRot = p.Rot;
            lastVY = p.VY;
            lastVX = p.VX;
            lastY = p.Y;
        }
        EXPECT_EQ(p.Kind, 0) << c.what << " still alive after " << c.lives;
    }
}

TEST_F(Particles, ThrowAimsByAngleAndPicksFramesFromItsGroup) {
    struct Case { int group; float angle, vx, vy; };
    const Case cases[] = {{0, 0, 0, -6}, {14, 90, 6, 0}, {-1, 180, 0, 6}, {11, 270, -6, 0}};
    for (const Case& c : cases) {
        for (int i = 0; i < 20; ++i) {
            ThisGame.FlushGame();
            ThisGame.ThrowParticle(1, 2, 30, c.group, ParticleKind::Debris, c.angle, 6);
            const ParticleRecord& p = ThisGame.Scene.Particle[0];
            int g = ((c.group % 12) + 12) % 12;
            EXPECT_GE(p.Frame, g * 12) << "group " << c.group;
            EXPECT_LE(p.Frame, g * 12 + 11) << "group " << c.group;
            EXPECT_NEAR(p.VX, c.vx, 1e-4) << "angle " << c.angle;
            EXPECT_NEAR(p.VY, c.vy, 1e-4) << "angle " << c.angle;
            EXPECT_GE(p.Spin, -2);
            EXPECT_LT(p.Spin, 2);
        }
    }
}

TEST_F(Particles, PopUpShowsItsNumberAndSpritesDrawFromTheParticleSheet) {
    ThisGame.Gimme(57, 300, 200);
    ThisGame.ThrowParticle(10, 10, 0, 2, ParticleKind::Spark, 0, 5);
    ThisGame.DoParticles();
    int sprites = 0;
    std::string text;
    for (int i = 0; i < ASys.DrawTo; ++i) {
        const double* r = &ASys.Draw[i * DrawCmdSize];
        if (r[DrawField::Kind] != DrawKind::Image) continue;
        if (r[DrawField::Slot] == 55) ++sprites;
        if (r[DrawField::Slot] == ASys.FontImage) text += char(32 + int(r[DrawField::Frame]));
    }
    EXPECT_EQ(sprites, 1);
    EXPECT_EQ(text, "57");
}
