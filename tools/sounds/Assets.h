// The two halves of the generator: the sound effects and the four songs.
#pragma once

#include <string>

namespace snd {

// Each writes its files into `outdir` and prints one line per file; false on a write error.
bool makeEffects(const std::string& outdir);
bool makeMusic(const std::string& outdir);

}  // namespace snd
