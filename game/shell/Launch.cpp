// The program's spine: launch, the timed main loop and shutdown.
#include <cstdio>

#include "persist/Journals.h"
#include "persist/SaveFormat.h"
#include "shell/HomeDirectory.h"
#include "shell/LaunchValues.h"
#include "shell/MyGame.h"
#include "shell/Scheduler.h"
#include "sys/CloseSignals.h"
#include "sys/SysGlobals.h"
#include "sys/ZARNSys.h"

MyGame ThisGame;

void MyGame::Launch(const char* path) {
    if (StartUp(path)) GameLoop();
}

bool MyGame::StartUp(const char* path) {
    const GameFolders folders = ChooseGameFolders(path, GobbitNumber, ReadFolderEnv());
    if (!folders.Found || folders.Home.empty()) {
        // Said before any window opens, so the player is left with a reason
        // and not with a blank window.
        std::puts(folders.Found ? "Gobbit has no folder for its saves: neither XDG_DATA_HOME nor HOME is set."
                                : DataMissingMessage(folders).c_str());
        ExitCode = 1;
        return false;
    }
    std::snprintf(home, sizeof home, "%s", folders.Home.c_str());
    std::snprintf(datahome, sizeof datahome, "%s", folders.DataHome.c_str());
    if (!ReplayPath.empty()) {
        // A journal that cannot be replayed is said before any window opens.
        std::string error;
        if (!LoadJournal(ReplayPath, Rewatch.Watched, error)) {
            std::printf("Cannot replay %s: %s\n", ReplayPath.c_str(), error.c_str());
            ExitCode = 2;
            return false;
        }
    }
    const bool saveFolderReady = MakePrivateFolder(folders.Home);
    // The loader's files start decoding now, while the window and the audio
    // device come up, so the loading screen finds them ready. Their paths
    // need the game number, which Begin sets to the same value.
    GameNum = GobbitNumber;
    DecodeLoaderFilesAhead(1);
    Begin(GobbitNumber, GobbitTitle);
    if (!ASys.HasWindow()) {
        // Nothing can be shown or played without a window: say why and leave
        // instead of looping blind.
        std::puts("Gobbit could not open a window. Is a display available (DISPLAY set)?");
        Terminate();
        ExitCode = 1;
        return false;
    }
    if (folders.Installed)
        Debuglog("Installed layout: data from " + folders.DataHome + ", saves in " + folders.Home);
    else
        Debuglog("Portable layout: data and saves in " + folders.Home);
    if (!saveFolderReady) Debuglog("Could not create the save folder " + folders.Home);

    SetLaunchValues();

    InstallDefaults();
    Load();
    SendScores(0);
    FindBestJournals();
    AddDefaultCredits();

    ShowStats = Settings[Setting::DebugStats];
    LoadTo = 1;
    GameMode = Modes::Title;
    Difficulty = 0;
    Overlay = Overlays::None;
    Screen = ScreenState{};  // the title page, its logo at full size
    FlushGame();

    NextUpdate = NextRender = 0;
    Online.NetValid = 0;
    if (!ReplayPath.empty()) {
        // Straight into the recorded game once loading is done; nothing is saved.
        StartWatching(ReplayPath, Watch::FromCommandLine);
        return true;
    }
    Save();
    return true;
}

// Begin has set the number and title already when the game starts; setting
// them again here lets tests that need no window build exactly the state the
// game starts with.
void MyGame::SetLaunchValues() {
    GameNum = GobbitNumber;
    SetTitle(GobbitTitle);
    GameVersion = Gobbit::Version;
    BoardCount = 3;
    SetKeyword(GobbitScoreKeyword);
    Smooth(0);
}

void MyGame::InstallDefaults() {
    for (int& s : Settings) s = 0;
    Settings[Setting::SfxVolume] = 7;
    Settings[Setting::MusicVolume] = 7;
    Settings[Setting::InvertStickY] = 0;
    Settings[Setting::LastDifficulty] = 2;
    FlushKeys();
    KeyDefaults();
}

void MyGame::GameLoop() {
    GameBreak = 0;
    CloseSignalsToMainLoop();
    while (GameBreak == 0) KeepAlive();
    CloseDown();
}

void MyGame::CloseDown() {
    // Closing the game while a settings screen is open keeps what was
    // changed there, as leaving the screen would.
    if (Overlay == Overlays::Options || Overlay == Overlays::RedefineKeys ||
        Overlay == Overlays::EnterName)
        Save();
    // A pending save is finished before the end, but a disk that does not
    // answer cannot keep the game from closing.
    FinishSaving(ExitSaveWaitMs);
    Terminate();
}

void MyGame::KeepAlive() {
    if (WindowLost()) {
        // The window could not be made again (a screen mode switch): nothing
        // can be shown or asked any more, so finish up instead of waiting
        // for a close request that can never come.
        Debuglog("The game window was lost and could not be made again; closing");
        ExitCode = 1;
        GameBreak = 1;
        return;
    }
    SfxLevel = Settings[Setting::SfxVolume] / 10.0f;
    MusicLevel = Settings[Setting::MusicVolume] / 10.0f;
    OverscanFrac = Settings[Setting::Overscan] / 50.0f;

    if (Active == 1) {
        if (ActiveSlotDue(Mills(), NextUpdate)) Update();
        if (ActiveSlotDue(Mills(), NextRender)) Render();
        if (Scene.Paused == 0) MusicHandler();
        // Sleep until the earlier slot instead of spinning on the clock; the
        // wait never passes a due slot and stays short enough for the music.
        if (Active == 1) Rest(ActiveSleepMs(Mills(), NextUpdate, NextRender));
    }
    if (Active < 1) {
        if (InactiveSlotDue(Mills(), NextUpdate)) PollInput(Settings[Setting::InvertStickY]);
        if (InactiveSlotDue(Mills(), NextRender)) Render();
        Rest(InactivePeriod);
    }
}

void Heartbeat() { ThisGame.KeepAlive(); }

void MyGame::Render() { RenderGame(ScreenW, ScreenH); }
