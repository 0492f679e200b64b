// The game's file operations: names are relative to the home directory and
// the byte work is the platform layer's.
#include <cstdio>

#include "ZARNCore.h"
#include "sys/ZARNSys.h"

namespace {
std::string InHome(const char* home, const char* name) {
    char path[4098 + 1024 + 2];
    std::snprintf(path, sizeof path, "%s/%s", home, name ? name : "");
    return path;
}
}  // namespace

int ZARNCore::WriteFile(const char* name) { return ASys.WriteFile_Sys(InHome(home, name).c_str()); }
int ZARNCore::ReadFile(const char* name) { return ASys.ReadFile_Sys(InHome(home, name).c_str()); }
int ZARNCore::CloseFile() { return ASys.CloseFile_Sys(); }

void ZARNCore::WriteInt(int value) { ASys.WriteInt_Sys(value); }
void ZARNCore::WriteByte(unsigned char value) { ASys.WriteByte_Sys(value); }
void ZARNCore::WriteBytes(const unsigned char* bytes, int count) { ASys.WriteBytes_Sys(bytes, count); }
void ZARNCore::WriteString(const std::string& text) { ASys.WriteString_Sys(text.c_str()); }
void ZARNCore::WriteLine(const std::string& text) { ASys.WriteString_Sys(text.c_str()); }

void ZARNCore::BulkClear() { ASys.BulkClear_Sys(); }
void ZARNCore::BulkInt(int value) { ASys.BulkInt_Sys(value); }
void ZARNCore::BulkWrite() { ASys.BulkWrite_Sys(); }

int ZARNCore::ReadInt() { return ASys.ReadInt_Sys(); }
int ZARNCore::ReadByte() { return ASys.ReadByte_Sys(); }
std::string ZARNCore::ReadLine() { return ASys.ReadString_Sys(); }

// The line lands in the text ring; callers read Tempstr[index].
int ZARNCore::ReadString() {
    std::string line = ASys.ReadString_Sys();
    tstr("%s", line.c_str());
    return TempstrUse;
}

int ZARNCore::FilePos() { return ASys.FilePos_Sys(); }
void ZARNCore::FileSeek(int offset) { ASys.FileSeek_Sys(offset); }
