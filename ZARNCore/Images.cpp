// Image loading and screen reads as the game sees them; the work is done by
// the platform layer.
#include <cstdio>
#include <string>

#include "AssetNames.h"
#include "ImagePath.h"
#include "ZARNCore.h"
#include "sys/ZARNSys.h"

const char* ResolveImagePath(ZARNCore& core, const char* name, const char* label) {
    std::string n = WithSlashes(name ? name : "");
    char line[1100];
    std::snprintf(line, sizeof line, "%s%.1000s ", label, n.c_str());
    ASys.Debuglog(line);
    if (HasExtension(n, ".png")) return core.fstr("%s/Data/%i/%s", core.DataRoot(), core.GameNum, n.c_str());
    return core.fstr("%s/Data/%i/%s.png", core.DataRoot(), core.GameNum, n.c_str());
}

void ZARNCore::LoadImg(int slot, const char* name, int frameSize) {
    const char* path = ResolveImagePath(*this, name, "Load Image : ");
    ASys.GetPNG(slot, path, frameSize < 0 ? 0u : unsigned(frameSize));
}

void ZARNCore::LoadImgFull(int slot, const char* name, int frameSize) { LoadImg(slot, name, frameSize); }

void ZARNCore::TakeScreenshot() { ASys.Screenshot(); }

void ZARNCore::CopyBuffer() { ASys.GrabBuffer(); }
