// A fixture for the title, list, pause, loading and credits screens: it
// saves everything those screens read or change on the shared game and
// platform objects, starts each test from a quiet 800 x 600 canvas with no
// input, and puts it all back afterwards. Input is set directly on the
// device tables; a screen is then called once per simulated update.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "CoreGlobals.h"
#include "shell/MyGame.h"
#include "sys/DeviceReads.h"
#include "sys/ZARNSys.h"

// Answers the few device questions the screens ask (BumpCursor) and notes
// where the cursor was sent.
class CursorSpy : public DeviceReader {
public:
    int bumps = 0;
    double lastX = 0, lastY = 0;
    int KeyDown(int) override { return 0; }
    int MouseButtonDown(int) override { return 0; }
    void CursorPos(double& x, double& y) override { x = y = 0; }
    void SetCursorPos(double x, double y) override {
        ++bumps;
        lastX = x;
        lastY = y;
    }
    void WindowSize(int& w, int& h) override { w = 800, h = 600; }
    void FramebufferSize(int& w, int& h) override { w = 800, h = 600; }
    int Focused() override { return 1; }
    int CloseRequested() override { return 0; }
    int MonitorSize(int& w, int& h) override { w = 1920, h = 1080; return 1; }
    int JoystickPresent(int) override { return 0; }
    const char* JoystickName(int) override { return ""; }
    const float* JoystickAxes(int, int& n) override { n = 0; return nullptr; }
    const unsigned char* JoystickButtons(int, int& n) override { n = 0; return nullptr; }
};

// Record i of the recording list.
inline const double* RecordAt(int i) { return ASys.Draw + i * DrawCmdSize; }

// The draw state and canvas mapping, saved and put back.
class CanvasGuard {
public:
    CanvasGuard() {
        std::memcpy(set_, ASys.DrawSet, sizeof set_);
        drawTo_ = ASys.DrawTo;
        curBlend_ = ASys.CurBlend;
        font_ = ASys.FontImage;
        rw2_ = rw2;
        rh2_ = rh2;
        viewScale_ = ViewScale;
        zoom_ = ASys.ImageZoom;
        target_ = ASys.TargetScale;
    }
    ~CanvasGuard() {
        std::memcpy(ASys.DrawSet, set_, sizeof set_);
        ASys.DrawTo = drawTo_;
        ASys.CurBlend = curBlend_;
        ASys.FontImage = font_;
        rw2 = rw2_;
        rh2 = rh2_;
        ViewScale = viewScale_;
        ASys.ImageZoom = zoom_;
        ASys.TargetScale = target_;
    }

private:
    float set_[50];
    int drawTo_, curBlend_, font_, rw2_, rh2_;
    float viewScale_, zoom_, target_;
};

// One string drawn with Text, rebuilt from its glyph records.
struct DrawnText {
    std::string text;
    float x = 0, y = 0;  // canvas position of the first glyph's centre
    float alpha = 0;     // 0-255, of the first glyph
    float size = 0;      // size factor of the first glyph
};

class MenuFixture : public ::testing::Test {
protected:
    void SetUp() override {
        MyGame& g = ThisGame;
        std::memcpy(settings_, g.Settings, sizeof settings_);
        std::memcpy(keyLock_, g.KeyLock, sizeof keyLock_);
        std::memcpy(touchLock_, g.TouchLock, sizeof touchLock_);
        std::memcpy(keyv_, ASys.Keyv, sizeof keyv_);
        std::memcpy(button_, ASys.Button, sizeof button_);
        std::memcpy(touch_, ASys.Touch, sizeof touch_);
        std::memcpy(frames_, ASys.iFrames, sizeof frames_);
        std::memcpy(square_, ASys.iFramesSquare, sizeof square_);
        ints_ = {g.GameMode,    g.Overlay,     g.MenuPage,      g.TitleChoice, g.GameBreak,  g.Difficulty,
                 g.ShowPauseIcon, g.ScoreSlide, g.ScoreTimer,   g.ScorePage,   g.CogAngle,   g.OptScroll,
                 g.OptRow,      g.ShowStats,   g.Paused,        g.PauseChoice, g.PauseSlide, g.PauseIdle,
                 g.CreditCount, g.EndReason,   g.EndBanner,     g.LoadTo,      g.PointerDown, g.RealW,
                 g.RealH};
        floats_ = {g.LogoZoom, g.MenuScroll, g.CreditScroll, g.CreditWave, g.EndTimer, g.ScreenW, g.ScreenH};
        for (int i = 0; i < 1024; ++i) credits_[i] = g.CreditLines[i];
        previousReader_ = SetDeviceReader(&spy_);

        // An 800-unit canvas centred at (400, 300), size 1.
        rw2 = 400;
        rh2 = 300;
        ASys.TargetScale = 800;
        ViewScale = 2.0f / 800.0f;
        ASys.ImageZoom = 1;
        ASys.CurBlend = 1;
        g.ScreenW = 800;
        g.ScreenH = 600;
        std::memset(ASys.Keyv, 0, sizeof ASys.Keyv);
        std::memset(ASys.Button, 0, sizeof ASys.Button);
        std::memset(ASys.Touch, 0, sizeof ASys.Touch);
        std::memset(g.KeyLock, 0, sizeof g.KeyLock);
        std::memset(g.TouchLock, 0, sizeof g.TouchLock);
        g.PointerDown = 0;
        g.GameBreak = 0;
        g.GameMode = 0;
        g.Overlay = 0;
        g.Paused = 0;
        g.EndReason = 0;
        g.EndTimer = 0;
        g.LoadTo = 0;
        // Drawing records only for loaded slots: the icons, the back arrow,
        // the backdrops, the logos and the font count as loaded.
        for (int slot : {50, 52, 53, 54, 56, 57, 60, ASys.FontImage}) ASys.iFrames[slot] = 1;
        ASys.iFramesSquare[50] = 64;
        ASys.iFramesSquare[52] = 32;
        ASys.DrawTo = 0;
    }

    void TearDown() override {
        MyGame& g = ThisGame;
        SetDeviceReader(previousReader_);
        std::memcpy(g.Settings, settings_, sizeof settings_);
        std::memcpy(g.KeyLock, keyLock_, sizeof keyLock_);
        std::memcpy(g.TouchLock, touchLock_, sizeof touchLock_);
        std::memcpy(ASys.Keyv, keyv_, sizeof keyv_);
        std::memcpy(ASys.Button, button_, sizeof button_);
        std::memcpy(ASys.Touch, touch_, sizeof touch_);
        std::memcpy(ASys.iFrames, frames_, sizeof frames_);
        std::memcpy(ASys.iFramesSquare, square_, sizeof square_);
        int* ints[] = {&g.GameMode,  &g.Overlay,     &g.MenuPage,   &g.TitleChoice, &g.GameBreak,
                       &g.Difficulty, &g.ShowPauseIcon, &g.ScoreSlide, &g.ScoreTimer, &g.ScorePage,
                       &g.CogAngle,  &g.OptScroll,   &g.OptRow,     &g.ShowStats,   &g.Paused,
                       &g.PauseChoice, &g.PauseSlide, &g.PauseIdle,  &g.CreditCount, &g.EndReason,
                       &g.EndBanner, &g.LoadTo,      &g.PointerDown, &g.RealW,      &g.RealH};
        for (size_t i = 0; i < ints_.size(); ++i) *ints[i] = ints_[i];
        float* floats[] = {&g.LogoZoom, &g.MenuScroll, &g.CreditScroll, &g.CreditWave,
                           &g.EndTimer, &g.ScreenW,    &g.ScreenH};
        for (size_t i = 0; i < floats_.size(); ++i) *floats[i] = floats_[i];
        for (int i = 0; i < 1024; ++i) g.CreditLines[i] = credits_[i];
        ASys.DrawTo = 0;
    }

    static MyGame& G() { return ThisGame; }
    static void Hold(int key, float value = 1.0f) { ASys.Keyv[0][key] = value; }
    static void Release(int key) { ASys.Keyv[0][key] = 0; }
    static void ReleaseAll() {
        std::memset(ASys.Keyv, 0, sizeof ASys.Keyv);
        std::memset(ASys.Button, 0, sizeof ASys.Button);
        PointerUp();
    }
    // The mouse (pointer 0) at a canvas position, pressed or not. The frame
    // update keeps PointerDown in step with it; so does this.
    static void Pointer(float x, float y, bool down) {
        ASys.Touch[0][1] = x;
        ASys.Touch[0][2] = y;
        ASys.Touch[0][5] = down ? 1.0f : 0.0f;
        ThisGame.PointerDown = down ? 1 : 0;
    }
    static void PointerUp() {
        ASys.Touch[0][5] = 0;
        ThisGame.PointerDown = 0;
    }

    // Runs a screen for n updates with the input as it stands; each update
    // starts a fresh draw list, as the frame update does.
    template <typename Screen>
    static void Run(Screen screen, int n = 1) {
        for (int i = 0; i < n; ++i) {
            ASys.DrawTo = 0;
            ThisGame.ResetDraw();
            (ThisGame.*screen)();
        }
    }

    // Kind-1 rectangles of this width (canvas units) in the current list.
    static int Rects(float w) {
        int n = 0;
        for (int i = 0; i < ASys.DrawTo; ++i)
            if (RecordAt(i)[0] == 1 && std::fabs(RecordAt(i)[3] - w) < 0.01) ++n;
        return n;
    }

    // The texts of the current list: consecutive glyph records on one line.
    static std::vector<DrawnText> Texts() {
        std::vector<DrawnText> out;
        double lastY = 1e9;
        int last = -2;
        for (int i = 0; i < ASys.DrawTo; ++i) {
            const double* r = RecordAt(i);
            if (r[0] != 11 || int(r[28]) != ASys.FontImage) continue;
            if (i != last + 1 || std::fabs(r[2] - lastY) > 0.01) {
                DrawnText t;
                t.x = float(r[1] + rw2);
                t.y = float(r[2] + rh2);
                t.alpha = float(r[10]);
                t.size = float(r[3] * ViewScale);
                out.push_back(t);
            }
            out.back().text += char(int(r[29]) + 32);
            last = i;
            lastY = r[2];
        }
        return out;
    }
    static const DrawnText* FindText(const std::string& text) {
        static std::vector<DrawnText> texts;
        texts = Texts();
        for (const DrawnText& t : texts)
            if (t.text == text) return &t;
        return nullptr;
    }

    CursorSpy spy_;

private:
    int settings_[200], keyLock_[100], touchLock_[100];
    float keyv_[8][16];
    int button_[128];
    float touch_[10][10];
    int frames_[ImageSlots], square_[ImageSlots];
    std::vector<int> ints_;
    std::vector<float> floats_;
    std::string credits_[1024];
    DeviceReader* previousReader_ = nullptr;
    CanvasGuard canvasGuard_;
};
