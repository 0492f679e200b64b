// Memory figures from /proc/<pid>/status, for the frame benchmarks.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>

// The value in kB of a line such as "VmHWM:" of a process's status ("self"
// for this one); -1 if there is no such line.
inline long StatusKb(const std::string& pid, const std::string& key) {
    std::ifstream f("/proc/" + pid + "/status");
    std::string line;
    while (std::getline(f, line))
        if (line.compare(0, key.size(), key) == 0) return std::atol(line.c_str() + key.size());
    return -1;
}
