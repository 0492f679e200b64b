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

    PollInput(Settings[Setting::InvertStickY]);
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
    if (Overlay == Overlays::None) {
        switch (GameMode) {
        case Modes::Title: DoMenu(); break;
        case Modes::BackToTitle: LoadMenu(); break;
        case Modes::Play:
            if (Scene.Paused == 0) {
                DoGame();
                Ingame();
            }
            // The update in which Ingame pauses already shows the pause menu.
            if (Scene.Paused == 1) PauseMenu();
            break;
        case Modes::StartGame: LoadGame(); break;
        default: break;
        }
    }
    switch (Overlay) {
    case Overlays::Options: Options(); break;
    case Overlays::Credits: Credits(); break;
    case Overlays::RedefineKeys: RedefineKeys(); break;
    case Overlays::EnterName: EnterYourName(); break;
    default: break;
    }
    DoParticles();
}

namespace {

// The files the loader loads, one per step, in step order.
struct LoaderFile {
    int Step;
    enum { Font, Image, ImageFull, Sound } Kind;
    int Slot;
    const char* Name;  // images and the font
    int Frame;         // frame size of images
};

const LoaderFile LoaderFiles[] = {
    {1, LoaderFile::Font, Img::Font, "entplain", 32},
    {2, LoaderFile::Image, Img::ZarnLogo, "ZARNLogo", 32},
    {3, LoaderFile::Sound, Sfx::StartUp, nullptr, 0},
    {43, LoaderFile::ImageFull, Img::Icons, "icons", 64},
    {44, LoaderFile::Image, Img::Particles, "particles", 32},
    {45, LoaderFile::Sound, Sfx::PowerItem, nullptr, 0},
    {46, LoaderFile::ImageFull, Img::OptionIcons, "options", 32},
    {47, LoaderFile::Sound, Sfx::Move, nullptr, 0},
    {48, LoaderFile::Sound, Sfx::Confirm, nullptr, 0},
    {49, LoaderFile::Image, Img::MenuBack, "menu_back", 512},
    {50, LoaderFile::Image, Img::MenuFront, "menu_front", 512},
    {51, LoaderFile::Image, Img::Logo, "logo", 1024},
    {60, LoaderFile::ImageFull, Img::Sprites, "gfx", 16},
    {61, LoaderFile::Sound, Sfx::PowerItem, nullptr, 0},
    {62, LoaderFile::Sound, Sfx::Chomp, nullptr, 0},
    {63, LoaderFile::Sound, Sfx::ChompOther, nullptr, 0},
    {64, LoaderFile::Sound, Sfx::Landing, nullptr, 0},
    {65, LoaderFile::Sound, Sfx::LevelComplete, nullptr, 0},
    {66, LoaderFile::Sound, Sfx::LevelFailed, nullptr, 0},
    {71, LoaderFile::Sound, Sfx::Left20, nullptr, 0},
    {72, LoaderFile::Sound, Sfx::Left10, nullptr, 0},
    {73, LoaderFile::Sound, Sfx::Left5, nullptr, 0},
    {74, LoaderFile::Sound, Sfx::Left4, nullptr, 0},
    {75, LoaderFile::Sound, Sfx::Left3, nullptr, 0},
    {76, LoaderFile::Sound, Sfx::Left2, nullptr, 0},
    {77, LoaderFile::Sound, Sfx::Left1, nullptr, 0},
    {78, LoaderFile::Sound, Sfx::TargetReached, nullptr, 0},
};

}  // namespace

// One asset (or one animation step of the loading screen) per update, so
// the loading screen keeps moving while the files come in.
bool MyGame::LoaderStep(int step) {
    for (const LoaderFile& f : LoaderFiles) {
        if (f.Step != step) continue;
        switch (f.Kind) {
        case LoaderFile::Font: LoadFont(f.Slot, f.Name); break;
        case LoaderFile::Image: LoadImg(f.Slot, f.Name, f.Frame); break;
        case LoaderFile::ImageFull: LoadImgFull(f.Slot, f.Name, f.Frame); break;
        case LoaderFile::Sound: LoadSFX(f.Slot); break;
        }
        return true;
    }
    switch (step) {
    case 4: PlaySFX(Sfx::StartUp, 1.0f); return true;
    case 52: CreateBuffer(Img::PlatBackdrop, 1024); return true;
    case 53: MakePlatBG(); return true;
    case 54:
        if (Rewatch.Watching == Watch::None) SendScores(0);  // a replay sends nothing
        return true;
    default: return false;
    }
}

// The files of the steps from `step` on start decoding on a worker, in step
// order, so that each step finds its file ready and only puts it in place.
void MyGame::DecodeLoaderFilesAhead(int step) {
    for (const LoaderFile& f : LoaderFiles) {
        if (f.Step < step) continue;
        if (f.Kind == LoaderFile::Sound) {
            DecodeSFXAhead(f.Slot);
        } else {
            DecodeImgAhead(f.Name, f.Kind == LoaderFile::Font ? 32 : f.Frame);
        }
    }
}

void MyGame::Loader() {
    // Start-up has queued them already; a loader started some other way
    // queues them itself.
    if (LoadTo == 1 && DecodesQueued() == 0) DecodeLoaderFilesAhead(1);
    bool acted = LoaderStep(LoadTo);
    LoadTo += 1;
    LoadingScreen();
    if (LoadTo > 80 && !acted) {
        LoadTo = 0;
        StopDecodingAhead();
    }
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
        Scene.EndTimer += Delta;
        if (Scene.EndTimer > 120) GameMode = Modes::BackToTitle;
    }
    if (EndReason == 0 && Scene.EndTimer > 0) {
        Scene.EndTimer -= Delta * 3;
        if (Scene.EndTimer < 0) Scene.EndTimer = 0;
    }
    if (Scene.EndTimer <= 0) return;

    ResetDraw();
    float size = 2 * Scene.EndTimer;
    if (size > 120) size = 120;
    float rot = 3 * Scene.EndTimer;
    float alpha = Scene.EndTimer / 80 + 0.1f;
    if (alpha > 0.4f) alpha = 0.4f;
    bool still = Settings[Setting::ReduceMotion] == 1;
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
    KeyLock[Lock::ListRepeat] = 50;

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
    float slide = (Scene.EndTimer - 20) * 32;
    if (slide > 0) slide = 0;
    if (still) slide = 0;
    Text(ScreenW * 0.4f - slide, ScreenH / 2 - 24, first, 1);
    Text(ScreenW * 0.6f + slide, ScreenH / 2 + 24, second, 1);
}
