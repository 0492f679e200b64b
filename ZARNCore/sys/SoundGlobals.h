// Tables of the sound effects and the music stream, shared by their source
// files and readable by tests.
#pragma once

#include <AL/al.h>

#include <cstdio>

#include "sys/ZARNSys.h"

// Effects: sources 0-30 in rotation, one buffer per slot.
struct EffectTable {
    // Slot last started on each source, -1 none.
    int ALsourcebuffer[32] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                              -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    int ALChannel = 0;  // source of the last effect
    ALuint ALbuffer[SoundSlots] = {};
    int ALbufferActive[SoundSlots] = {};
    // Per slot: data bytes, sample frames, channels, bytes per sample, rate.
    int SFXData[SoundSlots][10] = {};
    // When set, sees every block of samples handed to an effect's buffer:
    // OpenAL cannot give them back, and tests compare them.
    void (*EffectSamplesListener)(int slot, const unsigned char* data, int bytes) = nullptr;
};
extern EffectTable Effects;

// Music: source 31 fed from a ring of four buffers.
struct stb_vorbis;
constexpr int MusicSource = 31;
constexpr int MusicBlockBytes = 16384;   // one WAV refill
constexpr int MusicBlockShorts = 16384;  // one Ogg refill, interleaved
// The track playing: its open file and where its refills stand.
struct MusicStreamState {
    int MusicBufferTick = 0;        // refills of this track, from -3
    int MusicBufferStats[10] = {};  // [1] OpenAL format, [4] rate, [5] channels
    FILE* MusicFile = nullptr;
    stb_vorbis* OggFile = nullptr;
    long MusicFileBegin = 0;        // first byte of the WAV samples
    long MusicFileEnd = 0;          // one past their last byte
};
extern MusicStreamState Stream;

// Clamps a pitch, volume or pan; NaN becomes the lower bound.
inline float ClampSetting(float v, float lo, float hi) {
    if (!(v >= lo)) return lo;
    return v > hi ? hi : v;
}
