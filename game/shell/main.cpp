#include "shell/MyGame.h"
#include "sys/CloseSignals.h"

int main(int argc, char** argv) {
    CatchCloseSignals();
    ThisGame.Launch(argc > 0 ? argv[0] : ".");
    return ThisGame.ExitCode;
}
