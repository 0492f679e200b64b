// SHA-256, for the hash that names a stored journal: the same game sent
// twice, or under another player, is found by it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The digest of size bytes, as 64 lower-case hex digits.
std::string Sha256Hex(const void* data, std::size_t size);
