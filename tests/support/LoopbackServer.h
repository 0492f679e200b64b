// Small TCP servers on 127.0.0.1 for the score exchange tests: each
// connection is read up to the end of its request headers and handed to a
// handler that answers (or misbehaves) as the test wants.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A one-way latch the test opens; waits are always bounded.
class Gate {
public:
    void Open();
    // True if opened within ms.
    bool WaitFor(int ms);

private:
    std::mutex lock_;
    std::condition_variable cv_;
    bool open_ = false;
};

class LoopbackServer {
public:
    using Handler = std::function<void(int fd, const std::string& request)>;
    explicit LoopbackServer(Handler handler);
    ~LoopbackServer();

    int Port() const { return port_; }
    std::string HostPort() const { return "127.0.0.1:" + std::to_string(port_); }
    std::vector<std::string> Requests();
    int MostAtOnce() const { return mostAtOnce_.load(); }

private:
    void AcceptLoop();
    void Serve(int fd);

    Handler handler_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> atOnce_{0}, mostAtOnce_{0};
    std::mutex lock_;
    std::vector<std::string> requests_;
    std::vector<std::thread> workers_;
    std::thread acceptor_;
};

// Writes all of text to fd (ignoring a peer that has gone).
void SendAll(int fd, const std::string& text);

// A loopback port with nothing listening on it.
int UnusedPort();

// One blocking GET of target from 127.0.0.1:port; the status code (0 when
// no reply came) and the body.
int HttpGet(int port, const std::string& target, std::string* body = nullptr);
