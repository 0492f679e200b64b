// PNG loading into image slots: single images, sprite-sheet packing, key
// colours, edge bleed, hostile files, saving.
#include <gtest/gtest.h>
#include <lodepng.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "support/StateGuards.h"
#include "support/TestPictures.h"

namespace {

constexpr int Slot = 98;

class ImageLoad : public ::testing::Test {
protected:
    void SetUp() override { ASys.TargetScale = 800; }
    const unsigned char* Texel(int x, int y) const { return &Image[Slot][(size_t(y) * iSize[Slot] + x) * 4]; }
    void ExpectTexel(int x, int y, int r, int g, int b, int a) const {
        const unsigned char* p = Texel(x, y);
        EXPECT_EQ(int(p[0]), r) << x << "," << y;
        EXPECT_EQ(int(p[1]), g) << x << "," << y;
        EXPECT_EQ(int(p[2]), b) << x << "," << y;
        EXPECT_EQ(int(p[3]), a) << x << "," << y;
    }
    DrawStateGuard state_;
    SlotGuard slot_{Slot};
};

TEST_F(ImageLoad, SheetGeometry) {
    struct Case {
        unsigned w, h, F;
        int frames, side, perRow;
    } cases[] = {
        {64, 64, 64, 1, 64, 64},       // single image
        {40, 30, 64, 1, 64, 64},       // smaller than its frame: still single
        {256, 16, 16, 16, 512, 21},    // 384 rounds up to 512
        {96, 32, 32, 3, 128, 3},       // 120 rounds up to 128
        {100, 40, 16, 12, 256, 10},    // partial cells are ignored
        {32, 1600, 16, 4, 64, 2},      // 200 frames, but only 2 x 2 cells fit
        {1440, 16, 16, -1, 0, 0},      // would need a 2160 texture: refused
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " at " << c.F);
        std::string path = WritePicture("sheet.png", Picture(c.w, c.h, 10, 20, 30));
        ASys.GetPNG(Slot, path.c_str(), c.F);
        ASSERT_EQ(ASys.iFrames[Slot], c.frames);
        if (c.frames < 0) continue;
        EXPECT_EQ(iSize[Slot], c.side);
        EXPECT_EQ(iFramesW[Slot], c.perRow);
        EXPECT_EQ(ASys.iFramesSquare[Slot], int(c.F));
        EXPECT_EQ(Image[Slot].size(), size_t(c.side) * c.side * 4);
        bool single = c.w <= c.F;
        float cell = single ? c.F : c.F + 8;
        EXPECT_FLOAT_EQ(iFramesWz[Slot], single ? 1.0f : cell / c.side);
        EXPECT_FLOAT_EQ(ASys.iSizeScaled[Slot], cell / 800);
    }
}

// A window that is portrait while the loader runs (a tiling window manager,
// F11 on a rotated monitor) must not make the images bigger for good.
TEST_F(ImageLoad, SizeDoesNotDependOnTheWindowShapeAtLoadTime) {
    const std::string sheet = WritePicture("shape_sheet.png", Picture(96, 32, 10, 20, 30));
    const std::string single = WritePicture("shape_single.png", Picture(64, 64, 10, 20, 30));
    struct Shape {
        const char* name;
        float basis, zoom;  // as the canvas sets them after a render
    } shapes[] = {{"landscape", 800, 1}, {"portrait", 512, 800.0f / 512}};
    for (const Shape& s : shapes) {
        SCOPED_TRACE(s.name);
        ASys.TargetScale = s.basis;
        ASys.ImageZoom = s.zoom;
        ASys.GetPNG(Slot, sheet.c_str(), 32);
        EXPECT_FLOAT_EQ(ASys.iSizeScaled[Slot], 40.0f / 800);
        ASys.GetPNG(Slot, single.c_str(), 64);
        EXPECT_FLOAT_EQ(ASys.iSizeScaled[Slot], 64.0f / 800);
        ASys.Buffer_Create(Slot, 256);
        EXPECT_FLOAT_EQ(ASys.iSizeScaled[Slot], 256.0f / 800);
    }
}

TEST_F(ImageLoad, FramesArePackedInReadingOrderWithAMargin) {
    // 4 x 2 frames of 16; the texture (128) holds 5 cells a row.
    Picture sheet(64, 32);
    for (int k = 0; k < 8; ++k) sheet.Fill((k % 4) * 16, (k / 4) * 16, 16, 16, 30 * k, 255 - 30 * k, 7, 255);
    ASys.GetPNG(Slot, WritePicture("order.png", sheet).c_str(), 16);
    ASSERT_EQ(ASys.iFrames[Slot], 8);
    ASSERT_EQ(iFramesW[Slot], 5);
    for (int k = 0; k < 8; ++k) {
        SCOPED_TRACE(k);
        int ox = (k % 5) * 24, oy = (k / 5) * 24;
        ExpectTexel(ox + 4, oy + 4, 30 * k, 255 - 30 * k, 7, 255);
        ExpectTexel(ox + 19, oy + 19, 30 * k, 255 - 30 * k, 7, 255);
        EXPECT_EQ(Texel(ox + 20, oy + 10)[3], 0);  // right margin
        EXPECT_EQ(Texel(ox + 10, oy + 3)[3], 0);   // top margin
    }
}

TEST_F(ImageLoad, KeyColoursBecomeTransparentAndEdgesBleed) {
    Picture sheet(32, 16, 255, 0, 255);  // magenta everywhere
    sheet.Set(0, 0, 255, 0, 0);
    sheet.Set(2, 0, 0, 255, 0);
    sheet.Fill(0, 8, 8, 1, 255, 0, 0);         // a red run on row 8
    sheet.Fill(16, 0, 16, 16, 0, 255, 255);    // frame 1 all cyan
    sheet.Set(20, 5, 253, 3, 251);             // near-magenta counts as magenta
    ASys.GetPNG(Slot, WritePicture("keys.png", sheet).c_str(), 16);
    ASSERT_EQ(ASys.iFrames[Slot], 2);
    ExpectTexel(4 + 0, 4 + 0, 255, 0, 0, 255);
    ExpectTexel(4 + 1, 4 + 0, 127, 127, 0, 0);   // between red and green
    ExpectTexel(4 + 8, 4 + 8, 255, 0, 0, 0);     // next to the red run
    ExpectTexel(4 + 12, 4 + 8, 0, 0, 0, 0);      // far from anything opaque
    ExpectTexel(3, 4 + 8, 255, 0, 0, 0);         // the margin bleeds too
    // Frame 1 (cell 1 of the first row) was all cyan: nothing opaque nearby.
    for (int y = 0; y < 24; ++y)
        for (int x = 24; x < 48; ++x) ExpectTexel(x, y, 0, 0, 0, 0);
}

TEST_F(ImageLoad, SingleImagesCopyWhatFitsAndClearKeyColours) {
    Picture pic(10, 5, 40, 50, 60);
    pic.Set(9, 4, 1, 2, 3);
    pic.Set(3, 3, 0, 255, 255);  // cyan
    ASys.GetPNG(Slot, WritePicture("small.png", pic).c_str(), 16);
    ASSERT_EQ(ASys.iFrames[Slot], 1);
    ASSERT_EQ(iSize[Slot], 16);
    ExpectTexel(0, 0, 40, 50, 60, 255);
    ExpectTexel(9, 4, 1, 2, 3, 255);
    ExpectTexel(3, 3, 0, 0, 0, 0);
    ExpectTexel(10, 0, 0, 0, 0, 0);
    ExpectTexel(0, 5, 0, 0, 0, 0);
    ExpectTexel(15, 15, 0, 0, 0, 0);
}

// A PNG signature and an IHDR chunk with a correct CRC, claiming w x h.
std::vector<unsigned char> HeaderOnly(unsigned w, unsigned h) {
    std::vector<unsigned char> b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (unsigned v : {w, h})
        for (int s = 24; s >= 0; s -= 8) b.push_back((v >> s) & 255);
    for (unsigned char c : {8, 6, 0, 0, 0}) b.push_back(c);
    unsigned crc = lodepng_crc32(&b[12], 17);
    for (int s = 24; s >= 0; s -= 8) b.push_back((crc >> s) & 255);
    return b;
}

TEST_F(ImageLoad, HostileFilesLeaveTheSlotEmpty) {
    std::vector<unsigned char> good;
    Picture pic(16, 16, 9, 9, 9);
    lodepng::encode(good, pic.px, pic.w, pic.h);
    std::vector<unsigned char> half(good.begin(), good.begin() + good.size() / 2);
    std::vector<unsigned char> huge = HeaderOnly(100000, 100000);
    huge.insert(huge.end(), good.begin() + 33, good.end());  // real data after the lying header
    struct Case {
        const char* what;
        std::string path;
        unsigned frame;
    } cases[] = {
        {"missing", ScratchDir() + "/nothing_here.png", 16},
        {"empty", WriteBytes("empty.png", {}), 16},
        {"text", WriteBytes("text.png", {'h', 'e', 'l', 'l', 'o'}), 16},
        {"truncated", WriteBytes("half.png", half), 16},
        {"claims 100000 square", WriteBytes("huge.png", huge), 16},
        {"header only", WriteBytes("header.png", HeaderOnly(64, 64)), 16},
        {"wider than allowed", WritePicture("wide.png", Picture(5000, 1)), 16},
        {"a directory", ScratchDir(), 16},
        {"frame size 0", WriteBytes("good.png", good), 0},
        {"frame size huge", WriteBytes("good.png", good), 1u << 31},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASys.GetPNG(Slot, WriteBytes("good.png", good).c_str(), 16);
        ASSERT_EQ(ASys.iFrames[Slot], 1);
        ASys.GetPNG(Slot, c.path.c_str(), c.frame);
        EXPECT_EQ(ASys.iFrames[Slot], -1);
    }
    ASys.GetPNG(Slot, nullptr, 16);
    EXPECT_EQ(ASys.iFrames[Slot], -1);
}

TEST_F(ImageLoad, SlotsOutsideTheGamesRangeAreRefused) {
    std::string path = WritePicture("ok.png", Picture(8, 8));
    SlotGuard shot(100);
    ASys.iFrames[100] = -1;
    for (int s : {-1, 100, 104, 105, 100000}) ASys.GetPNG(s, path.c_str(), 8);
    EXPECT_EQ(ASys.iFrames[100], -1);
}

TEST_F(ImageLoad, NamesResolveUnderTheDataDirectory) {
    char home[sizeof ThisGame.home];
    std::memcpy(home, ThisGame.home, sizeof home);
    int num = ThisGame.GameNum;
    std::string root = ScratchDir() + "/home";
    for (const char* d : {"", "/Data", "/Data/564", "/Data/564/sub"}) mkdir((root + d).c_str(), 0755);
    lodepng::encode(root + "/Data/564/sub/pic.png", Picture(8, 8).px, 8, 8);
    lodepng::encode(root + "/Data/564/gfx.PNG", Picture(16, 16).px, 16, 16);
    std::snprintf(ThisGame.home, sizeof ThisGame.home, "%s", root.c_str());
    ThisGame.GameNum = 564;

    ThisGame.LoadImg(Slot, "sub\\pic", 8);
    EXPECT_EQ(iSize[Slot], 8);
    ThisGame.LoadImgFull(Slot, "gfx.PNG", 16);
    EXPECT_EQ(iSize[Slot], 16);
    ThisGame.LoadImg(Slot, "gfx", 16);  // gfx.png is not there
    EXPECT_EQ(ASys.iFrames[Slot], -1);
    ThisGame.LoadFont(Slot, "sub/pic.png");
    EXPECT_EQ(ASys.iFramesSquare[Slot], 32);
    EXPECT_EQ(ASys.FontImage, Slot);

    std::memcpy(ThisGame.home, home, sizeof home);
    ThisGame.GameNum = num;
}

TEST_F(ImageLoad, SavedPixelsDecodeUnchanged) {
    ThisGame.CreateBuffer(Slot, 8);
    ThisGame.BufferFill(Slot, 12, 34, 56, 78);
    ThisGame.SetCol(200, 100, 50, 1);
    ThisGame.BufferLine(Slot, 0, 0, 8, 8);
    std::string path = ScratchDir() + "/saved.png";
    ASys.SavePNG(path.c_str(), Slot, 8, 8);
    std::vector<unsigned char> back;
    unsigned w = 0, h = 0;
    ASSERT_EQ(lodepng::decode(back, w, h, path), 0u);
    EXPECT_EQ(w, 8u);
    EXPECT_EQ(back, Image[Slot]);

    // More pixels than the slot holds, or no slot at all: nothing is written.
    std::string bad = ScratchDir() + "/too_big.png";
    ASys.SavePNG(bad.c_str(), Slot, 9, 9);
    ASys.SavePNG(bad.c_str(), -4, 1, 1);
    ASys.SavePNG((ScratchDir() + "/no/such/dir.png").c_str(), Slot, 8, 8);
    struct stat st;
    EXPECT_NE(stat(bad.c_str(), &st), 0);
}

// Screenshots go to the save folder under names that are easy to guess: a
// link planted under the name is never written through, while the game's
// own picture of the last frame is replaced as long as the key is held.
TEST_F(ImageLoad, ScreenshotsNeverGoThroughAPlantedName) {
    ThisGame.CreateBuffer(Slot, 8);
    ThisGame.BufferFill(Slot, 12, 34, 56, 78);
    const std::vector<unsigned char> keep = {'k', 'e', 'e', 'p'};
    std::string victim = WriteBytes("victim.txt", keep);
    std::string shot = ScratchDir() + "/Screenshot_planted.png";
    std::remove(shot.c_str());
    ASSERT_EQ(symlink(victim.c_str(), shot.c_str()), 0);
    ASys.SavePNG(shot.c_str(), Slot, 8, 8);
    std::vector<unsigned char> bytes;
    ASSERT_EQ(lodepng::load_file(bytes, victim), 0u);
    EXPECT_EQ(bytes, keep);
    struct stat st;
    ASSERT_EQ(lstat(shot.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));

    std::remove(shot.c_str());
    for (int frame = 0; frame < 2; frame++) {
        ThisGame.BufferFill(Slot, 10 + frame, 34, 56, 78);
        ASys.SavePNG(shot.c_str(), Slot, 8, 8);
        std::vector<unsigned char> back;
        unsigned w = 0, h = 0;
        ASSERT_EQ(lodepng::decode(back, w, h, shot), 0u) << "frame " << frame;
        EXPECT_EQ(back, Image[Slot]) << "frame " << frame;
    }
}

}  // namespace
