#pragma once

#include <cstddef>

// The home directory is the folder that holds the executable: the part of the
// start path before its last '/' or '\', or "." when there is none.
void CutHomeDirectory(const char* path, char* home, std::size_t size);
