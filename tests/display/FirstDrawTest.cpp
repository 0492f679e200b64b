// Work moved ahead of a first draw must not change what is drawn: a loaded
// picture sent to its texture in strips between frames, and the pipeline
// warmed up as the window opens.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/FrameReader.h"
#include "support/GameWindow.h"
#include "support/StateGuards.h"
#include "support/TestPictures.h"
#include "sys/ImageTable.h"
#include "sys/PipelineWarmUp.h"
#include "sys/RendererGlobals.h"
#include "sys/SysGlobals.h"
#include "sys/TextureStrips.h"

namespace {

constexpr int Slot = 93;
constexpr int Side = 1024;  // several renders' worth of strips

// Every texel differs from its neighbours, so a row sent to the wrong
// place, twice or not at all shows.
const std::string& NoisyPicture() {
    static std::string path;
    if (path.empty()) {
        Picture pic(Side, Side);
        for (unsigned y = 0; y < Side; ++y)
            for (unsigned x = 0; x < Side; ++x)
                pic.Set(x, y, (unsigned char)(x * 7 + y * 13), (unsigned char)(x * 29 ^ y), (unsigned char)(y * 3 + x / 5));
        path = WritePicture("strips.png", pic);
    }
    return path;
}

class FirstDraw : public ::testing::Test {
protected:
    void SetUp() override {
        if (!EnsureGameWindow()) GTEST_SKIP() << "needs a display";
        if (ASys.FrameW != 800 || ASys.FrameH != 600) ASys.SetScreen(800, 600);
        ASys.DrawTo = 0;
        ASys.RenderBuffer();
        ReplayFrame(0);
        NeutralCanvas(400, 300);  // one canvas unit per pixel
        g.CLS(0, 0, 0);
        g.Smooth(0);
        Input.Wireframe = 0;
    }
    void TearDown() override {
        // Nothing of this test stays queued for later renders.
        if (GLuint name = TakeStripTexture(Slot)) glDeleteTextures(1, &name);
        ASys.DrawTo = 0;
        ASys.RenderBuffer();
    }
    // The slot drawn one texel per pixel over the whole window.
    FramePixels DrawSlot() {
        ASys.DrawTo = 0;
        ASys.CurBlend = 1;
        g.DrawImg(Slot, 400, 300);
        ASys.RenderBuffer();
        ReplayFrame(0);
        return ReadBackBuffer();
    }
    // The same with the slot's pixels uploaded whole, as before any strips.
    FramePixels DrawSlotWhole() {
        TouchImage(Slot);
        return DrawSlot();
    }

    DrawStateGuard state_;
    SlotGuard slot_{Slot};
    MyGame& g = ThisGame;
};

TEST_F(FirstDraw, PictureSentInStripsDrawsAsAWholeUploadDoes) {
    struct Case {
        const char* what;
        int rendersBefore;  // renders that sent strips before the first draw
        bool pixelsChange;  // the slot's pixels change after the strips
        bool newWindow;     // the window (and its context) is made again
    };
    const Case cases[] = {
        {"drawn before any strip", 0, false, false},
        {"drawn with rows still to send", 1, false, false},
        {"drawn after the last strip", 3, false, false},
        {"pixels changed after a strip", 1, true, false},
        {"window made again after a strip", 1, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASys.GetPNG(Slot, NoisyPicture().c_str(), Side);
        ASSERT_EQ(iSize[Slot], Side);
        for (int r = 0; r < c.rendersBefore; ++r) UploadStripsAhead();
        if (c.pixelsChange) {
            std::memset(Image[Slot].data() + size_t(Side) * 4 * 300, 200, size_t(Side) * 4 * 20);
            TouchImage(Slot);
        }
        if (c.newWindow) ASys.SetScreen(800, 600);
        FramePixels first = DrawSlot();
        FramePixels whole = DrawSlotWhole();
        ASSERT_EQ(first.rgba.size(), size_t(800) * 600 * 4);
        EXPECT_TRUE(first.rgba == whole.rgba);
        // The picture is really there: its own texel at the window's centre.
        const unsigned char* centre = &Image[Slot][(size_t(Side / 2) * Side + Side / 2) * 4];
        EXPECT_EQ(std::memcmp(first.At(400, 300), centre, 3), 0);
    }
}

TEST_F(FirstDraw, StripTextureHoldsEveryTexelOfTheSlot) {
    for (int renders : {1, 2, 3}) {
        SCOPED_TRACE(renders);
        ASys.GetPNG(Slot, NoisyPicture().c_str(), Side);
        for (int r = 0; r < renders; ++r) UploadStripsAhead();
        GLuint name = TakeStripTexture(Slot);
        ASSERT_NE(name, 0u);
        std::vector<unsigned char> texels(size_t(Side) * Side * 4);
        glBindTexture(GL_TEXTURE_2D, name);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        glDeleteTextures(1, &name);
        EXPECT_TRUE(texels == Image[Slot]);
    }
}

TEST_F(FirstDraw, PipelineWarmUpLeavesTheFrameToDrawAsItWas) {
    g.SetCol(200, 100, 50);
    g.Rect(300, 200, 120, 80);
    g.SetBlend(Blend::Add);
    g.Oval(500, 400, 90, 60);
    ASys.RenderBuffer();
    // No smoothing, and a clear colour halfway through a fade: a replay
    // would move both.
    ASys.DrawSet[DrawSlot::Smoothing] = 0;
    ASys.DrawSet[DrawSlot::ClearR] = 255;
    ASys.DrawSet[DrawSlot::ClearToR] = 0;
    ASys.DrawSet[DrawSlot::ClearFade] = 4;
    const std::vector<DrawCmd> list(Replayer.DrawR, Replayer.DrawR + Replayer.DrawToRT);
    const std::vector<float> set(ASys.DrawSet, ASys.DrawSet + 50);

    WarmUpPipeline();

    ASSERT_EQ(size_t(Replayer.DrawToRT), list.size());
    EXPECT_EQ(std::memcmp(Replayer.DrawR, list.data(), sizeof(DrawCmd) * list.size()), 0);
    EXPECT_EQ(std::vector<float>(ASys.DrawSet, ASys.DrawSet + 50), set);
}

}  // namespace
