// The particle pool's record.
#pragma once

// What a particle is; a free slot has Kind 0. Kinds below FirstNumber are
// sprites, the rest draw their Frame as a number.
namespace ParticleKind {
enum : int { Free = 0, Spark = 1, Debris = 4, FirstNumber = 90, PopUp = 99 };
}

// One slot of the pool: ten floats, in this order.
struct ParticleRecord {
    float Kind;    // a ParticleKind
    float X, Y;    // position in canvas units
    float VX, VY;  // velocity per update
    float Rot;     // degrees
    float Spin;    // change of Rot per update
    float Life;    // opacity left; the slot is freed below 0
    float Hue;     // tint, through InkRot
    float Frame;   // sprite frame, or the number a pop-up shows
};
static_assert(sizeof(ParticleRecord) == 10 * sizeof(float), "a particle is ten floats");

constexpr int ParticleSlots = 256;  // of the 260 records only these are used
