#include "HttpFront.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <unordered_map>

namespace {

long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

const char* StatusText(int status) {
    switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 409: return "Conflict";
    case 411: return "Length Required";
    case 413: return "Content Too Large";
    case 422: return "Unprocessable Content";
    case 429: return "Too Many Requests";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Error";
    }
}

HttpResponse Plain(int status) {
    HttpResponse r;
    r.Status = status;
    r.Body = std::string(StatusText(status)) + "\n";
    return r;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool SameName(const std::string& a, const char* b) {
    std::size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (std::size_t i = 0; i < n; i++)
        if (Lower(a[i]) != b[i]) return false;
    return true;
}

std::string Trim(const std::string& s) {
    std::size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

// A connection whose request is still arriving.
struct Pending {
    std::string Data;
    long long Deadline = 0;
    long long Accepted = 0;
    std::uint32_t Address = 0;
    std::uint64_t Seq = 0;       // accept order, oldest first
    bool HaveHead = false;
    std::size_t HeadEnd = 0;     // bytes of the head, blank line included
    int Lane = 0;
    HttpRequest Request;
};

}  // namespace

std::string AddressText(std::uint32_t address) {
    in_addr a;
    a.s_addr = htonl(address);
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

bool ParseRequestLine(const std::string& head, HttpRequest& out) {
    std::size_t end = head.find("\r\n");
    if (end == std::string::npos) return false;
    std::string line = head.substr(0, end);
    std::size_t a = line.find(' ');
    std::size_t b = a == std::string::npos ? a : line.find(' ', a + 1);
    if (b == std::string::npos || line.find(' ', b + 1) != std::string::npos) return false;
    out.Method = line.substr(0, a);
    out.Target = line.substr(a + 1, b - a - 1);
    std::string version = line.substr(b + 1);
    return !out.Method.empty() && !out.Target.empty() && out.Target[0] == '/' &&
           (version == "HTTP/1.1" || version == "HTTP/1.0");
}

int ParseHead(const std::string& head, HttpRequest& out) {
    if (!ParseRequestLine(head, out)) return 400;
    out.Length = 0;
    bool haveLength = false;
    std::size_t at = head.find("\r\n") + 2;
    for (;;) {
        std::size_t end = head.find("\r\n", at);
        if (end == std::string::npos || end == at) break;
        std::string line = head.substr(at, end - at);
        at = end + 2;
        std::size_t colon = line.find(':');
        if (colon == std::string::npos || colon == 0) return 400;
        std::string name = line.substr(0, colon), value = Trim(line.substr(colon + 1));
        if (SameName(name, "transfer-encoding")) return 411;
        if (!SameName(name, "content-length")) continue;
        // One length, in digits only: two that disagree are how requests
        // get smuggled past a proxy.
        if (haveLength || value.empty() || value.size() > 12 ||
            value.find_first_not_of("0123456789") != std::string::npos)
            return 400;
        haveLength = true;
        out.Length = std::size_t(std::stoull(value));
    }
    return 0;
}

HttpFront::HttpFront(const FrontLimits& limits, Handler handler) : limits_(limits) {
    router_ = [](const HttpRequest&) { return Route{}; };
    auto pool = std::make_unique<Pool>();
    pool->Setup = {limits.Workers, limits.Queue, std::move(handler)};
    pools_.push_back(std::move(pool));
}

HttpFront::HttpFront(const FrontLimits& limits, Router router, std::vector<Lane> lanes)
    : limits_(limits), router_(std::move(router)) {
    for (Lane& l : lanes) {
        auto pool = std::make_unique<Pool>();
        pool->Setup = std::move(l);
        pools_.push_back(std::move(pool));
    }
}

HttpFront::~HttpFront() {
    if (listenFd_ >= 0) close(listenFd_);
}

bool HttpFront::Listen(const std::string& address, int port, std::string& reason) {
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    if (inet_pton(AF_INET, address.c_str(), &a.sin_addr) != 1) {
        reason = "not an IPv4 address";
        return false;
    }
    listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    int on = 1;
    setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    socklen_t len = sizeof a;
    if (listenFd_ < 0 || bind(listenFd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        listen(listenFd_, 1024) != 0 || getsockname(listenFd_, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    port_ = ntohs(a.sin_port);
    return true;
}

void HttpFront::Reply(int fd, const HttpResponse& r, bool blocking) {
    std::string out = "HTTP/1.1 " + std::to_string(r.Status) + " " + StatusText(r.Status) +
                      "\r\nContent-Type: " + r.Type + "\r\nContent-Length: " + std::to_string(r.Body.size()) +
                      "\r\n" + r.Headers + "Connection: close\r\n\r\n" + r.Body;
    if (blocking) {
        // A client that stops reading holds this worker for ReplyMs at most.
        int flags = fcntl(fd, F_GETFL);
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
        timeval tv = {limits_.ReplyMs / 1000, (limits_.ReplyMs % 1000) * 1000};
        setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    }
    std::size_t sent = 0;
    while (sent < out.size()) {
        ssize_t n = send(fd, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += std::size_t(n);
    }
    shutdown(fd, SHUT_WR);
    close(fd);
}

void HttpFront::Work(Pool& pool) {
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> guard(pool.Lock);
            pool.Ready.wait(guard, [&pool] { return !pool.Jobs.empty(); });
            job = std::move(pool.Jobs.front());
            pool.Jobs.pop_front();
        }
        Reply(job.Fd, pool.Setup.Handle(job.Request), true);
    }
}

bool HttpFront::Queue(int lane, int fd, HttpRequest&& request) {
    if (lane < 0 || lane >= int(pools_.size())) return false;
    Pool& pool = *pools_[std::size_t(lane)];
    {
        std::lock_guard<std::mutex> guard(pool.Lock);
        if (int(pool.Jobs.size()) >= pool.Setup.Queue) return false;
        pool.Jobs.push_back({fd, std::move(request)});
    }
    pool.Ready.notify_one();
    return true;
}

// The connections still sending their requests, watched by one epoll set
// with the listening socket.
struct HttpFront::Loop {
    Loop(HttpFront& front, int ep) : Front(front), Ep(ep) {}
    HttpFront& Front;
    int Ep;
    std::unordered_map<int, Pending> Waiting;
    std::map<std::uint64_t, int> ByAge;                              // accept order -> fd
    std::unordered_map<std::uint32_t, std::set<std::uint64_t>> ByAddress;  // address -> accept orders
    std::uint64_t NextSeq = 0;
    std::size_t BodiesHeld = 0;
    // Out of file descriptors: stop accepting for a moment instead of
    // spinning on a listening socket that stays readable.
    long long AcceptAgain = 0;

    void Forget(int fd);
    void Drop(int fd, int status);
    void ListenFor(std::uint32_t what);
    bool HeadArrived(int fd, Pending& p);
    void AcceptAll();
    void Track(int fd, std::uint32_t address);
    void ReadFrom(int fd);
    bool ReadSome(int fd, Pending& p);
    void Sweep(long long now);
};

// Stops watching a connection; the caller answers or closes it.
void HttpFront::Loop::Forget(int fd) {
    auto it = Waiting.find(fd);
    if (it == Waiting.end()) return;
    epoll_ctl(Ep, EPOLL_CTL_DEL, fd, nullptr);
    ByAge.erase(it->second.Seq);
    auto a = ByAddress.find(it->second.Address);
    if (a != ByAddress.end()) {
        a->second.erase(it->second.Seq);
        if (a->second.empty()) ByAddress.erase(a);
    }
    if (it->second.HaveHead) BodiesHeld -= it->second.Request.Length;
    Waiting.erase(it);
}

// Only a short error reply: the socket stays non-blocking.
void HttpFront::Loop::Drop(int fd, int status) {
    Forget(fd);
    Front.Reply(fd, Plain(status), false);
}

void HttpFront::Loop::ListenFor(std::uint32_t what) {
    epoll_event lev = {};
    lev.events = what;
    lev.data.fd = Front.listenFd_;
    epoll_ctl(Ep, EPOLL_CTL_MOD, Front.listenFd_, &lev);
}

// A request whose head arrived: routed, refused or left to take its body.
// True when the connection is still being read.
bool HttpFront::Loop::HeadArrived(int fd, Pending& p) {
    const FrontLimits& limits = Front.limits_;
    int bad = ParseHead(p.Data.substr(0, p.HeadEnd), p.Request);
    p.Request.Address = p.Address;
    if (bad) {
        Drop(fd, bad);
        return false;
    }
    Route route = Front.router_(p.Request);
    if (route.Refuse) {
        Drop(fd, route.Refuse);
        return false;
    }
    if (p.Request.Length > route.MaxBody) {
        Drop(fd, 413);
        return false;
    }
    if (BodiesHeld + p.Request.Length > limits.BodiesHeld) {
        Drop(fd, 503);
        return false;
    }
    BodiesHeld += p.Request.Length;
    p.HaveHead = true;
    p.Lane = route.Lane;
    if (p.Request.Length > 0) p.Deadline = p.Accepted + limits.BodyMs;
    return true;
}

void HttpFront::Loop::AcceptAll() {
    const FrontLimits& limits = Front.limits_;
    int c;
    sockaddr_in from = {};
    socklen_t fromLen = sizeof from;
    while ((c = accept4(Front.listenFd_, reinterpret_cast<sockaddr*>(&from), &fromLen,
                        SOCK_NONBLOCK | SOCK_CLOEXEC)) >= 0) {
        fromLen = sizeof from;
        std::uint32_t address = ntohl(from.sin_addr.s_addr);
        // The newcomer is served; the oldest connection still sending from
        // the same address makes room, or failing that the oldest of all.
        auto mine = ByAddress.find(address);
        if (mine != ByAddress.end() && int(mine->second.size()) >= limits.PerAddress)
            Drop(ByAge[*mine->second.begin()], 429);
        else if (int(Waiting.size()) >= limits.Connections && !ByAge.empty())
            Drop(ByAge.begin()->second, 503);
        Track(c, address);
    }
    if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
        ListenFor(0);
        AcceptAgain = NowMs() + 100;
    }
}

void HttpFront::Loop::Track(int fd, std::uint32_t address) {
    Pending& p = Waiting[fd];
    p.Accepted = NowMs();
    p.Deadline = p.Accepted + Front.limits_.RequestMs;
    p.Address = address;
    p.Seq = NextSeq++;
    ByAge[p.Seq] = fd;
    ByAddress[address].insert(p.Seq);
    epoll_event cev = {};
    cev.events = EPOLLIN | EPOLLRDHUP;
    cev.data.fd = fd;
    epoll_ctl(Ep, EPOLL_CTL_ADD, fd, &cev);
}

// Reads what a connection sent; a complete request goes to its lane.
void HttpFront::Loop::ReadFrom(int fd) {
    auto it = Waiting.find(fd);
    if (it == Waiting.end()) return;
    bool closed = ReadSome(fd, it->second);
    it = Waiting.find(fd);
    if (it == Waiting.end()) return;  // answered already
    Pending& q = it->second;
    // Bytes past the announced body are not read: every reply closes.
    if (q.HaveHead && q.Data.size() > q.HeadEnd + q.Request.Length) q.Data.resize(q.HeadEnd + q.Request.Length);
    if (q.HaveHead && q.Data.size() == q.HeadEnd + q.Request.Length) {
        HttpRequest req = std::move(q.Request);
        req.Body = q.Data.substr(q.HeadEnd);
        int lane = q.Lane;
        Forget(fd);
        if (!Front.Queue(lane, fd, std::move(req))) Front.Reply(fd, Plain(503), false);
    } else if (!q.HaveHead && q.Data.size() > std::size_t(Front.limits_.HeadBytes)) {
        Drop(fd, 431);
    } else if (closed) {
        Forget(fd);
        close(fd);
    }
}

// Takes what the socket holds, never more than the head cap or the body the
// head announced. True when the client closed or the socket failed.
bool HttpFront::Loop::ReadSome(int fd, Pending& p) {
    const FrontLimits& limits = Front.limits_;
    char buf[16384];
    for (;;) {
        std::size_t want = p.HaveHead ? p.HeadEnd + p.Request.Length : std::size_t(limits.HeadBytes) + 1;
        if (p.Data.size() >= want) return false;
        ssize_t got = recv(fd, buf, std::min(want - p.Data.size(), sizeof buf), 0);
        if (got > 0) {
            p.Data.append(buf, std::size_t(got));
            if (!p.HaveHead) {
                std::size_t end = p.Data.find("\r\n\r\n");
                if (end != std::string::npos && end + 4 <= std::size_t(limits.HeadBytes)) {
                    p.HeadEnd = end + 4;
                    if (!HeadArrived(fd, p)) return false;
                }
            }
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        return got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
    }
}

// Accepting again after a shortage, and a 408 to every request too slow.
void HttpFront::Loop::Sweep(long long now) {
    if (AcceptAgain && now >= AcceptAgain) {
        AcceptAgain = 0;
        ListenFor(EPOLLIN);
    }
    std::vector<int> late;
    for (auto& [fd, p] : Waiting)
        if (now >= p.Deadline) late.push_back(fd);
    for (int fd : late) Drop(fd, 408);
}

void HttpFront::Run() {
    for (auto& pool : pools_)
        for (int i = 0; i < pool->Setup.Workers; i++) pool->Threads.emplace_back([this, p = pool.get()] { Work(*p); });

    Loop loop(*this, epoll_create1(EPOLL_CLOEXEC));
    epoll_event ev = {};
    ev.events = EPOLLIN;
    ev.data.fd = listenFd_;
    epoll_ctl(loop.Ep, EPOLL_CTL_ADD, listenFd_, &ev);

    epoll_event events[64];
    long long nextSweep = NowMs() + 100;
    for (;;) {
        int n = epoll_wait(loop.Ep, events, 64, 100);
        for (int i = 0; i < n; i++) {
            int fd = events[i].data.fd;
            if (fd == listenFd_)
                loop.AcceptAll();
            else
                loop.ReadFrom(fd);
        }
        long long now = NowMs();
        if (now >= nextSweep) {
            nextSweep = now + 100;
            loop.Sweep(now);
        }
    }
}
