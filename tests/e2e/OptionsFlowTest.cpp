// The options screen, name entry and control redefinition used the way a
// player would: the real program from a fresh home, driven with xdotool, its
// settings file read back from disk. Pictures of each screen are kept in
// <build>/screens for looking at.
#include <gtest/gtest.h>

#include <lodepng.h>

#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/GameProcess.h"

namespace {

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// A game started from a fresh home and brought to its title screen.
class Session {
public:
    bool Start() {
        game.SetEnv("ALSOFT_DRIVERS", "null");
        if (!game.Start() || game.FindWindow(15000) == 0) return false;
        // The loader's last step; the title follows in the next update.
        if (game.WaitForText("Load SFX   : 18", 20000) == std::string::npos) return false;
        SleepMs(400);
        return true;
    }
    // One press, held long enough for a couple of updates to see it, then a
    // pause long enough for the release to be seen too.
    void Key(const std::string& key, int times = 1) {
        for (int i = 0; i < times; ++i) {
            game.PressKey(key, 110);
            SleepMs(90);
        }
    }
    std::vector<int32_t> SettingsFile() const {
        std::ifstream in(game.Home() + "/Settings.sav", std::ios::binary);
        std::vector<int32_t> ints;
        int32_t v;
        while (in.read(reinterpret_cast<char*>(&v), sizeof v)) ints.push_back(v);
        return ints;
    }
    // After a full-screen switch the window is made anew. Without a window
    // manager on the test display nobody hands it the focus, and an
    // unfocused game idles, so the test does what a window manager would.
    unsigned long NewWindow() {
        SleepMs(800);
        unsigned long w = game.FindWindow(5000);
        game.GiveFocusBack();
        SleepMs(200);
        return w;
    }
    // Waits for the settings file to pass a check (a save takes about a second).
    bool WaitSettings(const std::function<bool(const std::vector<int32_t>&)>& check, int timeoutMs = 8000) {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            auto ints = SettingsFile();
            if (ints.size() == 1124 && check(ints)) return true;
            SleepMs(100);
        }
        return false;
    }
    std::string Shot(const std::string& name) {
        std::string dir = std::string(GOBBIT_BUILD_DIR) + "/screens";
        std::filesystem::create_directories(dir);
        std::string path = dir + "/" + name + ".png";
        game.FindWindow(5000);  // the window may have been made anew
        return game.Screenshot(path) ? path : "";
    }
    void Close() {
        game.RequestClose();
        game.WaitExit(10000);
    }

    GameProcess game;
};

bool HaveDisplay() { return std::getenv("DISPLAY") != nullptr; }

// Distinct colours in a screenshot: a blank or failed picture has few.
int Colours(const std::string& path) {
    std::vector<unsigned char> px;
    unsigned w = 0, h = 0;
    if (path.empty() || lodepng::decode(px, w, h, path) != 0) return 0;
    std::vector<bool> seen(1 << 15);
    int n = 0;
    for (size_t i = 0; i + 3 < px.size(); i += 4) {
        int key = (px[i] >> 3) << 10 | (px[i + 1] >> 3) << 5 | (px[i + 2] >> 3);
        if (!seen[key]) seen[key] = true, ++n;
    }
    return n;
}

// The hero's centre on a play screenshot: the densest 24 x 24 patch of its
// orange body (pellets are paler, the HUD sits in the top fifth).
bool FindHero(const std::string& path, int& hx, int& hy) {
    std::vector<unsigned char> px;
    unsigned w = 0, h = 0;
    if (path.empty() || lodepng::decode(px, w, h, path) != 0) return false;
    std::vector<int> sum((w + 1) * (h + 1), 0);
    auto at = [&](unsigned x, unsigned y) -> int& { return sum[y * (w + 1) + x]; };
    for (unsigned y = 0; y < h; ++y)
        for (unsigned x = 0; x < w; ++x) {
            const unsigned char* p = &px[(y * w + x) * 4];
            bool body = y > h / 5 && p[0] > 220 && p[1] >= 120 && p[1] <= 190 && p[2] < 90;
            at(x + 1, y + 1) = at(x, y + 1) + at(x + 1, y) - at(x, y) + (body ? 1 : 0);
        }
    const unsigned s = 24;
    int best = 0;
    for (unsigned y = 0; y + s <= h; ++y)
        for (unsigned x = 0; x + s <= w; ++x) {
            int n = at(x + s, y + s) - at(x, y + s) - at(x + s, y) + at(x, y);
            if (n > best) best = n, hx = int(x + s / 2), hy = int(y + s / 2);
        }
    return best > 150;
}

// Mean difference per colour channel of two screenshots of one size inside
// the rectangle x0..x1, y0..y1, or 255 when they cannot be compared. The
// backdrops change colour over time, so a whole-picture difference says
// little: the rectangle is chosen where the screens differ in kind.
double MeanDifference(const std::string& a, const std::string& b, unsigned x0, unsigned y0, unsigned x1,
                      unsigned y1) {
    std::vector<unsigned char> pa, pb;
    unsigned wa = 0, ha = 0, wb = 0, hb = 0;
    if (a.empty() || b.empty() || lodepng::decode(pa, wa, ha, a) != 0 || lodepng::decode(pb, wb, hb, b) != 0 ||
        wa != wb || ha != hb || x1 > wa || y1 > ha)
        return 255;
    double sum = 0;
    for (unsigned y = y0; y < y1; y++)
        for (unsigned x = x0; x < x1; x++)
            for (unsigned c = 0; c < 3; c++) sum += std::abs(int(pa[(y * wa + x) * 4 + c]) - int(pb[(y * wa + x) * 4 + c]));
    return sum / double((x1 - x0) * (y1 - y0) * 3);
}

ino_t InodeOf(const std::string& path) {
    struct stat st{};
    return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// Settings.sav: 100 settings, then 16 virtual keys of 64 binding slots.
int Binding(const std::vector<int32_t>& ints, int key, int slot) { return ints[100 + key * 64 + slot]; }

constexpr int GlfwKeyH = 72;

}  // namespace

TEST(OptionsFlow, SfxVolumeStepsDownAndIsSavedOnBack) {
    if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
    Session s;
    ASSERT_TRUE(s.Start()) << s.game.Output();
    s.Key("Right");   // title: Start -> Options
    s.Key("Return");  // open the options
    SleepMs(300);
    EXPECT_GT(Colours(s.Shot("options")), 50);
    s.Key("Down");     // Back -> SFX Volume
    s.Key("Left", 2);  // 7 -> 5
    s.Key("BackSpace");  // Back/Select closes and saves
    EXPECT_TRUE(s.WaitSettings([](auto& v) { return v[0] == 5 && v[1] == 7; })) << s.game.Output();
    ASSERT_TRUE(s.game.Running());
    s.Close();
}

// Closing the game while the options are open keeps the change made there,
// whether the window is closed or the process is asked to end by a signal.
TEST(OptionsFlow, AChangeIsSavedWhenTheGameClosesOnTheOptionsScreen) {
    if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
    for (const char* how : {"close button", "SIGTERM", "SIGINT", "SIGHUP"}) {
        SCOPED_TRACE(how);
        Session s;
        ASSERT_TRUE(s.Start()) << s.game.Output();
        s.Key("Right");
        s.Key("Return");
        s.Key("Down");  // SFX Volume
        s.Key("Left");  // 7 -> 6
        SleepMs(200);
        std::string how_s = how;
        if (how_s == "close button")
            s.game.RequestClose();
        else
            kill(s.game.Pid(), how_s == "SIGTERM" ? SIGTERM : how_s == "SIGINT" ? SIGINT : SIGHUP);
        EXPECT_EQ(s.game.WaitExit(15000), 0) << s.game.Output();
        EXPECT_NE(s.game.Output().find("Farewell happy gamer"), std::string::npos) << s.game.Output();
        std::vector<int32_t> v = s.SettingsFile();
        ASSERT_EQ(v.size(), 1124u);
        EXPECT_EQ(v[0], 6);
    }
}

// Name entry ends on Escape; an Escape held on lands on the options screen
// and stays there instead of closing it too.
TEST(OptionsFlow, AnEscapeHeldFromNameEntryStaysOnTheOptions) {
    if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
    Session s;
    ASSERT_TRUE(s.Start()) << s.game.Output();
    std::string title = s.Shot("escape-title");
    s.Key("Right");
    s.Key("Return");
    SleepMs(200);
    std::string options = s.Shot("escape-options");  // Back highlighted, as after name entry
    s.Key("Down", 3);  // Online Name
    s.Key("Return");
    SleepMs(300);
    // Every save puts a new file in place; the options save when they close.
    ino_t before = InodeOf(s.game.Home() + "/Settings.sav");
    s.game.KeyDown("Escape");
    SleepMs(400);
    s.game.KeyUp("Escape");
    SleepMs(1500);
    std::string after = s.Shot("escape-after-name-entry");
    // The band of the options' Back row, where the title shows its logo.
    double toOptions = MeanDifference(after, options, 300, 66, 500, 86);
    double toTitle = MeanDifference(after, title, 300, 66, 500, 86);
    EXPECT_LT(2 * toOptions, toTitle) << "to options " << toOptions << ", to title " << toTitle;
    EXPECT_EQ(InodeOf(s.game.Home() + "/Settings.sav"), before) << "the options closed and saved";
    // A new press does close them.
    s.Key("Escape");
    SleepMs(400);
    std::string closed = s.Shot("escape-then-title");
    EXPECT_LT(2 * MeanDifference(closed, title, 300, 66, 500, 86), MeanDifference(closed, options, 300, 66, 500, 86));
    EXPECT_TRUE(s.WaitSettings([&](auto&) { return InodeOf(s.game.Home() + "/Settings.sav") != before; }));
    s.Close();
}

TEST(OptionsFlow, OnlineNameIsEnteredOnTheReelsAndSaved) {
    if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
    Session s;
    ASSERT_TRUE(s.Start()) << s.game.Output();
    s.Key("Right");
    s.Key("Return");
    s.Key("Down", 3);  // Online Name
    s.Key("Return");
    SleepMs(200);
    s.Key("Down", 12);  // space -> "A"
    s.Key("z");         // next: the cell takes the "A" along
    s.Key("Down");      // "B"
    s.Key("z");
    s.Key("Down");      // "C"
    SleepMs(200);
    EXPECT_GT(Colours(s.Shot("name-entry")), 50);
    s.Key("Return");    // done, back to the options
    SleepMs(300);
    s.Shot("options-with-name");
    s.Key("BackSpace");
    // Two 6-bit cells per int: "A" 12 and "B" 13, then "C" 14.
    EXPECT_TRUE(s.WaitSettings([](auto& v) {
        return v[50] == (13 << 8 | 12) && v[51] == 14 && v[52] == 0 && v[53] == 0 && v[54] == 0 && v[55] == 0;
    })) << s.game.Output();
    s.Close();
}

TEST(OptionsFlow, ANewKeyBoundToRightMovesTheHero) {
    if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
    Session s;
    ASSERT_TRUE(s.Start()) << s.game.Output();
    s.Key("Right");
    s.Key("Return");
    s.Key("Down", 7);  // Controller
    s.Key("Return");
    SleepMs(300);
    EXPECT_GT(Colours(s.Shot("redefine")), 50);
    s.Key("Down", 3);  // Test -> shoulders -> d-pad up -> d-pad left
    s.Key("Right");    // d-pad right
    s.Key("Return");   // start the capture (Return is fire, and is set aside)
    SleepMs(300);
    s.Shot("redefine-capture");
    size_t from = s.game.Output().size();
    s.Key("h");
    ASSERT_NE(s.game.WaitForText("Button Caught 72", 3000, from), std::string::npos) << s.game.Output();
    SleepMs(200);
    s.Shot("redefine-bound");
    s.Key("Up", 4);    // to Save
    s.Key("Return");   // save, back to the options
    s.Key("BackSpace");  // to the title
    EXPECT_TRUE(s.WaitSettings([](auto& v) { return Binding(v, 1, 63) == GlfwKeyH; })) << s.game.Output();

    s.Key("Left");    // Options -> Start
    s.Key("Return");  // the difficulty list
    s.Key("Return");  // Normal
    SleepMs(3500);    // the board rises
    std::string before = s.Shot("play-before");
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    ASSERT_TRUE(FindHero(before, x0, y0));
    s.Key("h");
    SleepMs(800);
    std::string after = s.Shot("play-after");
    ASSERT_TRUE(FindHero(after, x1, y1));
    EXPECT_GE(x1 - x0, 20) << "from " << x0 << "," << y0 << " to " << x1 << "," << y1;
    EXPECT_LE(std::abs(y1 - y0), 6);
    s.Close();
}

TEST(OptionsFlow, FullScreenSwitchesBackAndForthKeepingTheGame) {
    if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
    Session s;
    ASSERT_TRUE(s.Start()) << s.game.Output();
    unsigned long first = s.game.FindWindow(5000);
    s.Key("Right");
    s.Key("Return");
    s.Key("Down", 4);  // Fullscreen [F11]
    s.Key("Return");   // Switch
    unsigned long full = s.NewWindow();
    ASSERT_NE(full, 0u);
    EXPECT_NE(full, first) << "the window is made anew";
    int x, y, w, h;
    s.game.WindowGeometry(full, x, y, w, h);
    EXPECT_GT(w, 800);
    EXPECT_GT(Colours(s.Shot("options-fullscreen")), 50) << "pictures and text are drawn after the switch";

    s.Key("F11");
    unsigned long windowed = s.NewWindow();
    ASSERT_NE(windowed, 0u);
    s.game.WindowGeometry(windowed, x, y, w, h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    EXPECT_GT(Colours(s.Shot("options-windowed-again")), 50);

    // Still on the options screen with the same row, and it still saves.
    s.Key("Down");  // Motion Reduction
    s.Key("Return");
    s.Key("BackSpace");
    EXPECT_TRUE(s.WaitSettings([](auto& v) { return v[23] == 1 && v[0] == 7; })) << s.game.Output();
    ASSERT_TRUE(s.game.Running());
    s.Close();
}
