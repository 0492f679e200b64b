// The credits: the text filled once at launch, and the overlay that scrolls
// it over a moving pattern of coloured lines.
#include <cmath>

#include "shell/MyGame.h"

namespace {

constexpr int StoredCreditLines = 1024;
constexpr int CreditSlots = 2048;
constexpr const char* Rule = "-=-=-";

// The default text: seven sections, each closed by the rule line.
const char* const DefaultCredits[] = {
    // Opening
    "Another game by", "", "The Gobbit team", "made on Debian GNU/Linux", Rule,
    // Making
    "Coded In", "C++17", "with ZARNCore, our", "ZARNFrame", "Framework", Rule,
    // Graphics
    "Graphics", "", "Mostly by", "The Gobbit team", "", "using", "", "code, not a paint program",
    "on Windows", "", "and no sprite editor", "on iOS", Rule,
    // Font
    "Font", "", "entplain", "by", "The Gobbit team", Rule,
    // Audio
    "Audio", "", "Sound Effects", "created with", "our own sound generator", "", "Tweaked with",
    "more code, no sound editor", Rule,
    // Music
    "Music", "", "Created with", "our song generator, not an app", "on iOS", Rule,
    // Special Thanks
    "Special Thanks", "",
    "GLFW", "for the window and the keys", "",
    "Mesa", "for OpenGL without a GPU", "",
    "OpenAL Soft", "for every beep and thud", "",
    "stb_vorbis", "from the stb libraries", "for streaming the music", "",
    "lodepng", "for every picture", "",
    "libvorbis", "from Xiph.Org", "for encoding our songs", "",
    "GoogleTest and", "Google Benchmark", "for keeping us honest", "",
    "CMake and Ninja", "for the builds", "",
    "GCC", "for turning it all into a game", "",
    "SQLite and PostgreSQL", "for the score server",
    Rule,
};

}  // namespace

void MyGame::AddCredits(const std::string& text) {
    CreditCount += 1;
    Screen.CreditScroll = 0;
    Screen.CreditWave = 0;
    if (CreditCount < StoredCreditLines) CreditLines[CreditCount] = text;
}

void MyGame::AddDefaultCredits() {
    CreditCount = -1;
    for (const char* line : DefaultCredits) AddCredits(line);
}

void MyGame::Credits() {
    AddPlatBG();
    ResetDraw();

    if (Joy(Pad::Start) < 0.3f && Joy(Pad::Button1) < 0.3f && Joy(Pad::Select) < 0.3f && Joy(Pad::Button2) < 0.3f)
        KeyLock[Lock::Close] = 0;
    bool close = (Joy(Pad::Start) > 0.5f || Joy(Pad::Button1) > 0.5f || Joy(Pad::Select) > 0.5f ||
                  Joy(Pad::Button2) > 0.5f || PlayKey(Fixed::Back) == 1 || PlayKey(Fixed::Accept) == 1) &&
                 KeyLock[Lock::Close] == 0;
    for (int p = 0; p < 10; ++p) {
        if (!TouchDown(p)) TouchLock[p + 1] = 0;
        else if (TouchLock[p + 1] == 0) close = true;
    }
    if (close) {
        Overlay = Overlays::None;
        LockKeys();
        PlaySFX(Sfx::Confirm);
    }

    // Holding any direction scrolls three times as fast, never backwards.
    Screen.CreditScroll -= 0.75f;
    if (Joy(Pad::Up) > 0.5f || Joy(Pad::Right) > 0.5f || Joy(Pad::Down) > 0.5f || Joy(Pad::Left) > 0.5f)
        Screen.CreditScroll -= 1.5f;
    if (Screen.CreditScroll < float(CreditCount + 8) * -36) Screen.CreditScroll = 0;

    SetSize(1.4f);
    Screen.CreditWave += 10;
    SetLineThickness(2);
    const float k = 0.025f;
    const float halfW = (ScreenW + 64) / 2, halfH = (ScreenH + 64) / 2;
    for (int i = 0; i < 80; i += 2) {
        const float a = (30 * i + Screen.CreditWave) * k;
        const float b = (60 * i + Screen.CreditWave) * k;
        Depth(i / 120.0f);
        InkRot(5 * i);
        Line(ScreenW / 2 + Sin(a) * halfW, ScreenH / 2 + Cos(a * 1.6f) * halfH, ScreenW / 2 + Sin(2 * b) * halfW,
             ScreenH / 2 + Cos(b * 1.3f) * halfH);
    }

    Depth(0.8f);
    for (int i = 0; i <= CreditCount; ++i) {
        const float y = (i + 4) * 36 + Screen.CreditScroll;
        float a = y >= 0 ? 3.0f - 0.0225f * y : 3.0f + 0.0225f * y;
        if (a <= 0) continue;
        if (a > 1) a = 1;
        // Lines past the table's end are blank.
        if (i >= CreditSlots) continue;
        float m = std::fabs(y) * 0.01f;
        if (m < 0.5f) m = 0.5f;
        const float s = 20.0f * i, t = 30.0f * i;
        SetGradient(Sin(s) * 150 + 190, Sin(s + 120) * 150 + 190, Sin(s + 240) * 150 + 190, a,
                    Sin(t) * 150 + 255, Sin(t + 120) * 150 + 255, Sin(t + 240) * 150 + 255, a);
        Text(ScreenW / 2, ScreenH / 2 + 2 * y * m, CreditLines[i], 1);
    }

    ResetDraw();
    Depth(0.9f);
    SetSize(0.75f);
    Text(ScreenW - 24, 24, fstr("Plays %i", Settings[Setting::GamesStarted]), 2);
    Text(ScreenW - 24, ScreenH - 48, fstr("Real %ix%i", RealW, RealH), 2);
    Text(ScreenW - 24, ScreenH - 24, fstr("Virtual %ix%i", int(ScreenW), int(ScreenH)), 2);
}
