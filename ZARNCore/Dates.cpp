// Local dates and times, and the debug log.
#include <cstdio>
#include <ctime>

#include "ZARNCore.h"
#include "sys/ZARNSys.h"

namespace {
// Every component reads the clock afresh.
std::tm Now() {
    std::time_t t = std::time(nullptr);
    std::tm out{};
    localtime_r(&t, &out);
    return out;
}

// Formats on the stack rather than in the shared ring, so asking for the
// time never pushes a caller's text out of it.
std::string Format(const char* format, int a, int b, int c, int d = 0, int e = 0, int f = 0) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, a, b, c, d, e, f);
    return buf;
}
}  // namespace

int ZARNCore::Date_Day() { return Now().tm_mday; }
int ZARNCore::Date_Month() { return Now().tm_mon + 1; }
int ZARNCore::Date_Year() { return Now().tm_year + 1900; }
int ZARNCore::Time_Hour() { return Now().tm_hour; }
int ZARNCore::Time_Minute() { return Now().tm_min; }
int ZARNCore::Time_Second() { return Now().tm_sec; }

std::string ZARNCore::Date_str() {
    return Format("%02i/%02i/%i", Date_Day(), Date_Month(), Date_Year());
}

std::string ZARNCore::Time_str() {
    return Format("%02i:%02i:%02i", Time_Hour(), Time_Minute(), Time_Second());
}

std::string ZARNCore::DateTime_str() {
    return Format("%02i/%02i/%i %02i:%02i:%02i", Date_Day(), Date_Month(), Date_Year(), Time_Hour(),
                Time_Minute(), Time_Second());
}

std::string ZARNCore::DateTime_file() {
    return Format("%02i-%02i-%i_%02i-%02i-%02i", Date_Day(), Date_Month(), Date_Year(), Time_Hour(),
                Time_Minute(), Time_Second());
}

// Year first, so names sort by time.
std::string ZARNCore::DateTime_fileb() {
    return Format("%i-%02i-%02i_%02i-%02i-%02i", Date_Year(), Date_Month(), Date_Day(), Time_Hour(),
                Time_Minute(), Time_Second());
}

int ZARNCore::Debuglog(const std::string& s) {
    ASys.Debuglog(s.c_str());
    return 1;
}
#ifndef ZARN_DISABLE_OTHER_NAMES
int ZARNCore::Print(const std::string& s) { return Debuglog(s); }
int ZARNCore::DebugLog(const std::string& s) { return Debuglog(s); }
int ZARNCore::Debug(const std::string& s) { return Debuglog(s); }
#endif
