// Globals of the input devices and key definitions, shared with the tests.
#pragma once

// Printable names of the GLFW key codes 0-349; "???" for unnamed keys.
extern const char* KeyName[350];
// What the input poll and the renderer hand each other, and the presses the
// poll still holds back.
struct InputPoll {
    // 1 marks an input code that must be released before AnyKey may report it.
    int ignorePress[1024] = {};
    int Wireframe = 0;  // debug switch read by the renderer: outlines only, untextured
    // Set by every replay from the overscan; the poll maps the mouse with them.
    float OverscanScaleX = 1, OverscanScaleY = 1;
};
extern InputPoll Input;

constexpr int FirstSlot = 48;   // redef rows 48-63 hold each key's bindings
constexpr int LastSlot = 63;
