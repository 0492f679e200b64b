#include "ReplayCheckers.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "rules/Journal.h"
#include "rules/Replay.h"

namespace {

bool WriteAll(int fd, const char* p, std::size_t n) {
    while (n > 0) {
        ssize_t w = write(fd, p, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        p += w;
        n -= std::size_t(w);
    }
    return true;
}

bool ReadAll(int fd, char* p, std::size_t n) {
    while (n > 0) {
        ssize_t r = read(fd, p, n);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        p += r;
        n -= std::size_t(r);
    }
    return true;
}

// One line from a checker within the time left; false when it ended or
// the time ran out.
bool ReadLine(int fd, std::string& line, int ms) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    line.clear();
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd p = {fd, POLLIN, 0};
        int ready = poll(&p, 1, int(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        char buf[512];
        ssize_t r = read(fd, buf, sizeof buf);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        line.append(buf, std::size_t(r));
        std::size_t end = line.find('\n');
        if (end != std::string::npos) {
            line.resize(end);
            return true;
        }
        if (line.size() > 4096) return false;
    }
}

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}

void Answer(const std::string& line) {
    std::string out = OneLine(line) + "\n";
    if (!WriteAll(1, out.data(), out.size())) _exit(0);
}

}  // namespace

ReplayCheckers::~ReplayCheckers() {
    for (Checker& c : checkers_) End(c);
    if (program_ >= 0) close(program_);
}

bool ReplayCheckers::Spawn(Checker& c) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0) return false;
    if (pipe2(out, O_CLOEXEC) != 0) {
        close(in[0]);
        close(in[1]);
        return false;
    }
    pid_t parent = getpid();
    pid_t pid = fork();
    if (pid == 0) {
        // Only calls that are safe between fork and exec in a process with
        // threads: the pipes become its standard input and output, every
        // other descriptor is closed, and the limits are set before the
        // program starts.
        dup2(in[0], 0);
        dup2(out[1], 1);
        unsigned program = unsigned(program_);
        if (program > 3) syscall(SYS_close_range, 3u, program - 1, 0u);
        syscall(SYS_close_range, program + 1, ~0u, 0u);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
        if (getppid() != parent) _exit(1);
        rlimit memory = {CheckerMemoryBytes, CheckerMemoryBytes};
        rlimit none = {0, 0};
        rlimit files = {16, 16};
        if (CheckerMemoryCapped) setrlimit(RLIMIT_AS, &memory);
        setrlimit(RLIMIT_FSIZE, &none);
        setrlimit(RLIMIT_CORE, &none);
        setrlimit(RLIMIT_NOFILE, &files);
        char* argv[] = {const_cast<char*>("gobbit_score_server"), const_cast<char*>("--checker"), nullptr};
        char* env[] = {nullptr};
        fexecve(program_, argv, env);
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    if (pid < 0) {
        close(in[1]);
        close(out[0]);
        return false;
    }
    c.Pid = pid;
    c.In = in[1];
    c.Out = out[0];
    return true;
}

int ReplayCheckers::End(Checker& c) {
    if (c.Pid <= 0) return 0;
    close(c.In);
    close(c.Out);
    kill(c.Pid, SIGKILL);
    int status = 0;
    while (waitpid(c.Pid, &status, 0) < 0 && errno == EINTR) {
    }
    c = Checker{};
    return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

bool ReplayCheckers::Open(std::string& reason) {
    program_ = open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
    if (program_ < 0) reason = std::string("cannot open the server's own program: ") + std::strerror(errno);
    return program_ >= 0;
}

bool ReplayCheckers::Start(int count, std::string& reason) {
    checkers_.resize(std::size_t(count < 1 ? 1 : count));
    for (std::size_t i = 0; i < checkers_.size(); i++) {
        if (!Spawn(checkers_[i])) {
            reason = std::string("cannot start a checker: ") + std::strerror(errno);
            return false;
        }
        free_.push_back(int(i));
    }
    // The first one must answer: a program that cannot run as a checker
    // (not found, not allowed to run) is found now rather than per journal.
    ReplayOutcome probe = Replay(std::string());
    if (probe.Result != ReplayOutcome::Unusable) {
        reason = "the checker does not answer: " + probe.Message;
        return false;
    }
    return true;
}

std::vector<pid_t> ReplayCheckers::Pids() {
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<pid_t> pids;
    for (const Checker& c : checkers_) pids.push_back(c.Pid);
    return pids;
}

ReplayOutcome ReplayCheckers::Replay(const std::string& journal) {
    int index;
    {
        std::unique_lock<std::mutex> guard(lock_);
        freed_.wait(guard, [this] { return !free_.empty(); });
        index = free_.back();
        free_.pop_back();
    }
    Checker& c = checkers_[std::size_t(index)];
    ReplayOutcome out;
    if (c.Pid <= 0 && !Spawn(c)) {
        out.Message = "no checker could be started";
    } else {
        std::uint32_t size = std::uint32_t(journal.size());
        unsigned char head[4] = {static_cast<unsigned char>(size), static_cast<unsigned char>(size >> 8),
                                 static_cast<unsigned char>(size >> 16), static_cast<unsigned char>(size >> 24)};
        std::string line;
        bool answered = WriteAll(c.In, reinterpret_cast<const char*>(head), 4) &&
                        WriteAll(c.In, journal.data(), journal.size()) && ReadLine(c.Out, line, ReplayWallMs);
        if (!answered) {
            int signal = End(c);
            if (signal == SIGPROF || signal == SIGXCPU) {
                out.Result = ReplayOutcome::TooCostly;
                out.Message = "the replay took more than its processor time";
            } else {
                out.Message = signal ? std::string("the checker ended with signal ") + strsignal(signal)
                                     : "the checker did not answer in time";
            }
        } else {
            std::size_t space = line.find(' ');
            std::string verdict = line.substr(0, space);
            std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
            if (verdict == "verified" || verdict == "differs") {
                out.Result = verdict == "verified" ? ReplayOutcome::Verified : ReplayOutcome::Differs;
                out.Score = std::atoi(rest.c_str());
                std::size_t text = rest.find(' ');
                out.Message = text == std::string::npos ? "" : rest.substr(text + 1);
            } else if (verdict == "unusable") {
                out.Result = ReplayOutcome::Unusable;
                out.Message = rest;
            } else if (verdict == "toocostly") {
                out.Result = ReplayOutcome::TooCostly;
                out.Message = rest;
            } else {
                End(c);
                out.Message = "the checker answered \"" + line + "\"";
            }
        }
    }
    {
        std::lock_guard<std::mutex> guard(lock_);
        free_.push_back(index);
    }
    freed_.notify_one();
    return out;
}

int RunChecker() {
    // Nothing of the server's is needed here, and nothing may be written.
    std::signal(SIGPIPE, SIG_DFL);
    for (;;) {
        unsigned char head[4];
        if (!ReadAll(0, reinterpret_cast<char*>(head), 4)) return 0;
        std::size_t size = std::size_t(head[0]) | std::size_t(head[1]) << 8 | std::size_t(head[2]) << 16 |
                           std::size_t(head[3]) << 24;
        if (size > MaxJournalBytes) return 2;
        std::string bytes(size, '\0');
        if (!ReadAll(0, &bytes[0], size)) return 0;
        // The processor time of this journal alone: past it SIGPROF ends
        // the process, which the server reports as too costly.
        itimerval budget = {{0, 0}, {ReplayCpuMs / 1000, (ReplayCpuMs % 1000) * 1000}};
        itimerval off = {};
        setitimer(ITIMER_PROF, &budget, nullptr);
        std::string answer;
        try {
            Journal journal;
            std::string error;
            if (!DecodeJournal(reinterpret_cast<const std::uint8_t*>(bytes.data()), size, journal, error)) {
                answer = "unusable " + error;
            } else {
                ReplayResult r = ReplayJournal(journal);
                if (r.Outcome == ReplayResult::Verified)
                    answer = "verified " + std::to_string(r.Score);
                else if (r.Outcome == ReplayResult::Differs)
                    answer = "differs " + std::to_string(r.Score) + " " + r.Message;
                else
                    answer = "unusable " + r.Message;
            }
        } catch (const std::bad_alloc&) {
            answer = "toocostly the replay needed more memory than a checker has";
        }
        setitimer(ITIMER_PROF, &off, nullptr);
        Answer(answer);
    }
}
