// Sound effects: whole PCM WAV files in one OpenAL buffer per slot, played
// fire-and-forget on sources 0-30 in strict rotation.
#include <cstdio>
#include <cstring>
#include <vector>

#include "sys/AssetDecode.h"
#include "sys/DecodeAhead.h"
#include "sys/FileSys.h"
#include "sys/SoundGlobals.h"
#include "sys/SysGlobals.h"
#include "sys/WavReader.h"
#include "sys/ZARNSys.h"

EffectTable Effects;

namespace {

void LogALError(const char* format) {
    ALenum e = alGetError();
    if (e != AL_NO_ERROR) SysLog(format, int(e));
}

}  // namespace

// The slow half of a load: reads every data chunk of the file in turn (the
// last one stays in the slot's buffer), touching no shared state. Sizes are
// trusted only as far as the file reaches.
PreparedWave PrepareWave(const char* path) {
    PreparedWave out;
    FILE* file = OpenRegularFile(path);
    if (!file) return out;
    out.Opened = true;
    WavReader reader(file);
    WavFormat format;
    if (!reader.ReadHeader(format)) {
        out.Steps.push_back({"Not a PCM Wave File", {}});
        std::fclose(file);
        return out;
    }
    char tag[5];
    long size = 0;
    bool clipped = false;
    while (reader.NextChunk(tag, size, clipped)) {
        if (std::strcmp(tag, "data") != 0) {
            if (clipped) break;  // a chunk running past the end: nothing follows it
            reader.Skip(size);
            continue;
        }
        int frame = format.FrameBytes();
        if (frame == 0) {
            char line[96];
            std::snprintf(line, sizeof line, "Unsupported Wave Format: %i channels, %i bits", format.channels,
                          format.bits);
            out.Steps.push_back({line, {}});
            reader.Skip(size);
            continue;
        }
        long bytes = size - size % frame;
        PreparedWave::Step step;
        step.Data.resize(size_t(bytes > 0 ? bytes : 0));
        size_t got = bytes > 0 ? std::fread(step.Data.data(), 1, size_t(bytes), file) : 0;
        got -= got % size_t(frame);
        reader.Skip(size - long(got));
        step.Data.resize(got);
        step.Channels = format.channels;
        step.BytesPerSample = format.bytesPerSample;
        step.Rate = format.rate;
        step.ALFormat = format.ALFormat();
        step.FrameBytes = frame;
        out.Steps.push_back(std::move(step));
    }
    std::fclose(file);
    return out;
}

void ZARNSys::GetWAV(int slot, const char* path) {
    if (slot < 0 || slot >= SoundSlots) return;
    // Read ahead while the loading screen played, or read below.
    PreparedWave wave;
    bool ahead = TakeDecodedWave(path, wave);
    if (!Audio.AudioEnabled) return;
    alGetError();
    for (int s = 0; s < 32; ++s) {
        if (Effects.ALsourcebuffer[s] != slot) continue;
        SysLog("Freeing Buffer %i", s);
        alSourceStop(Audio.ALsource[s]);
        Effects.ALsourcebuffer[s] = -1;
        alSourcei(Audio.ALsource[s], AL_BUFFER, 0);
        LogALError("Source->Buffer Error %i");
    }
    if (Effects.ALbufferActive[slot]) {
        alDeleteBuffers(1, &Effects.ALbuffer[slot]);
        Effects.ALbufferActive[slot] = 0;
        LogALError("Delete Buffer Error %i");
    }
    std::memset(Effects.SFXData[slot], 0, sizeof Effects.SFXData[slot]);
    alGenBuffers(1, &Effects.ALbuffer[slot]);
    ALenum e = alGetError();
    if (e != AL_NO_ERROR) {
        SysLog("Generate Buffer Error %i", int(e));
        return;
    }
    Effects.ALbufferActive[slot] = 1;

    if (!ahead) wave = PrepareWave(path);
    if (!wave.Opened) {
        SysLog("Error Opening Wave");
        return;
    }
    for (const PreparedWave::Step& step : wave.Steps) {
        if (!step.Line.empty()) {
            SysLog("%s", step.Line.c_str());
            continue;
        }
        int got = int(step.Data.size());
        int* info = Effects.SFXData[slot];
        std::memset(info, 0, sizeof Effects.SFXData[slot]);
        info[0] = got;
        info[1] = got / step.FrameBytes;
        info[2] = step.Channels;
        info[3] = step.BytesPerSample;
        info[4] = step.Rate;
        alBufferData(Effects.ALbuffer[slot], step.ALFormat, step.Data.data(), ALsizei(got), step.Rate);
        if (Effects.EffectSamplesListener) Effects.EffectSamplesListener(slot, step.Data.data(), got);
        SysLog("     Load %i bytes", got);
        LogALError("Post Error %i");
    }
}

void ZARNSys::PlayWAV(int slot, float pitch, float volume, float pan, int loop) {
    if (slot < 0 || slot >= SoundSlots || !Effects.ALbufferActive[slot]) return;
    Effects.ALChannel = (Effects.ALChannel + 1) % 31;
    ALuint source = Audio.ALsource[Effects.ALChannel];
    Effects.ALsourcebuffer[Effects.ALChannel] = slot;
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, ALint(Effects.ALbuffer[slot]));
    alSourcef(source, AL_PITCH, ClampSetting(pitch, 0.25f, 16.0f));
    alSourcef(source, AL_GAIN, ClampSetting(volume, 0.0f, 1.0f));
    // The listener faces +z, so its right hand points along -x.
    alSource3f(source, AL_POSITION, -ClampSetting(pan, -1.0f, 1.0f), 0, 0);
    alSourcei(source, AL_LOOPING, loop == 1 ? AL_TRUE : AL_FALSE);
    alSourcePlay(source);
}

void ReleaseEffectBuffers() {
    // A buffer still attached to a source cannot be deleted.
    for (int s = 0; s < 31; ++s) {
        alSourceStop(Audio.ALsource[s]);
        alSourcei(Audio.ALsource[s], AL_BUFFER, 0);
        Effects.ALsourcebuffer[s] = -1;
    }
    ASys.StopMusicSys();
    for (int slot = 0; slot < SoundSlots; ++slot) {
        if (!Effects.ALbufferActive[slot]) continue;
        alDeleteBuffers(1, &Effects.ALbuffer[slot]);
        Effects.ALbufferActive[slot] = 0;
    }
}
