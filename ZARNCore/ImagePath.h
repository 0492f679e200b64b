// Name resolution shared by LoadImg and LoadFont.
#pragma once

#include <string>

class ZARNCore;

// The full path of an image name under the data directory (".png" added
// unless the name has it), without logging anything.
std::string ImageFilePath(const ZARNCore& core, const char* name);

// Turns backslashes into slashes, logs "<label><name> ", and returns the full
// path under the data directory (".png" added unless the name has it). The
// text lives in the formatting ring of the core object.
const char* ResolveImagePath(ZARNCore& core, const char* name, const char* label);
