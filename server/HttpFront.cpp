#include "HttpFront.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
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

// A request still arriving.
struct Pending {
    std::string Head;
    long long Deadline = 0;
};

}  // namespace

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

HttpFront::HttpFront(const FrontLimits& limits, Handler handler) : limits_(limits), handler_(std::move(handler)) {}

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

void HttpFront::Work() {
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> guard(lock_);
            ready_.wait(guard, [this] { return !jobs_.empty(); });
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        Reply(job.Fd, handler_(job.Request), true);
    }
}

void HttpFront::Run() {
    for (int i = 0; i < limits_.Workers; i++) workers_.emplace_back([this] { Work(); });

    int ep = epoll_create1(EPOLL_CLOEXEC);
    epoll_event ev = {};
    ev.events = EPOLLIN;
    ev.data.fd = listenFd_;
    epoll_ctl(ep, EPOLL_CTL_ADD, listenFd_, &ev);
    std::unordered_map<int, Pending> pending;
    auto drop = [&](int fd, int status) {
        epoll_ctl(ep, EPOLL_CTL_DEL, fd, nullptr);
        pending.erase(fd);
        // Only a short error reply: the socket stays non-blocking.
        Reply(fd, Plain(status), false);
    };

    epoll_event events[64];
    long long nextSweep = NowMs() + 100;
    // Out of file descriptors: stop accepting for a moment instead of
    // spinning on a listening socket that stays readable.
    long long acceptAgain = 0;
    auto listenFor = [&](uint32_t what) {
        epoll_event lev = {};
        lev.events = what;
        lev.data.fd = listenFd_;
        epoll_ctl(ep, EPOLL_CTL_MOD, listenFd_, &lev);
    };
    for (;;) {
        int n = epoll_wait(ep, events, 64, 100);
        for (int i = 0; i < n; i++) {
            int fd = events[i].data.fd;
            if (fd == listenFd_) {
                int c;
                while ((c = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC)) >= 0) {
                    if (int(pending.size()) >= limits_.Connections) {
                        Reply(c, Plain(503), false);
                        continue;
                    }
                    pending[c].Deadline = NowMs() + limits_.RequestMs;
                    epoll_event cev = {};
                    cev.events = EPOLLIN | EPOLLRDHUP;
                    cev.data.fd = c;
                    epoll_ctl(ep, EPOLL_CTL_ADD, c, &cev);
                }
                if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                    listenFor(0);
                    acceptAgain = NowMs() + 100;
                }
                continue;
            }
            auto it = pending.find(fd);
            if (it == pending.end()) continue;
            std::string& head = it->second.Head;
            char buf[4096];
            bool closed = false;
            for (;;) {
                ssize_t got = recv(fd, buf, sizeof buf, 0);
                if (got > 0) {
                    head.append(buf, std::size_t(got));
                    if (head.size() > std::size_t(limits_.HeadBytes) + 4) break;
                    continue;
                }
                closed = got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
                if (got < 0 && errno == EINTR) continue;
                break;
            }
            std::size_t end = head.find("\r\n\r\n");
            if (end != std::string::npos && end + 4 <= std::size_t(limits_.HeadBytes)) {
                HttpRequest req;
                bool good = ParseRequestLine(head, req);
                epoll_ctl(ep, EPOLL_CTL_DEL, fd, nullptr);
                pending.erase(it);
                if (!good) {
                    Reply(fd, Plain(400), false);
                    continue;
                }
                bool queued = false;
                {
                    std::lock_guard<std::mutex> guard(lock_);
                    if (int(jobs_.size()) < limits_.Queue) {
                        jobs_.push_back({fd, std::move(req)});
                        queued = true;
                    }
                }
                if (queued) {
                    ready_.notify_one();
                } else {
                    Reply(fd, Plain(503), false);
                }
            } else if (head.size() > std::size_t(limits_.HeadBytes)) {
                drop(fd, 431);
            } else if (closed) {
                epoll_ctl(ep, EPOLL_CTL_DEL, fd, nullptr);
                pending.erase(it);
                close(fd);
            }
        }
        long long now = NowMs();
        if (now >= nextSweep) {
            nextSweep = now + 100;
            if (acceptAgain && now >= acceptAgain) {
                acceptAgain = 0;
                listenFor(EPOLLIN);
            }
            std::vector<int> late;
            for (auto& [fd, p] : pending)
                if (now >= p.Deadline) late.push_back(fd);
            for (int fd : late) drop(fd, 408);
        }
    }
}
