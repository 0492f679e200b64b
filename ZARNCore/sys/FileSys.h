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
