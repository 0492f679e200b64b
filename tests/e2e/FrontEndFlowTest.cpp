// The front end end to end: the real program from a fresh start, played
// through its window with keys, each screen recognised from a screenshot.
// Title -> Normal -> a few moves -> pause -> resume -> pause -> quit ->
// "Quit" "Game" -> back on the difficulty page -> title -> credits -> title.
// The screenshots stay in <build>/frontend-shots for a person to look at.
#include <gtest/gtest.h>

// The game's headers come before X11's, whose macros would clash with them.
#include "support/PlayFixture.h"
#include "support/StateGuards.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <lodepng.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/GameProcess.h"
#include "support/ScoreServerProcess.h"

namespace {

struct Shot {
    unsigned w = 0, h = 0;
    std::vector<unsigned char> rgba;

    // Share (0-1) of the pixels of a box that pass a test on (r, g, b).
    float Share(int x0, int y0, int x1, int y1, const std::function<bool(int, int, int)>& test) const {
        int hits = 0, all = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                if (x < 0 || y < 0 || unsigned(x) >= w || unsigned(y) >= h) continue;
                const unsigned char* p = &rgba[(size_t(y) * w + x) * 4];
                ++all;
                hits += test(p[0], p[1], p[2]);
            }
        return all ? float(hits) / float(all) : 0;
    }
};

bool White(int r, int g, int b) { return r > 215 && g > 215 && b > 215; }

// What each screen shows on an 800 x 600 window.
bool StartCircle(const Shot& s) {  // the big green Start button of the title page
    return s.Share(370, 474, 430, 534, [](int r, int g, int b) { return g > r + 50 && g > b + 50; }) > 0.7f;
}
bool ListBars(const Shot& s) {  // the green bar of Normal on the difficulty page
    return s.Share(262, 462, 350, 482, [](int r, int g, int b) { return g > r + 20 && g > b + 20; }) > 0.7f;
}
bool EasyBar(const Shot& s) {  // the blue bar of Easy, highlighted, in the same place
    return s.Share(262, 462, 350, 482, [](int r, int g, int b) { return b > r + 40 && b > g + 20; }) > 0.7f;
}
bool EatCounter(const Shot& s) {  // "Eat %i" above the board
    return s.Share(300, 12, 500, 52, [](int r, int g, int b) { return r > 200 && g > 130 && g < 230 && b < 160; }) >
           0.04f;
}
bool PausedCaption(const Shot& s) { return s.Share(100, 88, 200, 112, White) > 0.08f; }
bool QuitGameBanner(const Shot& s) {
    return s.Share(280, 262, 360, 290, White) > 0.08f && s.Share(430, 310, 530, 338, White) > 0.08f;
}
bool PlaysLine(const Shot& s) { return s.Share(690, 14, 780, 34, White) > 0.05f; }
// The gradient from (40, 0, 80) at the top to (80, 0, 40) at the bottom, and
// tiles of the logo on it.
bool LoadingScreen(const Shot& s) {
    return s.Share(0, 0, 60, 30, [](int r, int g, int b) { return g < 20 && b > r; }) > 0.9f &&
           s.Share(0, 570, 60, 600, [](int r, int g, int b) { return g < 20 && r > b; }) > 0.9f &&
           s.Share(200, 60, 600, 500, [](int, int g, int) { return g > 60; }) > 0.03f;
}
// True when the "Eat %i" figure differs between two pictures.
bool EatChanged(const Shot& a, const Shot& b) {
    if (a.w != b.w || a.h != b.h || a.rgba.empty()) return false;
    int changed = 0;
    for (unsigned y = 12; y < 52; ++y)
        for (unsigned x = 300; x < 500; ++x) {
            const unsigned char* p = &a.rgba[(size_t(y) * a.w + x) * 4];
            const unsigned char* q = &b.rgba[(size_t(y) * b.w + x) * 4];
            for (int c = 0; c < 3; ++c)
                if (std::abs(p[c] - q[c]) > 60) {
                    ++changed;
                    break;
                }
        }
    return changed > 50;
}

// Bit position of the lowest set bit of an X colour mask.
int Shift(unsigned long mask) {
    int n = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++n;
    }
    return n;
}

class Flow {
public:
    Flow(GameProcess& game, unsigned long window) : game_(game), window_(window) {
        dir_ = std::string(GOBBIT_BUILD_DIR) + "/frontend-shots";
        std::filesystem::create_directories(dir_);
        display_ = XOpenDisplay(nullptr);
    }
    ~Flow() {
        if (display_) XCloseDisplay(display_);
    }

    // Reads the window's pixels straight from the X server (much quicker
    // than an ImageMagick capture, so polling stays cheap).
    Shot Grab() {
        Shot s;
        XWindowAttributes a;
        if (!display_ || !XGetWindowAttributes(display_, window_, &a)) return s;
        XImage* img = XGetImage(display_, window_, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
        if (!img) return s;
        s.w = unsigned(a.width);
        s.h = unsigned(a.height);
        s.rgba.resize(size_t(s.w) * s.h * 4);
        const int rs = Shift(img->red_mask), gs = Shift(img->green_mask), bs = Shift(img->blue_mask);
        for (unsigned y = 0; y < s.h; ++y)
            for (unsigned x = 0; x < s.w; ++x) {
                unsigned long p = XGetPixel(img, int(x), int(y));
                unsigned char* q = &s.rgba[(size_t(y) * s.w + x) * 4];
                q[0] = (unsigned char)((p & img->red_mask) >> rs);
                q[1] = (unsigned char)((p & img->green_mask) >> gs);
                q[2] = (unsigned char)((p & img->blue_mask) >> bs);
                q[3] = 255;
            }
        XDestroyImage(img);
        return s;
    }

    void Keep(const Shot& s, const std::string& name) {
        if (!s.rgba.empty()) lodepng::encode(dir_ + "/" + name + ".png", s.rgba, s.w, s.h);
    }
    Shot Take(const std::string& name) {
        Shot s = Grab();
        Keep(s, name);
        return s;
    }

    // Grabs the window until it shows the screen, for at most timeoutMs;
    // the last picture is kept under the name.
    bool WaitFor(const std::string& name, const std::function<bool(const Shot&)>& seen, int timeoutMs = 5000) {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        Shot s;
        bool found = false;
        for (;;) {
            s = Grab();
            if ((found = seen(s))) break;
            if (std::chrono::steady_clock::now() > end || !game_.Running()) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
        Keep(s, name);
        return found;
    }

    void Press(const std::string& key) {
        game_.PressKey(key);
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
    }

private:
    GameProcess& game_;
    unsigned long window_;
    Display* display_ = nullptr;
    std::string dir_;
};

TEST(FrontEndFlow, TitleToPlayPauseQuitBannerAndCredits) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs a display";
    GameProcess game;
    game.SetEnv("ALSOFT_DRIVERS", "null");
    ASSERT_TRUE(game.Start());
    unsigned long window = game.FindWindow(10000);
    ASSERT_NE(window, 0u) << game.Output();
    Flow flow(game, window);

    EXPECT_TRUE(flow.WaitFor("loading", LoadingScreen, 2000)) << "the loading screen was not seen";
    ASSERT_TRUE(flow.WaitFor("title", StartCircle)) << game.Output();

    flow.Press("Return");
    ASSERT_TRUE(flow.WaitFor("difficulty", [](const Shot& s) { return ListBars(s) && !StartCircle(s); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the score panel slides in
    flow.Take("difficulty");

    flow.Press("Return");  // Normal, highlighted on a first run
    ASSERT_TRUE(flow.WaitFor("play", EatCounter));
    // Moves count once the maze has risen: step right until a pellet is eaten.
    const Shot start = flow.Grab();
    bool ate = false;
    for (int i = 0; i < 20 && !ate; ++i) {
        flow.Press("Right");
        ate = EatChanged(start, flow.Grab());
    }
    EXPECT_TRUE(ate) << "no move ate a pellet";
    for (const char* key : {"Down", "Left", "Up"}) flow.Press(key);

    flow.Press("Escape");
    ASSERT_TRUE(flow.WaitFor("pause", PausedCaption));
    flow.Press("Return");  // resume is highlighted
    ASSERT_TRUE(flow.WaitFor("resumed", [](const Shot& s) { return EatCounter(s) && !PausedCaption(s); }));

    flow.Press("Escape");
    ASSERT_TRUE(flow.WaitFor("pause-again", PausedCaption));
    flow.Press("Left");  // onto quit
    flow.Press("Return");
    ASSERT_TRUE(flow.WaitFor("banner", QuitGameBanner, 2000));

    // About two seconds later the difficulty page is back, under the banner
    // as it shrinks away. The banner holds every key until it is gone, a few
    // frames after its words have slid off.
    ASSERT_TRUE(flow.WaitFor(
        "back-on-list", [](const Shot& s) { return ListBars(s) && !StartCircle(s) && !QuitGameBanner(s); }, 6000));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    flow.Press("Escape");  // back to the title page, without quitting
    ASSERT_TRUE(flow.WaitFor("title-again", StartCircle));
    ASSERT_TRUE(game.Running());

    flow.Press("Left");  // Quit
    flow.Press("Left");  // Credits
    flow.Press("Return");
    ASSERT_TRUE(flow.WaitFor("credits", [](const Shot& s) { return PlaysLine(s) && !StartCircle(s); }));
    // Holding a direction scrolls three times as fast: the first lines come
    // into view sooner.
    game.KeyDown("Down");
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    flow.Take("credits");
    game.KeyUp("Down");
    flow.Press("Return");
    EXPECT_TRUE(flow.WaitFor("title-after-credits", [](const Shot& s) { return !PlaysLine(s); }));

    ASSERT_TRUE(game.RequestClose());
    EXPECT_EQ(game.WaitExit(10000), 0);
}


// The line the game logs once a level's target is set, from "Level" on.
std::string LevelLine(const std::string& log, const std::string& start) {
    size_t at = log.find(start);
    if (at == std::string::npos) return "";
    return log.substr(at, log.find('\n', at) - at);
}

// A game quit from the pause menu while an arrow is held: the score the
// Top 5 keeps is the score at the moment of quitting. On the way, level 1
// is checked against the same level built by the test fixtures.
TEST(FrontEndFlow, QuitWithAnArrowHeldKeepsTheScoreOfTheMomentOfQuitting) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs a display";
    GameProcess game;
    game.SetEnv("ALSOFT_DRIVERS", "null");
    ASSERT_TRUE(game.Start());
    unsigned long window = game.FindWindow(10000);
    ASSERT_NE(window, 0u) << game.Output();
    Flow flow(game, window);
    ASSERT_TRUE(flow.WaitFor("quit-title", StartCircle)) << game.Output();
    flow.Press("Return");
    ASSERT_TRUE(flow.WaitFor("quit-difficulty", [](const Shot& s) { return ListBars(s) && !StartCircle(s); }));
    flow.Press("Up");  // Easy, whose first level has a power item
    flow.Press("Return");
    ASSERT_TRUE(flow.WaitFor("quit-play", EatCounter));
    ASSERT_NE(game.WaitForText("target", 3000), std::string::npos) << game.Output();
    const std::string played = LevelLine(game.Output(), "Level 1, difficulty 1:");

    {
        MyGame& g = ThisGame;
        StateGuard keep(g.Board, g.Play, g.Scene.Particle, g.Difficulty, g.Scene.Paused, g.EndReason, g.Scene.EndTimer, g.GameNum,
                        g.GameTitle, g.GameVersion, g.BoardCount, g.GameKey, g.GameScramble,
                        ASys.DrawSet[DrawSlot::Smoothing]);
        g.SetLaunchValues();
        PlayFixture::BuildLevel(1, 1);
        testing::internal::CaptureStdout();
        g.LogLevel();
        const std::string built = LevelLine(testing::internal::GetCapturedStdout(), "Level 1, difficulty 1:");
        EXPECT_FALSE(built.empty());
        EXPECT_EQ(played, built) << "layout, hero start, power items and target of the game's level 1";
    }

    // The maze has risen once the music starts; then hold right and quit
    // with the mouse while it is held.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    game.KeyDown("Right");
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    flow.Press("Escape");
    ASSERT_TRUE(flow.WaitFor("quit-pause", PausedCaption));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the buttons slide up
    game.Click(200, 472);
    game.MoveMouse(790, 300);  // off the list, so it highlights the game's difficulty
    const size_t ended = game.WaitForText("Game ended by quitting with score ", 3000);
    ASSERT_NE(ended, std::string::npos) << game.Output();
    const int atQuit = std::atoi(game.Output().c_str() + ended);
    EXPECT_GT(atQuit, 0) << "the held arrow ate pellets before the quit";
    EXPECT_TRUE(flow.WaitFor("quit-banner", QuitGameBanner, 2000));
    // Held through most of the banner, let go before the list is back (a
    // key held onto the list moves its highlight once it repeats).
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    game.KeyUp("Right");
    ASSERT_TRUE(flow.WaitFor("quit-top5", [](const Shot& s) { return EasyBar(s) && !StartCircle(s); }, 6000));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the score panel slides in, the file is written
    flow.Take("quit-top5");
    ASSERT_TRUE(game.RequestClose());
    ASSERT_EQ(game.WaitExit(10000), 0);

    // The Top 5 is drawn from the score file's table: read it back the
    // way the game does on its next start.
    MyGame& g = ThisGame;
    StateGuard keep(g.home, g.GameNum, g.GameTitle, g.GameVersion, g.BoardCount, g.GameKey, g.GameScramble,
                    g.Settings, g.Scores, g.NetScores, g.NetNames, g.Saving.SavePending, ASys.redef,
                    ASys.DrawSet[DrawSlot::Smoothing]);
    g.SetLaunchValues();
    std::snprintf(g.home, sizeof g.home, "%s", game.Home().c_str());
    for (int& v : g.Scores) v = 0;
    testing::internal::CaptureStdout();
    g.Load();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(g.Scores[20 * 1], atQuit) << "Easy's best";
    EXPECT_EQ(g.Scores[20 * 1 + 5], atQuit) << "Easy's latest";

    // The game left its journal as the latest game and as Easy's best, and
    // the journal check replays it to the score of the Top 5.
    for (const char* name : {"Latest.journal", "Best_Easy.journal"}) {
        SCOPED_TRACE(name);
        std::string said;
        EXPECT_EQ(RunProgram({GOBBIT_BINARY, "--verify", game.Home() + "/" + name}, said), 0) << said;
        EXPECT_NE(said.find("ended by quitting"), std::string::npos) << said;
        EXPECT_NE(said.find("reproduced score " + std::to_string(g.Scores[20 * 1]) + "\n"), std::string::npos)
            << said;
    }
}

}  // namespace
