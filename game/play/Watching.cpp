// Watching a recorded game: the journal's inputs drive the play step in
// place of the player's, so the game is drawn and heard as it was played.
// A watched game changes no score, sends nothing and saves nothing.
#include <sys/stat.h>

#include "persist/Journals.h"
#include "shell/MyGame.h"

void MyGame::FindBestJournals() {
    for (int b = 1; b <= 3; ++b) {
        struct stat st;
        const std::string path = std::string(home) + "/" + JournalFileName(b);
        HasBestJournal[b] = stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    }
}

bool MyGame::StartWatching(const std::string& path, int from) {
    std::string error;
    if (!LoadJournal(path, Rewatch.Watched, error)) {
        Debuglog("Cannot replay " + path + ": " + error);
        return false;
    }
    Rewatch.WatchCursor = JournalCursor(Rewatch.Watched);
    Rewatch.Watching = from;
    Difficulty = Rewatch.Watched.Difficulty;
    GameMode = Modes::StartGame;
    Screen.ShowPauseIcon = 0;
    LockKeys();
    Debuglog("Watching " + path);
    return true;
}

void MyGame::StopWatching() {
    const int from = Rewatch.Watching;
    StopMusic();
    FlushGame();
    Rewatch.Watching = Watch::None;
    GameMode = Modes::Title;
    LockKeys();
    if (from == Watch::FromCommandLine) GameBreak = 1;
}

void MyGame::WatchBestOffer() {
    const int b = Settings[Setting::LastDifficulty];
    if (b < 1 || b > 3 || !HasBestJournal[b]) return;
    // B for best: a shoulder button, free on this page, and no modifier key
    // (Alt-Tab would start a replay on its way out).
    const char* const label = "Watch the best run (B)";
    const float x = 8, y = ScreenH - 16, w = 200, h = 24;
    ResetDraw();
    SetSize(0.6f);
    SetCol(255, 255, 200, 0.8f);
    Text(x, y, label, 0);

    if (Joy(Pad::LeftShoulder) < 0.3f) KeyLock[Lock::Watch] = 0;
    const bool key = Joy(Pad::LeftShoulder) > 0.5f && KeyLock[Lock::Watch] == 0;
    const bool tap = MouseIn_Centered(x + w / 2, y, w, h) && PointerDown > 0 && TouchLock[0] == 0;
    if (!key && !tap) return;
    TouchLock[0] = 1;
    PlaySFX(Sfx::Confirm);
    StartWatching(std::string(home) + "/" + JournalFileName(b), Watch::FromMenu);
}

void MyGame::WatchControls() {
    ResetDraw();
    SetSize(0.6f);
    SetCol(255, 255, 200, 0.8f);
    Text(8, 56, "Replay: hold Space to speed up, Escape to stop", 0);
    // As with pausing, Escape counts once Enter has been let go.
    if (!PlayKey(Fixed::Accept) && Joy(Pad::Start) < 0.3f) KeyLock[Lock::Pause] = 0;
    if ((PlayKey(Fixed::Back) || Joy(Pad::Start) > 0.5f) && KeyLock[Lock::Pause] == 0) StopWatching();
}
