// Globals of the input devices and key definitions, shared with the tests.
#pragma once

// Printable names of the GLFW key codes 0-349; "???" for unnamed keys.
extern const char* KeyName[350];
// 1 marks an input code that must be released before AnyKey may report it.
extern int ignorePress[1024];
// Debug switches and mouse scale shared with the renderer.
extern int Wireframe;
extern float OverscanScaleX, OverscanScaleY;

constexpr int FirstSlot = 48;   // redef rows 48-63 hold each key's bindings
constexpr int LastSlot = 63;
