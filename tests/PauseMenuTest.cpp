// The pause menu (highlight, activation, the idle slide) and the loading
// screen's assembling logo and fading caption.
#include <gtest/gtest.h>

#include <cmath>

#include "support/MenuFixture.h"

namespace {

constexpr int Right = Pad::Right, Left = Pad::Left, Start = Pad::Start, Select = Pad::Select, Button1 = Pad::Button1,
              Button2 = Pad::Button2;

class PauseMenu : public MenuFixture {
protected:
    void SetUp() override {
        MenuFixture::SetUp();
        G().GameMode = Modes::Play;
        G().Scene.Paused = 1;
        G().Screen.PauseChoice = 1;
        G().Screen.PauseSlide = 0;
        G().Screen.PauseIdle = 0;
    }
    void Tap(int key) {
        Hold(key);
        Run(&MyGame::PauseMenu);
        Release(key);
        Run(&MyGame::PauseMenu);
    }
};

struct Move {
    int from, key, to;
};

TEST_F(PauseMenu, LeftAndRightWrapAroundTheThreeButtons) {
    const Move moves[] = {{0, Left, 2}, {2, Right, 0}, {1, Right, 2}, {1, Left, 0}, {0, Right, 1}, {2, Left, 1}};
    for (const Move& m : moves) {
        G().Screen.PauseChoice = m.from;
        Tap(m.key);
        EXPECT_EQ(G().Screen.PauseChoice, m.to) << "from " << m.from << " key " << m.key;
        EXPECT_EQ(G().Scene.Paused, 1);
    }
    G().Screen.PauseChoice = 0;
    Hold(Right);
    Run(&MyGame::PauseMenu, 40);
    EXPECT_EQ(G().Screen.PauseChoice, 1) << "one step per press";
}

struct Outcome {
    int choice, paused, overlay, endBanner;
};

TEST_F(PauseMenu, AnyActivationButtonActsOnTheHighlightedChoice) {
    const Outcome outcomes[] = {
        {1, 0, 0, 0},   // resume
        {0, 0, 0, -1},  // quit through the "Quit" "Game" banner
        {2, 1, 1, 0},   // options over the paused game
    };
    for (int key : {Button1, Button2, Select, Start}) {
        for (const Outcome& o : outcomes) {
            G().Scene.Paused = 1;
            G().Overlay = Overlays::None;
            G().EndReason = G().EndBanner = 0;
            G().Screen.PauseChoice = o.choice;
            G().KeyLock[Lock::PauseButtons] = 0;
            Hold(key);
            Run(&MyGame::PauseMenu);
            Release(key);
            EXPECT_EQ(G().Scene.Paused, o.paused) << "choice " << o.choice << " key " << key;
            EXPECT_EQ(G().Overlay, o.overlay) << "choice " << o.choice << " key " << key;
            EXPECT_EQ(G().EndReason, o.endBanner) << "choice " << o.choice << " key " << key;
            EXPECT_EQ(G().EndBanner, o.endBanner);
        }
    }
}

TEST_F(PauseMenu, StartHeldFromPausingDoesNotResumeUntilReleased) {
    G().LockKeys();  // as the HUD does when it pauses
    Hold(Start);
    Run(&MyGame::PauseMenu, 20);
    EXPECT_EQ(G().Scene.Paused, 1);
    Release(Start);
    Run(&MyGame::PauseMenu);
    Hold(Start);
    Run(&MyGame::PauseMenu);
    EXPECT_EQ(G().Scene.Paused, 0);
}

TEST_F(PauseMenu, ClickActivatesAButtonWhateverIsHighlighted) {
    struct Click {
        float x;
        int paused, overlay, endBanner;
    };
    // Quit, resume and options sit at a quarter, half and three quarters
    // of the width, 128 above the bottom.
    const Click clicks[] = {{200, 0, 0, -1}, {400, 0, 0, 0}, {600, 1, 1, 0}};
    for (const Click& c : clicks) {
        G().Scene.Paused = 1;
        G().Overlay = Overlays::None;
        G().EndReason = G().EndBanner = 0;
        G().Screen.PauseChoice = c.x == 400 ? 0 : 1;
        Pointer(c.x + 20, 472 - 20, true);
        Run(&MyGame::PauseMenu);
        PointerUp();
        EXPECT_EQ(G().Scene.Paused, c.paused) << "x " << c.x;
        EXPECT_EQ(G().Overlay, c.overlay) << "x " << c.x;
        EXPECT_EQ(G().EndBanner, c.endBanner) << "x " << c.x;
    }
    // Hovering without the button does nothing.
    G().Scene.Paused = 1;
    G().Overlay = Overlays::None;
    Pointer(400, 472, false);
    Run(&MyGame::PauseMenu, 3);
    EXPECT_EQ(G().Scene.Paused, 1);
}

TEST_F(PauseMenu, IdleRowSinksAfter360UpdatesAndAnyInputBringsItBack) {
    Run(&MyGame::PauseMenu, 359);
    EXPECT_EQ(G().Screen.PauseSlide, 0);
    Run(&MyGame::PauseMenu);
    EXPECT_EQ(G().Screen.PauseSlide, 4);
    Run(&MyGame::PauseMenu, 119);
    EXPECT_EQ(G().Screen.PauseSlide, 480);
    Run(&MyGame::PauseMenu, 50);
    EXPECT_EQ(G().Screen.PauseSlide, 480);

    // A direction brings it back 64 a step from the next update on.
    Hold(Right);
    Run(&MyGame::PauseMenu, 2);
    EXPECT_EQ(G().Screen.PauseSlide, 416);
    Release(Right);
    Run(&MyGame::PauseMenu, 10);
    EXPECT_EQ(G().Screen.PauseSlide, 0);

    // So does the mouse button, anywhere.
    Run(&MyGame::PauseMenu, 480);
    ASSERT_EQ(G().Screen.PauseSlide, 480);
    Pointer(60, 60, true);
    Run(&MyGame::PauseMenu, 2);
    EXPECT_EQ(G().Screen.PauseSlide, 416);
}

TEST_F(PauseMenu, SunkButtonsStillAnswerAControllerButton) {
    Run(&MyGame::PauseMenu, 480);
    ASSERT_EQ(G().Screen.PauseSlide, 480);
    Hold(Button1);
    Run(&MyGame::PauseMenu);
    EXPECT_EQ(G().Scene.Paused, 0);
}

class LoadingScreen : public MenuFixture {
protected:
    // The record of logo tile (row i, column j), or null if it was not drawn.
    static const double* Tile(int i, int j) {
        for (int r = 0; r < ASys.DrawTo; ++r)
            if (RecordAt(r)[DrawField::Kind] == DrawKind::Image && RecordAt(r)[DrawField::Slot] == 60 &&
                RecordAt(r)[DrawField::Frame] == i * 25 + j)
                return RecordAt(r);
        return nullptr;
    }
    static int Tiles() {
        int n = 0;
        for (int r = 0; r < ASys.DrawTo; ++r)
            if (RecordAt(r)[DrawField::Kind] == DrawKind::Image && RecordAt(r)[DrawField::Slot] == 60) ++n;
        return n;
    }
    static void Show(int loadTo) {
        G().LoadTo = loadTo;
        Run(&MyGame::LoadingScreen);
    }
};

TEST_F(LoadingScreen, LogoTilesFollowTheDiagonalWave) {
    struct Spot {
        int loadTo, i, j;
        bool drawn;
        float size, x, y;
    };
    const float sin60 = std::sin(60 * M_PI / 180), sin40 = std::sin(40 * M_PI / 180);
    const float sin120 = std::sin(120 * M_PI / 180), sin72 = std::sin(72 * M_PI / 180);
    const Spot spots[] = {
        // The wave starts at the top-left corner and has not reached the far one.
        {10, 0, 0, true, sin60, 200, 300 - sin60 * 400},
        {10, 10, 10, true, sin40, 360, 300 - sin40 * 400 + 160},
        {10, 24, 24, false, 0, 0, 0},
        {20, 0, 0, true, sin120, 200, 300 - sin120 * 400},
        {20, 24, 24, true, sin72, 584, 300 - sin72 * 400 + 384},
        // Past 135 degrees a tile settles at half size in its place.
        {23, 0, 0, true, 0.5f, 200, 100},
        {23, 24, 24, true, 1.0f, 584, 284},
        {31, 24, 24, true, 0.5f, 584, 484},
        {31, 12, 3, true, 0.5f, 248, 292},
    };
    for (const Spot& s : spots) {
        Show(s.loadTo);
        const double* r = Tile(s.i, s.j);
        ASSERT_EQ(r != nullptr, s.drawn) << "LoadTo " << s.loadTo << " tile " << s.i << "," << s.j;
        if (!r) continue;
        EXPECT_NEAR(r[DrawField::W] * Canvas.ViewScale, s.size, 1e-3)
            << "LoadTo " << s.loadTo << " tile " << s.i << "," << s.j;
        EXPECT_NEAR(r[DrawField::X] + Canvas.rw2, s.x, 1e-2);
        EXPECT_NEAR(r[DrawField::Y] + Canvas.rh2, s.y, 1e-2) << "LoadTo " << s.loadTo << " tile " << s.i << "," << s.j;
    }
    Show(31);
    EXPECT_EQ(Tiles(), 625) << "the picture is complete";
    Show(5);
    EXPECT_EQ(Tiles(), 0) << "no logo for the first five steps";
}

TEST_F(LoadingScreen, CaptionIsOpaqueUntilStep30ThenFades) {
    const struct {
        int loadTo;
        float alpha;
    } cases[] = {{2, 255}, {30, 255}, {60, 127.5f}, {80, 42.5f}};
    for (const auto& c : cases) {
        Show(c.loadTo);
        const DrawnText* t = FindText("Loading...");
        ASSERT_NE(t, nullptr) << "LoadTo " << c.loadTo;
        EXPECT_NEAR(t->alpha, c.alpha, 0.01) << "LoadTo " << c.loadTo;
        EXPECT_NEAR(t->y, 568, 1e-3);
    }
}

}  // namespace
