#include <gtest/gtest.h>

#include <set>

#include "shell/MyGame.h"

namespace {
ZARNCore& Core() { return ThisGame; }
}

TEST(MathsTest, AnglesAreInDegreesWithZeroPointingUp) {
    EXPECT_FLOAT_EQ(Core().Sin(90), 1.0f);
    EXPECT_NEAR(Core().Sin(30), 0.5f, 1e-6);
    EXPECT_NEAR(Core().Cos(180), -1.0f, 1e-6);
    // The heading factor is 0.017453, not the exact 180/pi.
    EXPECT_NEAR(Core().Atan2(1, 0), 90.0015f, 1e-3);
    EXPECT_FLOAT_EQ(Core().aTan2(1, 0), Core().Atan2(1, 0));
    // From point 1 to point 2: straight up is 0, right is 90, down is 180.
    EXPECT_FLOAT_EQ(Core().Atan2(0, 1, 0, 0), 0.0f);
    EXPECT_NEAR(Core().Atan2(0, 0, 1, 0), 90.0015f, 1e-3);
    EXPECT_NEAR(Core().Atan2(0, 0, 0, 1), 180.003f, 1e-3);
    EXPECT_NEAR(Core().aTan2(0, 0, -1, 0), -90.0015f, 1e-3);
}

TEST(MathsTest, DistancesAndRemainders) {
    EXPECT_FLOAT_EQ(Core().Dist(1, 1, 4, 5), 5.0f);
    EXPECT_FLOAT_EQ(Core().Pyth(-5, 12), 13.0f);
    EXPECT_FLOAT_EQ(Core().Mod(-7, 3), -1.0f);  // keeps the sign of a
    EXPECT_FLOAT_EQ(Core().Mod(7.5f, 2), 1.5f);
    EXPECT_FLOAT_EQ(Core().Abs(-2.5f), 2.5f);
    EXPECT_EQ(Core().Abs(-3), 3);
}

TEST(MathsTest, WhichWayDoIGoTakesTheShorterTurn) {
    struct Case {
        float from, to, lo, hi, turn;
    } cases[] = {
        {10, 40, 0, 359, 30},   {40, 10, 0, 359, -30},  {350, 10, 0, 359, 20},
        {10, 350, 0, 359, -20}, {0, 180, 0, 359, -180}, {0, 179, 0, 359, 179},
        {-10, 10, 0, 359, 20},  {730, 0, 0, 359, -10},  {7, 1, 0, 7, 2},
        {1, 5, 0, 7, -4},       {1, 4, 0, 7, 3},
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(Core().WhichWayDoIGo(c.from, c.to, c.lo, c.hi), c.turn)
            << c.from << " -> " << c.to << " on " << c.lo << ".." << c.hi;
    EXPECT_FLOAT_EQ(Core().WhichWayDoIGo(350, 10), 20);
    EXPECT_FLOAT_EQ(Core().WhichWayDoIGo(10, 350), -20);
}

TEST(MathsTest, SpiralNumbersEveryCellOfAnOddSquareOnce) {
    for (int n : {1, 5, 7}) {
        std::set<int> steps;
        for (int y = 1; y <= n; y++)
            for (int x = 1; x <= n; x++) steps.insert(Core().SpiralAt(x, y, n, n));
        ASSERT_EQ(int(steps.size()), n * n) << n;
        EXPECT_EQ(*steps.begin(), 1);
        EXPECT_EQ(*steps.rbegin(), n * n);
    }
    // Centre, then up, then clockwise round the first ring.
    EXPECT_EQ(Core().SpiralAt(3, 3, 5, 5), 1);
    EXPECT_EQ(Core().SpiralAt(3, 2, 5, 5), 2);
    EXPECT_EQ(Core().SpiralAt(4, 2, 5, 5), 3);
    EXPECT_EQ(Core().SpiralAt(4, 4, 5, 5), 5);
    EXPECT_EQ(Core().SpiralAt(2, 2, 5, 5), 9);
    EXPECT_EQ(Core().SpiralAt(2, 1, 5, 5), 10);
}

TEST(MathsTest, SpiralStopsWhereItLeavesAWideBoard) {
    // On 25 x 15 the spiral leaves through the top before reaching the sides.
    EXPECT_EQ(Core().SpiralAt(13, 8, 25, 15), 1);
    EXPECT_GT(Core().SpiralAt(13, 1, 25, 15), 0);
    EXPECT_EQ(Core().SpiralAt(1, 8, 25, 15), 0);
    EXPECT_EQ(Core().SpiralAt(25, 15, 25, 15), 0);
}

TEST(MathsTest, LineTestReportsTheCrossingPoint) {
    ZARNCore& c = Core();
    ASSERT_EQ(c.Collide_Line_Line(0, 0, 10, 10, 0, 10, 10, 0), 1);
    EXPECT_FLOAT_EQ(c.LastColPointX, 5);
    EXPECT_FLOAT_EQ(c.LastColPointY, 5);

    ASSERT_EQ(c.Collide_Line_Line(2, 0, 2, 8, 0, 6, 4, 6), 1);
    EXPECT_FLOAT_EQ(c.LastColPointX, 2);
    EXPECT_FLOAT_EQ(c.LastColPointY, 6);

    // Touching end points count.
    ASSERT_EQ(c.Collide_Line_Line(0, 0, 10, 0, 10, 0, 10, 10), 1);
    EXPECT_FLOAT_EQ(c.LastColPointX, 10);
    EXPECT_FLOAT_EQ(c.LastColPointY, 0);

    // Misses reset the point: parallel lines, and lines that would cross
    // only if extended.
    EXPECT_EQ(c.Collide_Line_Line(0, 0, 10, 0, 0, 1, 10, 1), 0);
    EXPECT_FLOAT_EQ(c.LastColPointX, NoCrossing);
    c.Collide_Line_Line(0, 0, 10, 10, 0, 10, 10, 0);
    EXPECT_EQ(c.Collide_Line_Line(0, 0, 4, 4, 0, 10, 10, 0), 0);
    EXPECT_FLOAT_EQ(c.LastColPointX, NoCrossing);
    EXPECT_FLOAT_EQ(c.LastColPointY, NoCrossing);
}

TEST(MathsTest, CircleTestsIncludeTheRimAndClearTheCrossingPoint) {
    ZARNCore& c = Core();
    c.Collide_Line_Line(0, 0, 10, 10, 0, 10, 10, 0);
    EXPECT_EQ(c.Collide_Point_Circle(3, 4, 0, 0, 5), 1);
    EXPECT_FLOAT_EQ(c.LastColPointX, NoCrossing);
    EXPECT_EQ(c.Collide_Point_Circle(3, 4.1f, 0, 0, 5), 0);
    EXPECT_EQ(c.Collide_Circle_Circle(0, 0, 2, 6, 8, 8), 1);
    EXPECT_EQ(c.Collide_Circle_Circle(0, 0, 2, 6, 8, 7.9f), 0);
    EXPECT_FLOAT_EQ(c.LastColPointY, NoCrossing);
}

TEST(MathsTest, RectangleTests) {
    struct Case {
        const char* what;
        float r1[4], r2[4];
        int simple, complex;
    } cases[] = {
        {"corner overlap", {0, 0, 10, 10}, {8, 8, 10, 10}, 1, 1},
        {"edges touch", {0, 0, 10, 10}, {10, 0, 10, 10}, 1, 1},
        {"gap", {0, 0, 10, 10}, {10.5f, 0, 10, 10}, 0, 0},
        {"one inside the other", {0, 0, 100, 100}, {5, 5, 10, 10}, 1, 1},
        {"plus sign", {0, 0, 100, 10}, {0, 0, 10, 100}, 1, 0},
    };
    for (const Case& k : cases) {
        const float* a = k.r1;
        const float* b = k.r2;
        EXPECT_EQ(Core().Collide_Rect_Rect(a[0], a[1], a[2], a[3], b[0], b[1], b[2], b[3]), k.simple) << k.what;
        EXPECT_EQ(Core().Collide_Rect_Rect(b[0], b[1], b[2], b[3], a[0], a[1], a[2], a[3]), k.simple) << k.what;
        EXPECT_EQ(Core().Collide_Rect_Rect_Complex(a[0], a[1], a[2], a[3], b[0], b[1], b[2], b[3]), k.complex)
            << k.what;
        EXPECT_EQ(Core().Collide_Rect_Rect_Complex(b[0], b[1], b[2], b[3], a[0], a[1], a[2], a[3]), k.complex)
            << k.what;
    }
}
