// make_sounds <outdir>: composes the game's sound effects (NN.wav) and music (0N.ogg).
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "Assets.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sounds <outdir>\n");
        return 2;
    }
    const std::string outdir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(outdir, ec);
    if (ec) {
        std::fprintf(stderr, "make_sounds: cannot create %s: %s\n", outdir.c_str(), ec.message().c_str());
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    bool ok = snd::makeEffects(outdir);
    ok = snd::makeMusic(outdir) && ok;
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("make_sounds: %s in %.1f s\n", ok ? "done" : "FAILED", secs);
    return ok ? 0 : 1;
}
