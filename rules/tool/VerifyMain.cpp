// gobbit-verify FILE: the journal check on its own, linked with the rules
// and the C++ standard library only (the build fails if it needs more).
#include <iostream>

#include "rules/VerifyCommand.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: gobbit-verify JOURNAL\n";
        return 2;
    }
    return VerifyJournalFile(argv[1], std::cout);
}
