// The renderer against a real window (run under Xvfb): record, replay, read
// the back buffer and look at the pixels.
#include <gtest/gtest.h>
#include <lodepng.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "support/StateGuards.h"
#include "support/FrameReader.h"
#include "support/GameWindow.h"
#include "support/TestPictures.h"
#include "sys/RendererGlobals.h"

namespace {

constexpr int SheetSlot = 95;
constexpr int OtherSlot = 94;

// Frame k of the test sheet: top half TopOf(k), bottom half BottomOf(k).
unsigned char TopOf(int k) { return (unsigned char)(40 + 50 * k); }
unsigned char BottomOf(int k) { return (unsigned char)(230 - 50 * k); }

::testing::AssertionResult PixelIs(const FramePixels& f, int x, int y, int r, int g, int b, int tol = 3) {
    const unsigned char* p = f.At(x, y);
    if (!p) return ::testing::AssertionFailure() << x << "," << y << " is outside the frame";
    if (std::abs(p[0] - r) <= tol && std::abs(p[1] - g) <= tol && std::abs(p[2] - b) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel " << x << "," << y << " is (" << int(p[0]) << ", " << int(p[1])
                                         << ", " << int(p[2]) << "), expected (" << r << ", " << g << ", " << b << ")";
}

bool Lit(const FramePixels& f, int x, int y) {
    const unsigned char* p = f.At(x, y);
    return p && (p[0] > 60 || p[1] > 60 || p[2] > 60);
}

class Renderer : public ::testing::Test {
protected:
    void SetUp() override {
        if (!EnsureGameWindow()) GTEST_SKIP() << "needs a display";
        ASys.DrawTo = 0;
        ASys.RenderBuffer();
        ReplayFrame(0);
        if (ASys.FrameW != 800 || ASys.FrameH != 600) {
            ASys.SetScreen(800, 600);
            ReplayFrame(0);
        }
        ASSERT_EQ(ASys.FrameW, 800);
        ASSERT_EQ(ASys.FrameH, 600);
        NeutralCanvas(400, 300);  // one canvas unit per pixel
        g.CLS(0, 0, 0);
        g.Smooth(0);
        Input.Wireframe = 0;
        overscan_ = g.OverscanFrac;
        g.OverscanFrac = 0;
    }
    void TearDown() override {
        Input.Wireframe = 0;
        g.OverscanFrac = overscan_;
        ASys.DrawTo = 0;
        ASys.RenderBuffer();
    }
    FramePixels Draw(const std::function<void()>& record, float overscan = 0) {
        ASys.DrawTo = 0;
        ASys.CurBlend = 1;
        record();
        ASys.RenderBuffer();
        ReplayFrame(overscan);
        return ReadBackBuffer();
    }
    void LoadTestSheet() {
        Picture sheet(64, 16);
        for (int k = 0; k < 4; ++k) {
            sheet.Fill(k * 16, 0, 16, 8, TopOf(k), 0, 0);
            sheet.Fill(k * 16, 8, 16, 8, 0, BottomOf(k), 0);
        }
        ASys.GetPNG(SheetSlot, WritePicture("render_sheet.png", sheet).c_str(), 16);
        ASSERT_EQ(ASys.iFrames[SheetSlot], 4);
    }
    DrawStateGuard state_;
    SlotGuard sheet_{SheetSlot}, other_{OtherSlot};
    float overscan_ = 0;
    MyGame& g = ThisGame;
};

TEST_F(Renderer, GradientRectangleIsRedOnTopAndBlueBelow) {
    FramePixels f = Draw([&] {
        g.SetGradient(255, 0, 0, 1, 0, 0, 255, 1);
        g.Rect(400, 300, 200, 100);
    });
    EXPECT_TRUE(PixelIs(f, 400, 251, 255, 0, 0, 8));
    EXPECT_TRUE(PixelIs(f, 400, 348, 0, 0, 255, 8));
    EXPECT_TRUE(PixelIs(f, 400, 300, 128, 0, 128, 8));
    EXPECT_TRUE(PixelIs(f, 400, 247, 0, 0, 0));
    EXPECT_TRUE(PixelIs(f, 297, 300, 0, 0, 0));
}

TEST_F(Renderer, RotatedRectangleSwapsItsExtents) {
    FramePixels f = Draw([&] {
        g.SetRot(90);
        g.Rect(400, 300, 10, 20);
    });
    int wide = 0, high = 0;
    for (int x = 350; x < 450; ++x) wide += Lit(f, x, 300);
    for (int y = 250; y < 350; ++y) high += Lit(f, 400, y);
    EXPECT_EQ(wide, 20);
    EXPECT_EQ(high, 10);
}

TEST_F(Renderer, TriangleHasItsApexUpAndTopColourThere) {
    FramePixels f = Draw([&] {
        g.SetGradient(255, 0, 0, 1, 0, 0, 255, 1);
        g.Tri(400, 300, 50, 50);  // apex at y 250, base at y 325
    });
    EXPECT_TRUE(Lit(f, 400, 254));
    EXPECT_FALSE(Lit(f, 400, 246));
    EXPECT_TRUE(Lit(f, 400, 322));
    EXPECT_FALSE(Lit(f, 400, 328));
    EXPECT_TRUE(Lit(f, 365, 322));
    EXPECT_FALSE(Lit(f, 330, 322));
    EXPECT_GT(f.At(400, 254)[0], 200);
    EXPECT_GT(f.At(365, 323)[2], 150);
}

TEST_F(Renderer, OvalFillsItsEllipseFromABottomColouredCentre) {
    FramePixels f = Draw([&] {
        g.SetGradient(255, 0, 0, 1, 0, 0, 255, 1);
        g.Oval(400, 300, 100, 50);
    });
    EXPECT_TRUE(PixelIs(f, 400, 300, 0, 0, 255, 8));
    EXPECT_TRUE(Lit(f, 447, 300));
    EXPECT_FALSE(Lit(f, 453, 300));
    EXPECT_TRUE(Lit(f, 400, 323));
    EXPECT_FALSE(Lit(f, 400, 327));
    EXPECT_FALSE(Lit(f, 440, 318));
    EXPECT_GT(f.At(446, 300)[0], 200);  // near the rim: top colour
}

TEST_F(Renderer, FanAlternatesColoursAndTurnsWithTheRotation) {
    // Wedge i spans rim angles 10i..10(i+1) (0 points down the screen);
    // even wedges take the top colour.
    auto at = [](double deg, double r) {
        double t = deg * 0.0174533;
        return std::make_pair(int(400 + std::sin(t) * r), int(300 + std::cos(t) * r));
    };
    for (float rot : {0.0f, 10.0f}) {
        SCOPED_TRACE(rot);
        FramePixels f = Draw([&] {
            g.SetGradient(255, 0, 0, 1, 0, 0, 255, 1);
            g.SetRot(rot);
            g.Fan(400, 300, 50);
        });
        auto [x5, y5] = at(5, 35);
        auto [x15, y15] = at(15, 35);
        bool evenAt5 = rot == 0;
        EXPECT_TRUE(PixelIs(f, x5, y5, evenAt5 ? 255 : 0, 0, evenAt5 ? 0 : 255));
        EXPECT_TRUE(PixelIs(f, x15, y15, evenAt5 ? 0 : 255, 0, evenAt5 ? 255 : 0));
    }
}

TEST_F(Renderer, ThickLineCoversItsWidth) {
    FramePixels f = Draw([&] {
        g.SetLineThickness(10);
        g.Line(300, 300, 500, 300);
    });
    EXPECT_TRUE(Lit(f, 400, 296));
    EXPECT_TRUE(Lit(f, 400, 303));
    EXPECT_FALSE(Lit(f, 400, 307));
    EXPECT_FALSE(Lit(f, 400, 293));
    EXPECT_TRUE(Lit(f, 302, 300));
    EXPECT_FALSE(Lit(f, 297, 300));
}

TEST_F(Renderer, BlendModesMixWithTheBackground) {
    g.CLS(100, 100, 100);
    FramePixels f = Draw([&] {
        g.SetCol(200, 200, 200, 0.5f);
        g.Rect(100, 300, 50, 50);
        g.SetBlend(Blend::Add);
        g.Rect(300, 300, 50, 50);
        g.SetBlend(Blend::SoftAdd);
        g.Rect(500, 300, 50, 50);
        g.SetBlend(Blend::Alpha);
        g.Rect(700, 300, 50, 50);
    });
    EXPECT_TRUE(PixelIs(f, 100, 300, 150, 150, 150));
    EXPECT_TRUE(PixelIs(f, 300, 300, 200, 200, 200));
    EXPECT_TRUE(PixelIs(f, 500, 300, 143, 143, 143));  // 200 * (1 - 200/255) + 100
    EXPECT_TRUE(PixelIs(f, 700, 300, 150, 150, 150));
    EXPECT_TRUE(PixelIs(f, 10, 10, 100, 100, 100));

    // Mode 3 ignores alpha: fully transparent texels still add their colour.
    g.CreateBuffer(SheetSlot, 32);
    g.BufferFill(SheetSlot, 200, 200, 200, 0);
    f = Draw([&] {
        g.ResetDraw();
        g.DrawImg(SheetSlot, 300, 300);
        g.SetBlend(Blend::SoftAdd);
        g.DrawImg(SheetSlot, 500, 300);
    });
    EXPECT_TRUE(PixelIs(f, 300, 300, 100, 100, 100));
    EXPECT_TRUE(PixelIs(f, 500, 300, 143, 143, 143));
}

TEST_F(Renderer, ImageFramesDrawUprightFromTheirCellAtOnePixelPerTexel) {
    LoadTestSheet();
    struct Case {
        int frame, shown;
    } cases[] = {{2, 2}, {0, 0}, {3, 3}, {99, 0}, {-3, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frame);
        FramePixels f = Draw([&] { g.DrawImg(SheetSlot, 400, 300, c.frame); });
        EXPECT_TRUE(PixelIs(f, 400, 294, TopOf(c.shown), 0, 0));
        EXPECT_TRUE(PixelIs(f, 400, 305, 0, BottomOf(c.shown), 0));
        // The 16-pixel frame spans x 392..407; the cell's margin is clear.
        EXPECT_TRUE(Lit(f, 392, 300));
        EXPECT_TRUE(Lit(f, 407, 300));
        EXPECT_FALSE(Lit(f, 391, 300));
        EXPECT_FALSE(Lit(f, 408, 300));
        EXPECT_EQ(Replayer.DrawR[0].d[DrawField::Frame], c.shown);  // clamped in place
    }
    // Linear filtering still samples the picture (not a blank texture).
    g.Smooth(1);
    FramePixels f = Draw([&] { g.DrawImg(SheetSlot, 400, 300, 1); });
    EXPECT_EQ(Replayer.RenderMode, 0x2601);  // GL_LINEAR
    EXPECT_TRUE(PixelIs(f, 400, 295, TopOf(1), 0, 0, 6));
}

TEST_F(Renderer, QuadImageAndSizeFollowTheRecord) {
    LoadTestSheet();
    FramePixels f = Draw([&] {
        g.SetSize(2);
        g.DrawImg(SheetSlot, 200, 300, 1);
        g.QuadImg(SheetSlot, 600, 350, 700, 350, 700, 250, 600, 250, 3);
    });
    EXPECT_TRUE(Lit(f, 200 - 15, 300));
    EXPECT_FALSE(Lit(f, 200 - 17, 300));
    EXPECT_TRUE(PixelIs(f, 200, 290, TopOf(1), 0, 0));
    // The cell of frame 3 stretched over the quad, first corners at the bottom.
    EXPECT_TRUE(PixelIs(f, 650, 275, TopOf(3), 0, 0));
    EXPECT_TRUE(PixelIs(f, 650, 325, 0, BottomOf(3), 0));
}

TEST_F(Renderer, InternalSlotsDrawNothingExceptTheScreenCopy) {
    SlotGuard s100(100), s101(101), s102(102);
    for (int s : {100, 101, 102}) {
        ASys.iFrames[s] = 1;
        iSize[s] = 16;
        iFramesW[s] = 16;
        iFramesWz[s] = 1;
        ASys.iSizeScaled[s] = 16.0f / 800;
        Image[s].assign(16 * 16 * 4, 255);
        ImageBlur[s].assign(16 * 16 * 4, 0);
        TouchImage(s);
    }
    FramePixels f = Draw([&] {
        g.DrawImg(100, 200, 300);
        g.DrawImg(101, 400, 300);
        g.DrawImg(102, 600, 300);
        g.QuadImg(102, 0, 0, 50, 0, 50, 50, 0, 50, 0);
    });
    EXPECT_EQ(Replayer.DrawToRT, 4);
    EXPECT_FALSE(Lit(f, 200, 300));
    EXPECT_FALSE(Lit(f, 400, 300));
    EXPECT_TRUE(PixelIs(f, 600, 300, 255, 255, 255));
    EXPECT_FALSE(Lit(f, 25, 25));
}

TEST_F(Renderer, ClearColourFadesGeometricallyThenSnaps) {
    g.CLS(255, 255, 255);
    g.FadeCLS(0, 0, 0, 4);
    double expect = 255;
    int replays = 0;
    while (ASys.DrawSet[DrawSlot::ClearR] != 0 && replays < 100) {
        FramePixels f = Draw([] {});
        ++replays;
        expect *= 0.75;
        if (expect >= 2) {
            EXPECT_NEAR(ASys.DrawSet[DrawSlot::ClearR], expect, 1e-3) << replays;
            EXPECT_NEAR(f.At(5, 5)[0], expect, 1.01) << replays;
        }
    }
    EXPECT_EQ(replays, 17);  // 255 * 0.75^17 = 1.9: below 2, so it snaps
    EXPECT_EQ(ASys.DrawSet[DrawSlot::ClearG], 0);
    EXPECT_TRUE(PixelIs(ReadBackBuffer(), 5, 5, 0, 0, 0, 0));
}

TEST_F(Renderer, OverscanShrinksThePicture) {
    FramePixels f = Draw([&] { g.Rect(400, 300, 800, 600); }, 0.1f);
    // 0.95 of the width and (2 - 0.1 * 4/3) / 2 of the height: 20-pixel bands.
    EXPECT_FALSE(Lit(f, 18, 300));
    EXPECT_TRUE(Lit(f, 22, 300));
    EXPECT_TRUE(Lit(f, 777, 300));
    EXPECT_FALSE(Lit(f, 781, 300));
    EXPECT_FALSE(Lit(f, 400, 18));
    EXPECT_TRUE(Lit(f, 400, 22));
    EXPECT_FALSE(Lit(f, 400, 581));
    EXPECT_FLOAT_EQ(Input.OverscanScaleX, 1 / 0.95f);
    EXPECT_NEAR(Input.OverscanScaleY, 1 / (1 - 0.05 * 4 / 3.0), 1e-5);
    f = Draw([&] { g.Rect(400, 300, 800, 600); });
    EXPECT_TRUE(Lit(f, 0, 0));
    EXPECT_TRUE(Lit(f, 799, 599));
}

TEST_F(Renderer, WireframeDrawsOutlinesOnly) {
    Input.Wireframe = 1;
    FramePixels f = Draw([&] { g.Rect(400, 300, 100, 100); });
    Input.Wireframe = 0;
    EXPECT_FALSE(Lit(f, 420, 300));
    EXPECT_TRUE(Lit(f, 349, 300) || Lit(f, 350, 300));
    // The shared diagonal of the two triangles crosses the centre.
    EXPECT_TRUE(Lit(f, 399, 300) || Lit(f, 400, 300) || Lit(f, 401, 300));
}

TEST_F(Renderer, UnchangedTexturesAreNotUploadedAgain) {
    g.CreateBuffer(SheetSlot, 64);
    g.CreateBuffer(OtherSlot, 32);
    auto record = [&] {
        g.DrawImg(SheetSlot, 100, 100);
        g.DrawImg(SheetSlot, 200, 100);
        g.DrawImg(OtherSlot, 300, 100);
        g.DrawImg(SheetSlot, 400, 100);
        g.Rect(500, 100, 10, 10);
    };
    Draw(record);
    EXPECT_GE(Replayer.TexUploads, 2);
    EXPECT_EQ(Replayer.TexBinds, 4);  // batches: sheet, other, sheet, white block
    Draw(record);
    EXPECT_EQ(Replayer.TexUploads, 0);
    EXPECT_EQ(Replayer.TexBinds, 4);
    g.BufferFill(SheetSlot, 255, 0, 0, 255);
    FramePixels f = Draw(record);
    EXPECT_EQ(Replayer.TexUploads, 1);
    EXPECT_EQ(Replayer.TexUploadBytes, 64 * 64 * 4);
    EXPECT_TRUE(PixelIs(f, 400, 100, 255, 0, 0));
}

TEST_F(Renderer, F10SavesTheFrameJustDrawn) {
    std::string path = ScratchDir() + "/shot.png";
    std::snprintf(ASys.ScreenshotName, sizeof ASys.ScreenshotName, "%s", path.c_str());
    SlotGuard s100(100), s101(101);
    ASys.DrawTo = 0;
    g.SetCol(255, 128, 0);
    g.Rect(400, 300, 40, 40);
    ASys.RenderBuffer();
    int held = ASys.Button[Fixed::Screenshot];
    ASys.Button[Fixed::Screenshot] = 1;
    ASys.RenderSys(0);
    ASys.Button[Fixed::Screenshot] = held;
    std::vector<unsigned char> png;
    unsigned w = 0, h = 0;
    ASSERT_EQ(lodepng::decode(png, w, h, path), 0u);
    ASSERT_EQ(w, 800u);
    ASSERT_EQ(h, 600u);
    const unsigned char* mid = &png[(300 * 800 + 400) * 4];
    EXPECT_EQ(int(mid[0]), 255);
    EXPECT_EQ(int(mid[1]), 128);
    EXPECT_EQ(int(mid[3]), 255);
    EXPECT_EQ(int(png[3]), 255);
    EXPECT_EQ(png, Image[100]);
}

// The replay skips work that cannot change a pixel: records transparent at
// both ends, the clear margins of sprite cells, and the window outside the
// visible texels of a large image. Every pixel must come out exactly as it
// does without those shortcuts, at whole and fractional scales and
// positions, turned, blended every way and with either filter.
TEST_F(Renderer, ShortcutsLeaveEveryPixelAsItWas) {
    Picture sheet(64, 16, 0, 0, 0, 0);
    for (int k = 0; k < 4; ++k) {
        sheet.Fill(k * 16 + 3 + k, 4, 7, 6, TopOf(k), 90, 200);
        sheet.Set(k * 16 + 12, 13, 255, 255, 255);
    }
    ASys.GetPNG(SheetSlot, WritePicture("sparse_sheet.png", sheet).c_str(), 16);
    Picture big(256, 256, 0, 0, 0, 0);
    big.Fill(100, 120, 40, 30, 250, 200, 20);
    for (unsigned i = 0; i < 60; ++i) big.Set(150 + i, 60 + i / 2, 20, 220, 120, 128);
    ASys.GetPNG(OtherSlot, WritePicture("sparse_big.png", big).c_str(), 256);
    ASSERT_EQ(ASys.iFrames[SheetSlot], 4);
    ASSERT_EQ(ASys.iFrames[OtherSlot], 1);

    auto scene = [&] {
        for (int blend : {1, 2, 3}) {
            g.SetBlend(blend);
            const float y = 60.0f + 170 * (blend - 1);
            float x = 30;
            for (float size : {1.0f, 2.0f, 3.0f, 1.5f}) {
                for (float shift : {0.0f, 0.5f, 0.25f}) {
                    for (float turn : {0.0f, 30.0f}) {
                        g.SetSize(size);
                        g.SetRot(turn);
                        g.DrawImg(SheetSlot, x + shift, y + shift, int(x) % 4);
                        x += 32;
                    }
                }
            }
            g.SetRot(0);
            g.SetGradient(255, 255, 255, 1, 40, 40, 255, 0.6f);
            g.SetSize(2);
            g.DrawImg(SheetSlot, 760, y);
            g.SetCol(255, 255, 255, 0);
            g.Rect(700, y, 80, 80);
            g.DrawImg(OtherSlot, 650, y);
            g.SetCol(255, 255, 255, 1);
            g.DrawBlur(SheetSlot, 700, y);
            g.SetSize(1.5f);
            g.DrawImg(OtherSlot, 420, y + 40);
            g.SetRot(25);
            g.DrawImg(OtherSlot, 560, y + 20);
            g.SetRot(0);
        }
    };
    for (int smooth : {0, 1}) {
        SCOPED_TRACE(smooth ? "linear" : "nearest");
        g.Smooth(smooth);
        SetRenderShortcuts(false);
        FramePixels plain = Draw(scene);
        SetRenderShortcuts(true);
        FramePixels quick = Draw(scene);
        ASSERT_EQ(plain.rgba.size(), quick.rgba.size());
        long lit = 0, differ = 0;
        for (size_t i = 0; i < plain.rgba.size(); i += 4) {
            if (plain.rgba[i] | plain.rgba[i + 1] | plain.rgba[i + 2]) ++lit;
            if (std::memcmp(&plain.rgba[i], &quick.rgba[i], 3) != 0) ++differ;
        }
        EXPECT_GT(lit, 20000);  // the scene drew plenty
        EXPECT_EQ(differ, 0);
    }
}

// Unfocused, the game renders without updating; a frame identical to the one
// on screen is not drawn again, but anything that would change the picture
// (or a window system asking for the contents) is.
TEST_F(Renderer, UnfocusedRenderSkipsOnlyAnUnchangedFrame) {
    g.CreateBuffer(SheetSlot, 32);
    auto record = [&](int x) {
        ASys.DrawTo = 0;
        g.SetCol(255, 128, 0);
        g.Rect(float(x), 300, 40, 40);
        g.DrawImg(SheetSlot, 100, 100);
        ASys.RenderBuffer();
    };
    struct Case {
        const char* change;
        bool focused;
        std::function<void()> apply;
        bool skipped;
        bool fading = false;  // the frame on screen was drawn mid-fade
    };
    const Case cases[] = {
        {"nothing", false, [] {}, true},
        {"nothing, but focused", true, [] {}, false},
        {"a record moved", false, [&] { record(401); }, false},
        {"the same list handed over again", false, [&] { record(400); }, true},
        {"image pixels changed", false, [&] { g.BufferFill(SheetSlot, 1, 2, 3, 255); }, false},
        {"the clear colour still fading", false, [] {}, false, true},
        {"wireframe switched", false, [] { Input.Wireframe = 1; }, false},
        {"contents lost", false, [] { WindowContentsLost(); }, false},
    };
    const int focus = ASys.Button[Fixed::Focus];
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        Input.Wireframe = 0;
        record(400);
        for (int k = 21; k < 24; ++k) ASys.DrawSet[k] = ASys.DrawSet[k + 3];
        ASys.DrawSet[DrawSlot::ClearFade] = c.fading ? 8 : 1;  // the fade's divisor
        if (c.fading) ASys.DrawSet[DrawSlot::ClearR] = ASys.DrawSet[DrawSlot::ClearToR] + 200;
        ASys.Button[Fixed::Focus] = 1;
        // On screen now; twice, so that the exposure of a window just
        // opened has been seen.
        ASys.RenderSys(0);
        ASys.RenderSys(0);
        c.apply();
        ASys.Button[Fixed::Focus] = c.focused ? 1 : -1;
        const long before = Replayer.ReplaysSkipped;
        ASys.RenderSys(0);
        EXPECT_EQ(Replayer.ReplaysSkipped - before, c.skipped ? 1 : 0);
    }
    ASys.Button[Fixed::Focus] = focus;
}

TEST_F(Renderer, ScreenCopyDrawsBackOverTheCanvas) {
    SlotGuard s100(100), s101(101), s102(102);
    ASys.DrawTo = 0;
    g.SetCol(255, 0, 0);
    g.Rect(150, 100, 60, 40);
    g.SetCol(0, 255, 0);
    g.Rect(700, 550, 40, 40);
    ASys.RenderBuffer();
    ASys.RenderSys(0);  // present it, then copy the framebuffer
    g.CopyBuffer();
    EXPECT_EQ(iSize[102], 1024);
    FramePixels f = Draw([&] {
        g.SetCol(255, 255, 255);  // the copy is tinted like any image
        g.DrawBuffer();
    });
    EXPECT_TRUE(PixelIs(f, 125, 85, 255, 0, 0));
    EXPECT_TRUE(PixelIs(f, 178, 118, 255, 0, 0));
    EXPECT_TRUE(PixelIs(f, 117, 100, 0, 0, 0));
    EXPECT_TRUE(PixelIs(f, 700, 550, 0, 255, 0));
    EXPECT_TRUE(PixelIs(f, 400, 300, 0, 0, 0));
}

TEST_F(Renderer, CanvasFollowsTheWindowShape) {
    SlotGuard s100(100), s101(101), s102(102);
    LoadTestSheet();
    Draw([&] { g.DrawImg(SheetSlot, 400, 300, 1); });  // textures live in this context
    float w = 0, h = 0;
    struct Case {
        int fw, fh;
        float w1, h1;  // canvas after the first render
        float w2, h2;  // and after the second
        int bump;
    } cases[] = {
        {1280, 720, 800, 450, 800, 450, 0},
        {720, 1280, 800, 1422.22f, 512, 910.22f, 0},
        {400, 1000, 512, 1248, 512, 1248, 1},
        {1000, 300, 480, 153.6f, 768, 240, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fw << "x" << c.fh);
        ASys.SetScreen(c.fw, c.fh);
        g.RenderGame(w, h);
        EXPECT_NEAR(w, c.w1, 0.01);
        EXPECT_NEAR(h, c.h1, 0.01);
        g.RenderGame(w, h);
        EXPECT_NEAR(w, c.w2, 0.01);
        EXPECT_NEAR(h, c.h2, 0.01);
        EXPECT_EQ(Canvas.iBump, c.bump);
        EXPECT_EQ(ASys.ImageZoom, c.fh > c.fw ? 1.5625f : 1.0f);
        if (c.fw == 1280) {
            EXPECT_EQ(Canvas.rw2, 400);
            EXPECT_EQ(Canvas.rh2, 225);
            EXPECT_FLOAT_EQ(Canvas.ViewScale, 0.0025f);
            g.CopyBuffer();
            EXPECT_EQ(iSize[102], 2048);
        }
    }
    ASys.SetScreen(800, 600);
    g.RenderGame(w, h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    // The window (and its GL context) was replaced: images must still draw.
    NeutralCanvas(400, 300);
    FramePixels f = Draw([&] { g.DrawImg(SheetSlot, 400, 300, 1); });
    EXPECT_TRUE(PixelIs(f, 400, 294, TopOf(1), 0, 0));
}

}  // namespace
