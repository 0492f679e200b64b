#include "support/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

void Gate::Open() {
    std::lock_guard<std::mutex> g(lock_);
    open_ = true;
    cv_.notify_all();
}

bool Gate::WaitFor(int ms) {
    std::unique_lock<std::mutex> g(lock_);
    return cv_.wait_for(g, std::chrono::milliseconds(ms), [this] { return open_; });
}

namespace {
int ListenOnLoopback(int& port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    return fd;
}
}  // namespace

LoopbackServer::LoopbackServer(Handler handler) : handler_(std::move(handler)) {
    listenFd_ = ListenOnLoopback(port_);
    listen(listenFd_, 16);
    acceptor_ = std::thread(&LoopbackServer::AcceptLoop, this);
}

LoopbackServer::~LoopbackServer() {
    stop_ = true;
    acceptor_.join();
    for (std::thread& t : workers_) t.join();
    close(listenFd_);
}

std::vector<std::string> LoopbackServer::Requests() {
    std::lock_guard<std::mutex> g(lock_);
    return requests_;
}

void LoopbackServer::AcceptLoop() {
    while (!stop_) {
        pollfd p = {listenFd_, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0) continue;
        int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        std::lock_guard<std::mutex> g(lock_);
        workers_.emplace_back(&LoopbackServer::Serve, this, fd);
    }
}

void LoopbackServer::Serve(int fd) {
    int now = ++atOnce_;
    int most = mostAtOnce_.load();
    while (now > most && !mostAtOnce_.compare_exchange_weak(most, now)) {
    }
    // The request ends with an empty line, and then the body its
    // Content-Length announces; give up after 2 s or 64 KB.
    std::string request;
    char buf[4096];
    auto whole = [&request] {
        std::size_t end = request.find("\r\n\r\n");
        if (end == std::string::npos) return false;
        std::size_t length = request.find("\r\nContent-Length: ");
        if (length == std::string::npos || length > end) return true;
        return request.size() >= end + 4 + std::size_t(std::atol(request.c_str() + length + 18));
    };
    for (int waits = 0; waits < 100 && !whole() && request.size() < 65536;) {
        pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0) {
            waits++;
            continue;
        }
        ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0) break;
        request.append(buf, size_t(n));
    }
    {
        std::lock_guard<std::mutex> g(lock_);
        requests_.push_back(request);
    }
    if (handler_) handler_(fd, request);
    // Counted out before the close: the client may open its next connection
    // as soon as it sees this one end.
    --atOnce_;
    close(fd);
}

void SendAll(int fd, const std::string& text) {
    size_t sent = 0;
    while (sent < text.size()) {
        ssize_t n = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += size_t(n);
    }
}

int UnusedPort() {
    int port = 0;
    int fd = ListenOnLoopback(port);
    close(fd);
    return port;
}

int HttpGet(int port, const std::string& target, std::string* body) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(uint16_t(port));
    timeval tv = {5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(fd);
        return 0;
    }
    SendAll(fd, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    std::string reply;
    char buf[4096];
    for (;;) {
        ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0) break;
        reply.append(buf, size_t(n));
    }
    close(fd);
    int status = 0;
    if (reply.compare(0, 9, "HTTP/1.1 ") == 0) status = std::atoi(reply.c_str() + 9);
    size_t split = reply.find("\r\n\r\n");
    if (body) *body = split == std::string::npos ? std::string() : reply.substr(split + 4);
    return status;
}
