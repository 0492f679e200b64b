// Shared pieces of the fuzz targets: a scratch directory on a memory-backed
// file system, byte input helpers and a silent audio device.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A private directory made once per process (under /dev/shm when there is
// one, so the many small files never touch a disk).
const std::string& ScratchDir();

// Writes the bytes to dir/name and returns the full path.
std::string WriteScratch(const std::string& name, const uint8_t* data, size_t size);

// Reads the input front to back; reads past its end give zeros.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    size_t Left() const { return size_ - pos_; }
    const uint8_t* Here() const { return data_ + pos_; }
    // Takes up to n bytes as they are.
    std::string Bytes(size_t n);
    std::string Rest() { return Bytes(Left()); }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// Opens OpenAL's null backend and sets up the platform's sources and music
// buffers the way the window start-up does. False when no device opens.
bool OpenSilentAudio();

// Stops the fuzz run with a message when a property of the code does not
// hold (libFuzzer reports the abort and keeps the input).
[[noreturn]] void FuzzFail(const char* what);
#define FUZZ_CHECK(cond)                                          \
    do {                                                          \
        if (!(cond)) FuzzFail(#cond " (" __FILE__ ":" FUZZ_STR(__LINE__) ")"); \
    } while (0)
#define FUZZ_STR2(x) #x
#define FUZZ_STR(x) FUZZ_STR2(x)
