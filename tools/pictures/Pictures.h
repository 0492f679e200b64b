// Every picture of the game, one maker per picture family, and the shared palette.
#pragma once

#include "Canvas.h"

#include <string>

// House palette: a dark plum outline around everything, Gobbit's warm orange,
// and cool violet backgrounds.
namespace palette {
const Col outline = rgb(28, 12, 44);
const Col shadow = rgb(10, 4, 20);
const Col heroLight = rgb(255, 214, 92);
const Col heroMid = rgb(255, 160, 52);
const Col heroDark = rgb(222, 96, 38);
const Col eyeWhite = rgb(255, 255, 250);
const Col pupil = rgb(34, 18, 52);
const Col mouth = rgb(120, 30, 60);
const Col tongue = rgb(255, 110, 130);
const Col blush = rgb(255, 120, 110);
}  // namespace palette

Canvas makeFont();          // entplain.png: 96 glyphs in 32-pixel cells
Canvas makeGameSheet();     // gfx.png: 16-pixel play sprites
Canvas makeIcons();         // icons.png: 64-pixel menu icons and the backdrop tile
Canvas makeOptionIcons();   // options.png: 32-pixel option row icons
Canvas makeParticles();     // particles.png: 12 groups of 12 32-pixel particles
Canvas makeMenuBack();      // menu_back.png: the big drifting Gobbit behind the menus
Canvas makeMenuFront();     // menu_front.png: the light over the title page
Canvas makeLogo();          // logo.png: the "Gobbit" title art
Canvas makeZarnLogo();      // ZARNLogo.png: the framework's logo for the loading screen

// The large Gobbit shared by the menu backdrop (in greys) and the title art.
void drawBigGobbit(Canvas& c, float cx, float cy, float half, bool inColour, bool chomping);

// Font metrics shared by the font sheet and the previews.
namespace fontmetrics {
constexpr int cell = 32;
constexpr float stroke = 3.2f;    // ink stroke width
constexpr float inkLeft = 2.f;    // ink starts here in every cell
constexpr float capTop = 7.f;     // top of the capitals
constexpr float baseline = 24.f;  // bottom of the capitals
constexpr float gap = 2.f;        // space left before the next glyph's ink
}  // namespace fontmetrics

// The desktop icon at size x size pixels, and every size the install ships,
// written as <size>.png into dir.
constexpr int AppIconSizes[] = {32, 48, 64, 128, 256};
Canvas makeAppIcon(int size);
bool writeAppIcons(const std::string& dir);

// Writes enlarged sheets and composed scenes into dir for checking by eye.
bool writePreviews(const std::string& dir);
