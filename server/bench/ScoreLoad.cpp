// gobbit_score_load: a bounded load of simulated players against running
// score servers on this machine, then a check of the stored table.
//
//   gobbit_score_load --ports P[,P...] --database DB [--concurrency C]
//       [--requests R] [--seconds S] [--players N] [--hostile PERCENT]
//       [--allow-outage]
//
// Each of N players has its own user ID and name and keeps its own local
// score table; every request is that table sent the way the game sends it
// (the game's launch values, message code, scrambler and escapes): a first score, an
// improvement on one board, or a game that set no new best. C connections
// run at once, one request per connection as the game does, spread over the
// ports like a load balancer would. It stops after R requests or S seconds,
// whichever comes first, and prints the stored rate and the latencies.
//
// --hostile mixes that share of malformed, oversized and SQL-looking
// requests and exact repeats of acknowledged messages into the load; the
// first three must be refused, repeats must be answered like any score.
// --allow-outage tolerates refused connections and requests cut off without
// a reply (a server killed and restarted); a wrong reply is still an error.
//
// Afterwards the table is read through the server's own store code: every
// acknowledged best must be there, and nothing the players did not send.
#include <arpa/inet.h>
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
#include "persist/OnlineScores.h"
#include "shell/MyGame.h"

namespace {

using Clock = std::chrono::steady_clock;

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
};

struct Player {
    std::string User;
    std::string Name;  // 12 characters, as the game sends it
    int Table[TableInts] = {};
    // Every best this player sent per board, and the highest acknowledged.
    std::set<int> Sent[ServerBoards];
    int Acked[ServerBoards] = {};
    std::string LastAcked;  // the target of the last acknowledged request
};

struct Tally {
    std::vector<double> LatencyMs;
    long Stored = 0, Repeats = 0, HostileRefused = 0, Refused = 0, Unanswered = 0, Errors = 0;
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

// Status of one GET, or 0 when the server could not be reached (refused is
// set) or did not answer properly.
int Get(int port, const std::string& target, std::string& body, bool& refused) {
    refused = false;
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(uint16_t(port));
    timeval tv = {10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        refused = true;
        close(fd);
        return 0;
    }
    std::string request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
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
        int status = Get(port, target, body, refused);
        double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        if (refused) {
            t.Refused++;
            continue;
        }
        if (status == 0) {
            t.Unanswered++;
            continue;
        }
        t.LatencyMs.push_back(ms);
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

bool ParseArgs(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "--allow-outage") {
            o.AllowOutage = true;
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
                     " [--allow-outage]\n",
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
    }

    std::atomic<long> budget{o.Requests};
    std::vector<Tally> tallies(std::size_t(o.Concurrency));
    auto start = Clock::now();
    auto stop = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(o.Seconds));
    std::vector<std::thread> threads;
    for (int c = 0; c < o.Concurrency; c++)
        threads.emplace_back(Drive, std::cref(o), c, std::ref(players), std::ref(budget), stop,
                             std::ref(tallies[std::size_t(c)]));
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
    }
    double median = Percentile(all.LatencyMs, 0.5), p99 = Percentile(all.LatencyMs, 0.99);
    double most = all.LatencyMs.empty() ? 0 : *std::max_element(all.LatencyMs.begin(), all.LatencyMs.end());
    std::printf("concurrency %d, %zu port(s): %ld stored in %.2f s = %.0f stored/s; latency median %.1f ms, "
                "p99 %.1f ms, max %.1f ms; errors %ld; refused connections %ld; unanswered %ld; hostile refused %ld; "
                "repeats %ld\n",
                o.Concurrency, o.Ports.size(), all.Stored, seconds, double(all.Stored) / seconds, median, p99, most,
                all.Errors, all.Refused, all.Unanswered, all.HostileRefused, all.Repeats);
    std::fflush(stdout);
    bool ok = Check(o, players, run);
    if (all.Errors > 0 || (all.Refused + all.Unanswered > 0 && !o.AllowOutage) || all.Stored == 0) ok = false;
    return ok ? 0 : 1;
}
