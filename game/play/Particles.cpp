// A small fixed pool of sparks, debris and floating score numbers, moved and
// drawn once per update on every screen. A full pool drops new particles.
#include "shell/MyGame.h"

// First free slot, lowest first, or -1 when the pool is full.
static int FreeParticle(const ParticleRecord* pool) {
    for (int i = 0; i < ParticleSlots; ++i)
        if (pool[i].Kind == ParticleKind::Free) return i;
    return -1;
}

void MyGame::Gimme(int points) { Rules.Gimme(points); }

void MyGame::Gimme(int points, float x, float y) { Gimme(points, x, y, 60); }

void MyGame::Gimme(int points, float x, float y, float hue) {
    Gimme(points);
    PopUp(points, x, y, hue);
}

void MyGame::PopUp(int points, float x, float y, float hue) {
    int i = FreeParticle(Scene.Particle);
    if (i < 0) return;
    ParticleRecord& p = Scene.Particle[i];
    p.Kind = ParticleKind::PopUp;
    p.X = x;
    p.Y = y;
    p.VX = p.VY = p.Rot = p.Spin = 0;
    p.Life = 1.5f;
    p.Hue = hue;
    p.Frame = float(points);
}

void MyGame::ThrowParticle(float x, float y, float hue, int group, int kind, float angle, float speed) {
    int i = FreeParticle(Scene.Particle);
    if (i < 0) return;
    ParticleRecord& p = Scene.Particle[i];
    p.Kind = float(kind);
    p.X = x;
    p.Y = y;
    p.VX = Sin(angle) * speed;
    p.VY = -Cos(angle) * speed;  // angle 0 is straight up
    p.Rot = Rnd(0, 360);
    p.Spin = Rnd(-2, 2);
    p.Life = 1.5f;
    p.Hue = hue;
    int g = group % 12;
    if (g < 0) g += 12;
    p.Frame = float(Rand(0, 11) + g * 12);
}

void MyGame::DoParticles() {
    ResetDraw();
    SetSize(0.5f);
    for (int i = 0; i < ParticleSlots; ++i) {
        ParticleRecord& p = Scene.Particle[i];
        if (p.Kind <= ParticleKind::Free) continue;
        p.X += p.VX;
        p.Y += p.VY;
        p.Rot = Mod(p.Rot + p.Spin, 360);
        float fade = 0.02f;
        if (p.Kind == ParticleKind::Debris) {  // debris slows down in the air
            p.VX *= 0.98f;
            p.VY *= 0.98f;
        }
        InkRot(p.Hue);
        Alpha(p.Life);
        SetRot(p.Rot);
        if (p.Kind < ParticleKind::FirstNumber)
            DrawImg(Img::Particles, p.X - Scene.ViewX, p.Y - Scene.ViewY, int(p.Frame));
        if (p.Kind == ParticleKind::PopUp) {
            p.VY -= 0.05f;  // pop-ups float upward, faster and faster
            Text(p.X - Scene.ViewX, p.Y - Scene.ViewY, fstr("%i", int(p.Frame)), 1.0f);
            fade = 0.05f;
        }
        p.Life -= fade;
        if (p.Life < 0) p.Kind = ParticleKind::Free;
    }
}
