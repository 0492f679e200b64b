// Output writers: 16-bit PCM WAV for the effects, Ogg Vorbis for the music.
#pragma once

#include <string>
#include <vector>

namespace snd {

struct Stereo;

// Writes mono 16-bit PCM with the plain 44-byte header. Returns false on an I/O error.
bool writeWavMono(const std::string& path, const std::vector<float>& samples, int rate);

// Encodes a stereo buffer as Ogg Vorbis (VBR, quality -0.1 .. 1.0).
bool writeOgg(const std::string& path, const Stereo& audio, int rate, float quality);

}  // namespace snd
