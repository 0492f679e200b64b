// Music: one track at a time streamed from an Ogg Vorbis or PCM WAV file to
// source 31 through a ring of four buffers, refilled from the main loop.
#include <cstdio>
#include <cstring>
#include <string>

#define STB_VORBIS_HEADER_ONLY
#include <stb/stb_vorbis.h>

#include "AssetNames.h"
#include "ZARNCore.h"
#include "sys/FileSys.h"
#include "sys/SoundGlobals.h"
#include "sys/SysGlobals.h"
#include "sys/WavReader.h"
#include "sys/ZARNSys.h"

MusicStreamState Stream;

namespace {

constexpr int WavStream = 1;
constexpr int OggStream = 2;

unsigned char WavBlock[MusicBlockBytes];
short OggBlock[MusicBlockShorts];

// Ring buffers not queued on the source, oldest first.
ALuint FreeBuffers[4];
int FreeCount = 0;

void CloseTrack() {
    if (Stream.OggFile) stb_vorbis_close(Stream.OggFile);
    Stream.OggFile = nullptr;
    if (Stream.MusicFile) std::fclose(Stream.MusicFile);
    Stream.MusicFile = nullptr;
}

// Stops the source, takes every buffer off it and forgets the track.
void ResetStream() {
    ALuint source = Audio.ALsource[MusicSource];
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, 0);
    for (int i = 0; i < 4; ++i) FreeBuffers[i] = Audio.MusicBuffer[i];
    FreeCount = 4;
    ASys.MusicBufferTo = 0;
    CloseTrack();
}

void ApplySettings() {
    ALuint source = Audio.ALsource[MusicSource];
    alSourcef(source, AL_PITCH, ASys.MusicSet[1]);
    alSourcef(source, AL_GAIN, ASys.MusicSet[2] * ASys.MusicVolB);
    alSource3f(source, AL_POSITION, -ASys.MusicSet[3], 0, 0);
}

// One block of the track, or 0 bytes at its end. A WAV's last piece shorter
// than a block is dropped.
int ReadBlock(int kind, const void*& data) {
    if (kind == WavStream) {
        data = WavBlock;
        long pos = Stream.MusicFile ? std::ftell(Stream.MusicFile) : -1;
        if (pos < 0 || Stream.MusicFileEnd - pos < MusicBlockBytes) return 0;
        return std::fread(WavBlock, 1, MusicBlockBytes, Stream.MusicFile) == size_t(MusicBlockBytes)
                   ? MusicBlockBytes
                   : 0;
    }
    data = OggBlock;
    if (!Stream.OggFile) return 0;
    int channels = Stream.MusicBufferStats[5];
    int frames = stb_vorbis_get_samples_short_interleaved(Stream.OggFile, channels, OggBlock, MusicBlockShorts);
    return frames > 0 ? frames * channels * 2 : 0;
}

void Rewind(int kind) {
    if (kind == WavStream && Stream.MusicFile) std::fseek(Stream.MusicFile, Stream.MusicFileBegin, SEEK_SET);
    if (kind == OggStream && Stream.OggFile) stb_vorbis_seek_start(Stream.OggFile);
}

void RefillStep(int kind) {
    if (ASys.MusicPlaying != kind) return;
    ALuint source = Audio.ALsource[MusicSource];
    ALint processed = 0, state = 0;
    alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    for (; processed > 0 && FreeCount < 4; --processed) {
        ALuint b = 0;
        alSourceUnqueueBuffers(source, 1, &b);
        FreeBuffers[FreeCount++] = b;
    }
    if (FreeCount == 0) return;  // the ring is full and still playing

    const void* data = nullptr;
    int bytes = ReadBlock(kind, data);
    if (bytes == 0) {
        if (ASys.MusicLoop == 1) {
            Rewind(kind);
            bytes = ReadBlock(kind, data);
        } else {
            // The queued audio plays out; nothing more is read.
            ASys.MusicPlaying = 0;
            CloseTrack();
        }
    }
    if (bytes > 0) {
        ALuint b = FreeBuffers[0];
        for (int i = 1; i < FreeCount; ++i) FreeBuffers[i - 1] = FreeBuffers[i];
        FreeCount -= 1;
        alGetError();
        alBufferData(b, Stream.MusicBufferStats[1], data, bytes, Stream.MusicBufferStats[4]);
        alSourceQueueBuffers(source, 1, &b);
        ALenum e = alGetError();
        if (e != AL_NO_ERROR) SysLog("Buffer Error %i", int(e));
        ASys.MusicBufferTo = (ASys.MusicBufferTo + 1) % 4;
        Stream.MusicBufferTick += 1;
    }
    ApplySettings();
    // Never started, or starved by a stalled loop: start again from what is queued.
    ALint queued = 0;
    alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
    if (state != AL_PLAYING && queued > 0 && FreeCount < 4) alSourcePlay(source);
}

void StartStream(int kind) {
    ASys.MusicSet[1] = 1;
    ASys.MusicSet[2] = 1;
    ASys.MusicSet[3] = 0;
    Stream.MusicBufferTick = -3;
    ASys.MusicBufferTo = 0;
    ASys.MusicPlaying = kind;
    alGetError();
    RefillStep(kind);
    ALint state = 0;
    alGetSourcei(Audio.ALsource[MusicSource], AL_SOURCE_STATE, &state);
    if (state != AL_PLAYING) alSourcePlay(Audio.ALsource[MusicSource]);
    if (alGetError() != AL_NO_ERROR)
        std::fputs(kind == OggStream ? "Error Opening OGG stream :(\n" : "Error Opening WAV stream :(\n", stderr);
}

// Stops the track playing before the next one is opened; false when there
// is no audio device to play it on.
bool StartTrack(int loop) {
    ASys.MusicPlaying = 0;
    ResetStream();
    ASys.MusicLoop = loop;
    return Audio.AudioEnabled != 0;
}

}  // namespace

void ZARNSys::PlayMusic_Ogg_Sys(const char* path, int loop) {
    if (!StartTrack(loop)) return;
    Stream.MusicFile = OpenRegularFile(path);
    if (!Stream.MusicFile) {
        SysLog("Error Opening Ogg");
        return;
    }
    int error = 0;
    Stream.OggFile = stb_vorbis_open_file(Stream.MusicFile, 0, &error, nullptr);
    stb_vorbis_info info = {};
    if (Stream.OggFile) info = stb_vorbis_get_info(Stream.OggFile);
    if (!Stream.OggFile || info.channels < 1 || info.sample_rate < 1) {
        SysLog("Not an Ogg Vorbis File - %s", path);
        CloseTrack();
        return;
    }
    // More than two channels are folded down to stereo by the decoder.
    int channels = info.channels == 1 ? 1 : 2;
    Stream.MusicBufferStats[1] = channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
    Stream.MusicBufferStats[4] = int(info.sample_rate);
    Stream.MusicBufferStats[5] = channels;
    StartStream(OggStream);
}

void ZARNSys::PlayMusic_Wav_Sys(const char* path, int loop) {
    if (!StartTrack(loop)) return;
    Stream.MusicFile = OpenRegularFile(path);
    if (!Stream.MusicFile) {
        SysLog("Error Opening Wave - %s", path ? path : "");
        return;
    }
    // Stream the samples of the first data chunk only: never the header,
    // never what follows the chunk.
    WavReader reader(Stream.MusicFile);
    WavFormat format;
    bool found = false;
    if (reader.ReadHeader(format) && format.ALFormat() != 0) {
        char tag[5];
        long size = 0;
        bool clipped = false;
        while (!found && reader.NextChunk(tag, size, clipped)) {
            if (std::strcmp(tag, "data") == 0) {
                Stream.MusicFileBegin = reader.Position();
                Stream.MusicFileEnd = Stream.MusicFileBegin + size;
                found = true;
            } else {
                reader.Skip(size);
            }
        }
    }
    if (!found) {
        SysLog("Not a PCM Wave File - %s", path);
        CloseTrack();
        return;
    }
    Stream.MusicBufferStats[1] = format.ALFormat();
    Stream.MusicBufferStats[4] = format.rate;
    Stream.MusicBufferStats[5] = format.channels;
    std::fseek(Stream.MusicFile, Stream.MusicFileBegin, SEEK_SET);
    StartStream(WavStream);
}

void ZARNSys::BufferMusic_Ogg_Sys() { RefillStep(OggStream); }

void ZARNSys::BufferMusic_Wav_Sys() { RefillStep(WavStream); }

void ZARNSys::HandleMusicSys() {
    if (MusicPlaying == WavStream) BufferMusic_Wav_Sys();
    if (MusicPlaying == OggStream) BufferMusic_Ogg_Sys();
    ApplySettings();
}

void ZARNSys::StopMusicSys() {
    ResetStream();
    MusicPlaying = 0;
}

void ZARNCore::PlayMusic(const char* name) { PlayMusic(name, 1); }

void ZARNCore::PlayMusic(const char* name, int loop) {
    std::string file = WithSlashes(name ? name : "");
    std::string path = AudioPath(DataRoot(), GameNum, file);
    if (HasExtension(file, ".ogg"))
        ASys.PlayMusic_Ogg_Sys(path.c_str(), loop);
    else if (HasExtension(file, ".wav"))
        ASys.PlayMusic_Wav_Sys(path.c_str(), loop);
}

void ZARNCore::StopMusic() { ASys.StopMusicSys(); }

void ZARNCore::MusicHandler() {
    ASys.MusicVolB = MusicLevel;
    if (ASys.MusicPlaying > 0) ASys.HandleMusicSys();
}

void ZARNCore::MusicPitch(float p) { ASys.MusicSet[1] = ClampSetting(p, 0.25f, 4.0f); }
void ZARNCore::MusicVolume(float v) { ASys.MusicSet[2] = ClampSetting(v, 0.0f, 1.0f); }
void ZARNCore::MusicPan(float p) { ASys.MusicSet[3] = ClampSetting(p, -1.0f, 1.0f); }
