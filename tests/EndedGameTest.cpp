// The end of a game: from the moment it ends (quit from the pause menu, or
// the last life lost) the hero takes no more moves, the score the tables
// record and send is the score of that moment, and nothing can pause the
// game or open options while the banner shows. Each update here runs the
// screens and the banner as the frame update does, at 60 updates a second.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "persist/OnlineScores.h"
#include "support/LoopbackServer.h"
#include "support/PlayFixture.h"

namespace {

constexpr int Up = Pad::Up, Right = Pad::Right, Down = Pad::Down, Fast = Pad::Button1;
constexpr int EscapeKey = Fixed::Back;
constexpr int Board = 2;  // Normal's score table

class EndedGame : public PlayFixture {
protected:
    void SetUp() override {
        PlayFixture::SetUp();
        MyGame& g = ThisGame;
        saved_.Keep(g.Settings, g.Scores, g.NetScores, g.NetNames, g.Online.NetValid, g.Online.NetWaiting, g.Saving.SavePending,
                    g.PointerDown, g.Delta, g.Screen.PauseSlide, g.Screen.PauseIdle, g.Screen.CogAngle, ASys.Touch, g.Screen.MenuPage,
                    ASys.iFramesSquare, Canvas.rw2, Canvas.rh2, Canvas.ViewScale, ASys.TargetScale, ASys.ImageZoom);
        saved_.OnRestore([host = std::string(ScoreHost())] { SetScoreHost(host.c_str()); });
        // Scores go nowhere unless a test names a server.
        SetScoreHost(("127.0.0.1:" + std::to_string(UnusedPort())).c_str());
        Screen800x600();
        FrontEndArtLoaded();
        NoInputHeld();
        for (int& v : g.Scores) v = 0;
        // A player with a user ID and an online name, so a new best is sent.
        g.Settings[Setting::UserIdDate] = 20251210;
        g.Settings[Setting::UserIdTime] = 134501;
        g.Settings[Setting::UserIdRandom] = 75234321;
        g.Settings[Setting::UserIdCheckValue] = 20251210 % 37171 + 134501 % 17021 + 75234321 % 53496;
        for (int i = 50; i <= 55; ++i) g.Settings[i] = 0;
        const std::string name = "Gobbit";
        for (int i = 0; i < int(name.size()); ++i)
            g.Settings[Setting::OnlineName + i / 2] |= i % 2 == 0 ? g.Int64(name[i]) : g.Int64(name[i]) << 8;
        g.Settings[Setting::LastDifficulty] = Board;
        g.Difficulty = Board;
        g.GameMode = Modes::Play;
        g.Screen.PauseSlide = g.Screen.PauseIdle = 0;
        std::string stale;
        while (g.URLReply(stale)) {
        }
    }
    void TearDown() override {
        MyGame& g = ThisGame;
        for (int n = 0; n < 4000 && g.Online.NetWaiting; ++n) {
            g.PumpOnline();
            usleep(5000);
        }
        saved_.Restore();
        PlayFixture::TearDown();
    }

    // An open field of pellets with a low target, so every move past it
    // pays the bonus: any move made after the end shows in the score.
    static void OpenField(int lives) {
        std::vector<std::string> rows(BoardRows, std::string(BoardCols, '.'));
        rows[7][12] = 'H';
        LayBoard(rows, 2);
        ThisGame.Play.Lives = float(lives);
    }

    // One update of the screens and the banner, as the frame update runs it.
    static void Frame() {
        MyGame& g = ThisGame;
        g.Delta = 1;
        g.ResetDraw();
        g.LoopTarget();
        g.DrawEndBanner();
        ASys.DrawTo = 0;
    }

    // The pause menu's quit button, clicked.
    static void ClickQuit() {
        Pointer(ThisGame.ScreenW * 0.25f, ThisGame.ScreenH - 128 + float(ThisGame.Screen.PauseSlide), true);
        Frame();
        PointerUp();
    }

    static void Pointer(float x, float y, bool down) { TableInput::Pointer(x, y, down); }
    static void PointerUp() { TableInput::PointerUp(); }

    static int BestOnBoard() { return ThisGame.Scores[20 * Board]; }
    static int LatestOnBoard() { return ThisGame.Scores[20 * Board + 5]; }

    StateGuard saved_;
};

// A score server on loopback that counts what it is sent.
struct CountingServer {
    LoopbackServer server{[](int fd, const std::string&) {
        SendAll(fd, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n[-\r\nData-]OnlineScores{[-\r\nEnd-]");
    }};
    CountingServer() { SetScoreHost(server.HostPort().c_str()); }
    // The first line of every request, once the exchange is over.
    std::vector<std::string> Sent() {
        for (int n = 0; n < 4000 && ThisGame.Online.NetWaiting; ++n) {
            ThisGame.PumpOnline();
            usleep(5000);
        }
        std::vector<std::string> lines;
        for (const std::string& r : server.Requests()) lines.push_back(r.substr(0, r.find(' ', r.find(' ') + 1)));
        for (std::string& line : lines) line = line.substr(0, line.find('?'));
        return lines;
    }
};

// One new best: its journal, then one score message.
const std::vector<std::string> OneBestSent = {"POST /journal", "GET /Scores.php"};

TEST_F(EndedGame, QuittingWithAnArrowAndTheFastKeyHeldRecordsTheScoreOfTheMomentOfQuitting) {
    CountingServer online;
    OpenField(2);
    Hold(Right);
    Hold(Down);
    Hold(Fast);
    for (int u = 0; u < 60; ++u) Frame();
    ASSERT_GT(ThisGame.Play.Score, 40) << "the held keys moved the hero";

    ASys.Button[EscapeKey] = 1;
    Frame();
    ASys.Button[EscapeKey] = 0;
    ASSERT_EQ(ThisGame.Scene.Paused, 1);
    Frame();
    ClickQuit();
    ASSERT_EQ(ThisGame.EndReason, -1);
    const float atQuit = ThisGame.Play.Score;
    // The journal ends with the quit: 60 updates held, and the one in which
    // Escape paused the game.
    const Journal& journal = ThisGame.Rules.Record;
    EXPECT_EQ(journal.Ending, Ending::Quit);
    EXPECT_EQ(journal.Score, int(atQuit));
    EXPECT_EQ(journal.Updates, 61u);

    // The keys stay held through the two seconds of "Quit" "Game".
    int updates = 0;
    while (ThisGame.GameMode == Modes::Play && updates < 400) {
        Frame();
        ++updates;
        EXPECT_EQ(ThisGame.Play.Score, atQuit) << "update " << updates << " of the banner";
    }
    ASSERT_EQ(ThisGame.GameMode, Modes::BackToTitle);
    EXPECT_EQ(journal.Updates, 61u) << "the banner's updates are no part of the game";
    Frame();  // LoadMenu records the score
    EXPECT_EQ(ThisGame.GameMode, Modes::Title);
    EXPECT_EQ(BestOnBoard(), int(atQuit));
    EXPECT_EQ(LatestOnBoard(), int(atQuit));
    EXPECT_EQ(online.Sent(), OneBestSent) << "one new best, sent once";
}

TEST_F(EndedGame, TheLastLifeLostWithKeysHeldRecordsTheScoreOfTheMomentTheGameEnded) {
    CountingServer online;
    // Boxed in from the start, target unmet, no spare life.
    LayBoard({"#####", "#.H.#", "#####"}, 40);
    ThisGame.Play.Score = 130;
    ThisGame.Play.Lives = 0;
    Hold(Right);
    Frame();  // one step right, then stuck: the level is lost
    int updates = 0;
    while (ThisGame.EndReason == 0 && updates < 400) {
        Frame();
        ++updates;
    }
    ASSERT_EQ(ThisGame.EndReason, 1);
    const float atEnd = ThisGame.Play.Score;
    EXPECT_EQ(atEnd, 132);

    // Through "Game" "Over" with every direction and the fast key held.
    for (int key : {Up, Down, Fast, 3}) Hold(key);
    while (ThisGame.GameMode == Modes::Play && updates < 800) {
        Frame();
        ++updates;
        EXPECT_EQ(ThisGame.Play.Score, atEnd);
    }
    ASSERT_EQ(ThisGame.GameMode, Modes::BackToTitle);
    Frame();
    EXPECT_EQ(BestOnBoard(), int(atEnd));
    EXPECT_EQ(online.Sent(), OneBestSent);
}

TEST_F(EndedGame, ClicksOnThePauseIconAndThePauseButtonsDuringEitherBannerDoNothing) {
    for (int banner : {-1, 1}) {
        SCOPED_TRACE(banner == -1 ? "Quit Game" : "Game Over");
        ThisGame.EndReason = 0;
        ThisGame.Scene.EndTimer = 0;
        ThisGame.GameMode = Modes::Play;
        ThisGame.Scene.Paused = 0;
        ThisGame.Overlay = Overlays::None;
        OpenField(0);
        Frame();
        if (banner == -1) {
            Pointer(32, 32, true);  // the pause icon
            Frame();
            PointerUp();
            ASSERT_EQ(ThisGame.Scene.Paused, 1);
            Frame();
            ClickQuit();
        } else {
            ThisGame.EndGame(1);
        }
        ASSERT_EQ(ThisGame.EndReason, banner);

        // Click the pause icon, then where resume, quit and options sit,
        // over and over, for as long as the banner shows.
        const float spots[4][2] = {{32, 32}, {400, 472}, {200, 472}, {600, 472}};
        int updates = 0;
        while (ThisGame.GameMode == Modes::Play && updates < 400) {
            const float* at = spots[updates / 2 % 4];
            Pointer(at[0], at[1], updates % 2 == 0);
            Frame();
            ++updates;
            EXPECT_EQ(ThisGame.Scene.Paused, 0) << "update " << updates;
            EXPECT_EQ(ThisGame.Overlay, Overlays::None) << "update " << updates;
        }
        PointerUp();
        // The title comes back on time: in the first update more than 120
        // past the end (quitting ended the game inside an update), then
        // one update for the way back.
        EXPECT_EQ(updates, banner == -1 ? 120 : 121);
        Frame();
        EXPECT_EQ(ThisGame.GameMode, Modes::Title);
        EXPECT_EQ(ThisGame.Scene.Paused, 0);
    }
}

}  // namespace
