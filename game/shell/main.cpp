#include "shell/MyGame.h"

int main(int argc, char** argv) {
    ThisGame.Launch(argc > 0 ? argv[0] : ".");
    return ThisGame.ExitCode;
}
