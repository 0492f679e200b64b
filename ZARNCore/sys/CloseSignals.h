// Termination signals treated as a close request: SIGTERM (shutdown,
// logout, kill), SIGINT (Ctrl+C in a terminal) and SIGHUP (the terminal
// went away) ask the game to close the way the window's close button does,
// so the main loop finishes any pending save and says its farewell.
#pragma once

// Installs the handlers. A second such signal ends the process at once, in
// case the game cannot close by itself.
void CatchCloseSignals();
// True once one of the signals has arrived.
bool CloseSignalled();
