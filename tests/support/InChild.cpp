#include "support/InChild.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

std::string InChild(const std::function<int()>& body, int* status, unsigned limitSeconds) {
    int out[2];
    if (pipe(out) != 0) return "pipe failed";
    std::fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        close(out[0]);
        dup2(out[1], 1);
        alarm(limitSeconds);
        int code = body();
        std::fflush(stdout);
        _exit(code);
    }
    close(out[1]);
    std::string text;
    char buf[4096];
    for (ssize_t n; (n = read(out[0], buf, sizeof buf)) > 0;) text.append(buf, size_t(n));
    close(out[0]);
    int st = 0;
    waitpid(pid, &st, 0);
    if (status) *status = WIFEXITED(st) ? WEXITSTATUS(st) : WIFSIGNALED(st) ? 128 + WTERMSIG(st) : -1;
    return text;
}
