#include <cstring>
#include <iostream>

#include "rules/LevelTable.h"
#include "rules/VerifyCommand.h"
#include "shell/MyGame.h"
#include "sys/CloseSignals.h"

namespace {

int Usage() {
    std::cerr << "usage: gobbit                  play\n"
                 "       gobbit --replay JOURNAL  watch a recorded game (Escape ends it)\n"
                 "       gobbit --verify JOURNAL  replay a journal without a window and check it\n"
                 "       gobbit --levels DIFFICULTY FIRST LAST\n"
                 "                                print the levels as built, one line each, without a window\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--verify") == 0)
        return argc == 3 ? VerifyJournalFile(argv[2], std::cout) : Usage();
    if (argc >= 2 && std::strcmp(argv[1], "--levels") == 0) {
        if (argc != 5) return Usage();
        return LevelTableCommand(argv[2], argv[3], argv[4], std::cout, std::cerr);
    }
    if (argc >= 2 && std::strcmp(argv[1], "--replay") == 0) {
        if (argc != 3) return Usage();
        ThisGame.ReplayPath = argv[2];
    }
    CatchCloseSignals();
    ThisGame.Launch(argc > 0 ? argv[0] : ".");
    return ThisGame.ExitCode;
}
