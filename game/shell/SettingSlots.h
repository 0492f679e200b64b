// What each used entry of Settings holds. Entries 0-99 are kept in the
// settings file, 100-199 in the score file; the rest of each half is unused.
#pragma once

namespace Setting {
enum : int {
    SfxVolume = 0,          // 0-10
    MusicVolume = 1,        // 0-10
    InvertStickY = 10,      // 1 turns the thumbstick's Y around
    SwapTitleButtons = 13,  // 1 swaps choose and back on the title
    Overscan = 20,          // 0-10, how far the display cuts into the canvas
    DebugStats = 22,        // 1 shows the statistics line
    ReduceMotion = 23,      // 1 for less motion
    // The user ID (date, time of day, random part) and its check value.
    UserIdDate = 24,
    UserIdTime = 25,
    UserIdRandom = 26,
    UserIdCheckValue = 27,
    // The online name: twelve cells, two to an int.
    OnlineName = 50,
    OnlineNameLast = 55,

    GamesStarted = 100,
    LastDifficulty = 101,   // 1 Easy, 2 Normal, 3 Hard; pre-selected on the title
    // The copy of the user ID kept with the scores, and its check value.
    UserCopyDate = 124,
    UserCopyTime = 125,
    UserCopyRandom = 126,
    UserCopyCheckValue = 127,
};
}
