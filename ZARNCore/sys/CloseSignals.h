// Termination signals treated as a close request: SIGTERM (shutdown,
// logout, kill), SIGINT (Ctrl+C in a terminal) and SIGHUP (the terminal
// went away) ask the game to close the way the window's close button does,
// so the main loop finishes any pending save and says its farewell.
//
// Before the main loop runs there is nothing of the player's to finish,
// and start-up may be waiting on something that does not answer (a display,
// an audio server, a disk), where a noted request would never be read: a
// signal then ends the process at once, with status 0.
#pragma once

// Installs the handlers, in their start-up role. A second such signal ends
// the process at once, in case the game cannot close by itself.
void CatchCloseSignals();
// The main loop has started: from now on a signal is only noted, for the
// next input poll to read.
void CloseSignalsToMainLoop();
// True once one of the signals has arrived in the main loop.
bool CloseSignalled();
