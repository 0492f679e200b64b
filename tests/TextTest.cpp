// Bitmap-font text: widths and the glyph commands a string records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/StateGuards.h"

namespace {

constexpr int FontSlot = 96;

struct Glyph {
    double x, y;
    int frame;
};

class TextRecording : public ::testing::Test {
protected:
    void SetUp() override {
        NeutralCanvas(0, 0);  // records then hold canvas coordinates
        ThisGame.CreateBuffer(FontSlot, 32);
        ThisGame.SetFont(FontSlot);
    }
    std::vector<Glyph> Glyphs() const {
        std::vector<Glyph> out;
        for (int i = 0; i < ASys.DrawTo; ++i) {
            EXPECT_EQ(RecordAt(i)[0], 11);
            EXPECT_EQ(RecordAt(i)[28], FontSlot);
            out.push_back({RecordAt(i)[1], RecordAt(i)[2], int(RecordAt(i)[29])});
        }
        return out;
    }
    DrawStateGuard state_;
    SlotGuard font_{FontSlot};
    MyGame& g = ThisGame;
};

TEST_F(TextRecording, WidthsFollowTheTableAndTheSize) {
    EXPECT_FLOAT_EQ(g.StringWidth("Hi"), 18);
    EXPECT_FLOAT_EQ(g.StringWidth(std::string("MW")), 42);
    EXPECT_FLOAT_EQ(g.StringWidth("H\ti"), 18);        // control codes add nothing
    EXPECT_FLOAT_EQ(g.StringWidth("H\xC3\xA9"), 14);   // nor do bytes above 127
    EXPECT_FLOAT_EQ(g.StringWidth('m'), 24);
    EXPECT_FLOAT_EQ(g.CharWidth('\n'), 0);
    g.SetSize(0.5f);
    EXPECT_FLOAT_EQ(g.StringWidth("Hi"), 9);
}

TEST_F(TextRecording, CentredStringPlacesGlyphCentres) {
    struct Case {
        const char* what;
        float size, rot;
        std::vector<Glyph> want;
    } cases[] = {
        {"size 1", 1, 0, {{105, 50, 40}, {119, 50, 73}}},
        {"size 0.5", 0.5f, 0, {{102.5, 50, 40}, {109.5, 50, 73}}},
        // Rotated 90 the text runs downward, starting 9 above the centre.
        {"rotated 90", 1, 90, {{100, 55, 40}, {100, 69, 73}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASys.DrawTo = 0;
        g.SetSize(c.size);
        g.SetRot(c.rot);
        g.Text(100, 50, "Hi", 1);
        std::vector<Glyph> got = Glyphs();
        ASSERT_EQ(got.size(), c.want.size());
        for (size_t k = 0; k < got.size(); ++k) {
            EXPECT_NEAR(got[k].x, c.want[k].x, 1e-3) << k;
            EXPECT_NEAR(got[k].y, c.want[k].y, 1e-3) << k;
            EXPECT_EQ(got[k].frame, c.want[k].frame) << k;
        }
    }
}

TEST_F(TextRecording, AlignmentStartsEndsOrCentresTheString) {
    for (float a : {0.0f, 1.0f, 2.0f}) {
        ASys.DrawTo = 0;
        g.Text(200, 10, "AB", a);
        // Width 28: the first glyph centre is the start plus the space step.
        EXPECT_NEAR(Glyphs()[0].x, 200 - 14 * a + 14, 1e-3) << a;
    }
}

TEST_F(TextRecording, TabDrawsASpaceGlyphWithoutMovingThePen) {
    g.Text(0, 0, "A\tB");
    std::vector<Glyph> got = Glyphs();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[1].frame, 9 - 32);  // replayed as frame 0
    EXPECT_DOUBLE_EQ(got[1].x, got[0].x + 14);
    EXPECT_DOUBLE_EQ(got[2].x, got[1].x);
}

TEST_F(TextRecording, NumbersAreFormattedBeforeDrawing) {
    auto frames = [&] {
        std::string s;
        for (const Glyph& gl : Glyphs()) s += char(gl.frame + 32);
        return s;
    };
    g.Text(10, 10, 3.5f);
    EXPECT_EQ(frames(), "3.500000");
    ASys.DrawTo = 0;
    g.Text(10, 10, -42);
    EXPECT_EQ(frames(), "-42");
}

TEST_F(TextRecording, SingleCharacterShiftsByItsOwnWidth) {
    EXPECT_EQ(g.Text(100, 50, 'H', 1), 14);
    // 100 - 14.5 (unscaled), then half a space.
    EXPECT_NEAR(Glyphs()[0].x, 92.5, 1e-3);
    ASys.DrawTo = 0;
    g.SetSize(2);
    g.Text(100, 50, 'H', 0);
    EXPECT_NEAR(Glyphs()[0].x, 114, 1e-3);
}

TEST_F(TextRecording, MissingFontRecordsNothing) {
    ASys.iFrames[FontSlot] = -1;
    g.Text(10, 10, "Hello");
    EXPECT_EQ(ASys.DrawTo, 0);
    EXPECT_FLOAT_EQ(g.StringWidth("Hello"), 14 + 14 + 4 + 4 + 14);
}

}  // namespace
