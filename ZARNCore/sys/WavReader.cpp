#include "sys/WavReader.h"

#include <AL/al.h>

#include <cstring>

int WavFormat::FrameBytes() const {
    if (ALFormat() == 0) return 0;
    return channels * bytesPerSample;
}

int WavFormat::ALFormat() const {
    if (bits != 8 && bits != 16) return 0;
    if (bytesPerSample == 1 && channels == 1) return AL_FORMAT_MONO8;
    if (bytesPerSample == 1 && channels == 2) return AL_FORMAT_STEREO8;
    if (bytesPerSample == 2 && channels == 1) return AL_FORMAT_MONO16;
    if (bytesPerSample == 2 && channels == 2) return AL_FORMAT_STEREO16;
    return 0;
}

WavReader::WavReader(FILE* file) : file_(file) {
    long here = std::ftell(file_);
    if (std::fseek(file_, 0, SEEK_END) == 0) size_ = std::ftell(file_);
    std::fseek(file_, here < 0 ? 0 : here, SEEK_SET);
    if (size_ < 0) size_ = 0;
}

long WavReader::Position() const {
    long p = std::ftell(file_);
    return p < 0 ? size_ : p;
}

long WavReader::Remaining() const {
    long r = size_ - Position();
    return r < 0 ? 0 : r;
}

bool WavReader::ReadTag(char tag[5]) {
    tag[0] = 0;
    char t[4];
    if (std::fread(t, 1, 4, file_) != 4) return false;
    std::memcpy(tag, t, 4);
    tag[4] = 0;
    return true;
}

bool WavReader::ReadU32(unsigned long& v) {
    unsigned char b[4];
    if (std::fread(b, 1, 4, file_) != 4) return false;
    v = b[0] | (b[1] << 8) | (b[2] << 16) | ((unsigned long)b[3] << 24);
    return true;
}

bool WavReader::ReadU16(unsigned& v) {
    unsigned char b[2];
    if (std::fread(b, 1, 2, file_) != 2) return false;
    v = b[0] | (b[1] << 8);
    return true;
}

bool WavReader::ReadHeader(WavFormat& format) {
    char tag[5];
    unsigned long riffSize = 0, fmtLen = 0, rate = 0, byteRate = 0;
    unsigned code = 0, channels = 0, align = 0, bits = 0;
    if (!ReadTag(tag) || std::strcmp(tag, "RIFF") != 0) return false;
    if (!ReadU32(riffSize)) return false;
    if (!ReadTag(tag) || std::strcmp(tag, "WAVE") != 0) return false;
    if (!ReadTag(tag) || std::strcmp(tag, "fmt ") != 0) return false;
    if (!ReadU32(fmtLen) || fmtLen < 16 || fmtLen > (unsigned long)Remaining()) return false;
    if (!ReadU16(code) || code != 1) return false;
    if (!ReadU16(channels) || !ReadU32(rate) || !ReadU32(byteRate) || !ReadU16(align) || !ReadU16(bits))
        return false;
    if (rate == 0 || rate > 1000000) return false;
    format.channels = int(channels);
    format.rate = int(rate);
    format.bits = int(bits);
    format.bytesPerSample = int(bits / 8);
    Skip(long(fmtLen) - 16);
    return true;
}

bool WavReader::NextChunk(char tag[5], long& size, bool& clipped) {
    unsigned long n = 0;
    if (!ReadTag(tag) || !ReadU32(n)) {
        tag[0] = 0;
        return false;
    }
    long left = Remaining();
    clipped = n > (unsigned long)left;
    size = clipped ? left : long(n);
    return true;
}

void WavReader::Skip(long size) {
    if (size <= 0) return;
    long left = Remaining();
    std::fseek(file_, size < left ? size : left, SEEK_CUR);
}
