// The animated backdrops: the title's colour wash, drifting sprites and logo,
// and the climbing tile field behind the overlay screens.
#include "shell/MyGame.h"

void MyGame::Menu_Background() {
    InkRot(Mills() / 64, 1.0, 0.2);
    FadeCLS(GetCol(1), GetCol(2), GetCol(3), 8);

    DoGobbitBackground();

    SetSize(1.0f);
    Alpha(0.3f);
    SetRot(0);
    DrawImg(Img::MenuFront, ScreenW / 2, ScreenH / 2, 0);

    if (Screen.LogoZoom < 1.0f) Screen.LogoZoom = 1.0f;
    if (Screen.LogoZoom > 2.0f) Screen.LogoZoom = 2.0f;
    float s = (ScreenW - 32) / 1024;
    if (s * 512 > ScreenH - 196) s = (ScreenH - 196) / 512;
    const float size = s / Screen.LogoZoom;
    SetSize(size);
    DrawImg(Img::Logo, ScreenW / 2, size * 256 + 16, 0);
}

void MyGame::DoGobbitBackground() {
    const float t = float(Mills());

    SetSize(2.25f);
    InkRot(t / 64, 1.0, 0.3);
    Alpha(0.3f);
    Depth(0.0f);
    SetRot(t / 240);
    DrawImg(Img::MenuBack, ScreenW / 2 + Sin(t / 160) * 96, ScreenH / 2 - Cos(t / 170) * 80, 0);

    InkRot(t / 72 + 120, 1.0, 0.3);
    Alpha(0.3f);
    Depth(0.1f);
    SetRot(-t / 320);
    DrawImg(Img::MenuBack, ScreenW / 2 + Sin(t / 240) * 80, ScreenH / 2 - Cos(t / 200) * 96, 0);

    ResetDraw();
}

void MyGame::MakePlatBG() {
    for (int row = 0; row < 16; ++row)
        for (int col = 0; col < 16; ++col)
            BufferTile(Img::PlatBackdrop, Img::Icons, float(col * 64), float(row * 64), 8);
}

void MyGame::AddPlatBG() {
    SetCLSRot(float(Mills() / 64), 0, 50);
    ResetDraw();
    Alpha(0.3f);
    int o = (Mills() / 32) % 64;
    if (o < 0) o += 64;
    DrawImg(Img::PlatBackdrop, ScreenW / 2, ScreenH / 2 - o - 512, 0);
    DrawImg(Img::PlatBackdrop, ScreenW / 2, ScreenH / 2 - o + 512, 0);
}
