// The online scoreboards: the message the game sends, what it makes of good
// and hostile replies, the worker that keeps the game from waiting, the
// local boards and the score panel, and the reference score server end to
// end. Every server here listens on 127.0.0.1.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Online.h"
#include "Scrambler.h"
#include "persist/OnlineScores.h"
#include "shell/LaunchValues.h"
#include "shell/MyGame.h"
#include "support/LoopbackServer.h"
#include "support/PersistFixture.h"
#include "support/ScoreServerProcess.h"
#include "sys/HttpClient.h"
#include "sys/ZARNSys.h"

namespace {

const char DataMark[] = "[-\r\nData-]";
const char EndMark[] = "[-\r\nEnd-]";

std::string Table() {
    char t[ScrambleTableSize] = {};
    DeriveScrambleTable(GobbitScoreKeyword, GobbitNumber, t);
    return std::string(t, sizeof t);
}

// The escapes undone, written here from the request format.
std::string Unescaped(const std::string& s) {
    const std::string codes = "ABCDEFGHIJKLMPQRSTU";
    const std::string plain = "&\\'`\"/>#^{}<|%?+$, ";
    std::string out;
    for (size_t i = 0; i < s.size(); i++) {
        if (s.compare(i, 2, "*!") == 0 && i + 4 < s.size() && s.compare(i + 3, 2, "!*") == 0 &&
            codes.find(s[i + 2]) != std::string::npos) {
            out += plain[codes.find(s[i + 2])];
            i += 4;
        } else {
            out += s[i];
        }
    }
    return out;
}

// The plain score message inside a request the game sent.
std::string MessageOf(const std::string& request) {
    const std::string head = "GET /Scores.php?Game=0564&Score=";
    if (request.compare(0, head.size(), head) != 0) return "<not a score request>";
    size_t end = request.find(" HTTP/1.1\r\n");
    std::string table = Table();
    return UnscrambleWithTable(Unescaped(request.substr(head.size(), end - head.size())), table.data());
}

// The request target for a plain message, as the game would send it.
std::string TargetFor(const std::string& plain) {
    std::string table = Table();
    return "/Scores.php?Game=0564&Score=" + EscapeURLData(ScrambleWithTable(plain, table.data()));
}

std::string Section(int board, const std::vector<std::pair<std::string, std::string>>& ranks) {
    std::string s = "OnlineScores{" + std::to_string(board) + "{";
    for (int r = 0; r < 5; r++) {
        bool has = r < int(ranks.size());
        s += (has ? ranks[r].first : "") + "{" + (has ? ranks[r].second : "0") + "{" + std::to_string(r + 1) + "{-{";
    }
    return s;
}

std::string HttpReply(const std::string& data) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n" + std::string(DataMark) + data +
           EndMark;
}

std::string Name(int entry) { return std::string(ThisGame.NetNames[entry], strnlen(ThisGame.NetNames[entry], 16)); }

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) n++;
    return n;
}

}  // namespace

TEST(ScoreRequest, EscapesEveryCharacterAURLCannotCarry) {
    struct {
        std::string in, out;
    } cases[] = {
        {" ", "*!U!*"},
        {"{", "*!J!*"},
        {"&\\'`\"/>", "*!A!**!B!**!C!**!D!**!E!**!F!**!G!*"},
        {"#^}<|%?+$,", "*!H!**!I!**!K!**!L!**!M!**!P!**!Q!**!R!**!S!**!T!*"},
        {"*!aZ09=:;[]~\x01", "*!aZ09=:;[]~\x01"},
        {std::string("a\0b\x80\xff" "c", 6), "abc"},
        {"", ""},
    };
    for (auto& c : cases) EXPECT_EQ(EscapeURLData(c.in), c.out) << c.in;
}

TEST(ScoreRequest, ReplyDataLiesBetweenMarkersOfOneBlock) {
    struct {
        const char* name;
        std::vector<std::string> blocks;
        std::string data;
    } cases[] = {
        {"one block", {"HTTP/1.1 200 OK\r\n\r\n[-\r\nData-]a{b{[-\r\nEnd-]tail"}, "a{b{"},
        {"start marker split", {"xx[-\r\nDa", "ta-]a{b{[-\r\nEnd-]"}, ""},
        {"end marker in a later block", {"[-\r\nData-]a{b", "{c[-\r\nEnd-]"}, "a{b"},
        {"end marker split", {"[-\r\nData-]a{b[-\r\nE", "nd-]"}, "a{b[-\r\nE"},
        {"control and high bytes dropped", {std::string("[-\r\nDa\x01ta-]A\x7f\x80q\ty[-\r\nEnd-]")}, "A\x7fqy"},
        {"two whole replies", {"[-\r\nData-]a[-\r\nEnd-]", "[-\r\nData-]b[-\r\nEnd-]"}, "ab"},
        {"no markers", {"HTTP/1.1 200 OK\r\n\r\nhello"}, ""},
    };
    for (auto& c : cases) {
        ReplyFilter f;
        for (const std::string& b : c.blocks) f.Block(b.data(), b.size());
        EXPECT_EQ(f.Data(), c.data) << c.name;
    }
}

class OnlineScores : public PersistTest {
public:
    void SetUp() override {
        PersistTest::SetUp();
        ASys.WebData.clear();
        HttpLimits quick;
        quick.ConnectMs = 1000;
        quick.ReceiveMs = 500;
        quick.TotalMs = 4000;
        SetHttpLimits(quick);
        SetUser(20251210, 134501, 75234321);
        SetName("Gobbit-42");
    }
    void TearDown() override {
        ASys.WebData.clear();
        PersistTest::TearDown();
    }

    std::string Send() {
        testing::internal::CaptureStdout();
        ThisGame.SendScores(0);
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(OnlineScores, TheMessageCarriesIdNameAndEachBoardsBestAndLatest) {
    LoopbackServer server([](int fd, const std::string&) {
        SendAll(fd, HttpReply(Section(1, {{"Top", "5000"}, {"Gobbit-42", "1200"}})));
    });
    SetScoreHost(server.HostPort().c_str());
    int* s = ThisGame.Scores;
    s[20] = 1200, s[25] = 0;  // best 1200, latest 0: sent as 1
    s[60] = 5, s[65] = 3;
    ThisGame.NetScores[40] = 777;  // board 2's online table from before
    std::strcpy(ThisGame.NetNames[40], "Earlier");

    std::string log = Send();
    EXPECT_EQ(Count(log, "Sending Highscores"), 1);
    ASSERT_TRUE(PumpUntilReplied());
    std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    std::string id;
    for (char c : ThisGame.SixDigitString(20251210, 134501, 75234321))
        if (c != ' ') id += c;
    EXPECT_EQ(MessageOf(requests[0]), id + "{Gobbit-42   {0564{0001{0000{1200{1{0{0{5{3{ZARN{");
    EXPECT_NE(requests[0].find(" HTTP/1.1\r\nHost: " + server.HostPort() + "\r\nConnection: close\r\n\r\n"),
              std::string::npos);

    // Board 1 came back; boards 2 and 3 keep what they had.
    EXPECT_EQ(ThisGame.Online.NetValid, 1);
    EXPECT_EQ(Name(20), "Top");
    EXPECT_EQ(ThisGame.NetScores[20], 5000);
    EXPECT_EQ(Name(21), "Gobbit-42");
    EXPECT_EQ(ThisGame.NetScores[21], 1200);
    EXPECT_EQ(Name(22), "");
    EXPECT_EQ(ThisGame.NetScores[40], 777);
    EXPECT_EQ(Name(40), "Earlier");
}

TEST_F(OnlineScores, NothingIsSentWithoutAName) {
    LoopbackServer server([](int fd, const std::string&) { SendAll(fd, HttpReply(Section(1, {{"A", "1"}}))); });
    SetScoreHost(server.HostPort().c_str());
    SetName("");
    ThisGame.Online.NetValid = 1;
    EXPECT_EQ(ThisGame.ShowName(), "Enter Your Name");
    std::string log = Send();
    EXPECT_EQ(ThisGame.Online.NetValid, 0);
    EXPECT_EQ(ThisGame.Online.NetWaiting, 0);
    EXPECT_EQ(Count(log, "Sending Highscores"), 0);
    // Once named, exactly one message goes out: nothing was queued before.
    SetName("Zed");
    Send();
    ASSERT_TRUE(PumpUntilReplied());
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_NE(MessageOf(server.Requests()[0]).find("{Zed         {"), std::string::npos);
}

// The name is cleared while a reply is still on its way: the reply is
// dropped, so the online page does not come back for a player without a name.
TEST_F(OnlineScores, AReplyArrivingAfterTheNameWasClearedIsDropped) {
    LoopbackServer server([](int fd, const std::string&) { SendAll(fd, HttpReply(Section(1, {{"A", "1"}}))); });
    SetScoreHost(server.HostPort().c_str());
    Send();
    SetName("");
    Send();  // leaving the options sends again, which with no name only hides the page
    ASSERT_TRUE(PumpUntilReplied());
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(ThisGame.Online.NetValid, 0);
    EXPECT_EQ(Name(20), "");
}

TEST_F(OnlineScores, BrokenServersChangeNothingButTheOnlineTable) {
    Gate release;
    std::atomic<bool> releasedByTest{false};
    auto reply = [](std::string data) {
        return [data](int fd, const std::string&) { SendAll(fd, HttpReply(data)); };
    };
    std::string big(10 * 1024 * 1024, 'x');
    struct Case {
        const char* name;
        LoopbackServer::Handler handler;  // none: host below
        std::string host;
        std::vector<std::pair<std::string, int>> board1;  // expected ranks 1-2; empty: untouched
    };
    Case cases[] = {
        // First, so the gate opens only after its own request.
        {"accepts and never answers",
         [&](int, const std::string&) { releasedByTest = release.WaitFor(5000); }, "", {}},
        {"connection refused", nullptr, "127.0.0.1:" + std::to_string(UnusedPort()), {}},
        {"unresolvable host", nullptr, "no-such-host.invalid", {}},
        {"no markers", [](int fd, const std::string&) { SendAll(fd, "HTTP/1.1 200 OK\r\n\r\nOnlineScores{1{X{9{"); },
         "", {}},
        {"markers split across blocks",
         [](int fd, const std::string&) {
             SendAll(fd, "HTTP/1.1 200 OK\r\n\r\n[-\r\nDa");
             usleep(200000);
             SendAll(fd, "ta-]" + Section(1, {{"Split", "9"}}) + EndMark);
         },
         "", {}},
        // The headers come alone; the whole marked data follows in a block
        // of its own, and is read.
        {"data in a later block",
         [](int fd, const std::string&) {
             const std::string whole = HttpReply(Section(1, {{"Later", "9"}, {"Next", "5"}}));
             const size_t data = whole.find(DataMark);
             SendAll(fd, whole.substr(0, data));
             usleep(200000);
             SendAll(fd, whole.substr(data));
         },
         "", {{"Later", 9}, {"Next", 5}}},
        {"ten megabytes",
         [&big](int fd, const std::string&) { SendAll(fd, HttpReply(big + Section(1, {{"Big", "9"}}))); }, "", {}},
        // Only the first megabyte of a reply is read: markers after it are
        // never seen.
        {"markers after the first megabyte",
         [](int fd, const std::string&) {
             SendAll(fd, "HTTP/1.1 200 OK\r\n\r\n" + std::string((1 << 20) + 65536, 'x'));
             usleep(300000);
             SendAll(fd, DataMark + Section(1, {{"Late", "9"}}) + EndMark);
         },
         "", {}},
        {"binary bytes", reply(Section(1, {{std::string("Bo\x01" "b\xff" "by\x7f", 8), "10"}, {"\x80\x81", "20"}})), "",
         {{"Bobby\x7f", 10}, {"", 20}}},
        {"names over 12 characters", reply(Section(1, {{"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "30"}, {"Short", "4"}})), "",
         {{"ABCDEFGHIJKL", 30}, {"Short", 4}}},
        {"non-numeric and huge scores", reply(Section(1, {{"Nan", "abc"}, {"Huge", "99999999999999999999"}})), "",
         {{"Nan", 0}, {"Huge", INT_MAX}}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASys.WebData.clear();
        ThisGame.NetScores[20] = 111;
        ThisGame.NetScores[21] = 222;
        std::strcpy(ThisGame.NetNames[20], "Stale");
        std::strcpy(ThisGame.NetNames[21], "Stale2");
        std::vector<int> settings(ThisGame.Settings, ThisGame.Settings + 200);
        std::vector<int> scores(ThisGame.Scores, ThisGame.Scores + 22000);

        std::unique_ptr<LoopbackServer> server;
        if (c.handler) {
            server = std::make_unique<LoopbackServer>(c.handler);
            c.host = server->HostPort();
        }
        SetScoreHost(c.host.c_str());
        // For the silent server the client would wait longer than the server
        // holds on: a call that waited for the exchange could not return
        // before the server gives up.
        HttpLimits quick = GetHttpLimits(), patient = quick;
        patient.ReceiveMs = patient.TotalMs = 15000;
        if (&c == &cases[0]) SetHttpLimits(patient);
        Send();
        SetHttpLimits(quick);
        // The call came back while the exchange is still on its way.
        EXPECT_EQ(ThisGame.Online.NetWaiting, 1);
        release.Open();
        ASSERT_TRUE(PumpUntilReplied());
        server.reset();

        EXPECT_EQ(std::vector<int>(ThisGame.Settings, ThisGame.Settings + 200), settings);
        EXPECT_EQ(std::vector<int>(ThisGame.Scores, ThisGame.Scores + 22000), scores);
        if (c.board1.empty()) {
            EXPECT_EQ(ThisGame.Online.NetValid, 0);
            EXPECT_EQ(ThisGame.NetScores[20], 111);
            EXPECT_EQ(Name(20), "Stale");
            EXPECT_EQ(Name(21), "Stale2");
        } else {
            EXPECT_EQ(ThisGame.Online.NetValid, 1);
            for (int r = 0; r < 2; r++) {
                EXPECT_EQ(Name(20 + r), c.board1[r].first);
                EXPECT_EQ(ThisGame.NetScores[20 + r], c.board1[r].second);
            }
        }
    }
    // The silent server was let go by the test, not by its own time limit:
    // the game's call had returned long before.
    EXPECT_TRUE(releasedByTest.load());
}

TEST_F(OnlineScores, OneExchangeAtATimeAndOnlyTheNewestWaits) {
    Gate release;
    LoopbackServer server([&](int fd, const std::string&) {
        release.WaitFor(5000);
        SendAll(fd, HttpReply(Section(1, {{"A", "1"}})));
    });
    SetScoreHost(server.HostPort().c_str());
    ThisGame.Scores[20] = 100;
    Send();
    // The first exchange is under way (the server holds it) before the rest.
    for (int n = 0; n < 1000 && server.Requests().empty(); n++) usleep(5000);
    for (int best = 101; best <= 104; best++) {
        ThisGame.Scores[20] = best;
        Send();
    }
    release.Open();
    ASSERT_TRUE(PumpUntilReplied());
    std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(server.MostAtOnce(), 1);
    EXPECT_NE(MessageOf(requests[0]).find("{100{"), std::string::npos);
    EXPECT_NE(MessageOf(requests[1]).find("{104{"), std::string::npos);
}

TEST_F(OnlineScores, AFinishedGameEntersItsBoard) {
    struct Case {
        const char* name;
        std::vector<int> before;  // 10 ints: best five, last five
        float score;
        std::vector<int> after;
        bool sends;
    };
    Case cases[] = {
        {"zero on an empty board", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, false},
        {"first score", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 500, {500, 0, 0, 0, 0, 500, 0, 0, 0, 0}, true},
        {"middle rank", {1000, 800, 600, 400, 200, 5, 4, 3, 2, 1}, 700, {1000, 800, 700, 600, 400, 700, 5, 4, 3, 2},
         false},
        {"equal lands below", {1000, 800, 600, 400, 200, 5, 4, 3, 2, 1}, 800,
         {1000, 800, 800, 600, 400, 800, 5, 4, 3, 2}, false},
        {"below all five", {1000, 800, 600, 400, 200, 5, 4, 3, 2, 1}, 100, {1000, 800, 600, 400, 200, 100, 5, 4, 3, 2},
         false},
        {"a fraction above the best", {1000, 800, 600, 400, 200, 0, 0, 0, 0, 0}, 1000.5f,
         {1000, 1000, 800, 600, 400, 1000, 0, 0, 0, 0}, true},
    };
    ThisGame.Settings[Setting::LastDifficulty] = 2;
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int i = 0; i < 10; i++) ThisGame.Scores[40 + i] = c.before[i];
        ThisGame.Play.Score = c.score;
        testing::internal::CaptureStdout();
        ThisGame.HandleDefaultScoreboards();
        std::string log = testing::internal::GetCapturedStdout();
        EXPECT_EQ(std::vector<int>(ThisGame.Scores + 40, ThisGame.Scores + 50), c.after);
        EXPECT_EQ(Count(log, "Sending Highscores"), c.sends ? 1 : 0);
        EXPECT_EQ(ThisGame.Scores[20], 0);  // other boards untouched
        PumpUntilReplied();
    }
}

TEST_F(OnlineScores, ThePanelTurnsItsPages) {
    MyGame& g = ThisGame;
    g.Screen.ScoreTimer = g.Screen.ScorePage = g.Screen.ScoreSlide = 0;
    g.PointerDown = 0;
    std::memset(g.KeyLock, 0, sizeof g.KeyLock);
    auto turn = [&g] {
        int page = g.Screen.ScorePage;
        for (int n = 0; n < 301 && g.Screen.ScorePage == page; n++) g.DisplayScoreboard();
        return g.Screen.ScorePage;
    };
    g.Online.NetValid = 0;
    g.DisplayScoreboard();
    EXPECT_EQ(turn(), 1);
    EXPECT_EQ(turn(), 0);  // no online page without online data
    g.Online.NetValid = 1;
    EXPECT_EQ(turn(), 1);
    EXPECT_EQ(turn(), 2);
    EXPECT_EQ(turn(), 0);

    // A held press skips one page, not more.
    g.PointerDown = 1;
    for (int n = 0; n < 40; n++) g.DisplayScoreboard();
    EXPECT_EQ(g.Screen.ScorePage, 1);
    g.PointerDown = 0;
}

// ---- The reference score server ----

namespace {

// name, score pairs of one board from a reply body.
std::vector<std::pair<std::string, int>> BoardOf(const std::string& body, int board) {
    std::vector<std::pair<std::string, int>> out;
    size_t a = body.find(DataMark), b = body.find(EndMark);
    if (a == std::string::npos || b == std::string::npos) return out;
    std::string data = body.substr(a + sizeof DataMark - 1, b - a - (sizeof DataMark - 1));
    std::vector<std::string> f = ReplyFields(data, 200);
    size_t base = 22 * size_t(board - 1);
    for (int r = 0; r < 5 && base + 4 * r + 4 < f.size(); r++)
        if (!f[base + 4 * r + 3].empty()) out.push_back({f[base + 4 * r + 3], ScoreValue(f[base + 4 * r + 4])});
    return out;
}

}  // namespace

// The score messages' own path: these servers rank claims too, as a private
// server started with --accept-unverified does. Each has a folder of its own
// (the save folder is the player's alone).
class ScoreServer : public OnlineScores {
public:
    void SetUp() override {
        OnlineScores::SetUp();
        std::string folder = ::testing::TempDir() + "gobbit-claims-XXXXXX";
        ASSERT_NE(mkdtemp(&folder[0]), nullptr);
        serverDir_ = folder;
        server_ = std::make_unique<ScoreServerProcess>(serverDir_ + "/scores.db", serverDir_ + "/server.log", 0,
                                                       std::vector<std::string>{"--accept-unverified"});
        ASSERT_NE(server_->Port(), 0) << "the score server did not start";
    }
    void TearDown() override {
        server_.reset();
        std::error_code ec;
        std::filesystem::remove_all(serverDir_, ec);
        OnlineScores::TearDown();
    }
    std::string serverDir_;
    std::unique_ptr<ScoreServerProcess> server_;
};

TEST_F(ScoreServer, AGameScoreReachesTheServerAndComesBackOnline) {
    SetScoreHost(("127.0.0.1:" + std::to_string(server_->Port())).c_str());
    // Another player is already on the board.
    std::string body;
    ASSERT_EQ(HttpGet(server_->Port(), TargetFor("ABCDEF{Rival" + std::string(7, ' ') + "{0564{0001{0000{900{900{0{0{0{0{ZARN{"), &body),
              200);

    // This player finishes a game on Easy with a new best.
    SetName("Gobbit-One");
    ThisGame.Settings[Setting::LastDifficulty] = 1;
    ThisGame.Play.Score = 1234.0f;
    testing::internal::CaptureStdout();
    ThisGame.HandleDefaultScoreboards();
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(PumpUntilReplied());

    EXPECT_EQ(ThisGame.Online.NetValid, 1);
    EXPECT_EQ(Name(20), "Gobbit-One");
    EXPECT_EQ(ThisGame.NetScores[20], 1234);
    EXPECT_EQ(Name(21), "Rival");
    EXPECT_EQ(ThisGame.NetScores[21], 900);
    EXPECT_EQ(ThisGame.NetScores[40], 0);

    // The panel now has its "Top Online" page.
    ThisGame.Screen.ScoreTimer = ThisGame.Screen.ScorePage = 0;
    for (int n = 0; n < 3 * 301 && ThisGame.Screen.ScorePage != 2; n++) ThisGame.DisplayScoreboard();
    EXPECT_EQ(ThisGame.Screen.ScorePage, 2);
}

TEST_F(ScoreServer, RejectsEveryMalformedRequestAndStoresNothing) {
    const std::string good = "ABCDEF{Good-Name   {0564{0001{0000{500{400{0{0{0{0{ZARN{";
    struct {
        const char* name;
        std::string target;
    } cases[] = {
        {"other game", "/Scores.php?Game=0565&Score=" + TargetFor(good).substr(28)},
        {"no score", "/Scores.php?Game=0564"},
        {"raw characters the client escapes", "/Scores.php?Game=0564&Score=ab%20cd"},
        {"garbage instead of a message", "/Scores.php?Game=0564&Score=HelloWorld"},
        {"name of 13 characters", TargetFor("ABCDEF{Thirteen-char{0564{0001{0000{500{400{0{0{0{0{ZARN{")},
        {"quote in the name", TargetFor("ABCDEF{Bob'; DROP T{0564{0001{0000{500{400{0{0{0{0{ZARN{")},
        {"placeholder name", TargetFor("ABCDEF{Enter Your Name{0564{0001{0000{500{400{0{0{0{0{ZARN{")},
        {"blank name", TargetFor("ABCDEF{" + std::string(12, ' ') + "{0564{0001{0000{500{400{0{0{0{0{ZARN{")},
        {"lower-case user ID", TargetFor("abcdef{Good-Name   {0564{0001{0000{500{400{0{0{0{0{ZARN{")},
        {"user ID of 19 letters", TargetFor("ABCDEFGHIJKLMNOPQRS{Good-Name   {0564{0001{0000{5{4{0{0{0{0{ZARN{")},
        {"letters in a score", TargetFor("ABCDEF{Good-Name   {0564{0001{0000{5x0{400{0{0{0{0{ZARN{")},
        {"ten-digit score", TargetFor("ABCDEF{Good-Name   {0564{0001{0000{9999999999{1{0{0{0{0{ZARN{")},
        {"negative score", TargetFor("ABCDEF{Good-Name   {0564{0001{0000{-5{1{0{0{0{0{ZARN{")},
        {"missing end", TargetFor("ABCDEF{Good-Name   {0564{0001{0000{500{400{0{0{0{0{")},
        {"a fourth board", TargetFor("ABCDEF{Good-Name   {0564{0001{0000{500{400{0{0{0{0{1{1{ZARN{")},
        {"other game inside", TargetFor("ABCDEF{Good-Name   {0565{0001{0000{500{400{0{0{0{0{ZARN{")},
        {"empty user ID", TargetFor("{Good-Name   {0564{0001{0000{500{400{0{0{0{0{ZARN{")},
    };
    for (auto& c : cases) EXPECT_EQ(HttpGet(server_->Port(), c.target), 400) << c.name;

    // Nothing of those was kept; the good one is, once however often it comes.
    std::string first, second;
    EXPECT_EQ(HttpGet(server_->Port(), TargetFor(good), &first), 200);
    EXPECT_EQ(HttpGet(server_->Port(), TargetFor(good), &second), 200);
    EXPECT_EQ(first, second);
    std::vector<std::pair<std::string, int>> expected = {{"Good-Name", 500}};
    EXPECT_EQ(BoardOf(second, 1), expected);
    EXPECT_TRUE(BoardOf(second, 2).empty());
}

TEST_F(ScoreServer, KeepsEachPlayersBestAndLatestName) {
    auto send = [this](const std::string& user, const std::string& name, int best, std::string* body = nullptr) {
        std::string padded = name + std::string(12 - name.size(), ' ');
        return HttpGet(server_->Port(),
                       TargetFor(user + "{" + padded + "{0564{0001{0000{" + std::to_string(best) +
                                 "{1{0{0{0{0{ZARN{"),
                       body);
    };
    EXPECT_EQ(send("AAA", "x--DROP-tab", 700), 200);
    EXPECT_EQ(send("BBB", "Robert-0R-1-", 300), 200);
    EXPECT_EQ(send("AAA", "Renamed", 200), 200);  // lower than before: best stays
    std::string body;
    EXPECT_EQ(send("CCC", "Third", 300, &body), 200);
    std::vector<std::pair<std::string, int>> expected = {{"Renamed", 700}, {"Robert-0R-1-", 300}, {"Third", 300}};
    EXPECT_EQ(BoardOf(body, 1), expected);
}

// ---- Leaving while an exchange hangs ----

// Run only as the child of the test below: sends scores to a server that
// never answers, then leaves the way the game does, through exit.
TEST(OnlineExit, DISABLED_ChildLeavesWhileTheServerHangs) {
    const char* host = getenv("GOBBIT_TEST_HANG_HOST");
    ASSERT_NE(host, nullptr);
    HttpLimits slow;
    slow.ReceiveMs = 60000;
    slow.TotalMs = 60000;
    SetHttpLimits(slow);
    SetScoreHost(host);
    ThisGame.SetNum(GobbitNumber);
    ThisGame.SetKeyword(GobbitScoreKeyword);
    ThisGame.BoardCount = 3;
    ThisGame.Settings[Setting::OnlineName] = 12;
    ThisGame.SendScores(0);
    EXPECT_EQ(ThisGame.Online.NetWaiting, 1);
}

TEST(OnlineExit, TheProcessLeavesCleanlyWithAnExchangeStillBlocked) {
    Gate release;
    std::atomic<int> connections{0};
    LoopbackServer server([&](int, const std::string&) {
        connections++;
        release.WaitFor(20000);
    });
    std::string host = server.HostPort();
    fflush(stdout);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setenv("GOBBIT_TEST_HANG_HOST", host.c_str(), 1);
        int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, 1);
        execl("/proc/self/exe", "gobbit_tests", "--gtest_also_run_disabled_tests",
              "--gtest_filter=OnlineExit.DISABLED_ChildLeavesWhileTheServerHangs", (char*)nullptr);
        _exit(127);
    }
    int status = -1;
    pid_t done = 0;
    for (int n = 0; n < 2000 && done == 0; n++) {
        done = waitpid(pid, &status, WNOHANG);
        if (done == 0) usleep(10000);
    }
    if (done == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    release.Open();
    EXPECT_EQ(done, pid) << "the child did not leave on its own";
    EXPECT_EQ(connections.load(), 1);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(OnlineScores, TheBrowserGetsTheURLAsOneArgumentWithoutAShell) {
    // A stand-in xdg-open that records its arguments, first on the PATH.
    std::string bin = Path("bin");
    ASSERT_EQ(mkdir(bin.c_str(), 0700), 0);
    std::string script = bin + "/xdg-open";
    FILE* f = fopen(script.c_str(), "w");
    ASSERT_NE(f, nullptr);
    fprintf(f, "#!/bin/sh\nprintf '%%s\\n' \"$#\" \"$@\" > '%s/args'\nexit 3\n", dir_.c_str());
    fclose(f);
    chmod(script.c_str(), 0700);
    std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", (bin + ":" + oldPath).c_str(), 1);

    std::string url = "http://127.0.0.1/x?a=1&b=2;touch '" + dir_ + "/pwned' $(id) `id`";
    int status = ThisGame.OpenBrowser(url.c_str());
    setenv("PATH", oldPath.c_str(), 1);

    EXPECT_EQ(status, 3);
    std::vector<uint8_t> args = ReadBytes("args");
    EXPECT_EQ(std::string(args.begin(), args.end()), "1\n" + url + "\n");
    EXPECT_NE(access(Path("pwned").c_str(), F_OK), 0);
}
