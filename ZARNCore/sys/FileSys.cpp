// The one open file (written and read as 32-bit little-endian ints, bytes and
// lines), the bulk output buffer, and the little-endian readers the WAV
// loaders use on their own streams.
#include "sys/FileSys.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "ZARNCore.h"
#include "sys/SysGlobals.h"
#include "sys/ZARNSys.h"

// Static, so the buffer exists before start-up and is never freed.
OpenFileState File;

namespace {
constexpr int LineMax = 1024;  // TempstrSys: 1023 bytes and a terminator

// The file open for writing, and the first error any write to it met: a
// file that lost bytes must never pass for a whole one at close.
std::string WritingPath;
int WriteErrno = 0;

void NoteWrite(bool whole) {
    if (!whole && WriteErrno == 0) WriteErrno = errno ? errno : EIO;
}

int FromLittleEndian(const unsigned char* b) {
    return int(unsigned(b[0]) | unsigned(b[1]) << 8 | unsigned(b[2]) << 16 | unsigned(b[3]) << 24);
}

void ToLittleEndian(int v, unsigned char* b) {
    unsigned u = unsigned(v);
    for (int k = 0; k < 4; k++) b[k] = (unsigned char)(u >> (8 * k));
}

// A stream over fd, or nullptr (and fd closed) with errno kept.
FILE* StreamOver(int fd, const char* mode) {
    if (fd < 0) return nullptr;
    FILE* stream = fdopen(fd, mode);
    if (!stream) {
        int error = errno;
        close(fd);
        errno = error;
    }
    return stream;
}

int NotRegularError(const struct stat& st) { return S_ISDIR(st.st_mode) ? EISDIR : EINVAL; }

int Open(const char* path, bool writing) {
    ASys.CloseFile_Sys();
    File.MyOpenFile = writing ? CreateFileAnew(path, SaveFileMode) : OpenRegularFile(path);
    if (!File.MyOpenFile) {
        if (writing)
            ReportWriteError(path, errno);
        else
            std::puts("Error Reading File");
        std::fflush(stdout);
        return 0;
    }
    File.FileOpen = 1;
    WritingPath = writing ? path : "";
    WriteErrno = 0;
    return 1;
}
}  // namespace

int OpenRegularFd(const char* path, int flags, struct stat& st) {
    if (!path) {
        errno = ENOENT;
        return -1;
    }
    // Looked at first, so that a device is not opened at all (opening one
    // can have effects of its own); the check after the open rules out a
    // swap in between. O_NONBLOCK: a FIFO without a writer would otherwise
    // hold the open for ever.
    bool follow = (flags & O_NOFOLLOW) == 0;
    if ((follow ? stat(path, &st) : lstat(path, &st)) == 0 && !S_ISREG(st.st_mode)) {
        errno = S_ISLNK(st.st_mode) ? ELOOP : NotRegularError(st);
        return -1;
    }
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | flags);
    if (fd < 0) return -1;
    int error = fstat(fd, &st) != 0 ? errno : S_ISREG(st.st_mode) ? 0 : NotRegularError(st);
    if (error) {
        close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

FILE* OpenRegularFile(const char* path) {
    struct stat st;
    int fd = OpenRegularFd(path, 0, st);
    if (fd < 0) return nullptr;
    // Reads of a regular file never wait; the stream gets a plain descriptor.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return StreamOver(fd, "rb");
}

bool ReadRegularFile(const char* path, std::vector<unsigned char>& bytes, std::size_t most) {
    bytes.clear();
    FILE* file = OpenRegularFile(path);
    if (!file) return false;
    unsigned char block[65536];
    size_t n;
    while (bytes.size() < most &&
           (n = std::fread(block, 1, std::min(sizeof block, most - bytes.size()), file)) > 0)
        bytes.insert(bytes.end(), block, block + n);
    bool whole = !std::ferror(file);
    std::fclose(file);
    return whole;
}

bool LeftByThisUser(const char* path) {
    struct stat st;
    return path && lstat(path, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid() && st.st_nlink == 1;
}

void RemoveIfLeftByThisUser(const char* path) {
    if (LeftByThisUser(path)) unlink(path);
}

FILE* CreateFileAnew(const char* path, mode_t mode) {
    if (!path) {
        errno = ENOENT;
        return nullptr;
    }
    // O_EXCL refuses any name that is there already, a link included (even
    // one to nowhere); O_NOFOLLOW says the same again for links.
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC;
    int fd = open(path, flags, mode);
    if (fd < 0 && errno == EEXIST) {
        if (LeftByThisUser(path) && unlink(path) == 0)
            fd = open(path, flags, mode);
        else
            errno = EEXIST;
    }
    return StreamOver(fd, "wb");
}

void ReportWriteError(const char* path, int error) {
    std::printf("Error Writing File %s: %s\n", path, std::strerror(error ? error : EIO));
    std::fflush(stdout);
}

int ZARNSys::WriteFile_Sys(const char* path) { return Open(path, true); }
int ZARNSys::ReadFile_Sys(const char* path) { return Open(path, false); }

int ZARNSys::CloseFile_Sys() {
    if (!File.FileOpen) return 1;
    errno = 0;
    NoteWrite(std::fflush(File.MyOpenFile) == 0 && !std::ferror(File.MyOpenFile));
    errno = 0;
    NoteWrite(std::fclose(File.MyOpenFile) == 0);
    File.MyOpenFile = nullptr;
    File.FileOpen = 0;
    bool wasWriting = !WritingPath.empty();
    std::string path;
    path.swap(WritingPath);
    if (wasWriting && WriteErrno != 0) {
        ReportWriteError(path.c_str(), WriteErrno);
        WriteErrno = 0;
        return 0;
    }
    return 1;
}

// Byte by byte through the stream; the bulk path is the one-write route.
void ZARNSys::WriteInt_Sys(int value) {
    if (!File.FileOpen) return;
    unsigned char b[4];
    ToLittleEndian(value, b);
    NoteWrite(std::fwrite(b, 1, 4, File.MyOpenFile) == 4);
}

void ZARNSys::WriteByte_Sys(unsigned char value) {
    if (File.FileOpen) NoteWrite(std::fputc(value, File.MyOpenFile) != EOF);
}

void ZARNSys::WriteBytes_Sys(const unsigned char* bytes, int count) {
    if (File.FileOpen && bytes && count > 0)
        NoteWrite(std::fwrite(bytes, 1, size_t(count), File.MyOpenFile) == size_t(count));
}

void ZARNSys::WriteString_Sys(const char* text) {
    if (!File.FileOpen) return;
    int n = std::snprintf(TempstrSys, sizeof TempstrSys, "%s\n", text ? text : "");
    if (n > int(sizeof TempstrSys) - 1) n = int(sizeof TempstrSys) - 1;
    if (n > 0) NoteWrite(std::fwrite(TempstrSys, 1, size_t(n), File.MyOpenFile) == size_t(n));
}

void ZARNSys::BulkClear_Sys() { File.OutBufTo = 0; }

// Values beyond the buffer's capacity are dropped without a word.
void ZARNSys::BulkInt_Sys(int value) {
    if (File.OutBufTo >= OutBufStoreBelow) return;
    ToLittleEndian(value, File.OutBuf + File.OutBufTo);
    File.OutBufTo += 4;
}

void ZARNSys::BulkWrite_Sys() {
    if (File.FileOpen && File.OutBufTo > 0)
        NoteWrite(std::fwrite(File.OutBuf, 1, size_t(File.OutBufTo), File.MyOpenFile) == size_t(File.OutBufTo));
    File.OutBufTo = 0;
}

// Short reads keep the bytes that were there and zero the rest.
int ZARNSys::ReadInt_Sys() {
    if (!File.FileOpen) return 0;
    unsigned char b[4] = {};
    std::fread(b, 1, 4, File.MyOpenFile);
    return FromLittleEndian(b);
}

int ZARNSys::ReadIntb_Sys() { return File.FileOpen ? readInt(File.MyOpenFile) : NothingRead; }

int ZARNSys::ReadByte_Sys() {
    if (!File.FileOpen) return 0;
    int c = std::fgetc(File.MyOpenFile);
    return c == EOF ? -1 : c;
}

// Drops the last character read: the line feed, or on an unterminated final
// line its last real character.
std::string ZARNSys::ReadString_Sys() {
    if (!File.FileOpen) return {};
    TempstrSys[0] = 0;
    if (!std::fgets(TempstrSys, LineMax, File.MyOpenFile)) return {};
    size_t n = std::strlen(TempstrSys);
    if (n > 0) TempstrSys[n - 1] = 0;
    return TempstrSys;
}

int ZARNSys::FilePos_Sys() {
    if (!File.FileOpen) return -1;
    return int(std::ftell(File.MyOpenFile));
}

void ZARNSys::FileSeek_Sys(int offset) {
    if (File.FileOpen) std::fseek(File.MyOpenFile, offset, SEEK_SET);
}

// One static buffer: the tag lives until the next call.
const char* readTag(FILE* stream) {
    static char tag[5];
    if (!stream || std::fread(tag, 1, 4, stream) != 4) tag[0] = 0;
    tag[4] = 0;
    return tag;
}

int readInt(FILE* stream) {
    unsigned char b[4];
    if (!stream || std::fread(b, 1, 4, stream) != 4) return NothingRead;
    return FromLittleEndian(b);
}

int readShort(FILE* stream) {
    unsigned char b[2];
    if (!stream || std::fread(b, 1, 2, stream) != 2) return NothingRead;
    return int(unsigned(b[0]) | unsigned(b[1]) << 8);
}

void skipBytes(int n, FILE* stream) {
    if (!stream) return;
    char sink[512];
    while (n > 0) {
        size_t chunk = n < int(sizeof sink) ? size_t(n) : sizeof sink;
        size_t got = std::fread(sink, 1, chunk, stream);
        if (got == 0) return;
        n -= int(got);
    }
}
