// Putting a finished save file in place of the old one, and the worker that
// does it so the disk flush never holds up a frame.
//
// A save is written to "<name>.<pid>.tmp" by the game's thread. The worker
// flushes that file to disk and only then renames it over "<name>", so the
// name always points at one whole file. Any failure (flush or rename) is
// logged, the temporary file deleted and the old file kept; the next save
// request simply tries again.
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "persist/SaveFormat.h"
#include "sys/FileSys.h"

int (*SyncToDisk)(int fd) = fsync;
void (*BeforeReplacement)() = nullptr;

namespace {

constexpr char TempSuffix[] = ".tmp";

// 0 when the file at path was flushed to disk, else the error.
int SyncPath(const std::string& path, int flags) {
    int fd = open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return errno;
    int result = SyncToDisk(fd) == 0 ? 0 : (errno ? errno : EIO);
    close(fd);
    return result;
}

// The pid in "<final>.<pid>.tmp", or 0 when name is not such a file.
long TempOwner(const std::string& name, const std::string& final) {
    std::string prefix = final + ".";
    size_t suffix = sizeof TempSuffix - 1;
    if (name.size() <= prefix.size() + suffix || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix, suffix, TempSuffix) != 0)
        return 0;
    std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix);
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) return 0;
    return std::strtol(digits.c_str(), nullptr, 10);
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
    bool Inline = false;  // no thread could be started: the caller does the work
};

Replacer* Current = new Replacer;

Replacer& TheReplacer() { return *Current; }

// A forked child has no worker thread, and maybe a lock held by one: it
// starts over with a fresh replacer of its own.
void AfterFork() { Current = new Replacer; }

void Run(const Replacement& job) {
    if (BeforeReplacement) BeforeReplacement();
    ReplaceWithTemp(job.Home.c_str(), job.Temp.c_str(), job.Final.c_str());
}

void ReplaceLoop(Replacer* r) {
    std::unique_lock<std::mutex> lock(r->Lock);
    for (;;) {
        r->Changed.wait(lock, [r] { return !r->Queue.empty(); });
        Replacement job = r->Queue.front();
        lock.unlock();
        Run(job);
        lock.lock();
        r->Queue.pop_front();
        r->Changed.notify_all();
    }
}

// A normal exit waits a while for the last save, but never for ever: a
// stuck disk leaves the old file in place.
void FinishAtExit() { FinishReplacements(5000); }

}  // namespace

std::string TempNameFor(const char* final) {
    return std::string(final) + "." + std::to_string(long(getpid())) + TempSuffix;
}

void RemoveStaleTemps(const char* home, const char* final) {
    DIR* dir = opendir(home);
    if (!dir) return;
    while (dirent* entry = readdir(dir)) {
        long owner = TempOwner(entry->d_name, final);
        if (owner <= 0 || owner == long(getpid())) continue;
        // A running writer's file is its business; a dead one's is debris.
        if (kill(pid_t(owner), 0) == 0 || errno != ESRCH) continue;
        unlink((std::string(home) + "/" + entry->d_name).c_str());
    }
    closedir(dir);
}

bool ReplaceWithTemp(const char* home, const char* temp, const char* final) {
    std::string dir = home;
    std::string from = dir + "/" + temp;
    std::string to = dir + "/" + final;
    // The data must be on disk before the name points at it.
    if (int error = SyncPath(from, O_RDONLY)) {
        ReportWriteError(from.c_str(), error);
        unlink(from.c_str());
        return false;
    }
    if (std::rename(from.c_str(), to.c_str()) != 0) {
        ReportWriteError(to.c_str(), errno);
        unlink(from.c_str());
        return false;
    }
    if (int error = SyncPath(dir, O_RDONLY | O_DIRECTORY)) ReportWriteError(dir.c_str(), error);
    RemoveStaleTemps(home, final);
    return true;
}

void ReplaceLater(const char* home, const char* temp, const char* final) {
    Replacer& r = TheReplacer();
    {
        std::lock_guard<std::mutex> lock(r.Lock);
        if (!r.Started) {
            r.Started = true;
            std::atexit(FinishAtExit);
            pthread_atfork(nullptr, nullptr, AfterFork);
            try {
                std::thread(ReplaceLoop, &r).detach();
            } catch (const std::system_error&) {
                // Without a worker the game's thread flushes and renames
                // itself: slower, but the save is not lost.
                std::puts("Save worker could not start; saving on the main thread");
                r.Inline = true;
            }
        }
        if (!r.Inline) {
            r.Queue.push_back({home, temp, final});
            r.Changed.notify_all();
            return;
        }
    }
    Run({home, temp, final});
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
