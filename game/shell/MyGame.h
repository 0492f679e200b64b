// MyGame: the one game object. It derives from the framework API and owns
// every table of the game as fixed-size members.
#pragma once

#include <string>

#include "Random.h"
#include "ZARNCore.h"
#include "play/PlayFeedback.h"
#include "rules/Match.h"
#include "shell/AssetSlots.h"
#include "shell/GameModes.h"
#include "shell/GameState.h"
#include "shell/KeyLocks.h"
#include "shell/SettingSlots.h"

struct ScoreKeys;

class MyGame : public ZARNCore {
public:
    MyGame();
    ~MyGame();

    // ---- What lives as long as the process: tables and mode ----
    int Settings[200] = {};
    int KeyLock[100] = {};
    int TouchLock[100] = {};
    // The credits text, one line per entry (the screen itself is Credits()).
    std::string CreditLines[2048];

    int GameMode = Modes::Title;   // one of Modes (shell/GameModes.h)
    int Overlay = Overlays::None;  // one of Overlays; None shows the mode's screen
    float Delta = 0;
    int PointerDown = 0;
    int ThisMills = 0, LastMills = 0;
    int ExitCode = 0;   // the process status main returns

    // ---- Application shell ----
    void Launch(const char* path);
    // Everything Launch does before the main loop; false (and the framework
    // closed again) when no window could be opened.
    bool StartUp(const char* path);
    // The framework values the game launches with: number, title, version,
    // board count, score keyword and drawing defaults. Needs no window.
    void SetLaunchValues();
    // The factory settings and key bindings, before the saved ones are read.
    void InstallDefaults();
    void GameLoop();
    // What follows the loop once GameBreak is set: the last save is
    // finished and the framework closed. A browser, which runs the passes
    // itself, calls it when the game asks to stop.
    void CloseDown();
    void KeepAlive();
    void Update();
    void Render();
    void Save();
    void EndGame(int reason);
    void FlushGame();
    void LockKeys();
    void LoopTarget();
    void Loader();
    void DecodeLoaderFilesAhead(int step);
    bool LoaderStep(int step);  // the asset of one loader step; false if none
    void DrawEndBanner();

    // ---- Gameplay ----
    // The rules of the running game, sharing the game's seeded stream; what
    // they do reaches the player through Feedback.
    PlayFeedback Feedback;
    Match Rules{SharedStream, &Feedback};
    // The rules' state under the names the rest of the game reads.
    BoardCell (&Board)[BoardCells] = Rules.Board;
    PlayState& Play = Rules.Play;
    int& Difficulty = Rules.Difficulty;  // 1 Easy, 2 Normal, 3 Hard
    int& EndReason = Rules.EndReason;    // an EndBy
    int& OpenUp = Rules.OpenUp;          // open directions from the hero's
    int& OpenDown = Rules.OpenDown;      // cell, filled by GetMatrix
    int& OpenLeft = Rules.OpenLeft;
    int& OpenRight = Rules.OpenRight;

    // What the game draws over the rules; FlushGame resets both.
    GameScene Scene;
    // The EndBy the end banner names: FlushGame leaves it, the words
    // outlive the game they ended.
    int EndBanner = 0;

    void GetLev(int advance);
    void DoGame();
    void LoadGame();
    void Ingame();
    void DoParticles();

    // The play step's input this update: the player's, or the journal's
    // while a game is watched again.
    Controls PlayControls();

    // Board rules (the rules' own, under the game's names); every cell
    // access wraps around the board.
    BoardCell& CellAt(int x, int y);
    int isSolid(int x, int y, int dir, int mode);
    void GetMatrix(int x, int y, int mode);
    void Drop(int x, int y);
    void Eat(int x, int y);
    void Eat2(int x, int y);
    void FindPaths();
    void LogLevel();

    // Scoring, particles and pop-ups.
    void Gimme(int points);
    void Gimme(int points, float x, float y);
    void Gimme(int points, float x, float y, float hue);
    // The floating number of points won, without adding them.
    void PopUp(int points, float x, float y, float hue);
    void ThrowParticle(float x, float y, float hue, int group, int kind, float angle, float speed);

    // The pieces of one play update (DoGame).
    struct BoardView {
        float cell, scale;  // cell size in canvas units, sprite scale
        int x0, y0;         // centre of cell (0, 0)
        float r, g, b;      // the level colour this update
    };
    BoardView PlayLayout();
    // At a level's end the board flies apart, up when it was lost and down
    // when it was won: a picture the rules leave to the game.
    void FlyBoardApart();
    void DrawCells(const BoardView& v, int now);
    void DrawHero(const BoardView& v);
    void DrawWalls(const BoardView& v);
    void DrawHud(const BoardView& v);

    // ---- Front end ----
    ScreenState Screen;

    void DoMenu();
    void LoadMenu();
    void PauseMenu();
    void LoadingScreen();
    void MakePlatBG();
    void Options();
    void Credits();
    void RedefineKeys();
    void DrawPadPicture(int selected, float cx, float cy);
    void RunCapture(int selected);
    void RedefineMove(int selected);
    void DrawRedefineButtons(int selected, float cx, float cy);
    void DrawBindings(int selected, float cy);
    void DrawCountdown(int timer);
    void DrawStickMonitors(float cx, float cy);
    void EnterYourName();
    void NameReel(int i, bool here, float y);
    void NameButtons(int& cursor);
    void KeyDefaults();
    void AddDefaultCredits();

    // -- title, list, pause, loading, credits --
    int CreditCount = -1;     // index of the last credit line added

    void Menu_Start();
    bool ReadTitleButtons();
    void DrawTitleItem(int item, bool lit, float x, float y);
    bool TitleItemChosen(int item, bool lit, float x, float y, float hit, bool choose);
    void ActivateTitleItem(int item);
    void Menu_Default(const std::string& items, const std::string& descriptions);
    bool ListRow(const std::string& label, int i, float y, float shift, float f, float textSize);
    void ListRepeatMove(int& sel);
    void StartChosenGame(int difficulty);
    void ListBackArrow();
    void Menu_Background();
    void DoGobbitBackground();
    void AddPlatBG();
    void AddCredits(const std::string& text);

    // -- options, redefinition, name entry --
    // 0 idle, 1 waiting for fire to be released, 2 capturing. It sits in a
    // KeyLock slot so that LockKeys, on opening the screen, waits for fire.
    int& CaptureState = KeyLock[Lock::Capture];

    void OptionsList();
    void AddOptionLabel(const std::string& text);
    int AddLinearOption(int option, int icon, const std::string& text, int max);
    int AddToggleOption(int option, int icon, const std::string& text, const std::string& offText,
                        const std::string& onText);

    // ---- Journals, and watching a recorded game ----
    WatchState Rewatch;
    std::string ReplayPath;               // the journal given with --replay
    bool HasBestJournal[4] = {};          // by board: a best run to watch

    // Writes the finished game's journal as the latest one, and as the
    // board's best when the game is the board's new best.
    void KeepJournals(int board, bool newBest);
    void ReadUnsentJournals();
    // Queues every unsent journal ahead of the score message.
    void SendUnsentJournals(const std::string& user, const std::string& name);
    // The server's answer for the journal sent of a board: a final one (it
    // was verified, or will never be) lets the journal go; anything else
    // keeps it for the next send.
    void JournalAnswered(int board, int status, const std::string& sent);
    // Notes which boards have a best run kept in the save folder.
    void FindBestJournals();
    // Plays the journal at path back in place of the player; false (and
    // logged) when it cannot be replayed here.
    bool StartWatching(const std::string& path, int from);
    void StopWatching();
    // The difficulty page's offer to watch the selected board's best run.
    void WatchBestOffer();
    // During a watched game: the label, faster while held, Escape to stop.
    void WatchControls();
    // Extra rules-only updates per drawn one while the player holds the
    // fast-forward key.
    static constexpr int WatchFastSteps = 3;

    // ---- Settings, scores and online tables ----
    int BoardCount = 0;
    SaveProgress Saving;
    OnlineState Online;
    // Local boards, 20 ints each (board b at 20 * b): 0-4 the best five,
    // 5-9 the last five, newest first.
    int Scores[22000] = {};
    // Online tables laid out like Scores; names keep 12 characters.
    int NetScores[22000] = {};
    char NetNames[22000][16] = {};

    void SaveBit();
    void DrawSavingIcon(int p);
    void WriteSaveStep();
    void WriteScoreSettings(const ScoreKeys& k);
    void WriteScoreChunk(const ScoreKeys& k, int chunk);
    void OpenTemp(const char* final);
    void PutInPlace(const char* final);
    // Runs the pending save to its end, waiting at most ms in all for files
    // still on their way to the disk. True when every file is in place;
    // false when the time ran out (the last whole files are kept).
    bool FinishSaving(int ms);
    // Reads the settings and score files; launch sends the scores next.
    void Load();
    void ReadSettingsFile();
    int ReadBindings(bool& ended);
    void DropFailedUserId();
    struct ScoreFileCheck {
        int Valid = 1, Missing = 1;
    };
    ScoreFileCheck ReadScoreFile();
    void SettleUserCopy(int missing);
    void NewUserId();
    void SendScores(int board);
    void HandleDefaultScoreboards();
    void DisplayScoreboard();
    // Applies the reply of a finished score exchange, if one came in; run
    // once per update so the network never holds up a frame.
    void PumpOnline();
    // The online name (12 characters, blanks kept), or "Enter Your Name"
    // while none is set.
    std::string ShowName();
};

extern MyGame ThisGame;

// Runs one scheduler pass on ThisGame, for callers outside the game.
void Heartbeat();
