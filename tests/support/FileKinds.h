// What a name in a folder holds, for tests of a save folder that others
// can write to, and the special files they plant there.
#pragma once

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <string>

// What the name itself holds (a link is not followed): "file", "link",
// "fifo", "folder", "device", or "" for nothing.
inline std::string Kind(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return "";
    if (S_ISREG(st.st_mode)) return "file";
    if (S_ISLNK(st.st_mode)) return "link";
    if (S_ISFIFO(st.st_mode)) return "fifo";
    if (S_ISDIR(st.st_mode)) return "folder";
    return "device";
}

// The permission bits of the file path names (a link is followed), 0 if none.
inline mode_t ModeOf(const std::string& path) {
    struct stat st{};
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// A character device that reads as endless zeros, like /dev/zero: false
// where device nodes cannot be made (they need root).
inline bool MakeZeroDevice(const std::string& path) {
    return mknod(path.c_str(), S_IFCHR | 0600, makedev(1, 5)) == 0;
}

// The special files a test puts in place of a save file, and whether the
// next save can put a file in their place (a folder cannot be renamed over).
struct SpecialFile {
    const char* what;
    bool (*make)(const std::string& path);
    bool replacedBySave;
};
inline bool MakeFifo(const std::string& path) { return mkfifo(path.c_str(), 0666) == 0; }
inline bool MakeFolder(const std::string& path) { return mkdir(path.c_str(), 0777) == 0; }
inline const SpecialFile SpecialFiles[] = {
    {"a FIFO", MakeFifo, true},
    {"a device of endless zeros", MakeZeroDevice, true},
    {"a folder", MakeFolder, false},
};
