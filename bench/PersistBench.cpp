// How long the game's thread is held by the save writer and by the score
// exchange. Each must stay well inside one 16 ms update.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "persist/OnlineScores.h"
#include "persist/SaveFormat.h"
#include "shell/MyGame.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void PrepareGame(const std::string& home) {
    MyGame& g = ThisGame;
    std::snprintf(g.home, sizeof g.home, "%s", home.c_str());
    g.SetLaunchValues();
    g.Settings[Setting::UserIdDate] = 20251210;
    g.Settings[Setting::UserIdTime] = 134501;
    g.Settings[Setting::UserIdRandom] = 75234321;
    g.Settings[Setting::OnlineName] = 12 | 13 << 8;  // a name, so scores are sent
    // Every score non-zero: the checksum runs for each one.
    for (int i = 0; i < 22000; i++) g.Scores[i] = 1000 + i;
}

// One update's worth of saving: the longest single SaveBit step of a whole
// save, written to a real folder and put in place with fsync and rename.
void BM_SaveBitLongestStep(benchmark::State& state) {
    char tmpl[] = "/tmp/gobbit-bench-XXXXXX";
    if (!mkdtemp(tmpl)) {
        state.SkipWithError("no temporary folder");
        return;
    }
    PrepareGame(tmpl);
    double longest = 0, total = 0;
    int steps = 0, longestAt = 0;
    for (auto _ : state) {
        ThisGame.Save();
        while (ThisGame.Saving.SavePending) {
            int step = ThisGame.Saving.SavePending + 1;
            Clock::time_point t0 = Clock::now();
            ThisGame.SaveBit();
            double ms = Ms(Clock::now() - t0);
            if (ms > longest) longest = ms, longestAt = step;
            total += ms;
            steps++;
        }
    }
    state.counters["longest_step_ms"] = longest;
    state.counters["longest_was_step"] = longestAt;
    state.counters["mean_step_ms"] = steps ? total / steps : 0;
    // The last commit renames its file in the background: let it land first.
    FinishReplacements(10000);
    std::filesystem::remove_all(tmpl);
}
BENCHMARK(BM_SaveBitLongestStep)->Iterations(30)->Unit(benchmark::kMillisecond);

// A score server on 127.0.0.1 that reads the request and answers only after
// five seconds.
class SlowServer {
public:
    SlowServer() {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t len = sizeof a;
        getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        listen(fd_, 16);
        thread_ = std::thread([this] { Run(); });
    }
    ~SlowServer() {
        stop_ = true;
        thread_.join();
        close(fd_);
    }
    int Port() const { return port_; }

private:
    void Run() {
        while (!stop_) {
            pollfd p = {fd_, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            int c = accept(fd_, nullptr, nullptr);
            if (c < 0) continue;
            char buf[4096];
            recv(c, buf, sizeof buf, 0);
            for (int n = 0; n < 250 && !stop_; n++) usleep(20000);
            const char reply[] = "HTTP/1.1 200 OK\r\n\r\n[-\r\nData-]OnlineScores{1{Slow{5{1{-{[-\r\nEnd-]";
            send(c, reply, sizeof reply - 1, MSG_NOSIGNAL);
            close(c);
        }
    }
    int fd_ = -1, port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The time one SendScores call keeps the caller while the server takes five
// seconds to answer, and the time each update's PumpOnline takes meanwhile.
void BM_SendScoresCallerBlocked(benchmark::State& state) {
    char tmpl[] = "/tmp/gobbit-bench-XXXXXX";
    if (!mkdtemp(tmpl)) {
        state.SkipWithError("no temporary folder");
        return;
    }
    PrepareGame(tmpl);
    SlowServer server;
    std::string host = "127.0.0.1:" + std::to_string(server.Port());
    SetScoreHost(host.c_str());
    double longestCall = 0, longestPump = 0;
    for (auto _ : state) {
        Clock::time_point t0 = Clock::now();
        ThisGame.SendScores(0);
        double call = Ms(Clock::now() - t0);
        longestCall = call > longestCall ? call : longestCall;
        // Updates go on while the exchange waits.
        for (int u = 0; u < 20; u++) {
            Clock::time_point p0 = Clock::now();
            ThisGame.PumpOnline();
            double pump = Ms(Clock::now() - p0);
            longestPump = pump > longestPump ? pump : longestPump;
            std::this_thread::sleep_for(std::chrono::milliseconds(16));
        }
    }
    state.counters["longest_call_ms"] = longestCall;
    state.counters["longest_pump_ms"] = longestPump;
    state.counters["still_waiting"] = ThisGame.Online.NetWaiting;
    std::filesystem::remove_all(tmpl);
}
BENCHMARK(BM_SendScoresCallerBlocked)->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace
