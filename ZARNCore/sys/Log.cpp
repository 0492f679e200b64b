#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "sys/SysGlobals.h"
#include "sys/ZARNSys.h"

int DebugMessages = 0;

int ZARNSys::Debuglog(const char* text) {
    DebugMessages += 1;
    std::printf("% 8i> %s\n", DebugMessages, text);
    std::fflush(stdout);
    return 1;
}

void SysLog(const char* format, ...) {
    std::memset(TempstrSys, 0, sizeof TempstrSys);
    va_list args;
    va_start(args, format);
    std::vsnprintf(TempstrSys, sizeof TempstrSys, format, args);
    va_end(args);
    ASys.Debuglog(TempstrSys);
}
