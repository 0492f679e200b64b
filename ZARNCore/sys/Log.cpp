#include <cstdio>

#include "sys/ZARNSys.h"

int DebugMessages = 0;

int ZARNSys::Debuglog(const char* text) {
    DebugMessages += 1;
    std::printf("% 8i> %s\n", DebugMessages, text);
    std::fflush(stdout);
    return 1;
}
