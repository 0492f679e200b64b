// Roles of the KeyLock slots. A latch is set when its input has acted and
// cleared when the input is let go, so a held key acts once; a countdown
// holds the updates left before a held key repeats. LockKeys sets every
// slot to 1, so an input held across a screen change waits for its release.
// Only one screen runs at a time, so screens reuse slots: names that share
// a value are the roles one slot plays on different screens.
#pragma once

namespace Lock {
enum : int {
    // Slot 0.
    UpDown = 0,        // options screen: up/down latch
    RedefineNav = 0,   // redefinition: latch of the cursor keys and fire
    LetterRepeat = 0,  // name entry: updates until a held up/down turns the letter again

    // Slot 1.
    LeftRight = 1,     // name entry and pause menu: left/right latch

    // Slot 2.
    LetterDelay = 2,   // name entry: the next repeat's wait, shrinking from 30 by 8 to 2
    Activate = 2,      // options screen: fire or pointer latch; -1 while the pointer drags the list

    // Slot 5. The title's items and its difficulty list are two pages of
    // one screen: the list takes the slot over as its countdown.
    Sideways = 5,      // title items and option values: left/right latch
    ListRepeat = 5,    // list menu: updates until a held direction steps again

    ListDelay = 6,     // list menu: the next repeat's wait, shrinking from 24 by 6 to 3

    // Slot 10.
    Choose = 10,       // title and list menu: choose latch
    PauseButtons = 10, // pause menu: latch of the buttons that activate its choice

    // Slot 11.
    Back = 11,         // title and list menu: back latch
    NameButtons = 11,  // name entry: latch of next, erase and done

    ScorePage = 13,    // score table: page-turn latch
    Watch = 14,        // list menu: latch of the key that watches the best run

    Close = 15,        // credits: any button closes; options screen: Back/Select closes

    Capture = 66,      // redefinition: the capture state, so LockKeys makes it wait for fire to come up

    Pause = 98,        // play: pause latch (Escape or Start, after Enter is let go)
    Escape = 99,       // title and options screen: Escape latch
};
}  // namespace Lock
