// One game update: time and input, then the asset loader or the screen that
// the mode and overlay select, the save writer, the end banner, and the
// hand-over of the recorded frame.
#include "shell/MyGame.h"

// Delta is 1.0 at 60 updates a second.
static const double DeltaDivisor = 50.0 / 3.0;

void MyGame::Update() {
    PointerDown = mdall();
    LastMills = ThisMills;
    ThisMills = Mills();
    float d = float(ThisMills - LastMills);
    if (d < 5) d = 5;
    if (d > 128) d = 128;
    Delta = float(d / DeltaDivisor);

    PollInput(Settings[10]);
    ResetDraw();
    PumpOnline();

    if (LoadTo >= 1) {
        Loader();
        BufferGame();
        return;
    }
    LoopTarget();
    SaveBit();
    DrawEndBanner();
    BufferGame();
}

void MyGame::LoopTarget() {
    if (Overlay == 0) {
        switch (GameMode) {
        case 0: DoMenu(); break;
        case 1: LoadMenu(); break;
        case 10:
            if (Paused == 0) {
                DoGame();
                Ingame();
            }
            // The update in which Ingame pauses already shows the pause menu.
            if (Paused == 1) PauseMenu();
            break;
        case 11: LoadGame(); break;
        default: break;
        }
    }
    switch (Overlay) {
    case 1: Options(); break;
    case 2: Credits(); break;
    case 3: RedefineKeys(); break;
    case 4: EnterYourName(); break;
    default: break;
    }
    DoParticles();
}

// One asset (or one animation step of the loading screen) per update, so
// the loading screen keeps moving while the files come in.
bool MyGame::LoaderStep(int step) {
    switch (step) {
    case 1: LoadFont(51, "entplain"); return true;
    case 2: LoadImg(60, "ZARNLogo", 32); return true;
    case 3: LoadSFX(95); return true;
    case 4: PlaySFX(95, 1.0f); return true;
    case 43: LoadImgFull(50, "icons", 64); return true;
    case 44: LoadImg(55, "particles", 32); return true;
    case 45: LoadSFX(1); return true;
    case 46: LoadImgFull(52, "options", 32); return true;
    case 47: LoadSFX(99); return true;
    case 48: LoadSFX(98); return true;
    case 49: LoadImg(53, "menu_back", 512); return true;
    case 50: LoadImg(57, "menu_front", 512); return true;
    case 51: LoadImg(54, "logo", 1024); return true;
    case 52: CreateBuffer(56, 1024); return true;
    case 53: MakePlatBG(); return true;
    case 54: SendScores(0); return true;
    case 60: LoadImgFull(0, "gfx", 16); return true;
    case 61: LoadSFX(1); return true;
    case 62: LoadSFX(4); return true;
    case 63: LoadSFX(5); return true;
    case 64: LoadSFX(6); return true;
    case 65: LoadSFX(2); return true;
    case 66: LoadSFX(3); return true;
    default:
        if (step >= 71 && step <= 78) {
            LoadSFX(step - 60);
            return true;
        }
        return false;
    }
}

void MyGame::Loader() {
    bool acted = LoaderStep(LoadTo);
    LoadTo += 1;
    LoadingScreen();
    if (LoadTo > 80 && !acted) LoadTo = 0;
}

static void BannerWords(int banner, const char*& first, const char*& second) {
    switch (banner) {
    case -1: first = "Quit"; second = "Game"; break;
    case 2: first = "Level"; second = "Complete"; break;
    case 3: first = "Well"; second = "Done"; break;
    case 4: first = "Time"; second = "Up"; break;
    case 5: first = "World"; second = "Complete"; break;
    case 6: first = "Birdie"; second = "Saved"; break;
    default: first = "Game"; second = "Over"; break;
    }
}

void MyGame::DrawEndBanner() {
    if (EndReason != 0) {
        EndTimer += Delta;
        if (EndTimer > 120) GameMode = 1;
    }
    if (EndReason == 0 && EndTimer > 0) {
        EndTimer -= Delta * 3;
        if (EndTimer < 0) EndTimer = 0;
    }
    if (EndTimer <= 0) return;

    ResetDraw();
    float size = 2 * EndTimer;
    if (size > 120) size = 120;
    float rot = 3 * EndTimer;
    float alpha = EndTimer / 80 + 0.1f;
    if (alpha > 0.4f) alpha = 0.4f;
    bool still = Settings[23] == 1;
    if (still) {
        size = 240;
        rot = 360;
        alpha = 0.4f;
    }
    const char* first;
    const char* second;
    BannerWords(EndBanner, first, second);

    // Nothing reaches the screens while the banner shows, and the title's
    // list waits before it starts repeating.
    LockKeys();
    KeyLock[5] = 50;

    float cx = ScreenW / 2, cy = ScreenH / 2;
    float spin = EndReason == 0 ? 360 - rot : rot;
    SetCol(128, 128, 0, alpha);
    SetRot(spin);
    Rect(cx, cy, size * 12);
    SetCol(128, 64, 0, alpha);
    SetRot(-spin);
    Rect(cx, cy, size * 10);
    SetCol(0, 0, 0, alpha);
    SetRot(0);
    Rect(cx, cy, size * 8);

    ResetDraw();
    SetSize(1.5f);
    float slide = (EndTimer - 20) * 32;
    if (slide > 0) slide = 0;
    if (still) slide = 0;
    Text(ScreenW * 0.4f - slide, ScreenH / 2 - 24, first, 1);
    Text(ScreenW * 0.6f + slide, ScreenH / 2 + 24, second, 1);
}
