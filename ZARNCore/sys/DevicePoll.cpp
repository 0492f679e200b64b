// One poll of the input devices. The keys that change the window (full
// screen, the developer sizes) only ask for it; the change is made here, at
// the point of the poll where the keys after it see the new window, so the
// device readers never call into the window.
#include "sys/SysGlobals.h"
#include "sys/ZARNSys.h"

void ZARNSys::PollInputB(int invertY) {
    FlushKeys();
    ReadPointer();
    if (ReadFixedKeys()) FlipFull();
    ReadFocus();
    int w = 0, h = 0;
    if (ReadWindowSizeKeys(w, h)) {
        Win.isFullscreen = 0;
        SetScreen(w, h);
    }
    ReadControllers(invertY);
    PollRedef();
}
