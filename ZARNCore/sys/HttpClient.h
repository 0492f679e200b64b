// The score exchange's HTTP client: one GET, the reply's data markers, and
// the worker thread that keeps the exchange off the game's thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>

// Time limits of one exchange, in milliseconds.
struct HttpLimits {
    int ConnectMs = 3000;     // wait for the connection
    int ReceiveMs = 5000;     // wait for each block of the reply
    int TotalMs = 20000;      // the whole exchange, however the server trickles
    std::size_t MaxReply = 1 << 20;  // bytes read before the rest is ignored
};

// The limits every later exchange uses (tests shorten them).
void SetHttpLimits(const HttpLimits& limits);
HttpLimits GetHttpLimits();

// The data part of a reply, found block by block: the markers count only
// when the whole marker arrives in one receive block.
class ReplyFilter {
public:
    void Block(const char* bytes, std::size_t count);
    const std::string& Data() const { return data_; }

private:
    std::string data_;
};

struct HttpResult {
    bool Sent = false;  // the request went out; Data is the reply's data part
    std::string Data;
    int Status = 0;     // the status code of the reply's first line; 0 without one
};

// One exchange: "GET /" + path to host ("name" or "name:port", port 80 when
// absent). Blocks the calling thread; stop, when set, cuts it short quietly.
HttpResult HttpExchange(const std::string& host, const std::string& path, const HttpLimits& limits,
                        bool blockingConnect = false, const std::atomic<bool>* stop = nullptr);

// "POST /" + path with body (application/octet-stream) to host: the same
// connection rules and limits. Only the status matters to the caller.
HttpResult HttpPost(const std::string& host, const std::string& path, const std::string& body,
                    const HttpLimits& limits, const std::atomic<bool>* stop = nullptr);

// Waits at most waitMs for the worker to finish what it has, then stops it;
// an exchange stuck in a name look-up is left behind (also run at exit once
// the worker has started).
void HttpShutdown(int waitMs);
