// The credit text and the credits overlay: the fixed shape of the default
// text, storage limits, the scroll and its restart, the line fading and
// spreading, the statistics lines and the close inputs.
#include <gtest/gtest.h>

#include "support/MenuFixture.h"

namespace {

class Credits : public MenuFixture {
protected:
    void SetUp() override {
        MenuFixture::SetUp();
        G().AddDefaultCredits();
        G().Overlay = Overlays::Credits;
    }
    static const std::string& Line(int n) { return G().CreditLines[n - 1]; }  // 1-based, as listed
};

TEST_F(Credits, DefaultTextHasTheFixedEightyLineShape) {
    ASSERT_EQ(G().CreditCount, 79);
    const struct {
        int line;
        const char* text;
    } fixed[] = {
        {1, "Another game by"}, {2, ""},          {5, "-=-=-"},          {6, "Coded In"},     {9, "ZARNFrame"},
        {10, "Framework"},      {11, "-=-=-"},    {12, "Graphics"},      {13, ""},            {14, "Mostly by"},
        {16, ""},               {17, "using"},    {18, ""},              {20, "on Windows"},  {21, ""},
        {23, "on iOS"},         {24, "-=-=-"},    {25, "Font"},          {26, ""},            {28, "by"},
        {30, "-=-=-"},          {31, "Audio"},    {32, ""},              {33, "Sound Effects"}, {34, "created with"},
        {36, ""},               {37, "Tweaked with"}, {39, "-=-=-"},     {40, "Music"},       {41, ""},
        {42, "Created with"},   {44, "on iOS"},   {45, "-=-=-"},         {46, "Special Thanks"}, {47, ""},
        {80, "-=-=-"},
    };
    for (const auto& f : fixed) EXPECT_EQ(Line(f.line), f.text) << "line " << f.line;
    // Content lines are filled in, and the rule closes sections only.
    for (int n : {3, 4, 7, 8, 15, 19, 22, 27, 29, 35, 38, 43}) EXPECT_FALSE(Line(n).empty()) << "line " << n;
    int rules = 0;
    for (int n = 1; n <= 80; ++n) rules += Line(n) == "-=-=-";
    EXPECT_EQ(rules, 7);
    // Lines 48-79: ten blocks separated by single empty lines.
    int blocks = 0;
    for (int n = 48; n <= 79; ++n) {
        ASSERT_FALSE(Line(n).empty() && Line(n + 1).empty()) << "two empty lines at " << n;
        if (!Line(n).empty() && (n == 48 || Line(n - 1).empty())) ++blocks;
    }
    EXPECT_FALSE(Line(48).empty());
    EXPECT_FALSE(Line(79).empty());
    EXPECT_EQ(blocks, 10);
}

TEST_F(Credits, AddCreditsCountsEveryLineButStoresOnly1024) {
    G().Screen.CreditScroll = -500;
    G().Screen.CreditWave = 70;
    G().AddCredits("extra");
    EXPECT_EQ(G().CreditCount, 80);
    EXPECT_EQ(G().CreditLines[80], "extra");
    EXPECT_EQ(G().Screen.CreditScroll, 0) << "adding a line restarts the scroll";
    EXPECT_EQ(G().Screen.CreditWave, 0);
    while (G().CreditCount < 1023) G().AddCredits("fill");
    G().AddCredits("not stored");
    EXPECT_EQ(G().CreditCount, 1024);
    EXPECT_EQ(G().CreditLines[1023], "fill");
    for (int i = 1024; i < 2048; ++i) ASSERT_EQ(G().CreditLines[i], "") << i;
    // Lines past the table's end still scroll by as blank lines.
    while (G().CreditCount < 2100) G().AddCredits("past the end");
    G().Screen.CreditScroll = -2090 * 36;
    Run(&MyGame::Credits);
    EXPECT_LT(G().Screen.CreditScroll, -2090 * 36);
}

TEST_F(Credits, ScrollRestartsBelowMinus3132AfterAbout70Seconds) {
    Run(&MyGame::Credits, 4176);
    EXPECT_FLOAT_EQ(G().Screen.CreditScroll, -3132);
    Run(&MyGame::Credits);
    EXPECT_FLOAT_EQ(G().Screen.CreditScroll, 0);
    EXPECT_EQ(G().Overlay, Overlays::Credits);
}

TEST_F(Credits, AnyDirectionScrollsThreeTimesAsFastInTheSameDirection) {
    for (int key : {0, 1, 2, 3}) {
        G().Screen.CreditScroll = 0;
        Hold(key);
        Run(&MyGame::Credits, 4);
        Release(key);
        EXPECT_FLOAT_EQ(G().Screen.CreditScroll, -9) << "key " << key;
    }
}

TEST_F(Credits, LinesFadeAndSpreadAwayFromTheCentre) {
    // Line 0 sits at offset (0 + 4) * 36 + scroll; line 1 at 36 more.
    G().Screen.CreditScroll = -144 + 0.75f;  // after this update's step, line 0 is at 0
    Run(&MyGame::Credits);
    const DrawnText* first = FindText(Line(1));
    ASSERT_NE(first, nullptr);
    EXPECT_NEAR(first->y, 300, 1e-3);
    EXPECT_NEAR(first->alpha, 255, 1e-3) << "a line at the centre is fully opaque";
    EXPECT_NEAR(first->size, 1.4f, 1e-4);
    // Line 2 is empty; line 3 at 72: inside 89 it is opaque, spread to 2 * 72 * 0.72.
    const DrawnText* third = FindText(Line(3));
    ASSERT_NE(third, nullptr);
    EXPECT_NEAR(third->y, 300 + 2 * 72 * 0.72f, 1e-2);
    EXPECT_NEAR(third->alpha, 255, 1e-3);
    // Line 4 at 108 fades to 3 - 0.0225 * 108.
    const DrawnText* fourth = FindText(Line(4));
    ASSERT_NE(fourth, nullptr);
    EXPECT_NEAR(fourth->alpha, 255 * (3 - 0.0225f * 108), 0.5);
    EXPECT_NEAR(fourth->y, 300 + 2 * 108 * 1.08f, 1e-2);
    // Line 5 at 144 is past the visible band.
    EXPECT_EQ(FindText(Line(5)), nullptr);
}

TEST_F(Credits, StatisticsLinesShowPlaysAndBothSizes) {
    G().Settings[Setting::GamesStarted] = 17;
    G().RealW = 1600;
    G().RealH = 1200;
    Run(&MyGame::Credits);
    for (const char* text : {"Plays 17", "Real 1600x1200", "Virtual 800x600"})
        EXPECT_NE(FindText(text), nullptr) << text;
    EXPECT_NEAR(FindText("Virtual 800x600")->y, 576, 1e-3);
    EXPECT_NEAR(FindText("Plays 17")->size, 0.75f, 1e-4);
}

TEST_F(Credits, HeldOpeningButtonDoesNotCloseButEveryCloseInputDoesAfterRelease) {
    const int keys[] = {8, 9, 10, 11};
    for (int key : keys) {
        G().Overlay = Overlays::Credits;
        G().LockKeys();  // as the title does when it opens the credits
        Hold(key);
        Run(&MyGame::Credits, 10);
        EXPECT_EQ(G().Overlay, Overlays::Credits) << "key " << key;
        Release(key);
        Run(&MyGame::Credits);
        Hold(key);
        Run(&MyGame::Credits);
        EXPECT_EQ(G().Overlay, Overlays::None) << "key " << key;
        Release(key);
    }
    for (int entry : {98, 99}) {  // Enter and Escape
        G().Overlay = Overlays::Credits;
        G().KeyLock[Lock::Close] = 0;
        ASys.Button[entry] = 1;
        Run(&MyGame::Credits);
        ASys.Button[entry] = 0;
        EXPECT_EQ(G().Overlay, Overlays::None) << "entry " << entry;
    }
    // A tap closes it too, once the press that opened it has been let go.
    G().Overlay = Overlays::Credits;
    G().LockKeys();
    Pointer(400, 300, true);
    Run(&MyGame::Credits, 3);
    EXPECT_EQ(G().Overlay, Overlays::Credits);
    PointerUp();
    Run(&MyGame::Credits);
    Pointer(400, 300, true);
    Run(&MyGame::Credits);
    EXPECT_EQ(G().Overlay, Overlays::None);
}

}  // namespace
