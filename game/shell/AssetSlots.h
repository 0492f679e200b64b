// The game's image slots, sound slots and music tracks: what the loader puts
// where and what the screens draw and play. The framework takes any slot;
// these are the ones this game uses.
#pragma once

namespace Img {
enum : int {
    Sprites = 0,        // "gfx", 16-pixel frames: board, hero, pellets, lives
    Icons = 50,         // "icons", 64-pixel frames: quit, options cog, credits, backdrop tile
    Font = 51,          // "entplain", the text font
    OptionIcons = 52,   // "options", 32-pixel frames; frame 0 is the back arrow
    MenuBack = 53,      // "menu_back", the title's drifting backdrop
    Logo = 54,          // "logo", the game's title
    Particles = 55,     // "particles", 32-pixel frames in 12 groups of 12
    PlatBackdrop = 56,  // 1024 x 1024 buffer the backdrop tiles are drawn into
    MenuFront = 57,     // "menu_front"
    ZarnLogo = 60,      // "ZARNLogo", the loading screen's 25 x 25 tiles
};
}

// Frames of Img::Sprites. Board cells and pellets are drawn from a base
// plus the cell's own value, so the sheet's order follows CellType and
// Carry (rules/PlayState.h).
namespace SpriteFrame {
enum : int {
    HeroStanding = 0,
    HeroMidStep = 1,
    HeroLosing = 2,      // 2-9, one frame per 12 updates, then HeroLastSpin
    HeroLastLosing = 9,
    HeroWinning = 10,    // 10-17, one frame per 12 updates
    HeroLastSpin = 17,   // the end of both spins
    PelletBase = 19,     // + Carry: 20 pellet, 21 power item, 22 regrown
    LifeIcon = 29,
    CellBase = 70,       // + CellType: 70-85 walls, 86 floor; a gate adds its
                         // animation frame (0-3): 90-93 rightwards, 94-97 leftwards
};
}

namespace Sfx {
enum : int {
    PowerItem = 1,      // a power item raises the fallen cells
    LevelComplete = 2,
    LevelFailed = 3,
    Chomp = 4,          // eating: Chomp and Chomp + 1 take turns
    ChompOther = 5,
    Landing = 6,        // fallen cells land back in place
    // Pellets still to eat before the level's target: 20, 10, 5 down to 0.
    Left20 = 11,
    Left10 = 12,
    Left5 = 13,
    Left4 = 14,
    Left3 = 15,
    Left2 = 16,
    Left1 = 17,
    TargetReached = 18,
    StartUp = 95,       // the start-up sound, also on return to the title
    Confirm = 98,
    Move = 99,          // a menu highlight or value moves
};
}

namespace Music {
// The play tunes "01.ogg" to "04.ogg"; difficulty and level pick one.
constexpr int Tunes = 4;
constexpr const char* TuneFile = "0%i.ogg";
}
