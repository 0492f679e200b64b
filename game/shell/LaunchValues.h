// What the game tells the framework it is. The number names the data folder
// and the save files, keys the score scrambler and enters every seeded random
// sequence, so a level built with any other number is not the level players
// get.
#pragma once

constexpr int GobbitNumber = 564;
constexpr const char* GobbitTitle = "Gobbit";
