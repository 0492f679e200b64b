// The journal of each new best goes to the score server ahead of the score
// message, and stays in the save folder until the server has answered for
// it: a final answer lets it go, anything else keeps it for the next send,
// at the latest the next start. Every server here listens on 127.0.0.1.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <mutex>
#include <filesystem>
#include <string>
#include <vector>

#include "persist/Journals.h"
#include "persist/OnlineScores.h"
#include "persist/SaveFormat.h"
#include "shell/MyGame.h"
#include "support/LoopbackServer.h"
#include "support/PersistFixture.h"
#include "support/RecordedGames.h"

namespace {

const std::string Tables = "[-\r\nData-]OnlineScores{1{Someone{5{1{-{[-\r\nEnd-]";

// Answers each journal with the status the test chooses (the next of
// Statuses while there are any, then JournalStatus; after the gate opens,
// when one is set) and each score message with a table.
class FakeScoreServer {
public:
    std::atomic<int> JournalStatus{200};
    std::vector<int> Statuses;
    std::mutex Lock;
    Gate* HoldJournals = nullptr;
    LoopbackServer Server{[this](int fd, const std::string& request) {
        if (request.compare(0, 5, "POST ") == 0) {
            if (HoldJournals) HoldJournals->WaitFor(10000);
            int status = JournalStatus.load();
            {
                std::lock_guard<std::mutex> guard(Lock);
                if (!Statuses.empty()) {
                    status = Statuses.front();
                    Statuses.erase(Statuses.begin());
                }
            }
            SendAll(fd, "HTTP/1.1 " + std::to_string(status) +
                            " Whatever\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        } else {
            SendAll(fd, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + Tables);
        }
    }};
    // The journal bodies received, and each request's first line, in order.
    std::vector<std::string> Lines() {
        std::vector<std::string> lines;
        for (const std::string& r : Server.Requests()) lines.push_back(r.substr(0, r.find("\r\n")));
        return lines;
    }
    std::string Body(std::size_t i) {
        std::string r = Server.Requests().at(i);
        return r.substr(r.find("\r\n\r\n") + 4);
    }
};

class JournalUpload : public PersistTest {
public:
    void SetUp() override {
        PersistTest::SetUp();
        SetUser(20251210, 134501, 75234321);
        SetName("Journal-One");
        ThisGame.Settings[Setting::LastDifficulty] = 1;
        // The ID as letters, as the score message carries it.
        std::string user;
        for (char c : ThisGame.SixDigitString(20251210, 134501, 75234321))
            if (c != ' ') user += c;
        JournalLine = "POST /journal?game=0564&user=" + user + "&name=Journal-One HTTP/1.1";
    }
    // A game on Easy played to a new best, entered as the game enters it
    // when play returns to the title.
    std::string NewBest(std::uint32_t quitAt) {
        testing::internal::CaptureStdout();
        const Journal j = PlayScriptedGame({1, 0, -1, quitAt, 0});
        ThisGame.HandleDefaultScoreboards();
        log_ += testing::internal::GetCapturedStdout();
        EXPECT_EQ(ThisGame.Scores[20], j.Score) << "not a new best";
        std::vector<std::uint8_t> bytes = EncodeJournal(j);
        return std::string(bytes.begin(), bytes.end());
    }
    bool Pump() {
        testing::internal::CaptureStdout();
        bool done = PumpUntilReplied();
        FinishReplacements(10000);
        log_ += testing::internal::GetCapturedStdout();
        return done;
    }
    bool Unsent() const { return std::filesystem::exists(Path(UnsentJournalName(1))); }
    std::string log_;
    std::string JournalLine;
};

}  // namespace

TEST_F(JournalUpload, TheJournalGoesAheadOfTheMessageAndStaysUntilTheServerHasAnswered) {
    FakeScoreServer fake;
    SetScoreHost(fake.Server.HostPort().c_str());
    fake.JournalStatus = 503;
    const std::string journal = NewBest(600);
    ASSERT_TRUE(Pump());
    std::vector<std::string> lines = fake.Lines();
    ASSERT_EQ(lines.size(), 2u) << log_;
    EXPECT_EQ(lines[0], JournalLine);
    EXPECT_EQ(lines[1].compare(0, 32, "GET /Scores.php?Game=0564&Score="), 0) << lines[1];
    EXPECT_EQ(fake.Body(0), journal);
    EXPECT_EQ(ReadBytes(JournalFileName(1)), std::vector<std::uint8_t>(journal.begin(), journal.end()));
    EXPECT_TRUE(Unsent()) << "a busy server's journal was dropped";
    EXPECT_EQ(ThisGame.Online.NetValid, 1) << "the score message's reply was not read";

    // The options screen closed: the next send carries it again, and the
    // server's verdict lets it go.
    fake.JournalStatus = 200;
    ThisGame.SendScores(0);
    ASSERT_TRUE(Pump());
    lines = fake.Lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], JournalLine);
    EXPECT_EQ(fake.Body(2), journal);
    EXPECT_FALSE(Unsent());
    EXPECT_NE(log_.find("Journal of the best Easy game verified by the score server"), std::string::npos) << log_;

    // Nothing is left to send.
    ThisGame.SendScores(0);
    ASSERT_TRUE(Pump());
    EXPECT_EQ(fake.Lines().size(), 5u);
}

TEST_F(JournalUpload, AJournalNotAnsweredForIsSentAtTheNextStart) {
    // The server is away while the best is made.
    const std::string journal = NewBest(620);
    ASSERT_TRUE(Pump());
    ASSERT_TRUE(Unsent());
    SaveAll();

    // The next start: the state a fresh process has, then the files loaded
    // as launch loads them, which sends the scores.
    FakeScoreServer fake;
    SetScoreHost(fake.Server.HostPort().c_str());
    MyGame& g = ThisGame;
    g.Online.UnsentRead = false;
    for (std::string& j : g.Online.UnsentJournal) j.clear();
    g.InstallDefaults();
    for (int& v : g.Scores) v = 0;
    testing::internal::CaptureStdout();
    g.Load();
    g.SendScores(0);  // as launch does
    log_ += testing::internal::GetCapturedStdout();
    ASSERT_TRUE(Pump());
    std::vector<std::string> lines = fake.Lines();
    ASSERT_EQ(lines.size(), 2u) << log_;
    EXPECT_EQ(lines[0], JournalLine);
    EXPECT_EQ(fake.Body(0), journal);
    EXPECT_FALSE(Unsent());
}

TEST_F(JournalUpload, OnlyAFinalAnswerLetsTheJournalGo) {
    FakeScoreServer fake;
    SetScoreHost(fake.Server.HostPort().c_str());
    struct {
        int status;
        bool kept;
    } cases[] = {
        {200, false},  // verified, or stored before
        {400, false},  // never replayable
        {409, false},  // another version, or another player's
        {413, false},  // too large to take
        {422, false},  // the replay differs
        {429, true},   // too many from this address just now
        {500, true},
        {503, true},   // busy
        {404, true},   // a server that takes no journals (yet)
    };
    std::uint32_t quitAt = 640;
    for (auto& c : cases) {
        for (int& v : ThisGame.Scores) v = 0;
        fake.JournalStatus = c.status;
        NewBest(quitAt++);
        ASSERT_TRUE(Pump());
        EXPECT_EQ(Unsent(), c.kept) << c.status;
    }
    // Without an online name nothing is sent, and the journal is kept.
    std::size_t before = fake.Lines().size();
    for (int& v : ThisGame.Scores) v = 0;
    for (int i = 50; i <= 55; i++) ThisGame.Settings[i] = 0;
    NewBest(quitAt);
    ASSERT_TRUE(Pump());
    EXPECT_EQ(fake.Lines().size(), before);
    EXPECT_TRUE(Unsent());
}

TEST_F(JournalUpload, ANewerBestMadeWhileTheOlderIsOnItsWayStaysToBeSent) {
    FakeScoreServer fake;
    Gate hold;
    fake.HoldJournals = &hold;
    // The older journal is verified; the newer one meets a busy server.
    fake.Statuses = {200, 503};
    fake.JournalStatus = 200;
    SetScoreHost(fake.Server.HostPort().c_str());
    const std::string older = NewBest(600);
    // While the server holds the older journal, a better game ends.
    for (int n = 0; n < 400 && fake.Server.Requests().empty(); n++) usleep(5000);
    for (int& v : ThisGame.Scores) v = 0;
    const std::string newer = NewBest(900);
    ASSERT_NE(older, newer);
    hold.Open();
    ASSERT_TRUE(Pump());
    EXPECT_EQ(fake.Body(0), older);
    EXPECT_TRUE(Unsent()) << "the newer best's journal went with the older one's answer";
    EXPECT_EQ(ReadBytes(UnsentJournalName(1)), std::vector<std::uint8_t>(newer.begin(), newer.end()));
    // Its own verdict lets it go.
    ThisGame.SendScores(0);
    ASSERT_TRUE(Pump());
    EXPECT_FALSE(Unsent());
    const std::size_t last = fake.Server.Requests().size() - 2;
    EXPECT_EQ(fake.Body(last), newer);
}
