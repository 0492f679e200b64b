// Putting a finished save file in place of the old one, on the file worker
// so the disk flush never holds up a frame.
//
// A save is written to "<name>.<pid>.tmp" by the game's thread. The worker
// flushes that file to disk and only then renames it over "<name>", so the
// name always points at one whole file. Any failure (flush or rename) is
// logged, the temporary file deleted and the old file kept; the next save
// request simply tries again.
//
// The folder may be one that others can write to (a portable copy on a
// shared disk), and a pid is easy to guess: the temporary file is made
// exclusively (the file layer's CreateFileAnew), a name someone else holds
// is passed over for the next one, and the worker puts in place only the
// regular file found under the temporary name, never a link planted there.
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
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

int ErrorOr(int fallback) { return errno ? errno : fallback; }

// Flushes fd to disk: 0, else the error.
int Sync(int fd) { return SyncToDisk(fd) == 0 ? 0 : ErrorOr(EIO); }

bool AllDigits(const std::string& text, size_t most) {
    return !text.empty() && text.size() <= most && text.find_first_not_of("0123456789") == std::string::npos;
}

// The pid in "<final>.<pid>.tmp" or "<final>.<pid>-<n>.tmp", or 0 when name
// is not such a file.
long TempOwner(const std::string& name, const std::string& final) {
    std::string prefix = final + ".";
    size_t suffix = sizeof TempSuffix - 1;
    if (name.size() <= prefix.size() + suffix || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix, suffix, TempSuffix) != 0)
        return 0;
    std::string middle = name.substr(prefix.size(), name.size() - prefix.size() - suffix);
    size_t dash = middle.find('-');
    std::string pid = middle.substr(0, dash);
    if (!AllDigits(pid, 9) || (dash != std::string::npos && !AllDigits(middle.substr(dash + 1), 2))) return 0;
    return std::strtol(pid.c_str(), nullptr, 10);
}

// Flushes the folder's list of names, so that the rename is on disk too: 0,
// else the error.
int SyncFolder(const std::string& dir) {
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    int error = Sync(fd);
    close(fd);
    return error;
}

// True while path still names the file described by st.
bool StillNames(const std::string& path, const struct stat& st) {
    struct stat now;
    return lstat(path.c_str(), &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino;
}

// The save files whose temporary file is queued for the worker and not yet
// put in place. One allocation, never freed: a worker task may still use it
// during exit.
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

std::string TempNameFor(const char* final, int n) {
    std::string name = std::string(final) + "." + std::to_string(long(getpid()));
    if (n > 0) name += "-" + std::to_string(n);
    return name + TempSuffix;
}

int FreeTempNumber(const char* home, const char* final) {
    for (int n = 0; n < TempNameTries; n++) {
        std::string path = std::string(home) + "/" + TempNameFor(final, n);
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 ? errno == ENOENT : LeftByThisUser(path.c_str())) return n;
    }
    return 0;
}

void DiscardTemp(const char* home, const char* temp) {
    RemoveIfLeftByThisUser((std::string(home) + "/" + temp).c_str());
}

void RemoveStaleTemps(const char* home, const char* final) {
    DIR* dir = opendir(home);
    if (!dir) return;
    while (dirent* entry = readdir(dir)) {
        long owner = TempOwner(entry->d_name, final);
        if (owner <= 0 || owner == long(getpid())) continue;
        // A running writer's file is its business; a dead one's is debris.
        if (kill(pid_t(owner), 0) == 0 || errno != ESRCH) continue;
        RemoveIfLeftByThisUser((std::string(home) + "/" + entry->d_name).c_str());
    }
    closedir(dir);
}

bool ReplaceWithTemp(const char* home, const char* temp, const char* final) {
    std::string dir = home;
    std::string from = dir + "/" + temp;
    std::string to = dir + "/" + final;
    // The data must be on disk before the name points at it. Only the
    // regular file under the name is taken, never a link planted there, and
    // a FIFO is not waited on.
    struct stat st;
    int fd = OpenRegularFd(from.c_str(), O_NOFOLLOW, st);
    int error = fd < 0 ? errno : Sync(fd);
    // What is renamed is what was flushed: a link put in its place after
    // the check would otherwise become the save file.
    if (!error && !StillNames(from, st)) error = ESTALE;
    if (error) {
        ReportWriteError(from.c_str(), error);
    } else if (std::rename(from.c_str(), to.c_str()) != 0) {
        error = errno;
        ReportWriteError(to.c_str(), error);
    }
    if (fd >= 0) close(fd);
    if (error) {
        RemoveIfLeftByThisUser(from.c_str());
        return false;
    }
    if (int error = SyncFolder(dir)) ReportWriteError(dir.c_str(), error);
    RemoveStaleTemps(home, final);
    return true;
}

void ReplaceLater(const char* home, const char* temp, const char* final) {
    Worker& worker = FileWorker();
    std::string pendingPath = std::string(home) + "/" + final;
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

bool ReplacePending(const char* home, const char* final) {
    PendingFiles* pending = Pending;
    std::lock_guard<std::mutex> lock(pending->Lock);
    return pending->Paths.count(std::string(home) + "/" + final) > 0;
}

bool FinishReplacements(int ms) { return FileWorker().WaitIdle(ms); }

void RemoveLater(const char* home, const char* final) {
    std::string path = std::string(home) + "/" + final;
    // Only the game's own file: whatever else someone left under the name stays.
    FileWorker().Post([path](const std::atomic<bool>&) { RemoveIfLeftByThisUser(path.c_str()); });
}

bool SaveWholeFile(const char* home, const char* final, const void* data, std::size_t size) {
    if (!home || !*home) return false;  // no save folder: "/name" is nobody's file
    // This process's last temporary file of final may still be on its way.
    if (ReplacePending(home, final) && !FinishReplacements(ExitSaveWaitMs)) return false;
    const std::string temp = TempNameFor(final, FreeTempNumber(home, final));
    const std::string path = std::string(home) + "/" + temp;
    FILE* file = CreateFileAnew(path.c_str(), SaveFileMode);
    if (!file) {
        ReportWriteError(path.c_str(), errno);
        return false;
    }
    errno = 0;
    int error = std::fwrite(data, 1, size, file) == size ? 0 : ErrorOr(EIO);
    if (std::fclose(file) != 0 && error == 0) error = ErrorOr(EIO);
    if (error) {
        ReportWriteError(path.c_str(), error);
        RemoveIfLeftByThisUser(path.c_str());
        return false;
    }
    ReplaceLater(home, temp.c_str(), final);
    return true;
}
