// The title page and the difficulty list, driven one update at a time with
// the input set directly on the device tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "support/MenuFixture.h"

namespace {

constexpr int Up = Pad::Up, Right = Pad::Right, Down = Pad::Down, Left = Pad::Left, Start = Pad::Start,
              Button1 = Pad::Button1, Button2 = Pad::Button2;

// Escape drives both the fixed back entry and virtual button 8.
void HoldEscape(bool down) {
    ASys.Button[Fixed::Back] = down ? 1 : 0;
    ASys.Keyv[0][Start] = down ? 1.0f : 0.0f;
}

class TitleMenu : public MenuFixture {
protected:
    void SetUp() override {
        MenuFixture::SetUp();
        G().Screen.MenuPage = 0;
        G().Screen.TitleChoice = 0;
        G().Settings[Setting::SwapTitleButtons] = 0;
        G().Settings[Setting::ReduceMotion] = 0;
        G().Settings[Setting::LastDifficulty] = 2;
        G().Screen.LogoZoom = 1.0f;
        G().Screen.MenuScroll = 426;  // the list settled on Normal
    }
    // One press of a key: held for an update, then released for one.
    void Tap(int key) {
        Hold(key);
        Run(&MyGame::DoMenu);
        Release(key);
        Run(&MyGame::DoMenu);
    }
    // Settles the list's scroll on the highlighted row.
    void SettleList() {
        for (int i = 0; i < 60; ++i) G().Menu_Default("Easy|Normal|Hard", "a|b|c");
    }
};

class ListMenu : public TitleMenu {
protected:
    void SetUp() override {
        TitleMenu::SetUp();
        G().Screen.MenuPage = 1;
    }
};

struct Move {
    int from, key, to;
};

TEST_F(TitleMenu, HighlightCyclesCreditsQuitStartOptionsAndWraps) {
    const Move moves[] = {
        {0, Left, -1}, {0, Right, 1},  {-1, Left, -2}, {-1, Right, 0},
        {1, Left, 0},  {1, Right, -2}, {-2, Left, 1},  {-2, Right, -1},
    };
    for (const Move& m : moves) {
        G().Screen.TitleChoice = m.from;
        Tap(m.key);
        EXPECT_EQ(G().Screen.TitleChoice, m.to) << "from " << m.from << " key " << m.key;
        EXPECT_EQ(G().Screen.MenuPage, 0);
        EXPECT_EQ(G().Overlay, Overlays::None);
    }
}

TEST_F(TitleMenu, HeldDirectionStepsOncePerPress) {
    Hold(Right);
    Run(&MyGame::DoMenu, 30);
    EXPECT_EQ(G().Screen.TitleChoice, 1);
    Release(Right);
    Run(&MyGame::DoMenu);
    Hold(Right);
    Run(&MyGame::DoMenu);
    EXPECT_EQ(G().Screen.TitleChoice, -2);
}

struct Activation {
    int item;
    int page, overlay, quit;
};

TEST_F(TitleMenu, ChooseActivatesTheHighlightedItem) {
    const Activation cases[] = {
        {0, 1, Overlays::None, 0},     // Start opens the difficulty page
        {-1, 0, Overlays::None, 1},    // Quit ends the program
        {1, 0, Overlays::Options, 0},  // Options
        {-2, 0, Overlays::Credits, 0}, // Credits
    };
    for (int key : {Button1, Start}) {
        for (const Activation& c : cases) {
            G().Screen.MenuPage = 0;
            G().Overlay = Overlays::None;
            G().GameBreak = 0;
            G().Screen.OptScroll = 7;
            G().Screen.OptRow = 3;
            G().ShowStats = 1;
            G().Settings[Setting::DebugStats] = 0;
            G().Screen.TitleChoice = c.item;
            std::memset(G().KeyLock, 0, sizeof G().KeyLock);
            Hold(key);
            Run(&MyGame::DoMenu);
            Release(key);
            EXPECT_EQ(G().Screen.MenuPage, c.page) << "item " << c.item << " key " << key;
            EXPECT_EQ(G().Overlay, c.overlay) << "item " << c.item;
            EXPECT_EQ(G().GameBreak, c.quit) << "item " << c.item;
            if (c.overlay == 1) {
                EXPECT_EQ(G().Screen.OptScroll, 0);
                EXPECT_EQ(G().Screen.OptRow, 0);
                EXPECT_EQ(G().Settings[Setting::DebugStats], 1);
            }
        }
    }
}

TEST_F(TitleMenu, SwapExchangesChooseAndBackButtons) {
    G().Settings[Setting::SwapTitleButtons] = 1;
    Hold(Button1);
    Run(&MyGame::DoMenu, 3);
    EXPECT_EQ(G().Screen.MenuPage, 0) << "Button 1 is the back button when swapped";
    Release(Button1);
    Hold(Button2);
    Run(&MyGame::DoMenu);
    EXPECT_EQ(G().Screen.MenuPage, 1);
}

TEST_F(TitleMenu, ChooseHeldAcrossAScreenChangeWaitsForARelease) {
    // The list sends the player back with Button 2 still held, then Button 1
    // is pressed: nothing happens until Button 1 is let go and pressed again.
    G().Screen.MenuPage = 1;
    Hold(Button2);
    Run(&MyGame::DoMenu);
    ASSERT_EQ(G().Screen.MenuPage, 0);
    Release(Button2);
    Hold(Button1);
    Run(&MyGame::DoMenu, 5);
    EXPECT_EQ(G().Screen.MenuPage, 0);
    Release(Button1);
    Run(&MyGame::DoMenu);
    Hold(Button1);
    Run(&MyGame::DoMenu);
    EXPECT_EQ(G().Screen.MenuPage, 1);
}

TEST_F(TitleMenu, FirstTapHighlightsSecondTapActivates) {
    // Options sits at (ScreenW - 52, ScreenH - 96).
    Pointer(748, 504, true);
    Run(&MyGame::DoMenu);
    EXPECT_EQ(G().Screen.TitleChoice, 1);
    EXPECT_EQ(G().Overlay, Overlays::None);
    Run(&MyGame::DoMenu, 5);  // still held: no second tap
    EXPECT_EQ(G().Overlay, Overlays::None);
    Pointer(748, 504, false);
    Run(&MyGame::DoMenu);
    Pointer(748, 504, true);
    Run(&MyGame::DoMenu);
    EXPECT_EQ(G().Overlay, Overlays::Options);
    // A tap beside every item does nothing.
    G().Overlay = Overlays::None;
    PointerUp();
    Run(&MyGame::DoMenu);
    Pointer(560, 300, true);
    Run(&MyGame::DoMenu);
    EXPECT_EQ(G().Screen.TitleChoice, 1);
    EXPECT_EQ(G().Overlay, Overlays::None);
}

// A portrait window keeps a canvas 512 wide: there Quit's hit circle
// reaches over the Credits icon, and the nearer icon must win the tap.
TEST_F(TitleMenu, OnAPortraitCanvasEveryIconTakesItsOwnTaps) {
    CanvasBasis(256, 455);
    G().ScreenW = 512;
    G().ScreenH = 910;
    const float y = 910 - 96;
    struct Case {
        const char* what;
        float x;
        int choice, overlay;
        bool quits;
    } cases[] = {
        {"Credits", 52, -2, Overlays::Credits, false},
        {"Quit", 128, -1, Overlays::None, true},
        {"between them, nearer Credits", 85, -2, Overlays::Credits, false},
        {"Options", 512 - 52, 1, Overlays::Options, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        G().Screen.TitleChoice = 0;
        G().Overlay = Overlays::None;
        G().GameBreak = 0;
        PointerUp();
        Run(&MyGame::DoMenu);
        Pointer(c.x, y, true);
        Run(&MyGame::DoMenu);
        EXPECT_EQ(G().Screen.TitleChoice, c.choice);
        Pointer(c.x, y, false);
        Run(&MyGame::DoMenu);
        Pointer(c.x, y, true);
        Run(&MyGame::DoMenu);
        EXPECT_EQ(G().Overlay, c.overlay);
        EXPECT_EQ(G().GameBreak == 1, c.quits);
    }
}

TEST_F(TitleMenu, EscapeQuitsFromTheTitleButOnlyGoesBackFromTheList) {
    G().Screen.MenuPage = 1;
    HoldEscape(true);
    Run(&MyGame::DoMenu);
    EXPECT_EQ(G().Screen.MenuPage, 0);
    EXPECT_EQ(G().GameBreak, 0);
    Run(&MyGame::DoMenu, 10);  // still held on the title page
    EXPECT_EQ(G().GameBreak, 0);
    EXPECT_EQ(G().Screen.MenuPage, 0);
    HoldEscape(false);
    Run(&MyGame::DoMenu);
    HoldEscape(true);
    Run(&MyGame::DoMenu);
    EXPECT_EQ(G().GameBreak, 1);
}

TEST_F(TitleMenu, StartShowsTheListInTheSameUpdateWithTheLastDifficulty) {
    G().Settings[Setting::LastDifficulty] = 3;
    G().Screen.MenuScroll = 380;  // settled on Hard
    Hold(Button1);
    Run(&MyGame::DoMenu);
    ASSERT_EQ(G().Screen.MenuPage, 1);
    EXPECT_EQ(Rects(256), 3) << "the three rows of the list";
    const DrawnText* hard = FindText("Hard");
    ASSERT_NE(hard, nullptr);
    EXPECT_NEAR(hard->size, 1.3f, 1e-4) << "the highlighted row is drawn larger";
    EXPECT_EQ(G().Settings[Setting::LastDifficulty], 3);
}

TEST_F(TitleMenu, LogoGlidesOrJumpsWithMotionReduction) {
    struct Case {
        int page, reduce;
        float from, to;
    };
    const Case cases[] = {{1, 0, 1.0f, 1.1f}, {1, 1, 1.0f, 2.0f}, {0, 0, 2.0f, 1.9f}, {0, 1, 2.0f, 1.0f}};
    for (const Case& c : cases) {
        G().Screen.MenuPage = c.page;
        G().Settings[Setting::ReduceMotion] = c.reduce;
        G().Screen.LogoZoom = c.from;
        Run(&MyGame::DoMenu);
        Run(&MyGame::Menu_Background);  // the clamp happens when drawing
        EXPECT_NEAR(G().Screen.LogoZoom, c.to, 1e-4) << "page " << c.page << " reduce " << c.reduce;
    }
}

TEST_F(ListMenu, DirectionsWrapAtBothEnds) {
    const Move moves[] = {{1, Up, 3}, {1, Left, 3}, {3, Down, 1}, {3, Right, 1}, {2, Down, 3}, {2, Up, 1}};
    for (const Move& m : moves) {
        G().Settings[Setting::LastDifficulty] = m.from;
        Tap(m.key);
        EXPECT_EQ(G().Settings[Setting::LastDifficulty], m.to) << "from " << m.from << " key " << m.key;
        EXPECT_EQ(G().GameMode, Modes::Title);
    }
}

TEST_F(ListMenu, HeldDirectionRepeatsAfter24_18_12_6ThenEvery3Updates) {
    for (int key : {Down, Up}) {
        G().Settings[Setting::LastDifficulty] = 1;
        ReleaseAll();
        G().Menu_Default("a|b|c|d|e|f|g|h|i|j|k|l|m|n|o|p|q|r|s|t", "");
        Hold(key);
        std::vector<int> steps;
        int last = G().Settings[Setting::LastDifficulty];
        for (int u = 0; u < 90; ++u) {
            G().Menu_Default("a|b|c|d|e|f|g|h|i|j|k|l|m|n|o|p|q|r|s|t", "");
            if (G().Settings[Setting::LastDifficulty] != last) steps.push_back(u);
            last = G().Settings[Setting::LastDifficulty];
        }
        const std::vector<int> expected = {0, 24, 42, 54, 60, 63, 66, 69, 72, 75, 78, 81, 84, 87};
        EXPECT_EQ(steps, expected) << "key " << key;
        Release(key);
    }
}

TEST_F(ListMenu, EscapeGoesBackAndDoesNotChoose) {
    HoldEscape(true);
    Run(&MyGame::DoMenu);
    EXPECT_EQ(G().Screen.MenuPage, 0);
    EXPECT_EQ(G().GameMode, Modes::Title);
    EXPECT_EQ(G().GameBreak, 0);
}

TEST_F(ListMenu, BackArrowAndButton2GoBack) {
    Pointer(32, 32, true);
    Run(&MyGame::DoMenu);
    EXPECT_EQ(G().Screen.MenuPage, 0);
    G().Screen.MenuPage = 1;
    PointerUp();
    Run(&MyGame::DoMenu);
    Hold(Button2);
    Run(&MyGame::DoMenu);
    EXPECT_EQ(G().Screen.MenuPage, 0);
    EXPECT_EQ(G().GameMode, Modes::Title);
}

TEST_F(ListMenu, FirstClickHighlightsSecondChoosesAndShowsThePauseIcon) {
    SettleList();  // Normal sits on the centre line, y = 472; Hard 46 lower
    Pointer(228, 518, true);
    G().Menu_Default("Easy|Normal|Hard", "");
    EXPECT_EQ(G().Settings[Setting::LastDifficulty], 3);
    EXPECT_EQ(G().GameMode, Modes::Title);
    G().Menu_Default("Easy|Normal|Hard", "");  // held: no second click
    EXPECT_EQ(G().GameMode, Modes::Title);
    SettleList();
    PointerUp();
    G().Menu_Default("Easy|Normal|Hard", "");
    Pointer(228, 472, true);
    G().Menu_Default("Easy|Normal|Hard", "");
    EXPECT_EQ(G().GameMode, Modes::StartGame);
    EXPECT_EQ(G().Difficulty, 3);
    EXPECT_EQ(G().Screen.ShowPauseIcon, 1);
    EXPECT_EQ(spy_.cursorMoves, 0);
}

TEST_F(ListMenu, ChoosingWithAButtonHidesThePauseIconAndParksThePointer) {
    for (int key : {Button1, Start}) {
        G().GameMode = Modes::Title;
        G().Screen.ShowPauseIcon = 1;
        G().Settings[Setting::LastDifficulty] = 1;
        ReleaseAll();
        G().Menu_Default("Easy|Normal|Hard", "");
        Hold(key);
        G().Menu_Default("Easy|Normal|Hard", "");
        EXPECT_EQ(G().GameMode, Modes::StartGame) << "key " << key;
        EXPECT_EQ(G().Difficulty, 1);
        EXPECT_EQ(G().Screen.ShowPauseIcon, 0);
    }
    EXPECT_EQ(spy_.cursorMoves, 2);
}

TEST_F(ListMenu, RowsBeyond2point4SpacingsAreNeitherDrawnNorClickable) {
    const char* items = "r1|r2|r3|r4|r5|r6|r7";
    G().Settings[Setting::LastDifficulty] = 4;  // rows sit 46 apart around the centre line y = 472
    for (int i = 0; i < 60; ++i) G().Menu_Default(items, "");
    ASys.DrawTo = 0;
    G().Menu_Default(items, "");
    // Rows 2-6 are within 2.4 spacings (110.4) of the centre; 1 and 7 are 138 off.
    EXPECT_EQ(Rects(256), 5);
    EXPECT_EQ(FindText("r1"), nullptr);
    EXPECT_EQ(FindText("r7"), nullptr);
    const DrawnText* r2 = FindText("r2");
    ASSERT_NE(r2, nullptr);
    // 92 from the centre fades to 1 - (92 - 55.2) / 55.2 of full alpha.
    EXPECT_NEAR(r2->alpha, 255 * (1 - (92 - 55.2) / 55.2), 1.0);
    EXPECT_NEAR(FindText("r4")->alpha, 255, 0.01);

    Pointer(228, 472 - 138, true);  // on row 1
    G().Menu_Default(items, "");
    EXPECT_EQ(G().Settings[Setting::LastDifficulty], 4);
    PointerUp();
    G().Menu_Default(items, "");
    Pointer(228, 472 - 92, true);  // on row 2
    G().Menu_Default(items, "");
    EXPECT_EQ(G().Settings[Setting::LastDifficulty], 2);
}

TEST_F(ListMenu, PortraitKeepsTheHighlightedRowNearTheCentreLine) {
    G().ScreenW = 512;
    G().ScreenH = 900;
    for (int sel = 1; sel <= 3; ++sel) {
        G().Settings[Setting::LastDifficulty] = sel;
        for (int i = 0; i < 60; ++i) G().Menu_Default("Easy|Normal|Hard", "");
        float rowY = G().Screen.MenuScroll + (sel - 1) * 58;
        EXPECT_NEAR(rowY, 900 - 180, 13) << "row " << sel;
    }
}

// The bars' right end against the left edge of the score panel (the 180 x
// 360 rectangle) once it has slid in, on the canvases of a landscape window
// and of portrait windows.
TEST_F(ListMenu, BarsClearTheScorePanelOnEveryCanvas) {
    struct Canvas {
        float w, h, barCentre;
    } canvases[] = {{800, 600, 228}, {800, 450, 228}, {512, 682.67f, 188}, {512, 910.22f, 188}};
    for (const Canvas& c : canvases) {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
        G().ScreenW = c.w;
        G().ScreenH = c.h;
        G().Screen.ScoreSlide = 0;
        G().Screen.ScoreTimer = 0;
        Run(&MyGame::DoMenu, 60);  // the list settles and the panel slides in
        float barRight = -1, panelLeft = -1;
        int bars = 0;
        for (int i = 0; i < ASys.DrawTo; ++i) {
            const double* r = RecordAt(i);
            if (r[DrawField::Kind] != DrawKind::Rect) continue;
            const float x = float(r[DrawField::X] + ::Canvas.rw2), w = float(r[DrawField::W]);
            if (std::fabs(w - 256) < 0.01f) {
                ++bars;
                EXPECT_NEAR(x, c.barCentre, 0.01);
                barRight = std::max(barRight, x + w / 2);
            }
            if (std::fabs(w - 180) < 0.01f) panelLeft = x - w / 2;
        }
        EXPECT_EQ(bars, 3);
        ASSERT_GT(panelLeft, 0);
        EXPECT_LT(barRight, panelLeft);
        // A tap on the moved bar still finds its row.
        G().Settings[Setting::LastDifficulty] = 2;
        Pointer(c.barCentre + 120, G().Screen.MenuScroll + (c.h > c.w ? 116 : 92), true);
        G().Menu_Default("Easy|Normal|Hard", "");
        EXPECT_EQ(G().Settings[Setting::LastDifficulty], 3);
        PointerUp();
        G().Menu_Default("Easy|Normal|Hard", "");
    }
}

TEST_F(TitleMenu, LoadMenuReturnsToTheTitleAndRecordsTheScore) {
    G().GameMode = Modes::BackToTitle;
    G().EndReason = -1;
    G().Screen.MenuPage = 1;
    G().Settings[Setting::LastDifficulty] = 2;
    for (int i = Setting::OnlineName; i <= Setting::OnlineNameLast; ++i)
        G().Settings[i] = 0;  // no online name: nothing is sent
    int board[20];
    std::memcpy(board, G().Scores + 40, sizeof board);
    const float score = G().Play.Score;
    const int savePending = G().Saving.SavePending, boards = G().BoardCount;
    G().BoardCount = 3;
    G().Play.Score = 1234;
    G().Saving.SavePending = 0;
    G().LoadMenu();
    EXPECT_EQ(G().GameMode, Modes::Title);
    EXPECT_EQ(G().EndReason, 0);
    EXPECT_EQ(G().Screen.MenuPage, 1) << "the difficulty page is still showing";
    EXPECT_EQ(G().Scores[40 + 5], 1234) << "newest of the last five";
    EXPECT_NE(G().Saving.SavePending, 0) << "a save is requested";
    std::memcpy(G().Scores + 40, board, sizeof board);
    G().Play.Score = score;
    G().Saving.SavePending = savePending;
    G().BoardCount = boards;
}

}  // namespace
