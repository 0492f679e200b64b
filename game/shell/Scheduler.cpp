#include "shell/Scheduler.h"

int MsAhead(int target, int now) { return int(unsigned(target) - unsigned(now)); }

int MsAfter(int now, int ms) { return int(unsigned(now) + unsigned(ms)); }

bool ActiveSlotDue(int now, int& next) {
    int ahead = MsAhead(next, now);
    // A target more than one period away can only mean the clock went back.
    if (ahead <= 0 || ahead > ActivePeriod) {
        next = MsAfter(now, ActivePeriod);
        return true;
    }
    return false;
}

bool InactiveSlotDue(int now, int& next) {
    bool due = false;
    if (MsAhead(next, now) < 0) {
        next = MsAfter(next, InactivePeriod);
        due = true;
    }
    if (MsAhead(next, now) > InactivePeriod) {
        next = MsAfter(now, InactivePeriod);
        due = true;
    }
    return due;
}

int ActiveSleepMs(int now, int nextUpdate, int nextRender) {
    int wait = MsAhead(nextUpdate, now);
    if (MsAhead(nextRender, now) < wait) wait = MsAhead(nextRender, now);
    if (wait < 0) wait = 0;
    if (wait > ActivePeriod) wait = ActivePeriod;
    return wait;
}
