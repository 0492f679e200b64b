// The built pictures must be files the image loader can use as the game asks
// for them, with art in every frame the game draws, wall pieces that join the
// way their letters say, and glyphs that fit the font's advance widths.
#include <gtest/gtest.h>
#include <lodepng.h>

#include <string>
#include <vector>

#include "shell/MyGame.h"
#include "sys/ZARNSys.h"

namespace {

struct Png {
    unsigned w = 0, h = 0;
    std::vector<unsigned char> px;
    unsigned error = 0;
    const unsigned char* at(unsigned x, unsigned y) const { return &px[(size_t(y) * w + x) * 4]; }
};

Png Load(const std::string& name) {
    Png p;
    p.error = lodepng::decode(p.px, p.w, p.h, std::string(GOBBIT_BUILD_DIR) + "/Data/564/" + name);
    return p;
}

// Opaque pixels inside frame k of a sheet with f-pixel frames.
int InkIn(const Png& p, int f, int k) {
    unsigned cols = p.w / f, x0 = (k % cols) * f, y0 = (k / cols) * f;
    int n = 0;
    for (unsigned y = y0; y < y0 + f; ++y)
        for (unsigned x = x0; x < x0 + f; ++x) n += p.at(x, y)[3] > 0;
    return n;
}

struct Asset {
    const char* file;
    int frame;               // frame size the game loads it with
    int frames;              // frames the sheet must hold (1 for a single image)
    std::vector<int> drawn;  // frames the game draws, which must not be empty
};

std::vector<int> Range(int a, int b) {
    std::vector<int> v;
    for (int i = a; i <= b; ++i) v.push_back(i);
    return v;
}
std::vector<int> Join(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Asset kAssets[] = {
    {"entplain.png", 32, 96, Range(1, 94)},
    {"gfx.png", 16, 98, Join(Join(Join(Range(0, 17), {20, 21, 22, 29}), Range(70, 86)), Range(90, 97))},
    {"icons.png", 64, 9, {0, 1, 3, 4, 5, 8}},
    {"options.png", 32, 12, {0, 1, 2, 3, 6, 7, 8, 10, 11}},
    {"particles.png", 32, 144, Range(0, 143)},
    {"ZARNLogo.png", 32, 625, {312}},
    {"menu_back.png", 512, 1, {0}},
    {"menu_front.png", 512, 1, {0}},
    {"logo.png", 1024, 1, {0}},
};

TEST(PictureAssets, EveryPictureFitsTheWayTheGameLoadsIt) {
    for (const Asset& a : kAssets) {
        SCOPED_TRACE(a.file);
        Png p = Load(a.file);
        ASSERT_EQ(p.error, 0u) << lodepng_error_text(p.error);
        const unsigned f = unsigned(a.frame);
        if (a.frames == 1) {
            // A single image is copied as exactly F x F pixels.
            EXPECT_EQ(p.w, f);
            EXPECT_EQ(p.h, f);
        } else {
            ASSERT_GT(p.w, f);
            EXPECT_EQ(p.w % f, 0u);
            EXPECT_EQ(p.h % f, 0u);
            int cols = int(p.w / f), rows = int(p.h / f), cell = int(f) + 8;
            EXPECT_GE(cols * rows, a.frames);
            if (a.frames == 625 || a.frames == 144) {
                EXPECT_EQ(cols * rows, a.frames);  // the loading screen and the particle groups use them all
            }
            // The packed texture: side from the column count, every frame inside it.
            int side = 64;
            while (side < cols * cell) side *= 2;
            EXPECT_LE(side, 2048);
            int perRow = side / cell;
            EXPECT_LE((cols * rows + perRow - 1) / perRow * cell, side);
        }
        for (int k : a.drawn) EXPECT_GT(InkIn(p, a.frame, k), 0) << "frame " << k;
        // Magenta and cyan are keyed out by the loader: no visible pixel may use them.
        int keyed = 0;
        for (size_t i = 0; i < p.px.size(); i += 4) {
            const unsigned char* c = &p.px[i];
            bool magenta = c[0] > 250 && c[1] < 5 && c[2] > 250, cyan = c[0] < 5 && c[1] > 250 && c[2] > 250;
            keyed += c[3] > 0 && (magenta || cyan);
        }
        EXPECT_EQ(keyed, 0);
    }
}

TEST(PictureAssets, WallPiecesReachTheEdgesTowardWallsOnly) {
    // Wall neighbours of 'A' to 'P': up, right, down, left.
    const bool walls[16][4] = {
        {0, 1, 1, 1}, {1, 0, 1, 1}, {1, 1, 0, 1}, {1, 1, 1, 0}, {0, 0, 1, 1}, {1, 0, 0, 1}, {1, 1, 0, 0}, {0, 1, 1, 0},
        {0, 1, 0, 1}, {1, 0, 1, 0}, {0, 0, 0, 1}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 0}, {1, 1, 1, 1}};
    Png p = Load("gfx.png");
    ASSERT_EQ(p.error, 0u);
    for (int letter = 0; letter < 16; ++letter) {
        int k = 70 + letter;
        unsigned x0 = (k % (p.w / 16)) * 16, y0 = (k / (p.w / 16)) * 16;
        for (int side = 0; side < 4; ++side) {
            int opaque = 0, clear = 0;
            for (unsigned i = 0; i < 16; ++i) {
                unsigned x = side == 1 ? 15 : side == 3 ? 0 : i, y = side == 0 ? 0 : side == 2 ? 15 : i;
                unsigned char a = p.at(x0 + x, y0 + y)[3];
                opaque += a == 255 && i > 0 && i < 15;  // the ends belong to the sides across
                clear += a == 0;
            }
            SCOPED_TRACE(testing::Message() << "piece " << char('A' + letter) << " side " << side);
            if (walls[letter][side])
                EXPECT_EQ(opaque, 14);  // runs on into the neighbouring wall
            else
                EXPECT_EQ(clear, 16);   // stops short of the floor
        }
    }
}

TEST(PictureAssets, GlyphInkFitsTheAdvanceAndCentresOnTheLine) {
    // Advances come from the engine's own width table, read at size 1.
    const float sizeX = ASys.DrawSet[DrawSlot::SizeX], sizeY = ASys.DrawSet[DrawSlot::SizeY];
    ThisGame.SetSize(1.0f);
    float advance[128] = {};
    for (int code = 33; code < 127; ++code) advance[code] = ThisGame.CharWidth(char(code));
    ASys.DrawSet[DrawSlot::SizeX] = sizeX;
    ASys.DrawSet[DrawSlot::SizeY] = sizeY;

    Png p = Load("entplain.png");
    ASSERT_EQ(p.error, 0u);
    const unsigned cols = p.w / 32;
    for (int code = 33; code < 127; ++code) {
        unsigned x0 = ((code - 32) % cols) * 32, y0 = ((code - 32) / cols) * 32;
        int minX = 32, maxX = -1;
        for (unsigned y = 0; y < 32; ++y)
            for (unsigned x = 0; x < 32; ++x) {
                const unsigned char* c = p.at(x0 + x, y0 + y);
                if (c[3] > 160 && c[0] > 200 && c[1] > 200 && c[2] > 200) {  // the white ink
                    minX = std::min(minX, int(x));
                    maxX = std::max(maxX, int(x));
                }
            }
        SCOPED_TRACE(testing::Message() << "character '" << char(code) << "'");
        ASSERT_GE(maxX, 0);
        // The pen puts the cell centre (16) on the pen and moves on by the advance,
        // so ink from x = 2 must end before x = 2 + advance, where the next begins.
        EXPECT_GE(minX, 1);
        EXPECT_LE(maxX, int(advance[code]));
    }
    // Text is centred on its y coordinate: a capital's ink sits on the cell's middle.
    unsigned hx = (('H' - 32) % cols) * 32, hy = (('H' - 32) / cols) * 32;
    int top = 32, bottom = -1;
    for (unsigned y = 0; y < 32; ++y)
        if (p.at(hx + 4, hy + y)[0] > 200 && p.at(hx + 4, hy + y)[3] > 160) {
            top = std::min(top, int(y));
            bottom = std::max(bottom, int(y));
        }
    EXPECT_NEAR((top + bottom + 1) / 2.0, 16.0, 1.0);
}

}  // namespace
