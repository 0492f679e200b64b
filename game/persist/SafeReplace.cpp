// Putting a finished save file in place of the old one, and the worker that
// does it so the disk flush never holds up a frame.
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "persist/SaveFormat.h"

namespace {

void SyncPath(const std::string& path, int flags) {
    int fd = open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

struct Replacement {
    std::string Home, Temp, Final;
};

// Allocated once and never freed: the worker may outlive static destruction.
struct Replacer {
    std::mutex Lock;
    std::condition_variable Changed;
    std::deque<Replacement> Queue;  // the front one is being done
    bool Started = false;
};

Replacer* Current = new Replacer;

Replacer& TheReplacer() { return *Current; }

// A forked child has no worker thread, and maybe a lock held by one: it
// starts over with a fresh replacer of its own.
void AfterFork() { Current = new Replacer; }

void ReplaceLoop(Replacer* r) {
    std::unique_lock<std::mutex> lock(r->Lock);
    for (;;) {
        r->Changed.wait(lock, [r] { return !r->Queue.empty(); });
        Replacement job = r->Queue.front();
        lock.unlock();
        ReplaceWithTemp(job.Home.c_str(), job.Temp.c_str(), job.Final.c_str());
        lock.lock();
        r->Queue.pop_front();
        r->Changed.notify_all();
    }
}

// A normal exit never loses the last save.
void FinishAtExit() { FinishReplacements(10000); }

}  // namespace

bool ReplaceWithTemp(const char* home, const char* temp, const char* final) {
    std::string dir = home;
    std::string from = dir + "/" + temp;
    std::string to = dir + "/" + final;
    // The data must be on disk before the name points at it.
    SyncPath(from, O_RDONLY);
    if (std::rename(from.c_str(), to.c_str()) != 0) return false;
    SyncPath(dir, O_RDONLY | O_DIRECTORY);
    return true;
}

void ReplaceLater(const char* home, const char* temp, const char* final) {
    Replacer& r = TheReplacer();
    std::lock_guard<std::mutex> lock(r.Lock);
    r.Queue.push_back({home, temp, final});
    if (!r.Started) {
        r.Started = true;
        std::thread(ReplaceLoop, &r).detach();
        std::atexit(FinishAtExit);
        pthread_atfork(nullptr, nullptr, AfterFork);
    }
    r.Changed.notify_all();
}

bool ReplacePending(const char* home, const char* temp) {
    Replacer& r = TheReplacer();
    std::lock_guard<std::mutex> lock(r.Lock);
    for (const Replacement& job : r.Queue)
        if (job.Home == home && job.Temp == temp) return true;
    return false;
}

bool FinishReplacements(int ms) {
    Replacer& r = TheReplacer();
    std::unique_lock<std::mutex> lock(r.Lock);
    return r.Changed.wait_for(lock, std::chrono::milliseconds(ms), [&r] { return r.Queue.empty(); });
}
