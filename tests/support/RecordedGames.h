// Whole games played on the game's own rules (ThisGame.Rules, started as a
// new game starts) by a scripted player, for the journal tests and the
// replay benchmark: the journal they leave is the one the game would write.
#pragma once

#include "rules/Controls.h"
#include "rules/Journal.h"
#include "rules/Match.h"

struct ScriptedGame {
    int Difficulty = 2;
    // Levels played with the search's longest walk (power items and all);
    // every level after them is played by wandering: always the first open
    // way, up, right, down, left, which soon leaves the hero stuck.
    int SolvedLevels = 0;
    // Quit (as from the pause menu) once this many levels are won; -1 plays
    // on until the last life is lost.
    int QuitAfterLevels = -1;
    // Quit after this many updates (0: never), wherever the game is.
    std::uint32_t QuitAtUpdate = 0;
    long SearchBudget = 20000;  // positions per stretch for the walk search
};

// One update's controls of a player following a walk, fast button held:
// the walk's next move (walkMove, a direction), or once the walk is done
// (walkMove -1) the first open way, up, right, down, left, so the hero soon
// ends stuck and the level is decided.
Controls WalkStep(Match& m, int walkMove);

// Plays the game and returns its journal. ThisGame's play state is left as
// the game left it.
Journal PlayScriptedGame(const ScriptedGame& script);

// The journal with the input of one update changed (from the middle on),
// chosen so that the replay goes another way: the checkpoints stay the
// game's as played. The journal itself when no change makes a difference.
Journal OneInputChanged(const Journal& journal);
