// The options screen, name entry and control redefinition used the way a
// player would: the real program from a fresh home, driven with xdotool, its
// settings file read back from disk. Pictures of each screen are kept in
// <build>/screens for looking at.
#include <gtest/gtest.h>

#include <lodepng.h>

#include <chrono>
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
