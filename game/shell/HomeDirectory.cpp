#include "shell/HomeDirectory.h"

#include <cstdio>
#include <cstring>

void CutHomeDirectory(const char* path, char* home, std::size_t size) {
    std::snprintf(home, size, ".");
    if (!path) return;
    const char* cut = nullptr;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\') cut = p;
    if (!cut) return;
    std::size_t n = std::size_t(cut - path);
    if (n >= size) n = size - 1;
    std::memcpy(home, path, n);
    home[n] = 0;
}
