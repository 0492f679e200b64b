// The title screen: the title page with its four round items, the switch to
// the difficulty list, and the one-update return to the title after a game.
#include "frontend/MakerLine.h"
#include "shell/MyGame.h"

namespace {

// Title items, in the order they sit on screen from left to right.
constexpr int ItemCredits = -2;
constexpr int ItemQuit = -1;
constexpr int ItemStart = 0;
constexpr int ItemOptions = 1;

// The highlight cycles Credits, Quit, Start, Options and round again.
int StepTitleChoice(int choice, int step) {
    choice += step;
    if (choice > ItemOptions) choice = ItemCredits;
    if (choice < ItemCredits) choice = ItemOptions;
    return choice;
}

// Where an item sits across the screen and how far from its centre a tap
// reaches it.
struct ItemSpot {
    float x, hit;
};
ItemSpot TitleItemSpot(int item, bool lit, float screenW) {
    switch (item) {
    case ItemStart: return {screenW / 2, (lit ? 80.0f : 64.0f) + 16};
    case ItemQuit: return {screenW / 2 - 160 < 128 ? 128.0f : screenW / 2 - 160, lit ? 64.0f : 88.0f};
    case ItemOptions: return {screenW - 52, (lit ? 48.0f : 32.0f) + 16};
    default: return {52, (lit ? 48.0f : 32.0f) + 16};  // ItemCredits
    }
}

// On a narrow (portrait) canvas the hit circles overlap: a tap goes to the
// item whose centre is nearest, so every icon can still be tapped.
bool NearestTitleItem(int item, int choice, float px, float py, float y, float screenW) {
    auto dist2 = [&](int other) {
        float dx = px - TitleItemSpot(other, choice == other, screenW).x, dy = py - y;
        return dx * dx + dy * dy;
    };
    for (int other : {ItemCredits, ItemQuit, ItemStart, ItemOptions}) {
        ItemSpot spot = TitleItemSpot(other, choice == other, screenW);
        if (other != item && dist2(other) <= spot.hit * spot.hit && dist2(other) < dist2(item)) return false;
    }
    return true;
}

}  // namespace

void MyGame::DoMenu() {
    Menu_Background();
    if (Screen.MenuPage == 0) {
        Screen.LogoZoom -= 0.1f;
        if (Settings[Setting::ReduceMotion] == 1) Screen.LogoZoom -= 5.0f;
        Menu_Start();
        // The score panel starts hidden and on its first page next time.
        Screen.ScoreSlide = 0;
        Screen.ScoreTimer = 0;
        Screen.ScorePage = 0;
    }
    // Tested again so that the list already shows in the update Start is chosen.
    if (Screen.MenuPage == 1) {
        Screen.LogoZoom += 0.1f;
        if (Settings[Setting::ReduceMotion] == 1) Screen.LogoZoom += 5.0f;
        Menu_Default("Easy|Normal|Hard", "For learning the ropes|Just right|When you feel like a challenge");
        DisplayScoreboard();
        if (GameMode == Modes::Title) WatchBestOffer();
    }
}

void MyGame::Menu_Start() {
    if (PlayKey(Fixed::Back) == 0) {
        KeyLock[Lock::Escape] = 0;
    } else if (KeyLock[Lock::Escape] == 0) {
        GameBreak = 1;
    }
    const bool choose = ReadTitleButtons();

    const float y = ScreenH - 96;
    const int order[4] = {ItemStart, ItemQuit, ItemOptions, ItemCredits};
    for (int item : order) {
        const bool lit = Screen.TitleChoice == item;
        const ItemSpot spot = TitleItemSpot(item, lit, ScreenW);
        DrawTitleItem(item, lit, spot.x, y);
        if (TitleItemChosen(item, lit, spot.x, y, spot.hit, choose)) ActivateTitleItem(item);
    }

    DrawMakerLine(*this);
}

// Whether the choose button is held (the options may swap it with back),
// after opening the latches of the buttons let go.
bool MyGame::ReadTitleButtons() {
    bool choose = Joy(Pad::Start) > 0.5f || Joy(Pad::Button1) > 0.5f;
    bool chooseReleased = Joy(Pad::Start) < 0.3f && Joy(Pad::Button1) < 0.3f;
    bool backReleased = Joy(Pad::Button2) < 0.3f;
    if (Settings[Setting::SwapTitleButtons] == 1) {
        choose = Joy(Pad::Button2) > 0.5f;
        chooseReleased = Joy(Pad::Button2) < 0.3f;
        backReleased = Joy(Pad::Button1) < 0.3f && Joy(Pad::Start) < 0.3f;
    }

    // Latches of released inputs open before the items look at them, not
    // after: a choice made below locks every key, and releasing the back
    // latch afterwards would let the difficulty list, which runs in this
    // same update, read a held Start button as its back button.
    if (chooseReleased) KeyLock[Lock::Choose] = 0;
    if (backReleased) KeyLock[Lock::Back] = 0;
    if (Joy(Pad::Left) < 0.3f && Joy(Pad::Right) < 0.3f) KeyLock[Lock::Sideways] = 0;
    for (int p = 0; p < 10; ++p)
        if (!TouchDown(p)) TouchLock[p + 1] = 0;
    return choose;
}

// One round item at (x, y) with its label beneath; a lit one is larger.
void MyGame::DrawTitleItem(int item, bool lit, float x, float y) {
    float r = 0, a = lit ? 0.75f : 0.5f;
    const char* label = nullptr;

    ResetDraw();
    switch (item) {
    case ItemStart:
        r = lit ? 80 : 64;
        label = "Start";
        SetGradient(100, 255, 100, a, 0, 150, 0, a);
        Depth(0.25f);
        Circle(x, y, r);
        SetRot(90);
        SetGradient(120, 255, 120, a, 80, 180, 80, a);
        Depth(0.5f);
        Tri_Fix(x, y, r * 0.85f, r * 0.85f, 0.25f);
        break;
    case ItemQuit:
        SetSize(lit ? 1.5f : 1.0f);
        Depth(0.25f);
        DrawImg(Img::Icons, x, y, 1);
        break;
    case ItemOptions:
        r = lit ? 48 : 32;
        label = "Options";
        if (lit) Screen.CogAngle = (Screen.CogAngle + 1) % 360;
        SetSize(r / 32);
        SetRot(float(-Screen.CogAngle));
        Depth(0.25f);
        DrawImg(Img::Icons, x, y, 3);
        SetRot(float(Screen.CogAngle));
        Depth(0.5f);
        DrawImg(Img::Icons, x, y, 4);
        break;
    default:  // ItemCredits
        r = lit ? 48 : 32;
        label = "Credits";
        SetSize(r / 32);
        Depth(0.25f);
        DrawImg(Img::Icons, x, y, 5);
        break;
    }
    if (label) {
        ResetDraw();
        SetSize(a + 0.25f);
        Depth(0.75f);
        Text(x, y + r, label, 1);
    }
}

// The lit item moves the highlight sideways and is chosen with the choose
// button; any item is highlighted by a first tap and chosen by a second.
bool MyGame::TitleItemChosen(int item, bool lit, float x, float y, float hit, bool choose) {
    bool activate = false;
    if (lit) {
        if (Joy(Pad::Left) > 0.5f && KeyLock[Lock::Sideways] == 0) {
            Screen.TitleChoice = StepTitleChoice(Screen.TitleChoice, -1);
            LockKeys();
            PlaySFX(Sfx::Move, 1.0f);
        } else if (Joy(Pad::Right) > 0.5f && KeyLock[Lock::Sideways] == 0) {
            Screen.TitleChoice = StepTitleChoice(Screen.TitleChoice, 1);
            LockKeys();
            PlaySFX(Sfx::Move, 1.0f);
        }
        if (choose && KeyLock[Lock::Choose] == 0) activate = true;
    }

    int p = MouseIn_Radius(x, y, hit);
    if (p > 0 && !NearestTitleItem(item, Screen.TitleChoice, MouseX(p - 1), MouseY(p - 1), y, ScreenW)) p = 0;
    if (p > 0 && TouchDown(p - 1) && TouchLock[p] == 0) {
        if (Screen.TitleChoice == item) {
            activate = true;
        } else {
            Screen.TitleChoice = item;
            LockKeys();
            PlaySFX(Sfx::Move, 1.0f);
        }
    }
    return activate;
}

void MyGame::ActivateTitleItem(int item) {
    switch (item) {
    case ItemStart:
        Screen.MenuPage = 1;
        LockKeys();
        PlaySFX(Sfx::Confirm, 1.0f);
        break;
    case ItemQuit:
        GameBreak = 1;
        break;
    case ItemOptions:
        Overlay = Overlays::Options;
        Screen.OptScroll = 0;
        Screen.OptRow = 0;
        LockKeys();
        Settings[Setting::DebugStats] = ShowStats;
        PlaySFX(Sfx::Confirm);
        break;
    default:
        Overlay = Overlays::Credits;
        LockKeys();
        PlaySFX(Sfx::Confirm);
        break;
    }
}

void MyGame::LoadMenu() {
    // A watched game leaves the tables and the saves alone.
    if (Rewatch.Watching == Watch::None) {
        HandleDefaultScoreboards();
        Save();
    } else if (Rewatch.Watching == Watch::FromCommandLine) {
        GameBreak = 1;
    }
    Rewatch.Watching = Watch::None;
    StopMusic();
    PlaySFX(Sfx::StartUp, 1.0f);
    EndReason = 0;
    Scene.Paused = 0;  // the title is never paused, whatever screen the game ended on
    GameMode = Modes::Title;
}
