// The shared state of the test binaries in one place: every mutable global
// of the game and the framework that a test can change, each either put back
// before every test or named with the reason it may stay as a test left it
// (see SharedState.cpp). The listener in FreshState.cpp restores the list
// around every test and fails a test that changed any byte of the game or
// platform object that the list does not name.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "support/StateGuards.h"

// One entry of the list: its name as the code spells it ("ThisGame.Scene",
// "Canvas"), where its bytes are, and whether it is put back.
struct ListedGlobal {
    std::string name;
    const unsigned char* at;
    std::size_t size;
    bool restored;
};

// The whole list, restored and free entries alike.
std::vector<ListedGlobal> SharedGlobals();

// Keeps the value of every restored entry of the list (and of the score
// host and HTTP limits, which live behind setters) and writes them back on
// PutBack().
class SharedState : public StateGuard {
public:
    SharedState();
};

// Puts the shared state back to where it was when the test program started
// (or, for tests on the game window, right after the window was opened).
// Run before and after every test, so that no test sees what the tests
// before it did.
void FreshSharedState();

// The bytes of the game object (ThisGame) and the platform object (ASys)
// that no entry of a list covers. Take() keeps them; Changed() names each run
// of them that differs since, so a member missing from the list shows up the
// first time a test changes it.
class UnlistedBytes {
public:
    explicit UnlistedBytes(const std::vector<ListedGlobal>& list);
    void Take();
    // One line per run of changed bytes: "ThisGame bytes 120-123, after
    // ThisGame.Difficulty".
    std::vector<std::string> Changed() const;

private:
    struct Run {
        std::string object;      // "ThisGame" or "ASys"
        const unsigned char* base;
        std::size_t from, to;    // byte offsets in the object, to excluded
        std::string after;       // the listed entry just before the run
        std::vector<unsigned char> kept;
    };
    std::vector<Run> runs_;
};
