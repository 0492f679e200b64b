// Shared set-up for tests that need the real window and audio device.
#pragma once

// Brings the framework up once for the whole test binary: the window (under
// the test command's Xvfb), the audio device (OpenAL's null or wave backend)
// and the home directory pointing at the build folder, where Data/564 lives.
// Returns false when no display is available, so such tests can skip.
bool EnsureGameWindow();
