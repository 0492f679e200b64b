// Decoding ahead: while the loading screen plays, a worker reads and decodes
// the files the loader is about to load, in the loader's order. Each loading
// call then takes its file ready-made (waiting for it if the worker is not
// there yet) and does only the quick part on the main thread. A file that
// was not asked for ahead is simply decoded by the call itself.
#pragma once

#include "sys/AssetDecode.h"

// Queue a file behind the others (paths as the loading calls build them).
void DecodeImageAhead(const char* path, unsigned frameSize);
void DecodeWaveAhead(const char* path);

// The first queued decode of this file (and frame size), waited for; the
// entries queued before it are dropped, since loading only moves forward.
// False when it was not queued: the caller decodes it itself.
bool TakeDecodedImage(const char* path, unsigned frameSize, PreparedImage& out);
bool TakeDecodedWave(const char* path, PreparedWave& out);

// Drops whatever was not taken, stops the worker and joins its thread
// (at the end of loading and at exit). Decoding ahead may start again.
void StopDecodingAhead();

// Files queued and not yet taken.
int DecodesAhead();
