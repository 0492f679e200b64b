// Platform globals shared between the platform layer's source files. Only
// files under sys/ include this header, since it names GLFW and OpenAL types.
#pragma once

#include <AL/al.h>
#include <AL/alc.h>
#include <GLFW/glfw3.h>

#include <vector>

// The game's window and what is made with it: opened by SysInit, made again
// by every screen mode switch, released by Close().
struct WindowState {
    GLFWwindow* window = nullptr;
    int WindowEverOpened = 0;  // 1 once a window has been opened (set by SetScreen)
    int isFullscreen = 0;
    char GameTitleSys[1024] = {};
    std::vector<unsigned char> WhiteBlock;
};
extern WindowState Win;
// True when the game had a window and a screen mode switch could not make it
// again: nothing can be drawn, and the player cannot ask to close.
bool WindowLost();

// The audio device, opened once by SysInit and kept until Close(): the 32
// sources (0-30 effects in turn, 31 music) and the music stream's buffers.
struct AudioDevice {
    int AudioEnabled = 0;
    ALCdevice* ALdev = nullptr;
    ALCcontext* ALctx = nullptr;
    ALuint ALsource[32] = {};
    ALuint MusicBuffer[4] = {};
};
extern AudioDevice Audio;

extern char TempstrSys[1024];

// Formats a platform log line (into TempstrSys) and writes it.
void SysLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

void error_callback(int code, const char* text);

// Makes the game's window for SetScreen: on the desktop a w x h window (or
// the whole monitor in full screen) in sys/DesktopWindow.cpp; in a browser
// the page's canvas at the page's size (sys/web/PageWindow.cpp), with w and
// h set to that size.
GLFWwindow* OpenGameWindow(int& w, int& h);

// The audio device and its 32 sources, opened by SysInit between the first
// small window and the game's own, closed by Close() before the window.
void OpenAudio();
void CloseAudio();

// Filled by the sound-effect table; Close() releases them.
void ReleaseEffectBuffers();
// Fills the printable key-name table once, before the first poll.
void FillKeyNames();
// Clears the input tables at start-up.
void ClearInputTables();
// Marks every image slot empty at start-up.
void ClearImageTable();
