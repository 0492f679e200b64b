// PNG reading and writing for the browser build (see lodepng.h here).
#include "lodepng.h"

#include <climits>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb/stb_image.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace {
constexpr unsigned Failed = 1;
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

unsigned lodepng::encode(std::vector<unsigned char>& out, const unsigned char* in, unsigned w, unsigned h) {
    out.clear();
    if (!in || w == 0 || h == 0 || w > unsigned(INT_MAX / 4)) return Failed;
    auto append = [](void* context, void* data, int size) {
        auto* to = static_cast<std::vector<unsigned char>*>(context);
        auto* bytes = static_cast<unsigned char*>(data);
        to->insert(to->end(), bytes, bytes + size);
    };
    return stbi_write_png_to_func(append, &out, int(w), int(h), 4, in, int(w * 4)) ? 0 : Failed;
}

unsigned lodepng_inspect(unsigned* w, unsigned* h, LodePNGState*, const unsigned char* in, std::size_t insize) {
    if (!in || insize > size_t(INT_MAX)) return Failed;
    int x = 0, y = 0, channels = 0;
    if (!stbi_info_from_memory(in, int(insize), &x, &y, &channels)) return Failed;
    *w = unsigned(x);
    *h = unsigned(y);
    return 0;
}
