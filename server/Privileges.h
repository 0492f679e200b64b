// Running as root is never needed: the packaged service runs as its own
// unprivileged user, allowed to bind port 80. A server started as root all
// the same gives root up as soon as its port is bound, before it opens the
// database or reads a request.
#pragma once

#include <string>

// As root: becomes user (its user and group IDs, no other groups) for good.
// Not root: does nothing. False with a reason when root cannot be given up.
bool DropRoot(const std::string& user, std::string& reason);

// Gives up every capability the process holds (the service is given the one
// to bind port 80, needed no longer once the port is bound), for this
// process and whatever it starts. Called before any thread is started.
void DropCapabilities();

// Overwrites the password of a database URL among the program's arguments,
// so other users of the machine do not see it in the process list.
void HidePasswordInArguments(char* argument);
