// The score exchange over BSD sockets, and the worker thread that runs it so
// the game never waits on the network.
#include "sys/HttpClient.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>

#include "sys/Worker.h"
#include "sys/ZARNSys.h"

namespace {

const char DataMarker[] = "[-\r\nData-]";
const char EndMarker[] = "[-\r\nEnd-]";
constexpr std::size_t EndMarkerLength = sizeof EndMarker - 1;  // 9
constexpr int ReceiveBlock = 10000;
constexpr int WaitSliceMs = 50;  // how often a wait looks at the stop flag

std::mutex LimitsLock;
HttpLimits Limits;

using Clock = std::chrono::steady_clock;

bool EndsWith(const std::string& s, const char* tail, std::size_t n) {
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

bool Stopped(const std::atomic<bool>* stop) { return stop && stop->load(); }

// Messages of a failed exchange go straight to standard output, as the
// game's other direct messages do; none once the game is leaving.
void Say(const char* text, const std::atomic<bool>* stop) {
    if (Stopped(stop)) return;
    std::fputs(text, stdout);
    std::fflush(stdout);
}

bool SplitHostPort(const std::string& host, std::string& name, int& port) {
    name = host;
    port = 80;
    std::size_t colon = host.rfind(':');
    if (colon == std::string::npos) return !name.empty();
    std::string digits = host.substr(colon + 1);
    if (digits.empty() || digits.size() > 5) return false;
    long p = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        p = p * 10 + (c - '0');
    }
    if (p < 1 || p > 65535) return false;
    name = host.substr(0, colon);
    port = int(p);
    return !name.empty();
}

// Waits for the socket within ms (never past the deadline) in short slices,
// so a stop request is seen quickly. 1 ready, 0 timed out or stopped.
int WaitFor(int fd, short events, int ms, Clock::time_point deadline, const std::atomic<bool>* stop) {
    Clock::time_point until = Clock::now() + std::chrono::milliseconds(ms);
    if (until > deadline) until = deadline;
    for (;;) {
        if (Stopped(stop)) return 0;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0) return 0;
        pollfd p = {fd, events, 0};
        int r = poll(&p, 1, int(left < WaitSliceMs ? left : WaitSliceMs));
        if (r > 0) return 1;
        if (r < 0 && errno != EINTR) return 0;
    }
}

}  // namespace

void SetHttpLimits(const HttpLimits& limits) {
    std::lock_guard<std::mutex> lock(LimitsLock);
    Limits = limits;
}

HttpLimits GetHttpLimits() {
    std::lock_guard<std::mutex> lock(LimitsLock);
    return Limits;
}

// Control bytes other than CR and LF are dropped, and so are bytes of 128
// and above: the reply is ASCII. A marker counts only when the whole of it
// lies in this block; data after the start marker is kept up to the end
// marker.
void ReplyFilter::Block(const char* bytes, std::size_t count) {
    std::string tail;  // the last kept bytes of this block, enough for a marker
    bool sawData = false, sawEnd = false;
    int state = 0;
    for (std::size_t i = 0; i < count; i++) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if ((c < 32 && c != 13 && c != 10) || c >= 128) continue;
        tail += char(c);
        if (tail.size() > 16) tail.erase(0, tail.size() - 16);
        if (state == 1) data_ += char(c);
        sawData = sawData || EndsWith(tail, DataMarker, sizeof DataMarker - 1);
        sawEnd = sawEnd || EndsWith(tail, EndMarker, EndMarkerLength);
        if (state == 0 && sawData) state = 1;
        if (state == 1 && sawEnd) {
            state = 2;
            data_.erase(data_.size() > EndMarkerLength ? data_.size() - EndMarkerLength : 0);
        }
    }
}

namespace {

// The status code of "HTTP/1.x NNN ...", or 0.
int StatusOf(const std::string& start) {
    if (start.size() < 12 || start.compare(0, 7, "HTTP/1.") != 0 || start[8] != ' ') return 0;
    int code = 0;
    for (int i = 9; i < 12; i++) {
        if (start[std::size_t(i)] < '0' || start[std::size_t(i)] > '9') return 0;
        code = code * 10 + (start[std::size_t(i)] - '0');
    }
    return code;
}

// A socket connected to host (name or name:port), non-blocking, or -1.
int ConnectTo(const std::string& host, const HttpLimits& limits, bool blockingConnect,
              Clock::time_point deadline, const std::atomic<bool>* stop) {
    std::string name;
    int port = 80;
    if (!SplitHostPort(host, name, port)) return -1;

    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    timeval rcv = {limits.ReceiveMs / 1000, (limits.ReceiveMs % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &rcv, sizeof rcv);

    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found) {
        close(fd);
        return -1;
    }
    sockaddr_in addr = *reinterpret_cast<sockaddr_in*>(found->ai_addr);
    freeaddrinfo(found);
    addr.sin_port = htons(uint16_t(port));

    if (!blockingConnect) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL, 0) | O_NONBLOCK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        if (blockingConnect || errno != EINPROGRESS) {
            Say("Could not connect", stop);
            close(fd);
            return -1;
        }
        if (!WaitFor(fd, POLLOUT, limits.ConnectMs, deadline, stop)) {
            Say("\n-=Unable to Connect=-\n", stop);
            close(fd);
            return -1;
        }
        // Writable can also mean refused: nothing has been sent then.
        int err = 0;
        socklen_t len = sizeof err;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0) {
            Say("Could not connect", stop);
            close(fd);
            return -1;
        }
    }
    if (blockingConnect) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL, 0) | O_NONBLOCK);
    return fd;
}

// The request goes out whole or not at all; a peer that hangs up must not
// raise SIGPIPE in the game.
void SendWhole(int fd, const std::string& request, const HttpLimits& limits, Clock::time_point deadline,
               const std::atomic<bool>* stop) {
    std::size_t sentBytes = 0;
    while (sentBytes < request.size()) {
        ssize_t n = send(fd, request.data() + sentBytes, request.size() - sentBytes, MSG_NOSIGNAL);
        if (n > 0) {
            sentBytes += std::size_t(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            if (!WaitFor(fd, POLLOUT, limits.ReceiveMs, deadline, stop)) break;
        } else {
            break;
        }
    }
}

// Reads the reply, at most MaxReply bytes, through the filter into result.
void ReadReply(int fd, const HttpLimits& limits, Clock::time_point deadline, const std::atomic<bool>* stop,
               HttpResult& result) {
    ReplyFilter filter;
    std::size_t total = 0;
    std::string start;  // the reply's first bytes, for its status
    char block[ReceiveBlock];
    while (total < limits.MaxReply) {
        if (!WaitFor(fd, POLLIN, limits.ReceiveMs, deadline, stop)) break;
        ssize_t n = recv(fd, block, sizeof block, 0);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
            break;
        }
        if (start.size() < 12) start.append(block, std::min(std::size_t(n), 12 - start.size()));
        filter.Block(block, std::size_t(n));
        total += std::size_t(n);
    }
    result.Data = filter.Data();
    result.Status = StatusOf(start);
}

// Sends request to host and reads the reply through the filter: the
// exchange both the score request and an upload make.
HttpResult Exchange(const std::string& host, const std::string& request, const HttpLimits& limits,
                    bool blockingConnect, const std::atomic<bool>* stop) {
    HttpResult result;
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limits.TotalMs);
    int fd = ConnectTo(host, limits, blockingConnect, deadline, stop);
    if (fd < 0) return result;
    SendWhole(fd, request, limits, deadline, stop);
    result.Sent = true;
    ReadReply(fd, limits, deadline, stop, result);
    close(fd);
    return result;
}

}  // namespace

HttpResult HttpExchange(const std::string& host, const std::string& path, const HttpLimits& limits,
                        bool blockingConnect, const std::atomic<bool>* stop) {
    std::string request = "GET /" + path + " HTTP/1.1\r\nHost: " + host + "\r\nConnection: close\r\n\r\n";
    return Exchange(host, request, limits, blockingConnect, stop);
}

HttpResult HttpPost(const std::string& host, const std::string& path, const std::string& body,
                    const HttpLimits& limits, const std::atomic<bool>* stop) {
    std::string request = "POST /" + path + " HTTP/1.1\r\nHost: " + host +
                          "\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
                          std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    return Exchange(host, request, limits, false, stop);
}

void ZARNSys::URLData(const char* host, const char* path) {
    HttpResult r = HttpExchange(host ? host : "", path ? path : "", GetHttpLimits());
    if (r.Sent) WebData = r.Data;
}

// The earlier exchange: a plain blocking connect without the readiness wait.
void ZARNSys::URLDataOld(const char* host, const char* path) {
    HttpResult r = HttpExchange(host ? host : "", path ? path : "", GetHttpLimits(), true);
    if (r.Sent) WebData = r.Data;
}

// ---- The worker ----
//
// A browser page has neither sockets nor threads: there the exchange is a
// fetch to the page's own server, in sys/web/FetchExchange.cpp.
#ifndef __EMSCRIPTEN__
//
// The exchanges run on their own worker, started with the first request. At
// exit the game waits for it a little, then leaves it behind. The replies are
// kept in state allocated once and never freed, so a worker still blocked in
// a name look-up while the process exits touches nothing that static
// destruction has taken down.

namespace {

struct Upload {
    int Tag = 0;
    std::string Host, Path, Body;
    int Status = 0;
};

struct Replies {
    std::mutex Lock;
    std::deque<HttpResult> Done;
    std::deque<Upload> Waiting;   // uploads not yet sent
    std::deque<Upload> Uploaded;  // uploads answered (or not), not yet collected
};

Replies& TheReplies() {
    static Replies* replies = new Replies;
    return *replies;
}

Worker& ExchangeWorker() {
    static Worker* worker = new Worker;
    return *worker;
}

constexpr std::size_t MaxDone = 8;  // replies kept until the game collects them
constexpr int LeaveMs = 100;        // an exchange sees the stop flag within 50 ms

void ShutdownAtExit() { HttpShutdown(1000); }

// Sends every waiting upload, oldest first. Every exchange task runs this
// before its own request, so an upload posted ahead of a score request
// goes first even when the newer request has replaced the upload's task.
void SendUploads(const HttpLimits& limits, const std::atomic<bool>& stop) {
    Replies& replies = TheReplies();
    for (;;) {
        Upload u;
        {
            std::lock_guard<std::mutex> lock(replies.Lock);
            if (replies.Waiting.empty() || stop.load()) return;
            u = std::move(replies.Waiting.front());
            replies.Waiting.pop_front();
        }
        u.Status = HttpPost(u.Host, u.Path, u.Body, limits, &stop).Status;
        std::lock_guard<std::mutex> lock(replies.Lock);
        replies.Uploaded.push_back(std::move(u));
        while (replies.Uploaded.size() > MaxDone) replies.Uploaded.pop_front();
    }
}

}  // namespace

void ZARNSys::URLUploadAsync(const char* host, const char* path, const std::string& body, int tag) {
    Upload u;
    u.Tag = tag;
    u.Host = host ? host : "";
    u.Path = path ? path : "";
    u.Body = body;
    {
        Replies& replies = TheReplies();
        std::lock_guard<std::mutex> lock(replies.Lock);
        bool replaced = false;
        for (Upload& waiting : replies.Waiting)
            if (waiting.Tag == tag) {
                waiting = u;
                replaced = true;
            }
        if (!replaced) replies.Waiting.push_back(std::move(u));
    }
    HttpLimits limits = GetHttpLimits();
    bool queued = ExchangeWorker().Post([limits](const std::atomic<bool>& stop) { SendUploads(limits, stop); });
    static std::once_flag atExit;
    if (queued) std::call_once(atExit, [] { std::atexit(ShutdownAtExit); });
}

int ZARNSys::URLUploadDone(int& tag, int& status, std::string& body) {
    Replies& replies = TheReplies();
    std::lock_guard<std::mutex> lock(replies.Lock);
    if (replies.Uploaded.empty()) return 0;
    Upload& u = replies.Uploaded.front();
    tag = u.Tag;
    status = u.Status;
    body = std::move(u.Body);
    replies.Uploaded.pop_front();
    return 1;
}

void ZARNSys::URLDataAsync(const char* host, const char* path) {
    std::string h = host ? host : "", p = path ? path : "";
    HttpLimits limits = GetHttpLimits();
    // Only the newest request waits: it carries the latest scores.
    bool queued = ExchangeWorker().PostLatest([h, p, limits](const std::atomic<bool>& stop) {
        SendUploads(limits, stop);
        HttpResult r = HttpExchange(h, p, limits, false, &stop);
        Replies& replies = TheReplies();
        std::lock_guard<std::mutex> lock(replies.Lock);
        replies.Done.push_back(std::move(r));
        while (replies.Done.size() > MaxDone) replies.Done.pop_front();
    });
    static std::once_flag atExit;
    if (queued) std::call_once(atExit, [] { std::atexit(ShutdownAtExit); });
}

// One finished exchange per call, oldest first; one that sent nothing keeps
// the data of the exchange before it.
int ZARNSys::URLDataDone() {
    Replies& replies = TheReplies();
    HttpResult r;
    {
        std::lock_guard<std::mutex> lock(replies.Lock);
        if (replies.Done.empty()) return 0;
        r = std::move(replies.Done.front());
        replies.Done.pop_front();
    }
    if (r.Sent) WebData = std::move(r.Data);
    return 1;
}

int ZARNSys::URLDataBusy() {
    // The task files its reply before the worker counts it finished, so
    // there is no moment when the exchange is in neither place.
    if (ExchangeWorker().Busy()) return 1;
    Replies& replies = TheReplies();
    std::lock_guard<std::mutex> lock(replies.Lock);
    return replies.Done.empty() && replies.Uploaded.empty() ? 0 : 1;
}

void HttpShutdown(int waitMs) { ExchangeWorker().Stop(waitMs, LeaveMs); }

#endif  // __EMSCRIPTEN__
