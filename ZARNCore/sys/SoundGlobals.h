// Tables of the sound effects and the music stream, shared by their source
// files and readable by tests.
#pragma once

#include <AL/al.h>

#include <cstdio>

#include "sys/ZARNSys.h"

// Effects: sources 0-30 in rotation, one buffer per slot.
extern int ALsourcebuffer[32];   // slot last started on each source, -1 none
extern int ALChannel;            // source of the last effect
extern ALuint ALbuffer[SoundSlots];
extern int ALbufferActive[SoundSlots];
// Per slot: data bytes, sample frames, channels, bytes per sample, rate.
extern int SFXData[SoundSlots][10];
// When set, sees every block of samples handed to an effect's buffer: OpenAL
// cannot give them back, and tests compare them.
extern void (*EffectSamplesListener)(int slot, const unsigned char* data, int bytes);

// Music: source 31 fed from a ring of four buffers.
struct stb_vorbis;
constexpr int MusicSource = 31;
constexpr int MusicBlockBytes = 16384;   // one WAV refill
constexpr int MusicBlockShorts = 16384;  // one Ogg refill, interleaved
extern int MusicBufferTick;     // refills of this track, from -3
extern int MusicBufferStats[10];  // [1] OpenAL format, [4] rate, [5] channels
extern FILE* MusicFile;
extern stb_vorbis* OggFile;
extern long MusicFileBegin;     // first byte of the WAV samples
extern long MusicFileEnd;       // one past their last byte

// Clamps a pitch, volume or pan; NaN becomes the lower bound.
inline float ClampSetting(float v, float lo, float hi) {
    if (!(v >= lo)) return lo;
    return v > hi ? hi : v;
}
