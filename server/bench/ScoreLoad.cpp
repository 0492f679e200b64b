// gobbit_score_load: a bounded load of simulated players against running
// score servers on this machine, then a check of what was stored.
//
//   gobbit_score_load --ports P[,P...] --database DB [--concurrency C]
//       [--requests R] [--seconds S] [--players N] [--hostile PERCENT]
//       [--allow-outage] [--claims]
//
// Each of N players has its own user ID, name and loopback address (127.1.x.y,
// so each meets the server's per-address limits as a real player would).
// By default every request is a finished game the way the game sends one: a
// new best's journal (POST /journal), then the score message. The journals
// are games of ten levels won on Normal, played once by the test solver's
// longest walks and made distinct by a different number of idle updates at
// the start of the eleventh level before the quit: each costs the server a
// ten-level replay. The figure is verified games a second.
//
// --claims sends score messages alone instead, each the player's local score
// table the way the game sends it (the game's launch values, message code,
// scrambler and escapes): a first score, an improvement on one board, or a
// game that set no new best. For a server started with --accept-unverified.
//
// C connections run at once, one request per connection as the game does,
// spread over the ports like a load balancer would. It stops after R
// requests or S seconds, whichever comes first, and prints the rate and the
// latencies.
//
// --hostile mixes that share of malformed, oversized, tampered and
// SQL-looking requests and exact repeats of acknowledged ones into the load;
// the repeats must be answered like any other, the rest refused.
// --allow-outage tolerates refused connections and requests cut off without
// a reply (a server killed and restarted); a wrong reply is still an error.
// A journal answered 503 (the replay queue is full) is sent again a moment
// later, as the game sends it again later; "busy" counts those answers, and
// the latency of a game includes its waits.
//
// Afterwards the tables are read through the server's own store code: every
// acknowledged game (or best) must be there, and nothing the players did not
// send.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "Online.h"
#include "ScoreMessage.h"
#include "ScoreStore.h"
#include "Sha256.h"
#include "persist/Journals.h"
#include "persist/OnlineScores.h"
#include "rules/Match.h"
#include "shell/MyGame.h"
#include "support/RecordedGames.h"

namespace {

using Clock = std::chrono::steady_clock;

// The largest journal the server takes (ScoreService.h).
constexpr std::size_t MaxUploadBytesForLoad = 1u << 20;
// The game's local score table: board b's best at 20 * b, latest at 20 * b + 5.
constexpr int TableInts = 20 * (ServerBoards + 1);
// Bounds whatever the arguments say: no run outlives these.
constexpr int MaxSeconds = 600;
constexpr long MaxRequests = 10000000;

struct Options {
    std::vector<int> Ports;
    std::string Database;
    int Concurrency = 8;
    long Requests = 5000;
    double Seconds = 30;
    int Players = 1000;
    int HostilePercent = 0;
    bool AllowOutage = false;
    bool Claims = false;
};

struct Player {
    std::string User;
    std::string Name;  // 12 characters, as the game sends it
    int Table[TableInts] = {};
    // Every best this player sent per board, and the highest acknowledged.
    std::set<int> Sent[ServerBoards];
    int Acked[ServerBoards] = {};
    std::string LastAcked;  // the target of the last acknowledged request
    std::string Address;    // the loopback address it sends from
    // Journal mode: every game sent (by hash, with its score), and those
    // the server acknowledged.
    std::map<std::string, int> SentGames, AckedGames;
    std::string LastJournal;  // the bytes of the last acknowledged journal
};

struct Tally {
    std::vector<double> LatencyMs;
    long Stored = 0, Repeats = 0, HostileRefused = 0, Refused = 0, Unanswered = 0, Errors = 0, Busy = 0;
};

// The request target for a plain message, scrambled and escaped the way the
// game does it, with the values the game launches with (SetLaunchValues).
std::string TargetOf(const std::string& message) {
    char head[64];
    std::snprintf(head, sizeof head, "/Scores.php?Game=%04d&Score=", ThisGame.GameNum);
    return head + EscapeURLData(ThisGame.ScrambleTxt(message));
}

// A player's message as the game builds it.
std::string MessageOf(const std::string& user, const std::string& name, const int* table) {
    return ScoreMessageText(user, name, ThisGame.GameNum, ThisGame.GameVersion, 0, table, ThisGame.BoardCount);
}

// Letters only, as the game's user IDs are; unique per run and player.
std::string UserId(unsigned run, int player) {
    std::string id = "L";
    for (unsigned v = run, i = 0; i < 5; i++, v /= 26) id += char('A' + v % 26);
    for (int v = player, i = 0; i < 4; i++, v /= 26) id += char('A' + v % 26);
    return id;
}

std::string NameOf(int player) {
    char n[24];  // room for any int, so no name is ever cut short
    std::snprintf(n, sizeof n, "Load-%-7d", player);
    return n;
}

// 127.1.0.0 and on: an address of its own for each player.
std::string PlayerAddress(int player) {
    unsigned a = 0x7f010000u + unsigned(player);
    return std::to_string(a >> 24) + "." + std::to_string((a >> 16) & 255) + "." + std::to_string((a >> 8) & 255) +
           "." + std::to_string(a & 255);
}

// Status of one request from the player's address (a POST when body is
// given), or 0 when the server could not be reached (refused is set) or did
// not answer properly.
int Request(const std::string& from, int port, const std::string& target, const std::string* post, std::string& body,
            bool& refused) {
    refused = false;
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in me = {};
    me.sin_family = AF_INET;
    inet_pton(AF_INET, from.c_str(), &me.sin_addr);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(uint16_t(port));
    timeval tv = {10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    if (bind(fd, reinterpret_cast<sockaddr*>(&me), sizeof me) != 0 ||
        connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        refused = true;
        close(fd);
        return 0;
    }
    std::string request = std::string(post ? "POST " : "GET ") + target +
                          " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
    if (post) request += "Content-Length: " + std::to_string(post->size()) + "\r\n";
    request += "\r\n";
    if (post) request += *post;
    std::size_t sent = 0;
    while (sent < request.size()) {
        ssize_t n = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += std::size_t(n);
    }
    std::string reply;
    char buf[8192];
    for (;;) {
        ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0) break;
        reply.append(buf, std::size_t(n));
    }
    close(fd);
    if (reply.compare(0, 9, "HTTP/1.1 ") != 0) return 0;
    std::size_t split = reply.find("\r\n\r\n");
    body = split == std::string::npos ? std::string() : reply.substr(split + 4);
    return std::atoi(reply.c_str() + 9);
}

bool HasData(const std::string& body) {
    return body.find("[-\r\nData-]OnlineScores{") != std::string::npos && body.find("[-\r\nEnd-]") != std::string::npos;
}

// A request the server must refuse, of one of several kinds.
// Counts a request that was refused or got no reply; for one that was
// answered, keeps its latency and says so.
bool Answered(Tally& t, bool refused, int status, Clock::time_point sent) {
    if (refused) {
        t.Refused++;
        return false;
    }
    if (status == 0) {
        t.Unanswered++;
        return false;
    }
    t.LatencyMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
    return true;
}

std::string HostileTarget(std::mt19937& rng, const Player& p) {
    switch (rng() % 5) {
    case 0: return "/Scores.php?Game=0564&Score=" + std::string(9000, 'A');  // past the header cap
    case 1: return "/Scores.php?Game=0564&Score=*!C!*OR*!U!*1=1;DROP*!U!*TABLE*!U!*scores;--";
    case 2: {
        // Well scrambled, but the name is SQL the game can never send.
        int scores[TableInts] = {};
        scores[20] = 999999;
        return TargetOf(MessageOf(p.User, "x'; DROP TAB", scores));
    }
    case 3: return "/Scores.php?Game=0564&Score=" + EscapeURLData(std::string(40, '{'));
    default: {
        // A real message cut short.
        std::string t = TargetOf(MessageOf(p.User, p.Name, p.Table));
        return t.substr(0, t.size() / 2);
    }
    }
}

// Ten-level games, each distinct: one game of ten levels won on Normal,
// replayed here to its end, then for each new game one more idle update at
// the start of the eleventh level and a quit. Taking the game as it stands
// is what Match::End does (a last checkpoint, the ending, the score), done
// here on a copy of the journal so the match goes on.
class TenLevelGames {
public:
    TenLevelGames() : match_(stream_) {
        // The game's log of the levels it builds stays out of the figures.
        std::fflush(stdout);
        int out = dup(1), quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
        dup2(quiet, 1);
        Journal base = PlayScriptedGame({2, 10, 10, 0, 20000});
        std::fflush(stdout);
        dup2(out, 1);
        close(out);
        close(quiet);
        levels_ = base.Checkpoints.empty() ? 0 : base.Checkpoints.back().Level - 1;
        match_.Start(base.Difficulty);
        JournalCursor cursor(base);
        for (std::uint8_t code; cursor.Next(code);) match_.Update(Controls::FromCode(code));
    }
    int Levels() const { return levels_; }
    // The next game's journal and its score.
    std::string Next(int& score) {
        std::lock_guard<std::mutex> guard(lock_);
        match_.Update(Controls{});
        Journal j = match_.Record;
        j.Checkpoints.push_back(match_.CheckpointNow());
        j.Ending = Ending::Quit;
        j.Score = std::int32_t(match_.Play.Score);
        score = j.Score;
        std::vector<std::uint8_t> bytes = EncodeJournal(j);
        return std::string(bytes.begin(), bytes.end());
    }

private:
    SeededRandom stream_;
    Match match_;
    int levels_ = 0;
    std::mutex lock_;
};

std::string JournalTargetOf(const Player& p) {
    return "/" + JournalUploadPath(ThisGame.GameNum, p.User, p.Name);
}

bool Verified(const std::string& body) { return body.compare(0, 8, "verified") == 0; }

// A journal the server must refuse, of one of several kinds, or (repeat)
// an acknowledged one sent again by its player or under another player.
std::string HostileJournal(std::mt19937& rng, TenLevelGames& games, std::string& target, const Player& p) {
    int score = 0;
    target = JournalTargetOf(p);
    switch (rng() % 4) {
    case 0: return "GobJ" + std::string(rng() % 200, char(rng()));  // noise
    case 1: return std::string(MaxUploadBytesForLoad + 1, 'J');     // past the size cap
    case 2: {
        // A real game whose claimed score is raised: the replay says no.
        std::string bytes = games.Next(score);
        Journal j;
        std::string error;
        DecodeJournal(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), j, error);
        j.Score += 100;
        std::vector<std::uint8_t> raised = EncodeJournal(j);
        return std::string(raised.begin(), raised.end());
    }
    default: {
        // An SQL-looking name the server must refuse.
        target = "/journal?game=0564&user=" + p.User + "&name=x'%3B%20DROP%20TABLE%20journals";
        return games.Next(score);
    }
    }
}

// One connection's share of a journal run: each request is a finished game
// of one of its players, its journal then its score message.
void DriveGames(const Options& o, int slot, std::vector<Player>& players, TenLevelGames& games,
                std::atomic<long>& budget, Clock::time_point stop, Tally& t) {
    std::mt19937 rng(unsigned(slot) * 7919u + 17u);
    std::vector<int> mine;
    for (int p = slot; p < int(players.size()); p += o.Concurrency) mine.push_back(p);
    if (mine.empty()) return;
    for (long n = 0; budget.fetch_sub(1) > 0 && Clock::now() < stop; n++) {
        Player& p = players[std::size_t(mine[std::size_t(rng() % mine.size())])];
        int port = o.Ports[std::size_t(n + slot) % o.Ports.size()];
        bool hostile = o.HostilePercent > 0 && int(rng() % 100) < o.HostilePercent;
        bool repeat = hostile && !p.LastJournal.empty() && rng() % 2 == 0;
        // A repeat under another player is refused; by its own, answered again.
        bool stolen = repeat && rng() % 2 == 0;

        std::string target = JournalTargetOf(p), journal, hash;
        int score = 0;
        if (repeat) {
            journal = p.LastJournal;
            if (stolen) target = JournalTargetOf(players[std::size_t(mine[std::size_t(rng() % mine.size())])]);
            if (target == JournalTargetOf(p)) stolen = false;
        } else if (hostile) {
            journal = HostileJournal(rng, games, target, p);
        } else {
            journal = games.Next(score);
            hash = Sha256Hex(journal.data(), journal.size());
            p.SentGames[hash] = score;
        }

        std::string body;
        bool refused = false;
        auto t0 = Clock::now();
        int status = Request(p.Address, port, target, &journal, body, refused);
        // A full replay queue: the game keeps the journal and sends it again
        // later; here, a moment later.
        for (int again = 0; status == 503 && again < 50 && Clock::now() < stop; again++) {
            t.Busy++;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            status = Request(p.Address, port, target, &journal, body, refused);
        }
        if (!Answered(t, refused, status, t0)) continue;
        if (hostile && !(repeat && !stolen)) {
            if (status >= 400 && status < 500) t.HostileRefused++;
            else t.Errors++;
            continue;
        }
        if (status != 200 || !Verified(body)) {
            t.Errors++;
            if (t.Errors <= 3) std::printf("unexpected reply %d: %s", status, body.c_str());
            continue;
        }
        if (repeat) {
            t.Repeats++;
            continue;
        }
        t.Stored++;
        p.AckedGames[hash] = score;
        p.LastJournal = journal;
        // Then the score message, as the game sends it after the journal.
        p.Table[40] = std::max(p.Table[40], score);
        p.Table[45] = score;
        std::string tables;
        int got = Request(p.Address, port, TargetOf(MessageOf(p.User, p.Name, p.Table)), nullptr, tables, refused);
        if (got != 200 && !(o.AllowOutage && got == 0)) t.Errors++;
    }
}

// One connection's share of the run: the players whose number is its own
// modulo the concurrency, so each player's requests stay in order.
void Drive(const Options& o, int slot, std::vector<Player>& players, std::atomic<long>& budget, Clock::time_point stop,
           Tally& t) {
    std::mt19937 rng(unsigned(slot) * 7919u + 17u);
    std::vector<int> mine;
    for (int p = slot; p < int(players.size()); p += o.Concurrency) mine.push_back(p);
    if (mine.empty()) return;
    for (long n = 0; budget.fetch_sub(1) > 0 && Clock::now() < stop; n++) {
        Player& p = players[std::size_t(mine[std::size_t(rng() % mine.size())])];
        int port = o.Ports[std::size_t(n + slot) % o.Ports.size()];
        bool hostile = o.HostilePercent > 0 && int(rng() % 100) < o.HostilePercent;
        bool repeat = hostile && !p.LastAcked.empty() && rng() % 2 == 0;

        std::string target;
        int improved[ServerBoards] = {};
        if (repeat) {
            target = p.LastAcked;
        } else if (hostile) {
            target = HostileTarget(rng, p);
        } else {
            // A finished game on one board: a new best (always the first
            // time), or a game below the best that only changes the latest.
            int b = int(rng() % ServerBoards) + 1;
            int& best = p.Table[20 * b];
            int score = int(rng() % 100000) + 1;
            if (best == 0 || rng() % 2 == 0) {
                best += score;
                p.Table[20 * b + 5] = best;
            } else {
                p.Table[20 * b + 5] = std::max(1, best - score);
            }
            for (int k = 0; k < ServerBoards; k++) {
                improved[k] = p.Table[20 * (k + 1)];
                if (improved[k] > 0) p.Sent[k].insert(improved[k]);
            }
            target = TargetOf(MessageOf(p.User, p.Name, p.Table));
        }

        std::string body;
        bool refused = false;
        auto t0 = Clock::now();
        int status = Request(p.Address, port, target, nullptr, body, refused);
        if (!Answered(t, refused, status, t0)) continue;
        if (hostile && !repeat) {
            if (status >= 400 && status < 500) t.HostileRefused++;
            else t.Errors++;
        } else if (status == 200 && HasData(body)) {
            if (repeat) {
                t.Repeats++;
            } else {
                t.Stored++;
                p.LastAcked = target;
                for (int k = 0; k < ServerBoards; k++) p.Acked[k] = std::max(p.Acked[k], improved[k]);
            }
        } else {
            t.Errors++;
        }
    }
}

double Percentile(std::vector<double>& v, double q) {
    if (v.empty()) return 0;
    std::size_t k = std::min(v.size() - 1, std::size_t(q * double(v.size() - 1) + 0.5));
    std::nth_element(v.begin(), v.begin() + long(k), v.end());
    return v[k];
}

// Every acknowledged best is stored (or a higher one this player sent), and
// there is no row this run's players never sent.
bool Check(const Options& o, const std::vector<Player>& players, unsigned run) {
    std::string why;
    std::unique_ptr<ScoreStore> store = OpenScoreStore(o.Database, 1, why);
    std::vector<StoredScore> rows;
    if (!store || !store->All(rows)) {
        std::printf("check: cannot read the table: %s\n", why.c_str());
        return false;
    }
    std::map<std::string, const Player*> byUser;
    for (const Player& p : players) byUser[p.User] = &p;
    std::map<std::pair<std::string, int>, int> stored;
    long problems = 0, ours = 0;
    std::string prefix = UserId(run, 0).substr(0, 6);
    for (const StoredScore& r : rows) {
        if (r.User.compare(0, prefix.size(), prefix) != 0) continue;  // another run's
        ours++;
        auto it = byUser.find(r.User);
        bool sent = it != byUser.end() && r.Board >= 1 && r.Board <= ServerBoards &&
                    it->second->Sent[r.Board - 1].count(r.Best) && r.Name == it->second->Name.substr(0, it->second->Name.find_last_not_of(' ') + 1);
        if (!sent && problems++ < 5)
            std::printf("check: unexpected row board %d user %s name \"%s\" best %d\n", r.Board, r.User.c_str(),
                        r.Name.c_str(), r.Best);
        stored[{r.User, r.Board}] = r.Best;
    }
    for (const Player& p : players)
        for (int k = 0; k < ServerBoards; k++) {
            if (p.Acked[k] == 0) continue;
            auto it = stored.find({p.User, k + 1});
            int have = it == stored.end() ? 0 : it->second;
            if (have < p.Acked[k] && problems++ < 10)
                std::printf("check: user %s board %d acknowledged %d but holds %d\n", p.User.c_str(), k + 1, p.Acked[k],
                            have);
        }
    std::printf("check: %ld rows of this run; %s\n", ours,
                problems ? "FAILED" : "every acknowledged best is stored, and nothing else");
    return problems == 0;
}

// Every acknowledged game is stored under its player with the score the
// player's game had, and nothing is stored for this run's players that
// they did not send.
bool CheckGames(const Options& o, const std::vector<Player>& players, unsigned run) {
    std::string why;
    std::unique_ptr<ScoreStore> store = OpenScoreStore(o.Database, 1, why);
    std::vector<VerifiedGame> rows;
    if (!store || !store->AllVerified(rows)) {
        std::printf("check: cannot read the journals: %s\n", why.c_str());
        return false;
    }
    std::map<std::string, const Player*> byUser;
    for (const Player& p : players) byUser[p.User] = &p;
    std::map<std::string, const VerifiedGame*> byHash;
    long problems = 0, ours = 0;
    std::string prefix = UserId(run, 0).substr(0, 6);
    for (const VerifiedGame& r : rows) {
        if (r.User.compare(0, prefix.size(), prefix) != 0) continue;  // another run's
        ours++;
        byHash[r.Hash] = &r;
        auto it = byUser.find(r.User);
        auto sent = it == byUser.end() ? nullptr : &it->second->SentGames;
        bool fine = sent && sent->count(r.Hash) && sent->at(r.Hash) == r.Score && r.Board == 2;
        if (!fine && problems++ < 5)
            std::printf("check: unexpected game of %s, score %d, board %d\n", r.User.c_str(), r.Score, r.Board);
    }
    long acked = 0;
    for (const Player& p : players)
        for (const auto& [hash, score] : p.AckedGames) {
            acked++;
            auto it = byHash.find(hash);
            if ((it == byHash.end() || it->second->User != p.User) && problems++ < 10)
                std::printf("check: user %s's acknowledged game %s (score %d) is not stored\n", p.User.c_str(),
                            hash.substr(0, 12).c_str(), score);
        }
    std::printf("check: %ld games of this run stored, %ld acknowledged; %s\n", ours, acked,
                problems ? "FAILED" : "every acknowledged game is stored, and nothing else");
    return problems == 0;
}

bool ParseArgs(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "--allow-outage") {
            o.AllowOutage = true;
            continue;
        }
        if (a == "--claims") {
            o.Claims = true;
            continue;
        }
        if (!v) return false;
        i++;
        if (a == "--ports") {
            for (const char* s = v; *s;) {
                char* end = nullptr;
                long p = std::strtol(s, &end, 10);
                if (end == s || p <= 0 || p > 65535) return false;
                o.Ports.push_back(int(p));
                s = *end == ',' ? end + 1 : end;
            }
        } else if (a == "--database") {
            o.Database = v;
        } else if (a == "--concurrency") {
            o.Concurrency = std::atoi(v);
        } else if (a == "--requests") {
            o.Requests = std::atol(v);
        } else if (a == "--seconds") {
            o.Seconds = std::atof(v);
        } else if (a == "--players") {
            o.Players = std::atoi(v);
        } else if (a == "--hostile") {
            o.HostilePercent = std::atoi(v);
        } else {
            return false;
        }
    }
    return !o.Ports.empty() && !o.Database.empty() && o.Concurrency >= 1 && o.Concurrency <= 1024 &&
           o.Requests >= 1 && o.Requests <= MaxRequests && o.Seconds > 0 && o.Seconds <= MaxSeconds &&
           o.Players >= o.Concurrency && o.Players <= 1000000 && o.HostilePercent >= 0 && o.HostilePercent <= 90;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseArgs(argc, argv, o)) {
        std::fprintf(stderr,
                     "usage: %s --ports P[,P...] --database DB [--concurrency C (8)] [--requests R (5000)]\n"
                     "       [--seconds S (30, at most %d)] [--players N (1000)] [--hostile PERCENT]"
                     " [--allow-outage] [--claims]\n",
                     argv[0], MaxSeconds);
        return 2;
    }
    // The game's own number, version, board count and score keyword.
    ThisGame.SetLaunchValues();
    if (ThisGame.BoardCount != ServerBoards) {
        std::fprintf(stderr, "the game sends %d boards, the server keeps %d\n", ThisGame.BoardCount, ServerBoards);
        return 1;
    }
    // Tells this run's rows from those of earlier runs on the same table.
    unsigned run = unsigned(std::chrono::system_clock::now().time_since_epoch().count() / 1000) ^ unsigned(getpid());
    std::vector<Player> players(std::size_t(o.Players));
    for (int i = 0; i < o.Players; i++) {
        players[std::size_t(i)].User = UserId(run, i);
        players[std::size_t(i)].Name = NameOf(i);
        players[std::size_t(i)].Address = PlayerAddress(i);
    }
    std::unique_ptr<TenLevelGames> games;
    if (!o.Claims) {
        games = std::make_unique<TenLevelGames>();
        if (games->Levels() != 10) {
            std::fprintf(stderr, "the ten-level game won %d levels\n", games->Levels());
            return 1;
        }
    }

    std::atomic<long> budget{o.Requests};
    std::vector<Tally> tallies(std::size_t(o.Concurrency));
    auto start = Clock::now();
    auto stop = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(o.Seconds));
    std::vector<std::thread> threads;
    for (int c = 0; c < o.Concurrency; c++) {
        if (o.Claims)
            threads.emplace_back(Drive, std::cref(o), c, std::ref(players), std::ref(budget), stop,
                                 std::ref(tallies[std::size_t(c)]));
        else
            threads.emplace_back(DriveGames, std::cref(o), c, std::ref(players), std::ref(*games), std::ref(budget),
                                 stop, std::ref(tallies[std::size_t(c)]));
    }
    for (std::thread& t : threads) t.join();
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();

    Tally all;
    for (Tally& t : tallies) {
        all.LatencyMs.insert(all.LatencyMs.end(), t.LatencyMs.begin(), t.LatencyMs.end());
        all.Stored += t.Stored;
        all.Repeats += t.Repeats;
        all.HostileRefused += t.HostileRefused;
        all.Refused += t.Refused;
        all.Unanswered += t.Unanswered;
        all.Errors += t.Errors;
        all.Busy += t.Busy;
    }
    double median = Percentile(all.LatencyMs, 0.5), p99 = Percentile(all.LatencyMs, 0.99);
    double most = all.LatencyMs.empty() ? 0 : *std::max_element(all.LatencyMs.begin(), all.LatencyMs.end());
    const char* what = o.Claims ? "stored" : "verified";
    std::printf("concurrency %d, %zu port(s): %ld %s in %.2f s = %.1f %s/s; latency median %.1f ms, "
                "p99 %.1f ms, max %.1f ms; errors %ld; refused connections %ld; unanswered %ld; hostile refused %ld; "
                "repeats %ld; busy %ld\n",
                o.Concurrency, o.Ports.size(), all.Stored, what, seconds, double(all.Stored) / seconds, what, median,
                p99, most, all.Errors, all.Refused, all.Unanswered, all.HostileRefused, all.Repeats, all.Busy);
    std::fflush(stdout);
    bool ok = o.Claims ? Check(o, players, run) : CheckGames(o, players, run);
    if (all.Errors > 0 || (all.Refused + all.Unanswered > 0 && !o.AllowOutage) || all.Stored == 0) ok = false;
    return ok ? 0 : 1;
}
