// Image loading and screen reads as the game sees them; the work is done by
// the platform layer.
#include <cstdio>
#include <string>

#include "AssetNames.h"
#include "ImagePath.h"
#include "ZARNCore.h"
#include "sys/DecodeAhead.h"
#include "sys/ZARNSys.h"

std::string ImageFilePath(const ZARNCore& core, const char* name) {
    std::string n = WithSlashes(name ? name : "");
    std::string path = std::string(core.DataRoot()) + "/Data/" + std::to_string(core.GameNum) + "/" + n;
    return HasExtension(n, ".png") ? path : path + ".png";
}

const char* ResolveImagePath(ZARNCore& core, const char* name, const char* label) {
    std::string n = WithSlashes(name ? name : "");
    char line[1100];
    std::snprintf(line, sizeof line, "%s%.1000s ", label, n.c_str());
    ASys.Debuglog(line);
    return core.fstr("%s", ImageFilePath(core, name).c_str());
}

void ZARNCore::LoadImg(int slot, const char* name, int frameSize) {
    const char* path = ResolveImagePath(*this, name, "Load Image : ");
    ASys.GetPNG(slot, path, frameSize < 0 ? 0u : unsigned(frameSize));
}

void ZARNCore::LoadImgFull(int slot, const char* name, int frameSize) { LoadImg(slot, name, frameSize); }

void ZARNCore::DecodeImgAhead(const char* name, int frameSize) {
    DecodeImageAhead(ImageFilePath(*this, name).c_str(), frameSize < 0 ? 0u : unsigned(frameSize));
}

void ZARNCore::DecodeSFXAhead(int n) {
    char file[32];
    std::snprintf(file, sizeof file, "%02i.wav", n);
    DecodeWaveAhead(AudioPath(DataRoot(), GameNum, file).c_str());
}

void ZARNCore::StopDecodingAhead() { ::StopDecodingAhead(); }

int ZARNCore::DecodesQueued() { return DecodesAhead(); }

void ZARNCore::TakeScreenshot() { ASys.Screenshot(); }

void ZARNCore::CopyBuffer() { ASys.GrabBuffer(); }
