// Putting a finished save file in place of the old one, on the file worker
// so the disk flush never holds up a frame.
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
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <string>

#include "persist/SaveFormat.h"
#include "sys/FileSys.h"
#include "sys/Worker.h"

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

// The temporary files queued for the worker and not yet put in place. One
// allocation, never freed: a worker task may still use it during exit.
struct PendingFiles {
    std::mutex Lock;
    std::multiset<std::string> Paths;
};
PendingFiles* Pending = new PendingFiles;

// A forked child has no worker thread and drops its queue (the worker starts
// over): nothing of the parent's is pending there, and a lock a worker held
// may never be released.
void AfterFork() { Pending = new PendingFiles; }

Worker& FileWorker() {
    static Worker* worker = [] {
        pthread_atfork(nullptr, nullptr, AfterFork);
        // A normal exit waits a while for the last save, but never for ever:
        // a stuck disk leaves the old file in place.
        std::atexit([] { FinishReplacements(5000); });
        return new Worker;
    }();
    return *worker;
}

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
    Worker& worker = FileWorker();
    std::string pendingPath = std::string(home) + "/" + temp;
    PendingFiles* pending = Pending;
    {
        std::lock_guard<std::mutex> lock(pending->Lock);
        pending->Paths.insert(pendingPath);
    }
    // Without a thread the worker runs this at once on the game's thread:
    // slower, but the save is not lost.
    bool queued = worker.Post([home = std::string(home), temp = std::string(temp), final = std::string(final),
                               pendingPath, pending](const std::atomic<bool>&) {
        if (BeforeReplacement) BeforeReplacement();
        ReplaceWithTemp(home.c_str(), temp.c_str(), final.c_str());
        std::lock_guard<std::mutex> lock(pending->Lock);
        auto it = pending->Paths.find(pendingPath);
        if (it != pending->Paths.end()) pending->Paths.erase(it);
    });
    if (!queued) {
        std::lock_guard<std::mutex> lock(pending->Lock);
        auto it = pending->Paths.find(pendingPath);
        if (it != pending->Paths.end()) pending->Paths.erase(it);
    }
}

bool ReplacePending(const char* home, const char* temp) {
    PendingFiles* pending = Pending;
    std::lock_guard<std::mutex> lock(pending->Lock);
    return pending->Paths.count(std::string(home) + "/" + temp) > 0;
}

bool FinishReplacements(int ms) { return FileWorker().WaitIdle(ms); }

bool SaveWholeFile(const char* home, const char* final, const void* data, std::size_t size) {
    if (!home || !*home) return false;  // no save folder: "/name" is nobody's file
    const std::string temp = TempNameFor(final);
    // This process's temporary file of final may still be on its way.
    if (ReplacePending(home, temp.c_str()) && !FinishReplacements(ExitSaveWaitMs)) return false;
    const std::string path = std::string(home) + "/" + temp;
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        ReportWriteError(path.c_str(), errno);
        return false;
    }
    const char* p = static_cast<const char*>(data);
    std::size_t left = size;
    int error = 0;
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            break;
        }
        p += n;
        left -= std::size_t(n);
    }
    if (close(fd) != 0 && error == 0) error = errno;
    if (error) {
        ReportWriteError(path.c_str(), error);
        unlink(path.c_str());
        return false;
    }
    ReplaceLater(home, temp.c_str(), final);
    return true;
}
