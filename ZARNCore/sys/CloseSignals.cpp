#include "sys/CloseSignals.h"

#include <signal.h>

#include <initializer_list>

namespace {

// All the handler does: async-signal-safe, read by the next input poll.
volatile sig_atomic_t Signalled = 0;

void OnCloseSignal(int) { Signalled = 1; }

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

bool CloseSignalled() { return Signalled != 0; }
