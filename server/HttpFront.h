// The server's front door: accepts connections, reads each request's line,
// headers and body on one event thread, and hands only complete requests to
// fixed pools of workers. A client that sends nothing, or drips its request,
// is cut off when its time is up without ever holding a worker; so is one
// whose head grows past the cap or whose body is longer than its route
// allows. Each client address may hold only a few connections that are still
// sending: a newcomer pushes out that address's oldest one, so one client
// cannot crowd out everyone else, nor a player behind the same address.
// Every reply closes its connection, as the game expects.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct FrontLimits {
    int Workers = 8;              // threads that run handlers of the first lane
    int HeadBytes = 8192;         // request line and headers together
    int RequestMs = 5000;         // from connecting to the end of the headers
    int BodyMs = 10000;           // from connecting to the end of a body
    int ReplyMs = 5000;           // to hand a reply to a client that does not read
    int Connections = 1024;       // connections still sending their request, all addresses
    int PerAddress = 32;          // the same, from one client address
    int Queue = 4096;             // complete requests waiting for a worker of the first lane
    std::size_t BodiesHeld = 64u << 20;  // bytes of bodies being received at once
};

struct HttpRequest {
    std::string Method;
    std::string Target;           // as sent, escapes and all
    std::uint32_t Address = 0;    // the client's IPv4 address, host order
    std::size_t Length = 0;       // Content-Length (0 when none was sent)
    std::string Body;
};

struct HttpResponse {
    int Status = 200;
    std::string Type = "text/plain";
    std::string Body;
    std::string Headers;  // extra header lines, each ending in "\r\n"
};

// Where a request goes once its head has arrived, decided on the event
// thread before its body is read or it waits for a worker.
struct Route {
    int Lane = 0;
    int Refuse = 0;               // a status to answer at once, reading no further
    std::size_t MaxBody = 0;      // the longest body this request may carry (413 past it)
};

class HttpFront {
public:
    using Handler = std::function<HttpResponse(const HttpRequest&)>;
    using Router = std::function<Route(const HttpRequest&)>;
    // A pool of workers with a queue of its own, so slow work (replaying a
    // journal) never keeps quick work (the score exchange, the page) waiting.
    struct Lane {
        int Workers = 1;
        int Queue = 64;           // 503 past it
        Handler Handle;
    };

    // One lane of limits.Workers workers and limits.Queue places; no request
    // may carry a body.
    HttpFront(const FrontLimits& limits, Handler handler);
    HttpFront(const FrontLimits& limits, Router router, std::vector<Lane> lanes);
    ~HttpFront();

    // Binds address:port (0 picks a free port). False with a reason.
    bool Listen(const std::string& address, int port, std::string& reason);
    int Port() const { return port_; }
    // Serves until the process ends.
    void Run();

private:
    struct Job {
        int Fd;
        HttpRequest Request;
    };
    struct Pool {
        Lane Setup;
        std::deque<Job> Jobs;
        std::mutex Lock;
        std::condition_variable Ready;
        std::vector<std::thread> Threads;
    };
    void Work(Pool& pool);
    // The event loop's connections (HttpFront.cpp).
    struct Loop;
    // False when the lane's queue is full.
    bool Queue(int lane, int fd, HttpRequest&& request);
    void Reply(int fd, const HttpResponse& r, bool blocking);

    FrontLimits limits_;
    Router router_;
    std::vector<std::unique_ptr<Pool>> pools_;
    int listenFd_ = -1;
    int port_ = 0;
};

// The request line "METHOD TARGET HTTP/1.x" of a complete head. False when it
// is not one.
bool ParseRequestLine(const std::string& head, HttpRequest& out);

// The request line and the headers the front reads (Content-Length) of a
// complete head, up to and including its blank line. 0 when it is well
// formed, else the status to refuse it with: 400 for a bad line or length,
// 411 for a body sent in chunks (the game never does).
int ParseHead(const std::string& head, HttpRequest& out);

// "127.0.0.2"
std::string AddressText(std::uint32_t address);
