// The game's own state, by how long it lives. Each group starts from its
// member initialisers; where the code begins a group's life anew it resets
// the group in one assignment (the screens at launch, the scene by
// FlushGame):
//
//   process   MyGame's tables and mode (settings, scores, key locks, credits)
//   screen    ScreenState: reset at launch; each screen also resets what it
//             opens with (the options list its scroll, the pause menu its
//             slide)
//   game      GameScene and the rules' Match: reset together by FlushGame
//   level     the rules' board and PlayState fields a new level sets
//   save      SaveProgress: one save pass, from Save() to the last file
//   watching  WatchState: a recorded game being watched again
//   online    OnlineState lives for the process: the journals waiting for
//             the score server are read once and kept until it answers
//
// The framework's values (ZARNCore) and the platform's (ZARNSys and the
// groups in sys/) live for the process or the window.
#pragma once

#include <string>

#include "play/ParticleFields.h"
#include "rules/Journal.h"
#include "shell/GameModes.h"

// The front end's screens: title, difficulty list, pause menu, options,
// redefinition, name entry, credits and the scoreboard beside the list.
struct ScreenState {
    // -- title and list --
    int MenuPage = 0;         // 0 title page, 1 difficulty page
    float LogoZoom = 1;       // the logo is drawn at its base scale / this
    int TitleChoice = 0;      // -2 Credits, -1 Quit, 0 Start, 1 Options
    float MenuScroll = 0;     // eased y of the list's first row
    int CogAngle = 0;         // spin of the options cog, 0-359
    // -- pause --
    int ShowPauseIcon = 0;    // 1 shows the pause icon in play
    int PauseChoice = 0;      // 0 quit, 1 resume, 2 options
    int PauseSlide = 0;       // how far the pause buttons have sunk, 0-480
    int PauseIdle = 0;        // minus the updates since the pause menu was used
    // -- credits --
    float CreditScroll = 0;   // scroll of the credit lines, falling as they rise
    float CreditWave = 0;     // phase of the pattern behind the credits
    // -- options, redefinition, name entry --
    int OptRowY = 0;          // unscrolled y of the next options element
    int OptScroll = 0;        // scroll offset of the options list
    int OptRow = 0;           // highlighted options row; the cursor cell on name entry
    int OptRowCount = 0;      // rows added so far this update
    int DragY = 0;            // pointer y of the previous update while dragging
    int RedefRow = 0;         // redefinition cursor row, -2 (Save) to 4
    int RedefCol = 0;         // redefinition cursor column, 0 to the row's last
    int CaptureGrace = 0;     // updates before a capture takes input
    int CaptureTimer = 0;     // updates left to press the input to bind
    int TestTimer = 0;        // updates left in Test mode
    // -- scoreboard beside the difficulty list --
    int ScoreSlide = 0, ScoreTimer = 0, ScorePage = 0;
};

// What the game draws over the rules during one game.
struct GameScene {
    int Paused = 0;
    float EndTimer = 0;       // the end banner's clock, in updates
    float ViewX = 0, ViewY = 0;
    ParticleRecord Particle[260] = {};
};

// One save pass (SaveBit runs it a step an update).
struct SaveProgress {
    int SavePending = 0;      // the next save step; 0 when nothing is pending
    int SaveSum = 0;
    int SaveWriting = 0;      // 1 while the file of the running step is open for writing
    int SaveTemp = 0;         // which temporary name (TempNameFor) the step writes
};

// The score exchange with the server.
struct OnlineState {
    int NetValid = 0;
    int NetWaiting = 0;       // 1 while a sent score message waits for its reply
    // By board: the best game's journal until the score server has answered
    // for it, kept in the save folder meanwhile (UnsentJournalName) and read
    // back on the first send after start-up.
    std::string UnsentJournal[4];
    bool UnsentRead = false;
};

// A recorded game played back in place of the player.
struct WatchState {
    int Watching = Watch::None;
    Journal Watched;                      // the journal being watched
    JournalCursor WatchCursor{Watched};   // the next update's input in it
};
