// The platform layer's one open file and its bulk output buffer, shared by
// the file layer's source and its tests; and the one way the game opens a
// file by name.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <vector>

constexpr int OutBufSize = 20000;
// BulkInt stores only while fewer bytes than this are queued: 4,998 ints.
constexpr int OutBufStoreBelow = 19991;

// The one file open at a time, and the bulk output buffer written into it.
struct OpenFileState {
    FILE* MyOpenFile = nullptr;
    int FileOpen = 0;
    unsigned char OutBuf[OutBufSize] = {};
    int OutBufTo = 0;
};
extern OpenFileState File;

// Save files hold the player's ID and scores: for the player's eyes only.
constexpr mode_t SaveFileMode = 0600;

// Logs "Error Writing File" with the file's path and the reason, once per
// failure: the file layer on a failed open or close, the save worker when
// flushing to disk or renaming fails.
void ReportWriteError(const char* path, int error);

// ---- Files in a folder that others may write to ----
// A portable copy on a shared disk keeps its saves (and its data) in a
// folder that someone else can put names in. So every file the game opens
// by name goes through these: a read takes only a regular file (a link to
// one is followed, as players link saves into synced folders) and never
// waits on a FIFO or device; a write makes a new file and never goes through
// a name that was there before, so a planted link or special file can
// neither redirect it nor hold the game up.

// path opened for reading when it is a regular file or a link to one; a
// FIFO, device or folder is not even opened for long: nullptr, errno set
// (EISDIR for a folder, EINVAL for the rest).
FILE* OpenRegularFile(const char* path);
// The same as a descriptor, still non-blocking, with flags added to the
// open (O_NOFOLLOW: a link is refused, ELOOP); st describes the file. -1
// with errno otherwise.
int OpenRegularFd(const char* path, int flags, struct stat& st);
// The regular file at path (as OpenRegularFile takes it), whole or up to
// most bytes.
bool ReadRegularFile(const char* path, std::vector<unsigned char>& bytes, std::size_t most = SIZE_MAX);
// True when the name path itself (no link followed) is a regular file of
// this user with no other name: a file the game left, safe to delete.
bool LeftByThisUser(const char* path);
// Deletes path if LeftByThisUser; anything else there is left alone.
void RemoveIfLeftByThisUser(const char* path);
// Creates path as a new file for writing with mode (less the umask),
// exclusively and without following a link. A regular file this user left
// under that name is replaced; anything else there (a link, a FIFO, a
// device, a folder, another user's file, a file with a second name) stays
// untouched and the call fails with EEXIST. nullptr with errno on failure.
FILE* CreateFileAnew(const char* path, mode_t mode);
