// Start-up, the millisecond clock, the hand-over of one recorded frame to the
// renderer, and shutdown.
#include <cstdio>
#include <cstring>
#include <ctime>

#include "CoreGlobals.h"
#include "ZARNCore.h"
#include "sys/ZARNSys.h"

const char* const MissingField = "-=+=-";

LoopState Loop;
CanvasState Canvas;

// Titles longer than the buffer are cut at its last byte.
static void CopyTitle(char* dst, const char* src) {
    std::snprintf(dst, 1024, "%s", src ? src : "");
}

void ZARNCore::Begin(int number, const char* title) {
    std::puts("\n-=-=-=-=-=-=-=-=-");
    std::puts("ZARNFrame - v0.95 - Gobbit build");
    Loop.RenderThread = 0;
    Loop.GameStartTime = clock();
    clock_gettime(CLOCK_MONOTONIC, &Loop.starttick);
    Active = 1;
    GameNum = number;
    MixJoy = 1;
    Loop.DebugToggle = 0;
    ShowStats = 1;
    Loop.ScreenshotToggle = 0;
    ScreenshotMode = 0;
    CopyTitle(GameTitle, title);
    ASys.SysInit(GameTitle);
    // Until the first replay measures the framebuffer, size the canvas from
    // the window asked for, so the first updates draw at the right scale.
    if (ASys.FrameW > 0 && ASys.FrameH > 0) {
        ASys.Ratio = float(ASys.FrameW) / float(ASys.FrameH);
        ApplyCanvas(ScreenW, ScreenH);
    }
    SeedRnd();
}

// The monotonic clock, not the wall clock: a time sync or a clock set back
// must never stop the game's timers.
int ZARNCore::Mills() {
    if (Loop.MillsSource) return Loop.MillsSource();
    clock_gettime(CLOCK_MONOTONIC, &Loop.curtick);
    // Wraps like the 32-bit millisecond count it is (after about 24.8 days);
    // everything that compares two counts takes their difference.
    unsigned now = unsigned(Loop.curtick.tv_sec) * 1000u + unsigned(Loop.curtick.tv_nsec / 1000000);
    unsigned start = unsigned(Loop.starttick.tv_sec) * 1000u + unsigned(Loop.starttick.tv_nsec / 1000000);
    return int(now - start);
}

int ZARNCore::StartTick() { return int(Loop.GameStartTime); }

void ZARNCore::Rest(int ms) { ASys.RestSys(ms); }

void ZARNCore::SetTitle(const char* title) {
    CopyTitle(GameTitle, title);
    Rescramble();
}

std::string ZARNCore::GetTitle() { return GameTitle; }

void ZARNCore::SetNum(int number) {
    Loop.GameStartTime = clock();
    GameNum = number;
    Rescramble();
}

int ZARNCore::GetNum() { return GameNum; }

void ZARNCore::BufferGame() {
    if (ShowStats == 1) {
        ResetDraw();
        SetSize(0.5f);
        if (UpdateCount == 59) UpdateCount = 60;
        if (RenderCount == 59) RenderCount = 60;
        float y = ASys.TargetScale / ASys.Ratio - (Canvas.iBump == 1 ? 40 : 8);
        Text(8, y, fstr("Update %ifps - Render %ifps - Polys %i", UpdateCount, RenderCount, PolyCountR), 0, 0);
    }
    ASys.RenderBuffer();
    PolyCountR = ASys.PolyCount;
    ASys.DrawTo = 0;
    ASys.CurBlend = 1;
}

void ZARNCore::RenderGame(float& width, float& height) {
    CountPerSecond(Mills(), Loop.RenderCountLive, RenderSec, RenderCount);
    Loop.RenderThread += 1;
    if (Loop.RenderThread > 4) Loop.RenderThread = 0;

    ASys.RenderSys(OverscanFrac);
    ApplyCanvas(width, height);
}

void ZARNCore::ApplyCanvas(float& width, float& height) {
    if (ASys.Ratio <= 0) ASys.Ratio = 1;
    width = ASys.TargetScale;
    Canvas.rw2 = int(width / 2);
    height = ASys.TargetScale / ASys.Ratio;
    Canvas.rh2 = int(height / 2);

    ASys.TargetScale = 800;
    ASys.ImageZoom = 1.0f;
    if (height > width) {
        ASys.TargetScale = 512;
        ASys.ImageZoom = 800.0f / 512.0f;
    }

    Canvas.iBump = 0;
    if (height > 2 * width) {
        Canvas.iBump = 1;
        height -= 32;
        Canvas.rh2 -= 32;
    }
    if (width > 2 * height) {
        Canvas.iBump = 2;
        width -= 32;
        Canvas.rw2 -= 32;
    }
    ASys.offx = float(Canvas.rw2);
    ASys.offy = float(Canvas.rh2);
    jscrWide = int(width);
    jscrHigh = int(height);
    RealW = ASys.FrameW;
    RealH = ASys.FrameH;
    Canvas.ViewScale = 2.0f / ASys.TargetScale;
}

void ZARNCore::FlipFullscreen() { ASys.FlipFull(); }

void ZARNCore::Terminate() {
    // A decode still running when the game closes during loading finishes
    // and its thread is joined; the files not yet started are dropped.
    StopDecodingAhead();
    ASys.Close();
    int s = Mills() / 1000;
    std::printf("Runtime : %d:%02d\n", s / 60, s % 60);
    std::puts("Farewell happy gamer");
    std::puts("-=-=-=-=-=-=-=-=-\n");
    std::fflush(stdout);
}
