// WAV files as the sound effects and the music stream read them: the shared
// chunk reader, GetWAV into an effect slot (loaded twice, the second time
// while the slot plays) and the streamed music path, plus the free
// little-endian readers of the file layer.
#include <cstdio>
#include <cstring>

#include "FuzzSupport.h"
#include "ZARNCore.h"
#include "sys/SoundGlobals.h"
#include "sys/SysGlobals.h"
#include "sys/WavReader.h"
#include "sys/ZARNSys.h"

namespace {

bool AudioOpened = false;
constexpr int Slot = 7;

// The free readers on their own: a RIFF walk that trusts nothing.
void WalkFreeReaders(const char* path) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return;
    readTag(f);
    readInt(f);
    readTag(f);
    for (int chunks = 0; chunks < 64; chunks++) {
        const char* tag = readTag(f);
        FUZZ_CHECK(std::strlen(tag) <= 4);
        if (tag[0] == 0) break;
        long size = readInt(f);
        if (size == NothingRead) break;
        if (std::strcmp(tag, "fmt ") == 0) {
            int v = readShort(f);
            FUZZ_CHECK(v == NothingRead || (v >= 0 && v <= 65535));
            size -= 2;
        }
        skipBytes(size < 0 ? 0 : int(size), f);
    }
    std::fclose(f);
}

// The reader never reports a chunk larger than what is left of the file.
void WalkReader(const char* path, size_t fileSize) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return;
    WavReader reader(f);
    WavFormat format;
    if (reader.ReadHeader(format)) {
        FUZZ_CHECK(format.FrameBytes() >= 0 && format.FrameBytes() <= 4);
        char tag[5];
        long size = -1;
        bool clipped = false;
        while (reader.NextChunk(tag, size, clipped)) {
            FUZZ_CHECK(size >= 0 && size <= reader.Remaining());
            reader.Skip(size);
            FUZZ_CHECK(reader.Position() <= long(fileSize));
        }
    }
    std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    AudioOpened = OpenSilentAudio();
    if (!AudioOpened) std::fprintf(stderr, "fuzz_wav: no OpenAL device, only the readers run\n");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string path = WriteScratch("effect.wav", data, size);
    WalkFreeReaders(path.c_str());
    WalkReader(path.c_str(), size);
    if (!AudioOpened) return 0;

    ASys.GetWAV(Slot, path.c_str());
    const int* info = Effects.SFXData[Slot];
    FUZZ_CHECK(info[0] >= 0 && size_t(info[0]) <= size);
    if (info[0] > 0) {
        int frame = info[2] * info[3];
        FUZZ_CHECK(frame > 0 && info[0] % frame == 0 && info[1] == info[0] / frame);
    }
    // Reloading a slot that is playing frees it from its source first.
    ASys.PlayWAV(Slot, 1.0f, 0.0f, 0.0f, 1);
    ASys.GetWAV(Slot, path.c_str());
    FUZZ_CHECK(Effects.ALsourcebuffer[Effects.ALChannel] == -1);

    ASys.PlayMusic_Wav_Sys(path.c_str(), size % 2 == 0 ? 1 : 0);
    if (ASys.MusicPlaying) {
        FUZZ_CHECK(Stream.MusicFileBegin >= 0 && Stream.MusicFileBegin <= Stream.MusicFileEnd &&
                   Stream.MusicFileEnd <= long(size));
        for (int i = 0; i < 6; i++) ASys.HandleMusicSys();
    }
    ASys.StopMusicSys();
    return 0;
}
