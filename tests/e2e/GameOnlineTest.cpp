// The real program against the reference score server: a player with an
// online name plays a few moves with keys and quits, the server replays the
// game's journal and ranks its score as verified, and the game's score panel
// turns to its "Top Online" page. The same journal with one input changed,
// and a claim without a journal, take no place.
//
// The game sends to the host it was built with (localhost, port 80). The
// test gives the game and the server a network of their own, with only a
// loopback device, so port 80 is theirs alone and nothing leaves it.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "Online.h"
#include "ScoreStore.h"
#include "Scrambler.h"
#include "Sha256.h"
#include "persist/Journals.h"
#include "persist/OnlineScores.h"
#include "shell/LaunchValues.h"
#include "support/GameProcess.h"
#include "support/PersistFixture.h"
#include "support/RecordedGames.h"
#include "support/ScoreServerProcess.h"

// Last: Xlib's macros (AnyKey, None, ...) clash with names in the game's headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace fs = std::filesystem;

namespace {

// In a new network namespace: the loopback device up.
bool OwnLoopback() {
    if (unshare(CLONE_NEWNET) != 0) return false;
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) return false;
    ifreq req = {};
    std::strncpy(req.ifr_name, "lo", IFNAMSIZ - 1);
    bool up = ioctl(fd, SIOCGIFFLAGS, &req) == 0;
    req.ifr_flags |= IFF_UP;
    up = up && ioctl(fd, SIOCSIFFLAGS, &req) == 0;
    close(fd);
    return up;
}

// Whether this process may make a network namespace (root, or
// CAP_SYS_ADMIN); tried in a child so the test's own network stays.
bool CanHaveOwnNetwork() {
    pid_t pid = fork();
    if (pid == 0) _exit(OwnLoopback() ? 0 : 1);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool Port80Answers() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons(80);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(fd);
    return ok;
}

// Runs in the game's child before the game starts: its own network, and the
// score server listening on 127.0.0.1:80 in it, its database and log in a
// folder of its own (started as root, it runs as nobody there).
bool ServerInOwnNetwork(const std::string& folder) {
    if (!OwnLoopback()) return false;
    pid_t server = fork();
    if (server == 0) {
        int log = open((folder + "/server.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(log, 1);
        dup2(log, 2);
        std::string binary = std::string(GOBBIT_BUILD_DIR) + "/server/gobbit_score_server";
        std::string db = folder + "/scores.db";
        execl(binary.c_str(), binary.c_str(), db.c_str(), "80", "127.0.0.1", (char*)nullptr);
        _exit(127);
    }
    for (int n = 0; n < 200; n++) {
        if (Port80Answers()) return true;
        usleep(50000);
    }
    return false;
}

struct Shot {
    int w = 0, h = 0;
    std::vector<unsigned char> rgb;
    float WhiteShare(int x0, int y0, int x1, int y1) const {
        int hits = 0, all = 0;
        for (int y = y0; y < y1 && y < h; ++y)
            for (int x = x0; x < x1 && x < w; ++x) {
                const unsigned char* p = &rgb[(size_t(y) * w + x) * 3];
                ++all;
                hits += p[0] > 200 && p[1] > 200 && p[2] > 200;
            }
        return all ? float(hits) / float(all) : 0;
    }
};

int Shift(unsigned long mask) {
    int n = 0;
    while (mask && !(mask & 1)) mask >>= 1, ++n;
    return n;
}

Shot Grab(unsigned long window) {
    Shot s;
    Display* d = XOpenDisplay(nullptr);
    if (!d) return s;
    XWindowAttributes a;
    if (XGetWindowAttributes(d, window, &a)) {
        if (XImage* img = XGetImage(d, window, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap)) {
            s.w = a.width;
            s.h = a.height;
            s.rgb.resize(size_t(s.w) * s.h * 3);
            for (int y = 0; y < s.h; ++y)
                for (int x = 0; x < s.w; ++x) {
                    unsigned long p = XGetPixel(img, x, y);
                    unsigned char* q = &s.rgb[(size_t(y) * s.w + x) * 3];
                    q[0] = (unsigned char)((p & img->red_mask) >> Shift(img->red_mask));
                    q[1] = (unsigned char)((p & img->green_mask) >> Shift(img->green_mask));
                    q[2] = (unsigned char)((p & img->blue_mask) >> Shift(img->blue_mask));
                }
            XDestroyImage(img);
        }
    }
    XCloseDisplay(d);
    return s;
}

bool WaitFor(unsigned long window, const std::function<bool(const Shot&)>& seen, int timeoutMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        if (seen(Grab(window))) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

// On an 800 x 600 window the panel rests with its left edge at x 612. Only
// the "Top Online" page draws name lines; the first one sits at y 160, where
// the other pages draw nothing.
float GreenShare(const Shot& s, int x0, int y0, int x1, int y1, int margin) {
    int hits = 0, all = 0;
    for (int y = y0; y < y1 && y < s.h; ++y)
        for (int x = x0; x < x1 && x < s.w; ++x) {
            const unsigned char* p = &s.rgb[(size_t(y) * s.w + x) * 3];
            ++all;
            hits += p[1] > p[0] + margin && p[1] > p[2] + margin;
        }
    return all ? float(hits) / float(all) : 0;
}
// The title's big green Start button; the green bar of Normal on the
// difficulty page.
bool TitlePage(const Shot& s) { return GreenShare(s, 370, 474, 430, 534, 50) > 0.7f; }
bool DifficultyPage(const Shot& s) { return GreenShare(s, 262, 462, 350, 482, 20) > 0.7f && !TitlePage(s); }
bool TopOnlinePage(const Shot& s) { return s.WhiteShare(616, 150, 700, 172) > 0.04f; }
bool PanelScores(const Shot& s) { return s.WhiteShare(700, 180, 792, 202) > 0.04f; }

class GameOnline : public PersistTest {};

TEST_F(GameOnline, AFinishedGamesScoreIsStoredAndShownOnTheTopOnlinePage) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs a display";
    if (!CanHaveOwnNetwork()) GTEST_SKIP() << "needs a network namespace of its own (root or CAP_SYS_ADMIN)";

    // A player with a name and no scores yet, Normal chosen last.
    MyGame& g = ThisGame;
    SetUser(20251210, 134501, 75234321);
    SetName("Online-One");
    SaveAll();

    GameProcess game;
    game.SetEnv("ALSOFT_DRIVERS", "null");
    ASSERT_TRUE(game.MakeHome());
    const std::string home = game.Home();
    for (const char* name : {SettingsFile, ScoreFile}) fs::copy_file(Path(name), home + "/" + name);
    std::string folderName = ::testing::TempDir() + "gobbit-online-XXXXXX";
    ASSERT_NE(mkdtemp(&folderName[0]), nullptr);
    const std::string serverDir = folderName;
    HandToServerUser(serverDir);
    game.BeforeExec([serverDir] { return ServerInOwnNetwork(serverDir); });
    ASSERT_TRUE(game.Start());
    const unsigned long window = game.FindWindow(15000);
    ASSERT_NE(window, 0u) << game.Output();

    // Title, Normal, a few steps that eat pellets, pause, quit the game.
    ASSERT_TRUE(WaitFor(window, TitlePage, 15000)) << game.Output();
    game.PressKey("Return");
    ASSERT_TRUE(WaitFor(window, DifficultyPage, 5000)) << game.Output();
    game.PressKey("Return");
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));  // the maze rises
    for (const char* key : {"Right", "Right", "Down", "Down", "Left", "Up", "Right", "Down", "Left", "Up"}) {
        game.PressKey(key);
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    game.PressKey("Escape");
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    game.PressKey("Left");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    game.PressKey("Return");

    // Back on the difficulty page, the panel turns to its online page.
    const bool online = WaitFor(window, TopOnlinePage, 25000);
    game.Screenshot(std::string(GOBBIT_BUILD_DIR) + "/top-online.png");
    EXPECT_TRUE(online) << "the Top Online page was not seen\n" << game.Output();
    EXPECT_TRUE(PanelScores(Grab(window)));
    ASSERT_TRUE(game.RequestClose());
    EXPECT_EQ(game.WaitExit(10000), 0) << game.Output();
    kill(-game.Pid(), SIGTERM);  // the server, left in the game's process group
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    // The game's own best on Normal, from the files it saved...
    std::snprintf(g.home, sizeof g.home, "%s", home.c_str());
    g.InstallDefaults();
    for (int& v : g.Scores) v = 0;
    testing::internal::CaptureStdout();
    g.Load();
    testing::internal::GetCapturedStdout();
    const int best = g.Scores[40];
    EXPECT_GT(best, 0) << "the game scored nothing";

    // ...is the score the server verified for this player on board 2, from
    // the journal the game kept as its best, which it no longer keeps to send.
    std::string log;
    RunProgram({"cat", serverDir + "/server.log"}, log);
    Journal kept;
    std::string error;
    ASSERT_TRUE(LoadJournal(home + "/" + JournalFileName(2), kept, error)) << error;
    EXPECT_EQ(kept.Score, best);
    EXPECT_FALSE(fs::exists(home + "/" + UnsentJournalName(2))) << "the verified journal is still waiting to be sent";
    const std::vector<std::uint8_t> bytes = EncodeJournal(kept);
    const std::string hash = Sha256Hex(bytes.data(), bytes.size());
    std::string reason;
    std::vector<VerifiedGame> verified;
    {
        auto store = OpenScoreStore(serverDir + "/scores.db", 1, reason);
        ASSERT_TRUE(store) << reason;
        ASSERT_TRUE(store->AllVerified(verified));
    }
    ASSERT_EQ(verified.size(), 1u) << log;
    EXPECT_EQ(verified[0].Board, 2);
    EXPECT_EQ(verified[0].Name, "Online-One");
    EXPECT_EQ(verified[0].Score, best) << log;
    EXPECT_EQ(verified[0].Hash, hash);

    // The same database served again, here: the page lists the score as
    // verified with its journal.
    ScoreServerProcess server(serverDir + "/scores.db", serverDir + "/again.log");
    ASSERT_NE(server.Port(), 0);
    std::string page;
    ASSERT_EQ(HttpFrom("127.0.0.1", server.Port(), "GET", "/?board=2", "", &page), 200);
    const std::string row = "<td>Online-One</td><td class=\"n\">" + std::to_string(best) +
                            "</td><td><span class=\"v\">verified</span> <a href=\"/journal/" + hash + "\"";
    EXPECT_NE(page.find(row), std::string::npos) << page;

    // The same journal with one input changed is refused and changes nothing.
    const Journal changed = OneInputChanged(kept);
    const std::vector<std::uint8_t> changedBytes = EncodeJournal(changed);
    ASSERT_NE(changedBytes, bytes) << "no input of the game changes its outcome";
    std::string user;
    for (char c : g.SixDigitString(20251210, 134501, 75234321))
        if (c != ' ') user += c;
    std::string reply;
    EXPECT_EQ(HttpFrom("127.0.0.1", server.Port(), "POST", "/" + JournalUploadPath(564, user, "Online-One  "),
                       std::string(changedBytes.begin(), changedBytes.end()), &reply),
              422)
        << reply;

    // The score message alone, claiming 999,999,999, gets its tables and no
    // place on the page.
    int claimed[80] = {};
    claimed[40] = claimed[45] = 999999999;
    char table[ScrambleTableSize] = {};
    DeriveScrambleTable(GobbitScoreKeyword, GobbitNumber, table);
    const std::string claim = "/Scores.php?Game=0564&Score=" +
                              EscapeURLData(ScrambleWithTable(
                                  ScoreMessageText("CLAIMER", "Claimer     ", 564, 1, 0, claimed, 3), table));
    std::string tables;
    EXPECT_EQ(HttpFrom("127.0.0.1", server.Port(), "GET", claim, "", &tables), 200);
    EXPECT_NE(tables.find("OnlineScores{2{Online-One{" + std::to_string(best) + "{1{"), std::string::npos) << tables;
    usleep(2100000);  // the page is kept for two seconds
    ASSERT_EQ(HttpFrom("127.0.0.1", server.Port(), "GET", "/?board=2", "", &page), 200);
    EXPECT_NE(page.find(row), std::string::npos) << page;
    EXPECT_EQ(page.find("999999999"), std::string::npos) << page;
    EXPECT_EQ(page.find("Claimer"), std::string::npos) << page;
    {
        auto store = OpenScoreStore(serverDir + "/scores.db", 1, reason);
        ASSERT_TRUE(store) << reason;
        std::vector<VerifiedGame> after;
        ASSERT_TRUE(store->AllVerified(after));
        EXPECT_EQ(after.size(), 1u);
    }
    std::snprintf(g.home, sizeof g.home, "%s", dir_.c_str());
    std::error_code ec;
    fs::remove_all(serverDir, ec);
}

}  // namespace
