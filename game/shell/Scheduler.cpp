#include "shell/Scheduler.h"

bool ActiveSlotDue(int now, int& next) {
    bool due = false;
    if (now >= next) {
        next = now + ActivePeriod;
        due = true;
    }
    if (now < next - ClockJumpBack) {
        next = now + ActivePeriod;
        due = true;
    }
    return due;
}

bool InactiveSlotDue(int now, int& next) {
    bool due = false;
    if (now > next) {
        next += InactivePeriod;
        due = true;
    }
    if (now < next - ClockJumpBack) {
        next = now + InactivePeriod;
        due = true;
    }
    return due;
}

int ActiveSleepMs(int now, int nextUpdate, int nextRender) {
    int wait = nextUpdate - now;
    if (nextRender - now < wait) wait = nextRender - now;
    if (wait < 0) wait = 0;
    if (wait > ActivePeriod) wait = ActivePeriod;
    return wait;
}
