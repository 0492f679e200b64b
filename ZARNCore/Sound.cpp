// The game's side of sound effects: file names, logging and the master
// effect volume around the platform's loader and player.
#include <cstdio>
#include <string>

#include "AssetNames.h"
#include "ZARNCore.h"
#include "sys/ZARNSys.h"

void ZARNCore::LoadSFX(int n) {
    char text[64];
    std::snprintf(text, sizeof text, "Load SFX   : %i", n);
    ASys.Debuglog(text);
    std::snprintf(text, sizeof text, "%02i.wav", n);
    ASys.GetWAV(n, AudioPath(DataRoot(), GameNum, text).c_str());
}

void ZARNCore::LoadSFX(int n, const char* name) {
    std::string file = name ? name : "";
    ASys.Debuglog(("Load Wave " + file + " to " + std::to_string(n)).c_str());
    file = WithSlashes(file);
    if (!HasExtension(file, ".wav")) file += ".wav";
    ASys.GetWAV(n, AudioPath(DataRoot(), GameNum, file).c_str());
}

void ZARNCore::PlaySFX(int n) { ASys.PlayWAV(n, tRnd(0.8f, 1.2f), SfxLevel, 0, 0); }
void ZARNCore::PlaySFX(int n, float pitch) { ASys.PlayWAV(n, pitch, SfxLevel, 0, 0); }
void ZARNCore::PlaySFX(int n, float pitch, float vol) { ASys.PlayWAV(n, pitch, vol * SfxLevel, 0, 0); }
void ZARNCore::PlaySFX(int n, float pitch, float vol, float pan) { ASys.PlayWAV(n, pitch, vol * SfxLevel, pan, 0); }
void ZARNCore::PlaySFX(int n, float pitch, float vol, float pan, int loop) {
    ASys.PlayWAV(n, pitch, vol * SfxLevel, pan, loop);
}
