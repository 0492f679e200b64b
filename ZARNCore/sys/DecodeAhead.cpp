// The loader's decode-ahead queue. Only the main thread queues and takes;
// the worker fills each entry's result and nothing else.
#include "sys/DecodeAhead.h"

#include <cstdlib>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "sys/Worker.h"

namespace {

struct Decode {
    bool IsImage = true;
    std::string Path;
    unsigned Frame = 0;
    PreparedImage Image;
    PreparedWave Wave;
};

struct Entry {
    bool IsImage;
    std::string Path;
    unsigned Frame;
    std::future<std::shared_ptr<Decode>> Result;
};

// Main thread only.
std::deque<Entry> Ahead;

// A decode in progress cannot be cut short; this bounds the wait for it.
constexpr int LeaveMs = 5000;

Worker& DecodeWorker() {
    static Worker* worker = new Worker;
    return *worker;
}

void StopAtExit() { StopDecodingAhead(); }

void Queue(bool image, const char* path, unsigned frame) {
    // Without a thread the decode would run now, all files at once, instead
    // of a file per loading step: each step then decodes its own.
    if (!path || !Worker::ThreadsAvailable()) return;
    static bool atExit = false;
    if (!atExit) {
        atExit = true;
        std::atexit(StopAtExit);
    }
    Worker& worker = DecodeWorker();
    worker.Restart();  // after an earlier stop

    auto job = std::make_shared<Decode>();
    job->IsImage = image;
    job->Path = path;
    job->Frame = frame;
    auto done = std::make_shared<std::promise<std::shared_ptr<Decode>>>();
    Ahead.push_back(Entry{image, job->Path, frame, done->get_future()});
    bool queued = worker.Post([job, done](const std::atomic<bool>&) {
        if (job->IsImage) {
            job->Image = PrepareImage(job->Path.c_str(), job->Frame);
        } else {
            job->Wave = PrepareWave(job->Path.c_str());
        }
        done->set_value(job);
    });
    if (!queued) Ahead.pop_back();
}

// Finds the entry, drops the ones before it and waits for its result.
std::shared_ptr<Decode> Take(bool image, const char* path, unsigned frame) {
    if (!path) return nullptr;
    for (size_t i = 0; i < Ahead.size(); ++i) {
        const Entry& e = Ahead[i];
        if (e.IsImage != image || e.Frame != frame || e.Path != path) continue;
        std::future<std::shared_ptr<Decode>> result = std::move(Ahead[i].Result);
        Ahead.erase(Ahead.begin(), Ahead.begin() + long(i) + 1);
        return result.get();
    }
    return nullptr;
}

}  // namespace

void DecodeImageAhead(const char* path, unsigned frameSize) { Queue(true, path, frameSize); }

void DecodeWaveAhead(const char* path) { Queue(false, path, 0); }

bool TakeDecodedImage(const char* path, unsigned frameSize, PreparedImage& out) {
    std::shared_ptr<Decode> d = Take(true, path, frameSize);
    if (!d) return false;
    out = std::move(d->Image);
    return true;
}

bool TakeDecodedWave(const char* path, PreparedWave& out) {
    std::shared_ptr<Decode> d = Take(false, path, 0);
    if (!d) return false;
    out = std::move(d->Wave);
    return true;
}

void StopDecodingAhead() {
    // The tasks not yet started are dropped with the worker's queue; the
    // one running finishes before the thread is joined.
    DecodeWorker().Stop(0, LeaveMs);
    Ahead.clear();
}

int DecodesAhead() { return int(Ahead.size()); }
