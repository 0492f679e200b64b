// Tiles drawn edge to edge must join without a line of background between
// them at every window size, not only at 800 x 600 where the board's cell is
// a whole 32 units. The board is drawn as play draws it (its layout and its
// wall pass) in windows of common screen sizes, with both texture filters,
// once over a black and once over a white background: a pixel that changes
// with the background lets the background through.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>

#include "CoreGlobals.h"
#include "shell/MyGame.h"
#include "support/FrameReader.h"
#include "support/GameWindow.h"
#include "support/StateGuards.h"
#include "support/TestPictures.h"
#include "sys/ImageTable.h"
#include "sys/RendererGlobals.h"
#include "sys/ZARNSys.h"

namespace {

struct WindowSize {
    int w, h;
};
// Full-screen sizes of common monitors, the classic window, and a portrait
// window (where the board's cell is 20.48 units).
constexpr WindowSize Sizes[] = {{1920, 1080}, {1366, 768}, {1280, 1024}, {2560, 1440}, {800, 600}, {768, 1024}};

// Wall letters (70 + type is the frame): 'I' joins left and right, 'J' up
// and down, 'P' all four ways.
constexpr float WallAcross = 8, WallDown = 9, WallCross = 15, Floor = 16;

class TileSeams : public ::testing::Test {
protected:
    void SetUp() override {
        if (!EnsureGameWindow()) GTEST_SKIP() << "needs a display";
        kept_.Keep(g.Board, g.Play, g.EndReason, g.ScreenW, g.ScreenH, g.OverscanFrac, g.LoadTo);
        g.OverscanFrac = 0;
        g.EndReason = 0;
        g.LoadImgFull(Img::Sprites, "gfx", 16);  // the play sheet, as the loader loads it
        ASSERT_GT(ASys.iFrames[Img::Sprites], 86);
    }
    void TearDown() override {
        if (ASys.HasWindow()) {
            ASys.SetScreen(800, 600);
            g.RenderGame(g.ScreenW, g.ScreenH);
            g.RenderGame(g.ScreenW, g.ScreenH);
        }
        ASys.DrawTo = 0;
        ASys.RenderBuffer();
    }

    // A window of the size, with the canvas the game derives from it.
    void OpenWindow(const WindowSize& s) {
        ASys.SetScreen(s.w, s.h);
        ASys.DrawTo = 0;
        ASys.RenderBuffer();
        // The first render measures the window, the second settles the
        // basis (the canvas is 512 wide in portrait).
        g.RenderGame(g.ScreenW, g.ScreenH);
        g.RenderGame(g.ScreenW, g.ScreenH);
    }

    // One row of walls joined across and one column joined down, crossing.
    void LayCross(int row, int col) {
        g.Play.BoardW = BoardCols;
        g.Play.BoardH = BoardRows;
        for (int y = 0; y < BoardRows; ++y) {
            for (int x = 0; x < BoardCols; ++x) {
                BoardCell& c = g.Board[y * BoardPitch + x];
                c = BoardCell{};
                c.Settled = 1;
                c.Type = y == row && x == col ? WallCross : y == row ? WallAcross : x == col ? WallDown : Floor;
            }
        }
    }

    // The wall pass of play over a plain background, read back.
    FramePixels DrawBoard(int smooth, float backdrop) {
        ASys.DrawTo = 0;
        ASys.CurBlend = 1;
        g.ResetDraw();
        g.Smooth(smooth);
        g.CLS(backdrop, backdrop, backdrop);
        ASys.DrawSet[DrawSlot::ClearFade] = 1;  // no fade: the clear colour at once
        MyGame::BoardView v = g.PlayLayout();
        v.r = 90;
        v.g = 200;
        v.b = 120;
        g.DrawWalls(v);
        ASys.RenderBuffer();
        ReplayFrame(0);
        return ReadBackBuffer();
    }

    DrawStateGuard state_;
    SlotGuard sheet_{0}, logo_{60}, backdrop_{56};
    StateGuard kept_;
    MyGame& g = ThisGame;
};

// Counts the pixels of the window box [x0, x1) x [y0, y1) that differ
// between the two backgrounds, and names the first.
struct Seen {
    long through = 0;
    std::string first;
};
void CountThrough(const FramePixels& dark, const FramePixels& light, int x0, int y0, int x1, int y1, Seen& seen) {
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const unsigned char *a = dark.At(x, y), *b = light.At(x, y);
            if (!a || !b) continue;
            if (a[0] == b[0] && a[1] == b[1] && a[2] == b[2]) continue;
            if (seen.through++ == 0) {
                std::ostringstream o;
                o << "pixel " << x << "," << y << " is (" << int(a[0]) << "," << int(a[1]) << "," << int(a[2])
                  << ") over black and (" << int(b[0]) << "," << int(b[1]) << "," << int(b[2]) << ") over white";
                seen.first = o.str();
            }
        }
    }
}

TEST_F(TileSeams, JoinedWallPiecesShowNoBackgroundBetweenThem) {
    const int row = 7, col = 12;
    LayCross(row, col);
    for (const WindowSize& s : Sizes) {
        OpenWindow(s);
        ASSERT_EQ(ASys.FrameW, s.w);
        ASSERT_EQ(ASys.FrameH, s.h);
        const MyGame::BoardView v = g.PlayLayout();
        const double px = ASys.FrameW / double(ASys.TargetScale);  // pixels per canvas unit
        // Window pixels of the cell centres, through the canvas centre (rw2,
        // rh2), which sits at the window's centre.
        auto centreX = [&](int x) { return (int(v.x0 + x * v.cell) - Canvas.rw2) + ASys.FrameW / (2 * px); };
        auto centreY = [&](int y) { return (int(v.y0 + y * v.cell) - Canvas.rh2) + ASys.FrameH / (2 * px); };
        // The band of a joined piece is 14 of its 16 texels wide; its middle
        // half is wall whatever the filter.
        const double half = v.cell / 4;
        for (int smooth : {0, 1}) {
            SCOPED_TRACE(testing::Message() << s.w << "x" << s.h << " (cell " << v.cell << " units), "
                                            << (smooth ? "linear" : "nearest") << " filter");
            FramePixels dark = DrawBoard(smooth, 0), light = DrawBoard(smooth, 255);
            ASSERT_EQ(dark.w, s.w);
            Seen across, down;
            for (int x = 0; x + 1 < BoardCols; ++x) {
                CountThrough(dark, light, int(std::ceil(centreX(x) * px)), int(std::ceil((centreY(row) - half) * px)),
                             int(std::floor(centreX(x + 1) * px)), int(std::floor((centreY(row) + half) * px)), across);
            }
            for (int y = 0; y + 1 < BoardRows; ++y) {
                CountThrough(dark, light, int(std::ceil((centreX(col) - half) * px)), int(std::ceil(centreY(y) * px)),
                             int(std::floor((centreX(col) + half) * px)), int(std::floor(centreY(y + 1) * px)), down);
            }
            EXPECT_EQ(across.through, 0) << "between pieces joined across: " << across.first;
            EXPECT_EQ(down.through, 0) << "between pieces joined down: " << down.first;
        }
    }
}

// The loading screen assembles the framework logo from 25 x 25 tiles of 32
// pixels drawn at half size, 16 units apart. With the logo's slot holding a
// sheet of that shape in one opaque grey, the finished square must be that
// grey throughout: any other pixel is the screen's backdrop between tiles.
TEST_F(TileSeams, LoadingLogoTilesCoverTheirSquare) {
    const unsigned char grey = 200;
    ASys.GetPNG(Img::ZarnLogo, WritePicture("logo_tiles.png", Picture(800, 800, grey, grey, grey)).c_str(), 32);
    ASSERT_EQ(ASys.iFrames[Img::ZarnLogo], 625);
    g.LoadTo = 90;  // every tile settled at half size, the caption faded out
    for (const WindowSize& s : Sizes) {
        OpenWindow(s);
        const double px = ASys.FrameW / double(ASys.TargetScale);
        // Tile centres run from the middle less 200 units in steps of 16;
        // each tile is 16 units square. Pixels are found through the canvas
        // centre (rw2, rh2), which sits at the window's centre.
        const double midX = int(g.ScreenW / 2), midY = int(g.ScreenH / 2);
        auto X = [&](double x) { return (x - Canvas.rw2) * px + ASys.FrameW / 2.0; };
        auto Y = [&](double y) { return (y - Canvas.rh2) * px + ASys.FrameH / 2.0; };
        const double left = X(midX - 208), top = Y(midY - 208), right = X(midX + 192), bottom = Y(midY + 192);
        for (int smooth : {0, 1}) {
            SCOPED_TRACE(testing::Message() << s.w << "x" << s.h << ", " << (smooth ? "linear" : "nearest") << " filter");
            ASys.DrawTo = 0;
            g.ResetDraw();
            g.LoadingScreen();
            g.Smooth(smooth);  // after the screen's own draw-state resets
            ASys.RenderBuffer();
            ReplayFrame(0);
            FramePixels f = ReadBackBuffer();
            long other = 0;
            std::string first;
            for (int y = int(std::ceil(top)) + 1; y < int(std::floor(bottom)) - 1; ++y) {
                for (int x = int(std::ceil(left)) + 1; x < int(std::floor(right)) - 1; ++x) {
                    const unsigned char* p = f.At(x, y);
                    ASSERT_NE(p, nullptr);
                    if (std::abs(p[0] - grey) <= 2 && std::abs(p[1] - grey) <= 2 && std::abs(p[2] - grey) <= 2)
                        continue;
                    if (other++ == 0) {
                        std::ostringstream o;
                        o << "pixel " << x << "," << y << " is (" << int(p[0]) << "," << int(p[1]) << "," << int(p[2])
                          << ")";
                        first = o.str();
                    }
                }
            }
            EXPECT_EQ(other, 0) << first;

        }
    }
}

// The options and redefinition screens climb a 1024-unit tile field drawn
// twice, one copy straight above the other, at 30 % over the clear colour.
// With the field one flat colour the window must come out one colour: a gap
// between the copies would show the clear colour alone, an overlap a
// brighter line.
int ClockNow = 0;
int TestClock() { return ClockNow; }

TEST_F(TileSeams, OverlayBackdropCopiesMeetWithoutALine) {
    g.CreateBuffer(Img::PlatBackdrop, 1024);
    g.BufferFill(Img::PlatBackdrop, 200, 150, 60, 255);
    StateGuard clock(Loop.MillsSource);
    Loop.MillsSource = TestClock;
    for (const WindowSize& s : Sizes) {
        OpenWindow(s);
        for (int smooth : {0, 1}) {
            // The field climbs a unit every 32 ms; a few offsets of its 64.
            for (int offset : {0, 7, 33, 63}) {
                SCOPED_TRACE(testing::Message() << s.w << "x" << s.h << ", " << (smooth ? "linear" : "nearest")
                                                << " filter, offset " << offset);
                ClockNow = offset * 32;
                ASys.DrawTo = 0;
                g.ResetDraw();
                g.AddPlatBG();
                g.Smooth(smooth);
                ASys.RenderBuffer();
                ReplayFrame(0);
                FramePixels f = ReadBackBuffer();
                const unsigned char* ref = f.At(0, 0);
                ASSERT_NE(ref, nullptr);
                long other = 0;
                std::string first;
                for (int y = 0; y < f.h; ++y) {
                    for (int x = 0; x < f.w; x += 7) {  // every 7th column is plenty for a line across
                        const unsigned char* p = f.At(x, y);
                        if (std::memcmp(p, ref, 3) == 0) continue;
                        if (other++ == 0) {
                            std::ostringstream o;
                            o << "pixel " << x << "," << y << " is (" << int(p[0]) << "," << int(p[1]) << ","
                              << int(p[2]) << "), the corner (" << int(ref[0]) << "," << int(ref[1]) << ","
                              << int(ref[2]) << ")";
                            first = o.str();
                        }
                    }
                }
                EXPECT_EQ(other, 0) << first;
            }
        }
    }
}

}  // namespace
