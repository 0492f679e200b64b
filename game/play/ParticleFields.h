// The particle pool's record layout.
#pragma once

// Fields of one particle record (Particle[i][field]).
namespace PF {
enum : int { Kind, X, Y, VX, VY, Rot, Spin, Life, Hue, Frame };
}
constexpr int ParticleSlots = 256;  // of the 260 records only these are used
