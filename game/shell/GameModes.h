// The values of GameMode and Overlay: which screen an update runs. While an
// overlay is open its screen runs instead of the mode's, and the mode waits.
#pragma once

namespace Modes {
enum : int {
    Title = 0,        // the title menu
    BackToTitle = 1,  // one update: record the score, then the title
    Play = 10,        // the levels, and the pause menu while paused
    StartGame = 11,   // one update: set up a new game, then play
};
}

namespace Overlays {
enum : int {
    None = 0,
    Options = 1,
    Credits = 2,
    RedefineKeys = 3,
    EnterName = 4,
};
}

// Where a recorded game being watched was started from.
namespace Watch {
enum : int {
    None = 0,         // a game is played, not watched
    FromMenu = 1,     // the difficulty page: back there when it ends
    FromCommandLine = 2,  // gobbit --replay FILE: the program closes when it ends
};
}
