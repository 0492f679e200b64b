#include "support/FrameReader.h"

#include <GL/gl.h>

#include <cstring>

FramePixels ReadBackBuffer() {
    FramePixels f;
    GLint view[4] = {};
    glGetIntegerv(GL_VIEWPORT, view);
    f.w = view[2];
    f.h = view[3];
    if (f.w <= 0 || f.h <= 0) return f;
    std::vector<unsigned char> raw(size_t(f.w) * f.h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, f.w, f.h, GL_RGBA, GL_UNSIGNED_BYTE, raw.data());
    f.rgba.resize(raw.size());
    for (int y = 0; y < f.h; ++y)
        std::memcpy(&f.rgba[size_t(y) * f.w * 4], &raw[size_t(f.h - 1 - y) * f.w * 4], size_t(f.w) * 4);
    return f;
}
