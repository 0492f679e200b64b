// The browser's entry. A page must hand control back to the browser after
// every frame, so instead of the desktop's loop the browser calls one
// scheduler pass per animation frame (about every 16.7 ms, which the 16 ms
// slots of the pass turn into one update and one render each).
#include <emscripten.h>

#include "persist/SaveFormat.h"
#include "shell/MyGame.h"
#include "sys/web/WebPlatform.h"

namespace {

// The program's place in the page's file system: the installed layout, so
// that the data (packed under /usr/share/games/gobbit) and the saves (the
// user's data folder, which the page keeps in the browser's storage, see
// ZARNCore/sys/web/page.js) lie apart.
constexpr char ProgramPath[] = "/usr/games/gobbit";

void Frame() {
    if (ThisGame.GameBreak == 0) {
        FollowPage();
        ThisGame.KeepAlive();
        return;
    }
    emscripten_cancel_main_loop();
    ThisGame.CloseDown();
    TellPageClosed(ThisGame.ExitCode);
}

}  // namespace

int main() {
    StartPagePlatform();
    // A save put in place is then stored in the browser at once.
    SyncToDisk = PersistSaveFolder;
    if (!ThisGame.StartUp(ProgramPath)) {
        TellPageClosed(ThisGame.ExitCode);
        return ThisGame.ExitCode;
    }
    ThisGame.GameBreak = 0;
    emscripten_set_main_loop(Frame, 0, 1);
    return 0;
}
