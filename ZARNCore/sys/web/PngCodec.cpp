// PNG reading and writing for the browser build (see lodepng.h here).
#include "lodepng.h"

#include <climits>
#include <cstdio>
#include <cstring>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb/stb_image.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace {
constexpr unsigned Failed = 1;
}

unsigned lodepng::load_file(std::vector<unsigned char>& buffer, const std::string& filename) {
    buffer.clear();
    FILE* f = std::fopen(filename.c_str(), "rb");
    if (!f) return Failed;
    unsigned char block[65536];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0) buffer.insert(buffer.end(), block, block + n);
    bool bad = std::ferror(f) != 0;
    std::fclose(f);
    return bad ? Failed : 0;
}

unsigned lodepng::decode(std::vector<unsigned char>& out, unsigned& w, unsigned& h,
                         const std::vector<unsigned char>& in) {
    out.clear();
    if (in.empty() || in.size() > size_t(INT_MAX)) return Failed;
    int x = 0, y = 0, channels = 0;
    unsigned char* px = stbi_load_from_memory(in.data(), int(in.size()), &x, &y, &channels, 4);
    if (!px) return Failed;
    w = unsigned(x);
    h = unsigned(y);
    out.assign(px, px + size_t(w) * h * 4);
    stbi_image_free(px);
    return 0;
}

unsigned lodepng::encode(const std::string& filename, const unsigned char* in, unsigned w, unsigned h) {
    if (!in || w == 0 || h == 0 || w > unsigned(INT_MAX / 4)) return Failed;
    return stbi_write_png(filename.c_str(), int(w), int(h), 4, in, int(w * 4)) ? 0 : Failed;
}

unsigned lodepng_inspect(unsigned* w, unsigned* h, LodePNGState*, const unsigned char* in, std::size_t insize) {
    if (!in || insize > size_t(INT_MAX)) return Failed;
    int x = 0, y = 0, channels = 0;
    if (!stbi_info_from_memory(in, int(insize), &x, &y, &channels)) return Failed;
    *w = unsigned(x);
    *h = unsigned(y);
    return 0;
}
