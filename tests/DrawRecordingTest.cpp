// Draw state and command recording, checked on the recorded list itself (no
// window needed).
#include <gtest/gtest.h>

#include <cmath>

#include "support/StateGuards.h"

namespace {

class Recording : public ::testing::Test {
protected:
    void SetUp() override { NeutralCanvas(400, 300); }
    DrawStateGuard state_;
    MyGame& g = ThisGame;
};

TEST_F(Recording, SetColClampsEachChannelAndKeepsAlpha) {
    g.SetAlpha(0.5f);
    g.SetCol(300, -5, 128);
    for (int base : {1, 5}) {
        EXPECT_EQ(ASys.DrawSet[base], 255);
        EXPECT_EQ(ASys.DrawSet[base + 1], 0);
        EXPECT_EQ(ASys.DrawSet[base + 2], 128);
    }
    EXPECT_FLOAT_EQ(ASys.DrawSet[0], 127.5f);
    EXPECT_FLOAT_EQ(ASys.DrawSet[4], 127.5f);
    g.SetCol(10, 20, 30, 7);  // alpha above 1 clamps to 255
    EXPECT_EQ(ASys.DrawSet[0], 255);
    EXPECT_EQ(g.GetCol(31), 0);
    EXPECT_EQ(g.GetCol(-1), 0);
}

TEST_F(Recording, PaletteAndHueColours) {
    struct Case {
        const char* what;
        void (*set)(MyGame&);
        float r, g, b;
    } cases[] = {
        {"Ink(13)", [](MyGame& m) { m.Ink(13); }, 255, 255, 0},
        {"Ink(-3)", [](MyGame& m) { m.Ink(-3); }, 255, 255, 255},
        {"Ink(10)", [](MyGame& m) { m.Ink(10); }, 0, 0, 0},
        {"Ink(7)", [](MyGame& m) { m.Ink(7); }, 180, 0, 255},
        {"InkRot(120)", [](MyGame& m) { m.InkRot(120); }, 0, 255, 0},
        {"InkRot(240)", [](MyGame& m) { m.InkRot(240); }, 0, 0, 255},
        {"InkRot(-60)", [](MyGame& m) { m.InkRot(-60); }, 255, 0, 255},
        {"InkRot(30, 0.5)", [](MyGame& m) { m.InkRot(30, 0.5); }, 255, 191.25f, 127.5f},
        {"InkRot(90, 0, 0.4)", [](MyGame& m) { m.InkRot(90, 0, 0.4); }, 102, 102, 102},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g.SetAlpha(0);
        c.set(g);
        EXPECT_NEAR(ASys.DrawSet[1], c.r, 0.01);
        EXPECT_NEAR(ASys.DrawSet[2], c.g, 0.01);
        EXPECT_NEAR(ASys.DrawSet[3], c.b, 0.01);
        EXPECT_EQ(ASys.DrawSet[0], 255);
    }
}

TEST_F(Recording, RectStoresCentreRelativeGeometryAndAStateCopy) {
    g.SetSize(2);
    g.SetRot(30);
    g.SetLineThickness(4);
    g.SetDepth(0.1f, 0.2f);
    g.SetGradient(255, 0, 0, 1, 0, 0, 255, 0.5f);
    g.Rect(100, 50, 10, 20);
    ASSERT_EQ(ASys.DrawTo, 1);
    const double* r = RecordAt(0);
    EXPECT_EQ(r[0], 1);
    EXPECT_DOUBLE_EQ(r[1], -300);
    EXPECT_DOUBLE_EQ(r[2], -250);
    EXPECT_NEAR(r[3], 20, 1e-4);
    EXPECT_NEAR(r[4], -40, 1e-4);
    // Bottom colour = second gradient colour, top = first.
    EXPECT_DOUBLE_EQ(r[10], 127.5);
    EXPECT_DOUBLE_EQ(r[13], 255);
    EXPECT_DOUBLE_EQ(r[14], 255);
    EXPECT_DOUBLE_EQ(r[15], 255);
    EXPECT_DOUBLE_EQ(r[17], 0);
    EXPECT_DOUBLE_EQ(r[18], 30);
    EXPECT_DOUBLE_EQ(r[19], 2);
    EXPECT_NEAR(r[21], 0.1, 1e-6);
    EXPECT_NEAR(r[22], 0.2, 1e-6);
}

TEST_F(Recording, ShapeHelpersMoveToTheirCentres) {
    g.Rect_UL(10, 20, 30, 40);
    g.Oval_UL(10, 20, 5);
    g.Fan(50, 60, 7);
    ASSERT_EQ(ASys.DrawTo, 3);
    EXPECT_DOUBLE_EQ(RecordAt(0)[1], 25 - 400);
    EXPECT_DOUBLE_EQ(RecordAt(0)[2], 40 - 300);
    EXPECT_EQ(RecordAt(1)[0], 3);
    EXPECT_DOUBLE_EQ(RecordAt(1)[1], 15 - 400);
    EXPECT_NEAR(RecordAt(1)[3], 10, 1e-4);
    EXPECT_NEAR(RecordAt(1)[4], -10, 1e-4);
    EXPECT_EQ(RecordAt(2)[0], 5);
    EXPECT_NEAR(RecordAt(2)[3], 14, 1e-4);
    EXPECT_NEAR(RecordAt(2)[4], -14, 1e-4);
}

TEST_F(Recording, TriangleApexSitsAboveTheCentre) {
    g.Tri(400, 300, 10, 20);
    const double* r = RecordAt(0);
    EXPECT_EQ(r[0], 6);
    EXPECT_NEAR(r[1], 0, 1e-3);
    EXPECT_NEAR(r[2], -20, 1e-3);
    // The other two corners lie below the centre, left and right.
    EXPECT_NEAR(r[3], 10 * 0.866, 1e-2);
    EXPECT_NEAR(r[4], 10, 1e-2);
    EXPECT_NEAR(r[5], -10 * 0.866, 1e-2);
}

TEST_F(Recording, ThinnestLineIsFivePercentOfAUnit) {
    g.SetLineThickness(0);
    EXPECT_FLOAT_EQ(ASys.DrawSet[9], 0.025f);
    g.Line(100, 300, 200, 300);
    const double* r = RecordAt(0);
    EXPECT_EQ(r[0], 2);
    // Corners 1 and 4 straddle the start point, 2 and 3 the end point.
    EXPECT_NEAR(r[1], -300, 1e-3);
    EXPECT_NEAR(r[3], -200, 1e-3);
    EXPECT_NEAR(std::fabs(r[2] - r[8]), 0.05, 1e-4);
    EXPECT_NEAR(std::fabs(r[4] - r[6]), 0.05, 1e-4);
}

TEST_F(Recording, BlendChangesAreRecordedOnlyWhenTheModeChanges) {
    g.ShowStats = 0;
    g.SetBlend(1);
    EXPECT_EQ(ASys.DrawTo, 0);
    g.SetBlend(2);
    g.SetBlend(2);
    ASSERT_EQ(ASys.DrawTo, 1);
    EXPECT_EQ(RecordAt(0)[0], 50);
    EXPECT_EQ(RecordAt(0)[1], 2);
    g.BufferGame();
    EXPECT_EQ(ASys.CurBlend, 1);
    EXPECT_EQ(ASys.DrawTo, 0);
    g.SetBlend(1);
    EXPECT_EQ(ASys.DrawTo, 0);
}

TEST_F(Recording, ImageCallsOnMissingSlotsRecordNothing) {
    SlotGuard keep(97);
    ASys.iFrames[97] = -1;
    for (int slot : {97, -1, 105, 100000}) {
        SCOPED_TRACE(slot);
        g.DrawImg(slot, 10, 10, 3);
        g.DrawBlur(slot, 10, 10);
        g.QuadImg(slot, 0, 0, 1, 0, 1, 1, 0, 1, 0);
        EXPECT_EQ(ASys.DrawTo, 0);
    }
}

TEST_F(Recording, ImageRecordsCarrySlotFrameAndZoomedSize) {
    SlotGuard keep(97);
    g.CreateBuffer(97, 64);
    ASys.ImageZoom = 1.5625f;
    g.SetSize(2);
    g.DrawImg(97, 410, 320, 5);
    g.DrawBlur(97, 410, 320, 6);
    ASSERT_EQ(ASys.DrawTo, 2);
    const double* r = RecordAt(0);
    EXPECT_EQ(r[0], 11);
    EXPECT_DOUBLE_EQ(r[1], 10);
    EXPECT_DOUBLE_EQ(r[2], 20);
    EXPECT_NEAR(r[3], 800 * 1.5625, 1e-2);
    EXPECT_NEAR(r[4], -800 * 1.5625, 1e-2);
    EXPECT_EQ(r[27], 5);
    EXPECT_EQ(r[28], 97);
    EXPECT_EQ(r[29], 5);
    EXPECT_EQ(RecordAt(1)[0], 13);
    EXPECT_EQ(RecordAt(1)[27], 0);
    EXPECT_EQ(RecordAt(1)[29], 6);
}

TEST_F(Recording, ScreenCopyIsDrawnCentredOnlyWhenPresent) {
    SlotGuard keep(102);
    ASys.iFrames[102] = -1;
    g.DrawBuffer();
    EXPECT_EQ(ASys.DrawTo, 0);
    ASys.iFrames[102] = 1;
    g.DrawBuffer();
    ASSERT_EQ(ASys.DrawTo, 1);
    const double* r = RecordAt(0);
    EXPECT_EQ(r[0], 11);
    EXPECT_EQ(r[1], 0);
    EXPECT_EQ(r[2], 0);
    EXPECT_NEAR(r[3], 400, 1e-3);
    EXPECT_NEAR(r[4], -400, 1e-3);
    EXPECT_EQ(r[28], 102);
}

TEST_F(Recording, GradientClearCoversTheCanvasWithTheFirstColourOnTop) {
    int w = g.jscrWide, h = g.jscrHigh;
    float over = g.OverscanFrac;
    g.jscrWide = 800;
    g.jscrHigh = 600;
    g.OverscanFrac = 0;
    g.CLSGradient(255, 0, 0, 1, 0, 0, 255, 1);
    g.OverscanFrac = 0.1f;
    g.CLSGradient(255, 0, 0, 1, 0, 0, 255, 1);
    g.jscrWide = w;
    g.jscrHigh = h;
    g.OverscanFrac = over;
    ASSERT_EQ(ASys.DrawTo, 2);
    const double want8[8] = {808, 608, 808, -8, -8, -8, -8, 608};
    for (int k = 0; k < 8; ++k) EXPECT_DOUBLE_EQ(RecordAt(0)[1 + k], want8[k] - (k % 2 ? 300 : 400)) << k;
    EXPECT_DOUBLE_EQ(RecordAt(1)[1], 928 - 400);
    EXPECT_DOUBLE_EQ(RecordAt(1)[6], -128 - 300);
    EXPECT_EQ(RecordAt(0)[15], 255);  // top: red
    EXPECT_EQ(RecordAt(0)[13], 255);  // bottom: blue
    EXPECT_EQ(RecordAt(0)[11], 0);
}

TEST_F(Recording, ClearColourSetters) {
    g.FadeCLS(300, 20, 30, 0.2f);
    EXPECT_EQ(ASys.DrawSet[24], 255);
    EXPECT_EQ(ASys.DrawSet[27], 1);
    g.FadeCLS(0, 0, 0, 6);
    EXPECT_EQ(ASys.DrawSet[27], 6);
    g.CLS(1, 2, 3);
    EXPECT_EQ(ASys.DrawSet[21], 1);
    EXPECT_EQ(ASys.DrawSet[26], 3);
    EXPECT_EQ(ASys.DrawSet[27], 1);
    g.SetCLSRot(0, 100, 200);  // red: sin 0 -> 200; green: sin 120 -> 286 -> 255
    EXPECT_NEAR(ASys.DrawSet[21], 200, 0.01);
    EXPECT_EQ(ASys.DrawSet[22], 255);
    EXPECT_NEAR(ASys.DrawSet[23], 200 - 86.6, 0.05);
    EXPECT_EQ(ASys.DrawSet[23], ASys.DrawSet[26]);
}

TEST_F(Recording, AFullListDropsFurtherCommandsWithoutOverrunning) {
    ASys.FontImage = 51;
    ASys.CurBlend = 1;
    for (int i = 0; i < DrawListRecords + 100; ++i) g.Rect(i % 800, 5, 1, 1);
    EXPECT_EQ(ASys.DrawTo, DrawListRecords);
    g.SetBlend(3);
    EXPECT_EQ(ASys.DrawTo, DrawListRecords);
    // The members right after the list are intact.
    EXPECT_EQ(ASys.FontImage, 51);
    EXPECT_DOUBLE_EQ(RecordAt(DrawListRecords - 1)[1], double((DrawListRecords - 1) % 800) - 400);
}

}  // namespace
