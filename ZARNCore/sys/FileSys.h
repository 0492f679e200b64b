// The platform layer's one open file and its bulk output buffer, shared by
// the file layer's source and its tests.
#pragma once

#include <cstdio>

constexpr int OutBufSize = 20000;
// BulkInt stores only while fewer bytes than this are queued: 4,998 ints.
constexpr int OutBufStoreBelow = 19991;

extern FILE* MyOpenFile;
extern int FileOpen;
extern unsigned char OutBuf[OutBufSize];
extern int OutBufTo;

// Logs "Error Writing File" with the file's path and the reason, once per
// failure: the file layer on a failed open or close, the save worker when
// flushing to disk or renaming fails.
void ReportWriteError(const char* path, int error);
