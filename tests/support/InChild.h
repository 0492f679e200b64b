// Runs a piece of a test in a forked child process, for what must not touch
// the test process: a limit set on the process, a namespace of its own, a
// call that could hang or end the process.
#pragma once

#include <functional>
#include <string>

// Runs body in a child with its standard output caught, and returns what
// it printed. status gets the child's exit code (body's result), or 128 plus
// the number of the signal that ended it. A child still running after
// limitSeconds is ended by SIGALRM (status 142).
std::string InChild(const std::function<int()>& body, int* status = nullptr, unsigned limitSeconds = 60);
