#include "FuzzSupport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "sys/SysGlobals.h"
#include "sys/ZARNSys.h"

const std::string& ScratchDir() {
    static std::string dir = [] {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
        std::string pattern = std::string(base) + "/gobbit-fuzz-XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back(0);
        if (!mkdtemp(buf.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        std::string made = buf.data();
        // Left behind by a crash, removed by a normal exit.
        static std::string removeAtExit = made;
        std::atexit([] {
            std::string cmd = "rm -rf '" + removeAtExit + "'";
            if (std::system(cmd.c_str()) != 0) {}
        });
        return made;
    }();
    return dir;
}

std::string WriteScratch(const std::string& name, const uint8_t* data, size_t size) {
    std::string path = ScratchDir() + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::perror(path.c_str());
        std::abort();
    }
    if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
    return path;
}

uint8_t ByteReader::U8() { return pos_ < size_ ? data_[pos_++] : 0; }

uint16_t ByteReader::U16() {
    uint16_t lo = U8();
    return uint16_t(lo | (U8() << 8));
}

uint32_t ByteReader::U32() {
    uint32_t lo = U16();
    return lo | (uint32_t(U16()) << 16);
}

std::string ByteReader::Bytes(size_t n) {
    if (n > Left()) n = Left();
    std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return s;
}

bool OpenSilentAudio() {
    setenv("ALSOFT_DRIVERS", "null", 1);
    setenv("ALSOFT_LOGLEVEL", "0", 1);
    Audio.ALdev = alcOpenDevice(nullptr);
    if (!Audio.ALdev) return false;
    Audio.ALctx = alcCreateContext(Audio.ALdev, nullptr);
    if (!Audio.ALctx || !alcMakeContextCurrent(Audio.ALctx)) return false;
    alGetError();
    for (ALuint& s : Audio.ALsource) alGenSources(1, &s);
    for (ALuint& b : Audio.MusicBuffer) alGenBuffers(1, &b);
    if (alGetError() != AL_NO_ERROR) return false;
    Audio.AudioEnabled = 1;
    return true;
}

void FuzzFail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::fflush(stderr);
    std::abort();
}
