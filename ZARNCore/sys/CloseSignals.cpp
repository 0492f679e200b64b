#include "sys/CloseSignals.h"

#include <signal.h>
#include <unistd.h>

#include <initializer_list>

namespace {

volatile sig_atomic_t Signalled = 0;
volatile sig_atomic_t LoopRunning = 0;

// Async-signal-safe only: a flag, or a line and _exit.
void OnCloseSignal(int) {
    if (LoopRunning) {
        Signalled = 1;
        return;
    }
    static const char line[] = "Closed during start-up\n";
    ssize_t written = write(STDOUT_FILENO, line, sizeof line - 1);
    (void)written;
    _exit(0);
}

}  // namespace

void CatchCloseSignals() {
    struct sigaction action = {};
    action.sa_handler = OnCloseSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls carry on; the handler is used once, so a
    // second signal takes its default course and ends the process.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
}

void CloseSignalsToMainLoop() { LoopRunning = 1; }

bool CloseSignalled() { return Signalled != 0; }
