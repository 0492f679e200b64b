// make_pictures <outdir>: draws every picture and the font of the game as PNG
// files into outdir. make_pictures --preview <dir>: writes checking previews.
// make_pictures --app-icons <dir>: writes the desktop icons, one per size.
#include "Pictures.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--preview") == 0) return writePreviews(argv[2]) ? 0 : 1;
    if (argc == 3 && std::strcmp(argv[1], "--app-icons") == 0) return writeAppIcons(argv[2]) ? 0 : 1;
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_pictures <outdir> | --preview <dir> | --app-icons <dir>\n");
        return 2;
    }
    const std::string dir = argv[1];
    struct Job {
        const char* name;
        Canvas (*make)();
    };
    const Job jobs[] = {
        {"entplain.png", makeFont},       {"gfx.png", makeGameSheet},       {"icons.png", makeIcons},
        {"particles.png", makeParticles}, {"options.png", makeOptionIcons}, {"menu_back.png", makeMenuBack},
        {"menu_front.png", makeMenuFront}, {"logo.png", makeLogo},          {"ZARNLogo.png", makeZarnLogo},
    };
    bool ok = true;
    for (const Job& job : jobs) ok = job.make().save(dir + "/" + job.name) && ok;
    return ok ? 0 : 1;
}
