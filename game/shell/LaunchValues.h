// What the game tells the framework it is. The number names the data folder
// and the save files, keys the score scrambler and enters every seeded random
// sequence, so a level built with any other number is not the level players
// get. The keyword scrambles the messages sent to the score server, which
// reads only messages made with the same keyword and number: the reference
// server and the tests take both from here.
#pragma once

#include "rules/GameIdentity.h"

constexpr int GobbitNumber = Gobbit::Number;
constexpr const char* GobbitTitle = Gobbit::Title;
constexpr const char* GobbitScoreKeyword =
    "Quiet ferns w4lK tapping Gravel s to NAP and s10wly drift past HoLLows. Yes, Hollows.  Gr8 then, okay.";
