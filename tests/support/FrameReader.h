// Reads back the frame the renderer just drew (before it is presented), for
// renderer tests.
#pragma once

#include <cstddef>
#include <vector>

struct FramePixels {
    int w = 0, h = 0;
    std::vector<unsigned char> rgba;  // top row first

    // Pixel at column x, row y counted from the top; null outside the frame.
    const unsigned char* At(int x, int y) const {
        if (x < 0 || y < 0 || x >= w || y >= h) return nullptr;
        return &rgba[(size_t(y) * w + x) * 4];
    }
};

// The current back buffer of the game window.
FramePixels ReadBackBuffer();
