// Small RGBA pictures written as PNG files into a scratch directory, for the
// image-loading tests and the renderer tests.
#pragma once

#include <gtest/gtest.h>
#include <lodepng.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

struct Picture {
    unsigned w = 0, h = 0;
    std::vector<unsigned char> px;

    Picture(unsigned width, unsigned height, unsigned char r = 0, unsigned char g = 0, unsigned char b = 0,
            unsigned char a = 255)
        : w(width), h(height), px(size_t(width) * height * 4) {
        for (size_t i = 0; i < px.size(); i += 4) {
            px[i] = r;
            px[i + 1] = g;
            px[i + 2] = b;
            px[i + 3] = a;
        }
    }
    void Set(unsigned x, unsigned y, unsigned char r, unsigned char g, unsigned char b, unsigned char a = 255) {
        unsigned char* p = &px[(size_t(y) * w + x) * 4];
        p[0] = r;
        p[1] = g;
        p[2] = b;
        p[3] = a;
    }
    void Fill(unsigned x0, unsigned y0, unsigned fw, unsigned fh, unsigned char r, unsigned char g, unsigned char b,
              unsigned char a = 255) {
        for (unsigned y = y0; y < y0 + fh; ++y)
            for (unsigned x = x0; x < x0 + fw; ++x) Set(x, y, r, g, b, a);
    }
};

// A per-process scratch directory (created on first use).
inline std::string ScratchDir() {
    static std::string dir;
    if (dir.empty()) {
        std::string templ = ::testing::TempDir() + "gobbit_draw_XXXXXX";
        std::vector<char> buf(templ.begin(), templ.end());
        buf.push_back('\0');
        dir = mkdtemp(buf.data()) ? buf.data() : ::testing::TempDir();
    }
    return dir;
}

inline std::string WritePicture(const std::string& name, const Picture& pic) {
    std::string path = ScratchDir() + "/" + name;
    lodepng::encode(path, pic.px, pic.w, pic.h);
    return path;
}

inline std::string WriteBytes(const std::string& name, const std::vector<unsigned char>& bytes) {
    std::string path = ScratchDir() + "/" + name;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    return path;
}
