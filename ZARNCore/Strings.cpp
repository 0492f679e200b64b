// The formatted-text ring, the Left/Right/Mid string helpers, number texts,
// ordinals and the packing of short names into ints.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ZARNCore.h"

int TempstrUse = 0;

namespace {
constexpr int RingSize = 30;
constexpr int RingClear = 1023;  // only the start of a buffer is cleared per use
constexpr int PadLimit = 1023;   // padded texts stay within one short line
}  // namespace

// Formats into the next buffer of the text ring and returns it.
static char* FormatInRing(decltype(ZARNCore::Tempstr)& ring, const char* format, va_list args) {
    TempstrUse = (TempstrUse + 1) % RingSize;
    char* buf = ring[TempstrUse];
    std::memset(buf, 0, RingClear);
    std::vsnprintf(buf, sizeof ring[0], format, args);
    return buf;
}

char* ZARNCore::fstr(const char* format, ...) {
    va_list args;
    va_start(args, format);
    char* buf = FormatInRing(Tempstr, format, args);
    va_end(args);
    return buf;
}

void ZARNCore::tstr(const char* format, ...) {
    va_list args;
    va_start(args, format);
    FormatInRing(Tempstr, format, args);
    va_end(args);
}

// A negative count means "all", like a negative "%.*s" precision.
std::string ZARNCore::Left(const std::string& s, int n) {
    if (n < 0) return s;
    return s.substr(0, size_t(n));
}

std::string ZARNCore::Right(const std::string& s, int n) {
    if (n <= 0) return {};
    if (size_t(n) >= s.size()) return s;
    return s.substr(s.size() - size_t(n));
}

std::string ZARNCore::Mid(const std::string& s, int start, int n) {
    if (start < 0) start = 0;
    if (size_t(start) >= s.size()) return {};
    if (n < 0) return s.substr(size_t(start));
    return s.substr(size_t(start), size_t(n));
}

// Bytes of 128 and above are signed, so they count as blanks.
std::string ZARNCore::Trim(const std::string& s) {
    int first = -1, last = -1;
    for (int i = 0; i < int(s.size()); i++) {
        if (static_cast<signed char>(s[size_t(i)]) > 32) {
            if (first < 0) first = i;
            last = i;
        }
    }
    if (first < 0) return {};
    return s.substr(size_t(first), size_t(last - first + 1));
}

std::string ZARNCore::Strip(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s)
        if (c != ' ') out += c;
    return out;
}

std::string ZARNCore::LeftPad(const std::string& s, int n, char ch) {
    int len = int(s.size());
    if (n > PadLimit - len) n = PadLimit - len;
    if (n <= 0) return {};
    std::string out = s;
    if (len < n) out.append(size_t(n - len), ch);
    return out.substr(0, size_t(n));
}

std::string ZARNCore::RightPad(const std::string& s, int n, char ch) {
    int len = int(s.size());
    if (n > PadLimit - len) n = PadLimit - len;
    if (n <= 0) return {};
    std::string out;
    if (len < n) out.assign(size_t(n - len), ch);
    out += s;
    return out.substr(out.size() - size_t(n));
}

// A separator in the last position does not start another field: it stays
// part of the last one.
std::string ZARNCore::Split(const std::string& s, char sep, int k) {
    if (k < 1 || s.empty()) return MissingField;
    const size_t end = s.size() - 1;
    size_t start = 0;
    int field = 1;
    for (size_t i = 0; i < end; i++) {
        if (s[i] != sep) continue;
        if (field == k) return s.substr(start, i - start);
        field += 1;
        start = i + 1;
    }
    if (field == k) return s.substr(start);
    return MissingField;
}

int ZARNCore::SplitCount(const std::string& s, char sep) {
    int n = 1;
    for (char c : s)
        if (c == sep) n += 1;
    return n;
}

std::string ZARNCore::iniLeft(const std::string& s) {
    size_t eq = s.find('=');
    if (eq == std::string::npos) return MissingField;
    return s.substr(0, eq);
}

std::string ZARNCore::iniRight(const std::string& s) {
    size_t eq = s.find('=');
    if (eq == std::string::npos) return MissingField;
    return s.substr(eq + 1);
}

std::string ZARNCore::Hex(int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%X", unsigned(n));
    return buf;
}

// Decimal digits despite the name: the unsigned reading of n.
std::string ZARNCore::Bin(int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%u", unsigned(n));
    return buf;
}

int ZARNCore::HexToInt(const std::string& s) { return int(std::strtol(s.c_str(), nullptr, 16)); }
int ZARNCore::BinToInt(const std::string& s) { return int(std::strtol(s.c_str(), nullptr, 2)); }
int ZARNCore::StrToInt(const std::string& s) { return std::atoi(s.c_str()); }
int ZARNCore::ToInt(const std::string& s) { return std::atoi(s.c_str()); }

// Only 11-13 themselves take "th"; 111 and up follow the last digit.
std::string ZARNCore::nth(int n) {
    const char* suffix = "th";
    int last = n % 10;
    if (n == 1 || (n > 20 && last == 1))
        suffix = "st";
    else if (n == 2 || (n > 20 && last == 2))
        suffix = "nd";
    else if (n == 3 || (n > 20 && last == 3))
        suffix = "rd";
    return std::to_string(n) + suffix;
}

// Six letters, 5 bits each, the first in bits 25-29.
int ZARNCore::SixDigitString(const char* s) {
    int packed = 0;
    for (int k = 0; k < 6 && s && s[k]; k++) {
        int code = static_cast<signed char>(s[k]) - 64;
        if (code > 26) code -= 32;
        if (code < 1 || code > 26) code = 0;
        packed |= code << (25 - 5 * k);
    }
    return packed;
}

std::string ZARNCore::SixDigitString(int a) {
    std::string out(6, ' ');
    for (int k = 0; k < 6; k++) {
        int field = (a >> (25 - 5 * k)) & 31;
        if (field >= 1 && field <= 26) out[size_t(k)] = char(field + 64);
    }
    return out;
}

std::string ZARNCore::SixDigitString(int a, int b) { return SixDigitString(a) + SixDigitString(b); }

std::string ZARNCore::SixDigitString(int a, int b, int c) {
    return SixDigitString(a) + SixDigitString(b) + SixDigitString(c);
}
