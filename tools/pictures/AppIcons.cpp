// The desktop icons: Gobbit himself, as on the title art, at every size the
// icon theme asks for. Drawn from the same shapes at each size rather than
// scaled from one picture, so the small ones stay sharp.
#include "Pictures.h"

Canvas makeAppIcon(int size) {
    Canvas c(size, size);
    const float s = float(size);
    // Leave room for the outline and a soft shadow below and to the right.
    const float half = s * 0.40f, cx = s * 0.48f, cy = s * 0.47f;
    const float u = half / 100.f;
    c.fill([=](float x, float y) { return sd::box(x, y, cx + 6 * u, cy + 10 * u, half, half, 40 * u); },
           [](float, float) { return alpha(palette::shadow, 0.35f); }, std::max(1.f, 8 * u));
    drawBigGobbit(c, cx, cy, half, true, true);
    return c;
}

bool writeAppIcons(const std::string& dir) {
    bool ok = true;
    for (int size : AppIconSizes)
        ok = makeAppIcon(size).save(dir + "/" + std::to_string(size) + ".png") && ok;
    return ok;
}
