// The audio device: one OpenAL device and context, the 32 sources (0-30
// effects in turn, 31 music) and the music stream's buffers.
#include "sys/SysGlobals.h"
#include "sys/ZARNSys.h"

int AudioEnabled = 0;
ALCdevice* ALdev = nullptr;
ALCcontext* ALctx = nullptr;
ALuint ALsource[32] = {};
ALuint MusicBuffer[4] = {};

void OpenAudio() {
    AudioEnabled = 0;
    ALdev = alcOpenDevice(nullptr);
    if (!ALdev) {
        ASys.Debuglog("Audio Device Error");
        return;
    }
    ALctx = alcCreateContext(ALdev, nullptr);
    if (!ALctx || !alcMakeContextCurrent(ALctx)) {
        ASys.Debuglog("Audio Context Issue");
        return;
    }
    ASys.Debuglog("OpenAL Audio Engaged!");
    AudioEnabled = 1;
    alGetError();
    for (ALuint& s : ALsource) alGenSources(1, &s);
    for (ALuint& b : MusicBuffer) alGenBuffers(1, &b);
    if (alGetError() != AL_NO_ERROR) {
        ASys.Debuglog("Error with Audio Buffers");
        AudioEnabled = 0;
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
    if (ALctx) alcDestroyContext(ALctx);
    if (ALdev) alcCloseDevice(ALdev);
    ALctx = nullptr;
    ALdev = nullptr;
}
