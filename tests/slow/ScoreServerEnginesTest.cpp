// The reference score server as players on the open internet meet it, on
// each engine: under load with hostile requests mixed in, killed mid-load
// and restarted, with clients that connect and never finish, with the real
// game's exchange, and its leaderboard page in a real browser. Every server
// here listens on 127.0.0.1.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <netinet/in.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "HttpFront.h"
#include "Online.h"
#include "ScoreMessage.h"
#include "ScoreStore.h"
#include "Scrambler.h"
#include "persist/Journals.h"
#include "persist/OnlineScores.h"
#include "persist/SaveFormat.h"
#include "shell/LaunchValues.h"
#include "shell/MyGame.h"
#include "support/LoopbackServer.h"
#include "support/PersistFixture.h"
#include "support/RecordedGames.h"
#include "support/ScoreServerProcess.h"

using Engine = ScoreDatabase::Engine;

namespace {

int CountOf(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) n++;
    return n;
}

// A number printed by the load generator after a label ("errors 0").
long Figure(const std::string& output, const std::string& label) {
    std::size_t at = output.find(label + " ");
    return at == std::string::npos ? -1 : std::atol(output.c_str() + at + label.size() + 1);
}

// A connection to 127.0.0.1:port with nothing sent yet; -1 on failure.
int Connect(int port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(uint16_t(port));
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// True when the server has answered or closed this connection by now.
bool Answered(int fd) {
    pollfd p = {fd, POLLIN, 0};
    return poll(&p, 1, 0) == 1;
}

// What the server sends before closing, waiting at most ms.
std::string ReadUntilClosed(int fd, int ms) {
    std::string out;
    char buf[1024];
    for (int waited = 0; waited < ms;) {
        pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, 100) == 0) {
            waited += 100;
            continue;
        }
        ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0) break;
        out.append(buf, std::size_t(n));
    }
    return out;
}

}  // namespace

class ScoreServerOnEngine : public OnScoreEngine {
public:
    std::string Log(const std::string& name) const { return dir_ + "/" + name; }
    // The load generator against the given ports; its exit status.
    int Load(const std::vector<int>& ports, const std::vector<std::string>& extra, std::string& output) {
        std::string list;
        for (int p : ports) list += (list.empty() ? "" : ",") + std::to_string(p);
        std::vector<std::string> args = {std::string(GOBBIT_BUILD_DIR) + "/server/gobbit_score_load", "--ports", list,
                                         "--database", db_->Name()};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunProgram(args, output);
    }

};

INSTANTIATE_TEST_SUITE_P(Engines, ScoreServerOnEngine, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         [](const auto& info) { return std::string(EngineName(info.param)); });

TEST_P(ScoreServerOnEngine, HostileRequestsInTheLoadAreRefusedAndEveryValidOneLands) {
    // Claims rank on this server too, so the score messages' path is loaded
    // the same way as the journals'.
    ScoreServerProcess server(db_->Name(), Log("server.log"), 0, {"--accept-unverified"});
    ASSERT_NE(server.Port(), 0) << ReadWholeFile(Log("server.log"));
    struct Run {
        std::vector<std::string> args;
        const char* checked;
        const char* acked;
        long least;
    } runs[] = {
        // A quarter of the journals are noise, past the size cap, tampered,
        // sent under an SQL-looking name or repeats (by their player, or
        // under another one).
        {{"--concurrency", "8", "--requests", "240", "--players", "120", "--hostile", "25"},
         "every acknowledged game is stored, and nothing else",
         "verified in",
         120},
        // A quarter of the messages are malformed, oversized, SQL-looking,
        // or repeats of a message already stored (the game resends at every
        // start).
        {{"--claims", "--concurrency", "8", "--requests", "1200", "--players", "150", "--hostile", "25"},
         "every acknowledged best is stored, and nothing else",
         "stored in",
         500},
    };
    for (const Run& run : runs) {
        std::string out;
        int status = Load({server.Port()}, run.args, out);
        EXPECT_EQ(status, 0) << out;
        EXPECT_NE(out.find(run.checked), std::string::npos) << out;
        EXPECT_EQ(Figure(out, "errors"), 0) << out;
        EXPECT_GT(Figure(out, "hostile refused"), run.least / 10) << out;
        EXPECT_GT(Figure(out, "repeats"), run.least / 50) << out;
        std::smatch stored;
        ASSERT_TRUE(std::regex_search(out, stored, std::regex(std::string("([0-9]+) ") + run.acked))) << out;
        EXPECT_GT(std::stol(stored[1].str()), run.least) << out;
    }
}

TEST_P(ScoreServerOnEngine, AServerKilledMidLoadLosesNoAcknowledgedScore) {
    // On PostgreSQL two processes share the database and one of them dies;
    // on SQLite the only process dies and comes back.
    bool shared = GetParam() == Engine::Postgres;
    auto victim = std::make_unique<ScoreServerProcess>(db_->Name(), Log("victim.log"));
    ASSERT_NE(victim->Port(), 0) << ReadWholeFile(Log("victim.log"));
    std::unique_ptr<ScoreServerProcess> survivor;
    std::vector<int> ports = {victim->Port()};
    if (shared) {
        survivor = std::make_unique<ScoreServerProcess>(db_->Name(), Log("survivor.log"));
        ASSERT_NE(survivor->Port(), 0);
        ports.push_back(survivor->Port());
    }

    std::string out;
    std::atomic<int> status{-2};
    std::thread load([&] {
        status = Load(ports, {"--concurrency", "8", "--requests", "1000000", "--seconds", "10", "--players", "400",
                              "--allow-outage"},
                      out);
    });
    // Let the load get going (it plays its ten-level game first), then kill
    // the server without warning.
    for (int n = 0; n < 1200 && CountOf(ReadWholeFile(Log("victim.log")), "verified:") < 20; n++) usleep(50000);
    int storedBefore = CountOf(ReadWholeFile(Log("victim.log")), "verified:");
    victim->Kill(SIGKILL);

    if (shared) {
        for (int i = 0; i < 10; i++)
            EXPECT_EQ(HttpGet(survivor->Port(), ScoreClaimTarget("SURVIVOR", "Still-Here  ", 100 + i)), 200)
                << "the surviving server stopped answering";
    } else {
        usleep(300000);
    }
    int port = ports[0];
    victim = std::make_unique<ScoreServerProcess>(db_->Name(), Log("restarted.log"), port);
    EXPECT_EQ(victim->Port(), port) << ReadWholeFile(Log("restarted.log"));
    load.join();

    EXPECT_GT(storedBefore, 0);
    EXPECT_EQ(status.load(), 0) << out;
    EXPECT_NE(out.find("every acknowledged game is stored, and nothing else"), std::string::npos) << out;
    EXPECT_EQ(Figure(out, "errors"), 0) << out;
    EXPECT_GT(CountOf(ReadWholeFile(Log("restarted.log")), "verified:"), 0) << "the restarted server took no load";
    if (shared) {
        EXPECT_GT(CountOf(ReadWholeFile(Log("survivor.log")), "verified:"), 10);
    }
}

TEST_P(ScoreServerOnEngine, TheLeaderboardPageShowsEscapedNamesInOrderInABrowser) {
    const char* chromium = "/usr/bin/chromium";
    if (access(chromium, X_OK) != 0) GTEST_SKIP() << "Chromium is not installed (Debian package chromium)";
    {
        // A name the request paths refuse, written straight into the table
        // as a verified game.
        std::string why;
        std::unique_ptr<ScoreStore> store = OpenScoreStore(db_->Name(), 1, why);
        ASSERT_TRUE(store) << why;
        VerifiedGame raw{std::string(64, 'a'), 1, "RAWWRITE", "<b>\"Q&A'</b>", 7000, "GobJ"};
        ASSERT_EQ(store->RecordVerified(raw), ScoreStore::Kept::New);
    }
    // Claims rank beside it here, so the scores can be chosen.
    ScoreServerProcess server(db_->Name(), Log("server.log"), 0, {"--accept-unverified"});
    ASSERT_NE(server.Port(), 0) << ReadWholeFile(Log("server.log"));
    EXPECT_EQ(HttpGet(server.Port(), ScoreClaimTarget("ALPHA", "Alpha       ", 9000)), 200);
    EXPECT_EQ(HttpGet(server.Port(), ScoreClaimTarget("BRAVO", "Bravo       ", 5000)), 200);
    // Level with the verified row, and later: it ranks below it.
    EXPECT_EQ(HttpGet(server.Port(), ScoreClaimTarget("CHARLIE", "Charlie-3   ", 7000)), 200);
    // The game resends its scores at every start: a repeat keeps its place
    // ahead of a later equal score.
    EXPECT_EQ(HttpGet(server.Port(), ScoreClaimTarget("ECHO", "Echo        ", 3000)), 200);
    EXPECT_EQ(HttpGet(server.Port(), ScoreClaimTarget("FOXTROT", "Foxtrot     ", 3000)), 200);
    EXPECT_EQ(HttpGet(server.Port(), ScoreClaimTarget("ECHO", "Echo        ", 3000)), 200);

    std::string page;
    EXPECT_EQ(HttpGet(server.Port(), "/", &page), 200);
    EXPECT_NE(page.find("&lt;b&gt;&quot;Q&amp;A&#39;&lt;/b&gt;"), std::string::npos) << page;
    EXPECT_EQ(HttpGet(server.Port(), "/?board=7"), 404);
    EXPECT_EQ(HttpGet(server.Port(), "/?board=1"), 200);

    // The page as the browser built it: no element came out of the name,
    // and the Easy table lists the scores in order.
    std::string url = "http://127.0.0.1:" + std::to_string(server.Port()) + "/";
    std::vector<std::string> browser = {"/usr/bin/timeout", "90",          chromium,
                                        "--headless",       "--no-sandbox", "--disable-gpu",
                                        "--user-data-dir=" + dir_ + "/chromium"};
    std::string dom;
    std::vector<std::string> dump = browser;
    dump.insert(dump.end(), {"--dump-dom", url});
    ASSERT_EQ(RunProgram(dump, dom), 0) << dom;
    EXPECT_EQ(dom.find("<b>"), std::string::npos) << dom;
    std::size_t easy = dom.find("id=\"board-1\""), normal = dom.find("id=\"board-2\"");
    ASSERT_NE(easy, std::string::npos) << dom;
    ASSERT_NE(normal, std::string::npos) << dom;
    std::string table = dom.substr(easy, normal - easy);
    std::regex row("<tr><td>([0-9]+)</td><td>(.*?)</td><td class=\"n\">([0-9]+)</td><td><span class=\"[uv]\">"
                   "(verified|unverified)</span>(.*?)</td></tr>");
    std::vector<std::string> rows;
    for (std::sregex_iterator it(table.begin(), table.end(), row), end; it != end; ++it)
        rows.push_back((*it)[1].str() + " " + (*it)[2].str() + " " + (*it)[3].str() + " " + (*it)[4].str() +
                       (*it)[5].str());
    std::vector<std::string> expected = {
        "1 Alpha 9000 unverified",
        "2 &lt;b&gt;\"Q&amp;A'&lt;/b&gt; 7000 verified <a href=\"/journal/" + std::string(64, 'a') +
            "\" download=\"\">journal</a>",
        "3 Charlie-3 7000 unverified", "4 Bravo 5000 unverified", "5 Echo 3000 unverified",
        "6 Foxtrot 3000 unverified"};
    EXPECT_EQ(rows, expected) << table;

    // A phone-sized picture, kept in the build folder to be looked at.
    std::string shot = std::string(GOBBIT_BUILD_DIR) + "/leaderboard-" + EngineName(GetParam()) + ".png";
    std::remove(shot.c_str());
    std::vector<std::string> snap = browser;
    snap.insert(snap.end(), {"--hide-scrollbars", "--window-size=412,860", "--screenshot=" + shot, url});
    std::string snapOut;
    ASSERT_EQ(RunProgram(snap, snapOut), 0) << snapOut;
    EXPECT_EQ(ReadWholeFile(shot).compare(0, 8, "\x89PNG\r\n\x1a\n"), 0) << snapOut;
}

// The real game's exchange, against the server on each engine.
class GameAgainstEngine : public PersistTest, public ::testing::WithParamInterface<Engine> {};

INSTANTIATE_TEST_SUITE_P(Engines, GameAgainstEngine, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         [](const auto& info) { return std::string(EngineName(info.param)); });

TEST_P(GameAgainstEngine, AVerifiedBestAppearsOnTheTopOnlinePage) {
    ScoreDatabase db(GetParam(), dir_);
    if (!db.Missing().empty()) GTEST_SKIP() << "PostgreSQL tests skipped: " << db.Missing();
    // The server's folder apart from the game's save folder, which is its
    // player's alone.
    std::string serverDir = MakeServerFolder();
    ASSERT_FALSE(serverDir.empty());
    ScoreServerProcess server(GetParam() == Engine::Sqlite ? serverDir + "/scores.db" : db.Name(),
                              serverDir + "/server.log");
    ASSERT_NE(server.Port(), 0) << ReadWholeFile(serverDir + "/server.log");
    SetScoreHost(("127.0.0.1:" + std::to_string(server.Port())).c_str());
    // A rival's game, verified, and a claim of far more that is not.
    testing::internal::CaptureStdout();
    const Journal rival = PlayScriptedGame({1, 0, -1, 700, 0});
    const Journal mine = PlayScriptedGame({1, 1, 1, 0, 20000});
    testing::internal::GetCapturedStdout();
    ASSERT_GT(rival.Score, 0);
    ASSERT_GT(mine.Score, rival.Score);
    std::vector<std::uint8_t> rivalBytes = EncodeJournal(rival);
    ASSERT_EQ(HttpFrom("127.0.0.1", server.Port(), "POST", "/journal?game=0564&user=RIVAL&name=Rival",
                       std::string(rivalBytes.begin(), rivalBytes.end())),
              200);
    ASSERT_EQ(HttpGet(server.Port(), ScoreClaimTarget("BOASTER", "Boaster     ", 999999)), 200);

    // This player finishes the game on Easy with a new best, as the game
    // does at the end of play: its journal is the match's own.
    SetUser(20251210, 134501, 75234321);
    SetName("Gobbit-One");
    ThisGame.Settings[Setting::LastDifficulty] = 1;
    ASSERT_EQ(ThisGame.Play.Score, float(mine.Score));
    testing::internal::CaptureStdout();
    ThisGame.HandleDefaultScoreboards();
    ASSERT_TRUE(PumpUntilReplied());
    std::string log = testing::internal::GetCapturedStdout();

    // One exchange: the journal went first, so the reply ranks it already.
    EXPECT_NE(log.find("Journal of the best Easy game verified by the score server"), std::string::npos) << log;
    EXPECT_EQ(ThisGame.Online.NetValid, 1);
    EXPECT_EQ(std::string(ThisGame.NetNames[20]), "Gobbit-One");
    EXPECT_EQ(ThisGame.NetScores[20], mine.Score);
    EXPECT_EQ(std::string(ThisGame.NetNames[21]), "Rival");
    EXPECT_EQ(ThisGame.NetScores[21], rival.Score);
    EXPECT_EQ(std::string(ThisGame.NetNames[22]), "");
    FinishReplacements(10000);
    EXPECT_FALSE(std::filesystem::exists(Path(UnsentJournalName(1)))) << "the verified journal was kept to resend";
    EXPECT_TRUE(std::filesystem::exists(Path(JournalFileName(1))));
    std::error_code ec;
    std::filesystem::remove_all(serverDir, ec);
    ThisGame.Screen.ScoreTimer = ThisGame.Screen.ScorePage = 0;
    for (int n = 0; n < 3 * 301 && ThisGame.Screen.ScorePage != 2; n++) ThisGame.DisplayScoreboard();
    EXPECT_EQ(ThisGame.Screen.ScorePage, 2) << "no Top Online page";
}

TEST(ScoreServerLimits, OnlyAWellFormedRequestLineReachesAWorker) {
    struct {
        std::string head;
        bool good;
        std::string target;
    } cases[] = {
        {"GET / HTTP/1.1\r\nHost: x\r\n\r\n", true, "/"},
        {"GET /Scores.php?Game=0564&Score=a*!U!*b HTTP/1.0\r\n\r\n", true, "/Scores.php?Game=0564&Score=a*!U!*b"},
        {"GET  / HTTP/1.1\r\n\r\n", false, ""},
        {"GET / HTTP/2.0\r\n\r\n", false, ""},
        {"GET http://example.org/ HTTP/1.1\r\n\r\n", false, ""},
        {"GET / HTTP/1.1 extra\r\n\r\n", false, ""},
        {"GET /a b HTTP/1.1\r\n\r\n", false, ""},
        {"GET / HTTP/1.1", false, ""},
        {"\r\n\r\n", false, ""},
    };
    for (auto& c : cases) {
        HttpRequest r;
        EXPECT_EQ(ParseRequestLine(c.head, r), c.good) << c.head;
        if (c.good) {
            EXPECT_EQ(r.Target, c.target);
        }
    }
}

TEST(ScoreServerLimits, IdleDrippingAndOversizedClientsAreDroppedWithoutHoldingAWorker) {
    std::string dir = MakeServerFolder();
    ASSERT_FALSE(dir.empty());
    {
        // Two workers and more stalled clients than that; the player's claim
        // ranks on this server.
        ScoreServerProcess server(dir + "/scores.db", dir + "/server.log", 0, {"--workers", "2", "--accept-unverified"});
        ASSERT_NE(server.Port(), 0) << ReadWholeFile(dir + "/server.log");
        std::vector<int> idle;
        for (int i = 0; i < 6; i++) idle.push_back(Connect(server.Port()));
        int drip = Connect(server.Port());
        ASSERT_GE(drip, 0);
        std::atomic<bool> dripping{true};
        std::atomic<int> dripped{0};
        std::thread dripper([&] {
            const std::string slow = "GET /Scores.php?Game=0564&Score=";
            for (std::size_t i = 0; dripping && i < 400; i++) {
                if (send(drip, &slow[i % slow.size()], 1, MSG_NOSIGNAL) != 1) break;
                dripped++;
                usleep(50000);
            }
        });

        // A player is served while all of those are still connected.
        std::string body;
        EXPECT_EQ(HttpGet(server.Port(), ScoreClaimTarget("PLAYER", "Patient     ", 4321), &body), 200);
        EXPECT_NE(body.find("Patient{4321{"), std::string::npos) << body;
        for (int fd : idle) EXPECT_FALSE(Answered(fd)) << "an idle client was dropped before the player was served";

        // Then every one of them is cut off, dripping or not.
        for (int fd : idle) {
            EXPECT_EQ(ReadUntilClosed(fd, 15000).compare(0, 12, "HTTP/1.1 408"), 0);
            close(fd);
        }
        std::string cut = ReadUntilClosed(drip, 15000);
        dripping = false;
        dripper.join();
        EXPECT_EQ(cut.compare(0, 12, "HTTP/1.1 408"), 0) << cut;
        EXPECT_GT(dripped.load(), 20) << "the dripping client never got going";
        close(drip);

        // Request line and headers past the cap are refused outright.
        std::string big = ScoreClaimTarget("HUGE", "Oversized   ", 9999) + "&pad=" + std::string(9000, 'x');
        EXPECT_EQ(HttpGet(server.Port(), big), 431);
        int fd = Connect(server.Port());
        std::string headers = "GET / HTTP/1.1\r\n";
        for (int i = 0; i < 200; i++) headers += "X-Filler-" + std::to_string(i) + ": " + std::string(40, 'y') + "\r\n";
        send(fd, headers.data(), headers.size(), MSG_NOSIGNAL);
        EXPECT_EQ(ReadUntilClosed(fd, 10000).compare(0, 12, "HTTP/1.1 431"), 0);
        close(fd);
    }
    std::string why;
    std::unique_ptr<ScoreStore> store = OpenScoreStore(dir + "/scores.db", 1, why);
    ASSERT_TRUE(store) << why;
    std::vector<StoredScore> rows;
    ASSERT_TRUE(store->All(rows));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].User, "PLAYER");
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}
