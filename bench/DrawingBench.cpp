// Drawing costs: recording commands, and replaying two typical frames (play
// and title) into the real window. The replays need a display (run under
// Xvfb); without one they are skipped.
#include <benchmark/benchmark.h>
#include <lodepng.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "CoreGlobals.h"
#include "GameStart.h"
#include "shell/MyGame.h"
#include "support/StateGuards.h"
#include "sys/ImageTable.h"
#include "sys/RendererGlobals.h"
#include "sys/ZARNSys.h"

namespace {

MyGame& G = ThisGame;

bool WindowUp() {
    StartGameOnce();
    return ASys.HasWindow();
}

// A sheet of cols x rows frames of side f, each frame a patterned block with
// a magenta surround, written as PNG and loaded like the game's art.
void LoadSheet(int slot, int f, int cols, int rows) {
    unsigned w = unsigned(f * cols), h = unsigned(f * rows);
    std::vector<unsigned char> px(size_t(w) * h * 4);
    for (unsigned y = 0; y < h; ++y) {
        for (unsigned x = 0; x < w; ++x) {
            unsigned char* p = &px[(size_t(y) * w + x) * 4];
            int fx = int(x) % f, fy = int(y) % f, k = (int(y) / f) * cols + int(x) / f;
            bool edge = fx < f / 8 || fy < f / 8 || fx >= f - f / 8 || fy >= f - f / 8;
            p[0] = edge ? 255 : (unsigned char)(k * 37 + fx * 3);
            p[1] = edge ? 0 : (unsigned char)(k * 11 + fy * 5);
            p[2] = edge ? 255 : (unsigned char)(200 - k);
            p[3] = 255;
        }
    }
    std::string templ = std::string(P_tmpdir) + "/gobbit_bench_XXXXXX";
    std::vector<char> path(templ.begin(), templ.end());
    path.push_back('\0');
    int fd = mkstemp(path.data());
    if (fd >= 0) close(fd);
    lodepng::encode(path.data(), px, w, h);
    ASys.GetPNG(slot, path.data(), unsigned(f));
    std::remove(path.data());
}

void LoadArt() {
    static bool done = false;
    if (done) return;
    done = true;
    LoadSheet(0, 16, 16, 8);    // game sprites
    LoadSheet(50, 64, 8, 2);    // icons
    LoadSheet(51, 32, 16, 6);   // font
    LoadSheet(55, 32, 12, 12);  // particles
    LoadSheet(53, 512, 1, 1);   // menu backdrop
    LoadSheet(57, 512, 1, 1);   // menu front
    LoadSheet(54, 1024, 1, 1);  // logo
    G.SetFont(Img::Font);
}

void Canvas800x600() {
    Screen800x600();
    G.jscrWide = 800;
    G.jscrHigh = 600;
}

void Backdrop(float t) {
    G.SetSize(2.25f);
    G.InkRot(t / 64, 1.0, 0.3);
    G.SetAlpha(0.3f);
    G.SetRot(t / 240);
    G.DrawImg(Img::MenuBack, 400 + std::sin(t / 160) * 96, 300 - std::cos(t / 170) * 80, 0);
    G.InkRot(t / 72 + 120, 1.0, 0.3);
    G.SetAlpha(0.3f);
    G.SetRot(-t / 320);
    G.DrawImg(Img::MenuBack, 400 + std::sin(t / 240) * 80, 300 - std::cos(t / 200) * 96, 0);
    G.ResetDraw();
}

// The play screen: backdrop, 25 x 15 board of floor tiles and pellets, the
// hero, walls, a few particles and the display.
void RecordPlayFrame() {
    ASys.DrawTo = 0;
    ASys.CurBlend = 1;
    G.ResetDraw();
    G.FadeCLS(20, 10, 30, 8);
    Backdrop(1234);
    const float cell = 32, scale = cell / 16;
    const float x0 = 400 - cell * 12, y0 = 600 - cell * 14.5f;
    auto wall = [](int x, int y) { return (x * 7 + y * 3) % 5 == 0; };
    G.SetSize(scale * 1.01f);
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 25; ++x) {
            if (wall(x, y)) continue;
            G.SetCol(180, 150, 120, 1);
            G.DrawImg(Img::Sprites, x0 + x * cell, y0 + y * cell, 86 + (x + y) % 4);
            if ((x + y) % 3) {
                G.SetCol(255, 255, 255, 1);
                G.DrawImg(Img::Sprites, x0 + x * cell, y0 + y * cell - 2, 20);
            }
        }
    }
    G.SetSize(scale);
    G.SetRot(90);
    G.DrawImg(Img::Sprites, x0 + 12 * cell, y0 + 7 * cell, 1);
    G.ResetDraw();
    G.SetSize(scale);
    G.SetCol(180, 150, 120, 1);
    for (int x = 0; x < 25; ++x)
        for (int y = 0; y < 15; ++y)
            if (wall(x, y)) G.DrawImg(Img::Sprites, x0 + x * cell, y0 + y * cell, 70 + (x + y) % 16);
    G.ResetDraw();
    G.SetSize(0.5f);
    for (int i = 0; i < 24; ++i) G.DrawImg(Img::Particles, 100 + i * 25, 200 + (i % 5) * 30, i % 40);
    G.ResetDraw();
    G.SetSize(1);
    G.SetCol(255, 180, 100);
    G.Text(400, 16, "Eat 42", 1);
    G.SetSize(2);
    G.SetCol(255, 255, 255);
    for (int i = 0; i < 3; ++i) G.DrawImg(Img::Sprites, 64 + 32 * i, 16, 29);
    G.SetSize(1);
    G.SetCol(100, 255, 180);
    G.Text(792, 16, 123450, 2);
    G.SetSize(0.5f);
    G.Text(8, 592, "Update 60fps - Render 60fps - Polys 1234");
    ASys.RenderBuffer();
}

// The title screen: backdrop, front image, 1024 logo, items, text.
void RecordTitleFrame() {
    ASys.DrawTo = 0;
    ASys.CurBlend = 1;
    G.ResetDraw();
    G.FadeCLS(40, 0, 60, 8);
    Backdrop(5678);
    G.SetAlpha(0.3f);
    G.DrawImg(Img::MenuFront, 400, 300, 0);
    G.ResetDraw();
    G.SetSize(0.75f);
    G.DrawImg(Img::Logo, 400, 0.75f * 256 + 16, 0);
    G.ResetDraw();
    G.SetGradient(100, 255, 100, 0.5f, 0, 150, 0, 0.5f);
    G.Circle(400, 504, 64);
    G.SetRot(90);
    G.SetGradient(120, 255, 120, 0.5f, 80, 180, 80, 0.5f);
    G.Tri_Fix(400, 504, 54, 54, 0.25f);
    G.ResetDraw();
    G.DrawImg(Img::Icons, 240, 504, 1);
    G.SetRot(-30);
    G.DrawImg(Img::Icons, 748, 504, 3);
    G.SetRot(30);
    G.DrawImg(Img::Icons, 748, 504, 4);
    G.SetRot(0);
    G.DrawImg(Img::Icons, 52, 504, 5);
    G.SetSize(0.75f);
    for (const char* label : {"Start", "Options", "Credits"}) G.Text(400, 568, label, 1);
    for (int row = 0; row < 8; ++row) G.Text(620, 120 + row * 24, "AAA  0012345", 0);
    G.SetSize(0.5f);
    G.Text(792, 584, "A game by the Gobbit team", 2);
    ASys.RenderBuffer();
}

void ReplayBench(benchmark::State& state, void (*record)()) {
    if (!WindowUp()) {
        state.SkipWithError("needs a display (run under Xvfb)");
        return;
    }
    if (ASys.FrameW != 800 || ASys.FrameH != 600) ASys.SetScreen(800, 600);
    LoadArt();
    Canvas800x600();
    record();
    ASys.RenderSys(0);  // first sight of each texture uploads it
    long long uploads = 0, bytes = 0, batches = 0;
    for (auto _ : state) {
        ASys.RenderSys(0);
        uploads += Replayer.TexUploads;
        bytes += Replayer.TexUploadBytes;
        batches += Replayer.TexBinds;
    }
    double n = double(state.iterations());
    state.counters["uploads/frame"] = uploads / n;
    state.counters["upload_bytes/frame"] = bytes / n;
    state.counters["batches/frame"] = batches / n;
    state.counters["commands"] = Replayer.DrawToRT;
    state.counters["triangles"] = ASys.PolyCount;
}

void BM_ReplayPlayFrame(benchmark::State& state) { ReplayBench(state, RecordPlayFrame); }
void BM_ReplayTitleFrame(benchmark::State& state) { ReplayBench(state, RecordTitleFrame); }

// Reloading a slot's pixels every frame: what an image costs when it does
// change (one upload of a 1024 x 1024 buffer).
void BM_ReplayChangingBuffer(benchmark::State& state) {
    if (!WindowUp()) {
        state.SkipWithError("needs a display (run under Xvfb)");
        return;
    }
    Canvas800x600();
    G.CreateBuffer(Img::PlatBackdrop, 1024);
    ASys.DrawTo = 0;
    G.ResetDraw();
    G.DrawImg(Img::PlatBackdrop, 400, 300, 0);
    ASys.RenderBuffer();
    long long uploads = 0;
    int k = 0;
    for (auto _ : state) {
        G.BufferFill(Img::PlatBackdrop, k & 255, 0, 0, 255);
        ++k;
        ASys.RenderSys(0);
        uploads += Replayer.TexUploads;
    }
    state.counters["uploads/frame"] = uploads / double(state.iterations());
}

void BM_Record10000(benchmark::State& state) {
    Canvas800x600();
    ASys.iFrames[90] = -1;
    G.CreateBuffer(90, 16);
    for (auto _ : state) {
        ASys.DrawTo = 0;
        G.ResetDraw();
        for (int i = 0; i < 2500; ++i) {
            float x = float(i % 800), y = float(i % 600);
            G.SetCol(x, y, 128, 1);
            G.Rect(x, y, 10, 10);
            G.DrawImg(90, x, y, i & 3);
            G.Oval(x, y, 5);
            G.FullTri(x, y, x + 5, y, x, y + 5);
        }
        benchmark::DoNotOptimize(ASys.Draw);
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}

}  // namespace

BENCHMARK(BM_Record10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReplayPlayFrame)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_ReplayTitleFrame)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_ReplayChangingBuffer)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
