// A careful reader of RIFF/WAVE headers and chunks, shared by the sound
// effects and the music stream. Every size in the file is checked against
// what is left of the file before it is trusted, so a damaged or hostile
// file can never make the caller read or allocate past its end.
#pragma once

#include <cstdio>

struct WavFormat {
    int channels = 0;
    int rate = 0;
    int bits = 0;
    int bytesPerSample = 0;
    // Bytes of one sample frame, 0 when the format is not playable.
    int FrameBytes() const;
    // The OpenAL format for (bytes per sample, channels): mono or stereo,
    // 8 or 16 bit; 0 for anything else.
    int ALFormat() const;
};

class WavReader {
public:
    // Takes the opened file (not owned) and measures it.
    explicit WavReader(FILE* file);

    // Reads "RIFF", size, "WAVE" and the "fmt " chunk. False when the file
    // is not a PCM RIFF/WAVE file (the format is then left as it was).
    bool ReadHeader(WavFormat& format);

    // Reads the next chunk header. size is clipped to what is left of the
    // file; clipped tells whether the chunk claimed more than that. False at
    // the end of the file or on a short read.
    bool NextChunk(char tag[5], long& size, bool& clipped);

    // Skips the body of the chunk just read.
    void Skip(long size);

    long Position() const;
    long Remaining() const;

private:
    bool ReadTag(char tag[5]);
    bool ReadU32(unsigned long& v);
    bool ReadU16(unsigned& v);

    FILE* file_;
    long size_ = 0;
};
