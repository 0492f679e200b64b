// The score exchange in a browser page: the same GET, fetched from the
// page's own server (the one that serves the page, so no other origin is
// asked and no CORS is needed), by the browser in the background. The
// game's side is the desktop's: a request is posted and its reply collected
// once a frame; only the newest request waits behind the one under way.
#include <emscripten/fetch.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <string>

#include "sys/HttpClient.h"
#include "sys/ZARNSys.h"

namespace {

struct Exchanges {
    bool InFlight = false;
    bool HasNext = false;
    std::string Next;  // the newest request posted while one was under way
    std::deque<HttpResult> Done;
};

Exchanges& State() {
    static Exchanges state;
    return state;
}

constexpr std::size_t MaxDone = 8;  // replies kept until the game collects them

void Start(const std::string& path);

void Finished(emscripten_fetch_t* f) {
    HttpResult r;
    // Status 0: no answer at all (refused, cut off or out of time).
    r.Sent = f->status != 0;
    if (!r.Sent) {
        std::fputs("Could not connect", stdout);
        std::fflush(stdout);
    } else if (f->data && f->numBytes > 0) {
        ReplyFilter filter;
        filter.Block(f->data, std::size_t(f->numBytes));
        r.Data = filter.Data();
    }
    emscripten_fetch_close(f);
    Exchanges& s = State();
    s.Done.push_back(std::move(r));
    while (s.Done.size() > MaxDone) s.Done.pop_front();
    s.InFlight = false;
    if (s.HasNext) {
        s.HasNext = false;
        Start(s.Next);
    }
}

void Start(const std::string& path) {
    emscripten_fetch_attr_t attr;
    emscripten_fetch_attr_init(&attr);
    std::strcpy(attr.requestMethod, "GET");
    attr.attributes = EMSCRIPTEN_FETCH_LOAD_TO_MEMORY;
    attr.onsuccess = Finished;
    attr.onerror = Finished;
    attr.timeoutMSecs = unsigned(GetHttpLimits().TotalMs);
    State().InFlight = true;
    emscripten_fetch(&attr, ("/" + path).c_str());
}

}  // namespace

// The host is the page's own: the server that serves the game also takes
// its scores.
void ZARNSys::URLDataAsync(const char*, const char* path) {
    Exchanges& s = State();
    if (s.InFlight) {
        s.Next = path ? path : "";
        s.HasNext = true;
        return;
    }
    Start(path ? path : "");
}

int ZARNSys::URLDataDone() {
    Exchanges& s = State();
    if (s.Done.empty()) return 0;
    HttpResult r = std::move(s.Done.front());
    s.Done.pop_front();
    if (r.Sent) WebData = std::move(r.Data);
    return 1;
}

int ZARNSys::URLDataBusy() {
    const Exchanges& s = State();
    return s.InFlight || s.HasNext || !s.Done.empty() ? 1 : 0;
}

// The browser finishes or drops a fetch under way by itself.
void HttpShutdown(int) {}
