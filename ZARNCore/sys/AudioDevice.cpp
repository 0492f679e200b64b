// The audio device: one OpenAL device and context, the 32 sources (0-30
// effects in turn, 31 music) and the music stream's buffers.
#include "sys/SysGlobals.h"
#include "sys/ZARNSys.h"

AudioDevice Audio;

void OpenAudio() {
    Audio.AudioEnabled = 0;
    Audio.ALdev = alcOpenDevice(nullptr);
    if (!Audio.ALdev) {
        ASys.Debuglog("Audio Device Error");
        return;
    }
    Audio.ALctx = alcCreateContext(Audio.ALdev, nullptr);
    if (!Audio.ALctx || !alcMakeContextCurrent(Audio.ALctx)) {
        ASys.Debuglog("Audio Context Issue");
        return;
    }
    ASys.Debuglog("OpenAL Audio Engaged!");
    Audio.AudioEnabled = 1;
    alGetError();
    for (ALuint& s : Audio.ALsource) alGenSources(1, &s);
    for (ALuint& b : Audio.MusicBuffer) alGenBuffers(1, &b);
    if (alGetError() != AL_NO_ERROR) {
        ASys.Debuglog("Error with Audio Buffers");
        Audio.AudioEnabled = 0;
    }
    const ALfloat orientation[6] = {0, 0, 1, 0, 1, 0};
    alListener3f(AL_POSITION, 0, 0, 1);
    alListener3f(AL_VELOCITY, 0, 0, 0);
    alListenerfv(AL_ORIENTATION, orientation);
}

void CloseAudio() {
    ASys.Debuglog("Closing OpenAL Audio");
    ReleaseEffectBuffers();
    alcMakeContextCurrent(nullptr);
    if (Audio.ALctx) alcDestroyContext(Audio.ALctx);
    if (Audio.ALdev) alcCloseDevice(Audio.ALdev);
    Audio.ALctx = nullptr;
    Audio.ALdev = nullptr;
}
