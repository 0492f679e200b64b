// The server's front door: accepts connections, reads each request's line and
// headers on one event thread, and hands only complete requests to a fixed
// pool of workers. A client that sends nothing, or drips its request, is cut
// off when its time is up without ever holding a worker; so is one whose
// request line and headers grow past the cap. Every reply closes its
// connection, as the game expects.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct FrontLimits {
    int Workers = 8;              // threads that run handlers (and hold database connections)
    int HeadBytes = 8192;         // request line and headers together
    int RequestMs = 5000;         // from connecting to the end of the headers
    int ReplyMs = 5000;           // to hand a reply to a client that does not read
    int Connections = 1024;       // connections still sending their request
    int Queue = 4096;             // complete requests waiting for a worker
};

struct HttpRequest {
    std::string Method;
    std::string Target;  // as sent, escapes and all
};

struct HttpResponse {
    int Status = 200;
    std::string Type = "text/plain";
    std::string Body;
    std::string Headers;  // extra header lines, each ending in "\r\n"
};

class HttpFront {
public:
    using Handler = std::function<HttpResponse(const HttpRequest&)>;
    HttpFront(const FrontLimits& limits, Handler handler);
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
    void Work();
    void Reply(int fd, const HttpResponse& r, bool blocking);

    FrontLimits limits_;
    Handler handler_;
    int listenFd_ = -1;
    int port_ = 0;
    std::vector<std::thread> workers_;
    std::deque<Job> jobs_;
    std::mutex lock_;
    std::condition_variable ready_;
};

// The request line "METHOD TARGET HTTP/1.x" of a complete head. False when it
// is not one.
bool ParseRequestLine(const std::string& head, HttpRequest& out);
