// A small fixed pool of sparks, debris and floating score numbers, moved and
// drawn once per update on every screen. A full pool drops new particles.
#include "shell/MyGame.h"

// First free slot, lowest first, or -1 when the pool is full.
static int FreeParticle(float (*pool)[10]) {
    for (int i = 0; i < ParticleSlots; ++i)
        if (pool[i][PF::Kind] == 0) return i;
    return -1;
}

void MyGame::Gimme(int points) { Rules.Gimme(points); }

void MyGame::Gimme(int points, float x, float y) { Gimme(points, x, y, 60); }

void MyGame::Gimme(int points, float x, float y, float hue) {
    Gimme(points);
    PopUp(points, x, y, hue);
}

void MyGame::PopUp(int points, float x, float y, float hue) {
    int i = FreeParticle(Particle);
    if (i < 0) return;
    float* p = Particle[i];
    p[PF::Kind] = 99;
    p[PF::X] = x;
    p[PF::Y] = y;
    p[PF::VX] = p[PF::VY] = p[PF::Rot] = p[PF::Spin] = 0;
    p[PF::Life] = 1.5f;
    p[PF::Hue] = hue;
    p[PF::Frame] = float(points);
}

void MyGame::ThrowParticle(float x, float y, float hue, int group, int kind, float angle, float speed) {
    int i = FreeParticle(Particle);
    if (i < 0) return;
    float* p = Particle[i];
    p[PF::Kind] = float(kind);
    p[PF::X] = x;
    p[PF::Y] = y;
    p[PF::VX] = Sin(angle) * speed;
    p[PF::VY] = -Cos(angle) * speed;  // angle 0 is straight up
    p[PF::Rot] = Rnd(0, 360);
    p[PF::Spin] = Rnd(-2, 2);
    p[PF::Life] = 1.5f;
    p[PF::Hue] = hue;
    int g = group % 12;
    if (g < 0) g += 12;
    p[PF::Frame] = float(Rand(0, 11) + g * 12);
}

void MyGame::DoParticles() {
    ResetDraw();
    SetSize(0.5f);
    for (int i = 0; i < ParticleSlots; ++i) {
        float* p = Particle[i];
        if (p[PF::Kind] <= 0) continue;
        p[PF::X] += p[PF::VX];
        p[PF::Y] += p[PF::VY];
        p[PF::Rot] = Mod(p[PF::Rot] + p[PF::Spin], 360);
        float fade = 0.02f;
        if (p[PF::Kind] == 4) {  // debris slows down in the air
            p[PF::VX] *= 0.98f;
            p[PF::VY] *= 0.98f;
        }
        InkRot(p[PF::Hue]);
        Alpha(p[PF::Life]);
        SetRot(p[PF::Rot]);
        if (p[PF::Kind] < 90) DrawImg(Img::Particles, p[PF::X] - ViewX, p[PF::Y] - ViewY, int(p[PF::Frame]));
        if (p[PF::Kind] == 99) {
            p[PF::VY] -= 0.05f;  // pop-ups float upward, faster and faster
            Text(p[PF::X] - ViewX, p[PF::Y] - ViewY, fstr("%i", int(p[PF::Frame])), 1.0f);
            fade = 0.05f;
        }
        p[PF::Life] -= fade;
        if (p[PF::Life] < 0) p[PF::Kind] = 0;
    }
}
