#include <cstring>
#include <iostream>

#include "rules/VerifyCommand.h"
#include "shell/MyGame.h"
#include "sys/CloseSignals.h"

namespace {

int Usage() {
    std::cerr << "usage: gobbit                  play\n"
                 "       gobbit --replay JOURNAL  watch a recorded game (Escape ends it)\n"
                 "       gobbit --verify JOURNAL  replay a journal without a window and check it\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--verify") == 0)
        return argc == 3 ? VerifyJournalFile(argv[2], std::cout) : Usage();
    if (argc >= 2 && std::strcmp(argv[1], "--replay") == 0) {
        if (argc != 3) return Usage();
        ThisGame.ReplayPath = argv[2];
    }
    CatchCloseSignals();
    ThisGame.Launch(argc > 0 ? argv[0] : ".");
    return ThisGame.ExitCode;
}
