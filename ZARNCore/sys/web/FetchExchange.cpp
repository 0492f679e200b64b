// The score exchange in a browser page: the same GET, and the same journal
// uploads, fetched from the page's own server (the one that serves the page,
// so no other origin is asked and no CORS is needed), by the browser in the
// background. The game's side is the desktop's: a request is posted and its
// reply collected once a frame; only the newest request waits behind the one
// under way, and the uploads go before it, one at a time, as on the desktop's
// worker.
#include <emscripten/fetch.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>

#include "sys/HttpClient.h"
#include "sys/ZARNSys.h"

namespace {

struct Upload {
    int Tag = 0;
    std::string Path, Body;
    int Status = 0;
};

struct Exchanges {
    bool InFlight = false;
    bool HasNext = false;
    std::string Next;  // the newest request posted while one was under way
    std::deque<HttpResult> Done;
    // Uploads waiting, the first one under way while UploadInFlight; and
    // those answered, until the game collects them.
    std::deque<Upload> Uploads;
    bool UploadInFlight = false;
    std::deque<Upload> Uploaded;
};

Exchanges& State() {
    static Exchanges state;
    return state;
}

constexpr std::size_t MaxDone = 8;  // replies kept until the game collects them

void Start(const std::string& path);
void StartUpload();

// What runs once an exchange is over: the next upload, else the waiting
// request.
void Next() {
    Exchanges& s = State();
    if (s.InFlight || s.UploadInFlight) return;
    if (!s.Uploads.empty()) {
        StartUpload();
    } else if (s.HasNext) {
        s.HasNext = false;
        Start(s.Next);
    }
}

void Finished(emscripten_fetch_t* f) {
    HttpResult r;
    // Status 0: no answer at all (refused, cut off or out of time).
    r.Sent = f->status != 0;
    r.Status = f->status;
    if (!r.Sent) {
        std::fputs("Could not connect", stdout);
        std::fflush(stdout);
    } else if (f->data && f->numBytes > 0) {
        // As on the desktop, the rest of an overlong reply is ignored.
        ReplyFilter filter;
        filter.Block(f->data, std::min(std::size_t(f->numBytes), GetHttpLimits().MaxReply));
        r.Data = filter.Data();
    }
    emscripten_fetch_close(f);
    Exchanges& s = State();
    s.Done.push_back(std::move(r));
    while (s.Done.size() > MaxDone) s.Done.pop_front();
    s.InFlight = false;
    Next();
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

void UploadFinished(emscripten_fetch_t* f) {
    Exchanges& s = State();
    Upload u = std::move(s.Uploads.front());
    s.Uploads.pop_front();
    u.Status = f->status;
    emscripten_fetch_close(f);
    s.Uploaded.push_back(std::move(u));
    while (s.Uploaded.size() > MaxDone) s.Uploaded.pop_front();
    s.UploadInFlight = false;
    Next();
}

void StartUpload() {
    Exchanges& s = State();
    const Upload& u = s.Uploads.front();
    static const char* const Headers[] = {"Content-Type", "application/octet-stream", nullptr};
    emscripten_fetch_attr_t attr;
    emscripten_fetch_attr_init(&attr);
    std::strcpy(attr.requestMethod, "POST");
    attr.attributes = EMSCRIPTEN_FETCH_LOAD_TO_MEMORY;
    attr.requestHeaders = Headers;
    // The body stays in the queue until the fetch is over.
    attr.requestData = u.Body.data();
    attr.requestDataSize = u.Body.size();
    attr.onsuccess = UploadFinished;
    attr.onerror = UploadFinished;
    attr.timeoutMSecs = unsigned(GetHttpLimits().TotalMs);
    s.UploadInFlight = true;
    emscripten_fetch(&attr, ("/" + u.Path).c_str());
}

}  // namespace

// The host is the page's own: the server that serves the game also takes
// its scores.
void ZARNSys::URLDataAsync(const char*, const char* path) {
    Exchanges& s = State();
    s.Next = path ? path : "";
    s.HasNext = true;
    Next();
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
    return s.InFlight || s.HasNext || !s.Done.empty() || s.UploadInFlight || !s.Uploads.empty() ||
                   !s.Uploaded.empty()
               ? 1
               : 0;
}

void ZARNSys::URLUploadAsync(const char*, const char* path, const std::string& body, int tag) {
    Exchanges& s = State();
    Upload u;
    u.Tag = tag;
    u.Path = path ? path : "";
    u.Body = body;
    // A waiting upload of the same tag is replaced; the one under way stays.
    bool replaced = false;
    for (std::size_t i = s.UploadInFlight ? 1 : 0; i < s.Uploads.size(); i++)
        if (s.Uploads[i].Tag == tag) {
            s.Uploads[i] = u;
            replaced = true;
        }
    if (!replaced) s.Uploads.push_back(std::move(u));
    Next();
}

int ZARNSys::URLUploadDone(int& tag, int& status, std::string& body) {
    Exchanges& s = State();
    if (s.Uploaded.empty()) return 0;
    Upload& u = s.Uploaded.front();
    tag = u.Tag;
    status = u.Status;
    body = std::move(u.Body);
    s.Uploaded.pop_front();
    return 1;
}

// The browser finishes or drops a fetch under way by itself.
void HttpShutdown(int) {}
