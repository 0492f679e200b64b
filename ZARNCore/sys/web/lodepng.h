// The browser build's stand-in for the few lodepng calls the platform layer
// makes (Debian ships lodepng only compiled for the desktop): PNG files are
// read with stb_image and written with stb_image_write, which give the same
// 8-bit RGBA pixels.
#pragma once

#include <cstddef>
#include <vector>

struct LodePNGState {};

namespace lodepng {

struct State : LodePNGState {};

// 0 on success, as lodepng's calls return. Both work in memory; the
// platform layer reads and writes the files itself.
unsigned decode(std::vector<unsigned char>& out, unsigned& w, unsigned& h, const std::vector<unsigned char>& in);
unsigned encode(std::vector<unsigned char>& out, const unsigned char* in, unsigned w, unsigned h);

}  // namespace lodepng

// The picture's size from its header, without decoding it.
unsigned lodepng_inspect(unsigned* w, unsigned* h, LodePNGState* state, const unsigned char* in, std::size_t insize);
