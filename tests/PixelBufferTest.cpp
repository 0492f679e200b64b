// Pixel buffers drawn on the processor: create, fill, lines, plots, tiles.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <utility>

#include "support/StateGuards.h"
#include "support/TestPictures.h"

namespace {

constexpr int Buf = 99;
constexpr int Src = 98;

using Pixels = std::set<std::pair<int, int>>;

class PixelBuffer : public ::testing::Test {
protected:
    void SetUp() override {
        ASys.TargetScale = 800;
        g.CreateBuffer(Buf, 8);
    }
    const unsigned char* At(int x, int y, int slot = Buf) const {
        return &Image[slot][(size_t(y) * iSize[slot] + x) * 4];
    }
    Pixels Opaque() const {
        Pixels out;
        for (int y = 0; y < iSize[Buf]; ++y)
            for (int x = 0; x < iSize[Buf]; ++x)
                if (At(x, y)[3]) out.insert({x, y});
        return out;
    }
    DrawStateGuard state_;
    SlotGuard buf_{Buf}, src_{Src}, shot_{100}, copy_{101};
    MyGame& g = ThisGame;
};

TEST_F(PixelBuffer, CreateSetsUpATransparentSingleFrame) {
    g.CreateBuffer(Buf, 1024);
    EXPECT_EQ(ASys.iFrames[Buf], 1);
    EXPECT_EQ(iSize[Buf], 1024);
    EXPECT_EQ(iFramesW[Buf], 1024);
    EXPECT_EQ(ASys.iFramesSquare[Buf], 1024);
    EXPECT_FLOAT_EQ(ASys.iSizeScaled[Buf], 1024.0f / 800);
    EXPECT_EQ(Image[Buf], std::vector<unsigned char>(1024 * 1024 * 4, 0));

    ASys.iFrames[101] = -1;
    g.CreateBuffer(101, 64);
    EXPECT_EQ(ASys.iFrames[101], -1);
    g.CreateBuffer(100, 16);
    EXPECT_EQ(iSize[100], 16);
    for (int bad : {0, -5, 100000}) {
        g.CreateBuffer(Buf, bad);
        EXPECT_EQ(iSize[Buf], 1024) << bad;
    }
}

TEST_F(PixelBuffer, FillClampsAndClsClears) {
    g.BufferFill(Buf, 300, -20, 128, 999);
    EXPECT_EQ(int(At(7, 7)[0]), 255);
    EXPECT_EQ(int(At(7, 7)[1]), 0);
    EXPECT_EQ(int(At(7, 7)[2]), 128);
    EXPECT_EQ(int(At(7, 7)[3]), 255);
    g.BufferCLS(Buf);
    EXPECT_TRUE(Opaque().empty());
    // Slots without pixels (or out of range) are left alone.
    for (int s : {-1, 105, 101}) g.BufferFill(s, 1, 1, 1, 1);
}

TEST_F(PixelBuffer, LinesDrawBothPassesAndSkipTheFarEnd) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float x1, y1, x2, y2;
        Pixels want;
    } cases[] = {
        {0, 0, 3, 1, {{0, 0}, {1, 0}, {2, 0}}},
        {3, 1, 0, 0, {{0, 0}, {1, 0}, {2, 0}}},
        {-5, 2, 5, 2, {{0, 2}, {1, 2}, {2, 2}, {3, 2}, {4, 2}}},
        {3, 0, 3, 4, {{3, 0}, {3, 1}, {3, 2}, {3, 3}}},
        {0, 0, 3, 3, {{0, 0}, {1, 1}, {2, 2}}},
        {1, 0, 2, 5, {{1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4}}},
        {2.5f, 2.5f, 2.5f, 2.5f, {}},
        {-1e30f, 3, 1e30f, 3, {{0, 3}, {1, 3}, {2, 3}, {3, 3}, {4, 3}, {5, 3}, {6, 3}, {7, 3}}},
        {0, 0, inf, 1, {}},
        {nan, 0, 4, 4, {}},
        {20, 20, 30, 40, {}},
    };
    g.SetCol(10, 20, 30, 0.5f);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x1 << "," << c.y1 << " -> " << c.x2 << "," << c.y2);
        g.BufferCLS(Buf);
        g.BufferLine(Buf, c.x1, c.y1, c.x2, c.y2);
        EXPECT_EQ(Opaque(), c.want);
    }
    g.BufferCLS(Buf);
    g.BufferLine(Buf, 0, 0, 3, 0);
    EXPECT_EQ(int(At(1, 0)[0]), 10);
    EXPECT_EQ(int(At(1, 0)[3]), 127);  // written as is, not blended
}

TEST_F(PixelBuffer, PlotBlendsTheColourAndMakesThePixelOpaque) {
    struct Case {
        float alpha;
        int expect;
    } cases[] = {{0, 100}, {1, 200}, {0.5f, 149}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.alpha);
        g.BufferFill(Buf, 100, 100, 100, 0);
        g.SetCol(200, 200, 200, c.alpha);
        g.BufferPlot(Buf, 2.7f, 3.2f);
        EXPECT_EQ(int(At(2, 3)[0]), c.expect);
        EXPECT_EQ(int(At(2, 3)[3]), 255);
        EXPECT_EQ(int(At(3, 3)[3]), 0);
    }
    g.BufferPlot(Buf, -0.5f, 0);
    g.BufferPlot(Buf, 8, 0);
    g.BufferPlot(Buf, std::nanf(""), 0);
    EXPECT_EQ(int(At(0, 0)[3]), 0);
}

TEST_F(PixelBuffer, TilesOfA64PixelFrameCoverA1024Buffer) {
    // Frame 1 of a two-frame sheet is opaque except one transparent pixel.
    Picture sheet(128, 64, 255, 0, 255);
    sheet.Fill(64, 0, 64, 64, 20, 40, 60);
    sheet.Set(64 + 5, 7, 0, 255, 255);
    ASys.GetPNG(Src, WritePicture("tiles.png", sheet).c_str(), 64);
    ASSERT_EQ(ASys.iFrames[Src], 2);
    g.CreateBuffer(Buf, 1024);
    g.BufferFill(Buf, 1, 2, 3, 4);
    for (int row = 0; row < 16; ++row)
        for (int col = 0; col < 16; ++col) g.BufferTile(Buf, Src, col * 64, row * 64, 1);
    int covered = 0;
    for (int y = 0; y < 1024; ++y)
        for (int x = 0; x < 1024; ++x) covered += At(x, y)[0] == 20 && At(x, y)[3] == 255;
    EXPECT_EQ(covered, 1024 * 1024 - 256);  // the cyan pixel of each stamp stays
    EXPECT_EQ(int(At(64 * 3 + 5, 64 * 2 + 7)[3]), 4);
}

TEST_F(PixelBuffer, TilesClipAndRejectBadFrames) {
    Picture pic(16, 16, 90, 80, 70);
    ASys.GetPNG(Src, WritePicture("one.png", pic).c_str(), 16);
    g.BufferTile(Buf, Src, -12, 5, 0);  // a single image tiles from its corner
    EXPECT_EQ(Opaque().size(), 4u * 3u);
    EXPECT_EQ(int(At(3, 7)[0]), 90);
    // Cut at every edge of the 8 x 8 buffer, at whole and at fractional
    // positions (a fraction is cut off towards zero).
    const struct {
        float x, y;
        size_t covered;
    } cuts[] = {{2, 1, 6u * 7u}, {2.5f, 1.5f, 6u * 7u}, {-9, -10, 7u * 6u}, {-9.5f, -10.5f, 6u * 5u}, {-1, -1, 64u}};
    for (const auto& c : cuts) {
        g.BufferCLS(Buf);
        g.BufferTile(Buf, Src, c.x, c.y, 0);
        EXPECT_EQ(Opaque().size(), c.covered) << c.x << ", " << c.y;
    }
    g.BufferCLS(Buf);
    for (int frame : {-1, 1, 50}) g.BufferTile(Buf, Src, 0, 0, frame);
    g.BufferTile(Buf, Src, 1e30f, 0, 0);
    g.BufferTile(Buf, Src, std::nanf(""), 0, 0);
    g.BufferTile(Buf, 104, 0, 0, 0);
    g.BufferTile(-3, Src, 0, 0, 0);
    EXPECT_TRUE(Opaque().empty());
}

}  // namespace
