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
    for (int base : {DrawSlot::BottomR, DrawSlot::TopR}) {
        EXPECT_EQ(ASys.DrawSet[base], 255);
        EXPECT_EQ(ASys.DrawSet[base + 1], 0);
        EXPECT_EQ(ASys.DrawSet[base + 2], 128);
    }
    EXPECT_FLOAT_EQ(ASys.DrawSet[DrawSlot::BottomA], 127.5f);
    EXPECT_FLOAT_EQ(ASys.DrawSet[DrawSlot::TopA], 127.5f);
    g.SetCol(10, 20, 30, 7);  // alpha above 1 clamps to 255
    EXPECT_EQ(ASys.DrawSet[DrawSlot::BottomA], 255);
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
        EXPECT_NEAR(ASys.DrawSet[DrawSlot::BottomR], c.r, 0.01);
        EXPECT_NEAR(ASys.DrawSet[DrawSlot::BottomG], c.g, 0.01);
        EXPECT_NEAR(ASys.DrawSet[DrawSlot::BottomB], c.b, 0.01);
        EXPECT_EQ(ASys.DrawSet[DrawSlot::BottomA], 255);
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
    EXPECT_EQ(r[DrawField::Kind], DrawKind::Rect);
    EXPECT_DOUBLE_EQ(r[DrawField::X], -300);
    EXPECT_DOUBLE_EQ(r[DrawField::Y], -250);
    EXPECT_NEAR(r[DrawField::W], 20, 1e-4);
    EXPECT_NEAR(r[DrawField::H], -40, 1e-4);
    // Bottom colour = second gradient colour, top = first.
    EXPECT_DOUBLE_EQ(r[DrawField::BottomA], 127.5);
    EXPECT_DOUBLE_EQ(r[DrawField::BottomB], 255);
    EXPECT_DOUBLE_EQ(r[DrawField::TopA], 255);
    EXPECT_DOUBLE_EQ(r[DrawField::TopR], 255);
    EXPECT_DOUBLE_EQ(r[DrawField::TopB], 0);
    EXPECT_DOUBLE_EQ(r[DrawField::Rotation], 30);
    EXPECT_DOUBLE_EQ(r[DrawField::HalfThick], 2);
    EXPECT_NEAR(r[DrawField::DepthA], 0.1, 1e-6);
    EXPECT_NEAR(r[DrawField::DepthB], 0.2, 1e-6);
}

TEST_F(Recording, ShapeHelpersMoveToTheirCentres) {
    g.Rect_UL(10, 20, 30, 40);
    g.Oval_UL(10, 20, 5);
    g.Fan(50, 60, 7);
    ASSERT_EQ(ASys.DrawTo, 3);
    EXPECT_DOUBLE_EQ(RecordAt(0)[DrawField::X], 25 - 400);
    EXPECT_DOUBLE_EQ(RecordAt(0)[DrawField::Y], 40 - 300);
    EXPECT_EQ(RecordAt(1)[DrawField::Kind], DrawKind::Oval);
    EXPECT_DOUBLE_EQ(RecordAt(1)[DrawField::X], 15 - 400);
    EXPECT_NEAR(RecordAt(1)[DrawField::W], 10, 1e-4);
    EXPECT_NEAR(RecordAt(1)[DrawField::H], -10, 1e-4);
    EXPECT_EQ(RecordAt(2)[DrawField::Kind], DrawKind::Fan);
    EXPECT_NEAR(RecordAt(2)[DrawField::W], 14, 1e-4);
    EXPECT_NEAR(RecordAt(2)[DrawField::H], -14, 1e-4);
}

TEST_F(Recording, TriangleApexSitsAboveTheCentre) {
    g.Tri(400, 300, 10, 20);
    const double* r = RecordAt(0);
    EXPECT_EQ(r[DrawField::Kind], DrawKind::Tri);
    EXPECT_NEAR(r[DrawField::X1], 0, 1e-3);
    EXPECT_NEAR(r[DrawField::Y1], -20, 1e-3);
    // The other two corners lie below the centre, left and right.
    EXPECT_NEAR(r[DrawField::X2], 10 * 0.866, 1e-2);
    EXPECT_NEAR(r[DrawField::Y2], 10, 1e-2);
    EXPECT_NEAR(r[DrawField::X3], -10 * 0.866, 1e-2);
}

TEST_F(Recording, ThinnestLineIsFivePercentOfAUnit) {
    g.SetLineThickness(0);
    EXPECT_FLOAT_EQ(ASys.DrawSet[DrawSlot::HalfThick], 0.025f);
    g.Line(100, 300, 200, 300);
    const double* r = RecordAt(0);
    EXPECT_EQ(r[DrawField::Kind], DrawKind::Quad);
    // Corners 1 and 4 straddle the start point, 2 and 3 the end point.
    EXPECT_NEAR(r[DrawField::X1], -300, 1e-3);
    EXPECT_NEAR(r[DrawField::X2], -200, 1e-3);
    EXPECT_NEAR(std::fabs(r[DrawField::Y1] - r[DrawField::Y4]), 0.05, 1e-4);
    EXPECT_NEAR(std::fabs(r[DrawField::Y2] - r[DrawField::Y3]), 0.05, 1e-4);
}

TEST_F(Recording, BlendChangesAreRecordedOnlyWhenTheModeChanges) {
    g.ShowStats = 0;
    g.SetBlend(Blend::Alpha);
    EXPECT_EQ(ASys.DrawTo, 0);
    g.SetBlend(Blend::Add);
    g.SetBlend(Blend::Add);
    ASSERT_EQ(ASys.DrawTo, 1);
    EXPECT_EQ(RecordAt(0)[DrawField::Kind], DrawKind::Blend);
    EXPECT_EQ(RecordAt(0)[DrawField::Mode], Blend::Add);
    g.BufferGame();
    EXPECT_EQ(ASys.CurBlend, 1);
    EXPECT_EQ(ASys.DrawTo, 0);
    g.SetBlend(Blend::Alpha);
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
    EXPECT_EQ(r[DrawField::Kind], DrawKind::Image);
    EXPECT_DOUBLE_EQ(r[DrawField::X], 10);
    EXPECT_DOUBLE_EQ(r[DrawField::Y], 20);
    EXPECT_NEAR(r[DrawField::W], 800 * 1.5625, 1e-2);
    EXPECT_NEAR(r[DrawField::H], -800 * 1.5625, 1e-2);
    EXPECT_EQ(r[DrawField::DrawnFrame], 5);
    EXPECT_EQ(r[DrawField::Slot], 97);
    EXPECT_EQ(r[DrawField::Frame], 5);
    EXPECT_EQ(RecordAt(1)[DrawField::Kind], DrawKind::ImageBlur);
    EXPECT_EQ(RecordAt(1)[DrawField::DrawnFrame], 0);
    EXPECT_EQ(RecordAt(1)[DrawField::Frame], 6);
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
    EXPECT_EQ(r[DrawField::Kind], DrawKind::Image);
    EXPECT_EQ(r[DrawField::X], 0);
    EXPECT_EQ(r[DrawField::Y], 0);
    EXPECT_NEAR(r[DrawField::W], 400, 1e-3);
    EXPECT_NEAR(r[DrawField::H], -400, 1e-3);
    EXPECT_EQ(r[DrawField::Slot], 102);
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
    for (int k = 0; k < 8; ++k) EXPECT_DOUBLE_EQ(RecordAt(0)[DrawField::X1 + k], want8[k] - (k % 2 ? 300 : 400)) << k;
    EXPECT_DOUBLE_EQ(RecordAt(1)[DrawField::X1], 928 - 400);
    EXPECT_DOUBLE_EQ(RecordAt(1)[DrawField::Y3], -128 - 300);
    EXPECT_EQ(RecordAt(0)[DrawField::TopR], 255);  // top: red
    EXPECT_EQ(RecordAt(0)[DrawField::BottomB], 255);  // bottom: blue
    EXPECT_EQ(RecordAt(0)[DrawField::BottomR], 0);
}

TEST_F(Recording, ClearColourSetters) {
    g.FadeCLS(300, 20, 30, 0.2f);
    EXPECT_EQ(ASys.DrawSet[DrawSlot::ClearToR], 255);
    EXPECT_EQ(ASys.DrawSet[DrawSlot::ClearFade], 1);
    g.FadeCLS(0, 0, 0, 6);
    EXPECT_EQ(ASys.DrawSet[DrawSlot::ClearFade], 6);
    g.CLS(1, 2, 3);
    EXPECT_EQ(ASys.DrawSet[DrawSlot::ClearR], 1);
    EXPECT_EQ(ASys.DrawSet[DrawSlot::ClearToB], 3);
    EXPECT_EQ(ASys.DrawSet[DrawSlot::ClearFade], 1);
    g.SetCLSRot(0, 100, 200);  // red: sin 0 -> 200; green: sin 120 -> 286 -> 255
    EXPECT_NEAR(ASys.DrawSet[DrawSlot::ClearR], 200, 0.01);
    EXPECT_EQ(ASys.DrawSet[DrawSlot::ClearG], 255);
    EXPECT_NEAR(ASys.DrawSet[DrawSlot::ClearB], 200 - 86.6, 0.05);
    EXPECT_EQ(ASys.DrawSet[DrawSlot::ClearB], ASys.DrawSet[DrawSlot::ClearToB]);
}

TEST_F(Recording, AFullListDropsFurtherCommandsWithoutOverrunning) {
    ASys.FontImage = 51;
    ASys.CurBlend = 1;
    for (int i = 0; i < DrawListRecords + 100; ++i) g.Rect(i % 800, 5, 1, 1);
    EXPECT_EQ(ASys.DrawTo, DrawListRecords);
    g.SetBlend(Blend::SoftAdd);
    EXPECT_EQ(ASys.DrawTo, DrawListRecords);
    // The members right after the list are intact.
    EXPECT_EQ(ASys.FontImage, 51);
    EXPECT_DOUBLE_EQ(RecordAt(DrawListRecords - 1)[DrawField::X], double((DrawListRecords - 1) % 800) - 400);
}

}  // namespace
