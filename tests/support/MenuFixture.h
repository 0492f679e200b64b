// A fixture for the title, list, pause, loading and credits screens: it
// starts each test from a quiet 800 x 600 canvas with no input (the shared
// state is put back after every test, see SharedState.h). Input is set
// directly on the device tables; a screen is then called once per simulated
// update.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/FakeDevices.h"
#include "support/StateGuards.h"

// One string drawn with Text, rebuilt from its glyph records.
struct DrawnText {
    std::string text;
    float x = 0, y = 0;  // canvas position of the first glyph's centre
    float alpha = 0;     // 0-255, of the first glyph
    float size = 0;      // size factor of the first glyph
};

class MenuFixture : public ::testing::Test, protected TableInput {
protected:
    void SetUp() override {
        MyGame& g = ThisGame;
        Screen800x600();
        ASys.CurBlend = 1;
        NoInputHeld();
        g.GameBreak = 0;
        g.GameMode = Modes::Title;
        g.Overlay = Overlays::None;
        g.Scene.Paused = 0;
        g.EndReason = 0;
        g.Scene.EndTimer = 0;
        g.LoadTo = 0;
        FrontEndArtLoaded();
        ASys.DrawTo = 0;
    }

    void TearDown() override { ASys.DrawTo = 0; }

    static MyGame& G() { return ThisGame; }

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
            if (RecordAt(i)[DrawField::Kind] == DrawKind::Rect && std::fabs(RecordAt(i)[DrawField::W] - w) < 0.01) ++n;
        return n;
    }

    // The texts of the current list: consecutive glyph records on one line.
    static std::vector<DrawnText> Texts() {
        std::vector<DrawnText> out;
        double lastY = 1e9;
        int last = -2;
        for (int i = 0; i < ASys.DrawTo; ++i) {
            const double* r = RecordAt(i);
            if (r[DrawField::Kind] != DrawKind::Image || int(r[DrawField::Slot]) != ASys.FontImage) continue;
            if (i != last + 1 || std::fabs(r[DrawField::Y] - lastY) > 0.01) {
                DrawnText t;
                t.x = float(r[DrawField::X] + Canvas.rw2);
                t.y = float(r[DrawField::Y] + Canvas.rh2);
                t.alpha = float(r[DrawField::BottomA]);
                t.size = float(r[DrawField::W] * Canvas.ViewScale);
                out.push_back(t);
            }
            out.back().text += char(int(r[DrawField::Frame]) + 32);
            last = i;
            lastY = r[DrawField::Y];
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

    // Answers the few device questions the screens ask (BumpCursor) and
    // notes where the cursor was sent.
    FakeDevices spy_;

private:
    DrawStateGuard canvasGuard_;
    DevicesInstalled devices_{spy_};
};
