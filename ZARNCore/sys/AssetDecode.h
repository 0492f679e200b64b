// Loading an image or a sound effect in two halves: the slow half (reading
// the file, decoding, repacking) touches no shared state and may run on a
// worker; the quick half fills the slot on the main thread and writes the
// log lines the slow half collected, in the order a one-piece load writes
// them. Either way the slot and the log come out the same.
#pragma once

#include <string>
#include <vector>

// A PNG decoded and laid out as the slot's texture, not yet in a slot.
struct PreparedImage {
    std::vector<std::string> Lines;  // log lines, in order
    bool Decoded = false;            // false: the file could not be read as a PNG
    bool FrameOk = false;            // the frame size was accepted
    enum { None, Single, Sheet } Kind = None;
    std::vector<unsigned char> Pixels;  // the whole texture
    unsigned F = 0;                     // frame size asked for
    int Side = 0, Frames = 0, PerRow = 0, Cell = 0;
};

PreparedImage PrepareImage(const char* path, unsigned F);
// Puts a prepared image in a slot (0-99) already marked empty, logging its
// lines; the pixels move into the slot.
void InstallImage(int slot, PreparedImage& img);

// A WAV file read into what its slot's buffer is given, chunk by chunk.
struct PreparedWave {
    struct Step {
        std::string Line;  // a message, or empty for a data chunk
        std::vector<unsigned char> Data;
        int Channels = 0, BytesPerSample = 0, Rate = 0, ALFormat = 0, FrameBytes = 1;
    };
    bool Opened = false;
    std::vector<Step> Steps;
};

PreparedWave PrepareWave(const char* path);
